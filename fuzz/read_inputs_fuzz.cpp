// libFuzzer target: whatever frames the control unit delivers during a run, ReadInputs takes
// them without reading past their data, keeps its counters in range and sends only sound
// frames. The input is a first byte of options (bit 0 visualisation, bit 1 a unit below the
// BCD feature level, bit 2 the unit type that asks for the time), then records:
//   tag, L, receiver address, three sender address bytes, status1, status2, n, n data bytes
// where tag % 6 picks a failed receive or the frame's kind (station line, radio, visualisation
// value, unit, or the next byte as any kind). A cut record ends the input.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "language/compiler.h"
#include "runtime/hardware_exchange.h"
#include "runtime/run_session.h"
#include "time/clock.h"

namespace {

using namespace kelvaro;

class FuzzLink final : public StationLink {
 public:
  bool send(int mode, const FrameHeader& header, std::span<const std::uint8_t> data) override {
    ++sent;
    fuzz::check(data.size() <= 253, "a frame sent carries at most 253 data bytes");
    fuzz::check(!buildFrame(mode, header, static_cast<int>(data.size()) + 4, data).empty(),
                "every frame sent can be built", [&] { return std::to_string(mode); });
    return (sent & 3) != 0;  // every fourth send fails
  }
  LinkReceive receive(ReceivedFrame& frame) override {
    if (incoming.empty()) return LinkReceive::Nothing;
    auto next = std::move(incoming.front());
    incoming.pop_front();
    if (!next) return LinkReceive::Failed;
    frame = *next;
    return LinkReceive::Frame;
  }
  void pump() override { clock->advanceMs(10); }
  const UnitRecord& unit() const override { return record; }

  ManualClock* clock = nullptr;
  UnitRecord record;
  std::deque<std::optional<ReceivedFrame>> incoming;
  int sent = 0;
};

TPSContr station(const char* name, const char* model, int line, std::uint8_t address, const char* mode) {
  TPSContr s;
  s.CName = s.slots[0].CNam = name;
  s.CKind = model;
  s.CMPKind = mode;
  s.CPLeitg = line;
  s.CPAdrA = line == kKindRadio ? 3 : 1;
  s.CPAdr = {address, address, address, 0};
  s.slots[0].CZAnOn = 2;
  s.CPDevAnz = s.slots[0].CDevArt = 1;
  return s;
}

TPSObj object(const char* name, const char* type, char kind, bool send, std::uint16_t unitNumber) {
  TPSObj o;
  o.Name = o.OName = name;
  o.Typ = type;
  o.OKind = kind;
  o.StartVal = kind == kKindUser ? "aus" : kind == kKindNumber ? "0" : "";
  o.CtZust = 2;
  o.ObjIDNr = unitNumber;
  o.ACode = 254;
  o.program = {"-Z1 := Z1 + 1"};
  (send ? o.SndDev : o.RcvDev) = name;
  return o;
}

Project project() {
  Project p;
  p.views = {{"Haus", {}}};
  p.typeStates = {{"Lampe:aus", {}}, {"Lampe:an", {}}};
  p.stations = {station("S2", "MXB2", kKindStation, 5, ""),  station("S7", "MFB1", kKindStation, 6, "Daten"),
                station("S9", "MXSA", kKindStation, 7, ""),  station("S26", "40612x", kKindStation, 8, ""),
                station("R401", "FS20 Taster/Sensor", kKindRadio, 12, ""), station("R551", "HMS100 TF", kKindRadio, 33, ""),
                station("R301", "FHT8b Raumregler", kKindRadio, 40, ""),   station("R201", "FS20 Schaltaktor", kKindRadio, 7, ""),
                station("R221", "FS20 Dimmer", kKindRadio, 9, "")};
  p.objects = {object("Z1", "Zahl", kKindNumber, false, 1),   object("S2", "Lampe", kKindUser, false, 2),
               object("S7", "Lampe", kKindUser, false, 3),    object("S9", "Zahl", kKindNumber, false, 4),
               object("S26", "Lampe", kKindUser, false, 5),   object("R401", "Lampe", kKindUser, false, 6),
               object("R551", "Zahl", kKindNumber, false, 7), object("R301", "Zahl", kKindNumber, true, 8),
               object("R201", "Lampe", kKindUser, true, 9),   object("R221", "Zahl", kKindNumber, true, 0),
               object("T", "Zeichen", kKindText, false, 10)};
  p.objects[0].program.clear();
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static const Project base = project();
  Project p = base;
  CompileOutput out = compile(p, p.constants, CompileMode::Run);
  if (out.result.code != 0) fuzz::fail("the fuzz project compiles", std::to_string(out.result.code));
  ManualClock clock(46000.5);
  fuzz::QuietUserInterface ui;
  FuzzLink link;
  link.clock = &clock;
  link.record.TypeCode = (data[0] & 4) != 0 ? 11 : 15;
  link.record.FeatureLevel = (data[0] & 2) != 0 ? 110 : 120;
  RunSessionOptions options;
  options.visualisation = (data[0] & 1) != 0;
  options.hardwareControl = true;
  options.link = &link;
  // A known access number, so that keyed commands past it reach the objects too.
  options.telephone = telephoneOptions("12345", "AT");
  RunSession session(p, out, clock, ui, options);
  session.initialise();
  session.start();

  std::size_t at = 1;
  std::size_t frames = 0;
  while (at + 9 <= size) {
    const std::uint8_t tag = data[at];
    ReceivedFrame f;
    const int kinds[] = {0, kKindStation, kKindRadio, kKindValue, kKindUnit};
    f.L = data[at + 1];
    f.receiver.Address[0] = data[at + 2];
    f.sender.Address = {data[at + 3], data[at + 4], data[at + 5]};
    f.status1 = data[at + 6];
    f.status2 = data[at + 7];
    const std::size_t n = data[at + 8];
    at += 9;
    int kind = tag % 6 < 5 ? kinds[tag % 6] : (at < size ? data[at++] : 0);
    if (at + n > size) break;
    f.receiver.Kind = f.sender.Kind = kind;
    f.receiver.Address[1] = f.sender.Address[1];
    for (std::size_t i = 0; i < n; ++i) f.data[i] = data[at + i];
    at += n;
    ++frames;
    if (tag % 6 == 0) link.incoming.emplace_back();
    else link.incoming.emplace_back(f);
    if ((tag & 0x80) != 0) session.engine().cycle();
  }
  for (int i = 0; i < 4; ++i) {
    session.engine().cycle();
    clock.advanceMs(10);
  }
  HardwareExchange* exchange = session.exchange();
  fuzz::check(exchange != nullptr, "a run with a link has an exchange");
  fuzz::check(exchange->receiveFailures() <= kMaxReceiveFailures, "the failure count is reset when reported");
  fuzz::check(session.engine().objectErrorCount >= 0 &&
                  session.engine().objectErrorCount <= static_cast<int>(p.objects.size()),
              "each object is counted once among the failed ones",
              [&] { return std::to_string(session.engine().objectErrorCount); });
  // Start and end commands, the poll, an acknowledgement or clock per frame, one output per object a cycle.
  fuzz::check(link.sent <= 4 + static_cast<int>(frames) * 2 + static_cast<int>(p.objects.size() * (frames + 4)),
              "sends are bounded by what came in", [&] { return std::to_string(link.sent); });
  for (std::size_t i = 0; i < out.symbols.size(); ++i)
    if (const auto* t = std::get_if<TVarStr>(&out.symbols[i].value))
      fuzz::check(t->Value.size() <= kMaxTextLength, "a text value keeps its field's length");
  return 0;
}
