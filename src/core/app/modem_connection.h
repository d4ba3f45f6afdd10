// The window "Modem-Verbindung" without its widgets: dialling a distant control unit through a
// Hayes modem, waiting for its call, hanging up, and the direct test link. The window binds its
// controls to the fields and entry points here and runs the two 100 ms timers; everything it
// shows is read from this object, so that the whole exchange with the modem runs in tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/protocol.h"

namespace kelvaro {

class UserInterface;
struct Settings;

// What the state panel means; the window paints yellow, green and aqua.
enum class ModemPanelColor { Yellow, Green, Aqua };

inline constexpr std::size_t kModemBlockSize = 256;
// Most bytes one tick of the answer timer takes from the port.
inline constexpr int kModemReadLimit = 4096;
// The answer text keeps its newest characters once the states have looked at it, so that a
// modem that never stops talking cannot grow it without end.
inline constexpr std::size_t kModemAnswerKeep = 4096;
// Lines kept in the "Meldungen" list.
inline constexpr std::size_t kModemAnswerLines = 500;
inline constexpr int kModemTimerMs = 100;

// The modem's time limits and the pauses of the hang-up.
inline constexpr double kDaysModemOk = 8e-5;          // 6.912 s for "OK\r"
inline constexpr double kDaysModemConnect = 8e-4;     // 69.12 s for "CONNECT"
inline constexpr double kDaysModemSettle = 5e-6;      // 432 ms before the answers are read
inline constexpr double kDaysModemHangUpStep = 6e-6;  // 518.4 ms between the DTR changes

// Error codes of the window.
inline constexpr int kModemNoError = 0;
inline constexpr int kModemNoAcknowledge = 3;
inline constexpr int kModemClosed = -1;

inline constexpr std::string_view kModemClosingQuestion =
    "Es besteht eine aktive Verbindung, soll trotzedem beendet werden?";

// The 256-byte block the modem gets for a command: the text, cut to the block, then NUL bytes.
std::vector<std::uint8_t> modemBlock(std::string_view text);
// The dial command: "ATDT" + number + "\r", nothing more.
std::string dialCommand(std::string_view number);

class ModemConnection {
 public:
  ModemConnection(Protocol& protocol, UserInterface& ui);
  ModemConnection(const ModemConnection&) = delete;
  ModemConnection& operator=(const ModemConnection&) = delete;

  // The settings part of the window.
  std::string TelNrEdt;
  std::string ModemInitEdt;
  std::string ComPortCB;  // "COM1" ... "COM4"
  bool settingsShown = false;
  // The free command SendBtn writes.
  std::string RemoteAnwEdt;

  // What the window shows.
  std::vector<std::string> InputBox;  // "Meldungen": the modem's answers, line by line
  bool ConPnlVisible = false;
  std::string ConPnl;
  ModemPanelColor ConPnlColor = ModemPanelColor::Yellow;
  std::string ConnectBtn;
  std::string WaitForConnectBtn;
  bool WaitForConnectBtnVisible = true;
  bool SendBtnEnabled = false;
  // Called when a call or a dial connects: the window comes back if it was minimised.
  std::function<void()> restoreWindow;

  // Opening the window: the saved telephone number, initialisation text and port.
  void FormShow(const Settings& settings);
  // Closing the window: false when the user keeps an active link. Otherwise the link ends, the
  // port is closed and the telephone number, initialisation text and port are saved.
  bool FormClose(Settings& settings);

  void ConnectBtnClick();
  void WaitForConnectBtnClick();
  void SendBtnClick();
  void DelBtnClick();
  void CfgBtnClick() { settingsShown = !settingsShown; }
  void ComPortLbDblClick();
  // The escape and hang-up sequence on its own, for a modem an earlier session left off-hook:
  // opens the port, hangs up, reads the modem's answers into InputBox and closes the port.
  // False when the port does not open or the window is using it.
  bool HangUpModem();

  // The two 100 ms timers; a tick while the timer is stopped, or while the same timer is still
  // busy (its waits let the user interface work), does nothing.
  void timer1Tick();
  void timer2Tick();
  bool timer1Running() const { return m_timer1; }
  bool timer2Running() const { return m_timer2; }

  // The state.
  bool portOpen() const { return m_portOpen; }
  bool dialling() const { return m_dialling; }
  bool initialising() const { return m_initialising; }
  bool initAcknowledged() const { return m_initAcknowledged; }
  bool connected() const { return m_connected; }
  bool answerMode() const { return m_answerMode; }
  bool testLink() const { return m_testLink; }
  int errorCode() const { return m_errorCode; }
  const std::string& answerText() const { return m_answer; }

 private:
  SerialLine& line() { return m_protocol.line(); }
  bool openModemPort();
  void closeModemPort();
  void writeBlock(std::string_view text);
  // Writes the initialisation text, if any, and waits for the modem's "OK\r".
  bool initialiseModem();
  // Waits up to days for done, running timer 1 every 100 ms meanwhile.
  bool waitUntil(double days, const std::function<bool()>& done);
  void runDueTimers();
  void takeAnswers();
  void linkUp();
  void startWaiting();
  void stopWaiting();
  // The hang-up sequence and the end of the link.
  void hangUp();
  void hangUpSequence();
  // The far side has gone (NO CARRIER, or the carrier line dropped): the link ends without a
  // hang-up, back to waiting in answer mode.
  void linkLost();
  // Timer 2's watch of the carrier line while a telephone link is up.
  bool carrierDropped();
  void endLink();
  void endTestLink();
  // The window after a link or a dial ended: port closed, captions back, panel hidden.
  void resetWindow();
  void sendEndFrame();

  Protocol& m_protocol;
  UserInterface& m_ui;
  bool m_portOpen = false;
  int m_handle = -1;  // the port's handle, the line's while the link is up
  bool m_dialling = false;
  bool m_initialising = false;
  bool m_initAcknowledged = false;
  bool m_connected = false;
  bool m_answerMode = false;
  bool m_testLink = false;
  bool m_carrierSeen = false;  // DCD has been on during this link
  bool m_busy = false;  // a dial, an initialisation or a hang-up is waiting
  bool m_abortDial = false;
  int m_errorCode = kModemNoError;
  bool m_timer1 = false;
  bool m_timer2 = false;
  bool m_inTimer1 = false;
  bool m_inTimer2 = false;
  std::uint64_t m_lastTimer1Ms = 0;
  std::string m_answer;
};

}  // namespace kelvaro
