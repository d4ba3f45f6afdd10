// The debugger dialog "Ablaufverfolgung": shown modally whenever the engine stops before a
// statement; it shows what the core's Debugger holds and hands back the user's command.
#pragma once

#include <QDialog>
#include <functional>

#include "runtime/debugger.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace kelvaro::gui {

class TExtMemo;

class TDebugF : public QDialog, public DebuggerDialog {
  Q_OBJECT

 public:
  explicit TDebugF(QWidget* parent = nullptr);

  // DebuggerDialog: fills the controls from the debugger, waits for a button.
  DebugAnswer show(Debugger& debugger) override;
  using QDialog::show;

  // Opens the help window on a topic; unset: "Hilfe" does nothing.
  std::function<void(const QString& topic)> showHelp;

  // The controls, for the execution window's tests.
  QLabel* Panel1 = nullptr;
  TExtMemo* DebugMBox = nullptr;
  QListWidget* DebVarLBox = nullptr;
  QPushButton* StepBtn = nullptr;
  QPushButton* DebVarBtn = nullptr;
  QPushButton* BrkPtBtn = nullptr;
  QPushButton* DelBarBtn = nullptr;
  QPushButton* RunBtn = nullptr;
  QPushButton* EndBtn = nullptr;
  QPushButton* HelpBtn = nullptr;

 Q_SIGNALS:
  // Emitted when the dialog is about to wait for the user (tests answer from here).
  void stopped();

 private:
  void StepBtnClick();
  void RunBtnClick();
  void BrkPtBtnClick();
  void EndBtnClick();
  void DebVarBtnClick();
  void DelBarBtnClick();
  void fillLines();
  void fillWatch();
  void selectStatementLine();

  Debugger* m_debugger = nullptr;
  DebugAnswer m_answer;
};

}  // namespace kelvaro::gui
