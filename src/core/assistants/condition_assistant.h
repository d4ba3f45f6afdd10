#pragma once
// The condition assistant TCondiF ("Wenn - Bedingungen") without its window: it wraps a block of
// lines in WENN ... ENDEWENN, selects a WENN structure from a clicked line, and takes a
// selected condition away again.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "assistants/block_list.h"

namespace kelvaro {

class UserInterface;
struct Project;

// WertCB for two-state objects and for doors and windows: no operator, the value carries its
// blanks. The other subjects ("Uhrzeit", "Datum", "Tag", user types) take an operator of
// kComparisonOperators and a quoted value.
inline constexpr std::array<std::string_view, 2> kTwoStateValues = {" EINGESCHALTET ", " AUSGESCHALTET "};
inline constexpr std::array<std::string_view, 2> kDoorValues = {" GEOEFFNET ", " GESCHLOSSEN "};
inline constexpr std::array<std::string_view, 8> kComparisonOperators = {
    " ist ", " ist nicht ", " gleich ", " ungleich ", " groesser ", " kleiner ", " <= ", " >= "};

// The condition line: «WENN {subject} {operator} "{value}" DANN» with an operator (kept with its
// own blanks), «WENN {subject}{value}DANN» without one.
std::string conditionLine(std::string_view subject, std::string_view comparison, std::string_view value);
// A date of the date picker ("24.12.2026") as the condition compares it: "24.12.26".
std::string conditionDateValue(std::string_view dateText);

// What ObjCB offers and what each entry asks for as its value.
enum class ConditionValueKind { Choice, Clock, Date };
inline constexpr std::string_view kClockSubject = "Uhrzeit";
inline constexpr std::string_view kDaySubject = "Tag";
inline constexpr std::string_view kDateSubject = "Datum";

struct ConditionSubject {
  ConditionValueKind kind = ConditionValueKind::Choice;
  std::vector<std::string> values;  // WertCB's entries; empty: the user types the value
  bool comparison = true;           // VerglOp is shown
};
// The project's objects in list order, then "Uhrzeit", "Tag", "Datum".
std::vector<std::string> conditionSubjects(const Project& project);
// Two-state objects and doors compare by their state words without an operator; weekdays,
// times, dates and the other objects' states (or typed values) take one.
ConditionSubject conditionSubject(const Project& project, std::string_view subject);

class ConditionAssistant {
 public:
  explicit ConditionAssistant(std::vector<std::string> lines) : m_list(std::move(lines)) {}

  StatementList& list() { return m_list; }
  const StatementList& list() const { return m_list; }

  // "obenstehende Bedingung einfügen": the lines (under a header, added when missing) become
  // the body of WENN line ... ENDEWENN, indented by two blanks except comments. False, with
  // the list unchanged, when an indented line would no longer fit.
  bool wrap(std::string_view conditionLine, UserInterface& ui);

  // A click selects the WENN structure the line belongs to: its WENN (with the lines its
  // condition continues over), SONST and ENDEWENN. A click on an ENDEWENN or SONST selects the
  // structure it closes, a click inside a body the innermost structure around it. Nothing is
  // selected outside every structure.
  void clickLine(int line);

  // "markierte Bedingung löschen": deletes the selected structure's lines, lowers the block
  // header's count by as many, and takes the two blanks of indentation away from the lines
  // between. False after telling the user that nothing was selected.
  bool deleteCondition(UserInterface& ui);

 private:
  StatementList m_list;
};

}  // namespace kelvaro
