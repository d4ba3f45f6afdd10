// Fuzz target for the engine and the run session: any project that compiles runs headless, as
// `kelvaro-cli run --fast` runs it, for a bounded virtual time with clicks and entries on the
// way. The input is an optional first line
//   #YYYY-MM-DD hh:mm:ss|ticks            the start (default just before midnight) and how many
//                                         10 ms ticks to run (at most kMaxTicks)
// followed by the project records of project_records.h, and event lines of its own:
//   C object|tick                         a click on the object (an index) at that tick
//   E object|tick|text                    an entry of the text for the object's value
//   X tick                                "Stop", and "Start" again at the next tick
//   H tick                                "Abbruch" pressed while that tick's programs run (as
//                                         Ctrl+C or the end of --for stop a headless run)
//
// Run under libFuzzer's -timeout, -rss_limit_mb and -malloc_limit_mb, this catches a run that
// never gives control back and memory that grows without bound. Beyond that, what must hold:
// every tick returns after bounded work, an "Abbruch" during a tick ends the run within a few
// statements, every text value stays within the engine's maximum length, and the input
// dialog's prompt keeps its length.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "fuzz_support.h"
#include "language/compiler.h"
#include "model/project.h"
#include "project_records.h"
#include "runtime/engine.h"
#include "runtime/run_session.h"
#include "time/clock.h"
#include "time/date_time.h"

namespace kelvaro::fuzz {
namespace {

// 30 virtual seconds: six passes of the 5-second clock, enough to cross a minute, an hour or
// a day from a start just before it, while one input still runs in a few milliseconds.
constexpr long kMaxTicks = 3000;
// Smaller than the headless runner's million so that a runaway loop costs little time here.
constexpr std::uint64_t kStatementLimit = 20'000;
// The run ends early once this many statements ran, so that a busy project does not slow the
// search down; every tick up to there still had to give control back on its own.
constexpr std::uint64_t kRunBudget = 2'000'000;

struct Event {
  long tick = 0;
  enum class Kind { Click, Entry, StopStart, Halt } kind = Kind::Click;
  int object = 0;
  std::string text;
};

struct Script {
  DateTime start = *encodeDate(2026, 6, 15) + *encodeTime(23, 59, 50);
  long ticks = 1500;
  std::vector<Event> events;
};

Script script(std::string_view input) {
  Script s;
  for (std::string_view line : fields(input, '\n')) {
    if (line.size() < 2) continue;
    std::string_view text = line.substr(1);
    if (text.front() == ' ') text.remove_prefix(1);
    const auto f = fields(text, '|');
    switch (line.front()) {
      case '#':
        if (const auto start = parseIsoDateTime(f[0])) s.start = *start;
        if (f.size() > 1) s.ticks = std::clamp(number(f[1], s.ticks), 0L, kMaxTicks);
        break;
      case 'C':
        if (f.size() > 1) s.events.push_back({number(f[1], 0), Event::Kind::Click, static_cast<int>(number(f[0], 0)), {}});
        break;
      case 'E':
        if (f.size() > 2)
          s.events.push_back({number(f[1], 0), Event::Kind::Entry, static_cast<int>(number(f[0], 0)), std::string(f[2])});
        break;
      case 'X':
        s.events.push_back({number(f[0], 0), Event::Kind::StopStart, 0, {}});
        break;
      case 'H':
        s.events.push_back({number(f[0], 0), Event::Kind::Halt, 0, {}});
        break;
      default:
        break;
    }
  }
  std::stable_sort(s.events.begin(), s.events.end(), [](const Event& a, const Event& b) { return a.tick < b.tick; });
  return s;
}

// What the project editor gives every object: a kind that follows its type, and a place on the
// one view, so that the session shows it.
void prepare(Project& p) {
  p.views = {{"Haus", {}}};
  for (TPSObj& o : p.objects) {
    const std::string_view t = o.Typ;
    o.OKind = t == "Zahl" ? kKindNumber : t == "Zeichen" ? kKindText : t == "Knopf" ? kKindButton : kKindUser;
    o.plans[0].ViewName = "Haus";
  }
}

void checkValues(const RunSession& session, const Project& p, long tick) {
  const Engine& engine = session.engine();
  for (const Symbol& s : engine.compiled().symbols.all())
    if (const TVarStr* text = std::get_if<TVarStr>(&s.value))
      check(text->Value.size() <= kMaxTextLength, "a text value stays within the maximum length", [&] {
        return "tick " + std::to_string(tick) + " symbol \"" + shown(s.key) + "\" holds " +
               std::to_string(text->Value.size()) + " characters";
      });
  for (std::size_t i = 0; i < p.objects.size(); ++i) {
    const std::string shownText = session.shownText(static_cast<int>(i));
    check(shownText.size() <= kMaxTextLength, "an object shows a text within the maximum length",
          [&] { return "object " + std::to_string(i) + " at tick " + std::to_string(tick); });
  }
  if (const auto& request = session.input())
    check(request->prompt.size() <= 100, "the input dialog's prompt has at most 100 characters",
          [&] { return shown(request->prompt.substr(0, 200)); });
  check(engine.errorObject >= -1 && engine.errorObject < static_cast<int>(p.objects.size()),
        "the object in error is an object or none", [&] { return std::to_string(engine.errorObject); });
}

}  // namespace
}  // namespace kelvaro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvaro;
  using namespace kelvaro::fuzz;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  Project project = projectFromRecords(input, {.objects = 64, .lines = 600});
  if (project.objects.empty()) return 0;
  prepare(project);
  CompileOutput compiled = compile(project, project.constants, CompileMode::Run);
  if (compiled.result.code != 0) return 0;
  const Script s = script(input);

  ManualClock clock(s.start);
  QuietUserInterface ui;
  // Nobody is there to choose: a runtime error box ends the run, as headless.
  ui.cancelErrors = true;
  RunSessionOptions options;
  options.engine.statementLimit = kStatementLimit;
  options.engine.startProgram = [](const std::vector<std::string>&) { return false; };
  RunSession session(project, compiled, clock, ui, options);
  session.initialise();
  session.start();

  // What one step may cost: every program its statement limit, once from the clock and once
  // from the queue, plus the queue's own budget per pass.
  const std::uint64_t stepBound = 2 * (project.objects.size() + 1) * kStatementLimit + kQueueStatementsPerPass;
  std::uint64_t before = session.engine().statementsRun;
  auto bounded = [&](long tick, std::string_view step) {
    const std::uint64_t run = session.engine().statementsRun - before;
    check(run <= stepBound, "one step of the run does bounded work",
          [&] { return std::string(step) + " at tick " + std::to_string(tick) + " ran " + std::to_string(run); });
    before = session.engine().statementsRun;
  };
  // "Abbruch" as the window's input pump sees it while programs run.
  bool haltRequested = false;
  std::optional<std::uint64_t> haltedAt;
  session.onProcessInput = [&] {
    if (haltRequested && !haltedAt) {
      haltedAt = session.engine().statementsRun;
      session.abort();
    }
  };
  std::size_t next = 0;
  bool restart = false;
  for (long tick = 0; tick < s.ticks && !session.closing() && session.engine().statementsRun < kRunBudget; ++tick) {
    if (restart) {
      session.start();
      restart = false;
    }
    for (; next < s.events.size() && s.events[next].tick <= tick; ++next) {
      const Event& e = s.events[next];
      const int object = static_cast<int>(static_cast<std::size_t>(e.object) % project.objects.size());
      switch (e.kind) {
        case Event::Kind::Click:
          session.click(object);
          bounded(tick, "a click");
          break;
        case Event::Kind::Entry:
          session.openInputFor(object);
          session.postInput(e.text);
          bounded(tick, "an entry");
          break;
        case Event::Kind::StopStart:
          session.stop();
          restart = true;
          break;
        case Event::Kind::Halt:
          haltRequested = true;
          break;
      }
    }
    session.clockTimer();
    bounded(tick, "a clock tick");
    if (haltedAt) {
      check(session.closing(), "an \"Abbruch\" during a tick ends the run", [&] { return "tick " + std::to_string(tick); });
      check(session.engine().statementsRun - *haltedAt <= kInputPollStatements,
            "the run stops within a few statements of the \"Abbruch\"", [&] {
              return "tick " + std::to_string(tick) + ": " + std::to_string(session.engine().statementsRun - *haltedAt);
            });
      break;
    }
    if (tick % 100 == 0) {
      session.supervisionTimer();
      bounded(tick, "the supervision");
      checkValues(session, project, tick);
    }
    clock.advanceMs(10);
  }
  checkValues(session, project, s.ticks);
  return 0;
}
