// The station test "Signalstation NAME testen" (TChkStatF): sensor test, reset and the
// communication-error counter of one wired station, on the line the station dialog holds;
// a 10 ms timer takes what the station sends back.
#pragma once

#include <QDialog>
#include <array>

#include "stations/dialog_support.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTimer;

namespace kelvaro {
class StationCommands;
struct TPSContr;
}  // namespace kelvaro

namespace kelvaro::gui {

class TChkStatF : public QDialog {
  Q_OBJECT

 public:
  // status: the station dialog's user interface, whose status line this dialog takes over
  // while it is open.
  TChkStatF(MainContext& context, StationCommands& commands, StatusLineInterface& status, TPSContr& station,
            QWidget* parent);
  ~TChkStatF() override;

  // One tick of the receive timer (the timer calls it every 10 ms).
  void receiveTick();
  QTimer* receiveTimer() const { return m_timer; }
  void done(int result) override;

 private:
  void send(int command);

  StationCommands& m_commands;
  StatusLineInterface& m_ui;
  QLabel* m_previousStatus = nullptr;
  TPSContr& m_station;
  QTimer* m_timer = nullptr;
  QComboBox* m_threshold = nullptr;      // CoErCB
  std::array<QLineEdit*, 4> m_values{};  // Wert1 to Wert4
  QLineEdit* m_errorCount = nullptr;     // CoErAnz
  QLabel* m_status = nullptr;
  bool m_inTick = false;  // a frame is being sent or received
};

}  // namespace kelvaro::gui
