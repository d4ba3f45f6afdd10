// The line to the control unit as a run sees it, scripted frame by frame: what the unit
// delivers, and every frame the run sent as its wire bytes. Time moves only when the run waits.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "runtime/hardware_exchange.h"
#include "time/clock.h"

namespace kelvaro::test {

class ScriptedLink final : public StationLink {
 public:
  bool send(int mode, const FrameHeader& header, std::span<const std::uint8_t> data) override;
  LinkReceive receive(ReceivedFrame& frame) override;
  void pump() override { clock->advanceMs(10); }
  const UnitRecord& unit() const override { return record; }
  bool modemLinkUp() const override { return modemLink; }

  ManualClock* clock = nullptr;
  UnitRecord record;
  std::deque<std::optional<ReceivedFrame>> incoming;  // nothing: a frame that failed
  std::vector<std::string> sent;                      // hex bytes, one frame each
  bool sendWorks = true;
  bool modemLink = false;
};

// A frame to the PC (address 1) from a wired station or the unit, or from a radio device.
ReceivedFrame frameToPc(int kind, std::array<std::uint8_t, 3> sender, const std::vector<std::uint8_t>& data);

}  // namespace kelvaro::test
