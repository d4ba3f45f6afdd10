// The telephone remote control of a PC execution: a caller keys commands on the telephone of
// the modem at the control unit, the run answers with tones; and the supervision that hangs up
// a forgotten call, re-initialises the modem and dials ANRUFEN's number again.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "time/date_time.h"

namespace kelvaro {

class Engine;

// What a run needs to know about the modem at the unit; callers fill it with
// telephoneOptions() from the settings the control-unit page keeps.
struct TelephoneOptions {
  // The access number a caller keys first; empty: nobody gets in.
  std::string remotePassword;
  // The modem's initialisation text, sent again after every hang-up.
  std::string modemInit;
  // 1: tones by "AT#VTS", 2: by "AT+VTS", anything else: no tones.
  int modemType = 0;
};

// The modem type of an initialisation text: 1 when it holds "#CLS", else 2.
int modemTypeFor(std::string_view modemInit);
// From the remote-access field ("40718", "40718;GEHEIM", ...) and the modem initialisation
// text: the digits a caller keys are the field's access number.
TelephoneOptions telephoneOptions(std::string_view remoteAccessField, std::string_view modemInit);

enum class Tone { Acknowledge, Error, Long };
// The modem command of a tone for a modem type; empty when the type has none.
std::string_view toneCommand(int modemType, Tone tone);

// 115.776 s without a modem action ends a call or a dial attempt; 3.888 s after a hang-up the
// modem is initialised again.
inline constexpr DateTime kModemIdleLimit = 0.00134;
inline constexpr DateTime kModemReinitDelay = 0.000045;

class TelephoneControl {
 public:
  // sendModemText takes the exact text for the modem (carriage returns included).
  TelephoneControl(Engine& engine, TelephoneOptions options, std::function<void(std::string_view)> sendModemText)
      : m_engine(engine), m_options(std::move(options)), m_send(std::move(sendModemText)) {}

  // A finished command: digits, "*" and the closing "#".
  void command(std::string_view text);
  // The 5-second tick while the modem is ready.
  void supervise();
  // ANRUFEN has just dialled: the call is watched like any dial attempt.
  void dialStarted();
  // At every Start: no call, no caller known.
  void reset();

  bool connected() const { return m_connected; }
  bool authenticated() const { return m_authenticated; }
  bool dialling() const { return m_dialling; }
  bool reinitPending() const { return m_reinitPending; }

 private:
  void tone(Tone t);
  void send(std::string_view text);
  void hangUp();
  void objectCommand(std::string_view command);

  Engine& m_engine;
  TelephoneOptions m_options;
  std::function<void(std::string_view)> m_send;
  bool m_connected = false;
  bool m_authenticated = false;
  bool m_dialling = false;
  bool m_reinitPending = false;
  DateTime m_lastAction = 0.0;
};

}  // namespace kelvaro
