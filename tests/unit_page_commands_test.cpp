// The rules of the page "Steuereinheit": model choice, what each unit type shows, what the
// choices do to settings and unit record, and the compile-to-file service function.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "app/port_settings.h"
#include "app/program_transfer.h"
#include "app/unit_page_commands.h"
#include "app/workspace.h"
#include "storage/ini_file.h"
#include "support/temp_dir.h"

namespace kelvaro {
namespace {

TEST(UnitPageCommands, ModelChoiceGivesTheTypeCode) {
  // The list texts are compared exactly.
  const struct {
    int line;
    const char* model;
    int typeCode;
  } kRows[] = {
      {__LINE__, "CU-A2 Ver.2", 122}, {__LINE__, "CU-A2-3.00-10", 123}, {__LINE__, "RFI-RS1", 1},
      {__LINE__, "cu-a1", 99},  // the other models' codes are seen where a model is chosen below
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(modelTypeCode(r.model), r.typeCode);
  }
}

std::string visibilityText(const UnitPageVisibility& v) {
  return std::string(v.unitGroups ? "G" : "-") + (v.versionInfo ? "V" : "-") + (v.remote ? "R" : "-") +
         (v.radioSettings ? "F" : "-");
}

TEST(UnitPageCommands, WhatEachTypeShows) {
  // G: the three unit groups, V: "Version-Info", R: the remote buttons, F: radio settings.
  const struct {
    int line;
    int typeCode;
    int featureLevel;
    const char* shown;
  } kRows[] = {
      {__LINE__, 1, 110, "----"},   {__LINE__, 1, 111, "---F"},   {__LINE__, 10, 0, "----"},
      {__LINE__, 11, 0, "G---"},    {__LINE__, 122, 0, "G---"},   {__LINE__, 123, 0, "GV--"},
      {__LINE__, 124, 120, "GVR-"}, {__LINE__, 125, 110, "GVR-"}, {__LINE__, 125, 120, "GVRF"},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(visibilityText(unitPageVisibility(r.typeCode, r.featureLevel)), r.shown);
  }
}

// The unit record, the two choices in the settings and what was marked changed, as one line.
std::string stateText(Workspace& ws) {
  const UnitRecord& u = ws.unit;
  const Settings& s = ws.settings();
  return "[" + u.PortName + "][" + u.TypeName + "] " + std::to_string(u.TypeCode) + " v" + std::to_string(u.Version) +
         " f" + std::to_string(u.FeatureLevel) + ", COMPORT " + std::to_string(s.COMPORT) + " CONTR " +
         std::to_string(s.CONTR) + (s.settingsChanged ? ", settings changed" : "") +
         (ws.project.modified ? ", project modified" : "");
}

TEST(UnitPageCommands, LeavingAChoiceCopiesItsTextIntoTheUnitRecord) {
  Workspace ws;
  leavePortChoice(ws, "COM3");
  leaveModelChoice(ws, "CU/F-A2");
  EXPECT_EQ(stateText(ws), "[COM3][CU/F-A2] 0 v0 f0, COMPORT -1 CONTR -1, project modified");
  // Passing through without a change does not mark the project.
  ws.project.modified = false;
  leavePortChoice(ws, "COM3");
  leaveModelChoice(ws, "CU/F-A2");
  EXPECT_FALSE(ws.project.modified);
  leaveModelChoice(ws, "CU-A1");
  EXPECT_TRUE(ws.project.modified);
}

TEST(UnitPageCommands, ChoiceAndSettingsDescribeTheUnitUntilAnIdentificationKnowsBetter) {
  Workspace ws;
  applyUnitSettings(ws);  // nothing chosen yet
  EXPECT_EQ(stateText(ws), "[][] 0 v0 f0, COMPORT -1 CONTR -1");
  chooseModel(ws, 6);  // "CU-A1"
  EXPECT_EQ(stateText(ws), "[][] 11 v0 f0, COMPORT -1 CONTR 6, settings changed");
  ws.settings().settingsChanged = false;
  chooseModel(ws, 8);  // an index outside the list changes nothing
  EXPECT_EQ(stateText(ws), "[][] 11 v0 f0, COMPORT -1 CONTR 6");
  ws.settings().COMPORT = 1;
  ws.settings().CONTR = 0;  // "CU/F-A2"
  applyUnitSettings(ws);
  EXPECT_EQ(stateText(ws), "[COM2][CU/F-A2] 125 v0 f0, COMPORT 1 CONTR 0");
  // An identification of the same model is kept, with what it found.
  ws.unit.FeatureLevel = 120;
  ws.unit.Version = 351;
  applyUnitSettings(ws);
  EXPECT_EQ(stateText(ws), "[COM2][CU/F-A2] 125 v351 f120, COMPORT 1 CONTR 0");
  ws.settings().CONTR = 42;  // a settings file from elsewhere
  applyUnitSettings(ws);
  EXPECT_EQ(stateText(ws), "[COM2][] 0 v351 f120, COMPORT 1 CONTR 42");
}

// The port list as "current; COM1; COM2; entries after COM6", by caption.
std::string portListText(const PortList& list) {
  std::string text = list.entries[list.current].caption + "; " + list.entries[1].caption + "; " + list.entries[2].caption + ";";
  for (std::size_t i = 7; i < list.entries.size(); ++i) text += " " + list.entries[i].caption;
  return text;
}

TEST(UnitPageCommands, PortListOffersSimulatorComPortsAndDevices) {
  for (const test::CaseRow& row : test::dataCases("unit_page_cases.txt", "ports")) {
    SCOPED_TRACE("unit_page_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 4u);
    const IniFile ini = IniFile::fromText(row.fields[0] == "-" ? "" : row.fields[0]);
    std::vector<std::string> devices;
    std::istringstream found(row.fields[2] == "-" ? "" : row.fields[2]);
    for (std::string device; found >> device;) devices.push_back(device);
    EXPECT_EQ(portListText(portList(ini, std::stoi(row.fields[1]), [&devices] { return devices; })), row.fields[3]);
  }
}

TEST(UnitPageCommands, PortChoiceIsStoredSoThatOtherReadersUnderstandCOMPORT) {
  Workspace ws;
  ws.ini = IniFile::fromText("[PORTS]\nCOM1=/dev/ttyUSB0\n");
  // The first showing puts the simulator and its model on the page without a settings change.
  EXPECT_EQ(unitPortList(ws, {}).current, 0u);
  EXPECT_EQ(stateText(ws), "[SIM][CU-A2-3.20] 124 v0 f0, COMPORT -1 CONTR 3");
  const struct {
    int line;
    const char* port;
    int comPort;
    const char* entry;
  } kRows[] = {
      {__LINE__, "/dev/ttyACM0", -1, "/dev/ttyACM0"},
      {__LINE__, "COM3", 2, nullptr},
      {__LINE__, "SIM", -1, "SIM"},
      {__LINE__, "COM1", 0, nullptr},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    ws.settings().settingsChanged = false;
    storePortChoice(ws, r.port);
    EXPECT_TRUE(ws.settings().settingsChanged);
    EXPECT_EQ(ws.settings().COMPORT, r.comPort);
    EXPECT_EQ(ws.ini.value("PORTCHOICE", "PORT"), r.entry ? std::optional<std::string>(r.entry) : std::nullopt);
    EXPECT_EQ(chosenPort(ws.ini, ws.settings().COMPORT), r.port);
  }
  // A chosen model is kept on the simulator, and a real port gets no model.
  ws.settings().CONTR = 6;
  storePortChoice(ws, "SIM");
  unitPortList(ws, {});
  EXPECT_EQ(ws.settings().CONTR, 6);
  ws.settings().CONTR = -1;
  storePortChoice(ws, "COM1");
  unitPortList(ws, {});
  EXPECT_EQ(ws.settings().CONTR, -1);
}

TEST(UnitPageCommands, ConfigurationFieldsMarkTheSettingsOnlyWhenChanged) {
  const struct {
    int line;
    UnitSettingField field;
    std::string Settings::*setting;
  } kRows[] = {
      {__LINE__, UnitSettingField::ModemInit, &Settings::MODEMINIT},
      {__LINE__, UnitSettingField::ModemConnect, &Settings::MODEMCON},
      {__LINE__, UnitSettingField::RemotePassword, &Settings::REMOTEPW},
      {__LINE__, UnitSettingField::ClockCorrection, &Settings::CLOCKCOR},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    Workspace ws;
    const std::string before = ws.settings().*r.setting;
    editUnitSetting(ws, r.field, before);
    EXPECT_FALSE(ws.settings().settingsChanged);
    editUnitSetting(ws, r.field, before + "X");
    EXPECT_EQ(ws.settings().*r.setting, before + "X");
    EXPECT_TRUE(ws.settings().settingsChanged);
  }
}

TEST(UnitPageCommands, ServiceCodeIsExact) {
  EXPECT_TRUE(isServiceCode("WARTUNG"));
  EXPECT_FALSE(isServiceCode("wartung"));
}

TEST(UnitPageCommands, ImageFileNameIsCutAfterTheFirstDot) {
  for (const test::CaseRow& row : test::dataCases("unit_page_cases.txt", "image file")) {
    SCOPED_TRACE("unit_page_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 2u);
    EXPECT_EQ(imageFileName(row.fields[0]), row.fields[1]);
  }
}

TEST(UnitPageCommands, SunWeeksAreTheWeeklyTableOfTheYear) {
  SunSettings sun;
  const SunTableResult table = SunTable(2026, true, sun);
  ASSERT_TRUE(table.error.empty()) << table.error;
  const std::vector<SunWeek> weeks = sunWeeks(2026, true, sun);
  ASSERT_EQ(weeks.size(), table.entries.size());
  EXPECT_EQ(std::memcmp(weeks.data(), table.entries.data(), sizeof table.entries), 0);
  sun.latitude = 123.0;  // off the globe: no table rather than midnight in every week
  EXPECT_TRUE(sunWeeks(2026, true, sun).empty());
}

}  // namespace
}  // namespace kelvaro
