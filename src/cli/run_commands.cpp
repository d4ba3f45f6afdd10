// kelvaro-cli run: drives the same run session as the execution window, with scripted clicks
// and entries instead of a mouse, and a JSON line for every change of what a view would show.
#include "run_commands.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <iostream>
#include <nlohmann/json.hpp>
#include <thread>

#include "arguments.h"
#include "configured_sun.h"
#include "console_user_interface.h"
#include "language/compiler.h"
#include "language_commands.h"
#include "project_loading.h"
#include "runtime/run_session.h"
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

// Real time shifted to the start the caller gave.
class ShiftedClock final : public Clock {
 public:
  explicit ShiftedClock(DateTime start) : m_start(start), m_startMs(m_system.monotonicMs()) {}
  DateTime now() const override {
    return m_start + static_cast<double>(m_system.monotonicMs() - m_startMs) / (kSecondsPerDay * 1000.0);
  }
  std::uint64_t monotonicMs() const override { return m_system.monotonicMs(); }

 private:
  SystemClock m_system;
  DateTime m_start;
  std::uint64_t m_startMs;
};

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
  CompileOutput compiled = compile(project, project.constants, CompileMode::Run);
  if (compiled.result.code != 0) {
    std::cerr << compileErrorLine(project, compiled.result) << "\n";
    return 1;
  }

  std::vector<ScriptedEvent> events;
  if (!scriptEvents(a, project, start, events)) return 2;

  ManualClock virtualClock(start);
  ShiftedClock realClock(start);
  const Clock& clock = a.fast ? static_cast<const Clock&>(virtualClock) : realClock;
  RunUserInterface ui(a.continueOnError, clock);

  RunSessionOptions options;
  options.engine.sun = configuredSunSettings();
  if (a.latitude) options.engine.sun.latitude = *a.latitude;
  if (a.longitude) options.engine.sun.longitude = *a.longitude;
  options.engine.applySummerTime = a.summerTime;
  // Headless nobody can press "Abbruch": a program caught in a GEHEZU loop ends after this many statements.
  options.engine.statementLimit = 1'000'000;
  RunSession session(project, compiled, clock, ui, options);
  if (a.trace) {
    session.onShownChange = [&](int object, const std::string& text) {
      nlohmann::ordered_json line;
      line["t"] = isoDateTimeText(clock.now());
      line["object"] = toUtf8(project.objects[static_cast<std::size_t>(object)].Name);
      line["value"] = toUtf8(text);
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
    session.clockTimer();
    if (tick % 100 == 0) session.supervisionTimer();
    if (session.statusShown() && session.statusText() != lastStatus) {
      lastStatus = session.statusText();
      std::cerr << isoDateTimeText(clock.now()) << " " << messageLine(lastStatus) << '\n';
    } else if (!session.statusShown()) {
      lastStatus.clear();
    }
    ++tick;
    if (a.fast) {
      // Each tick's time is computed from the start, so that a week of ticks does not drift.
      virtualClock.set(start + static_cast<double>(tick) * 10.0 / (kSecondsPerDay * 1000.0));
    } else {
      std::this_thread::sleep_until(realStart + std::chrono::milliseconds(10 * tick));
    }
  }
  std::cout.flush();
  if (session.engine().abortFlag && !halted) return 1;
  return 0;
}

}  // namespace kelvaro::cli
