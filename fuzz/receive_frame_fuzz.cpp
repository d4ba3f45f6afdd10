// libFuzzer target: whatever bytes arrive on the line, ReceiveFrame returns in its time limits
// with a valid result, and a frame it accepts is as long as its length byte says.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "fuzz_support.h"
#include "hardware/in_process_port.h"
#include "hardware/protocol.h"
#include "hardware/serial_line.h"
#include "time/clock.h"

namespace {

using namespace kelvaro;

// Plays the input back as bytes on the line; a 0xFE marker makes the byte after it a pause
// (of four times its value in milliseconds), so that the time limits get exercised too.
class InputDevice final : public SimulatedDevice {
 public:
  InputDevice(const std::uint8_t* data, std::size_t size) {
    std::uint64_t at = 0;
    for (std::size_t i = 0; i < size; ++i) {
      if (data[i] == 0xFE && i + 1 < size) {
        at += data[++i] * 4u;
        continue;
      }
      pending.push_back({at, data[i]});
    }
  }
  void fromPc(std::span<const std::uint8_t>, std::uint64_t) override {}
  void pcLines(bool, bool, std::uint64_t) override {}
  void toPc(std::uint64_t nowMs, std::vector<std::uint8_t>& out) override {
    while (next < pending.size() && pending[next].first <= nowMs) out.push_back(pending[next++].second);
  }
  int modemLines(std::uint64_t) override { return 0; }
  bool done() const { return next >= pending.size(); }

  std::vector<std::pair<std::uint64_t, std::uint8_t>> pending;
  std::size_t next = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ManualClock clock(45000.5);
  fuzz::QuietUserInterface ui;
  InputDevice device(data, size);
  SerialLine line(
      clock, [&](const PortTarget&) { return std::make_unique<InProcessSerialPort>(device, clock); },
      [&] { clock.advanceMs(1); }, &ui);
  line.resolve = [](std::string_view name) { return PortTarget{false, std::string(name)}; };
  if (line.OpenLine("COM1") != 1) std::abort();
  Protocol protocol(line, ui);
  // Every byte is taken within a bounded number of calls. A call waits at most the frame time
  // limit without a new byte (the limit starts again whenever bytes come in), plus the idle
  // times of its reads.
  for (int calls = 0; calls < 4 * static_cast<int>(size) + 8 && !(device.done() && line.InputCount() == 0); ++calls) {
    ReceivedFrame frame;
    const std::uint64_t start = clock.monotonicMs();
    const std::size_t before = device.next;
    const int r = protocol.ReceiveFrame(line.LineHandle, frame);
    const std::uint64_t arrived = device.next - before;
    if (clock.monotonicMs() - start > (arrived + 2) * (3456u + 10u) + 200u + 500u) std::abort();
    if (!(r == kReceiveNothing || r == kReceiveChecksum || r == kReceiveBadLength || (r >= 2 && r <= 253))) std::abort();
    if (r > 0 && r != frame.L) std::abort();
    if (r == kReceiveNothing && line.InputCount() == 0) clock.advanceMs(1);
  }
  line.CloseLine();
  return 0;
}
