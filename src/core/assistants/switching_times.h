#pragma once
// The switching-time assistant TSTimesF without its window: the blocks it writes for one object
// (switch-on and switch-off times, a shutter's opening and closing times, automatic switch-off
// after a duration), and how it takes the object's generated lines and gives them back.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "assistants/block_list.h"
#include "assistants/time_input.h"

namespace kelvaro {

class UserInterface;

// Switchable objects get switch-on and switch-off times, shutters opening and closing times.
enum class SwitchTimesKind { Switchable = 1, Shutter = 2 };

// The program's generated lines, without their marker, taken out of it (opening the assistant).
std::vector<std::string> takeGeneratedLines(std::vector<std::string>& program);
// The lines put back at the top of the program with the marker, in list order (OK).
void putGeneratedLinesOnTop(std::vector<std::string>& program, const std::vector<std::string>& lines);

// The interval the object needs once it has switching times: their clock times go in steps of
// five seconds, so an object that runs less often (or never) is made to run every five seconds
// (2); one that runs on every pass (1) already meets them and keeps its interval.
std::uint8_t switchingTimeInterval(std::uint8_t acode);

class SwitchingTimes {
 public:
  // Opens on the object's stored program: its generated lines fill the list. The program itself
  // changes only on OK, so a cancelled assistant loses none of them.
  SwitchingTimes(std::string objectName, SwitchTimesKind kind, const std::vector<std::string>& program);

  StatementList& list() { return m_list; }
  const StatementList& list() const { return m_list; }
  SwitchTimesKind kind() const { return m_kind; }

  // "Einschaltzeit" / "Ausschaltzeit angeben" with the result of a time window of kind SwitchOn
  // or SwitchOff. False (list unchanged) when a line would be too long.
  bool addSwitchTime(bool switchOn, const TimeWindowResult& time, UserInterface& ui);
  // "Zeiten zum Öffnen und Schliessen" with the result of a time window of kind Shutter.
  bool addShutterTimes(const TimeWindowResult& time, UserInterface& ui);
  // "Automatisch ausschalten nach Zeitdauer" with the duration of a time window of kind Duration.
  bool addAutomaticSwitchOff(std::string_view duration, UserInterface& ui);

  // OK: the object's generated lines are replaced by the list, at the top of its program, and
  // its interval is raised to what switching times need.
  void apply(std::vector<std::string>& program, std::uint8_t& acode) const;

 private:
  bool add(std::vector<std::string> lines, UserInterface& ui);

  std::string m_object;
  SwitchTimesKind m_kind;
  StatementList m_list;
};

}  // namespace kelvaro
