// The control unit's program image, byte for byte on small projects.
#include <gtest/gtest.h>

#include "language/compiler.h"
#include "language/image.h"
#include "model/project.h"
#include "support/project_builder.h"
#include "support/token_text.h"

namespace kelvaro {
namespace {

std::string varDef(std::string name, std::string type, std::string start) {
  name.resize(20, ' ');
  type.resize(20, ' ');
  return name + type + start;
}

CompileOutput compileImage(Project& p, int typeCode = 124) {
  CompileOptions options;
  options.unitTypeCode = typeCode;
  options.programName = "DEMO";
  for (int w = 0; w < 52; ++w) options.sunTable.push_back({8, w, 16, 59 - w});
  return compile(p, p.constants, CompileMode::Image, options);
}

// Bytes of the image from address `from` to `to`, inclusive.
std::string bytesAt(const CompileOutput& out, int from, int to) {
  std::vector<std::uint8_t> slice(out.image.begin() + (from - kDataStart), out.image.begin() + (to + 1 - kDataStart));
  return test::codeText(slice, 0, static_cast<int>(slice.size()));
}

int wordAt(const CompileOutput& out, int address) {
  return out.image[static_cast<std::size_t>(address - kDataStart)] << 8 |
         out.image[static_cast<std::size_t>(address + 1 - kDataStart)];
}

std::string repeat(const char* byte, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += (s.empty() ? "" : " ") + std::string(byte);
  return s;
}

TEST(Image, OneLampLaidOutByHand) {
  Project p = test::lampProject({test::programObject("L", "Lampe", "an")});
  const CompileOutput out = compileImage(p);
  ASSERT_EQ(out.result.code, 0);
  EXPECT_EQ(out.imageBase, 0x1000);
  // Header: object table + 8, size, no *INIT, the two sun tables, four bytes left.
  EXPECT_EQ(bytesAt(out, 0x1000, 0x100D), "10 53 01 5E FF FE 10 83 10 EB FF FF FF FF");
  // Type "Lampe": two states of 17 bytes each.
  EXPECT_EQ(bytesAt(out, 0x100E, 0x1031),
            "02 03 61 75 73 " + repeat("FF", 13) + " 02 61 6E " + repeat("FF", 14) + " FF");
  // Variables: CT, the state behind its table pointer, nothing for "#", then AA CC AA.
  EXPECT_EQ(bytesAt(out, 0x1032, 0x1046),
            "09 06 00 00 00 00 00 00 FF "
            "10 53 81 01 01 01 10 0E FF "
            "AA CC AA");
  EXPECT_EQ(out.codeAddressBase, 0x1046);
  // No code: the one byte of position 0, then AA BB AA.
  EXPECT_EQ(bytesAt(out, 0x1047, 0x104A), "00 AA BB AA");
  // The object's entry: unit, six addressing bytes, kind, flags, priority, no program,
  // state and CT addresses, 0, no code list, its name reference.
  EXPECT_EQ(bytesAt(out, 0x104B, 0x1062),
            "A0 00 00 00 00 00 00 00 55 16 FE 00 00 00 00 10 3D 10 32 00 FF FF 10 7E");
  EXPECT_EQ(bytesAt(out, 0x1063, 0x107A), repeat("FF", 24));
  EXPECT_EQ(bytesAt(out, 0x107B, 0x1080), "06 01 4C 10 7B FE");  // name record and reference
  EXPECT_EQ(bytesAt(out, 0x1083, 0x1086), "08 00 08 01");           // sunrise of weeks 1 and 2
  EXPECT_EQ(bytesAt(out, 0x10EB, 0x10EE), "10 3B 10 3A");           // sunset of weeks 1 and 2
  EXPECT_EQ(bytesAt(out, 0x1153, 0x115E), "58 58 44 45 4D 4F 20 20 20 20 FF 20");
  EXPECT_EQ(out.imageSize, 0x15E);
  EXPECT_EQ(memoryUsePercent(out), 1);  // 100 × 350 / 24575
}

TEST(Image, EveryVariableKindAndTypedLiterals) {
  TPSObj a = test::programObject("A", "Lampe", "aus");
  a.varDefs = {varDef("N", "Zahl", "300"), varDef("T", "Zeichen", "ab"), varDef("H", "Uhr", "07:00"),
               varDef("D", "Datum", "01.02.26")};
  for (const char* line : {"CT:=\"12:30\"", "WENN UHRZEIT = \"**:30:00\" DANN", "ENDEWENN",
                           "WENN DATUM = \"24.12.26\" DANN", "ENDEWENN", "N:=\"5\""})
    a.program.push_back(std::string("-") + line);
  Project p = test::lampProject({a});
  const CompileOutput out = compileImage(p);
  ASSERT_EQ(out.result.code, 0);
  EXPECT_EQ(bytesAt(out, 0x1032, out.codeAddressBase),
            "09 06 00 00 00 00 00 00 FF "                           // A.CT
            + bytesAt(out, 0x103B, 0x103C) + " 81 01 00 01 10 0E FF "  // the state
            "02 02 2C 01 FF "                                        // N = 300, low byte first
            "06 02 61 62 " + repeat("00", 100) + " FF "              // T, 102 text bytes
            "08 03 00 00 00 FF "                                     // H: start values stay behind
            "07 03 00 00 00 FF "                                     // D
            "08 03 0C 1E 00 00 00 FF "                               // "12:30" typed by CT
            "48 03 FF 30 00 00 00 00 00 00 FF "                      // "**:30:00": wildcard digits
            "07 03 1A 0C 18 00 00 00 00 00 FF "                      // "24.12.26" as yy.mm.dd
            "02 02 05 00 FF "                                        // "5" typed by the number N
            "AA CC AA");
}

TEST(Image, CodeAddressesObjectReferencesAndTheClockValue) {
  TPSObj a = test::programObject("A", "Lampe", "aus");
  a.program = {"-WENN UHRZEIT = ZEIT DANN", "-AKTIVIEREN(K)", "-ENDEWENN"};
  Project p = test::lampProject({a, test::programObject("K", "Knopf", "")});
  const CompileOutput out = compileImage(p);
  ASSERT_EQ(out.result.code, 0);
  const int s = out.codeAddressBase;
  const int kEntry = out.objects[1].entryAddress;
  auto hi = [](int v) { return test::codeText({static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)}, 0, 2); };
  // Jump addresses are absolute; UHRZEIT goes out as UHRZEIT5 (15); "%" names K's entry + 8.
  EXPECT_EQ(bytesAt(out, s + 1, s + out.codeSize),
            "BD BE " + hi(s + 1 + 14) + " " + hi(s + 1 + 22) + " 26 00 0F 3D 26 00 0B BF BD D5 28 25 " +
                hi(kEntry + 8) + " 29 C1 BD FC");
  // The Knopf state has no pointer in front and the entry's state address is 0.
  EXPECT_EQ(wordAt(out, kEntry + 15), 0);
  EXPECT_EQ(wordAt(out, 0x1004), 0xFFFE);
}

TEST(Image, InitObjectAndHardwareAddressingOfBothFamilies) {
  TPSContr out1 = createStation("Aus");
  out1.CKind = "MXB2";
  out1.CPLeitg = 1;
  out1.CPAdrA = 1;
  out1.CPAdr = {10, 0, 0, 0};
  out1.CPDevAnz = 1;
  out1.slots[0].CNam = "Dev";
  out1.slots[0].CZAnOn = 5;
  TPSContr in = out1;
  in.CName = "Ein";
  in.CKind = "40612x";
  in.slots[0].CNam = "In";
  in.slots[0].CFkt = 3;

  TPSObj init = createObject("*INIT");
  init.Typ = "Undefiniert";
  init.ACode = 255;
  TPSObj sender = test::programObject("S", "Lampe", "aus");
  sender.SndDev = "Dev";
  TPSObj receiver = test::programObject("R", "Lampe", "aus");
  receiver.RcvDev = "In";
  Project p = test::lampProject({init, sender, receiver});
  p.stations = {out1, in};

  struct Case {
    int line;
    int typeCode;
    const char* sender;
    const char* receiver;
  };
  const Case cases[] = {
      {__LINE__, 124, "00 00 00 01 0A 05", "01 0A 05 00 00 00"},
      {__LINE__, 125, "01 0A 05 00 01 01", "01 0A 05 00 04 02"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Project copy = p;
    const CompileOutput out = compileImage(copy, c.typeCode);
    ASSERT_EQ(out.result.code, 0);
    EXPECT_EQ(bytesAt(out, out.objects[1].entryAddress + 2, out.objects[1].entryAddress + 7), c.sender);
    EXPECT_EQ(bytesAt(out, out.objects[2].entryAddress + 2, out.objects[2].entryAddress + 7), c.receiver);
    // *INIT runs last in the order (priority 255) and is named in the header.
    EXPECT_EQ(out.order.back(), 0);
    EXPECT_EQ(wordAt(out, out.imageBase + 4), out.objects[0].entryAddress + 8);
  }
}

TEST(Image, OldestUnitStartsHigherAndFilesFollowTheExtension) {
  Project p = test::lampProject({test::programObject("L", "Lampe", "an")});
  const CompileOutput out = compileImage(p, 11);
  ASSERT_EQ(out.result.code, 0);
  EXPECT_EQ(out.imageBase, 0x3000);
  EXPECT_EQ(wordAt(out, 0x3006) - 0x3000, 0x1083 - 0x1000);  // same layout, moved up
  const std::string spa = imageFileBytes(out, "prog.spa");
  ASSERT_EQ(spa.size(), 65501u);
  EXPECT_EQ(spa[0x2FFF], '\0');
  EXPECT_EQ(static_cast<unsigned char>(spa[0x3000]), 0x30);
  EXPECT_EQ(static_cast<unsigned char>(spa[28671]), 0xFF);
  EXPECT_EQ(spa[28672], '\0');
  const std::string plain = imageFileBytes(out, "prog.bin");
  ASSERT_EQ(plain.size(), static_cast<std::size_t>(out.imageSize + 1));
  EXPECT_EQ(plain.back(), ' ');
}

}  // namespace
}  // namespace kelvaro
