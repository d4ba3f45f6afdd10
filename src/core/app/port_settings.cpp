// Port names through the settings file.
#include "app/port_settings.h"

#include <string>

#include "storage/ini_file.h"

namespace kelvaro {

PortMapping portsSection(const IniFile& settings) {
  return [&settings](std::string_view comName) { return settings.value("PORTS", comName); };
}

std::function<PortTarget(std::string_view)> settingsPortResolver(const IniFile& settings) {
  return [mapping = portsSection(settings)](std::string_view name) { return resolvePortName(name, mapping); };
}

}  // namespace kelvaro
