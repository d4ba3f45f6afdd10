// The debugger of a PC execution without its dialog: when to stop before a statement, which
// program line to select, breakpoints as ">" markers in the program lines, and the watch list.
// The dialog (Qt, or a script in tests) only shows what the Debugger holds and answers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/user_interface.h"
#include "runtime/engine.h"

namespace kelvaro {

class Debugger;

enum class DebugCommand {
  Step,              // "&Schritt": one statement further
  Run,               // "&Ausführen": on without single-stepping
  ToggleBreakpoint,  // "&Haltepunkt" on caretLine; the dialog is shown again
  End,               // "A&bbruch": end the execution
};

struct DebugAnswer {
  DebugCommand command = DebugCommand::Step;
  int caretLine = -1;  // ToggleBreakpoint: the line of the selection start
};

// The modal dialog. While it is shown it may add and remove watch lines through the debugger.
class DebuggerDialog {
 public:
  virtual ~DebuggerDialog() = default;
  virtual DebugAnswer show(Debugger& debugger) = 0;
};

class Debugger {
 public:
  // traceList: the names of the objects to single-step in; empty = all of them.
  Debugger(Engine& engine, UserInterface& ui, DebuggerDialog& dialog, std::vector<std::string> traceList = {});

  // The engine's hook: at the start of an object program, and before each statement. The
  // latter returns false when the user ended the execution.
  void objectStarted(int object);
  bool beforeStatement(int object, int codePosition);

  // "Einzelschritt" of the execution window.
  void singleStep() { m_singleStep = true; }
  bool singleStepping() const { return m_singleStep; }

  // What the dialog shows while stopped.
  const std::string& objectName() const { return m_objectName; }
  const std::string& objectType() const { return m_objectType; }
  std::string caption() const { return m_objectName + " (" + m_objectType + ")"; }
  const std::vector<std::string>& lines() const { return m_lines; }  // with their markers
  int selectedLine() const { return m_selectedLine; }
  int selectionStart() const { return m_selectionStart; }    // in the memo text, lines joined by CR LF
  int selectionLength() const { return m_selectionLength; }  // the line's length, at most 30
  const std::vector<std::string>& watchLines() const { return m_watch; }

  // "&Inhalt": looks the selected text up, else asks for a name; "Variable nicht vorhanden"
  // when neither is a variable. True when a watch line was added.
  bool addWatch(std::string_view selectedText);
  void removeWatch(std::size_t index);
  // The look-up rules: the stopped object's variable, else the state of the object of that
  // name, or a full «OBJECT.VARIABLE» key. The symbol's key, or "" when there is none.
  std::string lookUp(std::string_view text) const;
  // The watch line of a symbol key; "" when it is not in the symbol list.
  std::string watchLine(std::string_view key) const;

  // A marker toggled: "-" becomes ">", anything else "-".
  static void toggleMarker(std::string& line);

 private:
  void select(int line);
  void refreshWatch();

  Engine& m_engine;
  UserInterface& m_ui;
  DebuggerDialog& m_dialog;
  std::vector<std::string> m_traceList;
  bool m_singleStep = false;
  int m_object = -1;
  std::string m_objectName, m_objectType;
  std::vector<std::string> m_lines;
  int m_selectedLine = -1;
  int m_selectionStart = 0;
  int m_selectionLength = 0;
  std::vector<std::string> m_watch;
};

}  // namespace kelvaro
