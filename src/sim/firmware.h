// The simulated control unit's firmware: it runs the program image the PC transferred, the
// way the unit runs it on its own, without the PC's engine. It reads the objects, variables
// and code straight from the image (addresses high byte first), keeps its own clock in 10 ms
// steps, runs the objects by their priority and the execution queue, and reports every change
// of an object's value, which the unit sends to the PC as a value frame while the PC shows the
// visualisation.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "firmware_image.h"
#include "time/date_time.h"

namespace kelvaro::sim {

// A value frame's data for the PC (first byte 0xFF), addressed by the object's unit number.
struct ValueFrame {
  std::uint16_t unit = 0;
  std::vector<std::uint8_t> data;
};

// Where a device behind the unit sits: line 1 the wired stations (one address byte), line 4
// radio (up to three).
struct DeviceAddress {
  int line = 0;
  std::array<std::uint8_t, 3> address{};
};

// A message of a station or radio device that the unit takes for its own program: the data
// bytes start with the status byte, as the device sent them.
struct StationMessage {
  DeviceAddress from;
  int typeCode = 0;  // the sending device's station type code
  std::vector<std::uint8_t> data;
};

// What the unit sends a device when an object with a send device changes: the data bytes in
// the device type's layout.
struct StationOutput {
  int object = -1;
  DeviceAddress to;
  int typeCode = 0;
  std::vector<std::uint8_t> data;
};

class Firmware {
 public:
  // 10 ms a tick, as the unit's own timer.
  static constexpr std::uint64_t kTickMs = 10;
  // Statements one program may run before the unit ends it as a runaway loop.
  static constexpr std::uint64_t kStatementLimit = 1'000'000;
  static constexpr std::size_t kQueueSlots = 255;

  // Takes over the image in memory (the unit's 64 KiB) loaded from base up to loadedEnd; a
  // refused image leaves no program and a line in the log saying why.
  bool load(std::span<const std::uint8_t> memory, int base, int loadedEnd);
  void unload();
  bool loaded() const { return m_image.has_value(); }
  bool running() const { return m_running; }
  // From the start: the queue emptied, every object as in the image, "*INIT" at the first pass.
  void start();
  void stop() { m_running = false; }

  // The unit's clock. Without a set-clock command it starts at 1 January 2000, 00:00.
  void setClock(DateTime now) { m_now = m_clockSet = now, m_ticksSinceSet = 0; }
  // The clock correction of the unit's configuration. The unit's crystal keeps time at the
  // value it leaves the factory with (kNominalCorrection); each step away from it makes the
  // clock gain (above) or lose (below) one second a day.
  static constexpr int kNominalCorrection = 45;
  void setClockCorrection(int correction);
  int clockCorrection() const { return m_correction; }
  DateTime now() const { return m_now; }
  // Runs every tick due by nowMs of the clock the unit is driven with; the first call only
  // notes where that clock stands.
  void advanceTo(std::uint64_t nowMs);
  // One tick: the clock pass with its cycles, then the clock moves on by 10 ms.
  void tick();

  // The visualisation: on, every object's value goes out once and then every change.
  void setVisualising(bool on);
  bool visualising() const { return m_visualising; }
  std::vector<ValueFrame> takeValueFrames();
  // A frame from the PC's visualisation for the object with this unit number (data[0] 0xFF):
  // the value it carries is stored and the object's program queued, as a click on the PC does.
  // False when no object has that number.
  bool fromVisualisation(std::uint16_t unit, std::span<const std::uint8_t> data);

  // The devices behind the unit. An image for a unit of type code 125 and above carries each
  // object's whole device address; the older layout only the first address byte, so there a
  // radio object hears every device whose address begins with the same byte.
  void setFullAddresses(bool full) { m_fullAddresses = full; }
  void setFeatureLevel(int level) { m_featureLevel = level; }
  // The station type of the device at an address, 0 when none is there: the unit knows the
  // devices it was configured with, the image does not name their types.
  std::function<int(const DeviceAddress&)> deviceType;
  // A device's message: every object listening to that device takes the value it carries, and
  // is queued when it runs on reception.
  void fromStation(const StationMessage& message);
  std::vector<StationOutput> takeStationOutputs();

  // Every change of an object's shown value: the object's index in the image's object table,
  // its text as the views show it, the unit's time, and whether a device's message set it
  // (rather than a program).
  std::function<void(int object, const std::string& text, DateTime at, bool fromStation)> onChange;
  const FirmwareImage* image() const { return m_image ? &*m_image : nullptr; }
  // The unit's own log (Windows-1252): refused images, runaway programs, queue overflow.
  std::vector<std::string> log;

 private:
  struct ObjectState {
    bool active = true;
    bool switched = false;
    bool changePending = false;
    bool fromStation = false;  // the pending change came from a device's message
  };
  // The device an object talks to, read from its table entry.
  struct ObjectDevice {
    DeviceAddress address;
    int channel = 0;
    bool sends = false;  // the entry names a send device
  };
  ObjectDevice deviceOf(int object) const;
  bool listensTo(int object, const DeviceAddress& from) const;
  std::vector<int> codeList(int object) const;
  std::optional<std::int32_t> decodeMessage(int object, const StationMessage& message) const;
  void queueOutput(int object);
  struct Operand {
    int address = -1;    // a variable's address, or -1
    int system = -1;     // a system value's number (16395 ...), or -1
    // What stands in parentheses after STOPPZEIT, SONNENAUFGANG, ...: a variable or a system value.
    int argument = -1;
    int argumentSystem = -1;
  };
  struct Value;

  void clockPass();
  void cycle();
  void runQueue();
  void enqueue(int object);
  void runObject(int object, int& level);
  void execute(int object, int& pc, int end);
  void assign(int& pc, int end);
  bool condition(int pc, int end, int thenAddress);
  bool readOperand(int& pc, int end, Operand& operand) const;
  int readObject(int& pc, int end) const;
  int nextStatement(int pc, int end) const;
  Value valueOf(const Operand& operand) const;
  int compare(const Value& a, const Value& b, std::uint8_t op, const Value* third) const;
  DateTime timeOf(const Operand& operand) const;
  DateTime sunTime(bool rise, DateTime date) const;
  std::string stateName(int typeAddress, int state) const;
  std::string textAt(int address) const;
  void storeNumber(int address, std::int32_t value);
  void storeText(int address, const std::string& text);
  void storeTime(int address, DateTime value);
  void markChanged(int object);
  int ownerOf(int address) const;
  std::string shownText(int object) const;
  void report(int object);

  std::optional<FirmwareImage> m_image;
  std::vector<ObjectState> m_objects;
  std::deque<int> m_queue;
  std::vector<int> m_changed;  // objects with a change pending, in the order they changed
  std::vector<ValueFrame> m_frames;
  std::vector<StationOutput> m_outputs;
  bool m_fullAddresses = true;
  bool m_storingFromStation = false;
  int m_featureLevel = 0;
  bool m_running = false;
  bool m_visualising = false;
  bool m_abort = false;
  bool m_ending = false;  // PROGRAMMENDE: the unit stops after this pass
  bool m_modemReady = false;
  DateTime m_now = 36526.0;  // 1 January 2000
  DateTime m_clockSet = 36526.0;
  std::uint64_t m_ticksSinceSet = 0;
  int m_correction = kNominalCorrection;
  std::optional<std::uint64_t> m_lastMs;
  // The clock pass.
  bool m_firstPass = true;
  int m_lastSecond = 99, m_lastMinute = 255, m_lastHour = 255, m_lastDay = 255;
  int m_pendingLevel = 2;
  int m_clockSecond = 0;
  DateTime m_clockTime = 0.0;  // the 5-second clock
  mutable std::mt19937 m_random{5489u};  // ZUFALLSZEIT
  std::uint64_t m_statements = 0;
};

}  // namespace kelvaro::sim
