// The object editor "Objektdefinition" without widgets: every control's value, filled from
// one object, the rules that tie the controls together, and OK / Cancel. The dialog only
// draws these fields and forwards the user's actions, so a test reaches every rule.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/editor_request.h"
#include "language/line_map.h"
#include "model/project.h"

namespace kelvaro {

class UserInterface;

inline constexpr std::string_view kUndefinedTypeChoice = "(Undefiniert)";
// The kinds that follow the user's types in every type choice.
inline constexpr std::array<std::string_view, 4> kFixedKinds = {"Zahl", "Zeichen", "Knopf", kUndefinedTypeChoice};
// The built-in variable types; any other type of the variable grid is a user type.
inline constexpr std::array<std::string_view, 4> kVariableBaseTypes = {"Zahl", "Uhr", "Datum", "Zeichen"};
// "Ausführungsintervall": the choice's rows in order and the ACode each one stores.
inline constexpr std::array<std::uint8_t, 6> kIntervalCodes = {254, 1, 2, 4, 8, 16};
// Name, type and start value of a variable definition each fill a column of this width.
inline constexpr std::size_t kVariableColumn = 20;
inline constexpr std::string_view kViewMark = "->";
// Hardware roles of "Hardware ist"; 4 means none chosen.
inline constexpr std::int32_t kRoleSensor = 0, kRoleActor = 1, kRoleInOut = 2, kRoleNone = 3, kRoleUnset = 4;

struct VariableRow {
  std::string name, type, start;
};

struct ConversionRow {
  std::string state;  // empty for objects without states
  std::string value;
};

// Where a program line lies in the editor: in the program box or among the generated
// statements ("Auto-Anweisungen"), by its index there.
struct EditorLine {
  enum class Area { None, Program, Auto };
  Area area = Area::None;
  int index = -1;
  bool operator==(const EditorLine&) const = default;
};

// The values of every control of the dialog.
struct ObjectEditorFields {
  // "Typ"
  std::string type;
  char kind = kKindUndefined;
  std::string label;        // "Bezeichnung"
  std::string startText;    // "Startwert" of objects without states
  std::string startState;   // the start state of a user-type object
  std::string objectId;     // "Objekt-ID-Nr." as typed
  std::string voiceControl; // "Befehl für Sprachsteuerung"
  bool inActionMenu = false;
  bool deactivateAtStart = false, invisibleAtStart = false;
  bool beep = false, inputExec = true, autoSize = true, stretch = false;
  int screenInput = 0;  // BSInputRB
  std::array<TPlan, 3> plans{};
  int outputForm = 0, valueDisplay = 1, gaugeDirection = 0;
  int gaugeFrom = 0, gaugeTo = 0, gaugeColor = 2;
  int panelChars = 0, panelRows = 0;
  std::vector<StateBitmapEntry> stateBitmaps;  // one per state of the type, in state order
  int noBitmap = 2;
  std::int32_t stateCount = 0, typeClass = 0;  // CtZust and ObjTypO as the type gives them

  // "Programmierung"
  int interval = 0;  // row of "Ausführungsintervall"
  std::vector<VariableRow> variables;
  std::vector<std::string> programLines;    // the program box, one entry per line
  std::vector<std::string> autoStatements;  // generated statements without their "-&"
  bool executeOnReceive = true;             // "Ausführung bei Empfang" (ExtActiv)
  bool showAutoStatements = false;          // the program area shows the generated list
  bool errorVisible = false;
  std::string errorText;
  EditorLine errorLine;

  // "Hardware"
  std::string group;
  bool extTrans = false;
  std::vector<ConversionRow> conversion;
  std::int32_t hardwareRole = kRoleUnset;
  std::string receiveDevice, sendDevice;
  bool acknowledge = false;
};

struct ObjectEditorHooks {
  // Deletes the auxiliary object a generated statement names (the objects page's
  // non-interactive delete). Unset: deleting statements removes only the statements.
  std::function<void(std::string_view statement)> removeAuxiliaryObject;
  // The project's file: a state bitmap missing in the bitmap directory is looked for beside it.
  std::string projectFile;
};

// The line of the stored program that holds a character position of the compiler (the
// position counts every earlier line without leading blanks plus three); -1 when none.
int storedLineAtCharacter(const std::vector<std::string>& program, int position);
// The stored line the line map names for a code position; -1 when none.
int storedLineAtCode(const LineMap& map, int codePosition);
// Where the editor shows a stored line: generated lines in their list, the others in the box.
EditorLine editorLineOfStored(const std::vector<std::string>& program, int storedLine);
// The error text of the panel for a compiler or run-time error code.
std::string errorPanelText(int code, std::string_view name);

// A problem with the typed object ID ("Objekt-ID-Nr."), as the message to show; empty when
// the entry is acceptable. self is the edited object, which may keep its own ID.
std::string objectIdProblem(const Project& project, int self, std::string_view text);

class ObjectEditor {
 public:
  ObjectEditor(Project& project, int objectIndex, std::string bitmapDirectory, ObjectEditorHooks hooks = {});

  ObjectEditorFields& fields() { return m_fields; }
  const ObjectEditorFields& fields() const { return m_fields; }
  const Project& project() const { return m_project; }
  // The edited object's current index; it moves when an auxiliary object before it goes.
  int objectIndex() const { return m_index; }
  const std::string& objectName() const { return m_name; }
  bool isInitObject() const { return m_init; }

  // Shows a compile or run-time error: page "Programmierung", the panel and the failing line.
  void showError(int code, int position, std::string_view name, const LineMap& map);

  // Choice lists.
  std::vector<std::string> typeChoices() const;
  std::vector<std::string> variableTypeChoices() const;
  std::vector<std::string> statesOfType(std::string_view type) const;
  std::vector<std::string> stateNames() const;  // the states of the chosen type
  std::vector<std::string> deviceChoices() const;
  // "Objekte/Var.": each object's name followed by its variables.
  std::vector<std::string> objectVariableList() const;
  // The view list with "->" before each view a placement names.
  std::vector<std::string> viewListEntries() const;

  // The type choice: kind, panels, states, start state, conversion grid, hardware role.
  void chooseType(std::string_view type);
  bool numberPanelVisible() const { return m_fields.kind == kKindNumber; }
  bool textPanelVisible() const { return m_fields.kind == kKindText; }
  bool statesPanelVisible() const { return m_fields.kind == kKindUser; }

  // Double-click on a view or "Ansicht wählen"; false when the limit message was shown.
  bool toggleView(UserInterface& ui, int viewIndex);
  bool viewMarked(int viewIndex) const;
  std::string viewButtonCaption(int viewIndex) const;

  // Leaving "Objekt-ID-Nr." after an edit; false (message shown) keeps the focus there.
  bool leaveObjectId(UserInterface& ui);
  void setInActionMenu(UserInterface& ui, bool ticked);

  // Editing aids.
  void setOutputForm(int form) { m_fields.outputForm = form; }
  bool barPanelVisible() const { return m_fields.outputForm == 1 || m_fields.outputForm == 2; }
  bool valueChoiceVisible() const { return m_fields.outputForm == 1; }
  bool conversionGridVisible() const { return m_fields.extTrans; }
  void setHardwareRole(std::int32_t role);
  bool receiveDeviceVisible() const;
  bool sendDeviceVisible() const;

  // Variable grid.
  void setVariableType(int row, std::string_view type);
  bool startIsStateChoice(int row) const;  // the row's type is a user type
  void deleteVariableRow(int row);

  // State bitmaps ("&BitMap", "&Entfernen") and the preview's file.
  void chooseStateBitmap(int state, std::string_view file);
  void removeStateBitmap(int state);
  std::string stateBitmapFile(int state) const;  // full path; empty when none

  // "Auto-Anweisungen": false when nothing was selected (message shown).
  bool deleteAutoStatements(UserInterface& ui, std::vector<int> selected);
  bool convertAutoStatements(UserInterface& ui, std::vector<int> selected);

  // Changing the notebook page; false (message shown) for the *INIT object's other pages.
  bool pageAllowed(UserInterface& ui, EditorPage page);

  // OK: writes the fields into the object. False when an entry is refused (message shown).
  bool accept(UserInterface& ui);
  // Cancel: the object keeps only its own bitmaps; nothing else is stored.
  void cancel();

 private:
  void fill();
  void fillConversion(const std::vector<std::string>& values);

  Project& m_project;
  int m_index;
  std::string m_name;
  std::string m_bitmapDirectory;
  ObjectEditorHooks m_hooks;
  bool m_init = false;
  ObjectEditorFields m_fields;
};

}  // namespace kelvaro
