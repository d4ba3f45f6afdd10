// The scripted line: frames handed out in order, frames sent kept as text.
#include "support/scripted_link.h"

#include <algorithm>

#include "text/hex_text.h"

namespace kelvaro::test {

bool ScriptedLink::send(int mode, const FrameHeader& header, std::span<const std::uint8_t> data) {
  sent.push_back(hexBytes(buildFrame(mode, header, static_cast<int>(data.size()) + 4, data)));
  return sendWorks;
}

LinkReceive ScriptedLink::receive(ReceivedFrame& frame) {
  if (incoming.empty()) return LinkReceive::Nothing;
  const auto next = incoming.front();
  incoming.pop_front();
  if (next) frame = *next;
  return next ? LinkReceive::Frame : LinkReceive::Failed;
}

ReceivedFrame frameToPc(int kind, std::array<std::uint8_t, 3> sender, const std::vector<std::uint8_t>& data) {
  ReceivedFrame f;
  f.receiver.Kind = f.sender.Kind = kind;
  f.receiver.Address[0] = 1;
  f.sender.Address = sender;
  const std::size_t header = kind == kKindRadio ? (data.size() > 1 ? 9 : 4) : 4;
  f.L = static_cast<int>(data.size() + header);
  std::copy(data.begin(), data.end(), f.data.begin());
  return f;
}

}  // namespace kelvaro::test
