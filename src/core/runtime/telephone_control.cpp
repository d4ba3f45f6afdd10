// Telephone commands keyed at the unit's modem, the tones that answer them, and the watch over
// calls and dial attempts on the run's 5-second tick.
#include "runtime/telephone_control.h"

#include <algorithm>

#include "hardware/unit_commands.h"
#include "runtime/engine.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

constexpr std::string_view kHangUpCommand = "9*9#";
// Selection numbers the user gives an object; the compiler numbers the others from 10000 on,
// and those are nobody's to key.
constexpr int kLastSelectionNumber = 9999;
constexpr std::string_view kNextState = "99";

// The digits of a text as a number, or -1 when it is empty, holds anything else or is too
// long to be a selection number or a value an object holds.
long long digitsNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 9) return -1;
  long long n = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

int modemTypeFor(std::string_view modemInit) { return modemInit.find("#CLS") != std::string_view::npos ? 1 : 2; }

TelephoneOptions telephoneOptions(std::string_view remoteAccessField, std::string_view modemInit) {
  TelephoneOptions o;
  o.remotePassword = splitRemoteAccess(upperCase(remoteAccessField)).number;
  o.modemInit = std::string(modemInit);
  o.modemType = modemTypeFor(modemInit);
  return o;
}

std::string_view toneCommand(int modemType, Tone tone) {
  static constexpr std::string_view kTones[2][3] = {
      {"AT#VTS=[2800,2800,1]", "AT#VTS=[300,300,5]", "AT#VTS=[2800,2800,15]"},
      {"AT+VTS=[2800,2800,15]", "AT+VTS=[300,300,80]", "AT+VTS=[2800,2800,80]"},
  };
  if (modemType != 1 && modemType != 2) return {};
  return kTones[modemType - 1][static_cast<int>(tone)];
}

void TelephoneControl::send(std::string_view text) {
  m_lastAction = m_engine.now();
  if (m_send) m_send(text);
}

void TelephoneControl::tone(Tone t) {
  const std::string_view command = toneCommand(m_options.modemType, t);
  if (!command.empty()) send(std::string(command) + "\r");
}

// hangUp -> escape to command mode and hang up; the modem is initialised again a little later
void TelephoneControl::hangUp() {
  send("+++\r");
  send("ATH\r");
  m_connected = m_authenticated = m_dialling = false;
  m_reinitPending = true;
}

void TelephoneControl::reset() {
  m_connected = m_authenticated = m_dialling = m_reinitPending = false;
  m_lastAction = m_engine.now();
}

void TelephoneControl::dialStarted() {
  m_dialling = true;
  m_connected = m_authenticated = false;
  m_lastAction = m_engine.now();
}

// command -> the last command of the text: password first, then objects
void TelephoneControl::command(std::string_view text) {
  if (text.empty() || text.back() != '#') return;
  // Only the last command counts: what a caller keyed before an earlier "#" was answered then.
  if (text.size() >= 2)
    if (const auto previous = text.find_last_of('#', text.size() - 2); previous != std::string_view::npos)
      text.remove_prefix(previous + 1);
  // Someone keys on the telephone: the call is up. A dial attempt that got through is not
  // repeated, or the person who answered would be called again.
  if (m_dialling) m_engine.dialRepeats = 0;
  m_dialling = false;
  m_connected = true;
  m_lastAction = m_engine.now();
  if (text == kHangUpCommand) {
    hangUp();
    return;
  }
  if (!m_authenticated) {
    // An empty access number would let in anyone who keys "#" alone.
    const std::string_view digits = text.substr(0, text.size() - 1);
    m_authenticated = !m_options.remotePassword.empty() && digits == m_options.remotePassword;
    tone(m_authenticated ? Tone::Acknowledge : Tone::Error);
    return;
  }
  objectCommand(text);
}

// objectCommand -> "n#" queues, "n*#" asks, "n*v#" sets the object with selection number n
void TelephoneControl::objectCommand(std::string_view text) {
  text.remove_suffix(1);
  const auto star = text.find('*');
  const long long selection = digitsNumber(text.substr(0, star));
  Project& project = m_engine.project();
  int object = -1;
  if (selection >= 1 && selection <= kLastSelectionNumber) {
    const auto it = std::find_if(project.objects.begin(), project.objects.end(),
                                 [&](const TPSObj& o) { return o.ObjIDNr == selection; });
    if (it != project.objects.end()) object = static_cast<int>(it - project.objects.begin());
  }
  const auto& code = m_engine.compiled().objects;
  if (object < 0 || static_cast<std::size_t>(object) >= code.size() ||
      static_cast<std::size_t>(object) >= m_engine.objects().size()) {
    tone(Tone::Error);
    return;
  }
  if (star == std::string_view::npos) {
    m_engine.enqueue(object);
    tone(Tone::Acknowledge);
    return;
  }
  const int symbol = code[static_cast<std::size_t>(object)].stateSymbol;
  const NumericResult current = m_engine.numericValue({symbol, -1});
  const std::string_view value = text.substr(star + 1);
  if (value.empty()) {
    const bool zero = current.kind == 3 ? current.real == 0.0 : current.integer == 0;
    tone(zero ? Tone::Long : Tone::Error);
    return;
  }
  const long long v = digitsNumber(value);
  if (v < 0 || (current.kind != 1 && current.kind != 2 && current.kind != 3)) {
    tone(Tone::Error);
    return;
  }
  // The engine wraps a state past the last one to the first.
  const long long next = current.kind == 1 && value == kNextState ? current.integer + 1LL : v;
  m_engine.setVariable(symbol, static_cast<std::int32_t>(next), static_cast<double>(next));
  if (project.objects[static_cast<std::size_t>(object)].InputExec) m_engine.enqueue(object);
  tone(Tone::Acknowledge);
}

// supervise -> a call or dial attempt idle too long is hung up, the modem initialised again
// after a hang-up, and ANRUFEN's number dialled again while repeats are left
void TelephoneControl::supervise() {
  const DateTime now = m_engine.now();
  if ((m_connected || m_dialling) && now - m_lastAction > kModemIdleLimit) hangUp();
  if (m_reinitPending && now - m_lastAction > kModemReinitDelay) {
    m_reinitPending = false;
    if (!m_options.modemInit.empty()) send(m_options.modemInit + "\r");
  }
  if (m_engine.dialRepeats > 0 && now - m_lastAction > kModemIdleLimit) {
    --m_engine.dialRepeats;
    send(" " + m_engine.dialNumber + "\r");
    m_dialling = true;
  }
}

}  // namespace kelvaro
