// Speed of the interpreter: statements per second, one clock pass over 1025 permanent objects
// of 20 statements (goal: under 1 ms, a tenth of the 10 ms tick), and a simulated week of
// the demo project in virtual time (goal: under 10 s).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "ui/user_interface.h"
#include "language/compiler.h"
#include "runtime/run_session.h"
#include "storage/project_file.h"

namespace kelvaro {
namespace {

class SilentUserInterface final : public UserInterface {
 public:
  MessageAnswer showMessage(const Message&) override { return MessageAnswer::Ok; }
  std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> openFileName(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> saveFileName(std::string_view, std::string_view, std::string_view) override { return {}; }
};

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

// 1025 permanent objects. 1025 programs of 20 statements do not fit the 32 KB code buffer,
// so every object runs the code of the first one: the interpreter's work is the same.
struct Permanent {
  Project project;
  CompileOutput out;
  ManualClock clock{*encodeDate(2026, 6, 15) + *encodeTime(10, 0, 2)};
  SilentUserInterface ui;
  std::unique_ptr<Engine> engine;

  explicit Permanent(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      TPSObj o = createObject("O" + std::to_string(i));
      o.Typ = "Zahl";
      o.StartVal = "0";
      o.OKind = kKindNumber;
      o.ACode = 1;
      if (i == 0) o.program = twentyStatements();
      project.objects.push_back(std::move(o));
    }
    out = compile(project, project.constants, CompileMode::Run);
    if (out.result.code != 0) throw std::runtime_error("compile failed: " + std::to_string(out.result.code) + " object " + std::to_string(out.result.object));
    for (auto& oc : out.objects) {
      oc.codeStart = out.objects[0].codeStart;
      oc.codeEnd = out.objects[0].codeEnd;
    }
    engine = std::make_unique<Engine>(project, out, clock, ui);
    engine->reset();
    engine->startOfRun();
    engine->clockPass();  // the first pass
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

void BM_DemoWeekFast(benchmark::State& state) {
  const std::string file = std::string(__FILE__).substr(0, std::string(__FILE__).rfind('/')) + "/../examples/demo/DEMO.SPG";
  for (auto _ : state) {
    Project project;
    SilentUserInterface ui;
    if (readProject(project, file, "", ui) != ReadStatus::Complete) {
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
    const long long ticks = 7LL * 24 * 3600 * 100;
    for (long long tick = 1; tick <= ticks && !session.closing(); ++tick) {
      session.clockTimer();
      clock.set(start + static_cast<double>(tick) * 10.0 / (kSecondsPerDay * 1000.0));
    }
    benchmark::DoNotOptimize(changes);
    state.counters["changes"] = changes;
  }
}
BENCHMARK(BM_DemoWeekFast)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
}  // namespace kelvaro
