// The hardware assignment: station model names decide the device code and the channels.
#include "model/hardware_assignment.h"

#include <array>
#include <string_view>

namespace kelvaro {
namespace {

struct DeviceRule {
  std::string_view model;  // the station's CKind
  std::int32_t deviceCode;
  bool channelFromSlot;  // channel := the slot's CZAnOn
  bool furtherFromSlot;  // further count := the slot's CFkt
};

constexpr std::array<DeviceRule, 9> kSendRules = {{
    {"MXB2", 1, true, false},
    {"DSP32", 6, false, false},
    {"JAL1", 8, false, false},
    {"MXSA", 9, true, false},
    {"40611x", 21, true, false},
    {"40612x", 26, true, false},
    {"FS20 Schaltaktor", 201, false, false},
    {"FS20 Dimmer", 221, false, false},
    {"FHT8b Raumregler", 301, false, false},
}};

constexpr std::array<DeviceRule, 13> kReceiveRules = {{
    {"MXB2", 2, true, false},
    {"MFB1", 7, false, false},
    {"MXSA", 9, true, false},
    {"40611x", 21, true, false},
    {"40612x", 26, true, true},
    {"FS20 Taster/Sensor", 401, false, false},
    {"HMS100 TF", 551, true, false},
    {"HMS100 T", 552, false, false},
    {"HMS100 W/WD", 553, false, false},
    {"HMS100 RM", 554, false, false},
    {"HMS100 TFK", 555, false, false},
    {"HMS MG/PG/CO", 557, false, false},
    {"HMS100 FI", 565, false, false},
}};

ObjectAddress stationHeader(const TPSContr& station) {
  return {station.CPLeitg, station.CPAdrA, station.CPAdr};
}

// Applies one side (send or receive) of a matching slot.
template <std::size_t N>
void applySide(const std::array<DeviceRule, N>& rules, const TPSContr& station, const DeviceSlot& slot,
               ObjectAddress& header, std::int32_t& channel, HardwareWork& work) {
  header = stationHeader(station);
  channel = 0;
  for (const auto& rule : rules) {
    if (rule.model != station.CKind) continue;
    work.deviceCode = rule.deviceCode;
    if (rule.channelFromSlot) channel = slot.CZAnOn;
    if (rule.furtherFromSlot) work.furtherCount = slot.CFkt;
    break;
  }
  work.channelMode = station.CMPKind == "Daten" ? 0 : 1;
}

}  // namespace

void assignHardware(TPSObj& object, const std::vector<TPSContr>& stations) {
  HardwareWork& work = object.hardware;
  work.deviceCode = 0;
  work.sendChannel = 0;
  work.receiveChannel = 0;
  object.Snd = {};
  object.Rcv = {};
  if (object.SndDev.empty() && object.RcvDev.empty()) return;

  for (const auto& station : stations) {
    const int slotCount = station.CPDevAnz < kSlotsPerStation ? station.CPDevAnz : kSlotsPerStation;
    for (int k = 0; k < slotCount; ++k) {
      const DeviceSlot& slot = station.slots[static_cast<std::size_t>(k)];
      if (!object.SndDev.empty() && object.SndDev == slot.CNam)
        applySide(kSendRules, station, slot, object.Snd, work.sendChannel, work);
      if (!object.RcvDev.empty() && object.RcvDev == slot.CNam)
        applySide(kReceiveRules, station, slot, object.Rcv, work.receiveChannel, work);
    }
  }
  work.timeoutFlag = false;
  work.batteryFlag = false;
  object.Extern = work.deviceCode != 0 ? 1 : 0;
}

}  // namespace kelvaro
