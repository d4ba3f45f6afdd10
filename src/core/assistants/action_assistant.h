#pragma once
// The action assistant TAppFormF ("Funktionen definieren") without its window: the lines that
// make other objects follow an object, either as a plain block or, when the caller gives the
// object's change it reacts to, wrapped in WENN ... SONST ... ENDEWENN.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "assistants/block_list.h"
#include "model/object_types.h"

namespace kelvaro {

class UserInterface;

inline constexpr std::string_view kTargetTypesMixed =
    "Dieser Objekttyp passt nicht zu den anderen ausgew\xE4hlten Objekten";

// The rows of SwitchRB, in order.
enum class TargetAction { Toggle, SwitchOn, SwitchOff, Like, Activate, Deactivate, Execute };
inline constexpr std::array<std::string_view, 7> kTargetActionCaptions = {
    "umschalten", "einschalten", "ausschalten", "wie..", "aktivieren", "deaktivieren", "ausf\xFChren"};
// A row's caption: with one target selected "wie.." names the object it follows.
std::string targetActionCaption(TargetAction action, std::string_view object, int selectedTargets);

struct ActionTarget {
  std::string name;
  std::string type;
};

// A selection of targets that mixes shutters with other objects is refused (shutters take a
// state, the others an action): false after the message; the window then clears it.
bool targetSelectionFits(const std::vector<ActionTarget>& targets, UserInterface& ui);

// One line per target, in list order. shutterState, when not empty, replaces the action: the
// targets (all shutters) are set to that state. "umschalten" toggles the first target and makes
// the others follow it, so that they end up alike even when they started out different.
std::vector<std::string> actionLines(std::string_view object, const std::vector<std::string>& targets,
                                     TargetAction action, std::string_view shutterState = {});

class ActionAssistant {
 public:
  // condition: " EINGESCHALTET " and the like, or empty. Without one the object's generated
  // lines fill the "dann" list; the stored program changes only in apply.
  ActionAssistant(std::string object, std::string condition, const std::vector<std::string>& program);

  StatementList& thenList() { return m_then; }
  StatementList& elseList() { return m_else; }
  // The "sonst" list is there only with a condition.
  bool hasElseList() const { return !m_condition.empty(); }

  // CrtAnwBtn1 / CrtAnwBtn2: the lines for the targets into the "dann" or the "sonst" list,
  // under a block header when there is no condition. False when nothing was added.
  bool add(const std::vector<std::string>& targets, TargetAction action, std::string_view shutterState, bool intoElse,
           UserInterface& ui);

  // The stored lines the assistant leaves, each with the generated-line marker.
  std::vector<std::string> storedResult() const;
  // Closing: without a condition the object's generated lines become the list; with one the
  // new structure follows the generated lines the object has.
  void apply(std::vector<std::string>& program) const;

 private:
  std::string m_object, m_condition;
  StatementList m_then, m_else;
};

}  // namespace kelvaro
