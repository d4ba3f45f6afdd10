// The settings file's PORTS section as the line layer's port mapping, so that the GUI and
// kelvaro-cli resolve "COM1" alike while the hardware layer knows no settings file.
#pragma once

#include <functional>
#include <string_view>

#include "hardware/serial_line.h"

namespace kelvaro {

class IniFile;

// The PORTS entries of these settings ("COM1=/dev/ttyUSB0", "COM2=SIM"). They are read at
// every use, so a changed entry counts at the next open; the settings must outlive the
// mapping.
PortMapping portsSection(const IniFile& settings);

// Port names resolved through the PORTS entries of these settings (see resolvePortName).
std::function<PortTarget(std::string_view)> settingsPortResolver(const IniFile& settings);

}  // namespace kelvaro
