// Station configuration without the line: type table, settings bytes, read blocks, the line
// search's list line and the station test's reading of a frame.
#include "hardware/station_config.h"

#include <algorithm>
#include <bit>

namespace kelvaro {

namespace {

using AK = AddressKind;
using RF = RadioAddressFormat;

// The devices' manuals fix the address forms; which radio type takes which is ours: FS20
// devices their code form, the room controller "9999-99", the HMS100 sensors four digits.
constexpr StationType kTypes[] = {
    {2, "MXB2", "2 Schaltsensoren, 2 Schaltaktoren", false, AK::Station, RF::None},
    {6, "DSP32", "LCD-Anzeige 32-stellig", false, AK::Station, RF::None},
    {7, "MFB1", "Multifunktionstaster", false, AK::Station, RF::None},
    {8, "JAL1", "Rollladensteuerung", false, AK::Station, RF::None},
    {9, "MXSA", "2 Mess-Eing\xE4nge, 2 Schaltaktoren", false, AK::Station, RF::None},
    {21, "40611x", "2 Sensoren, 2 Schaltaktoren", false, AK::Station, RF::None},
    {26, "40612x", "Rollladensteuerung mit Sensor", false, AK::Station, RF::None},
    {101, "Tastsensor", "Tastsensor", false, AK::Station, RF::None},
    {201, "FS20 Schaltaktor", "FS20 Schaltaktor", true, AK::Send, RF::FS20},
    {221, "FS20 Dimmer", "FS20 Dimmaktor", true, AK::Send, RF::FS20},
    {301, "FHT8b Raumregler", "Raumregler FHT8b", true, AK::Receive, RF::CodeDash},
    {401, "FS20 Taster/Sensor", "FS20 Taster/Sensor", true, AK::Receive, RF::FS20},
    {551, "HMS100 TF", "Temperatur/Feuchtesensor HMS100 TF", true, AK::NewBatteries, RF::FourDigits},
    {552, "HMS100 T", "Temperatur-Sensor HMS100 T", true, AK::NewBatteries, RF::FourDigits},
    {553, "HMS100 W/WD", "Wassermelder HMS100", true, AK::NewBatteries, RF::FourDigits},
    {554, "HMS100 RM", "Rauchmelder HMS100 RM", true, AK::NewBatteries, RF::FourDigits},
    {555, "HMS100 TFK", "Kontaktsensor HMS100 TFK", true, AK::NewBatteries, RF::FourDigits},
    {557, "HMS MG/PG/CO", "Gassensor HMS100 MG/PG/CO", true, AK::NewBatteries, RF::FourDigits},
    {565, "HMS100 FI", "FI-Trenner HMS100 FI", true, AK::NewBatteries, RF::FourDigits},
};

std::uint8_t byteOf(std::int32_t v) { return static_cast<std::uint8_t>(v); }
bool inUse(const DeviceSlot& s) { return !s.CNam.empty(); }
bool offline(const DeviceSlot& s) { return s.COfflB == 'X'; }
char offlineMark(bool on) { return on ? 'X' : ' '; }

// One settings byte bound to one slot field, so that the write and the read share one table.
enum class Field { Adr, Con, Fkt, W1, W2, FktBit };
struct Binding {
  int index;  // write index (read position index + 2)
  int slot;   // 0-based
  Field field;
};

// The settings each layout carries field by field; flag bytes and computed bytes are handled
// by hand beside this table.
constexpr Binding kMXB2[] = {
    {3, 0, Field::Adr},  {4, 0, Field::Con}, {5, 0, Field::Fkt}, {6, 0, Field::W1},   {7, 1, Field::Adr},
    {8, 1, Field::Con},  {9, 1, Field::Fkt}, {10, 1, Field::W1}, {11, 4, Field::Adr}, {12, 4, Field::Con},
    {13, 4, Field::Fkt}, {14, 4, Field::W1}, {15, 4, Field::W2}, {16, 5, Field::Adr}, {17, 5, Field::Con},
    {18, 5, Field::Fkt}, {19, 5, Field::W1}, {20, 5, Field::W2},
};
constexpr Binding kMXSA[] = {
    {2, 0, Field::Adr}, {3, 0, Field::Con},  {4, 0, Field::Fkt}, {5, 1, Field::Adr},
    {6, 1, Field::Con}, {7, 1, Field::Fkt},  {8, 4, Field::Fkt}, {9, 4, Field::W1},
    {10, 4, Field::W2}, {11, 5, Field::Fkt}, {12, 5, Field::W1}, {13, 5, Field::W2},
};
constexpr Binding kDSP32[] = {{1, 0, Field::Fkt}};
constexpr Binding kMFB1[] = {
    {1, 0, Field::Adr}, {2, 0, Field::Con}, {3, 0, Field::W1}, {4, 0, Field::W2},
    {5, 1, Field::W1},  {6, 1, Field::W2},  {7, 2, Field::W1},
};
constexpr Binding kJAL1[] = {{1, 0, Field::Adr}, {2, 0, Field::Con}, {3, 0, Field::W1}, {4, 0, Field::W2}};
// 40611x and 40612x share indexes 2 to 14; byte 15 on differ.
constexpr Binding k4061Common[] = {
    {2, 0, Field::Adr}, {3, 0, Field::Con},  {4, 0, Field::Fkt},  {5, 1, Field::Adr},     {6, 1, Field::Con},
    {7, 1, Field::Fkt}, {8, 4, Field::Adr},  {9, 4, Field::Con},  {10, 4, Field::FktBit}, {11, 4, Field::W1},
    {12, 4, Field::W2}, {13, 5, Field::Adr}, {14, 5, Field::Con},
};
constexpr Binding k40611Tail[] = {{16, 5, Field::W1}, {17, 5, Field::W2}};
constexpr Binding k40612Tail[] = {{16, 5, Field::W1}, {17, 0, Field::W1}};

struct Layout {
  int count;
  std::span<const Binding> head;
  std::span<const Binding> tail;
};

Layout layoutTable(ConfigLayout layout) {
  switch (layout) {
    case ConfigLayout::MXB2: return {23, kMXB2, {}};
    case ConfigLayout::MXSA: return {16, kMXSA, {}};
    case ConfigLayout::DSP32: return {4, kDSP32, {}};
    case ConfigLayout::MFB1: return {10, kMFB1, {}};
    case ConfigLayout::JAL1: return {8, kJAL1, {}};
    case ConfigLayout::T40611: return {17, k4061Common, k40611Tail};
    case ConfigLayout::T40612: return {17, k4061Common, k40612Tail};
    case ConfigLayout::None: break;
  }
  return {0, {}, {}};
}

std::int32_t fieldValue(const DeviceSlot& s, Field f) {
  switch (f) {
    case Field::Adr: return s.adr[0];
    case Field::Con: return s.CCon;
    case Field::Fkt: return s.CFkt;
    case Field::W1: return s.CEIntW1;
    case Field::W2: return s.CEIntW2;
    case Field::FktBit: return functionBit(s.CFkt);
  }
  return 0;
}

void setField(DeviceSlot& s, Field f, std::uint8_t v) {
  switch (f) {
    case Field::Adr: s.adr[0] = v; break;
    case Field::Con: s.CCon = v; break;
    case Field::Fkt: s.CFkt = v; break;
    case Field::W1: s.CEIntW1 = v; break;
    case Field::W2: s.CEIntW2 = v; break;
    case Field::FktBit: s.CFkt = functionFromBit(v); break;
  }
}

// The flag byte (write index 1 or 2) of the layouts that have one.
std::uint8_t flagByte(ConfigLayout layout, const TPSContr& st) {
  const auto& s = st.slots;
  int f = 0;
  switch (layout) {
    case ConfigLayout::MXB2:
      f = (offline(s[4]) ? 1 : 0) | (offline(s[5]) ? 2 : 0) | (offline(s[6]) ? 16 : 0) | (offline(s[7]) ? 32 : 0);
      break;
    case ConfigLayout::MXSA: f = (inUse(s[4]) ? 1 : 0) | (inUse(s[5]) ? 2 : 0); break;
    case ConfigLayout::T40611:
      f = (inUse(s[4]) ? 1 : 0) | (inUse(s[5]) ? 2 | 8 : 0) | (inUse(s[4]) && s[4].CFkt < 2 ? 4 : 0) |
          (offline(s[4]) ? 64 : 0) | (offline(s[5]) ? 128 : 0);
      break;
    case ConfigLayout::T40612: {
      const bool slot1Other = s[0].CFkt != 1;
      f = (inUse(s[4]) || slot1Other ? 1 : 0) + ((inUse(s[4]) && s[4].CFkt < 2) || slot1Other ? 14 : 10) +
          (offline(s[4]) ? 64 : 0);
      break;
    }
    default: break;
  }
  return byteOf(f);
}

}  // namespace

std::span<const StationType> stationTypes() { return kTypes; }

const StationType* stationType(int code) {
  if (code == 3 || code == 4) code = 2;
  if (code == 556) code = 555;
  for (const auto& t : kTypes)
    if (t.code == code) return &t;
  return nullptr;
}

const StationType* stationTypeByText(std::string_view text) {
  for (const auto& t : kTypes)
    if (t.text == text) return &t;
  return nullptr;
}

const StationType* stationTypeOf(const TPSContr& station) {
  if (const StationType* t = stationTypeByText(station.CKind)) return t;
  return stationType(station.CKindi);
}

bool isRadioStation(const TPSContr& station) {
  const StationType* t = stationTypeOf(station);
  return t ? t->radio : station.CKindi >= 200;
}

int configBlockCount(int typeCode) {
  return (typeCode >= 1 && typeCode <= 30) || typeCode == 101 || typeCode == 102 ? 1 : kMaxConfigBlocks;
}

std::uint8_t ConfigBlock::at(int position) const {
  return position >= 1 && position < static_cast<int>(pos.size()) ? pos[static_cast<std::size_t>(position)] : 0;
}

ConfigLayout configLayout(std::string_view typeText, int typeCode) {
  if (typeText == "MXSA") return ConfigLayout::MXSA;
  if (typeText.starts_with("MX")) return ConfigLayout::MXB2;
  if (typeText == "DSP32") return ConfigLayout::DSP32;
  if (typeText == "MFB1") return ConfigLayout::MFB1;
  if (typeText == "JAL1") return ConfigLayout::JAL1;
  if (typeText == "40611x") return ConfigLayout::T40611;
  if (typeText == "40612x") return ConfigLayout::T40612;
  switch (typeCode) {
    case 2:
    case 3:
    case 4: return ConfigLayout::MXB2;
    case 6: return ConfigLayout::DSP32;
    case 7: return ConfigLayout::MFB1;
    case 8: return ConfigLayout::JAL1;
    case 9: return ConfigLayout::MXSA;
    case 21: return ConfigLayout::T40611;
    case 26: return ConfigLayout::T40612;
    default: return ConfigLayout::None;
  }
}

ConfigLayout configLayoutOf(const TPSContr& station) {
  // A radio device's model text never names a wired layout, but its code may be anything.
  if (isRadioStation(station)) return ConfigLayout::None;
  return configLayout(station.CKind, station.CKindi);
}

int functionFromBit(int value) {
  if (value > 0 && std::has_single_bit(static_cast<unsigned>(value)) && value <= 128)
    return std::countr_zero(static_cast<unsigned>(value));
  return value - 1;
}

std::optional<SettingsWrite> settingsBytes(const TPSContr& station, const ConfigBlock& lastRead, bool special) {
  // settingsBytes -> the write layout of the station's family over the last read
  const ConfigLayout layout = configLayoutOf(station);
  const Layout table = layoutTable(layout);
  if (table.count == 0) return std::nullopt;
  const bool has4061Special = layout == ConfigLayout::T40611 || layout == ConfigLayout::T40612;
  if (special && has4061Special)
    return SettingsWrite{5, {std::uint8_t(layout == ConfigLayout::T40611 ? 1 : 16), flagByte(layout, station)}};

  SettingsWrite w;
  w.bytes.resize(static_cast<std::size_t>(table.count));
  for (int i = 1; i <= table.count; ++i) w.bytes[static_cast<std::size_t>(i - 1)] = lastRead.at(i + 2);
  auto put = [&](int index, std::int32_t v) { w.bytes[static_cast<std::size_t>(index - 1)] = byteOf(v); };
  for (auto part : {table.head, table.tail})
    for (const Binding& b : part) put(b.index, fieldValue(station.slots[static_cast<std::size_t>(b.slot)], b.field));

  const auto& s = station.slots;
  switch (layout) {
    case ConfigLayout::MXB2:
      put(1, 0);
      put(2, flagByte(layout, station));
      break;
    case ConfigLayout::MXSA: put(1, flagByte(layout, station)); break;
    case ConfigLayout::T40611:
      put(1, flagByte(layout, station));
      put(15, s[5].CFkt == 2 ? 64 : functionBit(s[5].CFkt));
      break;
    case ConfigLayout::T40612:
      put(1, flagByte(layout, station));
      put(15, s[0].CFkt == 1 ? 64 : 0);
      break;
    default: break;
  }
  return w;
}

FrameHeader stationHeader(const TPSContr& station) {
  if (isRadioStation(station)) return {kKindRadio, 1, {station.CPAdr[0], station.CPAdr[1], station.CPAdr[2]}};
  return {kKindStation, 1, {station.CPAdr[0], 0, 0}};
}

std::optional<StationRequest> configWriteRequest(const TPSContr& station, const ConfigBlock& lastRead, bool special) {
  const auto write = settingsBytes(station, lastRead, special);
  if (!write) return std::nullopt;
  StationRequest r{stationHeader(station), station.CKindi, static_cast<int>(write->bytes.size()) + 6, {}};
  // A station stored without its code still gets the mode of its model's family.
  if (r.sendMode <= 0 || r.sendMode >= 31)
    if (const StationType* t = stationTypeOf(station)) r.sendMode = t->code;
  r.data.reserve(write->bytes.size() + 2);
  r.data.push_back(kCommandWriteConfig);
  r.data.push_back(write->subCommand);
  r.data.insert(r.data.end(), write->bytes.begin(), write->bytes.end());
  return r;
}

StationRequest configReadRequest(const FrameHeader& station) { return {station, 0, 6, {kCommandReadConfig, 0}}; }
StationRequest probeRequest(const FrameHeader& station) { return {station, 1, 6, {kCommandProbe, 0}}; }

StationRequest setAddressRequest(const FrameHeader& station, int sendMode, std::uint8_t newAddress) {
  return {station, sendMode, 7, {0x8D, newAddress, 0}};
}

StationRequest testRequest(TestCommand command, const FrameHeader& station, std::uint8_t threshold) {
  switch (command) {
    case TestCommand::SensorTest: return {station, 0, 6, {0x8C, 0}};
    case TestCommand::Reset: return {station, 0, 6, {0x8B, 0}};
    case TestCommand::ErrorCounterOn: return {station, 0, 7, {0x8A, 1, threshold}};
    case TestCommand::ErrorCounterOff: return {station, 0, 6, {0x8A, 2}};
    case TestCommand::ErrorCounterQuery: return {station, 0, 6, {0x8A, 3}};
  }
  return {station, 0, 0, {}};
}

std::string_view testStatusText(TestCommand command) {
  switch (command) {
    case TestCommand::SensorTest: return "Test l\xE4uft ...";
    case TestCommand::Reset: return {};
    case TestCommand::ErrorCounterOn: return "St\xF6rungsz\xE4hler eingeschaltet";
    case TestCommand::ErrorCounterOff: return "St\xF6rungsz\xE4hler ausgeschaltet";
    case TestCommand::ErrorCounterQuery: return "St\xF6rungsz\xE4hler abgefragt";
  }
  return {};
}

std::string addressAssignedText(int address, std::string_view station) {
  return "Adresse " + std::to_string(address) + " vergeben an " + std::string(station);
}

std::string addressProbeText(int address, bool answered, bool owned) {
  const std::string a = "Adresse " + std::to_string(address);
  if (!answered) return a + " ist frei";
  return owned ? a + " schon vorhanden" : a + " schon vorhanden\raber keiner Signalstation zugewiesen.";
}

std::string addressNotFoundText(int address) { return "Adresse " + std::to_string(address) + " nicht gefunden"; }

bool applyConfigBlock(TPSContr& station, const ConfigBlock& block) {
  // applyConfigBlock -> the write table read backwards, flag bytes by hand
  const ConfigLayout layout = configLayoutOf(station);
  if (layout == ConfigLayout::None || configLayout({}, block.typeCode()) != layout) return false;
  const Layout table = layoutTable(layout);
  for (auto part : {table.head, table.tail})
    for (const Binding& b : part)
      setField(station.slots[static_cast<std::size_t>(b.slot)], b.field, block.at(b.index + 2));
  auto& s = station.slots;
  switch (layout) {
    case ConfigLayout::MXB2: {
      const std::uint8_t f = block.at(4);
      s[4].COfflB = offlineMark(f & 1);
      s[5].COfflB = offlineMark(f & 2);
      s[6].COfflB = offlineMark(f & 16);
      s[7].COfflB = offlineMark(f & 32);
      break;
    }
    case ConfigLayout::T40611: {
      const std::uint8_t f15 = block.at(17);
      s[5].CFkt = f15 == 64 ? 2 : functionFromBit(f15);
      [[fallthrough]];
    }
    case ConfigLayout::T40612:
      s[4].COfflB = offlineMark(block.at(3) & 64);
      s[5].COfflB = offlineMark(block.at(3) & 128);
      break;
    default: break;
  }
  return true;
}

bool ConfigBlockCollector::take(const ReceivedFrame& frame) {
  // take -> a block of the asked station to the PC, whole, with a number inside the read
  const auto d = frameData(frame);
  if (frame.sender.Kind != m_station.Kind || frame.sender.Address[0] != m_station.Address[0]) return false;
  if (frame.receiver.Address[0] != kPcFrameAddress) return false;
  if (d.size() != 2 + kConfigBlockSize || d[0] != kReplyConfigBlock) return false;
  const int n = d[1];
  if (n >= (m_count > 0 ? m_count : kMaxConfigBlocks)) return false;
  std::copy(d.begin() + 2, d.end(), m_block.pos.begin() + 1 + n * kConfigBlockSize);
  m_have[static_cast<std::size_t>(n)] = true;
  if (n == 0) {
    m_count = configBlockCount(m_block.typeCode());
    // A block taken before the count was known but past it belongs to no read of this type.
    std::fill(m_block.pos.begin() + 1 + m_count * kConfigBlockSize, m_block.pos.end(), std::uint8_t{0});
    std::fill(m_have.begin() + m_count, m_have.end(), false);
  }
  return true;
}

bool ConfigBlockCollector::complete() const { return m_count > 0 && m_have[static_cast<std::size_t>(m_count - 1)]; }

namespace {
std::string rightAligned(int value, std::size_t width) {
  std::string s = std::to_string(value);
  return s.size() < width ? std::string(width - s.size(), ' ') + s : s;
}
}  // namespace

std::optional<std::string> lineSearchLine(const ReceivedFrame& frame) {
  const auto d = frameData(frame);
  if (d.size() < 2 || d[0] != kReplyProbe) return std::nullopt;
  const StationType* t = stationType(d[1]);
  return rightAligned(frame.sender.Kind, 4) + "    " + rightAligned(frame.sender.Address[0], 5) + "   " +
         (t ? std::string(t->text) : std::to_string(d[1]));
}

namespace {
TestReply statusOnly(std::string text) {
  TestReply r;
  r.status = std::move(text);
  return r;
}
}  // namespace

std::string testValueFieldName(int field) { return "Wert" + std::to_string(field); }

TestReply interpretTestReply(int received, const ReceivedFrame& frame, std::string_view stationName,
                             std::uint8_t stationAddress) {
  // interpretTestReply -> silent station, value, info message, anything else
  TestReply r;
  const auto d = frameData(frame);
  const std::string broken(kStationReceiveErrorText);
  if (received < 1 || d.empty()) return statusOnly(broken);
  const std::uint8_t s = d[0];
  if (frame.sender.Kind == kKindStation && s == 0xFE) {
    if (d.size() < 2) return statusOnly(broken);
    r.status = d[1] == stationAddress ? "Signalstation " + std::string(stationName) + " antwortet nicht"
                                      : "Signalstation Adresse " + std::to_string(d[1]) + " antwortet nicht";
    return r;
  }
  if ((s & 0xC0) == 0xC0) {
    const std::string unassigned = "Nicht zugeordnete Info-Status-Meldung empfangen";
    if ((s & 0x3F) != 5) return statusOnly(unassigned);
    if (d.size() < 4) return statusOnly(broken);
    switch (d[1]) {  // the channel mask names the field
      case 4: r.valueField = 1; break;
      case 8: r.valueField = 2; break;
      case 16: r.valueField = 3; break;
      case 32: r.valueField = 4; break;
      default: return statusOnly(unassigned);
    }
    r.value = d[3] * 256 + d[2];
    if (r.valueField == 4) {
      r.finished = true;
      r.status = "Test beendet";
    }
    return r;
  }
  if (s & 0x80) {
    if ((s & 0x7F) == 10 && d.size() >= 2 && d[1] == 4) {
      if (d.size() < 3) return statusOnly(broken);
      r.errorCount = d[2];
    } else {
      r.status = "Nicht zugeordnete Info-Meldung empfangen";
    }
    return r;
  }
  r.status = "Nicht zugeordnete Meldung empfangen";
  return r;
}

}  // namespace kelvaro
