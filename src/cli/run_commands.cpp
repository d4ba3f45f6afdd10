// kelvaro-cli run: drives the same run session as the execution window, with scripted clicks
// and entries instead of a mouse, and a JSON line for every change of what a view would show.
#include "run_commands.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <thread>

#include "arguments.h"
#include "app/port_settings.h"
#include "app/run_commands.h"
#include "configured_sun.h"
#include "console_user_interface.h"
#include "control_unit.h"
#include "hardware/port_choice.h"
#include "hardware/protocol.h"
#include "hardware/serial_line.h"
#include "language/compiler.h"
#include "language_commands.h"
#include "project_loading.h"
#include "runtime/hardware_exchange.h"
#include "runtime/run_session.h"
#include "runtime/run_window_support.h"
#include "scenario.h"
#include "storage/atomic_file.h"
#include "storage/ini_file.h"
#include "storage/settings.h"
#include "text/cp1252.h"
#include "time/clock.h"

namespace kelvaro::cli {
namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void onInterrupt(int) { g_interrupted = true; }

// Messages go to stderr; a runtime error box is answered Cancel (the run ends) unless the
// caller asked to go on, since nobody is there to choose.
class RunUserInterface final : public UserInterface {
 public:
  RunUserInterface(bool continueOnError, const Clock& clock) : m_continue(continueOnError), m_clock(clock) {}
  MessageAnswer showMessage(const Message& message) override {
    std::cerr << isoDateTimeText(m_clock.now()) << " " << messageLine(message.text) << '\n';
    if (message.kind == MessageKind::Error) ++errors;
    switch (message.buttons) {
      case MessageButtons::YesNo: return MessageAnswer::No;
      case MessageButtons::OkCancel: return m_continue ? MessageAnswer::Ok : MessageAnswer::Cancel;
      default: return MessageAnswer::Ok;
    }
  }
  std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> openFileName(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> saveFileName(std::string_view, std::string_view, std::string_view) override { return {}; }
  int errors = 0;

 private:
  bool m_continue;
  const Clock& m_clock;
};

// Real time shifted to the start the caller gave, and sped up when asked: the run then keeps
// pace with a kelvaro-sim of the same speed. The line's time-outs stay in real milliseconds,
// since the bytes on the line travel no faster.
class ShiftedClock final : public Clock {
 public:
  ShiftedClock(DateTime start, int speed) : m_start(start), m_speed(speed), m_startMs(m_system.monotonicMs()) {}
  DateTime now() const override {
    const auto elapsedMs = static_cast<double>(m_system.monotonicMs() - m_startMs) * m_speed;
    return m_start + elapsedMs / (kSecondsPerDay * 1000.0);
  }
  std::uint64_t monotonicMs() const override { return m_system.monotonicMs(); }

 private:
  SystemClock m_system;
  DateTime m_start;
  int m_speed;
  std::uint64_t m_startMs;
};

// Virtual time in whole milliseconds from the start. The line, the simulated unit and the run
// all wait on this one clock, so its date-time and its milliseconds never disagree.
class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(DateTime start) : m_start(start) {}
  DateTime now() const override { return m_start + static_cast<double>(m_ms) / (kSecondsPerDay * 1000.0); }
  std::uint64_t monotonicMs() const override { return m_ms; }
  void advanceMs(std::uint64_t ms) { m_ms += ms; }
  // On to the next tick of the run: the line's waits inside a tick may have moved time on.
  void nextTick(std::uint64_t tickMs) { m_ms = (m_ms / tickMs + 1) * tickMs; }

 private:
  DateTime m_start;
  std::uint64_t m_ms = 0;
};

// The run's line, noting which objects a frame from the unit changed, so that the trace can
// tell them from the values the PC's own programs set. A frame is handled between one receive
// and the next (its acknowledgement may go out in between), so the objects whose change became
// pending in that span are the frame's.
class MarkingLink final : public StationLink {
 public:
  explicit MarkingLink(StationLink& inner) : m_inner(inner) {}
  void attach(RunSession& session) { m_session = &session; }

  bool send(int sendMode, const FrameHeader& header, std::span<const std::uint8_t> data) override {
    note();
    return m_inner.send(sendMode, header, data);
  }
  LinkReceive receive(ReceivedFrame& frame) override {
    note();
    m_watching = false;
    const LinkReceive result = m_inner.receive(frame);
    if (result == LinkReceive::Frame && m_session) {
      const auto& objects = m_session->engine().objects();
      m_pendingBefore.resize(objects.size());
      for (std::size_t i = 0; i < objects.size(); ++i) m_pendingBefore[i] = objects[i].changePending;
      m_watching = true;
    }
    return result;
  }
  void pump() override {
    note();
    m_inner.pump();
  }
  const UnitRecord& unit() const override { return m_inner.unit(); }
  int lineMask() const override { return m_inner.lineMask(); }

  // Whether the object's latest change came from the unit; asking forgets it.
  bool takeMark(int object) {
    const auto i = static_cast<std::size_t>(object);
    const bool marked = i < m_marked.size() && m_marked[i];
    if (marked) m_marked[i] = false;
    return marked;
  }
  // After a tick every change it made has been shown: a mark left over was no change to show.
  void clearMarks() { std::fill(m_marked.begin(), m_marked.end(), false); }

 private:
  void note() {
    if (!m_watching || !m_session) return;
    const auto& objects = m_session->engine().objects();
    m_marked.resize(objects.size());
    for (std::size_t i = 0; i < objects.size() && i < m_pendingBefore.size(); ++i)
      if (objects[i].changePending && !m_pendingBefore[i]) m_marked[i] = true;
  }

  StationLink& m_inner;
  RunSession* m_session = nullptr;
  bool m_watching = false;
  std::vector<bool> m_pendingBefore, m_marked;
};

// The control unit's line as kelvaro-cli unit opens it: the port names of the settings file,
// the built-in simulated unit behind SIM.
struct HardwareLine {
  HardwareLine(const Clock& clock, std::function<void()> pump, UserInterface& ui)
      : ini(settingsFilePath().value_or(std::string())),
        line(clock, simulatorOrSerialPort(simulated, clock), std::move(pump), &ui),
        protocol(line, ui),
        link(protocol),
        marking(link) {
    if (!ini.path().empty()) ini.load();
    line.resolve = settingsPortResolver(ini);
  }
  ~HardwareLine() { line.CloseLine(); }

  sim::ControlUnit simulated;
  IniFile ini;
  SerialLine line;
  Protocol protocol;
  ProtocolStationLink link;
  MarkingLink marking;
};

}  // namespace

// A scenario file for the simulated unit; a message naming the file (and the line) when it
// cannot be used. Named on the command line, a missing file is an error too.
std::optional<sim::Scenario> readScenario(const std::string& path) {
  ScenarioFileRead file = readScenarioFile(path);
  if (!file.present) file.error = fromUtf8("Die Szenariodatei " + path + " kann nicht gelesen werden.");
  if (!file.error.empty()) {
    std::cerr << toUtf8(file.error) << "\n";
    return std::nullopt;
  }
  sim::ScenarioLoad load = sim::loadScenario(file.text);
  if (!load.ok()) {
    std::cerr << path << ": " << load.error << "\n";
    return std::nullopt;
  }
  return std::move(load.scenario);
}

namespace {

struct ScriptedEvent {
  DateTime when = 0.0;
  int object = -1;
  bool input = false;
  std::string value;  // Windows-1252
};

bool scriptEvents(const RunArguments& a, const Project& project, DateTime start, std::vector<ScriptedEvent>& events) {
  auto object = [&](const std::string& name) {
    const int index = findObject(project, fromUtf8(name));
    if (index < 0) std::cerr << "Objekt " << name << " nicht gefunden\n";
    return index;
  };
  for (const auto& click : a.clicks) {
    const auto event = parseClick(click, start);
    if (!event) {
      std::cerr << "--click erwartet OBJEKT@ZEIT: " << click << "\n";
      return false;
    }
    const int index = object(event->object);
    if (index < 0) return false;
    events.push_back({event->when, index, false, {}});
  }
  for (const auto& input : a.inputs) {
    const auto event = parseInput(input, start);
    if (!event) {
      std::cerr << "--input erwartet OBJEKT=WERT@ZEIT: " << input << "\n";
      return false;
    }
    const int index = object(event->object);
    if (index < 0) return false;
    events.push_back({event->when, index, true, fromUtf8(event->value)});
  }
  std::stable_sort(events.begin(), events.end(), [](const auto& x, const auto& y) { return x.when < y.when; });
  return true;
}

}  // namespace

int runCommand(const RunArguments& a) {
  DateTime start = SystemClock().now();
  if (a.start) {
    const auto parsed = parseIsoDateTime(*a.start);
    if (!parsed) {
      std::cerr << "--start erwartet \"YYYY-MM-DD hh:mm:ss\": " << *a.start << "\n";
      return 2;
    }
    start = *parsed;
  }
  std::optional<long long> durationMs;
  if (a.duration) {
    durationMs = parseDuration(*a.duration);
    if (!durationMs) {
      std::cerr << "--for erwartet eine Dauer wie 90s, 15m, 2h oder 7d: " << *a.duration << "\n";
      return 2;
    }
  }

  ConsoleUserInterface loadUi;
  Project project;
  if (!loadProject(project, a.project, loadUi)) return 2;
  if (project.objects.empty()) {
    std::cerr << "Keine Objekte definiert\n";
    return 2;
  }
  // In a visualisation the unit runs the program: the PC needs the symbols only.
  CompileOutput compiled =
      compile(project, project.constants, a.visualisation ? CompileMode::SymbolsOnly : CompileMode::Run);
  if (compiled.result.code != 0) {
    std::cerr << compileErrorLine(project, compiled.result) << "\n";
    return 1;
  }

  std::vector<ScriptedEvent> events;
  if (!scriptEvents(a, project, start, events)) return 2;

  std::optional<sim::Scenario> scenario;
  if (a.scenario && !(scenario = readScenario(*a.scenario))) return 2;

  VirtualClock virtualClock(start);
  ShiftedClock realClock(start, a.speed);
  const Clock& clock = a.fast ? static_cast<const Clock&>(virtualClock) : realClock;
  RunUserInterface ui(a.continueOnError, clock);

  std::unique_ptr<HardwareLine> hardware;
  if (a.port) {
    const bool simulated = *a.port == kSimulatorWord;
    // In virtual time every wait of the line moves the clock on by a millisecond; a real device
    // is given that millisecond too, so that its replies arrive within the waits.
    std::function<void()> pump = [&virtualClock, simulated] {
      virtualClock.advanceMs(1);
      if (!simulated) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    if (!a.fast) pump = [] { std::this_thread::sleep_for(std::chrono::microseconds(200)); };
    hardware = std::make_unique<HardwareLine>(clock, std::move(pump), ui);
    // The scenario's time 0 is the identification request, the first frame the unit gets.
    if (scenario) hardware->simulated.setScenario(std::move(*scenario), clock.monotonicMs());
    if (!hardware->protocol.CheckUnit(0, *a.port, "")) {
      if (!hardware->line.openError().empty()) std::cerr << *a.port << ": " << hardware->line.openError() << "\n";
      return 1;
    }
    if (a.visualisation && hardware->protocol.unit.TypeCode < 11) {
      std::cerr << "Diese Funktion ist nur mit einer programmierbaren Steuereinheit möglich.\n";
      return 1;
    }
    hardware->protocol.unit.HardwareControl = true;
  }
  // What the simulated unit received, written however the run ends.
  struct SimDump {
    const HardwareLine* hardware;
    const std::optional<std::string>& path;
    ~SimDump() {
      if (hardware && path && !replaceFile(*path, hardware->simulated.dumpText()))
        std::cerr << *path << ": kann nicht geschrieben werden\n";
    }
  } simDump{hardware.get(), a.dumpSim};

  RunSessionOptions options;
  options.visualisation = a.visualisation;
  options.engine.visualisation = a.visualisation;
  options.hardwareControl = hardware != nullptr;
  options.writeProtocol = a.protocol.has_value();
  if (a.protocol) options.protocolPath = *a.protocol;
  if (hardware) {
    options.link = &hardware->marking;
    // A caller on the telephone of the unit's modem gets in as during a run in the window.
    const Settings settings = readSettings(hardware->ini, std::filesystem::current_path().string());
    options.telephone = telephoneOptions(settings.REMOTEPW, settings.MODEMINIT);
  }
  options.engine.sun = configuredSunSettings();
  if (a.latitude) options.engine.sun.latitude = *a.latitude;
  if (a.longitude) options.engine.sun.longitude = *a.longitude;
  options.engine.applySummerTime = a.summerTime;
  // Headless nobody can press "Abbruch": a program caught in a GEHEZU loop ends after this many statements.
  options.engine.statementLimit = 1'000'000;
  RunSession session(project, compiled, clock, ui, options);
  if (hardware) hardware->marking.attach(session);
  if (options.writeProtocol && !session.protocolOpen()) {
    std::cerr << *a.protocol << ": kann nicht geschrieben werden\n";
    return 2;
  }
  if (a.trace) {
    session.onShownChange = [&](int object, const std::string& text) {
      nlohmann::ordered_json line;
      line["t"] = isoDateTimeText(clock.now());
      line["object"] = toUtf8(project.objects[static_cast<std::size_t>(object)].Name);
      line["value"] = toUtf8(text);
      if (hardware && hardware->marking.takeMark(object)) line["from"] = "hardware";
      std::cout << line.dump() << '\n';
    };
  }
  std::string lastStatus;

  std::signal(SIGINT, onInterrupt);
  std::signal(SIGTERM, onInterrupt);
  session.initialise();
  session.start();
  const DateTime end = durationMs ? start + static_cast<double>(*durationMs) / (kSecondsPerDay * 1000.0) : 0.0;
  // Ctrl+C, SIGTERM and the end of --for are seen inside a long tick as well, between queued
  // programs and every few statements; they end the run like the end of --for, not as an abort.
  bool halted = false;
  session.onProcessInput = [&] {
    if (!halted && (g_interrupted || (durationMs && clock.now() >= end))) {
      halted = true;
      session.abort();
    }
  };
  // With the hardware the caption carries the latest battery warning or radio timeout.
  std::string lastCaption = session.caption();
  std::size_t next = 0;
  long long tick = 0;
  const auto realStart = std::chrono::steady_clock::now();
  while (!session.closing() && !g_interrupted) {
    const DateTime now = clock.now();
    if (durationMs && now >= end) break;
    while (next < events.size() && events[next].when <= now) {
      const ScriptedEvent& e = events[next++];
      if (e.input) {
        session.openInputFor(e.object);
        session.postInput(e.value);
      } else {
        session.click(e.object);
      }
    }
    if (a.visualisation)
      session.cycleTimer();
    else
      session.clockTimer();
    if (hardware) hardware->marking.clearMarks();
    // It keeps its own pace, so that a sped-up run looks as often as a real one.
    session.supervisionTimer();
    if (session.statusShown() && session.statusText() != lastStatus) {
      lastStatus = session.statusText();
      std::cerr << isoDateTimeText(clock.now()) << " " << messageLine(lastStatus) << '\n';
    } else if (!session.statusShown()) {
      lastStatus.clear();
    }
    if (hardware && session.caption() != lastCaption) {
      lastCaption = session.caption();
      std::cerr << isoDateTimeText(clock.now()) << " " << messageLine(lastCaption) << '\n';
    }
    ++tick;
    if (a.fast) {
      // Time is counted in whole milliseconds from the start, so that a week of ticks does not drift.
      virtualClock.nextTick(10);
    } else {
      std::this_thread::sleep_until(realStart + std::chrono::milliseconds(10 * tick));
    }
  }
  std::cout.flush();
  // The window's message lists as they stand at the end, one line per entry.
  if (hardware) {
    for (std::size_t list = 0; list < kMessageListNames.size(); ++list) {
      for (const std::string& entry : messageListLines(session, static_cast<MessageList>(list), clock.now()))
        std::cerr << messageLine(kMessageListNames[list]) << ":" << (entry.starts_with(' ') ? "" : " ")
                  << messageLine(entry) << '\n';
    }
  }
  if (session.engine().abortFlag && !halted) return 1;
  return 0;
}

}  // namespace kelvaro::cli
