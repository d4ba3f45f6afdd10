// Which back-end a port name of the settings leads to: the built-in simulated control unit
// or the machine's serial port. The GUI and kelvaro-cli choose alike, so that an installer
// who tried a project against the simulator under "COM1=SIM" gets the same unit in both.
#pragma once

#include <functional>
#include <string_view>

#include "hardware/serial_line.h"

namespace kelvaro {

class SimulatedDevice;

// Opens the simulator's port for a target that names the simulator, or for every target when
// alwaysSimulator is set; else the platform's serial port. The device and the clock must
// outlive every port the factory makes.
PortFactory simulatorOrSerialPort(SimulatedDevice& simulator, const Clock& clock, bool alwaysSimulator = false);

}  // namespace kelvaro
