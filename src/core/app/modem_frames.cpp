// The main window's frames over a modem link.
#include "app/modem_frames.h"

#include <algorithm>

#include "text/cp1252.h"
#include "text/text_util.h"
#include "ui/user_interface.h"

namespace kelvaro {
namespace {

constexpr int kPasswordFrameLength = 12;
constexpr int kRequestFrameLength = 10;
constexpr int kEndFrameLength = 6;
// The project name's place in the unit's reply.
constexpr std::size_t kNameFrom = 5;
constexpr std::size_t kNameLength = 8;

}  // namespace

std::array<std::uint8_t, 8> passwordAnswer(std::string_view password) {
  std::array<std::uint8_t, 8> data{};
  data[0] = 'K';
  std::string text = upperCase(password.substr(0, std::min(password.size(), kLinkPasswordLength)));
  text.resize(kLinkPasswordLength, ' ');
  std::copy(text.begin(), text.end(), data.begin() + 1);
  data[7] = 0;
  return data;
}

bool isProjectReply(const ReceivedFrame& frame) {
  const std::span<const std::uint8_t> data = frameData(frame);
  return frame.receiver.Kind == kKindUnit && data.size() >= kNameFrom + kNameLength && data[0] == '?' && data[2] == 7 &&
         data[3] == '?';
}

std::optional<std::string> remoteProjectName(const ReceivedFrame& frame) {
  if (!isProjectReply(frame)) return std::nullopt;
  const std::span<const std::uint8_t> data = frameData(frame);
  std::string name;
  for (std::size_t i = kNameFrom; i < kNameFrom + kNameLength && data[i] != 0; ++i) name += static_cast<char>(data[i]);
  name = trimRight(name);
  // The name becomes a file name in the project directory: it must stay one.
  const bool safe = !name.empty() && name != "." && name != ".." && std::none_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == '/' || c == '\\' || c == ':';
  });
  if (!safe) return std::nullopt;
  return name;
}

int ModemFrames::send(std::span<const std::uint8_t> data, int L) {
  FrameHeader header;
  header.Kind = kKindUnit;
  header.Address[0] = 2;
  return m_protocol.SendFrame(m_protocol.line().LineHandle, 1, header, L, data);
}

bool ModemFrames::requestRemoteVisualisation() {
  // RemoteVisBtnClick: the unit is asked for its project
  if (!m_protocol.line().ModemLinkUp) return false;
  return send(kRemoteVisualisationRequest, kRequestFrameLength) > 0;
}

bool ModemFrames::sendEnd() {
  if (!m_protocol.line().ModemLinkUp) return false;
  const std::uint8_t data[] = {'H', 0};
  return send(data, kEndFrameLength) > 0;
}

void ModemFrames::askPassword() {
  // TPasswF: upper case, six characters, shown as "*"; "Abbruch" sends nothing
  const auto entry = m_ui.passwordBox(kPasswordCaption, "Kennwort:");
  ++m_passwordsAsked;
  m_passwordRefused = !entry || entry->empty();
  if (m_passwordRefused) return;
  send(passwordAnswer(*entry), kPasswordFrameLength);
}

bool ModemFrames::handleSlot() {
  // The link's frames in the main window's slot
  SerialLine& line = m_protocol.line();
  ReceivedFrame& slot = m_protocol.slot;
  // While the password dialog is open the timer keeps ticking: a frame then waits its turn.
  if (m_asking || !line.ModemLinkUp || slot.L == 0 || slot.receiver.Kind != kKindUnit) return false;
  const std::span<const std::uint8_t> data = frameData(slot);
  if (data.empty()) return false;
  // A unit may follow its "L" with a new "J": the question asked after "L" has answered that
  // request already, so it is not asked twice in a row.
  const std::uint64_t now = line.clock().monotonicMs();
  const bool repeatedRequest =
      data[0] == 'J' && m_askedAfterWrongMs && now - *m_askedAfterWrongMs <= daysToMs(kDays4_32s);
  m_askedAfterWrongMs.reset();
  switch (data[0]) {
    case 'J':
    case 'L': {
      const bool wrong = data[0] == 'L';
      m_protocol.clearSlot();
      if (repeatedRequest) return true;
      m_asking = true;
      if (wrong) showError(m_ui, std::string(kWrongPasswordText));
      // The link may have ended while the box was open: then there is nobody to answer.
      if (line.ModemLinkUp) askPassword();
      m_asking = false;
      if (wrong) m_askedAfterWrongMs = line.clock().monotonicMs();
      return true;
    }
    case 'H':
      m_protocol.clearSlot();
      line.ModemLinkUp = false;
      return true;
    case '?': {
      if (!isProjectReply(slot)) return false;
      const auto name = remoteProjectName(slot);
      m_protocol.clearSlot();
      if (!name) {
        showError(m_ui, fromUtf8("Die Steuereinheit hat keinen gültigen Projektnamen gemeldet"));
      } else if (remoteProject) {
        remoteProject(*name);
      }
      return true;
    }
    default: return false;
  }
}

}  // namespace kelvaro
