// Port names through the settings file, and the port list of the page "Steuereinheit".
#include "app/port_settings.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/unit_page_commands.h"
#include "app/workspace.h"
#include "storage/ini_file.h"

namespace kelvaro {
namespace {

// The entries of a directory whose names start with one of the prefixes, sorted.
std::vector<std::string> entriesStartingWith(const std::filesystem::path& directory,
                                             std::initializer_list<std::string_view> prefixes) {
  std::vector<std::string> found;
  std::error_code error;
  std::filesystem::directory_iterator it(directory, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (std::any_of(prefixes.begin(), prefixes.end(), [&](std::string_view p) { return name.starts_with(p); }))
      found.push_back(it->path().string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

// The index of "COMn" (exactly as the list writes it) in COM1 ... COM6, or -1.
int comIndex(std::string_view port) {
  const auto it = std::find(kPortChoices.begin(), kPortChoices.end(), port);
  return it == kPortChoices.end() ? -1 : static_cast<int>(it - kPortChoices.begin());
}

}  // namespace

PortMapping portsSection(const IniFile& settings) {
  return [&settings](std::string_view comName) { return settings.value("PORTS", comName); };
}

std::function<PortTarget(std::string_view)> settingsPortResolver(const IniFile& settings) {
  return [mapping = portsSection(settings)](std::string_view name) { return resolvePortName(name, mapping); };
}

std::vector<std::string> presentSerialDevices() {
  std::vector<std::string> devices = entriesStartingWith("/dev", {"ttyUSB", "ttyACM"});
  for (std::string& link : entriesStartingWith("/dev/serial/by-id", {""})) devices.push_back(std::move(link));
  return devices;
}

std::string chosenPort(const IniFile& settings, int comPortIndex) {
  if (comPortIndex >= 0 && static_cast<std::size_t>(comPortIndex) < kPortChoices.size())
    return std::string(kPortChoices[static_cast<std::size_t>(comPortIndex)]);
  const std::string stored = settings.readString(kPortChoiceSection, kPortChoiceKey, "");
  return stored.empty() ? std::string(kSimulatorWord) : stored;
}

PortList portList(const IniFile& settings, int comPortIndex, const DeviceLister& devices) {
  PortList list;
  list.entries.push_back({std::string(kSimulatorWord), std::string(kSimulatorCaption)});
  const auto resolve = settingsPortResolver(settings);
  for (std::string_view com : kPortChoices) {
    const PortTarget target = resolve(com);
    const std::string leadsTo = target.simulator ? std::string(kSimulatorCaption) : target.device;
    list.entries.push_back({std::string(com), std::string(com) + " (" + leadsTo + ")"});
  }
  if (devices)
    for (std::string& device : devices()) list.entries.push_back({device, std::move(device)});

  const std::string chosen = chosenPort(settings, comPortIndex);
  const auto same = [&chosen](const PortChoice& e) { return e.value == chosen; };
  auto it = std::find_if(list.entries.begin(), list.entries.end(), same);
  // "sim" typed by hand is the simulator as well: the line takes the word in any case.
  if (it == list.entries.end() && resolvePortName(chosen).simulator) it = list.entries.begin();
  if (it == list.entries.end()) {
    list.entries.push_back({chosen, chosen.starts_with('/') ? chosen + " (nicht gefunden)" : chosen});
    it = list.entries.end() - 1;
  }
  list.current = static_cast<std::size_t>(it - list.entries.begin());
  return list;
}

PortList unitPortList(Workspace& workspace, const DeviceLister& devices) {
  Settings& s = workspace.settings();
  PortList list = portList(workspace.ini, s.COMPORT, devices);
  const std::string& port = list.entries[list.current].value;
  workspace.unit.PortName = port;
  // Without a model the page hides the transfer; on the simulator the model is known.
  const auto model = std::find(kModelChoices.begin(), kModelChoices.end(), kSimulatedModel);
  const bool noModel = s.CONTR < 0 || static_cast<std::size_t>(s.CONTR) >= kModelChoices.size() - 1;
  if (noModel && resolvePortName(port).simulator) {
    s.CONTR = static_cast<int>(model - kModelChoices.begin());
    workspace.unit.TypeName = std::string(kSimulatedModel);
    workspace.unit.TypeCode = modelTypeCode(kSimulatedModel);
  }
  return list;
}

void storePortChoice(Workspace& workspace, std::string_view port) {
  Settings& s = workspace.settings();
  const int index = comIndex(port);
  s.COMPORT = index;
  if (index >= 0)
    workspace.ini.deleteKey(kPortChoiceSection, kPortChoiceKey);
  else
    workspace.ini.writeString(kPortChoiceSection, kPortChoiceKey, port);
  s.settingsChanged = true;
}

}  // namespace kelvaro
