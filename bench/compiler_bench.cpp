// The compiler on a project at its limits: 1025 objects whose programs fill the code buffer
// almost to its 32768 bytes and the symbol list to nearly 4097 entries. Mode 1 runs before
// every PC execution, so its time is what the user waits for; the goal is under 50 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "language/compiler.h"
#include "language/image.h"
#include "model/project.h"

namespace kelvaro {
namespace {

constexpr int kObjects = static_cast<int>(kMaxObjects);
constexpr int kCodeLimit = static_cast<int>(kCodeSize);
constexpr int kNearLimit = kCodeLimit - 64;  // the generated code must land between this and the limit

std::string name(const char* stem, int index) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%04d", stem, index);
  return buf;
}

std::string varDef(std::string varName, std::string type, std::string start) {
  varName.resize(20, ' ');
  type.resize(20, ' ');
  return varName + type + start;
}

// Objects come in groups of ten: three lamps with programs, a door that reports itself, a
// shutter, a push button, a heating with its variables, a lamp and a door without a program,
// and a lamp that leaves early on the PC. Each object refers to the others of its group.
TPSObj makeObject(int i) {
  const int g = i - i % 10;  // first object of the group
  // The last group is cut short by the object limit; it borrows the missing members from
  // the group before it.
  auto member = [&](int k) { return g + k < kObjects ? g + k : g - 10 + k; };
  auto lamp = [&](int k) { return name("Lampe", member(k)); };
  const std::string door = name("Tuer", member(3)), shutter = name("Rollo", member(4)),
                    button = name("Taster", member(5)), heating = name("Heizung", member(6));
  TPSObj o;
  std::vector<std::string> program;
  switch (i % 10) {
    case 0:
      o = createObject(lamp(0));
      o.Typ = "Lampe";
      o.StartVal = "aus";
      o.varDefs = {varDef("Dauer", "Zahl", "0")};
      program = {"WENN " + button + " GEDRUECKT DANN", "  " + lamp(0) + " UMSCHALTEN", "ENDEWENN"};
      break;
    case 1: {
      o = createObject(lamp(1));
      o.Typ = "Lampe";
      o.StartVal = "aus";
      o.varDefs = {varDef("Nachlauf", "Zahl", "0")};
      char time[16];
      std::snprintf(time, sizeof time, "18:%02d", (i / 10) % 60);
      program = {"WENN UHRZEIT SPAETER \"" + std::string(time) + "\" UND " + door + " GESCHLOSSEN DANN",
                 "  " + lamp(1) + " EINSCHALTEN", "SONST", "  " + lamp(1) + " AUSSCHALTEN", "ENDEWENN"};
      break;
    }
    case 2:
      o = createObject(lamp(2));
      o.Typ = "Lampe";
      o.StartVal = "aus";
      o.varDefs = {varDef("Nachlauf", "Zahl", "0")};
      program = {"AKTIVIEREN(" + lamp(0) + ")", lamp(2) + " WIE " + lamp(1)};
      break;
    case 3:
      o = createObject(door);
      o.Typ = "Tuer";
      o.StartVal = "zu";
      o.varDefs = {varDef("Meldung", "Zeichen", "")};
      program = {"WENN " + door + " GEOEFFNET DANN", "  Meldung:=\"Tuer offen\"", "ENDEWENN"};
      break;
    case 4:
      o = createObject(shutter);
      o.Typ = "Rollade";
      o.StartVal = "oben";
      program = {"WENN UHRZEIT SPAETER SONNENUNTERGANG(DATUM) ODER " + door + " OFFEN DANN",
                 "  " + shutter + " RUNTERFAHREN",
                 "SONST",
                 "  WENN UHRZEIT SPAETER SONNENAUFGANG(DATUM) DANN",
                 "    " + shutter + " HOCHFAHREN",
                 "  ENDEWENN",
                 "ENDEWENN"};
      break;
    case 5:
      o = createObject(button);
      o.Typ = "Taster";
      o.StartVal = "los";
      break;
    case 6:
      o = createObject(heating);
      o.Typ = "Heizung";
      o.StartVal = "aus";
      o.varDefs = {varDef("Soll", "Zahl", "21,5"), varDef("Stufe", "Zahl", "0"), varDef("Start", "Uhr", "06:30")};
      program = {"WENN UHRZEIT SPAETER Start UND " + heating + " = 0 DANN",
                 "  Stufe:=Stufe+1",
                 "  " + heating + ":=AN",
                 "ENDEWENN",
                 "WENN Stufe GROESSER 3 DANN",
                 "  Stufe:=0",
                 "ENDEWENN"};
      break;
    case 7:
      o = createObject(lamp(7));
      o.Typ = "Lampe";
      o.StartVal = "aus";
      break;
    case 8:
      o = createObject(name("Tuer", i));
      o.Typ = "Tuer";
      o.StartVal = "offen";
      break;
    default:
      o = createObject(lamp(9));
      o.Typ = "Lampe";
      o.StartVal = "an";
      o.varDefs = {varDef("Dauer", "Zahl", "0")};
      program = {"WENN PCAKTIV DANN", "  GEHEZU Ende", "ENDEWENN", lamp(9) + " EINSCHALTEN", "Ende:"};
      break;
  }
  o.ACode = static_cast<std::uint8_t>(i % 7 == 0 ? 1 : kACodeNone);
  for (auto& line : program) o.program.push_back("-" + line);
  return o;
}

// The lamps of the first three slots also switch other lamps of their group: each such line
// adds six bytes, which brings the code to just under the limit.
void addSwitchLines(Project& p, int count) {
  for (int n = 0; n < count; ++n) {
    const int i = (n % (kObjects / 10)) * 10 + (n / (kObjects / 10)) % 3;
    TPSObj& o = p.objects[static_cast<std::size_t>(i)];
    o.program.push_back("-" + o.Name + " AUSSCHALTEN");
  }
}

Project generateProject() {
  Project p;
  p.typeStates = {{"Lampe:aus", {}},     {"Lampe:an", {}},       {"Tuer:offen", {}},  {"Tuer:zu", {}},
                  {"Rollade:oben", {}},  {"Rollade:halb", {}},   {"Rollade:unten", {}},
                  {"Taster:los", {}},    {"Taster:gedrueckt", {}},
                  {"Heizung:aus", {}},   {"Heizung:an", {}},     {"Heizung:nacht", {}}};
  p.types = {"Heizung;4", "Lampe;4", "Rollade;4", "Taster;4", "Tuer;4"};
  for (int i = 0; i < kObjects; ++i) p.objects.push_back(makeObject(i));
  Project probe = p;
  const CompileOutput first = compile(probe, probe.constants, CompileMode::Run);
  if (first.result.code == 0 && first.codeSize < kCodeLimit) addSwitchLines(p, (kCodeLimit - 1 - first.codeSize) / 6);
  return p;
}

Project& limitProject() {
  static Project project = generateProject();
  return project;
}

// Checks once that the project compiles and reaches the limits, so that the timing is of
// the real thing and not of an early error.
bool projectIsAtTheLimits(benchmark::State& state) {
  Project copy = limitProject();
  const CompileOutput out = compile(copy, copy.constants, CompileMode::Run);
  if (out.result.code != 0) {
    state.SkipWithError(("compile failed: " + std::to_string(out.result.code) + " in object " +
                         std::to_string(out.result.object) + " line " + std::to_string(out.result.line))
                            .c_str());
    return false;
  }
  if (out.codeSize < kNearLimit || out.codeSize >= kCodeLimit) {
    state.SkipWithError(("code size not near the limit: " + std::to_string(out.codeSize)).c_str());
    return false;
  }
  if (out.symbols.size() >= kMaxSymbols || out.symbols.size() < 3900) {
    state.SkipWithError(("symbol count not near the limit: " + std::to_string(out.symbols.size())).c_str());
    return false;
  }
  state.counters["objects"] = static_cast<double>(copy.objects.size());
  state.counters["code_bytes"] = out.codeSize;
  state.counters["symbols"] = static_cast<double>(out.symbols.size());
  return true;
}

void BM_CompileForPcExecution(benchmark::State& state) {
  if (!projectIsAtTheLimits(state)) return;
  // A second compile of the same project gives the same code (the selection numbers are
  // already set), so the project is compiled in place without a copy in the timing.
  Project& p = limitProject();
  for (auto _ : state) {
    CompileOutput out = compile(p, p.constants, CompileMode::Run);
    benchmark::DoNotOptimize(out.codeSize);
  }
}
BENCHMARK(BM_CompileForPcExecution)->Unit(benchmark::kMillisecond);

void BM_CompileSymbolsOnly(benchmark::State& state) {
  if (!projectIsAtTheLimits(state)) return;
  Project& p = limitProject();
  for (auto _ : state) {
    CompileOutput out = compile(p, p.constants, CompileMode::SymbolsOnly);
    benchmark::DoNotOptimize(out.symbols.size());
  }
}
BENCHMARK(BM_CompileSymbolsOnly)->Unit(benchmark::kMillisecond);

// The control unit holds less than the PC: the largest front part of the limit project, in
// whole groups of ten so that every reference stays inside, whose image still fits.
CompileOptions imageOptions() {
  CompileOptions options;
  options.unitTypeCode = 124;
  options.programName = "BENCH";
  options.sunTable.assign(52, SunWeek{7, 30, 17, 45});
  return options;
}

bool imageFits(const Project& full, std::size_t objects) {
  Project p = full;
  p.objects.resize(objects);
  return compile(p, p.constants, CompileMode::Image, imageOptions()).result.code == 0;
}

Project generateImageProject() {
  const Project& full = limitProject();
  std::size_t fits = 1, fails = full.objects.size() / 10 + 1;  // in groups
  while (fails - fits > 1) {
    const std::size_t middle = (fits + fails) / 2;
    (imageFits(full, middle * 10) ? fits : fails) = middle;
  }
  Project p = full;
  p.objects.resize(fits * 10);
  return p;
}

Project& imageLimitProject() {
  static Project project = generateImageProject();
  return project;
}

void BM_CompileImage(benchmark::State& state) {
  Project& p = imageLimitProject();
  const CompileOptions options = imageOptions();
  const CompileOutput check = compile(p, p.constants, CompileMode::Image, options);
  if (check.result.code != 0 || memoryUsePercent(check) < 90) {
    state.SkipWithError(("image not near the limit: " + std::to_string(check.result.code) + ", " +
                         std::to_string(memoryUsePercent(check)) + " %").c_str());
    return;
  }
  state.counters["objects"] = static_cast<double>(p.objects.size());
  state.counters["image_bytes"] = check.imageSize + 1;
  for (auto _ : state) {
    CompileOutput out = compile(p, p.constants, CompileMode::Image, options);
    benchmark::DoNotOptimize(out.imageSize);
  }
}
BENCHMARK(BM_CompileImage)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvaro
