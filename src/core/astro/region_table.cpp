// The region table and the region list of the sun-time settings.
#include "astro/region_table.h"

#include <array>

namespace kelvaro {
namespace {

// Longitude and latitude of each region's middle, to half a degree: close enough for switching
// lamps and shutters; the corrections of the settings take up what is left.
constexpr std::array<RegionEntry, kRegionCount> kRegions{{
    {"01xxx", {13.5, 51.5}}, {"02xxx", {14.5, 51.5}}, {"03xxx", {14.5, 51.5}}, {"04xxx", {12.5, 51.5}},
    {"06xxx", {11.5, 51.5}}, {"07xxx", {11.5, 50.5}}, {"08xxx", {12.5, 50.5}}, {"09xxx", {13.5, 50.5}},
    {"10xxx", {13.5, 52.5}}, {"12xxx", {13.5, 52.5}}, {"13xxx", {13.5, 52.5}}, {"14xxx", {12.5, 52.5}},
    {"15xxx", {14.5, 52.5}}, {"16xxx", {13.5, 52.5}}, {"17xxx", {13.5, 53.5}}, {"18xxx", {12.5, 54.5}},
    {"19xxx", {11.5, 53.5}}, {"20xxx", {10.5, 53.5}}, {"21xxx", {9.5, 53.5}}, {"22xxx", {10.5, 53.5}},
    {"23xxx", {10.5, 53.5}}, {"24xxx", {9.5, 54.5}}, {"25xxx", {9.5, 54.5}}, {"26xxx", {7.5, 53.5}},
    {"27xxx", {9.5, 53.5}}, {"28xxx", {8.5, 53.5}}, {"29xxx", {10.5, 52.5}}, {"30xxx", {9.5, 52.5}},
    {"31xxx", {9.5, 52.5}}, {"32xxx", {8.5, 52.5}}, {"34xxx", {9.5, 51.5}}, {"35xxx", {8.5, 50.5}},
    {"36xxx", {9.5, 50.5}}, {"37xxx", {10.5, 51.5}}, {"38xxx", {10.5, 52.5}}, {"39xxx", {11.5, 52.5}},
    {"40xxx", {6.5, 51.5}}, {"41xxx", {6.5, 51.5}}, {"42xxx", {7.5, 51.5}}, {"44xxx", {7.5, 51.5}},
    {"45xxx", {7.5, 51.5}}, {"46xxx", {6.5, 51.5}}, {"47xxx", {6.5, 51.5}}, {"48xxx", {7.5, 52.5}},
    {"49xxx", {7.5, 52.5}}, {"50xxx", {6.5, 50.5}}, {"51xxx", {7.5, 50.5}}, {"52xxx", {6.5, 50.5}},
    {"53xxx", {6.5, 50.5}}, {"54xxx", {6.5, 49.5}}, {"55xxx", {7.5, 49.5}}, {"56xxx", {7.5, 50.5}},
    {"57xxx", {8.5, 50.5}}, {"58xxx", {7.5, 51.5}}, {"59xxx", {8.5, 51.5}}, {"60xxx", {8.5, 50.5}},
    {"61xxx", {8.5, 50.5}}, {"63xxx", {9.5, 50.5}}, {"64xxx", {8.5, 49.5}}, {"65xxx", {8.5, 50.5}},
    {"66xxx", {7.5, 49.5}}, {"67xxx", {8.5, 49.5}}, {"68xxx", {8.5, 49.5}}, {"69xxx", {8.5, 49.5}},
    {"70xxx", {9.5, 48.5}}, {"71xxx", {9.5, 48.5}}, {"72xxx", {9.5, 48.5}}, {"73xxx", {9.5, 48.5}},
    {"74xxx", {9.5, 49.5}}, {"75xxx", {8.5, 48.5}}, {"76xxx", {8.5, 49.5}}, {"77xxx", {8.5, 48.5}},
    {"78xxx", {8.5, 47.5}}, {"79xxx", {7.5, 47.5}}, {"80xxx", {11.5, 48.5}}, {"81xxx", {11.5, 48.5}},
    {"82xxx", {11.5, 47.5}}, {"83xxx", {12.5, 47.5}}, {"84xxx", {12.5, 48.5}}, {"85xxx", {11.5, 48.5}},
    {"86xxx", {10.5, 48.5}}, {"87xxx", {10.5, 47.5}}, {"88xxx", {9.5, 47.5}}, {"89xxx", {10.5, 48.5}},
    {"90xxx", {11.5, 49.5}}, {"91xxx", {10.5, 49.5}}, {"92xxx", {11.5, 49.5}}, {"93xxx", {12.5, 49.5}},
    {"94xxx", {12.5, 48.5}}, {"95xxx", {11.5, 50.5}}, {"96xxx", {10.5, 50.5}}, {"97xxx", {10.5, 49.5}},
    {"98xxx", {10.5, 50.5}}, {"99xxx", {10.5, 51.5}},
}};

constexpr std::array<std::string_view, kRegionCount + 2> kChoices{{
    kOwnCoordinatesChoice,
    "01xxx", "02xxx", "03xxx", "04xxx", "06xxx", "07xxx", "08xxx", "09xxx", "10xxx", "12xxx",
    "13xxx", "14xxx", "15xxx", "16xxx", "17xxx", "18xxx", "19xxx", "20xxx", "21xxx", "22xxx",
    "23xxx", "24xxx", "25xxx", "26xxx", "27xxx", "28xxx", "29xxx", "30xxx", "31xxx", "32xxx",
    "33xxx", "34xxx", "35xxx", "36xxx", "37xxx", "38xxx", "39xxx", "40xxx", "41xxx", "42xxx",
    "44xxx", "45xxx", "46xxx", "47xxx", "48xxx", "49xxx", "50xxx", "51xxx", "52xxx", "53xxx",
    "54xxx", "55xxx", "56xxx", "57xxx", "58xxx", "59xxx", "60xxx", "61xxx", "63xxx", "64xxx",
    "65xxx", "66xxx", "67xxx", "68xxx", "69xxx", "70xxx", "71xxx", "72xxx", "73xxx", "74xxx",
    "75xxx", "76xxx", "77xxx", "78xxx", "79xxx", "80xxx", "81xxx", "82xxx", "83xxx", "84xxx",
    "85xxx", "86xxx", "87xxx", "88xxx", "89xxx", "90xxx", "91xxx", "92xxx", "93xxx", "94xxx",
    "95xxx", "96xxx", "97xxx", "98xxx", "99xxx",
}};

}  // namespace

std::span<const RegionEntry> regionTable() { return kRegions; }

std::span<const std::string_view> regionChoices() { return kChoices; }

std::optional<std::string_view> regionChoiceAt(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= kChoices.size()) return std::nullopt;
  return kChoices[static_cast<std::size_t>(index)];
}

std::optional<GeoPosition> regionPosition(std::string_view choice) {
  for (const RegionEntry& entry : kRegions)
    if (entry.region == choice) return entry.position;
  return std::nullopt;
}

}  // namespace kelvaro
