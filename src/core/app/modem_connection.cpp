// The modem connection window's logic.
#include "app/modem_connection.h"

#include <algorithm>

#include "storage/settings.h"
#include "text/cp1252.h"
#include "text/text_util.h"
#include "ui/user_interface.h"

namespace kelvaro {
namespace {

constexpr std::string_view kConnectCaption = "&Verbindung herstellen";
constexpr std::string_view kDisconnectCaption = "&Verbindung trennen";
constexpr std::string_view kWaitCaption = "&Warte auf Anruf";
constexpr std::string_view kStopWaitingCaption = "&Warten beenden";
constexpr std::string_view kConnectingPanel = "Verbindungsaufbau";
constexpr std::string_view kConnectedPanel = "Verbindung";
constexpr std::string_view kWaitingPanel = "Warten auf Anruf";
constexpr std::string_view kEndedByUnitPanel = "Verbindung wurde von der Steuereinheit beendet";
constexpr std::string_view kNoNumber = "Keine Telefonnummer angegeben";
constexpr std::string_view kOpenFailed = "Fehler beim Öffnen der Schnittstelle ";  // UTF-8
constexpr std::string_view kNoAnswer = "Fehler beim Verbindungsaufbau - Modem antwortet nicht";
constexpr std::string_view kTestLink = "Test-Verbindung";
// The link has gone without a word from the modem (only its carrier line dropped): the panel
// and the answers say so, as the program says it where a unit stopped answering.
constexpr std::string_view kNoLinkPanel = "Keine Verbindung";
constexpr std::string_view kCarrierLostLine = "Keine Verbindung - Trägersignal verloren";  // UTF-8
// Idle time of the read of one tick's answers.
constexpr std::uint32_t kAnswerIdleMs = 500;
constexpr std::string_view kPorts[] = {"COM1", "COM2", "COM3", "COM4"};

}  // namespace

std::vector<std::uint8_t> modemBlock(std::string_view text) {
  std::vector<std::uint8_t> block(kModemBlockSize, 0);
  std::copy_n(text.begin(), std::min(text.size(), kModemBlockSize), block.begin());
  return block;
}

std::string dialCommand(std::string_view number) { return "ATDT" + std::string(number) + "\r"; }

ModemConnection::ModemConnection(Protocol& protocol, UserInterface& ui)
    : ConnectBtn(kConnectCaption), WaitForConnectBtn(kWaitCaption), m_protocol(protocol), m_ui(ui) {}

void ModemConnection::FormShow(const Settings& settings) {
  // FormShow: the texts of the last session
  TelNrEdt = settings.REMOTETELNR;
  ModemInitEdt = settings.REMOTEINIT;
  ComPortCB.clear();
  if (settings.REMOTEPORT >= 0 && settings.REMOTEPORT < static_cast<int>(std::size(kPorts)))
    ComPortCB = kPorts[settings.REMOTEPORT];
  m_errorCode = kModemNoError;
}

bool ModemConnection::FormClose(Settings& settings) {
  // FormClose: ask before a link is dropped, then tidy up and keep the texts
  if (m_connected) {
    Message question{MessageKind::Question, std::string(kModemClosingQuestion), MessageButtons::YesNo, 0,
                     MessageAnswer::No};
    if (m_ui.showMessage(question) != MessageAnswer::Yes) return false;
    if (m_testLink) endTestLink();
    else hangUp();
  }
  // A dial or an initialisation still waiting sees the code and gives up quietly.
  m_errorCode = kModemClosed;
  m_abortDial = true;
  resetWindow();

  const std::string telNr = shortText(TelNrEdt, kRemoteTextCapacity);
  const std::string init = shortText(ModemInitEdt, kRemoteTextCapacity);
  const auto port = std::find(std::begin(kPorts), std::end(kPorts), ComPortCB);
  const int portIndex = port == std::end(kPorts) ? -1 : static_cast<int>(port - std::begin(kPorts));
  if (telNr != settings.REMOTETELNR || init != settings.REMOTEINIT || portIndex != settings.REMOTEPORT) {
    settings.REMOTETELNR = telNr;
    settings.REMOTEINIT = init;
    settings.REMOTEPORT = portIndex;
    settings.settingsChanged = true;
  }
  return true;
}

bool ModemConnection::openModemPort() {
  // One port for dialling, answering and the link: the frames of the link go through it too.
  m_handle = line().OpenPort(ComPortCB, kModemReadLimit, kModemReadLimit);
  if (m_handle < 0) {
    m_portOpen = false;
    m_ui.beep();
    showError(m_ui, fromUtf8(kOpenFailed) + ComPortCB);
    return false;
  }
  m_portOpen = true;
  m_answer.clear();
  return true;
}

void ModemConnection::closeModemPort() {
  if (m_portOpen) line().ClosePort();
  m_portOpen = false;
  // The handle was the link's; a command's own line (LineOpen) keeps its handle.
  if (!line().LineOpen) line().LineHandle = -1;
}

void ModemConnection::writeBlock(std::string_view text) {
  const std::vector<std::uint8_t> block = modemBlock(text);
  line().WritePort(block.data(), static_cast<int>(block.size()));
}

void ModemConnection::sendEndFrame() {
  FrameHeader header;
  header.Kind = kKindUnit;
  header.Address[0] = 2;
  const std::uint8_t data[] = {'H', 0};
  m_protocol.SendFrame(line().LineHandle, 1, header, 6, data);
}

bool ModemConnection::waitUntil(double days, const std::function<bool()>& done) {
  const std::uint64_t limit = daysToMs(days);
  const std::uint64_t start = line().clock().monotonicMs();
  while (!done()) {
    if (line().clock().monotonicMs() - start >= limit) return done();
    line().pump();
    runDueTimers();
  }
  return true;
}

void ModemConnection::runDueTimers() {
  // The waits of a dial run the answer timer themselves, so that they see the modem's answers
  // in virtual time too; a tick of the window's own timer in between is only an earlier read.
  if (m_timer1 && line().clock().monotonicMs() - m_lastTimer1Ms >= static_cast<std::uint64_t>(kModemTimerMs))
    timer1Tick();
}

bool ModemConnection::initialiseModem() {
  // Initialisation: the text in a block of its own, then up to 6.912 s for "OK\r"
  if (ModemInitEdt.empty()) return true;
  m_initAcknowledged = false;
  writeBlock(shortText(ModemInitEdt, kModemBlockSize - 1) + "\r");
  m_initialising = true;
  const bool acknowledged = waitUntil(kDaysModemOk, [this] {
    return m_initAcknowledged || m_errorCode != kModemNoError || m_abortDial || !m_portOpen;
  });
  m_initialising = false;
  if (!acknowledged && m_errorCode == kModemNoError) m_errorCode = kModemNoAcknowledge;
  return m_initAcknowledged;
}

void ModemConnection::ConnectBtnClick() {
  // ConnectBtnClick: hang up a link, abort a dial in progress, or dial
  if (m_busy) {
    m_abortDial = true;
    return;
  }
  if (m_connected) {
    endLink();
    return;
  }
  if (TelNrEdt.empty()) {
    showError(m_ui, std::string(kNoNumber));
    return;
  }
  // Dialling out ends the waiting for a call: both need the one port.
  if (m_answerMode) resetWindow();
  if (!openModemPort()) return;
  m_errorCode = kModemNoError;
  line().LineControl(kSetDtr);
  line().LineControl(kSetRts);
  ConnectBtn = kDisconnectCaption;
  WaitForConnectBtnVisible = false;
  ConPnlVisible = true;
  ConPnlColor = ModemPanelColor::Yellow;
  ConPnl = kConnectingPanel;
  m_timer1 = true;
  m_busy = true;
  m_abortDial = false;

  // A modem that did not acknowledge its initialisation is not asked to dial.
  if (initialiseModem() && !m_abortDial && m_portOpen) {
    const std::string command = dialCommand(shortText(TelNrEdt, kRemoteTextCapacity));
    line().WritePort(reinterpret_cast<const std::uint8_t*>(command.data()), static_cast<int>(command.size()));
    m_dialling = true;
    waitUntil(kDaysModemConnect,
              [this] { return !m_dialling || m_errorCode != kModemNoError || m_abortDial || !m_portOpen; });
  }
  m_busy = false;
  if (m_errorCode == kModemClosed) return;  // the window was closed meanwhile and has tidied up
  if (m_connected || (!m_dialling && !m_abortDial && m_errorCode == kModemNoError)) return;
  // Time-out, no acknowledgement or aborted by the user.
  const bool aborted = m_abortDial && m_errorCode == kModemNoError;
  resetWindow();
  if (!aborted) showError(m_ui, std::string(kNoAnswer));
}

void ModemConnection::WaitForConnectBtnClick() {
  // WaitForConnectBtnClick: start or end the waiting for a call
  if (m_busy) {
    m_abortDial = true;
    return;
  }
  if (!m_answerMode) {
    startWaiting();
    return;
  }
  if (m_connected) {
    if (m_testLink) endTestLink();
    else hangUp();
  }
  resetWindow();
}

void ModemConnection::startWaiting() {
  // Answer mode: the port open with DTR, the answer timer on, the modem initialised
  if (!openModemPort()) return;
  m_errorCode = kModemNoError;
  ConPnlVisible = true;
  ConPnlColor = ModemPanelColor::Aqua;
  ConPnl = kWaitingPanel;
  line().LineControl(kSetDtr);
  WaitForConnectBtn = kStopWaitingCaption;
  m_timer1 = true;
  m_answerMode = true;
  m_busy = true;
  m_abortDial = false;
  const bool ready = initialiseModem();
  m_busy = false;
  if (m_errorCode == kModemClosed || !m_portOpen) return;
  if (m_abortDial) {
    resetWindow();
    return;
  }
  if (!ready) {
    // Waiting on a modem that is not there would look like waiting for a call that never comes.
    resetWindow();
    showError(m_ui, std::string(kNoAnswer));
  }
}

void ModemConnection::SendBtnClick() {
  // SendBtnClick: the free command in a block of its own
  if (!SendBtnEnabled || !m_portOpen) return;
  writeBlock(RemoteAnwEdt);
}

// endLink -> the test link ends with "H"; a call is hung up, and in answer mode the window
// waits for the next one
void ModemConnection::endLink() {
  if (m_testLink) {
    endTestLink();
    return;
  }
  const bool answer = m_answerMode;
  hangUp();
  if (m_errorCode == kModemClosed) return;  // closed during the hang-up's pauses
  resetWindow();
  if (answer) startWaiting();
}

void ModemConnection::DelBtnClick() { InputBox.clear(); }

void ModemConnection::ComPortLbDblClick() {
  // The direct test link: a unit on a cable used as if it were reached by telephone
  if (m_busy) return;
  if (line().ModemLinkUp || m_connected) {
    endLink();
    return;
  }
  if (m_answerMode) resetWindow();
  if (!openModemPort()) return;
  InputBox.emplace_back(kTestLink);
  line().LineControl(kSetDtr);
  line().LineControl(kSetRts);
  m_connected = true;
  m_testLink = true;
  ConPnlVisible = true;
  ConPnlColor = ModemPanelColor::Green;
  ConPnl = kConnectedPanel;
  ConnectBtn = kDisconnectCaption;
  WaitForConnectBtnVisible = false;
  line().ModemLinkUp = true;
  line().LineHandle = m_handle;
  line().PurgePort(kPurgeBoth);
  m_timer1 = false;
  m_timer2 = true;
}

void ModemConnection::takeAnswers() {
  // Timer1's read: what is queued after a short settling pause, at most 4096 bytes
  if (line().InputCount() <= 0) return;
  line().WaitDays(kDaysModemSettle);
  if (!m_portOpen) return;  // the window closed the port while we waited
  const int queued = line().InputCount();
  if (queued <= 0) return;
  if (queued > kModemReadLimit) m_ui.beep();
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(kModemReadLimit));
  const int got = line().ReadPort(buffer.data(), std::min(queued, kModemReadLimit), kAnswerIdleMs);
  if (got <= 0) return;
  const std::string chunk =
      upperCase(std::string_view(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(got)));
  m_answer += chunk;
  const std::size_t first = m_answer.find_first_not_of("\r\n");
  m_answer.erase(0, first == std::string::npos ? m_answer.size() : first);

  // The list shows the answers line by line; bytes that are no text show as ".".
  std::string lineText;
  auto flush = [&] {
    if (!lineText.empty()) InputBox.push_back(std::move(lineText));
    lineText.clear();
  };
  for (char c : chunk) {
    if (c == '\r' || c == '\n') {
      flush();
    } else {
      lineText += static_cast<unsigned char>(c) < 0x20 ? '.' : c;
    }
  }
  flush();
  if (InputBox.size() > kModemAnswerLines)
    InputBox.erase(InputBox.begin(), InputBox.end() - static_cast<std::ptrdiff_t>(kModemAnswerLines));
}

void ModemConnection::timer1Tick() {
  // Timer1: the modem's answers and what they mean in the present state
  if (!m_timer1 || m_inTimer1) return;
  m_inTimer1 = true;
  m_lastTimer1Ms = line().clock().monotonicMs();
  takeAnswers();
  if (m_initialising) {
    if (const auto at = m_answer.find("OK\r"); at != std::string::npos) {
      m_answer.erase(0, at + 3);
      m_initAcknowledged = true;
    }
  }
  if ((m_dialling || m_answerMode) && !m_connected) {
    if (const auto at = m_answer.find("CONNECT"); at != std::string::npos) {
      // What came before the connection (an old NO CARRIER) must not end it.
      m_answer.erase(0, at + 7);
      linkUp();
    }
  }
  if (m_connected && !m_testLink) {
    if (m_answer.find("NO CARRIER") != std::string::npos) linkLost();
  }
  // Everything a state waits for is shorter than this; the rest is history.
  if (m_answer.size() > kModemAnswerKeep) m_answer.erase(0, m_answer.size() - kModemAnswerKeep);
  m_inTimer1 = false;
}

void ModemConnection::linkLost() {
  // The modem is back in command mode on its own: nothing to hang up.
  m_answer.clear();
  m_connected = false;
  m_carrierSeen = false;
  SendBtnEnabled = false;
  line().ModemLinkUp = false;
  m_timer2 = false;
  if (m_answerMode) {
    ConnectBtn = kConnectCaption;
    ConPnlColor = ModemPanelColor::Aqua;
    ConPnl = kWaitingPanel;
    m_timer1 = true;
  } else {
    resetWindow();
  }
}

bool ModemConnection::carrierDropped() {
  // Once the link is up the answer timer no longer reads the port, so a NO CARRIER would wait
  // there unseen; the carrier line tells it at once. A port whose lines cannot be read (or a
  // modem that never raises DCD) reads 0 throughout and must not end the link: only a carrier
  // seen and then lost counts.
  if (!m_connected || m_testLink || !m_portOpen) return false;
  const bool carrier = (line().ModemStatus() & kStatusDcd) != 0;
  if (carrier) m_carrierSeen = true;
  return !carrier && m_carrierSeen;
}

void ModemConnection::linkUp() {
  // CONNECT: the link is up and the main window takes the line for frames
  m_ui.beep();
  if (restoreWindow) restoreWindow();
  m_connected = true;
  m_dialling = false;
  ConPnlVisible = true;
  ConPnlColor = ModemPanelColor::Green;
  ConPnl = kConnectedPanel;
  ConnectBtn = kDisconnectCaption;
  SendBtnEnabled = true;
  m_carrierSeen = false;
  line().ModemLinkUp = true;
  line().LineHandle = m_handle;
  line().LineControl(kSetRts);
  line().PurgePort(kPurgeBoth);
  m_timer1 = false;
  m_timer2 = true;
}

void ModemConnection::timer2Tick() {
  // Timer2: the unit has ended the link ("H" cleared ModemLinkUp)
  if (!m_timer2 || m_inTimer2 || m_busy) return;
  if (carrierDropped()) {
    InputBox.push_back(fromUtf8(kCarrierLostLine));
    m_ui.beep();
    linkLost();
    if (!m_answerMode) {
      ConPnlVisible = true;
      ConPnlColor = ModemPanelColor::Yellow;
      ConPnl = kNoLinkPanel;
    }
    return;
  }
  if (!m_connected || line().ModemLinkUp) return;
  m_inTimer2 = true;
  const bool answer = m_answerMode;
  if (m_testLink) {
    endTestLink();
  } else {
    hangUp();
  }
  if (m_errorCode == kModemClosed) {
    m_inTimer2 = false;
    return;
  }
  ConnectBtn = kConnectCaption;
  if (answer && m_portOpen) {
    ConPnlVisible = true;
    ConPnlColor = ModemPanelColor::Aqua;
    ConPnl = kWaitingPanel;
    line().LineControl(kSetDtr);
    line().LineControl(kSetRts);
    m_timer1 = true;
  } else {
    // Back to idle, with the port free for the next dial or call, and the reason on the panel.
    resetWindow();
    ConPnlVisible = true;
    ConPnlColor = ModemPanelColor::Yellow;
    ConPnl = kEndedByUnitPanel;
  }
  m_inTimer2 = false;
}

void ModemConnection::hangUp() {
  // Hang-up: "H" to the unit, the escape and ATH blocks, DTR dropped and pulsed
  if (m_connected) {
    m_busy = true;
    m_connected = false;
    if (line().ModemLinkUp) sendEndFrame();
    SendBtnEnabled = false;
    hangUpSequence();
    m_busy = false;
  }
  line().ModemLinkUp = false;
  m_timer2 = false;
}

void ModemConnection::hangUpSequence() {
  // The escape needs a second of silence before it; the DTR pulse hangs up a modem that
  // ignores the escape.
  line().WaitDays(kDays864ms);
  line().WaitDays(kDays864ms);
  writeBlock("+++");
  writeBlock("ATH\r");
  line().LineControl(kClearDtr);
  line().LineControl(kClearRts);
  line().WaitDays(kDaysModemHangUpStep);
  line().LineControl(kSetDtr);
  line().WaitDays(kDaysModemHangUpStep);
  line().LineControl(kClearDtr);
  line().WaitDays(kDaysModemHangUpStep);
}

bool ModemConnection::HangUpModem() {
  // A modem left off-hook by an earlier session: the same escape and hang-up as at the end of
  // a link, without the unit's "H" (no link of ours is up), then what the modem said.
  if (m_busy || m_connected || m_answerMode) return false;
  if (!openModemPort()) return false;
  m_busy = true;
  line().LineControl(kSetDtr);
  hangUpSequence();
  line().WaitDays(kDaysModemSettle);
  m_busy = false;
  takeAnswers();
  closeModemPort();
  return true;
}

void ModemConnection::endTestLink() {
  // A unit on a cable has no modem to hang up: it is told, and the port is let go.
  if (line().ModemLinkUp) sendEndFrame();
  m_connected = false;
  line().ModemLinkUp = false;
  resetWindow();
}

void ModemConnection::resetWindow() {
  closeModemPort();
  line().ModemLinkUp = false;
  m_connected = false;
  m_testLink = false;
  m_timer1 = false;
  m_timer2 = false;
  m_dialling = false;
  m_initialising = false;
  m_answerMode = false;
  SendBtnEnabled = false;
  ConnectBtn = kConnectCaption;
  WaitForConnectBtn = kWaitCaption;
  WaitForConnectBtnVisible = true;
  ConPnlVisible = false;
}

}  // namespace kelvaro
