// The postal regions the main window offers for the sun times, each with the coordinates of
// its centre, so that a user who picks a region need not know longitude and latitude.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace kelvaro {

struct GeoPosition {
  double longitude = 0.0;  // degrees, east positive
  double latitude = 0.0;   // degrees, north positive
};

struct RegionEntry {
  std::string_view region;  // two digits and "xxx", e.g. "37xxx"
  GeoPosition position;
};

inline constexpr std::size_t kRegionCount = 94;

// The first choice of the list: the user keeps the coordinates typed in the settings dialog.
inline constexpr std::string_view kOwnCoordinatesChoice = "Benutzerdefiniert";

// Every region with coordinates, in ascending order (05, 11, 33, 43 and 62 have none).
std::span<const RegionEntry> regionTable();

// The texts of the region list in their order; the PLZ setting stores an index into it, so
// the order is part of the settings file and must not change. It is kOwnCoordinatesChoice,
// then every region of the table in ascending order with "33xxx" between "32xxx" and
// "34xxx": 96 texts. "33xxx" has always been offered although it has no coordinates;
// dropping it would shift every later index and move existing installations elsewhere.
// The other regions without coordinates are not offered.
std::span<const std::string_view> regionChoices();

// The choice at a PLZ index; nothing for -1 (no choice yet) or any index outside the list.
std::optional<std::string_view> regionChoiceAt(int index);

// What a change of the region list does to the coordinates: the entry whose region text
// equals the choice exactly (all five characters, letter case included), the first one if
// several did. Nothing for "Benutzerdefiniert", "33xxx" or any other text: the caller then
// keeps the coordinates it has.
std::optional<GeoPosition> regionPosition(std::string_view choice);

}  // namespace kelvaro
