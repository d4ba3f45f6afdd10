// Fuzz target for the simulated control unit's side of the line: whatever bytes the PC sends,
// the simulator takes whole frames with a good checksum only, keeps what they carry inside its
// memory, and answers with frames the PC can read. The input:
//   byte 0   bit 0 noise before replies, bit 1 wrong reply checksums, bit 2 identification
//            only, bit 3 a share of reply bytes lost, bit 4 DTR low; bits 5-7 pick the type code
//            the unit reports
//   then chunks, each a head byte h and h & 0x7F bytes. With bit 7 of h the bytes are sent as
//   the data of a frame to the unit with its right checksum; else they go on the line as they
//   are. Every chunk arrives 7 ms after the one before.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "control_unit.h"
#include "fuzz_support.h"

namespace kelvaro::fuzz {
namespace {

constexpr int kReplyCodes[] = {14, 15, 13, 12, 11, 1, 2, 99};

std::uint8_t checksum(std::span<const std::uint8_t> bytes) {
  unsigned sum = 0;
  for (std::uint8_t b : bytes) sum += b;
  return static_cast<std::uint8_t>(sum);
}

bool contains(const std::vector<std::uint8_t>& stream, const std::vector<std::uint8_t>& part) {
  return std::search(stream.begin(), stream.end(), part.begin(), part.end()) != stream.end();
}

// Every reply is a frame from the unit (kind C9, to address 1, from 2) with the checksum the
// fault settings call for; noise before a reply never holds a start byte.
void checkReplies(const std::vector<std::uint8_t>& wire, const sim::Faults& faults, std::size_t requests) {
  std::size_t at = 0, replies = 0;
  while (at < wire.size()) {
    if (wire[at] != 0x81) {
      check(faults.noise, "nothing but frames goes to the PC without noise", "byte " + std::to_string(at));
      ++at;
      continue;
    }
    check(at + 6 <= wire.size(), "a reply frame is whole", "at " + std::to_string(at));
    const std::size_t length = static_cast<std::size_t>(wire[at + 1]) + 2;
    check(length >= 6 && at + length <= wire.size(), "a reply frame is as long as its length byte says",
          "at " + std::to_string(at));
    check(wire[at + 2] == 0xC9 && wire[at + 4] == 1 && wire[at + 5] == 2, "a reply comes from the unit to the PC");
    const std::uint8_t sum = checksum(std::span<const std::uint8_t>(wire).subspan(at + 4, length - 4));
    check(wire[at + 3] == static_cast<std::uint8_t>(sum + (faults.wrongChecksum ? 1 : 0)),
          "a reply carries the checksum its fault setting calls for");
    at += length;
    ++replies;
  }
  check(replies <= requests, "the unit answers only frames it was sent",
        std::to_string(replies) + " replies to " + std::to_string(requests) + " frames");
}

}  // namespace
}  // namespace kelvaro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvaro;
  using namespace kelvaro::fuzz;
  if (size == 0) return 0;
  sim::UnitConfig config;
  config.faults.noise = (data[0] & 1) != 0;
  config.faults.wrongChecksum = (data[0] & 2) != 0;
  config.faults.identifyOnly = (data[0] & 4) != 0;
  config.faults.dropRate = (data[0] & 8) != 0 ? 0.25 : 0.0;
  config.replyCode = kReplyCodes[data[0] >> 5];
  sim::ControlUnit unit(config);

  std::uint64_t now = 1000;
  unit.pcLines((data[0] & 16) == 0, true, now);
  std::vector<std::uint8_t> sent, wire;
  std::size_t starts = 0;
  for (std::size_t at = 1; at < size;) {
    const std::uint8_t head = data[at++];
    const std::size_t n = std::min<std::size_t>(head & 0x7Fu, size - at);
    const std::span<const std::uint8_t> bytes(data + at, n);
    at += n;
    std::vector<std::uint8_t> chunk;
    if ((head & 0x80) != 0) {
      chunk = {0x81, static_cast<std::uint8_t>(n + 4), 0xC9, 0, 2, 1};
      chunk.insert(chunk.end(), bytes.begin(), bytes.end());
      chunk[3] = checksum(std::span<const std::uint8_t>(chunk).subspan(4));
    } else {
      chunk.assign(bytes.begin(), bytes.end());
    }
    starts += static_cast<std::size_t>(std::count(chunk.begin(), chunk.end(), std::uint8_t{0x81}));
    sent.insert(sent.end(), chunk.begin(), chunk.end());
    unit.fromPc(chunk, now);
    now += 7;
    unit.toPc(now, wire);
    check(unit.modemLines(now) >= 0 && unit.modemLines(now) <= 15, "the modem lines are four bits");
  }
  unit.toPc(now + 60'000, wire);

  for (const std::vector<std::uint8_t>& frame : unit.frames) {
    check(frame.size() >= 4 && frame[0] == 0x81 && frame.size() == static_cast<std::size_t>(frame[1]) + 2,
          "a frame taken is as long as its length byte says");
    check(frame[3] == checksum(std::span<const std::uint8_t>(frame).subspan(4)), "a frame taken has a good checksum");
    check(contains(sent, frame), "a frame taken is bytes the PC sent");
  }
  check(unit.frames.size() + static_cast<std::size_t>(unit.badFrames) <= starts,
        "every frame taken or dropped began with a start byte the PC sent");
  check(unit.memory.size() == 0x10000 && unit.loadEnd <= 0x10000 && unit.programImage().size() <= 0x10000,
        "program bytes stay inside the unit's memory");
  check(unit.programName.size() <= 8, "the program name has at most eight characters");
  check(unit.clock.size() < 256, "the clock holds what one frame brought");
  if (config.faults.dropRate == 0.0) checkReplies(wire, config.faults, unit.frames.size());
  check(!unit.dumpText().empty(), "the dump describes the unit");
  return 0;
}
