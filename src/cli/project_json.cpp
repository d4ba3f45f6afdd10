// Every stored field of the model, texts converted to UTF-8, in the order of the records.
#include "project_json.h"

#include <array>
#include <string_view>
#include <type_traits>

#include "text/cp1252.h"

namespace kelvaro::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string utf8(std::string_view cp1252) { return toUtf8(cp1252); }

Json textList(const std::vector<std::string>& lines) {
  Json list = Json::array();
  for (const auto& line : lines) list.push_back(utf8(line));
  return list;
}

Json bitmapJson(const std::optional<TBitmapNam>& bitmap) {
  if (!bitmap) return nullptr;
  return Json{{"bitmap", utf8(bitmap->BitmapName)}, {"noPath", bitmap->NoPath}, {"objectOwn", bitmap->ObjectOwn}};
}

Json addressJson(const ObjectAddress& a) {
  return Json{{"lineNo", a.LineNo}, {"adrA", a.AdrA}, {"adr", Json::array({a.Adr[0], a.Adr[1], a.Adr[2], a.Adr[3]})}};
}

// One stored field of an object as JSON: texts in UTF-8, the kind letter as a text, numbers
// and flags as they are, placements only where they are in use.
Json fieldJson(const std::string& text) { return utf8(text); }
Json fieldJson(char kind) { return utf8(std::string(1, kind)); }
Json fieldJson(const ObjectAddress& a) { return addressJson(a); }
Json fieldJson(const std::vector<std::string>& lines) { return textList(lines); }
Json fieldJson(const std::vector<StateBitmapEntry>& entries) {
  Json states = Json::array();
  for (const auto& s : entries) {
    Json state = {{"state", utf8(s.state)}};
    if (s.bitmap) state.update(bitmapJson(s.bitmap));
    states.push_back(state);
  }
  return states;
}
Json fieldJson(const std::array<TPlan, 3>& placements) {
  Json plans = Json::array();
  for (const TPlan& p : placements) {
    if (p.ViewName.empty()) continue;
    plans.push_back({{"view", utf8(p.ViewName)}, {"left", p.Left}, {"top", p.Top}, {"width", p.Width},
                     {"height", p.Height}});
  }
  return plans;
}
template <class Number>
  requires std::is_arithmetic_v<Number>
Json fieldJson(Number value) {
  return value;
}

Json objectJson(const TPSObj& o) {
  Json j;
  forEachStoredField([&](std::string_view key, const auto& field) { j[std::string(key)] = fieldJson(field); }, o);
  return j;
}

Json slotJson(int number, const DeviceSlot& s) {
  const auto offline = static_cast<unsigned char>(s.COfflB);
  return Json{{"slot", number},       {"CDevArt", s.CDevArt}, {"CAdr", s.adr[0]},
              {"CCon", s.CCon},       {"CFkt", s.CFkt},       {"CNam", utf8(s.CNam)},
              {"CZAnOn", s.CZAnOn},   {"CEIntW1", s.CEIntW1}, {"CEIntW2", s.CEIntW2},
              {"COfflB", offline == 0 ? std::string() : utf8(std::string(1, s.COfflB))}};
}

Json stationJson(const TPSContr& s) {
  Json j;
  j["CName"] = utf8(s.CName);
  j["CKind"] = utf8(s.CKind);
  j["CKindi"] = s.CKindi;
  j["CMPKind"] = utf8(s.CMPKind);
  j["CLine"] = s.CLine;
  j["CPArt"] = s.CPArt;
  j["CPAdrTyp"] = s.CPAdrTyp;
  j["CPLeitg"] = s.CPLeitg;
  j["CPAdrA"] = s.CPAdrA;
  j["CPAdr"] = Json::array({s.CPAdr[0], s.CPAdr[1], s.CPAdr[2], s.CPAdr[3]});
  j["CPDevAnz"] = s.CPDevAnz;
  Json slots = Json::array();
  for (int k = 0; k < kSlotsPerStation; ++k) slots.push_back(slotJson(k + 1, s.slots[static_cast<std::size_t>(k)]));
  j["slots"] = slots;
  return j;
}

}  // namespace

Json projectToJson(const Project& project) {
  Json j;
  Json views = Json::array();
  for (const auto& v : project.views)
    views.push_back({{"name", utf8(v.name)}, {"bitmap", utf8(v.info.BitmapName)}, {"noPath", v.info.NoPath}});
  j["views"] = views;
  j["BackColor"] = project.BackColor;
  j["ExeWinStat"] = project.ExeWinStat;
  const WindowPosition& p = project.ExeWinPos;
  j["ExeWinPos"] = {{"left", p.left}, {"top", p.top}, {"width", p.width}, {"height", p.height}};
  j["Extern"] = project.Extern;
  j["types"] = textList(project.types);
  Json states = Json::array();
  for (const auto& e : project.typeStates) {
    Json state = {{"entry", utf8(e.entry)}};
    if (e.bitmap) state.update(bitmapJson(e.bitmap));
    states.push_back(state);
  }
  j["typeStates"] = states;
  j["constants"] = textList(project.constants);
  Json objects = Json::array();
  for (const auto& o : project.objects) objects.push_back(objectJson(o));
  j["objects"] = objects;
  Json stations = Json::array();
  for (const auto& s : project.stations) stations.push_back(stationJson(s));
  j["stations"] = stations;
  j["groups"] = textList(project.groupDefs);
  j["groupNames"] = textList(project.groupNames);
  return j;
}

}  // namespace kelvaro::cli
