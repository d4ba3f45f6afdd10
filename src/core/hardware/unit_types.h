// The types of control units and radio interfaces by name, and the type code each has.
#pragma once

#include <array>
#include <string_view>

namespace kelvaro {

struct UnitType {
  std::string_view name;
  int typeCode;
};

// In the order the model choice lists them.
inline constexpr std::array<UnitType, 7> kUnitTypes = {{
    {"CU/F-A2", 125},
    {"RFI-RS1", 1},
    {"ELV-RFI", 2},
    {"CU-A2-3.20", 124},
    {"CU-A2-3.00-10", 123},
    {"CU-A2 Ver.2", 122},
    {"CU-A1", 11},
}};

inline constexpr int kOtherUnitTypeCode = 99;
inline constexpr std::string_view kDefaultUnitType = "CU-A2-3.20";

// The type code of a type name; any other name gives 99.
constexpr int unitTypeCode(std::string_view name) {
  for (const auto& t : kUnitTypes)
    if (t.name == name) return t.typeCode;
  return kOtherUnitTypeCode;
}

}  // namespace kelvaro
