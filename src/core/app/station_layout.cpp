// The channel panel's captions per station type, chosen from the labels the stations' manuals
// use. What each field stores is storeChannel's; the captions follow those stores:
//
// | type            | channels (1 in, 2 out)   | CESBox3 .. CESBox7                              | CECkBox         |
// |-----------------|--------------------------|-------------------------------------------------|-----------------|
// | MXB2 (2, 3, 4)  | 1, 2 in; 5, 6 out        | Wert AUS, Wert AN                               | Offline-Betrieb |
// | MXSA (9)        | 1, 2 in; 5, 6 out        | Empfindlichkeit, Korr.-Wert                     | -               |
// | 40611x (21)     | 1, 2 in; 5, 6 out        | Wert AUS, Wert AN                               | Offline-Betrieb |
// | 40612x (26)     | 1, 2 in; 5, 6 out        | Gesamtlaufzeit, Korr.-Wert                      | Offline-Betrieb |
// | DSP32 (6)       | 1 out                    | -                                               | -               |
// | MFB1 (7)        | 1 in                     | 1 x kurz, kurz-lang, lang, 2 x kurz, loslassen  | -               |
// | JAL1 (8)        | 1 out                    | Zeitbasis (20 = 1 sec.), Gesamtlaufzeit         | -               |
// | Tastsensor (101)| 1 in                     | Akustisches Signal                              | -               |
// | radio devices   | 1 (out for actuators)    | -                                               | -               |
#include "app/station_layout.h"

#include <tuple>

namespace kelvaro {

namespace {

constexpr std::array<int, kSlotsPerStation> kTwoInTwoOut{1, 1, 0, 0, 2, 2, 0, 0};
constexpr std::array<int, kSlotsPerStation> kOneIn{1, 0, 0, 0, 0, 0, 0, 0};
constexpr std::array<int, kSlotsPerStation> kOneOut{2, 0, 0, 0, 0, 0, 0, 0};

const PanelLayout kMxb2{kTwoInTwoOut, true, true, {"Wert AUS", "Wert AN"}, "Offline-Betrieb"};
const PanelLayout kMxsa{kTwoInTwoOut, true, true, {"Empfindlichkeit", "Korr.-Wert"}, ""};
const PanelLayout k40611{kTwoInTwoOut, true, true, {"Wert AUS", "Wert AN"}, "Offline-Betrieb"};
const PanelLayout k40612{kTwoInTwoOut, true, true, {"Gesamtlaufzeit", "Korr.-Wert"}, "Offline-Betrieb"};
const PanelLayout kDsp32{kOneOut, false, true, {}, ""};
const PanelLayout kMfb1{kOneIn, true, false, {"1 x kurz", "kurz-lang", "lang", "2 x kurz", "loslassen"}, ""};
const PanelLayout kJal1{kOneOut, true, false, {"Zeitbasis (20 = 1 sec.)", "Gesamtlaufzeit"}, ""};
const PanelLayout kTaster{kOneIn, true, true, {"Akustisches Signal"}, ""};
const PanelLayout kRadioIn{kOneIn, false, false, {}, ""};
const PanelLayout kRadioOut{kOneOut, false, false, {}, ""};

}  // namespace

const PanelLayout& panelLayout(int typeCode) {
  switch (typeCode) {
    case 2:
    case 3:
    case 4: return kMxb2;
    case 6: return kDsp32;
    case 7: return kMfb1;
    case 8: return kJal1;
    case 9: return kMxsa;
    case 21: return k40611;
    case 26: return k40612;
    case 101: return kTaster;
    default: {
      const StationType* t = stationType(typeCode);
      return t != nullptr && t->address == AddressKind::Send ? kRadioOut : kRadioIn;
    }
  }
}

int stationTypeCode(const TPSContr& station) {
  if (station.CKindi != 0) return station.CKindi;
  const StationType* t = stationTypeByText(station.CKind);
  return t != nullptr ? t->code : 0;
}

void setStationType(TPSContr& station, const StationType& type) {
  station.CKind = std::string(type.text);
  station.CKindi = type.code;
  // Wired stations sit on line 1 with a one-byte station address; radio devices on line 4
  // with three address bytes, and actuators are sent to (CPArt 2), as stored projects have it.
  if (type.radio) {
    station.CLine = station.CPLeitg = 4;
    station.CPAdrA = 3;
    station.CPArt = type.address == AddressKind::Send ? 2 : 0;
  } else {
    if (station.CLine < 1 || station.CLine > 3) station.CLine = 1;
    station.CPLeitg = station.CLine;
    station.CPAdrA = 1;
    station.CPArt = 0;
  }
  const PanelLayout& layout = panelLayout(type.code);
  for (std::size_t k = 0; k < station.slots.size(); ++k)
    station.slots[k].CDevArt = static_cast<std::uint8_t>(layout.slotKinds[k]);
  int count = 0;
  for (int kind : layout.slotKinds) count += kind != 0 ? 1 : 0;
  station.CPDevAnz = count > 1 ? kSlotsPerStation : 1;
}

}  // namespace kelvaro

namespace kelvaro {

namespace {

std::optional<int> decimal(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Four FS20 digits (1 to 4) as one byte, the first digit the highest.
std::optional<std::uint8_t> fs20Byte(std::string_view digits) {
  int value = 0;
  for (char c : digits) {
    if (c < '1' || c > '4') return std::nullopt;
    value = value * 4 + (c - '1');
  }
  return static_cast<std::uint8_t>(value);
}

std::string fs20Digits(std::uint8_t byte) {
  std::string digits(4, '1');
  for (int i = 3; i >= 0; --i, byte /= 4) digits[static_cast<std::size_t>(i)] = static_cast<char>('1' + byte % 4);
  return digits;
}

std::string padded(int value, int width) {
  std::string text = std::to_string(value);
  return std::string(text.size() < static_cast<std::size_t>(width) ? width - text.size() : 0, '0') + text;
}

}  // namespace

bool sameStation(const TPSContr& a, const TPSContr& b) {
  auto slot = [](const DeviceSlot& d) {
    return std::tie(d.CDevArt, d.COfflB, d.CCon, d.CFkt, d.adr[0], d.CEIntW1, d.CEIntW2, d.CNam);
  };
  if (std::tie(a.CName, a.CKind, a.CKindi, a.CLine, a.CPArt, a.CPLeitg, a.CPAdrA, a.CPAdr, a.CPDevAnz) !=
      std::tie(b.CName, b.CKind, b.CKindi, b.CLine, b.CPArt, b.CPLeitg, b.CPAdrA, b.CPAdr, b.CPDevAnz))
    return false;
  for (std::size_t k = 0; k < a.slots.size(); ++k)
    if (slot(a.slots[k]) != slot(b.slots[k])) return false;
  return true;
}

std::string radioAddressText(const TPSContr& station) {
  const StationType* type = stationTypeOf(station);
  const auto& a = station.CPAdr;
  const int word = a[0] * 256 + a[1];
  switch (type != nullptr ? type->addressFormat : RadioAddressFormat::None) {
    case RadioAddressFormat::FS20: return fs20Digits(a[0]) + fs20Digits(a[1]) + "-" + fs20Digits(a[2]);
    case RadioAddressFormat::CodeDash: return padded(a[0] % 100 * 100 + a[1] % 100, 4) + "-" + padded(a[2], 2);
    case RadioAddressFormat::FourDigits: return padded(word % 10000, 4);
    case RadioAddressFormat::Number: return std::to_string(word);
    case RadioAddressFormat::None: return {};
  }
  return {};
}

std::optional<std::array<std::uint8_t, 3>> radioAddressBytes(RadioAddressFormat format, std::string_view text) {
  auto word = [](int value) -> std::array<std::uint8_t, 3> {
    return {static_cast<std::uint8_t>(value / 256), static_cast<std::uint8_t>(value % 256), 0};
  };
  switch (format) {
    case RadioAddressFormat::FS20: {
      if (text.size() != 13 || text[8] != '-') return std::nullopt;
      const auto b0 = fs20Byte(text.substr(0, 4)), b1 = fs20Byte(text.substr(4, 4)), b2 = fs20Byte(text.substr(9));
      if (!b0 || !b1 || !b2) return std::nullopt;
      return std::array<std::uint8_t, 3>{*b0, *b1, *b2};
    }
    case RadioAddressFormat::CodeDash: {
      if (text.size() < 6 || text[4] != '-') return std::nullopt;
      const auto code = decimal(text.substr(0, 4)), last = decimal(text.substr(5));
      if (!code || !last || *last > 255) return std::nullopt;
      return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(*code / 100), static_cast<std::uint8_t>(*code % 100),
                                         static_cast<std::uint8_t>(*last)};
    }
    case RadioAddressFormat::FourDigits: {
      const auto value = decimal(text);
      if (text.size() != 4 || !value) return std::nullopt;
      return word(*value);
    }
    case RadioAddressFormat::Number: {
      const auto value = decimal(text);
      if (!value || *value < 4 || *value > 65535) return std::nullopt;
      return word(*value);
    }
    case RadioAddressFormat::None: return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace kelvaro
