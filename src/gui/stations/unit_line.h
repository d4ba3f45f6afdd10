// A line to the control unit that a dialog holds while it is open (station configuration,
// station test, radio interface): the serial line, the protocol on it and the port the page
// "Steuereinheit" chose. Made by that page (MainContext::openUnitLine), so every dialog meets
// the same port names, built-in simulated unit, clock and event pump as the page's commands.
#pragma once

#include <functional>
#include <string>

#include "hardware/protocol.h"
#include "hardware/serial_line.h"

namespace kelvaro::gui {

struct UnitLine {
  UnitLine(const Clock& clock, PortFactory factory, std::function<void()> pump, UserInterface& ui,
           std::function<void(const UnitRecord&)> release)
      : line(clock, std::move(factory), std::move(pump), &ui), protocol(line, ui), m_release(std::move(release)) {}
  // Closes the line and hands the unit record back, so the page frees the line for others.
  ~UnitLine() {
    line.CloseLine();
    if (m_release) m_release(protocol.unit);
  }
  UnitLine(const UnitLine&) = delete;
  UnitLine& operator=(const UnitLine&) = delete;

  SerialLine line;
  Protocol protocol;
  std::string port;  // the page's port choice ("COM1", "SIM", a device path)

 private:
  std::function<void(const UnitRecord&)> m_release;
};

}  // namespace kelvaro::gui
