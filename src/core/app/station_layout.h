// What the station dialog shows for each station type: the channels it lists with their
// kind (input or output), and the captions of the channel panel's value fields. The stores
// behind the fields are the station rules'; this only says which field means what.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hardware/station_config.h"
#include "model/project.h"

namespace kelvaro {

inline constexpr int kPanelValueFields = 5;  // CESBox3 to CESBox7

struct PanelLayout {
  // CDevArt per slot 1 to 8: 1 an input, 2 an output, 0 a slot the type does not have.
  std::array<int, kSlotsPerStation> slotKinds{};
  bool groupFields = false;  // "Gruppen-Adresse" and "Gruppen-Anschluß"
  bool function = false;     // "Funktion"
  // Captions of CESBox3 to CESBox7 (UTF-8); empty: hidden.
  std::array<std::string_view, kPanelValueFields> values{};
  std::string_view offline;  // caption of CECkBox; empty: hidden
};

// The panel of a type code (3 and 4 as 2); radio and unknown types name their one channel only.
const PanelLayout& panelLayout(int typeCode);

// Makes the station one of this type: model text and code, the bus and address form of wired
// stations or radio devices, and the kind of each channel the type has. Names and values of
// the channels stay.
void setStationType(TPSContr& station, const StationType& type);

// The station's type code; one stored without it counts as its model text's type.
int stationTypeCode(const TPSContr& station);

// Whether two records hold the same station: type, address and every field of the channels
// that the configuration reads, writes or names. A command that changed one marks the project.
bool sameStation(const TPSContr& a, const TPSContr& b);

// A radio device's address bytes (CPAdr to CPAdr3) in the form its type is entered in:
// FS20 the three bytes as twelve base-4 digits written 1 to 4 ("12211112-1112"); "9999-99"
// the room controller's two code bytes (0 to 99 each) and the third byte; a number and four
// digits the first two bytes as one 16-bit number.
std::string radioAddressText(const TPSContr& station);
// The bytes of an address typed in that form; nothing when it does not fit the form (the
// station rules' checkRadioAddress names what is wrong).
std::optional<std::array<std::uint8_t, 3>> radioAddressBytes(RadioAddressFormat format, std::string_view text);

}  // namespace kelvaro
