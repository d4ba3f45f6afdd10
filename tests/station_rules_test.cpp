// The station dialog's rules: address checks and their messages, the channel panel's OK,
// offline group addresses and the battery list.
#include "app/station_rules.h"
#include "app/station_layout.h"

#include <gtest/gtest.h>

#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

using test::FakeUserInterface;

std::string text(const std::optional<std::string>& message) { return message ? toUtf8(*message) : "-"; }

TEST(StationRules, AddressChecksAndTheirMessages) {
  const char* const kStation =
      "Adressen zwischen 1 und 3 werden intern verwendet,\rdie größte zulässige Adresse ist 253";
  const char* const kGroup = "Gruppenadressen müssen zwischen 4 und 254 liegen";
  struct Row { int line; int value; const char* type; int kept; const char* message; };
  const Row station[] = {
      {__LINE__, 0, "", 0, "-"},     {__LINE__, 3, "", 0, kStation},   {__LINE__, 4, "", 4, "-"},
      {__LINE__, 253, "", 253, "-"}, {__LINE__, 254, "", 0, kStation},
  };
  for (const auto& r : station) {
    SCOPED_TRACE(r.line);
    const AddressCheck c = checkNewStationAddress(r.value);
    EXPECT_EQ(c.value, r.kept);
    EXPECT_EQ(text(c.message), r.message);
  }
  const Row group[] = {
      {__LINE__, 3, "MXB2", 0, kGroup},  {__LINE__, 3, "MXSA", 3, "-"},      {__LINE__, 4, "MXB2", 4, "-"},
      {__LINE__, 254, "MXB2", 254, "-"}, {__LINE__, 255, "MXSA", 0, kGroup},
  };
  for (const auto& r : group) {
    SCOPED_TRACE(r.line);
    const AddressCheck c = checkGroupAddress(r.value, r.type);
    EXPECT_EQ(c.value, r.kept);
    EXPECT_EQ(text(c.message), r.message);
  }

  EXPECT_TRUE(validGroupPort(1) && validGroupPort(8));
  EXPECT_FALSE(validGroupPort(0) || validGroupPort(9));

  const char* const kFs20 = "Adresse ungültig - siehe Bedienungsanleitung des Gerätes";
  using F = RadioAddressFormat;
  struct RadioRow { int line; F format; const char* address; const char* message; };
  const RadioRow radio[] = {
      {__LINE__, F::FS20, "12341234-4321", "-"},
      {__LINE__, F::FS20, "12341234-4325", kFs20},  // a 5
      {__LINE__, F::FS20, "1234123-41234", kFs20},  // "-" at 8
      {__LINE__, F::FS20, "12341234-432", kFs20},
      {__LINE__, F::Number, "3", "Adresse muss zwischen 4 und 65535 liegen"},
      {__LINE__, F::Number, "4", "-"},
      {__LINE__, F::Number, "65535", "-"},
      {__LINE__, F::Number, "65536", "Adresse muss zwischen 4 und 65535 liegen"},
      {__LINE__, F::CodeDash, "1234-255", "-"},
      {__LINE__, F::CodeDash, "1234-256", "Adresse ungültig - Das Format für dieses Gerät ist 9999-99"},
      {__LINE__, F::FourDigits, "0000", "-"},
      {__LINE__, F::FourDigits, "12a4", "Adresse ungültig - 4 Stellen von 0000-9999 erforderlich"},
  };
  for (const auto& r : radio) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(text(checkRadioAddress(r.format, r.address)), r.message);
  }
}

// A radio device's address bytes shown in its type's form and typed back: FS20 digits 1 to 4
// in groups of four, the room controller's code and third byte, HMS100 four digits.
TEST(StationRules, RadioAddressFormsRoundTrip) {
  struct Row {
    int line, type;
    const char* text;
    const char* bytes;  // "-": the text does not fit the form
  };
  const Row rows[] = {
      {__LINE__, 201, "12211112-1112", "20.1.1"},   {__LINE__, 401, "44444444-1114", "255.255.3"},
      {__LINE__, 401, "11111111-1111", "0.0.0"},    {__LINE__, 201, "12211112-1115", "-"},
      {__LINE__, 201, "1221111-11121", "-"},        {__LINE__, 301, "4001-07", "40.1.7"},
      {__LINE__, 301, "4001-256", "-"},             {__LINE__, 551, "8448", "33.0.0"},
      {__LINE__, 551, "844", "-"},           {__LINE__, 551, "84a8", "-"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    const StationType& type = *stationType(r.type);
    const auto bytes = radioAddressBytes(type.addressFormat, r.text);
    EXPECT_EQ(bytes ? std::to_string((*bytes)[0]) + "." + std::to_string((*bytes)[1]) + "." +
                          std::to_string((*bytes)[2])
                    : "-",
              r.bytes);
    if (!bytes) continue;
    TPSContr station;
    setStationType(station, type);
    std::copy(bytes->begin(), bytes->end(), station.CPAdr.begin());
    EXPECT_EQ(radioAddressText(station), r.text);
  }
}

TEST(StationRules, NextFreeAddressSkipsWiredStationsOnly) {
  Project p;
  for (std::uint8_t a : {4, 5, 7}) p.stations.push_back(test::deviceStation("W", "MXB2", 1, a));
  p.stations.push_back(test::deviceStation("R", "FS20 Schaltaktor", 4, 6));
  EXPECT_EQ(nextFreeStationAddress(p), 6);
  for (int a = 6; a <= 253; ++a)
    p.stations.push_back(test::deviceStation("W", "MXB2", 1, static_cast<std::uint8_t>(a)));
  EXPECT_EQ(nextFreeStationAddress(p), std::nullopt);
}

// A channel as one line: name, group address, port, function, values, offline mark.
std::string slotText(const DeviceSlot& s) {
  return s.CNam + " " + std::to_string(s.adr[0]) + "/" + std::to_string(s.CCon) + " f" + std::to_string(s.CFkt) + " " +
         std::to_string(s.CEIntW1) + "," + std::to_string(s.CEIntW2) + " '" + std::string(1, s.COfflB) + "'";
}

TEST(StationRules, ChannelPanelStoresByType) {
  const ChannelPanel panel{"", 2, 10, 3, 5, -6, 7, 8, 9, true, "Lampe"};
  struct Row { int line; const char* model; int code; std::uint8_t cPArt; int k; const char* slot; const char* devices; };
  const Row rows[] = {
      // An actor (HdwTyp 1) sends; the offline slot (CDevArt 2) takes the second value and the mark.
      {__LINE__, "MXB2", 2, 0, 5, "Lampe 10/3 f2 5,-6 'X' | 8", "Lampe/"},
      {__LINE__, "40611x", 21, 0, 5, "Lampe 10/3 f2 5,134 'X' | 8", "Lampe/"},
      {__LINE__, "40611x", 21, 0, 1, "Lampe 10/3 f2 0,0 ' ' | 8", "Lampe/"},  // not offline: no values
      {__LINE__, "40612x", 26, 0, 5, "Lampe 10/3 f2 5,134 'X' | slot 1 f1 | 8", "Lampe/"},
      {__LINE__, "40612x", 26, 0, 1, "Lampe 10/3 f2 5,0 ' ' | slot 1 f2 | 8",
       "Lampe/"},  // not offline: no second value
      // The push-button keeps its patterns in the next two slots, and connects nothing.
      {__LINE__, "MFB1", 7, 0, 1, "Taster 10/3 f0 5,-6 ' ' | 7,8 9 | 1", "/"},
      {__LINE__, "MFB1", 7, 0, 8, "Taster 10/3 f0 5,-6 ' ' | 1", "/"},
      {__LINE__, "FS20 Schaltaktor", 201, 2, 1, "Taster 0/0 f0 0,0 ' ' | 1", "Lampe/"},
      {__LINE__, "FS20 Taster/Sensor", 401, 0, 1, "Taster 0/0 f0 0,0 ' ' | 1", "/Lampe"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    Project p = test::lampProject({test::lampObject("Lampe"), test::lampObject("Alt")});
    p.objects[0].HdwTyp = 1;
    p.objects[1].RcvDev = "Lampe";
    TPSContr s = createStation("Taster");
    s.CKind = r.model;
    s.CKindi = r.code;
    s.CPArt = r.cPArt;
    for (auto& slot : s.slots) slot.COfflB = ' ';
    s.slots[4].CDevArt = 2;
    FakeUserInterface ui;
    storeChannel(p, s, r.k, panel, ui);
    const std::size_t k = static_cast<std::size_t>(r.k - 1);
    std::string stored = slotText(s.slots[k]);
    if (r.code == 7 && k < 7)
      stored += " | " + std::to_string(s.slots[k + 1].CEIntW1) + "," + std::to_string(s.slots[k + 1].CEIntW2) + " " +
                std::to_string(s.slots[k + 2].CEIntW1);
    if (r.code == 26) stored += " | slot 1 f" + std::to_string(s.slots[0].CFkt);
    EXPECT_EQ(stored + " | " + std::to_string(s.CPDevAnz), r.slot);
    EXPECT_EQ(p.objects[0].SndDev + "/" + p.objects[0].RcvDev, r.devices);
    // A connection takes the channel from every other object, with one message for each.
    const bool connected = std::string(r.devices) != "/";
    EXPECT_EQ(p.objects[1].RcvDev + p.objects[1].SndDev, connected ? "" : "Lampe");
    EXPECT_EQ(ui.messageTexts(),
              connected
                  ? std::vector<
                        std::string>{"Die vorher bestehende Zuordnung dieses Anschlusses zum Objekt Alt wurde gelöscht"}
                  : std::vector<std::string>{});
    EXPECT_TRUE(p.modified);
    // Opened again, the panel shows what was typed where the type keeps it.
    const ChannelPanel shown = channelPanelFor(p, s, r.k);
    if (r.k == 5) {
      EXPECT_EQ(std::to_string(shown.CESBox3) + "," + std::to_string(shown.CESBox4) + (shown.CECkBox ? " X " : " ") +
                    shown.ObjCB,
                "5,-6 X Lampe");
    }
    if (r.code == 7 && r.k == 1) {
      EXPECT_EQ(std::to_string(shown.CESBox5) + std::to_string(shown.CESBox7), "79");
    }
  }
}

// A wired station on a line whose slot n (1..8) is named prefix + n and carries group address 4 + n.
TPSContr lineStation(const std::string& prefix, int line, int firstAddress) {
  TPSContr s = test::deviceStation(prefix.c_str(), "MXB2", 1, 9);
  s.CLine = line;
  for (int n = 0; n < kSlotsPerStation; ++n) {
    s.slots[static_cast<std::size_t>(n)].CNam = prefix + std::to_string(n + 1);
    s.slots[static_cast<std::size_t>(n)].adr[0] = static_cast<std::uint8_t>(firstAddress + n);
    s.slots[static_cast<std::size_t>(n)].CCon = 3;
  }
  return s;
}

TPSObj groupObject(const char* name, const std::string& device, const char* group) {
  TPSObj o = test::deviceObject(name, "Lampe", true);
  o.SndDev = device;
  o.Group = group;
  return o;
}

TEST(StationRules, GroupAddressesPerLineWithDoublesIgnored) {
  // Flur spans both lines: line 2's new group Bad must not take Flur's address there. Line 1
  // opens two groups, which need two addresses.
  Project p = test::lampProject({groupObject("Eins", "A1", "Flur"), groupObject("Zwei", "A2", "Flur"),
                                 groupObject("Drei", "A1", "Bad"), groupObject("Vier", "B1", "Bad"),
                                 groupObject("Fuenf", "B2", "Flur"), groupObject("Sechs", "A3", "Keller")});
  p.stations = {lineStation("A", 1, 4), lineStation("B", 2, 200)};  // line 1 holds 7 to 11 already
  FakeUserInterface ui;
  const auto memo = generateGroupAddresses(p, ui);
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"A1 bei Objekt Drei wegen Doppelbelegung ignoriert"});
  EXPECT_EQ(memo, (std::vector<std::string>{fromUtf8("Adressen für Schaltgruppen:"), "Flur                     4/1",
                                            "Keller                   5/1", "Bad                      5/1"}));
  auto group = [&](std::size_t station, std::size_t slot) {
    const DeviceSlot& s = p.stations[station].slots[slot];
    return std::to_string(s.adr[0]) + "/" + std::to_string(s.CCon);
  };
  EXPECT_EQ(group(0, 0) + " " + group(0, 1) + " " + group(0, 2) + " " + group(1, 0) + " " + group(1, 1),
            "4/1 4/1 5/1 5/1 4/1");
  EXPECT_TRUE(p.modified);
}

TEST(StationRules, TooFewGroupAddressesLeavesTheProjectAsItWas) {
  Project p = test::lampProject({groupObject("Eins", "A1", "Flur")});
  p.stations = {lineStation("A", 1, 200)};
  for (int n = 0; n < 16; ++n) p.stations.push_back(lineStation("F" + std::to_string(n), 1, 4 + 8 * n));  // 4 to 131
  const Project before = p;
  FakeUserInterface ui;
  EXPECT_TRUE(generateGroupAddresses(p, ui).empty());
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Nicht genügend freie Adressen für Gruppen vorhanden"});
  EXPECT_EQ(slotText(p.stations[0].slots[0]), slotText(before.stations[0].slots[0]));
  EXPECT_FALSE(p.modified);
}

TEST(StationRules, BatteryListNamesTheStationsOfMarkedObjects) {
  Project p =
      test::lampProject({test::deviceObject("Rauch", "Lampe", false), test::deviceObject("Gas", "Lampe", false)});
  p.stations = {test::deviceStation("Gas", "HMS MG/PG/CO", 4, 5), test::deviceStation("Rauch", "HMS100 RM", 4, 6)};
  EXPECT_EQ(batteryListLines(p), std::vector<std::string>{"Keine Batteriewarnungen vorhanden"});
  p.objects[0].hardware.batteryFlag = true;
  EXPECT_EQ(batteryListLines(p), std::vector<std::string>{" Batterie-Warnung von Rauch"});
}

}  // namespace
}  // namespace kelvaro
