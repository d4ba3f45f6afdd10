// The window "Modem-Verbindung": dials a distant control unit through a Hayes modem, waits for
// its call and hangs up. Its controls are bound to ModemConnection; while the link is up its
// receive timer hands the unit's link frames (password request, end of the link, project name)
// to ModemFrames, and a project named by the unit starts the visualisation through the link.
#pragma once

#include <QDialog>
#include <QPointer>
#include <memory>

#include "app/modem_connection.h"
#include "app/modem_frames.h"
#include "main_context.h"
#include "runtime/hardware_exchange.h"
#include "stations/unit_line.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class QWidget;

namespace kelvaro::gui {

class TRemoteF final : public QDialog {
  Q_OBJECT

 public:
  // The window holds the line until it is destroyed.
  TRemoteF(MainContext& context, std::unique_ptr<UnitLine> line, QWidget* parent);
  ~TRemoteF() override;

  ModemConnection& connection() { return m_connection; }
  ModemFrames& frames() { return m_frames; }
  Protocol& protocol() { return m_line->protocol; }

  // Shows the state of the connection in the controls.
  void showState();
  // What the three 100 ms timers do: the modem's two timers, then the receive timer's step,
  // which hands the slot to ModemFrames while the link is up.
  void timer1Timer();
  void timer2Timer();
  void receiveTick();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Escape closes as the close box does, through the question about an active link.
  void reject() override { close(); }
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The unit named its project: load it and visualise the unit through the link.
  void visualiseRemoteProject(const std::string& name);
  void readFields();

  MainContext& m_context;
  std::unique_ptr<UnitLine> m_line;
  ModemConnection m_connection;
  ModemFrames m_frames;
  ProtocolStationLink m_runLink;
  bool m_visualising = false;

  QLineEdit* m_telNr = nullptr;
  QLineEdit* m_modemInit = nullptr;
  QComboBox* m_comPort = nullptr;
  QLabel* m_comPortLabel = nullptr;
  QWidget* m_settingsPart = nullptr;
  QListWidget* m_inputBox = nullptr;
  QLabel* m_conPnl = nullptr;
  QPushButton* m_connectBtn = nullptr;
  QPushButton* m_waitBtn = nullptr;
  QPushButton* m_sendBtn = nullptr;
  QLineEdit* m_remoteAnw = nullptr;
  QTimer* m_timer1 = nullptr;
  QTimer* m_timer2 = nullptr;
  QTimer* m_receiveTimer = nullptr;
};

// "&Remote-Kontrolle": opens the window on the page's line, or brings the open one to the front.
// Null when the line is held by another command.
TRemoteF* openRemoteWindow(MainContext& context, QWidget* parent);
// The window that is open, or null.
TRemoteF* openedRemoteWindow();
// "Remote-&Visualisierung": asks the unit at the other end of the link for its project; says so
// when there is no link.
void requestRemoteVisualisation(MainContext& context);

}  // namespace kelvaro::gui
