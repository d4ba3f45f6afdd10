// The rules of the page "Steuereinheit".
#include "app/unit_page_commands.h"

#include "app/workspace.h"

namespace kelvaro {
namespace {

template <std::size_t N>
std::string_view choiceAt(const std::array<std::string_view, N>& choices, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < N ? choices[static_cast<std::size_t>(index)] : std::string_view();
}

}  // namespace

int modelTypeCode(std::string_view model) {
  struct ModelCode {
    std::string_view model;
    int typeCode;
  };
  static constexpr ModelCode kCodes[] = {{"CU-A1", 11},       {"CU-A2 Ver.2", 122}, {"CU-A2-3.00-10", 123},
                                         {"CU-A2-3.20", 124}, {"CU/F-A2", 125},     {"RFI-RS1", 1}};
  for (const auto& c : kCodes)
    if (c.model == model) return c.typeCode;
  return 99;
}

UnitPageVisibility unitPageVisibility(int typeCode, int featureLevel) {
  UnitPageVisibility v;
  v.unitGroups = typeCode >= 11;
  v.versionInfo = typeCode > 122;
  v.remote = typeCode > 123;
  v.radioSettings = (typeCode == 125 || typeCode == 1) && featureLevel > 110;
  return v;
}

void chooseModel(Workspace& workspace, int index) {
  const std::string_view model = choiceAt(kModelChoices, index);
  if (model.empty()) return;
  Settings& s = workspace.settings();
  s.CONTR = index;
  s.settingsChanged = true;
  workspace.unit.TypeCode = modelTypeCode(model);
}

void leavePortChoice(Workspace& workspace, std::string_view portText) {
  if (workspace.unit.PortName == portText) return;
  workspace.unit.PortName = std::string(portText);
  workspace.project.modified = true;
}

void leaveModelChoice(Workspace& workspace, std::string_view modelText) {
  if (workspace.unit.TypeName == modelText) return;
  workspace.unit.TypeName = std::string(modelText);
  workspace.project.modified = true;
}

void applyUnitSettings(Workspace& workspace) {
  const Settings& s = workspace.settings();
  workspace.unit.PortName = std::string(choiceAt(kPortChoices, s.COMPORT));
  const std::string_view model = choiceAt(kModelChoices, s.CONTR);
  if (workspace.unit.TypeName != model) {
    workspace.unit.TypeName = std::string(model);
    workspace.unit.TypeCode = model.empty() ? 0 : modelTypeCode(model);
  }
}

void editUnitSetting(Workspace& workspace, UnitSettingField field, std::string text) {
  Settings& s = workspace.settings();
  std::string* target = nullptr;
  switch (field) {
    case UnitSettingField::ModemInit: target = &s.MODEMINIT; break;
    case UnitSettingField::ModemConnect: target = &s.MODEMCON; break;
    case UnitSettingField::RemotePassword: target = &s.REMOTEPW; break;
    case UnitSettingField::ClockCorrection: target = &s.CLOCKCOR; break;
  }
  if (*target == text) return;
  *target = std::move(text);
  s.settingsChanged = true;
}

bool isServiceCode(std::string_view fieldText) { return fieldText == kServiceCode; }

std::string imageFileName(std::string_view chosen) {
  const std::size_t slash = chosen.rfind('/');
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  if (nameStart >= chosen.size()) return {};
  // A leading dot marks a hidden file, not an extension.
  const std::size_t dot = chosen.find('.', nameStart + 1);
  if (dot == std::string_view::npos) return std::string(chosen) + ".SPA";
  return std::string(chosen.substr(0, dot + 1)) + "SPA";
}

}  // namespace kelvaro
