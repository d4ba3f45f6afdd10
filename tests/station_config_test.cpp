// Station configuration and radio-part frames without the line: settings bytes against blocks
// worked out by hand from the layout of each type, read blocks, test replies, central code.
#include "hardware/station_config.h"

#include <gtest/gtest.h>

#include <functional>

#include "hardware/radio_interface.h"
#include "text/cp1252.h"
#include "text/hex_text.h"

namespace kelvaro {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Slot n (1..8) holds group address 0xnA, port 0xnB, values 0xnC and 0xnD, so that every
// byte of a block names its field; functions run 0, 1, 2, 0, 1, 2, 0, 1. Slots 5 and 6 are
// in use, slot 5 works offline.
TPSContr configured(const char* type, int code) {
  TPSContr s;
  s.CKind = type;
  s.CKindi = code;
  s.CPAdr[0] = 7;
  for (int i = 0; i < kSlotsPerStation; ++i) {
    DeviceSlot& d = s.slots[static_cast<std::size_t>(i)];
    const int base = 0x10 * (i + 1);
    d.adr[0] = static_cast<std::uint8_t>(base + 0xA);
    d.CCon = base + 0xB;
    d.CEIntW1 = base + 0xC;
    d.CEIntW2 = base + 0xD;
    d.CFkt = i % 3;
    d.COfflB = ' ';
  }
  s.slots[4].CNam = "Fuenf";
  s.slots[5].CNam = "Sechs";
  s.slots[4].COfflB = 'X';
  return s;
}

// The last read: position p holds 0xC0 + p, so a kept byte shows where it came from.
ConfigBlock lastRead() {
  ConfigBlock b;
  for (std::size_t p = 1; p < b.pos.size(); ++p) b.pos[p] = static_cast<std::uint8_t>(0xC0 + p);
  return b;
}

ReceivedFrame frame(int kind, std::uint8_t from, std::uint8_t to, const Bytes& data) {
  ReceivedFrame f;
  f.receiver = {kind, 1, {to, 0, 0}};
  f.sender = {kind, 1, {from, 0, 0}};
  f.L = static_cast<int>(data.size()) + 4;
  std::copy(data.begin(), data.end(), f.data.begin());
  return f;
}

Bytes block(std::uint8_t n, std::uint8_t first) {
  Bytes d{kReplyConfigBlock, n};
  for (int i = 0; i < kConfigBlockSize; ++i) d.push_back(static_cast<std::uint8_t>(first + i));
  return d;
}

TEST(StationConfig, SettingsBytesPerType) {
  using Change = std::function<void(TPSContr&)>;
  const Change none = [](TPSContr&) {};
  struct Row { int line; const char* type; int code; Change change; bool special; const char* expected; };
  const Row rows[] = {
      // MXB4 takes the MXB2 layout by its "MX"; offline flags slot 5 (1) and slot 7 (16).
      {__LINE__, "MXB4", 4, [](TPSContr& s) { s.slots[6].COfflB = 'X'; }, false,
       "6: 00 11 1A 1B 00 1C 2A 2B 01 2C 5A 5B 01 5C 5D 6A 6B 02 6C 6D D7 D8 D9"},
      {__LINE__, "MXSA", 9, [](TPSContr& s) { s.slots[5].CNam.clear(); }, false,
       "6: 01 1A 1B 00 2A 2B 01 01 5C 5D 02 6C 6D D0 D1 D2"},
      {__LINE__, "DSP32", 6, none, false, "6: 00 C4 C5 C6"},
      {__LINE__, "MFB1", 7, none, false, "6: 1A 1B 1C 1D 2C 2D 3C CA CB CC"},
      {__LINE__, "JAL1", 8, none, false, "6: 1A 1B 1C 1D C7 C8 C9 CA"},
      // flags 1 + 2 + 8 + 4 (slot 5 function below 2) + 64 (slot 5 offline); byte 15: function 2 gives 64.
      {__LINE__, "40611x", 21, none, false, "6: 4F 1A 1B 00 2A 2B 01 5A 5B 02 5C 5D 6A 6B 40 6C 6D"},
      {__LINE__, "40611x", 21, none, true, "5: 01 4F"},
      // bit(8) = 9, bit(7) = 128; slot 6 offline gives 128, slot 5 in use with function 8 no 4.
      {__LINE__, "40611x", 21, [](TPSContr& s) { s.slots[4].CFkt = 8; s.slots[5].CFkt = 7; s.slots[5].COfflB = 'X'; },
       false, "6: CB 1A 1B 00 2A 2B 01 5A 5B 09 5C 5D 6A 6B 80 6C 6D"},
      // slot 1's function 0 is not 1: 1 + 14 + 64; byte 15 then 0, byte 17 slot 1's first value.
      {__LINE__, "40612x", 26, none, false, "6: 4F 1A 1B 00 2A 2B 01 5A 5B 02 5C 5D 6A 6B 00 6C 1C"},
      {__LINE__, "40612x", 26, [](TPSContr& s) { s.slots[0].CFkt = 1; s.slots[4] = {}; }, true, "5: 10 0A"},
      // slot 1's function 1, slot 5 in use with function 0: 1 + 14.
      {__LINE__, "40612x", 26, [](TPSContr& s) { s.slots[0].CFkt = 1; s.slots[4].CFkt = 0; s.slots[4].COfflB = ' '; },
       true, "5: 10 0F"},
      {__LINE__, "FS20 Schaltaktor", 201, none, false, "-"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    TPSContr s = configured(r.type, r.code);
    r.change(s);
    const auto w = settingsBytes(s, lastRead(), r.special);
    EXPECT_EQ(w ? std::to_string(w->subCommand) + ": " + hexBytes(w->bytes) : "-", r.expected);
  }
  // The frame: 0x87, sub-command, bytes; L = count + 6; the type code as mode; the station's header.
  const auto request = configWriteRequest(configured("DSP32", 6), lastRead());
  ASSERT_TRUE(request);
  EXPECT_EQ(hexBytes(request->data) + " L" + std::to_string(request->L) + " mode " + std::to_string(request->sendMode) +
                " to " + std::to_string(request->header.Kind) + "/" + std::to_string(request->header.Address[0]),
            "87 06 00 C4 C5 C6 L10 mode 6 to " + std::to_string(kKindStation) + "/7");
}

TEST(StationConfig, FunctionBitAndItsInverse) {
  struct Row { int line; int f; int bit; };
  const Row rows[] = {{__LINE__, 0, 1}, {__LINE__, 7, 128}, {__LINE__, 8, 9}, {__LINE__, -1, 0}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(functionBit(r.f), r.bit);
    EXPECT_EQ(functionFromBit(r.bit), r.f);
  }
}

TEST(StationConfig, ReadBlockFillsSlotsByTheWriteLayout) {
  // An MXB2 block written back over itself gives the same bytes: every position has one home.
  ConfigBlock b = lastRead();
  b.pos[1] = 2;
  b.pos[3] = 0;
  b.pos[4] = 1 | 32;  // slots 5 and 8 offline
  TPSContr mx = configured("MXB2", 2);
  ASSERT_TRUE(applyConfigBlock(mx, b));
  EXPECT_EQ(hexBytes(settingsBytes(mx, b)->bytes), hexBytes(std::span(b.pos).subspan(3, 23)));
  EXPECT_EQ(std::string({mx.slots[4].COfflB, mx.slots[5].COfflB, mx.slots[7].COfflB}), "X X");

  // 40611x: offline marks from bits 64 and 128 of position 3, functions back from their bits.
  ConfigBlock c;
  c.pos[1] = 21;
  c.pos[3] = 128;
  c.pos[4] = 0x1A;
  c.pos[12] = 9;   // bit(8)
  c.pos[17] = 64;  // slot 6's function 2
  TPSContr t = configured("40611x", 21);
  ASSERT_TRUE(applyConfigBlock(t, c));
  EXPECT_EQ(std::string({t.slots[4].COfflB, t.slots[5].COfflB}), " X");
  EXPECT_EQ(t.slots[4].CFkt, 8);
  EXPECT_EQ(t.slots[5].CFkt, 2);
  EXPECT_EQ(t.slots[0].adr[0], 0x1A);

  // A block of another type changes nothing.
  c.pos[1] = 9;
  TPSContr kept = configured("40611x", 21);
  EXPECT_FALSE(applyConfigBlock(kept, c));
  EXPECT_EQ(kept.slots[4].COfflB, 'X');
}

TEST(StationConfig, BlockCollectorTakesOnlyWholeBlocksOfTheAskedStation) {
  ConfigBlockCollector read({kKindStation, 1, {7, 0, 0}});
  Bytes shortBlock = block(0, 21);
  shortBlock.pop_back();
  Bytes otherCommand = block(0, 21);
  otherCommand[0] = 0xC6;
  struct Row { int line; ReceivedFrame f; bool taken; };
  const Row rows[] = {
      {__LINE__, frame(kKindStation, 8, kPcFrameAddress, block(0, 9)), false},  // another station
      {__LINE__, frame(kKindStation, 7, 2, block(0, 9)), false},           // to the unit, not the PC
      {__LINE__, frame(kKindUnit, 7, kPcFrameAddress, block(0, 9)), false},     // from the unit
      {__LINE__, frame(kKindStation, 7, kPcFrameAddress, shortBlock), false},
      {__LINE__, frame(kKindStation, 7, kPcFrameAddress, otherCommand), false},
      {__LINE__, frame(kKindStation, 7, kPcFrameAddress, block(2, 9)), false},  // past the last possible block
      {__LINE__, frame(kKindStation, 7, kPcFrameAddress, block(1, 9)), true},   // kept until block 0 tells
      {__LINE__, frame(kKindStation, 7, kPcFrameAddress, block(0, 21)), true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_FALSE(read.complete());
    EXPECT_EQ(read.take(r.f), r.taken);
  }
  // Type 21 has one block: block 0 ends the read with positions 1 to 20 filled; the early
  // block 1 belongs to no read of this type and is gone.
  EXPECT_TRUE(read.complete());
  EXPECT_EQ(read.block().typeCode(), 21);
  EXPECT_EQ(read.block().at(20), 21 + 19);
  EXPECT_EQ(read.block().at(21), 0);
  EXPECT_FALSE(read.take(frame(kKindStation, 7, kPcFrameAddress, block(1, 9))));

  // A type outside the wired codes reads two blocks, in any order.
  ConfigBlockCollector two({kKindStation, 1, {7, 0, 0}});
  EXPECT_TRUE(two.take(frame(kKindStation, 7, kPcFrameAddress, block(1, 0x50))));
  EXPECT_FALSE(two.complete());
  EXPECT_TRUE(two.take(frame(kKindStation, 7, kPcFrameAddress, block(0, 200))));
  EXPECT_TRUE(two.complete());
  EXPECT_EQ(two.block().at(21), 0x50);
}

TEST(StationConfig, LineSearchLinesAndTestReplies) {
  EXPECT_EQ(lineSearchLine(frame(kKindStation, 7, 1, {kReplyProbe, 21})), "   1        7   40611x");
  EXPECT_EQ(lineSearchLine(frame(kKindStation, 130, 1, {kReplyProbe, 77})), "   1      130   77");
  EXPECT_EQ(lineSearchLine(frame(kKindStation, 7, 1, {kReplyProbe})), std::nullopt);

  struct Row { int line; int received; int kind; Bytes data; const char* expected; };
  const Row rows[] = {
      {__LINE__, 8, kKindStation, {0xFE, 7}, "Signalstation Keller antwortet nicht"},
      {__LINE__, 8, kKindStation, {0xFE, 9}, "Signalstation Adresse 9 antwortet nicht"},
      {__LINE__, 8, kKindStation, {0xC5, 4, 0x34, 0x12}, "Wert1=4660"},
      {__LINE__, 8, kKindStation, {0xC5, 32, 1, 0}, "Wert4=1 Test beendet end"},
      {__LINE__, 8, kKindStation, {0xC5, 4, 0x34}, "Fehler bei Empfang"},
      {__LINE__, 8, kKindStation, {0xC5, 2, 1, 0}, "Nicht zugeordnete Info-Status-Meldung empfangen"},
      {__LINE__, 8, kKindUnit, {0xFE, 7}, "Nicht zugeordnete Info-Status-Meldung empfangen"},
      {__LINE__, 8, kKindStation, {0x8A, 4, 5}, "errors 5"},
      {__LINE__, 8, kKindStation, {0x8A, 4}, "Fehler bei Empfang"},
      {__LINE__, 8, kKindStation, {0x8B, 4, 5}, "Nicht zugeordnete Info-Meldung empfangen"},
      {__LINE__, 8, kKindStation, {0x05}, "Nicht zugeordnete Meldung empfangen"},
      {__LINE__, kReceiveChecksum, kKindStation, {0x05}, "Fehler bei Empfang"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    const TestReply t = interpretTestReply(r.received, frame(r.kind, 7, 1, r.data), "Keller", 7);
    std::string text = t.valueField ? testValueFieldName(t.valueField) + "=" + std::to_string(t.value) : "";
    if (t.errorCount) text = "errors " + std::to_string(*t.errorCount);
    if (!t.status.empty()) text += (text.empty() ? "" : " ") + t.status;
    if (t.finished) text += " end";
    EXPECT_EQ(text, r.expected);
  }
}

TEST(StationConfig, TestButtonsAndAddressTexts) {
  using C = TestCommand;
  struct Row { int line; C command; const char* expected; };
  const Row rows[] = {
      {__LINE__, C::SensorTest, "8C 00 L6 Test läuft ..."},
      {__LINE__, C::Reset, "8B 00 L6 "},
      {__LINE__, C::ErrorCounterOn, "8A 01 30 L7 Störungszähler eingeschaltet"},
      {__LINE__, C::ErrorCounterOff, "8A 02 L6 Störungszähler ausgeschaltet"},
      {__LINE__, C::ErrorCounterQuery, "8A 03 L6 Störungszähler abgefragt"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    const StationRequest q = testRequest(r.command, {kKindStation, 1, {7, 0, 0}}, 48);
    EXPECT_EQ(q.sendMode, 0);
    EXPECT_EQ(hexBytes(q.data) + " L" + std::to_string(q.L) + " " + toUtf8(testStatusText(r.command)), r.expected);
  }
  EXPECT_EQ(addressProbeText(9, true, false), "Adresse 9 schon vorhanden\raber keiner Signalstation zugewiesen.");
  EXPECT_EQ(addressProbeText(9, false, false), "Adresse 9 ist frei");
}

TEST(RadioInterface, CentralCodeFrames) {
  // Every request to the radio part: data, L, then mode and kind/address of the header.
  auto text = [](const std::optional<RadioRequest>& q) {
    return q ? hexBytes(q->data) + " L" + std::to_string(q->L) + " " + std::to_string(q->sendMode) + " " +
                   std::to_string(q->header.Kind) + "/" + std::to_string(q->header.Address[0])
             : "-";
  };
  struct Row { int line; std::optional<RadioRequest> request; const char* expected; };
  const Row rows[] = {
      {__LINE__, readCentralCodeRequest(), "84 54 01 07 L8 900 4/201"},
      {__LINE__, writeCentralCodeRequest(1), "83 54 01 01 01 L9 900 4/201"},
      {__LINE__, writeCentralCodeRequest(100), "83 31 01 01 64 L9 900 4/201"},
      {__LINE__, writeCentralCodeRequest(0), "-"},
      {__LINE__, writeCentralCodeRequest(101), "-"},
      {__LINE__, hiddenCommandRequest(), "83 52 02 01 07 L9 900 4/201"},
      {__LINE__, configurationModeRequest(false), "42 L5 900 201/2"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(text(r.request), r.expected);
  }
  EXPECT_FALSE(usesConfigurationMode(2));
  EXPECT_TRUE(usesConfigurationMode(11));

  // The reply: code in data[3], serial number in data[6..9]; ReceiveFrame gives a radio
  // frame of L 19 ten data bytes.
  ReceivedFrame reply = frame(kKindRadio, 0, 1, {0x84, 0, 0, 42, 0, 0, 0x01, 0x02, 0x03, 0x04});
  reply.L = 19;
  const auto decoded = decodeCentralCodeReply(reply);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->code, 42);
  EXPECT_EQ(decoded->serialNumber, 0x01020304u);
  reply.L = 18;  // one byte short of the serial number
  EXPECT_FALSE(decodeCentralCodeReply(reply));
}

}  // namespace
}  // namespace kelvaro
