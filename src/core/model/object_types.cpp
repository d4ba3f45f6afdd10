// Type-driven object set-up: state bitmaps, type class, shutter codes and object kind.
#include "model/object_types.h"

#include <array>

#include "text/text_util.h"

namespace kelvaro {
namespace {

struct TypeClassRow {
  std::int32_t typeClass;
  std::array<std::string_view, 5> names;
};

// Fixed in the program; later rows win, so the shutter row is checked after the door row.
constexpr std::array<TypeClassRow, 2> kTypeClassTable = {{
    {kTypeClassDoor, {"Tuer", "Fenster", "Tor", "Gatter", "Dachfenster"}},
    {kTypeClassShutter, {"Rollade", "Rolllade", "Jalousie"}},
}};

std::int32_t typeClassOf(std::string_view type, std::int32_t fallback) {
  std::int32_t result = fallback;
  for (const auto& row : kTypeClassTable)
    for (std::string_view name : row.names)
      if (!name.empty() && name == type) result = row.typeClass;
  return result;
}

}  // namespace

void syncStateBitmaps(TPSObj& object, const std::vector<TypeStateEntry>& typeStates, std::string_view type) {
  // sync state bitmaps -> saved entries first, then the type's standard bitmaps
  std::vector<StateBitmapEntry> saved = std::move(object.stateBitmaps);
  object.stateBitmaps.clear();
  for (const auto& entry : typeStates) {
    const std::size_t colon = entry.entry.find(':');
    if (colon == std::string::npos || std::string_view(entry.entry).substr(0, colon) != type) continue;
    const std::string state = entry.entry.substr(colon + 1);
    StateBitmapEntry* kept = nullptr;
    for (auto& s : saved)
      if (equalsNoCase(s.state, state)) {
        kept = &s;
        break;
      }
    if (kept) {
      object.stateBitmaps.push_back(std::move(*kept));
      kept->state.clear();  // a moved entry is not found twice
    } else if (entry.bitmap) {
      object.stateBitmaps.push_back({state, TBitmapNam{entry.bitmap->BitmapName, entry.bitmap->NoPath, 0}});
    } else {
      object.stateBitmaps.push_back({state, std::nullopt});
    }
  }
  object.CtZust = static_cast<std::int32_t>(object.stateBitmaps.size());
  object.ObjTypO = typeClassOf(object.Typ, object.CtZust == 2 ? kTypeClassTwoState : kTypeClassGeneral);
}

void keepOwnBitmaps(TPSObj& object) {
  std::erase_if(object.stateBitmaps,
                [](const StateBitmapEntry& e) { return !e.bitmap || e.bitmap->ObjectOwn == 0; });
}

void setUpShutterCodes(TPSObj& object) {
  if (object.ObjTypO != kTypeClassShutter) return;
  if (!object.stateBitmaps.empty()) object.StartVal = shortText(object.stateBitmaps.front().state, kShortText64);
  object.ExtTrans = true;
  // Set up anew rather than appended to: a second run must not leave stale codes in front.
  object.ExtTransList.clear();
  for (std::size_t i = 0; i < object.stateBitmaps.size(); ++i) {
    const std::string& state = object.stateBitmaps[i].state;
    if (state == "oben")
      object.ExtTransList.emplace_back("253");
    else if (state == "unten")
      object.ExtTransList.emplace_back("252");
    else
      object.ExtTransList.push_back(std::to_string((i + 1) * 2));
  }
}

char objectKindForType(std::string_view type) {
  if (type == "Zahl") return kKindNumber;
  if (type == "Zeichen") return kKindText;
  if (type == "Knopf") return kKindButton;
  if (type == "(Undefiniert)") return kKindUndefined;
  return kKindUser;
}

std::int32_t hardwareRoleOfType(const std::vector<std::string>& types, std::string_view type) {
  for (const auto& entry : types) {
    const std::size_t semicolon = entry.find(';');
    if (semicolon == std::string::npos || !equalsNoCase(std::string_view(entry).substr(0, semicolon), type)) continue;
    if (semicolon + 1 < entry.size() && entry[semicolon + 1] >= '0' && entry[semicolon + 1] <= '9')
      return entry[semicolon + 1] - '0';
  }
  return 4;
}

}  // namespace kelvaro
