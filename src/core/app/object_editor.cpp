// The object editor's rules: filling the controls from an object, keeping them consistent
// while the user edits, and writing them back on OK.
#include "app/object_editor.h"

#include <algorithm>

#include "ui/user_interface.h"
#include "language/errors.h"
#include "language/program_lines.h"
#include "model/bitmap_search.h"
#include "model/object_types.h"
#include "model/type_states.h"
#include "storage/settings.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

// Codes from here upward carry a character position, lower ones a code position.
constexpr int kLowestCharacterCode = -50;
constexpr int kMaxObjectId = 9999;
// The initialisation object has nothing but a program.
constexpr std::string_view kInitName = "*INIT";

bool isGeneratedLine(std::string_view stored) { return stored.size() >= 2 && stored[0] == '-' && stored[1] == '&'; }

// The text of a stored program line as the editor shows it: without its marker.
std::string withoutMarker(std::string_view stored) {
  if (isGeneratedLine(stored)) return std::string(stored.substr(2));
  if (!stored.empty() && stored[0] == '-') return std::string(stored.substr(1));
  return std::string(stored);
}

std::string column(std::string_view text) {
  std::string cell = shortText(text, kVariableColumn);
  cell.resize(kVariableColumn, ' ');
  return cell;
}

std::string columnText(std::string_view def, std::size_t index) {
  const std::size_t from = index * kVariableColumn;
  if (from >= def.size()) return {};
  return trimRight(def.substr(from, kVariableColumn));
}

bool isBlank(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

void sortUnique(std::vector<int>& indexes, std::size_t size) {
  std::erase_if(indexes, [size](int i) { return i < 0 || static_cast<std::size_t>(i) >= size; });
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
}

std::string directoryOf(std::string_view file) {
  const std::size_t slash = file.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string() : std::string(file.substr(0, slash + 1));
}

std::string fileNameOf(std::string_view file) {
  const std::size_t slash = file.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? file : file.substr(slash + 1));
}

}  // namespace

int storedLineAtCharacter(const std::vector<std::string>& program, int position) {
  // The compiler counts each line without its leading blanks plus three separators.
  int offset = 0;
  int line = -1;
  for (std::size_t n = 0; n < program.size(); ++n) {
    if (offset > position) break;
    line = static_cast<int>(n);
    offset += static_cast<int>(trimLeft(statementText(program[n])).size()) + 3;
  }
  return position < 0 ? -1 : line;
}

int storedLineAtCode(const LineMap& map, int codePosition) {
  // The map holds the index of each emitted line itself, and the structure walk reports the
  // position of the offending byte, so the entry found is the failing line; stepping one line
  // back would point at the line before it.
  return lineAtCodePosition(map, codePosition);
}

EditorLine editorLineOfStored(const std::vector<std::string>& program, int storedLine) {
  if (storedLine < 0 || static_cast<std::size_t>(storedLine) >= program.size()) return {};
  int autoIndex = 0, programIndex = 0;
  for (int n = 0; n < storedLine; ++n) {
    if (isGeneratedLine(program[static_cast<std::size_t>(n)])) ++autoIndex;
    else ++programIndex;
  }
  if (isGeneratedLine(program[static_cast<std::size_t>(storedLine)])) return {EditorLine::Area::Auto, autoIndex};
  return {EditorLine::Area::Program, programIndex};
}

std::string errorPanelText(int code, std::string_view name) { return languageErrorMessage(code, name); }

std::string objectIdProblem(const Project& project, int self, std::string_view text) {
  const std::string entry = trimLeft(trimRight(text));
  if (entry.empty()) return {};
  const bool digitsOnly = entry.find_first_not_of("0123456789") == std::string::npos;
  const auto number = parseInt(entry);
  if (!digitsOnly) return fromUtf8("Zahlenwert oder Format ungültig");
  // A run of digits too long for int32 is still a number, only a far too large one.
  if (!number || *number > kMaxObjectId)
    return fromUtf8("Zahlen grösser 9999 sind nicht erlaubt\r0 eingeben wenn ID-Nr automatisch vergeben werden soll.");
  if (*number == 0) return {};
  for (std::size_t i = 0; i < project.objects.size(); ++i)
    if (static_cast<int>(i) != self && project.objects[i].ObjIDNr == *number)
      return fromUtf8("Diese ID wurde schon vergeben für Objekt ") + project.objects[i].Name;
  return {};
}

ObjectEditor::ObjectEditor(Project& project, int objectIndex, std::string bitmapDirectory, ObjectEditorHooks hooks)
    : m_project(project), m_index(objectIndex), m_bitmapDirectory(std::move(bitmapDirectory)), m_hooks(std::move(hooks)) {
  fill();
}

void ObjectEditor::fill() {
  const TPSObj& o = m_project.objects.at(static_cast<std::size_t>(m_index));
  m_name = o.Name;
  m_init = o.Name == kInitName;
  ObjectEditorFields& f = m_fields;
  f = {};
  // An object that was never given a type holds the stored default "Undefiniert"; the list
  // offers that choice as "(Undefiniert)", so it is shown under that name and not added twice.
  f.type = o.Typ == kUntypedObjectType ? std::string(kUndefinedTypeChoice) : o.Typ;
  f.kind = o.OKind;
  f.label = o.OName;
  f.objectId = std::to_string(o.ObjIDNr);
  f.voiceControl = o.VoiceContr;
  f.inActionMenu = o.SpecSt;
  f.deactivateAtStart = !o.Activ;
  f.invisibleAtStart = !o.visible;
  f.beep = o.Beep;
  f.inputExec = o.InputExec;
  f.autoSize = o.AutoSize;
  f.stretch = o.Stretch;
  f.screenInput = o.BSInputRB;
  f.plans = o.plans;
  f.outputForm = o.OutpRB;
  f.valueDisplay = o.OutpWrtRB;
  f.gaugeDirection = o.GaugeDirRB;
  f.gaugeFrom = o.GgeFrom;
  f.gaugeTo = o.GgeTo;
  f.gaugeColor = o.GgeCol;
  f.panelChars = o.PanelCh;
  f.panelRows = o.PanelRo;
  f.noBitmap = o.NoBitMapRB;
  f.stateBitmaps = o.stateBitmaps;
  f.stateCount = o.CtZust;
  f.typeClass = o.ObjTypO;
  if (o.OKind == kKindUser) {
    // The states follow the type as it is now, keeping the object's own bitmaps.
    TPSObj draft;
    draft.Typ = o.Typ;
    draft.stateBitmaps = o.stateBitmaps;
    syncStateBitmaps(draft, m_project.typeStates, o.Typ);
    f.stateBitmaps = std::move(draft.stateBitmaps);
    f.stateCount = draft.CtZust;
    f.typeClass = draft.ObjTypO;
    f.startState = o.StartVal;
  } else {
    f.startText = o.StartVal;
  }

  const auto interval = std::find(kIntervalCodes.begin(), kIntervalCodes.end(), o.ACode);
  f.interval = interval == kIntervalCodes.end() ? 0 : static_cast<int>(interval - kIntervalCodes.begin());
  for (const auto& def : o.varDefs) f.variables.push_back({columnText(def, 0), columnText(def, 1), columnText(def, 2)});
  if (f.variables.empty()) f.variables.emplace_back();
  for (const auto& line : o.program) {
    if (isGeneratedLine(line)) f.autoStatements.push_back(withoutMarker(line));
    else f.programLines.push_back(withoutMarker(line));
  }
  f.executeOnReceive = o.ExtActiv;

  f.group = o.Group;
  f.extTrans = o.ExtTrans;
  fillConversion(o.ExtTransList);
  f.hardwareRole = o.HdwTyp;
  f.receiveDevice = o.RcvDev;
  f.sendDevice = o.SndDev;
  f.acknowledge = o.RckMsg;
}

void ObjectEditor::fillConversion(const std::vector<std::string>& values) {
  auto& rows = m_fields.conversion;
  rows.clear();
  if (m_fields.kind == kKindUser) {
    for (std::size_t i = 0; i < m_fields.stateBitmaps.size(); ++i)
      rows.push_back({m_fields.stateBitmaps[i].state, i < values.size() ? values[i] : std::string()});
  } else {
    for (const auto& v : values) rows.push_back({{}, v});
  }
}

void ObjectEditor::showError(int code, int position, std::string_view name, const LineMap& map) {
  if (code == 0) return;
  m_fields.errorVisible = true;
  m_fields.errorText = errorPanelText(code, name);
  const auto& program = m_project.objects.at(static_cast<std::size_t>(m_index)).program;
  const int stored = code >= kLowestCharacterCode ? storedLineAtCharacter(program, position) : storedLineAtCode(map, position);
  m_fields.errorLine = editorLineOfStored(program, stored);
  m_fields.showAutoStatements = m_fields.errorLine.area == EditorLine::Area::Auto;
}

std::vector<std::string> ObjectEditor::typeChoices() const {
  std::vector<std::string> list = m_project.typeNames;
  for (auto kind : kFixedKinds) list.emplace_back(kind);
  return list;
}

std::vector<std::string> ObjectEditor::variableTypeChoices() const {
  std::vector<std::string> list(kVariableBaseTypes.begin(), kVariableBaseTypes.end());
  list.insert(list.end(), m_project.typeNames.begin(), m_project.typeNames.end());
  return list;
}

std::vector<std::string> ObjectEditor::statesOfType(std::string_view type) const { return statesOf(m_project.typeStates, type); }

std::vector<std::string> ObjectEditor::stateNames() const {
  std::vector<std::string> names;
  for (const auto& e : m_fields.stateBitmaps) names.push_back(e.state);
  return names;
}

std::vector<std::string> ObjectEditor::deviceChoices() const {
  // The connections of the stations that carry a name, each once.
  std::vector<std::string> list{""};
  for (const auto& station : m_project.stations) {
    const int count = std::clamp(station.CPDevAnz, 0, kSlotsPerStation);
    for (int k = 0; k < count; ++k) {
      const std::string& name = station.slots[static_cast<std::size_t>(k)].CNam;
      if (!name.empty() && std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
    }
  }
  return list;
}

std::vector<std::string> ObjectEditor::objectVariableList() const {
  std::vector<std::string> list;
  for (std::size_t i = 0; i < m_project.objects.size(); ++i) {
    const TPSObj& o = m_project.objects[i];
    list.push_back(o.Name);
    if (static_cast<int>(i) == m_index) {
      // The edited object's variables as the grid holds them now.
      for (const auto& row : m_fields.variables)
        if (!trimRight(row.name).empty()) list.push_back(trimRight(row.name));
    } else {
      for (const auto& def : o.varDefs) {
        const std::string name = columnText(def, 0);
        if (!name.empty()) list.push_back(o.Name + "." + name);
      }
    }
  }
  return list;
}

std::vector<std::string> ObjectEditor::viewListEntries() const {
  std::vector<std::string> list;
  for (std::size_t i = 0; i < m_project.views.size(); ++i)
    list.push_back((viewMarked(static_cast<int>(i)) ? std::string(kViewMark) : std::string()) + m_project.views[i].name);
  return list;
}

void ObjectEditor::chooseType(std::string_view type) {
  ObjectEditorFields& f = m_fields;
  f.type = std::string(type);
  f.kind = objectKindForType(type);
  if (f.kind != kKindUser) {
    f.stateBitmaps.clear();
    f.stateCount = 0;
    f.typeClass = kTypeClassGeneral;
    f.startState.clear();
    std::vector<std::string> values;
    for (const auto& row : f.conversion) values.push_back(row.value);
    fillConversion(values);
    return;
  }
  std::vector<std::string> oldValues;
  for (const auto& row : f.conversion) oldValues.push_back(row.value);

  TPSObj draft;
  draft.Typ = f.type;
  draft.stateBitmaps = std::move(f.stateBitmaps);
  draft.ExtTrans = f.extTrans;
  draft.StartVal = f.startState;
  syncStateBitmaps(draft, m_project.typeStates, f.type);
  setUpShutterCodes(draft);  // fills the conversion list afresh for shutter types only

  f.stateBitmaps = std::move(draft.stateBitmaps);
  f.stateCount = draft.CtZust;
  f.typeClass = draft.ObjTypO;
  f.extTrans = draft.ExtTrans;
  const auto names = stateNames();
  if (std::find(names.begin(), names.end(), draft.StartVal) != names.end()) f.startState = draft.StartVal;
  else f.startState = names.empty() ? std::string() : names.front();
  fillConversion(draft.ExtTransList.empty() ? oldValues : draft.ExtTransList);
  f.hardwareRole = hardwareRoleOfType(m_project.types, f.type);
}

bool ObjectEditor::viewMarked(int viewIndex) const {
  if (viewIndex < 0 || static_cast<std::size_t>(viewIndex) >= m_project.views.size()) return false;
  const std::string& view = m_project.views[static_cast<std::size_t>(viewIndex)].name;
  return std::any_of(m_fields.plans.begin(), m_fields.plans.end(),
                     [&](const TPlan& p) { return !p.ViewName.empty() && equalsNoCase(p.ViewName, view); });
}

std::string ObjectEditor::viewButtonCaption(int viewIndex) const {
  return viewMarked(viewIndex) ? "Ansicht deaktivieren" : "Ansicht aktivieren";
}

bool ObjectEditor::toggleView(UserInterface& ui, int viewIndex) {
  if (viewIndex < 0 || static_cast<std::size_t>(viewIndex) >= m_project.views.size()) return true;
  const std::string& view = m_project.views[static_cast<std::size_t>(viewIndex)].name;
  if (viewMarked(viewIndex)) {
    for (auto& plan : m_fields.plans)
      if (equalsNoCase(plan.ViewName, view)) plan.ViewName.clear();
    return true;
  }
  for (auto& plan : m_fields.plans) {
    if (!plan.ViewName.empty()) continue;
    plan = TPlan{};
    plan.ViewName = view;
    plan.Left = 10;
    plan.Top = 10;
    plan.Width = 80;
    plan.Height = 50;
    return true;
  }
  ui.showMessage({MessageKind::Information, fromUtf8("Es können maximal 3 Pläne ausgewählt werden"), MessageButtons::Ok, 0});
  return false;
}

bool ObjectEditor::leaveObjectId(UserInterface& ui) {
  const std::string problem = objectIdProblem(m_project, m_index, m_fields.objectId);
  if (problem.empty()) return true;
  kelvaro::showError(ui, problem);
  return false;
}

void ObjectEditor::setInActionMenu(UserInterface& ui, bool ticked) {
  if (m_fields.inActionMenu && !ticked && !isBlank(m_fields.voiceControl))
    ui.showMessage({MessageKind::Warning,
                    "Wenn das Objekt nicht im Aktionsmen\xFC erscheint \rkann keine Sprachsteuerung erfolgen !",
                    MessageButtons::Ok, 0});
  m_fields.inActionMenu = ticked;
}

void ObjectEditor::setHardwareRole(std::int32_t role) {
  m_fields.hardwareRole = role;
  if (!receiveDeviceVisible()) m_fields.receiveDevice.clear();
  if (!sendDeviceVisible()) m_fields.sendDevice.clear();
}

bool ObjectEditor::receiveDeviceVisible() const {
  return m_fields.hardwareRole == kRoleSensor || m_fields.hardwareRole == kRoleInOut;
}

bool ObjectEditor::sendDeviceVisible() const {
  return m_fields.hardwareRole == kRoleActor || m_fields.hardwareRole == kRoleInOut;
}

void ObjectEditor::setVariableType(int row, std::string_view type) {
  if (row < 0 || static_cast<std::size_t>(row) >= m_fields.variables.size()) return;
  VariableRow& r = m_fields.variables[static_cast<std::size_t>(row)];
  if (r.type != type) r.start.clear();  // a start value of the old type means nothing now
  r.type = std::string(type);
}

bool ObjectEditor::startIsStateChoice(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= m_fields.variables.size()) return false;
  const std::string type = trimRight(m_fields.variables[static_cast<std::size_t>(row)].type);
  if (type.empty()) return false;
  return std::none_of(kVariableBaseTypes.begin(), kVariableBaseTypes.end(), [&](std::string_view t) { return t == type; });
}

void ObjectEditor::deleteVariableRow(int row) {
  auto& rows = m_fields.variables;
  if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) return;
  rows.erase(rows.begin() + row);
  if (rows.empty()) rows.emplace_back();  // the grid keeps one data row to type into
}

void ObjectEditor::chooseStateBitmap(int state, std::string_view file) {
  if (state < 0 || static_cast<std::size_t>(state) >= m_fields.stateBitmaps.size() || file.empty()) return;
  TBitmapNam bitmap;
  if (!m_bitmapDirectory.empty() && directoryOf(file) == m_bitmapDirectory) bitmap.BitmapName = fileNameOf(file);
  else bitmap.BitmapName = std::string(file);
  bitmap.NoPath = noPathFlag(bitmap.BitmapName);
  bitmap.ObjectOwn = 1;
  m_fields.stateBitmaps[static_cast<std::size_t>(state)].bitmap = bitmap;
}

void ObjectEditor::removeStateBitmap(int state) {
  if (state < 0 || static_cast<std::size_t>(state) >= m_fields.stateBitmaps.size()) return;
  m_fields.stateBitmaps[static_cast<std::size_t>(state)].bitmap.reset();
}

std::string ObjectEditor::stateBitmapFile(int state) const {
  if (state < 0 || static_cast<std::size_t>(state) >= m_fields.stateBitmaps.size()) return {};
  const auto& bitmap = m_fields.stateBitmaps[static_cast<std::size_t>(state)].bitmap;
  if (!bitmap || bitmap->BitmapName.empty()) return {};
  return findBitmap(bitmap->BitmapName, bitmap->NoPath, m_bitmapDirectory, m_hooks.projectFile).path;
}

bool ObjectEditor::deleteAutoStatements(UserInterface& ui, std::vector<int> selected) {
  auto& list = m_fields.autoStatements;
  sortUnique(selected, list.size());
  if (selected.empty()) {
    ui.showMessage({MessageKind::Information, fromUtf8("Kein Eintrag ausgewählt"), MessageButtons::Ok, 0});
    return false;
  }
  if (m_hooks.removeAuxiliaryObject)
    for (int i : selected) m_hooks.removeAuxiliaryObject(list[static_cast<std::size_t>(i)]);
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) list.erase(list.begin() + *it);
  // Removing an object ahead of the edited one moves it in the list.
  m_index = findObject(m_project, m_name);
  return true;
}

bool ObjectEditor::convertAutoStatements(UserInterface& ui, std::vector<int> selected) {
  auto& list = m_fields.autoStatements;
  sortUnique(selected, list.size());
  if (selected.empty()) {
    ui.showMessage({MessageKind::Information, fromUtf8("Kein Eintrag ausgewählt"), MessageButtons::Ok, 0});
    return false;
  }
  // Generated lines stand ahead of the typed ones in the program, so the converted lines go
  // to the top of the program box and the program keeps its order.
  std::vector<std::string> converted;
  for (int i : selected) converted.push_back(list[static_cast<std::size_t>(i)]);
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) list.erase(list.begin() + *it);
  m_fields.programLines.insert(m_fields.programLines.begin(), converted.begin(), converted.end());
  return true;
}

bool ObjectEditor::pageAllowed(UserInterface& ui, EditorPage page) {
  if (!m_init || page == EditorPage::Program) return true;
  ui.showMessage({MessageKind::Information,
                  fromUtf8("Beim Init-Objekt steht nur die Seite Programmierung zur Verfügung"), MessageButtons::Ok, 0});
  return false;
}

bool ObjectEditor::accept(UserInterface& ui) {
  if (m_index < 0 || static_cast<std::size_t>(m_index) >= m_project.objects.size()) return true;
  TPSObj& o = m_project.objects[static_cast<std::size_t>(m_index)];
  // An edited ID is checked again: OK may be reached without leaving the field, and a refused
  // number must not be stored. An untouched one stays, also the 10000 + index that the
  // compiler gives objects with automatic IDs.
  const bool idEdited = trimLeft(trimRight(m_fields.objectId)) != std::to_string(o.ObjIDNr);
  if (idEdited && !leaveObjectId(ui)) return false;
  const ObjectEditorFields& f = m_fields;

  m_project.modified = true;

  o.stateBitmaps = f.stateBitmaps;
  o.CtZust = f.stateCount;
  o.ObjTypO = f.typeClass;

  o.OName = shortText(isBlank(f.label) ? o.Name : f.label, kShortText64);
  o.VoiceContr = shortText(f.voiceControl, kShortText64);
  if (idEdited) {
    const auto id = parseInt(f.objectId);
    o.ObjIDNr = static_cast<std::uint16_t>(id && *id >= 0 && *id <= kMaxObjectId ? *id : 0);
  }
  o.Group = shortText(trimRight(f.group), kShortText32);
  if (!o.Group.empty()) addGroupName(m_project, o.Group);
  o.SndDev = shortText(f.sendDevice, kShortText32);
  o.RcvDev = shortText(f.receiveDevice, kShortText32);
  // Left as "(Undefiniert)", an untyped object keeps its stored default: the compiler and the
  // run leave out exactly the objects whose type reads "Undefiniert".
  if (!(o.Typ == kUntypedObjectType && f.type == kUndefinedTypeChoice)) o.Typ = shortText(f.type, kShortText64);
  o.OKind = f.kind;
  o.StartVal = shortText(f.kind == kKindUser ? f.startState : f.startText, kShortText64);
  o.SpecSt = f.inActionMenu;
  o.Activ = !f.deactivateAtStart;
  o.visible = !f.invisibleAtStart;
  o.Beep = f.beep;
  o.InputExec = f.inputExec;
  o.AutoSize = f.autoSize;
  o.Stretch = f.stretch;
  o.ExtActiv = f.executeOnReceive;
  o.RckMsg = f.acknowledge;
  o.ExtTrans = f.extTrans;
  o.BSInputRB = f.screenInput;
  o.NoBitMapRB = f.noBitmap;
  o.OutpRB = f.outputForm;
  o.OutpWrtRB = f.valueDisplay;
  o.GaugeDirRB = f.gaugeDirection;
  o.GgeFrom = f.gaugeFrom;
  o.GgeTo = f.gaugeTo;
  o.GgeCol = f.gaugeColor;
  o.PanelCh = f.panelChars;
  o.PanelRo = f.panelRows;
  o.plans = f.plans;

  o.ACode = kIntervalCodes[static_cast<std::size_t>(std::clamp(f.interval, 0, static_cast<int>(kIntervalCodes.size()) - 1))];

  o.program.clear();
  for (const auto& s : f.autoStatements) o.program.push_back("-&" + s);
  for (const auto& line : f.programLines) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    if (isBlank(text) || text.starts_with("*&")) continue;
    o.program.push_back("-" + text);
  }

  o.varDefs.clear();
  for (const auto& row : f.variables) {
    if (isBlank(row.name)) continue;
    o.varDefs.push_back(column(trimRight(trimLeft(row.name))) + column(trimRight(row.type)) + column(trimRight(row.start)));
  }

  o.ExtTransList.clear();
  for (const auto& row : f.conversion) o.ExtTransList.push_back(row.value);
  o.HdwTyp = f.hardwareRole;
  return true;
}

void ObjectEditor::cancel() {
  if (m_index < 0 || static_cast<std::size_t>(m_index) >= m_project.objects.size()) return;
  keepOwnBitmaps(m_project.objects[static_cast<std::size_t>(m_index)]);
}

}  // namespace kelvaro
