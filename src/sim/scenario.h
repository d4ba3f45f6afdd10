// Scenario files: the stations and radio devices behind a simulated control unit and what they
// do when, in the simulator's virtual time, so that a run against the simulator can be replayed
// exactly. The format is described in docs/scenario.md.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro::sim {

struct ScenarioDevice {
  int typeCode = 0;
  // Wired: Address[0] is the station address. Radio: the device's address bytes (an FHT8b
  // room controller has two, the third stays 0).
  std::array<std::uint8_t, 3> address{};
  bool wired() const { return typeCode < 200; }
  std::string addressText() const;
};

enum class ActionKind {
  Value,    // a value message in the device type's layout
  Input,    // an input-state message
  Battery,  // from now on the device reports a low (or good) battery
  Silent,   // from now on the device sends nothing and answers nothing
  Answers,  // the device is back
  Raw,      // the data bytes as written, status byte first
  Button,   // a wired station's configuration button is pressed: it sends its status message
  Errors,   // a wired station's communication-error count becomes the value
};

struct ScenarioEvent {
  std::uint64_t atMs = 0;  // virtual time since the scenario started
  std::size_t device = 0;  // index into Scenario::devices
  ActionKind kind = ActionKind::Value;
  std::int32_t value = 0;  // Value: the value; Battery: 1 low, 0 good; Errors: the count
  int channel = 1;         // Value: the station input or sensor channel
  std::vector<std::uint8_t> bytes;  // Input: the input bytes; Raw: the data bytes
  int line = 0;            // where the event was written, for messages
};

// What happens on the telephone: the modem in front of the PC (sim::Modem) and the telephone
// that calls the unit's own modem (ControlUnit).
enum class LineAction {
  ModemCall,    // the unit's modem calls the PC's modem: it rings there
  ModemHangup,  // the far modem drops the line: the PC's modem reports NO CARRIER
  UnitHangup,   // the unit ends the link itself: the frame "H", then it hangs up
  PhoneCall,    // someone calls the unit's modem from a telephone
  PhoneKeys,    // keys pressed on that telephone
  PhoneHangup,  // the caller hangs up
};

struct LineEvent {
  std::uint64_t atMs = 0;
  LineAction kind = LineAction::ModemCall;
  std::string keys;  // PhoneKeys: the keys in the order pressed
  int line = 0;
};

struct Scenario {
  std::vector<ScenarioDevice> devices;
  std::vector<ScenarioEvent> events;  // in time order; events of the same time in file order
  std::vector<LineEvent> lineEvents;  // the same, for the telephone
  // The device at this address text ("10", "1.2.3"), if declared.
  std::optional<std::size_t> find(std::string_view addressText) const;
};

struct ScenarioLoad {
  Scenario scenario;
  std::string error;  // "line N: ..." when the text is not a good scenario
  bool ok() const { return error.empty(); }
};

// Reads a scenario text; on the first bad line the result carries its message and no scenario.
ScenarioLoad loadScenario(std::string_view text);

// The type code a scenario names by code or one-word type text, 0 when it names none.
int scenarioTypeCode(std::string_view word);

}  // namespace kelvaro::sim
