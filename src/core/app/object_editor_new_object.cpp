// A new object from the dialog: created through the main window's operation, then placed
// on the view and set up for its type.
#include "app/object_editor_new_object.h"

#include <algorithm>

#include "app/object_editor.h"
#include "ui/user_interface.h"
#include "model/name_rule.h"
#include "model/object_types.h"
#include "model/type_states.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

int appendObject(Project& project, UserInterface& ui, std::string_view name) {
  if (findObject(project, name) >= 0) {
    showError(ui, "Es gibt schon ein Objekt mit diesem Namen");
    return -1;
  }
  project.objects.push_back(createObject(name));
  project.modified = true;
  return static_cast<int>(project.objects.size()) - 1;
}

}  // namespace

std::vector<std::string> newObjectTypeChoices(const Project& project) {
  std::vector<std::string> list = project.typeNames;
  for (auto kind : kFixedKinds) list.emplace_back(kind);
  return list;
}

bool leaveNewObjectName(UserInterface& ui, std::string_view name) { return validName(ui, trimRight(name)); }

int createNewObject(Project& project, UserInterface& ui, const NewObjectRequest& request, const NewObjectEntry& entry,
                    const NewObjectHooks& hooks) {
  const std::string name = trimRight(entry.name);
  // The rule is applied again: OK may be pressed without the name field ever being left.
  if (!validName(ui, name)) return -1;
  if (entry.type.empty()) {
    showError(ui, "Es muss ein Typ ausgew\xE4hlt werden");
    return -1;
  }
  const int index = hooks.createObject ? hooks.createObject(name) : appendObject(project, ui, name);
  if (index < 0 || static_cast<std::size_t>(index) >= project.objects.size()) return -1;
  project.modified = true;

  TPSObj& o = project.objects[static_cast<std::size_t>(index)];
  o.plans[0].ViewName = request.view;
  const std::string label = trimRight(entry.label);
  o.OName = shortText(label.empty() ? name : label, kShortText64);
  o.Typ = shortText(entry.type, kShortText64);
  o.OKind = objectKindForType(o.Typ);
  if (o.OKind == kKindUser) {
    syncStateBitmaps(o, project.typeStates, o.Typ);
    const auto states = statesOf(project.typeStates, o.Typ);
    o.StartVal = states.empty() ? std::string() : states.front();
    if (o.CtZust > 2) o.BSInputRB = 1;  // more than on and off: offer the value menu
    setUpShutterCodes(o);
  }
  o.HdwTyp = hardwareRoleOfType(project.types, o.Typ);
  if (request.sizeFromName && hooks.textWidth)
    o.plans[0].Width = std::max(hooks.textWidth(name), hooks.textWidth(kMinimumWidthText));
  return index;
}

}  // namespace kelvaro
