// The settings file's PORTS section as the line layer's port mapping, so that the GUI and
// kelvaro-cli resolve "COM1" alike while the hardware layer knows no settings file; and the
// port list of the page "Steuereinheit" with the choice it stores.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/serial_line.h"

namespace kelvaro {

class IniFile;
struct Workspace;

// The PORTS entries of these settings ("COM1=/dev/ttyUSB0", "COM2=SIM"). They are read at
// every use, so a changed entry counts at the next open; the settings must outlive the
// mapping.
PortMapping portsSection(const IniFile& settings);

// Port names resolved through the PORTS entries of these settings (see resolvePortName).
std::function<PortTarget(std::string_view)> settingsPortResolver(const IniFile& settings);

// The serial devices of this machine as paths. A function, so that the port list can be
// built without real devices.
using DeviceLister = std::function<std::vector<std::string>()>;
// /dev/ttyUSB*, /dev/ttyACM* and the links in /dev/serial/by-id, each group sorted; nothing
// for a directory that cannot be read.
std::vector<std::string> presentSerialDevices();

// One entry of the port list: the port name the line resolves ("SIM", "COM1",
// "/dev/ttyUSB0") and the text the list shows for it.
struct PortChoice {
  std::string value;
  std::string caption;
};
struct PortList {
  std::vector<PortChoice> entries;
  std::size_t current = 0;  // the stored choice
};

inline constexpr std::string_view kSimulatorCaption = "Simulator";
// Where a choice other than COM1 ... COM6 is kept. COMPORT keeps its meaning (an index into
// COM1 ... COM6, -1 for none) so that other readers of the file are not misled; for such a
// choice it is -1 and this entry holds the port name.
inline constexpr std::string_view kPortChoiceSection = "PORTCHOICE";
inline constexpr std::string_view kPortChoiceKey = "PORT";

// The stored choice: COMn for a COMPORT index of 0 to 5, else the PORTCHOICE entry, else
// (no port ever chosen) the simulator, so that a first start without hardware can transfer.
std::string chosenPort(const IniFile& settings, int comPortIndex);

// The list: the simulator, COM1 ... COM6 each with the device it leads to, the devices
// present, and last a stored choice that is none of these (a device unplugged since), so
// that the list always shows what is stored.
PortList portList(const IniFile& settings, int comPortIndex, const DeviceLister& devices);

// The model the built-in simulated unit answers as unless told otherwise.
inline constexpr std::string_view kSimulatedModel = "CU-A2-3.20";

// The list as the page shows it; the unit record's port follows the stored choice, so that
// merely showing the default counts as no change of the project. On the simulator with no
// model chosen (or the blank one) the simulator's model is taken, without marking the
// settings changed, so that a first start can transfer at once.
PortList unitPortList(Workspace& workspace, const DeviceLister& devices);

// A choice from the list goes into the settings (written back at exit): COM1 ... COM6 as
// the COMPORT index as always, anything else as COMPORT -1 and the PORTCHOICE entry.
void storePortChoice(Workspace& workspace, std::string_view port);

}  // namespace kelvaro
