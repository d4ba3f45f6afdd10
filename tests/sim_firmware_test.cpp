// The simulated unit's firmware against the PC's engine: the same small projects, compiled
// once for the PC and once into the unit's image, run for the same span from the same clock,
// must change the same objects to the same values in the same minutes. And images that are
// short, broken or point outside themselves are refused with a line in the unit's log.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>

#include "astro/sun_times.h"
#include "control_unit.h"
#include "firmware.h"
#include "hardware/protocol.h"
#include "language/compiler.h"
#include "language/image_layout.h"
#include "runtime/engine.h"
#include "storage/project_file.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "text/cp1252.h"
#include "text/hex_text.h"

namespace kelvaro {
namespace {

DateTime at(int y, int mo, int d, int h, int mi, int s) { return *encodeDate(y, mo, d) + *encodeTime(h, mi, s); }

struct Obj {
  const char* name;
  const char* type;
  const char* start;
  std::uint8_t priority;
  std::vector<std::string> lines;
};

Project projectOf(const std::vector<Obj>& objects) {
  Project p;
  p.typeStates = {{"Lampe:aus", {}}, {"Lampe:an", {}}, {"Rollo:oben", {}}, {"Rollo:halb", {}}, {"Rollo:unten", {}}, {"Rollo:zu", {}}};
  for (const Obj& o : objects) {
    p.objects.push_back(test::programObject(o.name, o.type, o.start, o.lines, o.priority));
  }
  return p;
}

// One line per change: day and minute, object, shown value.
std::string traceLine(DateTime when, const std::string& object, const std::string& value) {
  const CalendarDate d = decodeDate(when);
  const ClockTime t = decodeTime(when);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d %02d:%02d ", d.day, t.hour, t.minute);
  return stamp + object + "=" + value;
}

struct TraceHost : EngineHost {
  Engine* engine = nullptr;
  std::vector<std::string> trace;
  std::vector<int> dirty;
  void refreshDisplay() override {
    engine->takeDirtyObjects(dirty);
    for (const int o : dirty) {
      ObjectRunState& s = engine->objects()[static_cast<std::size_t>(o)];
      if (!s.changePending) continue;
      s.changePending = false;
      const int symbol = engine->compiled().objects[static_cast<std::size_t>(o)].stateSymbol;
      trace.push_back(traceLine(engine->now(), engine->project().objects[static_cast<std::size_t>(o)].Name,
                                symbol < 0 ? std::string() : engine->symbolText(symbol)));
    }
  }
};

std::vector<std::string> pcTrace(Project project, DateTime start, long ticks) {
  CompileOutput out = compile(project, project.constants, CompileMode::Run);
  EXPECT_EQ(out.result.code, 0) << "object " << out.result.object << " line " << out.result.line;
  ManualClock clock{start};
  test::FakeUserInterface ui;
  EngineOptions options;
  options.statementLimit = sim::Firmware::kStatementLimit;
  Engine engine(project, out, clock, ui, options);
  TraceHost host;
  host.engine = &engine;
  engine.setHost(&host);
  engine.reset();
  engine.startOfRun();
  for (long i = 0; i < ticks && !engine.stopFlag; ++i) {
    engine.clockPass();
    clock.advanceMs(10);
  }
  return host.trace;
}

CompileOutput imageOf(Project project, int year) {
  CompileOptions options;
  options.programName = "TEST";
  const SunTableResult table = SunTable(year, true, SunSettings{});
  options.sunTable.assign(table.entries.begin(), table.entries.end());
  CompileOutput out = compile(project, project.constants, CompileMode::Image, options);
  EXPECT_EQ(out.result.code, 0) << "object " << out.result.object << " line " << out.result.line;
  return out;
}

std::vector<std::uint8_t> memoryOf(const CompileOutput& out) {
  std::vector<std::uint8_t> memory(0x10000, 0xFF);
  std::copy(out.image.begin(), out.image.end(), memory.begin() + 4096);
  return memory;
}

std::vector<std::string> unitTrace(const Project& project, DateTime start, long ticks, sim::Firmware& fw) {
  const CompileOutput out = imageOf(project, decodeDate(start).year);
  const auto memory = memoryOf(out);
  std::vector<std::string> trace;
  if (!fw.load(memory, out.imageBase, out.imageBase + out.imageSize + 1)) {
    ADD_FAILURE() << fw.log.back();
    return trace;
  }
  fw.onChange = [&](int object, const std::string& text, DateTime when, bool) {
    trace.push_back(traceLine(when, fw.image()->objects[static_cast<std::size_t>(object)].name, text));
  };
  fw.setClock(start);
  fw.start();
  for (long i = 0; i < ticks; ++i) fw.tick();
  return trace;
}

// The changes object by object, each object's in their order, one a line: the order among
// objects within one cycle is the display's (the PC's project order) and carries no meaning.
std::string byObject(std::vector<std::string> trace) {
  const auto name = [](const std::string& line) { return line.substr(9, line.find('=') - 9); };
  std::stable_sort(trace.begin(), trace.end(),
                   [&](const std::string& a, const std::string& b) { return name(a) < name(b); });
  std::string text;
  for (const std::string& line : trace) text += line + "\n";
  return text;
}

constexpr long kMinute = 6000;  // ticks

struct TwinCase {
  int line;
  const char* what;
  DateTime start;
  long ticks;
  std::vector<Obj> objects;
  std::size_t minimumChanges;  // so that a project which does nothing cannot pass
};

const std::vector<Obj> kLevels = {
    {"*INIT", "Undefiniert", "", 255, {"I:=I+1"}},
    {"I", "Zahl", "0", 254, {}},
    {"P1", "Zahl", "0", 1, {"WENN P1 < 30 DANN", "P1:=P1+1", "ENDEWENN"}},
    {"P2", "Zahl", "0", 2, {"P2:=P2+1"}},
    {"P4", "Zahl", "0", 4, {"P4:=P4+1"}},
    {"P8", "Zahl", "0", 8, {"P8:=P8+1"}},
    {"P16", "Zahl", "0", 16, {"P16:=P16+1"}},
    {"P0", "Zahl", "0", 0, {"P0:=P0+1"}},
    {"Q", "Zahl", "0", 254, {"Q:=Q+1"}},
};

// Light between sunrise and sunset.
const std::vector<Obj> kSunLamp = {
    {"H", "Lampe", "aus", 4,
     {"WENN UHRZEIT > SONNENAUFGANG(DATUM) UND UHRZEIT < SONNENUNTERGANG(DATUM) DANN", "H EINSCHALTEN", "SONST",
      "H AUSSCHALTEN", "ENDEWENN"}}};

TEST(FirmwareDifferential, SmallProjectsChangeTheSameObjectsAsOnThePc) {
  const std::vector<TwinCase> cases = {
      {__LINE__, "clock levels across midnight", at(2026, 6, 15, 23, 58, 2), 5 * kMinute, kLevels, 60},
      {__LINE__, "queue: AUSFUEHRUNG from *INIT and from a queued program, first in first out",
       at(2026, 6, 15, 10, 0, 2), 100,
       {{"*INIT", "Undefiniert", "", 255, {"AUSFUEHRUNG(A)", "AUSFUEHRUNG(B)"}},
        {"A", "Zahl", "0", 254, {"A:=A+1", "WENN A < 5 DANN AUSFUEHRUNG(A)", "ENDEWENN", "L EINSCHALTEN"}},
        {"B", "Zahl", "0", 254, {"B:=A*10"}},
        {"L", "Lampe", "aus", 254, {}}},
       3},
      {__LINE__, "queue overflow drops the 256th",
       at(2026, 6, 15, 10, 0, 2), 50,
       {{"*INIT", "Undefiniert", "", 255, {"N:=0", "schleife:", "AUSFUEHRUNG(C)", "N:=N+1", "WENN N < 300 DANN GEHEZU schleife", "ENDEWENN"}},
        {"N", "Zahl", "0", 254, {}},
        {"C", "Zahl", "0", 254, {"C:=C+1"}}},
       2},
      {__LINE__, "conditions: WENN, SONST, ODER, UND, nesting, comparisons",
       at(2026, 6, 15, 10, 0, 2), 2 * kMinute,
       {{"Z", "Zahl", "0", 2, {"Z:=Z+1", "WENN Z > 3 UND Z < 8 ODER Z = 12 DANN", "L EINSCHALTEN", "SONST",
                               "L AUSSCHALTEN", "ENDEWENN", "WENN Z >= 5 DANN", "WENN Z <> 6 DANN", "M UMSCHALTEN",
                               "ENDEWENN", "ENDEWENN", "WENN Z <= 2 DANN", "R:=*ZURUECK", "ENDEWENN"}},
        {"L", "Lampe", "aus", 254, {}},
        {"M", "Lampe", "aus", 254, {}},
        {"R", "Rollo", "oben", 254, {}}},
       20},
      {__LINE__, "arithmetic, states wrapping, labels and GEHEZU",
       at(2026, 6, 15, 10, 0, 2), 40 * 100,
       {{"*INIT", "Undefiniert", "", 255, {"A:=2", "B:=3", "C:=4", "X:=A+B*C", "Y:=7/0", "W:=0-5", "S:=0", "K:=0",
                                           "weiter:", "K:=K+1", "S:=S+K", "WENN K < 10 DANN GEHEZU weiter", "ENDEWENN"}},
        {"A", "Zahl", "0", 254, {}}, {"B", "Zahl", "0", 254, {}}, {"C", "Zahl", "0", 254, {}},
        {"X", "Zahl", "0", 254, {}}, {"Y", "Zahl", "1", 254, {}}, {"W", "Zahl", "0", 254, {}},
        {"S", "Zahl", "0", 254, {}}, {"K", "Zahl", "0", 254, {}},
        {"R", "Rollo", "oben", 2, {"R:=*VOR"}},
        {"Q", "Rollo", "oben", 2, {"Q:=*ZURUECK"}},
        {"V", "Rollo", "oben", 254, {}},
        {"T", "Zahl", "0", 2, {"T:=T+1", "V:=T"}}},
       30},
      {__LINE__, "texts: joining, comparing, copying into numbers and states",
       at(2026, 6, 15, 10, 0, 2), 30 * 100,
       {{"N", "Zahl", "0", 2, {"N:=N+1", "T:=\"Nr \"+N", "WENN T = \"Nr 3\" DANN", "U:=\"42\"", "Z:=U", "ENDEWENN",
                               "WENN N = 4 DANN", "U:=\"an\"", "L:=U", "ENDEWENN", "WENN L = \"an\" DANN", "M EINSCHALTEN",
                               "ENDEWENN"}},
        {"T", "Zeichen", "", 254, {}}, {"U", "Zeichen", "", 254, {}}, {"Z", "Zahl", "0", 254, {}},
        {"L", "Lampe", "aus", 254, {}}, {"M", "Lampe", "aus", 254, {}}},
       10},
      {__LINE__, "AKTIVIEREN, DEAKTIVIEREN, AKTIVIERT, GESCHALTET, ERLEDIGT",
       at(2026, 6, 15, 10, 0, 2), 60 * 100,
       {{"S", "Zahl", "0", 2, {"S:=S+1", "WENN S = 2 DANN DEAKTIVIEREN(P)", "ENDEWENN", "WENN S = 5 DANN AKTIVIEREN(P)",
                               "ENDEWENN", "WENN AKTIVIERT(P) DANN", "A:=A+1", "ENDEWENN", "WENN GESCHALTET(L) DANN",
                               "G:=G+1", "ERLEDIGT(L)", "ENDEWENN"}},
        {"P", "Zahl", "0", 2, {"P:=P+1", "L UMSCHALTEN"}},
        {"A", "Zahl", "0", 254, {}}, {"G", "Zahl", "0", 254, {}}, {"L", "Lampe", "aus", 254, {}}},
       20},
      {__LINE__, "times of day and the calendar",
       at(2026, 6, 15, 7, 28, 2), 5 * kMinute,
       {{"U", "Lampe", "aus", 2, {"WENN UHRZEIT > \"07:30\" DANN", "U EINSCHALTEN", "ENDEWENN",
                                  "WENN UHRZEIT ZWISCHEN \"07:31:00\" \"07:32:00\" DANN", "V EINSCHALTEN", "SONST", "V AUSSCHALTEN",
                                  "ENDEWENN", "D:=TAG", "M:=MONAT", "J:=JAHR", "K:=MONATSTAG"}},
        {"V", "Lampe", "aus", 254, {}}, {"D", "Zahl", "0", 254, {}}, {"M", "Zahl", "0", 254, {}},
        {"J", "Zahl", "0", 254, {}}, {"K", "Zahl", "0", 254, {}}},
       6},
      {__LINE__, "sunrise on the first day of a table week", at(2026, 1, 8, 7, 0, 2), 120 * kMinute, kSunLamp, 1},
      {__LINE__, "sunset on the first day of a table week", at(2026, 1, 8, 16, 0, 2), 120 * kMinute, kSunLamp, 2},
      {__LINE__, "PROGRAMMENDE ends the run after the program",
       at(2026, 6, 15, 10, 0, 2), 30 * 100,
       {{"E", "Zahl", "0", 2, {"E:=E+1", "WENN E = 3 DANN PROGRAMMENDE", "ENDEWENN", "F:=E"}},
        {"F", "Zahl", "0", 254, {}}},
       5},
  };
  for (const TwinCase& c : cases) {
    SCOPED_TRACE(std::string("line ") + std::to_string(c.line) + ": " + c.what);
    const Project project = projectOf(c.objects);
    sim::Firmware fw;
    const std::vector<std::string> pc = pcTrace(project, c.start, c.ticks);
    const std::vector<std::string> unit = unitTrace(project, c.start, c.ticks, fw);
    EXPECT_GE(pc.size(), c.minimumChanges);
    EXPECT_EQ(byObject(pc), byObject(unit));
  }
}

// --- bad images --------------------------------------------------------------------------

struct Loaded {
  CompileOutput out;
  std::vector<std::uint8_t> memory;
  int base = 0, end = 0, table = 0;
  int word(int a) const { return memory[static_cast<std::size_t>(a)] << 8 | memory[static_cast<std::size_t>(a) + 1]; }
  void setWord(int a, int v) {
    memory[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(v >> 8);
    memory[static_cast<std::size_t>(a) + 1] = static_cast<std::uint8_t>(v);
  }
};

Loaded goodImage() {
  Loaded l;
  l.out = imageOf(projectOf({{"A", "Zahl", "0", 2, {"A:=A+1"}}, {"L", "Lampe", "aus", 2, {"L UMSCHALTEN"}}}), 2026);
  l.memory = memoryOf(l.out);
  l.base = l.out.imageBase;
  l.end = l.base + l.out.imageSize + 1;
  l.table = l.word(l.base) - image_layout::kEntryPointer;
  return l;
}

TEST(FirmwareImage, ABadImageIsRefusedWithItsReasonInTheLog) {
  using namespace image_layout;
  struct Row {
    int line;
    std::function<void(Loaded&)> spoil;
    const char* log;
  };
  const std::vector<Row> rows = {
      {__LINE__, [](Loaded& l) { l.end = l.base + 200; }, "Programm unvollständig übertragen"},
      {__LINE__, [](Loaded& l) { l.end = l.base + 10; }, "Programm zu kurz"},
      {__LINE__, [](Loaded& l) { l.base = 0x2000; }, "falsche Ladeadresse"},
      {__LINE__, [](Loaded& l) { l.memory.resize(0x6000); }, "Speicher unvollständig"},
      {__LINE__, [](Loaded& l) { std::fill(l.memory.begin(), l.memory.end(), 0xFF), l.end = 0x6000; },
       "Programmkopf ungültig (Größe)"},
      {__LINE__, [](Loaded& l) { l.setWord(l.base + kHeaderSize, l.word(l.base + kHeaderSize) - 1); },
       "Programmkopf ungültig (Ende)"},
      {__LINE__, [](Loaded& l) { l.setWord(l.base + kHeaderObjectTable, 0x6FF0); }, "Objekttabelle außerhalb des Programms"},
      {__LINE__, [](Loaded& l) { l.setWord(l.base + kHeaderSunset, 0x6FF0); }, "Sonnentabellen außerhalb des Programms"},
      {__LINE__, [](Loaded& l) { l.setWord(l.table + kEntrySize + kEntryEnd, 0x6F00); },
       "Codeadresse außerhalb des Codes (L)"},
      {__LINE__, [](Loaded& l) { l.setWord(l.table + kEntryStart, l.word(l.table + kEntryStart) + 1); },
       "Codeadresse außerhalb des Codes"},
      {__LINE__, [](Loaded& l) { l.setWord(l.table + kEntrySize + kEntryState, 0x0010); },
       "Variablenadresse außerhalb der Variablen (L)"},
      {__LINE__, [](Loaded& l) { l.setWord(l.table + kEntryNameRef, 0xFFF0); }, "Objektname außerhalb des Programms"},
      {__LINE__, [](Loaded& l) { l.setWord(l.base + kHeaderInit, l.table + 3); }, "*INIT-Eintrag außerhalb der Objekttabelle"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("line " + std::to_string(row.line));
    Loaded l = goodImage();
    row.spoil(l);
    sim::Firmware fw;
    EXPECT_FALSE(fw.load(l.memory, l.base, l.end));
    EXPECT_FALSE(fw.loaded());
    ASSERT_EQ(fw.log.size(), 1u);
    EXPECT_EQ(toUtf8(fw.log.back()), std::string("Programm abgewiesen: ") + row.log);
  }
  // The image unspoilt is taken.
  Loaded l = goodImage();
  sim::Firmware fw;
  EXPECT_TRUE(fw.load(l.memory, l.base, l.end));
  EXPECT_EQ(fw.log.back(), "Programm TEST     geladen, 2 Objekte");
}

// --- the unit ------------------------------------------------------------------------------

std::vector<std::uint8_t> pcFrame(std::vector<std::uint8_t> data, std::uint8_t kind = 0xC9, std::uint8_t address = 0) {
  // Sized at once: GCC 12 misreads an insert into a six-byte list as a write past its end.
  std::vector<std::uint8_t> frame(6 + data.size());
  frame[0] = 0x81;
  frame[2] = kind;
  frame[4] = address;
  frame[5] = 1;
  std::copy(data.begin(), data.end(), frame.begin() + 6);
  frame[1] = static_cast<std::uint8_t>(frame.size() - 2);
  frame[3] = sim::frameChecksum(frame);
  return frame;
}

// The frames the unit sent, each as hex bytes from the kind on, checksum left out.
std::vector<std::string> framesOut(sim::ControlUnit& unit, std::uint64_t untilMs) {
  std::vector<std::uint8_t> bytes;
  // The unit sends what its ticks up to then changed; the bytes take a few milliseconds.
  unit.toPc(untilMs, bytes);
  unit.toPc(untilMs + 50, bytes);
  std::vector<std::string> frames;
  for (std::size_t i = 0; i + 1 < bytes.size();) {
    const std::size_t length = bytes[i + 1];
    std::string text;
    char hex[4];
    for (std::size_t k = i + 2; k < i + 2 + length && k < bytes.size(); ++k) {
      if (k == i + 3) continue;
      std::snprintf(hex, sizeof hex, "%02X ", bytes[k]);
      text += hex;
    }
    frames.push_back(text);
    i += 2 + length;
  }
  return frames;
}

TEST(FirmwareUnit, ATransferredProgramRunsAndShowsItselfInTheVisualisation) {
  Project project = projectOf({{"L", "Lampe", "aus", 2, {"L UMSCHALTEN"}}, {"K", "Zahl", "0", 254, {"K:=K+1"}}});
  project.objects[0].ObjIDNr = 12;  // unit number 0x0012; K keeps 0xA001
  const CompileOutput out = imageOf(project, 2026);
  sim::ControlUnit unit;
  std::uint64_t ms = 0;
  auto send = [&](std::vector<std::uint8_t> frame) { unit.fromPc(pcFrame(std::move(frame)), ms += 200); };
  send({0x20, 26, 6, 15, 10, 0, 0, 1});
  send({0x29});
  send({0x36, static_cast<std::uint8_t>(out.imageBase >> 8), 0, 0});
  for (int a = out.imageBase; a <= out.imageBase + out.imageSize; a += 100) {
    std::vector<std::uint8_t> block = {0x37};
    for (int k = 0; k < 100; ++k) block.push_back(out.image[static_cast<std::size_t>(a + k - 4096)]);
    block.push_back(0);
    send(block);
  }
  send({0x38, 0});
  ASSERT_TRUE(unit.firmware.running()) << unit.firmware.log.back();
  send({0x64});
  // Both values once (L was switched on by the first pass, which runs the 5-second level),
  // then L's change at the next 5-second tick.
  EXPECT_EQ(framesOut(unit, ms + 6000),
            (std::vector<std::string>{"00 12 02 FF 00 01 ", "A0 01 02 FF 00 00 00 ", "00 12 02 FF 00 00 "}));
  // A click on K from the PC runs K's program in the unit: the PC hears of the change.
  ms += 6000;
  unit.fromPc(pcFrame({0xFF, 1}, 0xA0, 0x01), ms);
  EXPECT_EQ(framesOut(unit, ms + 100), (std::vector<std::string>{"A0 01 02 FF 00 01 00 "}));
  // "3" ends the program: nothing changes any more; "1" starts it again from the beginning.
  send({0x33, 0});
  framesOut(unit, ms);
  EXPECT_TRUE(framesOut(unit, ms + 10000).empty());
  send({0x65, 2});
  send({0x31, 0});
  EXPECT_TRUE(unit.firmware.running());
  // "2" deletes it, and a reset with DTR high starts without a program.
  send({0x32, 0});
  EXPECT_FALSE(unit.firmware.loaded());
  unit.pcLines(true, false, ms);
  unit.resetButton(ms);
  EXPECT_EQ(unit.firmware.log.back(), "Programm ignoriert");
}

// The demo installation on the unit with its devices: the door contact and the terrace
// push-button reach the unit's program, and what the program switches reaches the station's
// relays and the garden's radio switch. Both image layouts: the full device addresses of a
// unit with a radio part, and the older one with the first address byte only.
TEST(FirmwareUnit, TheDevicesReachTheProgramAndItsOutputsTheDevices) {
  Project project;
  test::FakeUserInterface ui;
  const std::string demo = std::string(KELVARO_SOURCE_DIR) + "/examples/demo/";
  ASSERT_EQ(readProject(project, demo + "DEMO.SPG", "", ui), ReadStatus::Complete);
  std::ifstream file(demo + "DEMO.scenario");
  const std::string scenarioText((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // The program's answers (=) to what the devices reported (<-), minute:second.
  const std::vector<std::string> expected = {
      "0:12 Haustuer <- offen", "0:27 Haustuer <- zu", "0:32 TasterTerrasse <- an", "0:32 Gartenlicht = an",
      "1:2 FensterKueche <- offen", "1:2 Aussentemperatur <- 185", "2:2 FensterKueche <- zu",
      "3:2 Haustuer <- offen", "3:2 Flurlicht = an", "3:2 Besucher = 1", "3:7 Haustuer <- zu",
      "5:2 Aussentemperatur <- 178", "6:2 TasterTerrasse <- aus", "6:2 Gartenlicht = aus"};
  struct Row {
    int line;
    int replyCode;
    int typeCode;
    std::string station;  // what the MXB2 received: channel and state
    std::string radio;    // what the garden's radio switch received
  };
  // The older layout cuts a radio address to its first byte: the unit cannot reach the switch.
  for (const Row& row : {Row{__LINE__, 15, 125, "02 01 | ", "01 | 00 | "}, Row{__LINE__, 14, 124, "02 01 | ", ""}}) {
    SCOPED_TRACE(row.line);
    CompileOptions options;
    options.programName = "DEMO";
    options.unitTypeCode = row.typeCode;
    const CompileOutput out = compile(project, project.constants, CompileMode::Image, options);
    ASSERT_EQ(out.result.code, 0);
    sim::UnitConfig config;
    config.replyCode = row.replyCode;
    sim::ControlUnit unit(config);
    sim::ScenarioLoad scenario = sim::loadScenario(scenarioText);
    ASSERT_TRUE(scenario.ok()) << scenario.error;
    unit.setScenario(std::move(scenario.scenario), 0);
    std::copy(out.image.begin(), out.image.end(), unit.memory.begin() + out.imageBase);
    ASSERT_TRUE(unit.firmware.load(unit.memory, out.imageBase, out.imageBase + out.imageSize + 1));
    std::vector<std::string> trace;
    unit.firmware.onChange = [&](int object, const std::string& text, DateTime when, bool fromStation) {
      const ClockTime t = decodeTime(when);
      trace.push_back(std::to_string(t.minute) + ":" + std::to_string(t.second) + " " +
                      unit.firmware.image()->objects[static_cast<std::size_t>(object)].name +
                      (fromStation ? " <- " : " = ") + text);
    };
    unit.firmware.setClock(at(2026, 1, 8, 0, 0, 2));
    unit.firmware.start();
    std::vector<std::uint8_t> line;
    for (std::uint64_t ms = 0; ms <= 7 * 60'000; ms += 10) unit.toPc(ms, line);
    std::string received[2];
    for (const std::size_t device : {0u, 1u})
      for (const auto& data : unit.stations().state(device).received) received[device] += hexBytes(data) + " | ";
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(received[0], row.station);
    EXPECT_EQ(received[1], row.radio);
  }
}

// The unit's clock: set by the set-clock command, and gaining or losing by the clock correction
// of its configuration, one second a day per step from the factory's 45.
TEST(FirmwareUnit, TheClockKeepsTheTimeItWasSetToAtTheRateOfItsCorrection) {
  struct Row {
    int line;
    std::vector<std::vector<std::uint8_t>> configuration;  // the frames that write it
    int secondsAfterADay;
  };
  std::vector<std::uint8_t> blockWith50 = {0x37, 50};  // the configuration block, correction 50
  blockWith50.resize(75);
  for (const Row& row : {Row{__LINE__, {}, 0}, Row{__LINE__, {{0x50, 45}}, 0}, Row{__LINE__, {{0x50, 55}}, 10},
                         Row{__LINE__, {{0x50, 40}}, -5}, Row{__LINE__, {blockWith50}, 5}}) {
    SCOPED_TRACE(row.line);
    sim::ControlUnit unit;
    std::uint64_t ms = 200;
    unit.fromPc(pcFrame({0x20, 26, 6, 15, 10, 0, 0, 1}), ms);
    for (const auto& frame : row.configuration) unit.fromPc(pcFrame(frame), ms);
    std::vector<std::uint8_t> line;
    unit.toPc(ms + 86'400'000, line);
    EXPECT_NEAR((unit.firmware.now() - at(2026, 6, 16, 10, 0, 0)) * kSecondsPerDay, row.secondsAfterADay, 0.02);
  }
}

}  // namespace
}  // namespace kelvaro
