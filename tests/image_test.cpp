// The control unit's program image, byte for byte on small projects.
#include <gtest/gtest.h>

#include <fstream>

#include "language/compiler.h"
#include "language/image.h"
#include "model/project.h"
#include "support/project_builder.h"
#include "support/token_text.h"

namespace kelvaro {
namespace {

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

// The hex bytes of a golden file under tests/data, its lines joined by blanks; lines starting
// with "#" explain the layout and are left out.
std::string golden(const char* name) {
  std::ifstream in(std::string(KELVARO_SOURCE_DIR) + "/tests/data/" + name);
  EXPECT_TRUE(in) << name;
  std::string line, hex;
  while (std::getline(in, line))
    if (!line.empty() && line[0] != '#') hex += (hex.empty() ? "" : " ") + line;
  return hex;
}

TEST(Image, OneLampLaidOutByHand) {
  Project p = test::lampProject({test::programObject("L", "Lampe", "an")});
  const CompileOutput out = compileImage(p);
  ASSERT_EQ(out.result.code, 0);
  EXPECT_EQ(out.imageBase, 0x1000);
  EXPECT_EQ(out.codeAddressBase, 0x1046);
  EXPECT_EQ(out.imageSize, 0x15E);
  EXPECT_EQ(bytesAt(out, 0x1000, 0x1000 + out.imageSize), golden("image_one_lamp.txt"));
  EXPECT_EQ(memoryUsePercent(out), 1);  // 100 × 350 / 24575
}

TEST(Image, AStartValueThatIsNoStateStartsInTheFirstState) {
  Project unknown = test::lampProject({test::programObject("L", "Lampe", "kaputt")});
  Project first = test::lampProject({test::programObject("L", "Lampe", "aus")});
  const CompileOutput out = compileImage(unknown);
  ASSERT_EQ(out.result.code, 0);
  EXPECT_EQ(out.image, compileImage(first).image);
}

TEST(Image, EveryVariableKindAndTypedLiterals) {
  TPSObj a = test::programObject("A", "Lampe", "aus");
  a.varDefs = {test::varDef("N", "Zahl", "300"), test::varDef("T", "Zeichen", "ab"), test::varDef("H", "Uhr", "07:00"),
               test::varDef("D", "Datum", "01.02.26")};
  for (const char* line : {"CT:=\"12:30\"", "WENN UHRZEIT = \"**:30:00\" DANN", "ENDEWENN",
                           "WENN DATUM = \"24.12.26\" DANN", "ENDEWENN", "N:=\"5\""})
    a.program.push_back(std::string("-") + line);
  Project p = test::lampProject({a});
  const CompileOutput out = compileImage(p);
  ASSERT_EQ(out.result.code, 0);
  EXPECT_EQ(bytesAt(out, 0x1032, out.codeAddressBase), golden("image_variable_kinds.txt"));
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
  // An HMS100 TF sensor on line 4: newer units get its channel behind two address bytes.
  TPSContr sensorLine = in;
  sensorLine.CName = "Sensor";
  sensorLine.CKind = "HMS100 TF";
  sensorLine.CPLeitg = 4;
  sensorLine.CPAdr = {20, 30, 40, 0};
  sensorLine.slots[0].CNam = "Fuehler";
  sensorLine.slots[0].CZAnOn = 7;

  TPSObj init = createObject("*INIT");
  init.Typ = "Undefiniert";
  init.ACode = 255;
  TPSObj sender = test::programObject("S", "Lampe", "aus");
  sender.SndDev = "Dev";
  TPSObj receiver = test::programObject("R", "Lampe", "aus");
  receiver.RcvDev = "In";
  TPSObj sensor = test::programObject("F", "Lampe", "aus");
  sensor.RcvDev = "Fuehler";
  Project p = test::lampProject({init, sender, receiver, sensor});
  p.stations = {out1, in, sensorLine};

  struct Case {
    int line;
    int typeCode;
    const char* sender;
    const char* receiver;
    const char* sensor;
  };
  const Case cases[] = {
      {__LINE__, 124, "00 00 00 01 0A 05", "01 0A 05 00 00 00", "04 14 07 00 00 00"},
      {__LINE__, 125, "01 0A 05 00 01 01", "01 0A 05 00 04 02", "04 14 1E 07 04 02"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Project copy = p;
    const CompileOutput out = compileImage(copy, c.typeCode);
    ASSERT_EQ(out.result.code, 0);
    EXPECT_EQ(bytesAt(out, out.objects[1].entryAddress + 2, out.objects[1].entryAddress + 7), c.sender);
    EXPECT_EQ(bytesAt(out, out.objects[2].entryAddress + 2, out.objects[2].entryAddress + 7), c.receiver);
    EXPECT_EQ(bytesAt(out, out.objects[3].entryAddress + 2, out.objects[3].entryAddress + 7), c.sensor);
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
