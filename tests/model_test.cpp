// The model's algorithms: name rule, type-state look-ups, state bitmaps and where they are
// found, shutter codes, hardware assignment and the small list operations.
#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "model/bitmap_search.h"
#include "model/hardware_assignment.h"
#include "model/name_rule.h"
#include "model/object_types.h"
#include "model/project.h"
#include "model/type_states.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "support/temp_dir.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

std::vector<TypeStateEntry> typeStates(std::initializer_list<const char*> entries) {
  std::vector<TypeStateEntry> list;
  for (const char* e : entries) list.push_back({e, std::nullopt});
  return list;
}

TEST(NameRule, AcceptsAndRefusesWithTheRightMessage) {
  const std::map<std::string, NameCheck, std::less<>> checks = {
      {"valid", NameCheck::Valid}, {"too long", NameCheck::TooLong}, {"invalid", NameCheck::Invalid}};
  for (const test::CaseRow& row : test::dataCases("model_cases.txt", "names")) {
    SCOPED_TRACE("model_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 2u);
    const std::string& name = row.fields[0];
    const NameCheck expected = checks.at(row.fields[1]);
    EXPECT_EQ(checkName(name), expected);
    test::FakeUserInterface ui;
    EXPECT_EQ(validName(ui, name), expected == NameCheck::Valid);
    if (expected == NameCheck::Valid) {
      EXPECT_TRUE(ui.messages.empty());
      continue;
    }
    ASSERT_EQ(ui.messages.size(), 1u);
    const Message& m = ui.messages[0];
    EXPECT_EQ(m.kind, MessageKind::Error);
    EXPECT_EQ(m.buttons, MessageButtons::OkHelp);
    EXPECT_EQ(m.helpContext, 100);
    EXPECT_EQ(toUtf8(m.text), expected == NameCheck::TooLong ? std::string("Maximal 32 Zeichen zulässig")
                                                             : toUtf8(name) + "\r ist kein gültiger Name");
  }
}

TEST(TypeStates, LookupsWalkTheListInOrder) {
  // Lampe comes back after Dimmer: its states count on, and its second run counts as a type of its own.
  const auto list = typeStates({"Lampe:aus", "Lampe:an", "Tuer:zu", "Tuer:offen", "Dimmer:aus", "Dimmer:halb",
                                "Dimmer:voll", "Dimmer:hell", "Dimmer:max", "Lampe:Abcdefghijklmnopqrst1",
                                "Lampe:Abcdefghijklmnopqrst2", "Kipp:x"});
  for (const test::CaseRow& row : test::dataCases("model_cases.txt", "states")) {
    SCOPED_TRACE("model_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 4u);
    EXPECT_EQ(stateIndex(list, row.fields[0], row.fields[1]), std::stoi(row.fields[2]));
    EXPECT_EQ(statePosition(list, row.fields[0], row.fields[1]), std::stoi(row.fields[3]));
  }
  EXPECT_EQ(typeOrdinal(list, "Lampe"), 1);
  EXPECT_EQ(typeOrdinal(list, "Dimmer"), 3);
  EXPECT_EQ(typeOrdinal(list, "Kipp"), 5);
  EXPECT_EQ(typeOrdinal(list, "Fehlt"), 5);
  EXPECT_EQ(stateAt(list, "Tuer", 1), "offen");
  EXPECT_EQ(stateAt(list, "Tuer", 2), "");  // the entry belongs to Dimmer
  EXPECT_EQ(stateAt(list, "Kipp", 1), "");  // past the end of the list
  EXPECT_EQ(stateAt(list, "Fehlt", 0), "");
}

// A shutter's start value and conversion codes follow its states; set up twice, no stale codes pile up.
TEST(StateBitmaps, SyncSetsCountTypeClassAndShutterCodes) {
  struct Case {
    int line;
    const char* type;
    std::vector<TypeStateEntry> states;
    int ctZust;
    int objTypO;
    const char* codes;  // start value and conversion list of a shutter
  };
  const Case cases[] = {
      {__LINE__, "Lampe", typeStates({"Lampe:aus", "Lampe:an"}), 2, kTypeClassTwoState, ""},
      {__LINE__, "Dimmer", typeStates({"Dimmer:aus", "Dimmer:halb", "Dimmer:an"}), 3, kTypeClassGeneral, ""},
      {__LINE__, "Jalousie", typeStates({"Jalousie:oben", "Jalousie:unten"}), 2, kTypeClassShutter, "oben 253 252"},
      {__LINE__, "jalousie", typeStates({"jalousie:oben", "jalousie:unten"}), 2, kTypeClassTwoState, ""},
      {__LINE__, "Rolllade", typeStates({"Rolllade:oben", "Rolllade:halb", "Rolllade:unten"}), 3, kTypeClassShutter,
       "oben 253 4 252"},
      {__LINE__, "Tuer", typeStates({"Tuer:zu", "Tuer:offen"}), 2, kTypeClassDoor, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    TPSObj object = createObject("X");
    object.Typ = c.type;
    syncStateBitmaps(object, c.states, c.type);
    EXPECT_EQ(object.CtZust, c.ctZust);
    EXPECT_EQ(object.ObjTypO, c.objTypO);
    setUpShutterCodes(object);
    setUpShutterCodes(object);
    std::string codes = object.ExtTrans ? object.StartVal : "";
    for (const auto& code : object.ExtTransList) codes += " " + code;
    EXPECT_EQ(codes, c.codes);
  }
}

TEST(StateBitmaps, ResyncKeepsOwnBitmapsOfRemainingStatesAndCopiesStandardOnes) {
  std::vector<TypeStateEntry> states = {
      {"Lampe:aus", TBitmapNam{"AUS.BMP", 1, 0}},
      {"Lampe:an", TBitmapNam{"AN.BMP", 1, 0}},
      {"Lampe:blinkt", std::nullopt},
  };
  TPSObj object = createObject("Flur");
  object.Typ = "Lampe";
  object.stateBitmaps = {{"AN", TBitmapNam{"/home/x/MEIN.BMP", 0, 1}}, {"blinkt", TBitmapNam{"B.BMP", 1, 1}}};
  states.erase(states.begin() + 2);  // the type lost its state "blinkt"
  syncStateBitmaps(object, states, "Lampe");

  // The object's own bitmap survives, found ignoring case, and keeps its entry's name.
  EXPECT_EQ(test::stateBitmapText(object.stateBitmaps), "aus=AUS.BMP/1/0 AN=/home/x/MEIN.BMP/0/1");
  EXPECT_EQ(object.CtZust, 2);

  keepOwnBitmaps(object);
  EXPECT_EQ(test::stateBitmapText(object.stateBitmaps), "AN=/home/x/MEIN.BMP/0/1");
}

// The kind of each type is seen in the object editor's type choice, one row per kind.
TEST(ObjectKinds, HardwareRoleFromTheType) {
  const std::vector<std::string> types = {"Lampe;1", "Taster;0", "Kaputt"};
  EXPECT_EQ(hardwareRoleOfType(types, "Lampe"), 1);
  EXPECT_EQ(hardwareRoleOfType(types, "taster"), 0);
  EXPECT_EQ(hardwareRoleOfType(types, "Kaputt"), 4);
}

TPSContr station(const char* name, const char* kind, std::uint8_t address,
                 std::initializer_list<std::pair<const char*, int>> slots) {
  TPSContr s = createStation(name);
  s.CKind = kind;
  s.CMPKind = "Schalten";
  s.CPLeitg = 3;
  s.CPAdrA = 2;
  s.CPAdr = {address, 7, 0, 0};
  int k = 0;
  for (const auto& [device, channel] : slots) {
    s.slots[static_cast<std::size_t>(k)].CNam = device;
    s.slots[static_cast<std::size_t>(k)].CZAnOn = channel;
    s.slots[static_cast<std::size_t>(k)].CFkt = 40 + k;
    ++k;
  }
  s.CPDevAnz = k;
  return s;
}

// What the assignment left in the object, as one line.
std::string hardwareText(const TPSObj& o) {
  const HardwareWork& h = o.hardware;
  return "code " + std::to_string(h.deviceCode) + " ch " + std::to_string(h.sendChannel) + "/" +
         std::to_string(h.receiveChannel) + " further " + std::to_string(h.furtherCount) + " mode " +
         std::to_string(h.channelMode) + " snd " + std::to_string(o.Snd.LineNo) + "/" + std::to_string(o.Snd.AdrA) +
         "/" + std::to_string(o.Snd.Adr[0]) + " rcv " + std::to_string(o.Rcv.LineNo) + "/" +
         std::to_string(o.Rcv.AdrA) + "/" + std::to_string(o.Rcv.Adr[0]) + " ext " + std::to_string(o.Extern) +
         (h.timeoutFlag ? " timeout" : "");
}

TEST(HardwareAssignment, DeviceCodesChannelsAndHeaders) {
  for (const test::CaseRow& row : test::dataCases("model_cases.txt", "hardware")) {
    SCOPED_TRACE("model_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 5u);
    TPSObj object = createObject("O");
    object.SndDev = row.fields[1];
    object.RcvDev = row.fields[2];
    object.Extern = 1;
    object.hardware.timeoutFlag = true;
    object.Snd.LineNo = 5;
    std::vector<TPSContr> stations = {station("S", row.fields[0].c_str(), 9, {{"Other", 1}, {"Dev", 5}})};
    stations[0].CPDevAnz = std::stoi(row.fields[3]);
    assignHardware(object, stations);
    EXPECT_EQ(hardwareText(object), row.fields[4]);
  }
}

TEST(HardwareAssignment, LaterMatchesOverwriteAndReceiveFollowsSend) {
  TPSObj object = createObject("O");
  object.SndDev = "Dev";
  object.RcvDev = "Dev";
  std::vector<TPSContr> stations = {station("A", "MXB2", 1, {{"Dev", 2}}), station("B", "40612x", 4, {{"Dev", 6}})};
  stations[1].CMPKind = "Daten";
  assignHardware(object, stations);
  // Station B matched last; its receive side (26 with the further count) was applied after its send side.
  EXPECT_EQ(hardwareText(object), "code 26 ch 6/6 further 40 mode 0 snd 3/2/4 rcv 3/2/4 ext 1");
}

TEST(ProjectLists, TypesStaySortedAndTypesAndViewsUniqueIgnoringCase) {
  Project project;
  EXPECT_TRUE(addType(project, "Tuer;2"));
  EXPECT_TRUE(addType(project, "lampe;1"));
  EXPECT_TRUE(addType(project, "Rolllade;1"));
  EXPECT_FALSE(addType(project, "LAMPE;1"));
  EXPECT_TRUE(addType(project, "Lampe;0"));  // another entry text, so a new entry
  EXPECT_EQ(project.types, (std::vector<std::string>{"Lampe;0", "lampe;1", "Rolllade;1", "Tuer;2"}));
  rebuildTypeNames(project);
  EXPECT_EQ(project.typeNames, (std::vector<std::string>{"Lampe", "lampe", "Rolllade", "Tuer"}));
  EXPECT_TRUE(addView(project, "Erdgeschoss"));
  EXPECT_FALSE(addView(project, "ERDGESCHOSS"));
}

TEST(BitmapSearch, BitmapDirectoryThenBesideTheProjectThenItsBmpFolder) {
  test::TempDir dir;
  for (const char* d : {"Bilder", "haus/BMP", "anderswo"}) std::filesystem::create_directories(dir.file(d));
  for (const char* f : {"Bilder/IN_DIR.BMP", "haus/BESIDE.BMP", "haus/BMP/INBMP.BMP", "haus/BOTH.BMP",
                        "haus/BMP/BOTH.BMP", "anderswo/ABS.BMP"})
    test::writeFile(dir.file(f), "x");
  const std::string bitmapDir = dir.file("Bilder") + "/";
  const std::string project = dir.file("haus/HAUS.SPG");
  for (const test::CaseRow& row : test::dataCases("model_cases.txt", "bitmaps")) {
    SCOPED_TRACE("model_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 4u);
    const std::string name = row.fields[0].starts_with("~/") ? dir.file(row.fields[0].substr(2)) : row.fields[0];
    const BitmapLocation location = findBitmap(name, std::stoi(row.fields[1]), bitmapDir, project);
    EXPECT_EQ(location.path, dir.file(row.fields[2]));
    EXPECT_EQ(location.found, row.fields[3] == "yes");
  }
  EXPECT_EQ(findBitmap("", 1, bitmapDir, project).path, "");
  EXPECT_FALSE(findBitmap("", 1, bitmapDir, project).found);
}

}  // namespace
}  // namespace kelvaro
