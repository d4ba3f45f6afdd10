// The dialog "Neues Objekt anlegen" without widgets: the checks of its fields and the set-up
// of the new object from name, label and type.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/project.h"

namespace kelvaro {

class UserInterface;

// The narrowest placement a new object gets when its width follows its name.
inline constexpr std::string_view kMinimumWidthText = "WWWWWWWWWW";

struct NewObjectRequest {
  std::string view;          // the view the object is to appear on
  bool sizeFromName = true;  // the placement's width follows the name's width
};

struct NewObjectEntry {
  std::string name;
  std::string label;  // "Bezeichnung"; empty takes the name
  std::string type;   // the chosen entry of "Typ"; empty when none is selected
};

struct NewObjectHooks {
  // The main window's create-object operation: index of the new object, or -1 after it told
  // the user why not. Unset: the object is appended here with the same name test.
  std::function<int(std::string_view name)> createObject;
  // Width in pixels of a text in the window's font at size 10. Unset: the width stays.
  std::function<int(std::string_view text)> textWidth;
};

// The type list: the project's type names, then "Zahl", "Zeichen", "Knopf", "(Undefiniert)".
std::vector<std::string> newObjectTypeChoices(const Project& project);

// Leaving the name field: the name rule (the message is shown); false keeps the focus there.
bool leaveNewObjectName(UserInterface& ui, std::string_view name);

// OK: the index of the created object, or -1 when the dialog stays open (message shown).
int createNewObject(Project& project, UserInterface& ui, const NewObjectRequest& request, const NewObjectEntry& entry,
                    const NewObjectHooks& hooks);

}  // namespace kelvaro
