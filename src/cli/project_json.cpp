// Every stored field of the model, texts converted to UTF-8, in the order of the records.
#include "project_json.h"

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

Json objectJson(const TPSObj& o) {
  Json j;
  j["name"] = utf8(o.Name);
  j["OName"] = utf8(o.OName);
  j["Typ"] = utf8(o.Typ);
  j["StartVal"] = utf8(o.StartVal);
  j["VoiceContr"] = utf8(o.VoiceContr);
  j["OKind"] = utf8(std::string(1, o.OKind));
  j["Group"] = utf8(o.Group);
  j["HdwTyp"] = o.HdwTyp;
  j["CtZust"] = o.CtZust;
  j["ObjTypO"] = o.ObjTypO;
  j["ObjIDNr"] = o.ObjIDNr;
  j["Activ"] = o.Activ;
  j["visible"] = o.visible;
  j["InputExec"] = o.InputExec;
  j["AutoSize"] = o.AutoSize;
  j["Beep"] = o.Beep;
  j["SpecSt"] = o.SpecSt;
  j["ExtActiv"] = o.ExtActiv;
  j["RckMsg"] = o.RckMsg;
  j["ExtTrans"] = o.ExtTrans;
  j["Stretch"] = o.Stretch;
  j["SndDev"] = utf8(o.SndDev);
  j["RcvDev"] = utf8(o.RcvDev);
  j["send"] = addressJson(o.Snd);
  j["receive"] = addressJson(o.Rcv);
  j["ACode"] = o.ACode;
  Json states = Json::array();
  for (const auto& s : o.stateBitmaps) {
    Json state = {{"state", utf8(s.state)}};
    if (s.bitmap) state.update(bitmapJson(s.bitmap));
    states.push_back(state);
  }
  j["stateBitmaps"] = states;
  j["program"] = textList(o.program);
  j["varDefs"] = textList(o.varDefs);
  j["ExtTransList"] = textList(o.ExtTransList);
  j["GgeFrom"] = o.GgeFrom;
  j["GgeTo"] = o.GgeTo;
  j["GgeCol"] = o.GgeCol;
  j["PanelCh"] = o.PanelCh;
  j["PanelRo"] = o.PanelRo;
  j["OutpRB"] = o.OutpRB;
  j["OutpWrtRB"] = o.OutpWrtRB;
  j["BSInputRB"] = o.BSInputRB;
  j["NoBitMapRB"] = o.NoBitMapRB;
  j["GaugeDirRB"] = o.GaugeDirRB;
  Json plans = Json::array();
  for (const TPlan& p : o.plans) {
    if (p.ViewName.empty()) continue;
    plans.push_back({{"view", utf8(p.ViewName)}, {"left", p.Left}, {"top", p.Top}, {"width", p.Width},
                     {"height", p.Height}});
  }
  j["plans"] = plans;
  j["Extern"] = o.Extern;
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
