// A telephone link without the windows.
#include "app/modem_session.h"

#include "app/modem_connection.h"
#include "app/modem_frames.h"
#include "hardware/protocol.h"

namespace kelvaro {

ModemSession::ModemSession(ModemConnection& connection, ModemFrames& frames, Protocol& protocol,
                           std::function<void()> waitTick)
    : m_connection(connection), m_frames(frames), m_protocol(protocol), m_waitTick(std::move(waitTick)) {}

std::uint64_t ModemSession::nowMs() const { return m_protocol.line().clock().monotonicMs(); }

bool ModemSession::passwordAccepted() const {
  return m_open && m_frames.passwordsAsked() > 0 && !m_frames.passwordRefused();
}

void ModemSession::tick() {
  auto tell = [this](ModemEvent e) {
    if (onEvent) onEvent(e);
  };
  m_waitTick();
  m_connection.timer1Tick();
  m_connection.timer2Tick();
  if (m_connection.connected() && !m_wasConnected) {
    m_quietSince = nowMs();
    m_open = false;
    m_everConnected = true;
    tell(ModemEvent::LinkUp);
  }
  m_wasConnected = m_connection.connected();
  if (!m_connection.connected()) return;

  m_protocol.receiveTick();
  const ReceivedFrame& slot = m_protocol.slot;
  const std::span<const std::uint8_t> data = slot.L > 0 ? frameData(slot) : std::span<const std::uint8_t>();
  const char kind = data.empty() ? '\0' : static_cast<char>(data[0]);
  const int askedBefore = m_frames.passwordsAsked();
  if (kind == 'L' && slot.receiver.Kind == kKindUnit) tell(ModemEvent::WrongPassword);
  if (m_frames.handleSlot()) {
    if (kind == 'H') {
      m_endedByUnit = true;
      tell(ModemEvent::EndedByUnit);
    }
    if (kind == 'J' || kind == 'L' || m_frames.passwordsAsked() != askedBefore) m_quietSince = nowMs();
  } else if (slot.L > 0) {
    m_protocol.clearSlot();
  }
  if (!m_open && m_connection.connected() && nowMs() - m_quietSince >= kModemQuietMs) {
    m_open = true;
    tell(ModemEvent::Open);
  }
}

ModemOpenResult ModemSession::dialAndOpen(std::uint64_t limitMs) {
  m_connection.ConnectBtnClick();
  if (!m_connection.connected()) return ModemOpenResult::NoLink;
  m_wasConnected = false;  // the first pass reports the link
  const std::uint64_t end = nowMs() + limitMs;
  while (nowMs() < end) {
    tick();
    if (m_endedByUnit) return ModemOpenResult::Ended;
    if (!m_connection.connected()) return ModemOpenResult::NoLink;
    // A question left unanswered leaves the unit locked: waiting longer changes nothing.
    if (m_frames.passwordRefused()) return ModemOpenResult::Refused;
    if (m_open) return ModemOpenResult::Open;
  }
  return ModemOpenResult::TimedOut;
}

}  // namespace kelvaro
