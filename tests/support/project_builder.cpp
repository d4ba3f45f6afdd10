// Small projects for tests (see project_builder.h).
#include "support/project_builder.h"

#include <string_view>
#include <utility>

#include "storage/project_file.h"

namespace kelvaro::test {

TPSObj programObject(const char* name, const char* type, const char* start, std::vector<std::string> lines,
                     std::uint8_t aCode) {
  TPSObj o = createObject(name);
  o.Typ = type;
  o.StartVal = start;
  o.ACode = aCode;
  const std::string_view t = type;
  o.OKind = t == "Zahl" ? kKindNumber : t == "Zeichen" ? kKindText : t == "Knopf" ? kKindButton : kKindUser;
  for (auto& line : lines) o.program.push_back("-" + line);
  return o;
}

TPSObj lampObject(const char* name, std::vector<std::string> lines) {
  return programObject(name, "Lampe", "aus", std::move(lines));
}

Project lampProject(std::vector<TPSObj> objects) {
  Project p;
  p.typeStates = {{"Lampe:aus", {}}, {"Lampe:an", {}}};
  p.objects = std::move(objects);
  return p;
}

std::string varDef(std::string name, std::string type, std::string_view start) {
  name.resize(20, ' ');
  type.resize(20, ' ');
  return name + type + std::string(start);
}

// --- State bitmaps as text.
std::string stateBitmapText(const std::vector<StateBitmapEntry>& entries) {
  std::string text;
  for (const auto& e : entries) {
    text += (text.empty() ? "" : " ") + e.state + "=";
    if (e.bitmap)
      text += e.bitmap->BitmapName + "/" + std::to_string(e.bitmap->NoPath) + "/" + std::to_string(e.bitmap->ObjectOwn);
  }
  return text;
}

std::string objectText(const TPSObj& object) {
  Project project;
  project.objects = {object};
  return projectFileText(project);
}

// --- Hardware

TPSContr deviceStation(const char* name, const char* model, int line, std::uint8_t address) {
  constexpr int kRadioLine = 4;
  TPSContr s;
  s.CName = s.slots[0].CNam = name;
  s.CKind = model;
  s.CMPKind = "Daten";
  s.CPLeitg = line;
  s.CPAdrA = line == kRadioLine ? 3 : 1;
  s.CPAdr = {address, address, address, 0};
  s.CPDevAnz = s.slots[0].CDevArt = 1;
  return s;
}

TPSObj deviceObject(const char* name, const char* type, bool send, std::vector<std::string> program) {
  TPSObj o = programObject(name, type, type == std::string("Lampe") ? "aus" : "0", std::move(program));
  o.CtZust = 2;
  (send ? o.SndDev : o.RcvDev) = name;
  return o;
}

}  // namespace kelvaro::test
