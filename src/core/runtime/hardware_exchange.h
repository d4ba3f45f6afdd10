// The exchange with the control unit and its stations while a run has the hardware: what the
// unit delivered becomes object values before the queue runs, and what changed on the PC is
// sent to the stations after it. The line is reached through StationLink, so that the run
// does not depend on the serial port and tests script the line frame by frame.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "hardware/protocol.h"
#include "runtime/station_messages.h"
#include "time/date_time.h"

namespace kelvaro {

class RunSession;

enum class LinkReceive { Nothing, Frame, Failed };

// The line to the control unit as a run uses it.
class StationLink {
 public:
  virtual ~StationLink() = default;
  // Sends one frame (L = data bytes + 4); true when it went out.
  virtual bool send(int sendMode, const FrameHeader& header, std::span<const std::uint8_t> data) = 0;
  // The next frame the unit delivered: Nothing when none waits, Failed for bytes that did not
  // make a sound frame.
  virtual LinkReceive receive(ReceivedFrame& frame) = 0;
  // Lets the user interface and the line work during a wait; with a virtual clock it is what
  // moves time on.
  virtual void pump() = 0;
  // The identified control unit (type code, feature level, name, port).
  virtual const UnitRecord& unit() const = 0;
  // The unit's wired lines as a bit mask (bit 0 = line 1).
  virtual int lineMask() const { return 1; }
  // The unit is reached over a telephone link: it may ask for its password during the run.
  virtual bool modemLinkUp() const { return false; }
};

// StationLink over the frame protocol and its open line: frames the main window's receive
// timer left in the slot come first, then whatever is queued on the line.
class ProtocolStationLink final : public StationLink {
 public:
  explicit ProtocolStationLink(Protocol& protocol) : m_protocol(protocol) {}
  bool send(int sendMode, const FrameHeader& header, std::span<const std::uint8_t> data) override;
  LinkReceive receive(ReceivedFrame& frame) override;
  void pump() override { m_protocol.processMessages(); }
  const UnitRecord& unit() const override { return m_protocol.unit; }
  bool modemLinkUp() const override { return m_protocol.line().ModemLinkUp; }

 private:
  Protocol& m_protocol;
};

// Failed receives in a row before the run reports the unit lost.
inline constexpr int kMaxReceiveFailures = 100;
// Frames one read takes at most, so that a unit flooding the line cannot hold the cycle.
inline constexpr int kMaxFramesPerRead = 256;
// How long the start reads the unit's replies: after "d" in visualisation, after the poll.
inline constexpr DateTime kVisualisationStartRead = 0.00001;  // 0.864 s
inline constexpr DateTime kStartPollRead = 0.000006;          // 0.5184 s
// The mark a thermostat's special report puts at its element.
inline constexpr int kThermostatMarker = 10;
// The modem text one frame carries after its 0xFE, so that the frame stays within 253 bytes.
inline constexpr std::size_t kModemTextPerFrame = 248;
inline constexpr std::string_view kPasswordLockMessage = "Kein g\xFCltiges Kennwort eingegeben - Bearbeitung gesperrt";

// ReadInputs and WriteOutputs and the commands around a run, working on the session's engine
// and display. The session owns one when its options carry a link.
class HardwareExchange {
 public:
  HardwareExchange(RunSession& session, StationLink& link) : m_session(session), m_link(link) {}

  // At the start: "d" and the unit's replies (visualisation), or 0x81 and the notice.
  void connect();
  // At every Start of a PC execution: the poll of line 1 and the stations' replies.
  void startPoll();
  // At the end: 0x82, or "e" in visualisation.
  void disconnect();
  // First in every engine cycle, before the queue runs: turns the frames the unit delivered
  // into object values, until none waits (at most 256, so a flooding unit cannot stall the run).
  void readInputs();
  // Last in every engine cycle, after the display refresh: sends each changed value to its
  // station, or to the unit in visualisation.
  void writeOutputs();
  // ABFRAGE: asks the object's station for its state.
  void query(int object);
  // A click in visualisation: the object-trigger frame to the unit.
  void trigger(int object);
  // Text for the modem at the unit, exactly as the modem is to see it: frames of kind 201 to
  // the unit whose data is 0xFE and the text, a longer text in several frames in order.
  // False when a frame did not go out (after a beep).
  bool sendModemText(std::string_view text);

  int receiveFailures() const { return m_failures; }
  DateTime lastMessage() const { return m_lastMessage; }

  // The digits, "*" and "#" of a modem text that ends in "#", for the telephone control.
  std::function<void(const std::string&)> onTelephoneCommand;

 private:
  void handleFrame(const ReceivedFrame& frame);
  void modemText(std::span<const std::uint8_t> text);
  void passwordAwaited(std::uint8_t reply);
  void visualisationValue(const ReceivedFrame& frame, std::span<const std::uint8_t> data);
  void valueMessage(const ReceivedFrame& frame, std::span<const std::uint8_t> data);
  void inputState(const ReceivedFrame& frame, std::span<const std::uint8_t> data);
  void errorReport(const ReceivedFrame& frame, std::span<const std::uint8_t> data);
  void readFor(DateTime days);
  bool sendToUnit(std::span<const std::uint8_t> data, int sendMode = 1);
  void writeOutput(std::size_t i);
  void setNumber(std::size_t i, std::int32_t v);

  RunSession& m_session;
  StationLink& m_link;
  ErrorReportFilter m_errors;
  int m_failures = 0;
  DateTime m_lastMessage = 0.0;
};

}  // namespace kelvaro
