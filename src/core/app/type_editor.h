// The commands of the page "Typen": object types with their ordered states, the standard
// bitmap of each state and the import of type libraries. They work on the project and a
// small page state, so tests drive them without the window.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/project.h"

namespace kelvaro {

class UserInterface;

// The kind digits of a type entry; -1 when none was chosen.
inline constexpr int kTypeKindNone = -1;
inline constexpr int kTypeKindSensor = 0;
inline constexpr int kTypeKindActor = 1;
inline constexpr int kTypeKindInOut = 2;
inline constexpr int kTypeKindNoInOut = 3;

// A type's entry of the types list, taken apart: name before the first ";", kind after it.
struct TypeDefinition {
  std::string name;
  int kind = kTypeKindNone;
};

// The dialog "Typ bearbeiten": shown with the initial name and kind, it returns what the
// user confirmed, or nothing when the user cancelled.
using TypeDialog = std::function<std::optional<TypeDefinition>(const TypeDefinition& initial)>;

// One line of the state list: the state with its standard bitmap.
struct StateLine {
  std::string name;
  std::optional<TBitmapNam> bitmap;
};

// What the page shows besides the type list: the current type and its states.
struct TypeEditorState {
  std::string currentType;  // the last type selected, created or edited; empty = none
  std::vector<StateLine> states;
  int selectedState = -1;   // index into states; -1 = none
};

// "name;kind" and back.
std::string typeEntry(const TypeDefinition& definition);
TypeDefinition parseTypeEntry(std::string_view entry);

// The index of the type's entry in the types list (name compared exactly first, then
// ignoring case); -1 when absent.
int findTypeEntry(const Project& project, std::string_view typeName);

// The type becomes current; the state list is filled from its type-state entries in list
// order and the first state is selected.
void selectType(TypeEditorState& page, const Project& project, std::string_view typeName);

// "&Neu": asks name and kind, adds the entry at its sorted place and selects the new type.
bool newType(TypeEditorState& page, Project& project, UserInterface& ui, const TypeDialog& dialog);
// "Bearbeiten": asks name and kind for the current type and replaces its entry.
bool editType(TypeEditorState& page, Project& project, UserInterface& ui, const TypeDialog& dialog);
// "&Löschen": removes the current type and every type-state entry of it; asks nothing.
bool deleteType(TypeEditorState& page, Project& project);

// "Neu" (states): asks a state name and appends it to the type.
bool newState(TypeEditorState& page, Project& project, UserInterface& ui);
// "Löschen" (states): removes the selected state; asks nothing.
bool deleteState(TypeEditorState& page, Project& project);
// The arrows: swaps the selected state with its neighbour (-1 up, +1 down) and rewrites.
bool moveState(TypeEditorState& page, Project& project, int direction);
// Puts the type's states at the end of the type-state list in the order of the state list.
// Marks the project modified only when the list really changed.
void rewriteTypeStates(TypeEditorState& page, Project& project);

// "Standard-Bitmap": file dialog in the bitmap directory; attaches the chosen bitmap to the
// selected state and its type-state entry.
bool chooseStandardBitmap(TypeEditorState& page, Project& project, UserInterface& ui, std::string_view bitmapDir);
// The record for a chosen file: by name with NoPath 1 when it lies in the bitmap
// directory (compared ignoring case), else by its full path with NoPath 0.
TBitmapNam standardBitmapFor(std::string_view chosenFile, std::string_view bitmapDir);
// "Entfernen": drops the selected state's standard bitmap.
bool removeStandardBitmap(TypeEditorState& page, Project& project);

// Selects a state line (-1 for none).
void selectState(TypeEditorState& page, int index);
// The file to preview for the selected state, or nothing. A bitmap whose file is missing
// is reported with "Bitmap <name> nicht gefunden." when report is set. One missing in the
// bitmap directory is looked for beside the project file as well.
std::optional<std::string> statePreview(const TypeEditorState& page, std::string_view bitmapDir, UserInterface& ui,
                                        bool report = true, std::string_view projectFile = {});

// "aus Bibliothek": reads a ".OTY" file from a file dialog in the project directory on top
// of the project; types and states already present are skipped with their bitmaps.
bool importLibrary(TypeEditorState& page, Project& project, UserInterface& ui, std::string_view projectDir);

}  // namespace kelvaro
