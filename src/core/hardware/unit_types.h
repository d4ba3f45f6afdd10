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

// The type code a device gives in its identification reply, and the type it stands for.
struct ReplyType {
  int replyCode;
  int typeCode;
};
inline constexpr std::array<ReplyType, 7> kReplyTypes = {{
    {1, 1}, {2, 2}, {11, 11}, {12, 122}, {13, 123}, {14, 124}, {15, 125},
}};

// The type of a reply code; nullptr for a code not in the table.
constexpr const UnitType* unitTypeForReply(int replyCode) {
  for (const auto& r : kReplyTypes)
    if (r.replyCode == replyCode)
      for (const auto& t : kUnitTypes)
        if (t.typeCode == r.typeCode) return &t;
  return nullptr;
}

// The reply code a device of this type code gives; 0 for none.
constexpr int replyCodeOf(int typeCode) {
  for (const auto& r : kReplyTypes)
    if (r.typeCode == typeCode) return r.replyCode;
  return 0;
}

// The older units that wait for DTR low and answer with CTS and DCD before each frame.
constexpr bool usesHandshake(int typeCode) { return typeCode > 10 && typeCode < 123; }

}  // namespace kelvaro
