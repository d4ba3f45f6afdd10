// The shutter assistant "Rollladenanwendung" without widgets: shutters, shutter groups and the
// times at which a group moves. Its window only binds its three pages to these commands.
//
// A group G is an object of the shutter type that drives no hardware itself (HdwTyp 3); the
// shutters are the other objects of a shutter type. G's members are the shutters its member
// block makes follow it. Each group has two helpers: G + "ZeitStellen" arms the next up and
// down time once a day, G + "Zeituhr" fires the group when the time of day reaches it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "assistants/time_input.h"
#include "model/object_types.h"
#include "model/project.h"

namespace kelvaro {

class UserInterface;

// The station model whose send device the object editor offers first for a new shutter.
inline constexpr std::string_view kShutterStationModel = "40612x";
inline constexpr std::int32_t kGroupHardwareRole = 3;    // no input or output of its own
inline constexpr std::int32_t kShutterHardwareRole = 1;  // an actor
inline constexpr std::uint8_t kTimeSetterACode = 16;     // at the change of day
inline constexpr std::uint8_t kGroupClockACode = 2;      // every five seconds

// Whether an object is a shutter group, or a shutter that may join one.
bool isShutterGroup(const TPSObj& object);
bool isShutter(const TPSObj& object);

class ShutterAssistant {
 public:
  explicit ShutterAssistant(Project& project);

  // --- Page "Rollladen"
  // The shutters, in list order.
  std::vector<std::string> shutters() const;
  // "Neue Rolllade": asks the name; the new object's index, -1 when cancelled or refused. Its
  // send device is the first output of a kShutterStationModel station that nothing sends to
  // yet (none when there is no such output); the window then opens the object editor on it.
  int newShutter(UserInterface& ui);
  int createShutter(UserInterface& ui, std::string_view name);
  // Edit, delete, rename the selected shutter (empty: none selected, "Kein Objekt ausgewählt").
  // Edit gives the index to open the object editor on, or -1.
  int editShutter(UserInterface& ui, std::string_view selected) const;
  bool deleteShutter(UserInterface& ui, std::string_view selected);
  bool renameShutter(UserInterface& ui, std::string_view selected);

  // --- Page "Gruppen"
  std::vector<std::string> groups() const;
  const std::string& group() const { return m_group; }
  // Makes a group current and reads its members from its member block; false when no group
  // has this name.
  bool chooseGroup(std::string_view name);
  // "Neue Gruppe": asks the name, creates G and makes it current.
  bool newGroup(UserInterface& ui);
  bool createGroup(UserInterface& ui, std::string_view name);
  // Asks whether the helpers go too; refuses (message) when another program still uses what
  // would go, so that nothing is left pointing at a deleted object.
  bool deleteGroup(UserInterface& ui);
  // The members, sorted; changes take effect when the actions page is entered.
  const std::vector<std::string>& members() const { return m_members; }
  void addMembers(const std::vector<std::string>& shutterNames);
  void removeMembers(const std::vector<std::string>& memberNames);
  void addAllMembers();
  void clearMembers() { m_members.clear(); }

  // --- Page "Aktionen"
  // "Weiter >>": writes the group's member and clock blocks and variables and shows the earlier
  // time blocks. False (message shown) without a current group or when a helper cannot be made.
  bool enterActions(UserInterface& ui);
  // The statement list: the arming blocks that finishing writes.
  const std::vector<std::string>& statements() const { return m_statements; }
  // "Zeiten für Gruppe": appends the arming block of a time-window result. False when it gives
  // nothing, or (message shown) when a line would not fit a program line.
  bool addTimes(UserInterface& ui, const TimeWindowResult& times);
  // Deletes the marked lines; their auxiliary objects go when the assistant finishes.
  bool deleteStatements(UserInterface& ui, std::vector<int> selected);
  void clearStatements();
  // "Variable Eingabe für Zeiten am Bildschirm": each marked arming statement takes its time
  // from a new text object on a "…Zeiten" view. The number of statements taken over.
  int screenInput(UserInterface& ui, std::vector<int> selected);
  // "Fertigstellen": writes the statement list, with the SUNSETS block, into G + "ZeitStellen".
  bool finish(UserInterface& ui);

 private:
  int objectIndex(std::string_view name) const;
  int helper(UserInterface& ui, std::string_view suffix, std::string_view label, std::uint8_t aCode);
  std::string freeAuxiliaryName(std::string_view variable) const;

  Project& m_project;
  std::string m_group;
  std::vector<std::string> m_members;
  std::vector<std::string> m_statements;
  std::vector<std::string> m_removedStatements;  // deleted lines whose helper objects go on finishing
  bool m_entered = false;
};

}  // namespace kelvaro
