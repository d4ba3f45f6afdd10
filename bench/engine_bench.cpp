// Speed of the interpreter. The clock pass is measured beside the same rules written in Lua
// 5.4 (bench/lua_pass.lua, run with lua5.4 in the same run; the ratio is printed as the
// counter "vs_lua", and the goal is at most 1). Also: statements per second, the old pass of
// 1025 permanent objects × 20 statements, one simulated day of a project at the compiler's
// limits with mixed intervals, run like `kelvaro-cli run --fast` (goal: under 5 s), and a
// simulated week of the demo project (goal: under 10 s).
#include <benchmark/benchmark.h>

#include <sys/wait.h>

#include <ctime>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "language/compiler.h"
#include "runtime/run_session.h"
#include "storage/project_file.h"
#include "ui/user_interface.h"

namespace kelvaro {
namespace {

const std::string kBenchDir = std::string(__FILE__).substr(0, std::string(__FILE__).rfind('/'));

class SilentUserInterface final : public UserInterface {
 public:
  MessageAnswer showMessage(const Message&) override { return MessageAnswer::Ok; }
  std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> openFileName(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> saveFileName(std::string_view, std::string_view, std::string_view) override { return {}; }
};

std::string varDef(std::string name, std::string type, std::string start) {
  name.resize(20, ' ');
  type.resize(20, ' ');
  return name + type + start;
}

TPSObj numberObject(const std::string& name, std::uint8_t priority) {
  TPSObj o = createObject(name);
  o.Typ = "Zahl";
  o.StartVal = "0";
  o.OKind = kKindNumber;
  o.ACode = priority;
  return o;
}

// A compiled project whose objects beyond the first `distinct` ones run the code of one of
// those: the code buffer holds only so many programs, and the interpreter's work per object
// is the same whichever copy it runs.
struct Compiled {
  Project project;
  CompileOutput out;
  ManualClock clock{*encodeDate(2026, 6, 15) + *encodeTime(10, 0, 2)};
  SilentUserInterface ui;
  std::unique_ptr<Engine> engine;
  std::size_t distinct = 0;

  void compileSharing(std::size_t programs) {
    out = compile(project, project.constants, CompileMode::Run);
    if (out.result.code != 0)
      throw std::runtime_error("compile failed: " + std::to_string(out.result.code) + " object " +
                               std::to_string(out.result.object));
    distinct = programs;
    for (std::size_t i = programs; i < out.objects.size(); ++i) {
      out.objects[i].codeStart = out.objects[i % programs].codeStart;
      out.objects[i].codeEnd = out.objects[i % programs].codeEnd;
    }
    engine = std::make_unique<Engine>(project, out, clock, ui);
    engine->reset();
    engine->startOfRun();
    engine->clockPass();  // the first pass
  }
};

// --- the pass beside Lua -------------------------------------------------------------------

constexpr std::size_t kLuaObjects = 1025;

// The rules of lua_pass.lua, five times over: compare the number with the next object's and
// count, compute (V + 2) * 3 and store it when it differs, toggle a two-state variable. The
// object's own number is its state, so that a change marks it as Lua's mark() does.
std::vector<std::string> luaRules(const std::string& self, const std::string& next) {
  std::vector<std::string> lines;
  for (int block = 0; block < 5; ++block) {
    lines.insert(lines.end(), {"WENN V > " + next + ".V DANN", "  " + self + " := " + self + " + 1", "ENDEWENN",
                               "X := (V + 2) * 3", "WENN X <> " + self + " DANN", "  " + self + " := X", "ENDEWENN",
                               "S UMSCHALTEN"});
  }
  return lines;
}

// As many objects with their own program and variables as the code buffer holds; all 1025
// are permanent.
struct LuaMirror : Compiled {
  LuaMirror() {
    project.typeStates = {{"Schalter:aus", {}}, {"Schalter:an", {}}};
    const std::size_t programs = fitting();
    for (std::size_t i = 0; i < kLuaObjects; ++i) {
      TPSObj o = numberObject("O" + std::to_string(i), 1);
      if (i < programs) {
        o.varDefs = {varDef("V", "Zahl", std::to_string(i % 7)), varDef("X", "Zahl", "0"), varDef("S", "Schalter", "aus")};
        for (auto& line : luaRules(o.Name, "O" + std::to_string((i + 1) % programs))) o.program.push_back("-" + line);
      }
      project.objects.push_back(std::move(o));
    }
    compileSharing(programs);
  }

  // The bytes of one program, from a project of two.
  static std::size_t fitting() {
    Project probe;
    probe.typeStates = {{"Schalter:aus", {}}, {"Schalter:an", {}}};
    for (int i = 0; i < 2; ++i) {
      TPSObj o = numberObject("O" + std::to_string(i), 1);
      o.varDefs = {varDef("V", "Zahl", "0"), varDef("X", "Zahl", "0"), varDef("S", "Schalter", "aus")};
      for (auto& line : luaRules(o.Name, "O1")) o.program.push_back("-" + line);
      probe.objects.push_back(o);
    }
    const CompileOutput out = compile(probe, probe.constants, CompileMode::Run);
    const auto perObject = static_cast<std::size_t>(out.objects[1].codeEnd - out.objects[1].codeStart);
    return (kCodeSize - 16) / perObject;
  }
};

// lua5.4 on the reference script: milliseconds per pass, or nothing when it cannot run.
std::optional<double> luaMillisecondsPerPass(int passes) {
  const std::string command = "lua5.4 '" + kBenchDir + "/lua_pass.lua' " + std::to_string(passes) + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return std::nullopt;
  char line[256] = {};
  const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
  const int status = pclose(pipe);
  double ms = 0.0;
  if (!read || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || std::sscanf(line, "lua5.4: %lf ms per pass", &ms) != 1)
    return std::nullopt;
  return ms;
}

std::optional<double> g_luaMs;  // the last Lua figure of this run

void BM_LuaReferencePass(benchmark::State& state) {
  for (auto _ : state) {
    const std::optional<double> ms = luaMillisecondsPerPass(1000);
    if (!ms) {
      state.SkipWithError("lua5.4 not installed: the Lua reference is skipped (apt-get install lua5.4)");
      return;
    }
    g_luaMs = ms;
    state.SetIterationTime(*ms / 1000.0);
  }
  state.counters["objects"] = static_cast<double>(kLuaObjects);
}
BENCHMARK(BM_LuaReferencePass)->UseManualTime()->Iterations(3)->Unit(benchmark::kMicrosecond);

void BM_ClockPassLikeLua(benchmark::State& state) {
  LuaMirror m;
  const std::uint64_t before = m.engine->statementsRun;
  // Processor time, as Lua's os.clock() measures it, so that other work on the machine does
  // not tilt the ratio.
  const std::clock_t start = std::clock();
  for (auto _ : state) {
    m.clock.advanceMs(10);
    m.engine->clockPass();
  }
  const double ms = 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC /
                    static_cast<double>(state.iterations());
  state.counters["objects"] = static_cast<double>(m.project.objects.size());
  state.counters["programs"] = static_cast<double>(m.distinct);
  state.counters["statements"] =
      static_cast<double>(m.engine->statementsRun - before) / static_cast<double>(state.iterations());
  if (g_luaMs) state.counters["vs_lua"] = ms / *g_luaMs;
}
BENCHMARK(BM_ClockPassLikeLua)->Unit(benchmark::kMicrosecond);

// --- the pass of the earlier figures -------------------------------------------------------

// 20 statements run per pass: ten conditions that stay false and ten additions.
std::vector<std::string> twentyStatements() {
  std::vector<std::string> lines;
  for (int i = 0; i < 10; ++i) {
    lines.push_back("-WENN O0>1000000000 DANN");
    lines.push_back("-  O0:=0");
    lines.push_back("-ENDEWENN");
    lines.push_back("-O0:=O0+1");
  }
  return lines;
}

struct Permanent : Compiled {
  explicit Permanent(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      TPSObj o = numberObject("O" + std::to_string(i), 1);
      if (i == 0) o.program = twentyStatements();
      project.objects.push_back(std::move(o));
    }
    compileSharing(1);
  }
};

void BM_StatementsPerSecond(benchmark::State& state) {
  Permanent p(1);
  const std::uint64_t before = p.engine->statementsRun;
  for (auto _ : state) {
    int level = 1;
    p.engine->runObject(0, level);
  }
  state.counters["statements/s"] =
      benchmark::Counter(static_cast<double>(p.engine->statementsRun - before), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StatementsPerSecond);

void BM_ClockPass1025Permanent(benchmark::State& state) {
  Permanent p(1025);
  for (auto _ : state) {
    p.clock.advanceMs(10);
    p.engine->clockPass();
  }
  state.counters["objects"] = 1025;
}
BENCHMARK(BM_ClockPass1025Permanent)->Unit(benchmark::kMicrosecond);

// --- a simulated day at the limits ----------------------------------------------------------

std::string hhmm(int minutes) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d:%02d", (minutes / 60) % 24, minutes % 60);
  return buf;
}

// 1025 objects in groups of eight, with mixed intervals: a lamp on a time window every 5
// seconds, a counter of another lamp's switching every minute, a lamp that follows another
// every hour, a door closed at the change of day, two lamps and a door that only run when
// queued, and one permanent watcher in every 128 objects. Lines that switch a lamp off at
// the change of day are added until the code nearly fills its buffer.
Project limitDayProject() {
  constexpr int kObjects = static_cast<int>(kMaxObjects);
  Project p;
  p.typeStates = {{"Lampe:aus", {}}, {"Lampe:an", {}}, {"Tuer:offen", {}}, {"Tuer:zu", {}}};
  auto nameOf = [](int i) { return (i % 8 == 4 ? "T" : i % 8 == 1 ? "Z" : "L") + std::to_string(i); };
  for (int i = 0; i < kObjects; ++i) {
    const std::string self = nameOf(i), lamp = nameOf(i - i % 8), other = nameOf((i + 9) % kObjects - (i + 9) % kObjects % 8);
    TPSObj o = numberObject(self, kACodeNone);
    o.Typ = i % 8 == 4 ? "Tuer" : "Lampe";
    o.OKind = kKindUser;
    o.StartVal = i % 8 == 4 ? "offen" : "aus";
    std::vector<std::string> program;
    switch (i % 8) {
      case 0:
        o.ACode = 2;
        o.varDefs = {varDef("Dauer", "Zahl", "0")};
        program = {"WENN UHRZEIT SPAETER \"" + hhmm(i) + "\" UND UHRZEIT FRUEHER \"" + hhmm(i + 300) + "\" DANN",
                   "  " + self + " EINSCHALTEN", "SONST", "  " + self + " AUSSCHALTEN", "ENDEWENN"};
        break;
      case 1:
        o = numberObject(self, 4);
        o.varDefs = {varDef("Gesamt", "Zahl", "0")};
        program = {"WENN GESCHALTET(" + lamp + ") DANN", "  " + self + " := " + self + " + 1", "  Gesamt := Gesamt + " +
                   self, "  ERLEDIGT(" + lamp + ")", "ENDEWENN"};
        break;
      case 2:
        o.ACode = 8;
        program = {self + " WIE " + other, "WENN TAG = 1 DANN", "  " + self + " AUSSCHALTEN", "ENDEWENN"};
        break;
      case 3:
        o.varDefs = {varDef("Nachlauf", "Zahl", "0")};
        program = {"Nachlauf := Nachlauf + 1", self + " UMSCHALTEN"};
        break;
      case 4:
        o.ACode = 16;
        program = {self + " SCHLIESSEN"};
        break;
      default:
        if (i % 8 == 6) o.ACode = 16;  // the lines that fill the code are switched off at midnight
        if (i % 128 == 5) {
          o.ACode = 1;
          program = {"WENN GESCHALTET(" + lamp + ") DANN", "  AUSFUEHRUNG(" + nameOf(i - i % 8 + 3) + ")", "ENDEWENN"};
        }
        break;
    }
    for (auto& line : program) o.program.push_back("-" + line);
    p.objects.push_back(std::move(o));
  }
  Project probe = p;
  const CompileOutput first = compile(probe, probe.constants, CompileMode::Run);
  if (first.result.code != 0) throw std::runtime_error("limit project does not compile: " + std::to_string(first.result.code));
  // Each line is six bytes; each object that gets its first line also gets its closing BD FC.
  const int fill = (static_cast<int>(kCodeSize) - 1 - first.codeSize - 2 * (kObjects / 8)) / 6;
  for (int n = 0; n < fill; ++n) {
    TPSObj& o = p.objects[static_cast<std::size_t>((n % (kObjects / 8)) * 8 + 6)];
    o.program.push_back("-" + o.Name + " AUSSCHALTEN");
  }
  return p;
}

// The loop of `kelvaro-cli run --fast`: a clock pass every 10 ms of virtual time, the radio
// supervision every second.
long long runDay(RunSession& session, ManualClock& clock, DateTime start, long long ticks) {
  long long tick = 0;
  for (tick = 1; tick <= ticks && !session.closing(); ++tick) {
    session.clockTimer();
    if (tick % 100 == 0) session.supervisionTimer();
    clock.set(start + static_cast<double>(tick) * 10.0 / (kSecondsPerDay * 1000.0));
  }
  return tick;
}

void BM_LimitProjectDayFast(benchmark::State& state) {
  const Project generated = limitDayProject();
  for (auto _ : state) {
    Project project = generated;
    SilentUserInterface ui;
    CompileOutput out = compile(project, project.constants, CompileMode::Run);
    if (out.result.code != 0) {
      state.SkipWithError(("the limit project does not compile: " + std::to_string(out.result.code) + " in object " +
                           std::to_string(out.result.object) + " line " + std::to_string(out.result.line))
                              .c_str());
      return;
    }
    state.counters["objects"] = static_cast<double>(project.objects.size());
    state.counters["code_bytes"] = out.codeSize;
    state.counters["symbols"] = static_cast<double>(out.symbols.size());
    const DateTime start = *encodeDate(2026, 6, 15) + *encodeTime(12, 0, 0);
    ManualClock clock(start);
    RunSession session(project, out, clock, ui);
    long long changes = 0;
    session.onShownChange = [&](int, const std::string&) { ++changes; };
    session.initialise();
    session.start();
    runDay(session, clock, start, 24LL * 3600 * 100);
    state.counters["changes"] = static_cast<double>(changes);
    state.counters["statements"] = static_cast<double>(session.engine().statementsRun);
  }
}
BENCHMARK(BM_LimitProjectDayFast)->Unit(benchmark::kSecond)->Iterations(1);

void BM_DemoWeekFast(benchmark::State& state) {
  for (auto _ : state) {
    Project project;
    SilentUserInterface ui;
    if (readProject(project, kBenchDir + "/../examples/demo/DEMO.SPG", "", ui) != ReadStatus::Complete) {
      state.SkipWithError("demo project not found");
      return;
    }
    CompileOutput out = compile(project, project.constants, CompileMode::Run);
    const DateTime start = *encodeDate(2026, 6, 15) + *encodeTime(12, 0, 0);
    ManualClock clock(start);
    RunSession session(project, out, clock, ui);
    int changes = 0;
    session.onShownChange = [&](int, const std::string&) { ++changes; };
    session.initialise();
    session.start();
    runDay(session, clock, start, 7LL * 24 * 3600 * 100);
    benchmark::DoNotOptimize(changes);
    state.counters["changes"] = changes;
  }
}
BENCHMARK(BM_DemoWeekFast)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
}  // namespace kelvaro
