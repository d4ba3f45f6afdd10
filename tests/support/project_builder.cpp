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

}  // namespace kelvaro::test
