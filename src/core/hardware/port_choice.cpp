// The choice between the built-in simulator and the platform's serial port.
#include "hardware/port_choice.h"

#include <memory>

#include "hardware/in_process_port.h"
#include "hardware/posix_serial_port.h"

namespace kelvaro {

PortFactory simulatorOrSerialPort(SimulatedDevice& simulator, const Clock& clock, bool alwaysSimulator) {
  return [&simulator, &clock, alwaysSimulator](const PortTarget& target) -> std::unique_ptr<SerialPort> {
    if (target.simulator || alwaysSimulator) return std::make_unique<InProcessSerialPort>(simulator, clock);
    return std::make_unique<PosixSerialPort>();
  };
}

}  // namespace kelvaro
