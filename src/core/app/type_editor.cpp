// The commands of the page "Typen". The state list of the page and the type-state list of
// the project are kept in step: new, delete and bitmap changes reach the project at once,
// a new order when the type's states are rewritten.
#include "app/type_editor.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "ui/user_interface.h"
#include "model/bitmap_search.h"
#include "model/name_rule.h"
#include "model/type_states.h"
#include "storage/project_file.h"
#include "storage/settings.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

// A type-state entry holds at most 64 characters (the width the project file reserves);
// with ":" and a state name of up to 32 characters that leaves 31 for the type name.
inline constexpr std::size_t kMaxTypeNameLength = 31;

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// The type part of a type-state entry: the text before the first ":".
std::string_view typeOfEntry(std::string_view entry) { return entry.substr(0, entry.find(':')); }

std::string stateEntry(std::string_view type, std::string_view state) {
  return std::string(type) + ":" + std::string(state);
}

// Exact look-up of one type-state entry; the list keeps the spelling it was given.
int findExactTypeState(const Project& project, std::string_view entry) {
  for (std::size_t i = 0; i < project.typeStates.size(); ++i)
    if (project.typeStates[i].entry == entry) return static_cast<int>(i);
  return -1;
}

bool hasType(const TypeEditorState& page, const Project& project) {
  return !page.currentType.empty() && findTypeEntry(project, page.currentType) >= 0;
}

StateLine* selectedLine(TypeEditorState& page) {
  if (page.selectedState < 0 || page.selectedState >= static_cast<int>(page.states.size())) return nullptr;
  return &page.states[static_cast<std::size_t>(page.selectedState)];
}

// A type name becomes part of "name;kind" and "name:state" entries, so the separators may
// not occur in it, and it must leave room for the state in the 64 characters of an entry.
bool validTypeName(UserInterface& ui, std::string_view name) {
  if (name.empty()) {
    showError(ui, "Keine Bezeichnung eingegeben");
    return false;
  }
  if (name.find_first_of(":;") != std::string_view::npos) {
    showError(ui, fromUtf8("Die Bezeichnung darf weder \":\" noch \";\" enthalten"));
    return false;
  }
  if (name.size() > kMaxTypeNameLength) {
    showError(ui, fromUtf8("Maximal 31 Zeichen zulässig"));
    return false;
  }
  return true;
}

// A second entry of the same name but another kind would show the type twice and leave
// the kind of its objects to chance, so it is refused. except = the entry being edited.
bool nameTakenByOther(UserInterface& ui, const Project& project, std::string_view name, int except) {
  for (std::size_t i = 0; i < project.types.size(); ++i) {
    if (static_cast<int>(i) == except) continue;
    if (equalsNoCase(parseTypeEntry(project.types[i]).name, name)) {
      showError(ui, "Der Typ " + std::string(name) + " ist bereits vorhanden");
      return true;
    }
  }
  return false;
}

std::optional<TypeDefinition> askType(UserInterface& ui, const TypeDialog& dialog, const TypeDefinition& initial) {
  if (!dialog) return std::nullopt;
  std::optional<TypeDefinition> answer = dialog(initial);
  if (!answer) return std::nullopt;
  answer->name = trimLeft(trimRight(answer->name));
  if (answer->kind < kTypeKindNone || answer->kind > kTypeKindNoInOut) answer->kind = kTypeKindNone;
  if (!validTypeName(ui, answer->name)) return std::nullopt;
  return answer;
}

bool sameBitmap(const std::optional<TBitmapNam>& a, const std::optional<TBitmapNam>& b) {
  if (a.has_value() != b.has_value()) return false;
  if (!a) return true;
  return a->BitmapName == b->BitmapName && a->NoPath == b->NoPath && a->ObjectOwn == b->ObjectOwn;
}

bool sameList(const std::vector<TypeStateEntry>& a, const std::vector<TypeStateEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].entry != b[i].entry || !sameBitmap(a[i].bitmap, b[i].bitmap)) return false;
  return true;
}

// A file chosen without extension gets the dialog's default one.
std::string withDefaultExtension(std::string name, std::string_view extension) {
  const std::size_t slash = name.find_last_of("/\\");
  const std::size_t dot = name.find('.', slash == std::string::npos ? 0 : slash + 1);
  if (dot == std::string::npos) name += "." + std::string(extension);
  return name;
}

std::string directoryWithSeparator(std::string_view dir) {
  std::string result(dir);
  if (!result.empty() && !isSeparator(result.back())) result += '/';
  return result;
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

std::string bitmapPath(const TBitmapNam& bitmap, std::string_view bitmapDir) {
  if (bitmap.NoPath == 1) return directoryWithSeparator(bitmapDir) + bitmap.BitmapName;
  return bitmap.BitmapName;
}

}  // namespace

std::string typeEntry(const TypeDefinition& definition) {
  return definition.name + ";" + std::to_string(definition.kind);
}

TypeDefinition parseTypeEntry(std::string_view entry) {
  const std::size_t at = entry.find(';');
  if (at == std::string_view::npos) return {std::string(entry), kTypeKindNone};
  const std::optional<int> kind = parseInt(entry.substr(at + 1));
  const bool known = kind && *kind >= kTypeKindNone && *kind <= kTypeKindNoInOut;
  return {std::string(entry.substr(0, at)), known ? *kind : kTypeKindNone};
}

int findTypeEntry(const Project& project, std::string_view typeName) {
  for (std::size_t i = 0; i < project.types.size(); ++i)
    if (parseTypeEntry(project.types[i]).name == typeName) return static_cast<int>(i);
  for (std::size_t i = 0; i < project.types.size(); ++i)
    if (equalsNoCase(parseTypeEntry(project.types[i]).name, typeName)) return static_cast<int>(i);
  return -1;
}

void selectType(TypeEditorState& page, const Project& project, std::string_view typeName) {
  page.currentType = std::string(typeName);
  page.states.clear();
  for (const TypeStateEntry& e : project.typeStates) {
    const SplitResult parts = split(e.entry, ':');
    if (!parts.found || parts.left != typeName) continue;
    page.states.push_back({parts.right, e.bitmap});
  }
  page.selectedState = page.states.empty() ? -1 : 0;
}

// newType -> dialog (empty, no kind) ; add "name;kind" ; select
bool newType(TypeEditorState& page, Project& project, UserInterface& ui, const TypeDialog& dialog) {
  const std::optional<TypeDefinition> answer = askType(ui, dialog, {"", kTypeKindNone});
  if (!answer) return false;
  const std::string entry = typeEntry(*answer);
  // An equal entry is simply selected; a different kind under the same name is refused.
  bool equalPresent = false;
  for (const std::string& t : project.types) equalPresent = equalPresent || equalsNoCase(t, entry);
  if (!equalPresent && nameTakenByOther(ui, project, answer->name, -1)) return false;

  project.modified = true;
  page.states.clear();
  page.selectedState = -1;
  addType(project, entry);
  rebuildTypeNames(project);
  const int at = findTypeEntry(project, answer->name);
  selectType(page, project, at >= 0 ? parseTypeEntry(project.types[static_cast<std::size_t>(at)]).name : answer->name);
  return true;
}

// editType -> dialog (entry's name and kind) ; replace the entry, sorted
bool editType(TypeEditorState& page, Project& project, UserInterface& ui, const TypeDialog& dialog) {
  const int at = page.currentType.empty() ? -1 : findTypeEntry(project, page.currentType);
  if (at < 0) {
    showError(ui, fromUtf8("Kein Eintrag ausgewählt"));
    return false;
  }
  const TypeDefinition old = parseTypeEntry(project.types[static_cast<std::size_t>(at)]);
  const std::optional<TypeDefinition> answer = askType(ui, dialog, old);
  if (!answer) return false;
  if (nameTakenByOther(ui, project, answer->name, at)) return false;

  project.modified = true;
  project.types.erase(project.types.begin() + at);
  addType(project, typeEntry(*answer));
  rebuildTypeNames(project);
  // Renaming leaves the states and objects with the name they had; the state list then
  // shows what the type-state list holds under the new name.
  if (answer->name != old.name) selectType(page, project, answer->name);
  page.currentType = answer->name;
  return true;
}

// deleteType -> drop the type's states, then its entry
bool deleteType(TypeEditorState& page, Project& project) {
  const int at = page.currentType.empty() ? -1 : findTypeEntry(project, page.currentType);
  if (at < 0) return false;
  const std::string type = parseTypeEntry(project.types[static_cast<std::size_t>(at)]).name;
  project.modified = true;
  std::erase_if(project.typeStates, [&](const TypeStateEntry& e) { return typeOfEntry(e.entry) == type; });
  page.states.clear();
  page.selectedState = -1;
  project.types.erase(project.types.begin() + at);
  rebuildTypeNames(project);
  page.currentType.clear();
  return true;
}

// newState -> ask name ; append to the state list and the type-state list
bool newState(TypeEditorState& page, Project& project, UserInterface& ui) {
  if (!hasType(page, project)) {
    showError(ui, fromUtf8("Kein Typ ausgewählt"));
    return false;
  }
  std::string name;
  if (!askName(ui, "Neuer Zustand:", name)) return false;
  // A second state of the same name could never be told apart by the look-ups.
  if (stateIndex(project.typeStates, page.currentType, name) >= 0 ||
      findTypeState(project, stateEntry(page.currentType, name)) >= 0) {
    showError(ui, "Zustand " + name + " ist bereits vorhanden");
    return false;
  }
  project.modified = true;
  page.states.push_back({name, std::nullopt});
  page.selectedState = static_cast<int>(page.states.size()) - 1;
  project.typeStates.push_back({stateEntry(page.currentType, name), std::nullopt});
  return true;
}

// deleteState -> drop the entry and the line ; select the first state
bool deleteState(TypeEditorState& page, Project& project) {
  if (!hasType(page, project)) return false;
  StateLine* line = selectedLine(page);
  if (!line) return false;
  project.modified = true;
  const int at = findExactTypeState(project, stateEntry(page.currentType, line->name));
  if (at >= 0) project.typeStates.erase(project.typeStates.begin() + at);
  page.states.erase(page.states.begin() + page.selectedState);
  page.selectedState = page.states.empty() ? -1 : 0;
  return true;
}

// moveState -> swap with the neighbour ; rewrite
bool moveState(TypeEditorState& page, Project& project, int direction) {
  if (!hasType(page, project) || !selectedLine(page) || (direction != -1 && direction != 1)) return false;
  const int other = page.selectedState + direction;
  if (other < 0 || other >= static_cast<int>(page.states.size())) return false;
  std::swap(page.states[static_cast<std::size_t>(page.selectedState)], page.states[static_cast<std::size_t>(other)]);
  page.selectedState = other;
  rewriteTypeStates(page, project);
  return true;
}

// rewriteTypeStates -> other types' entries in order, then this type's in the shown order
void rewriteTypeStates(TypeEditorState& page, Project& project) {
  // A state list left over from a type that is gone must not write anything back.
  if (!hasType(page, project)) return;
  std::vector<TypeStateEntry> rewritten;
  rewritten.reserve(project.typeStates.size() + page.states.size());
  for (const TypeStateEntry& e : project.typeStates)
    if (typeOfEntry(e.entry) != page.currentType) rewritten.push_back(e);
  for (const StateLine& line : page.states) rewritten.push_back({stateEntry(page.currentType, line.name), line.bitmap});
  // A new order must survive closing the program, so it counts as a change to save.
  if (!sameList(rewritten, project.typeStates)) project.modified = true;
  project.typeStates = std::move(rewritten);
}

TBitmapNam standardBitmapFor(std::string_view chosenFile, std::string_view bitmapDir) {
  TBitmapNam bitmap;
  const std::size_t slash = chosenFile.find_last_of("/\\");
  const std::string_view dir = slash == std::string_view::npos ? std::string_view() : chosenFile.substr(0, slash + 1);
  const std::string wanted = directoryWithSeparator(bitmapDir);
  if (!dir.empty() && !wanted.empty() && equalsNoCase(dir, wanted)) {
    bitmap.BitmapName = std::string(chosenFile.substr(slash + 1));
    bitmap.NoPath = 1;
  } else {
    bitmap.BitmapName = std::string(chosenFile);
    bitmap.NoPath = noPathFlag(chosenFile);
  }
  bitmap.ObjectOwn = 0;
  return bitmap;
}

// chooseStandardBitmap -> file dialog in the bitmap directory ; attach to line and entry
bool chooseStandardBitmap(TypeEditorState& page, Project& project, UserInterface& ui, std::string_view bitmapDir) {
  StateLine* line = hasType(page, project) ? selectedLine(page) : nullptr;
  if (!line) {
    showError(ui, fromUtf8("Kein Eintrag ausgewählt"));
    return false;
  }
  // The dialog proposes the state's current bitmap when its file is there.
  std::string proposal(bitmapDir);
  if (line->bitmap) {
    const std::string current = bitmapPath(*line->bitmap, bitmapDir);
    if (fileExists(current)) proposal = current;
  }
  const std::optional<std::string> chosen = ui.openFileName("Standard-Bitmap", "Bitmap-Bilder (*.BMP *.bmp)", proposal);
  if (!chosen || chosen->empty()) return false;
  const TBitmapNam bitmap = standardBitmapFor(withDefaultExtension(*chosen, "BMP"), bitmapDir);

  project.modified = true;
  line->bitmap = bitmap;
  const int at = findExactTypeState(project, stateEntry(page.currentType, line->name));
  if (at >= 0) project.typeStates[static_cast<std::size_t>(at)].bitmap = bitmap;
  return true;
}

// removeStandardBitmap -> drop the bitmap of line and entry
bool removeStandardBitmap(TypeEditorState& page, Project& project) {
  StateLine* line = hasType(page, project) ? selectedLine(page) : nullptr;
  if (!line || !line->bitmap) return false;
  // Losing a bitmap is a change like choosing one: without the flag it would be lost
  // silently at the next close.
  project.modified = true;
  line->bitmap.reset();
  const int at = findExactTypeState(project, stateEntry(page.currentType, line->name));
  if (at >= 0) project.typeStates[static_cast<std::size_t>(at)].bitmap.reset();
  return true;
}

void selectState(TypeEditorState& page, int index) {
  page.selectedState = index >= 0 && index < static_cast<int>(page.states.size()) ? index : -1;
}

std::optional<std::string> statePreview(const TypeEditorState& page, std::string_view bitmapDir, UserInterface& ui,
                                        bool report, std::string_view projectFile) {
  if (page.selectedState < 0 || page.selectedState >= static_cast<int>(page.states.size())) return std::nullopt;
  const StateLine& line = page.states[static_cast<std::size_t>(page.selectedState)];
  if (!line.bitmap || line.bitmap->BitmapName.empty()) return std::nullopt;
  BitmapLocation location =
      findBitmap(line.bitmap->BitmapName, line.bitmap->NoPath, bitmapDir, projectFile, fileExists);
  if (!location.found) {
    if (report) showError(ui, "Bitmap " + line.bitmap->BitmapName + " nicht gefunden.");
    return std::nullopt;
  }
  return std::move(location.path);
}

// importLibrary -> file dialog in the project directory ; merge with the project reader
bool importLibrary(TypeEditorState& page, Project& project, UserInterface& ui, std::string_view projectDir) {
  const std::optional<std::string> chosen = ui.openFileName("aus Bibliothek", "Objekttypen (*.OTY *.oty)", projectDir);
  if (!chosen || chosen->empty()) return false;
  const ReadStatus status = readProject(project, withDefaultExtension(*chosen, "OTY"), projectDir, ui);
  if (status == ReadStatus::Missing || status == ReadStatus::MissingSilent) return false;
  project.modified = true;
  // The library may have brought further states of the type on show.
  if (hasType(page, project)) {
    const int selected = page.selectedState;
    selectType(page, project, page.currentType);
    selectState(page, selected);
  }
  return true;
}

}  // namespace kelvaro
