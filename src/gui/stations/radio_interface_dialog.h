// The dialog "Einstellungen Funk-Schnittstelle" (TInterfEinstF): the central code for FHT8b
// room controllers and the serial number of the radio part, read when it opens, written on
// request; it holds the line to the unit while open.
#pragma once

#include <QDialog>
#include <memory>

#include "stations/dialog_support.h"

class QLabel;
class QSpinBox;

namespace kelvaro {
class RadioInterfaceCommands;
}

namespace kelvaro::gui {

struct UnitLine;

class TInterfEinstF : public QDialog {
  Q_OBJECT

 public:
  TInterfEinstF(MainContext& context, QWidget* parent);
  ~TInterfEinstF() override;

  // Opens the line and reads the central code; false when no device answered.
  bool connectLine();
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showFields();
  void writeCode();

  MainContext& m_context;
  StatusLineInterface m_ui;
  std::unique_ptr<UnitLine> m_line;
  std::unique_ptr<RadioInterfaceCommands> m_commands;
  bool m_busy = false;         // a command waits on the line
  QSpinBox* m_code = nullptr;  // ZentrCodeEdt
  QLabel* m_codeLabel = nullptr;
  QLabel* m_serial = nullptr;  // SerNrLb
  QLabel* m_status = nullptr;  // MsgLab
  QWidget* m_write = nullptr;  // ZentrCodeWriteBtn
};

// Opens the dialog on the unit of the page "Steuereinheit" (its button "Einstellungen
// &Funkschnittstelle"); the main timer rests while it is open. Returns the dialog, which
// deletes itself when closed.
TInterfEinstF* openRadioInterfaceDialog(MainContext& context, QWidget* parent);

}  // namespace kelvaro::gui
