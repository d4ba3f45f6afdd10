// The project file: exact writer output, lossless round trips, the reader's rules for every
// section, merging, missing files, failed saves and robustness against arbitrary bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <sstream>

#include "model/project.h"
#include "storage/project_file.h"
#include "storage/project_file_format.h"
#include "support/fake_user_interface.h"
#include "support/temp_dir.h"

namespace kelvaro {
namespace {

using test::FakeUserInterface;
using test::readFile;
using test::TempDir;
using test::writeFile;

// Lines joined with CR LF, each line ended, as the writer produces them.
std::string crlf(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (auto l : lines) (out += l) += "\r\n";
  return out;
}

Project readText(std::string_view text, ReadStatus expected = ReadStatus::Complete) {
  Project p;
  EXPECT_EQ(readProjectText(p, text), expected);
  return p;
}

// A stored project file under tests/data.
std::string storedFile(std::string_view name) {
  return readFile(std::string(KELVARO_SOURCE_DIR) + "/tests/data/" + std::string(name));
}

TEST(ProjectFileWriter, EmptyProjectHasEverySectionButTheStations) {
  EXPECT_EQ(projectFileText(Project{}),
            crlf({"@Init", " BackColor=-1", "@Typs", "@TypState", "@ConstList", "@GrpList", "@E"}));
}

TEST(ProjectFileWriter, WindowStateOrPositionInNumberGroupsOfFiveCharacters) {
  struct Case {
    int line;
    std::uint8_t state;
    WindowPosition pos;
    std::string written;  // the end of the @Init section
  };
  const Case cases[] = {
      {__LINE__, 0, {80, 0, 600, 400}, " ExeWinPos=00080000000060000400\r\n"},
      {__LINE__, 0, {-8, -80, 1, 99999}, " ExeWinPos=000-800-800000199999\r\n"},
      {__LINE__, 0, {-1234, 12345, 1, 1}, " ExeWinPos=-12341234500001" "00001\r\n"},
      // Beyond five characters a number is held at the edge instead of shifting its neighbours.
      {__LINE__, 0, {123456, -10000, 7, 8}, " ExeWinPos=99999-99990000700008\r\n"},
      {__LINE__, 2, {1, 2, 3, 4}, " ExeWinStat=2\r\n"},  // the window state wins over the position
      {__LINE__, 0, {1, 2, 0, 4}, ""},                   // width 0: no position
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Project p;
    p.ExeWinStat = c.state;
    p.ExeWinPos = c.pos;
    const std::string text = projectFileText(p);
    const std::size_t from = text.find("BackColor=-1\r\n") + 14;
    EXPECT_EQ(text.substr(from, text.find("@Typs") - from), c.written);
  }
}

// What would not come back as it was is not written as it is: a line break inside a text
// would start a line of its own, even a header; a NUL or blank offline behaviour would read
// back as another; a conversion list without its conversion switched on would be read back as
// if it counted; copies of the type's bitmaps in an object come back from the type.
TEST(ProjectFileWriter, WhatWouldNotComeBackIsNotWrittenAsItIs) {
  Project p;
  p.constants = {"a\r\n@Object=Evil"};
  TPSObj o = createObject("X");
  o.OName = "two\nlines";
  o.ExtTransList = {"1", "2"};
  o.stateBitmaps = {{"Aus", TBitmapNam{"LAMPAUS.BMP", 1, 0}}, {"An", std::nullopt}};
  p.objects.push_back(o);
  TPSContr s = createStation("S");
  s.slots[0].CDevArt = 1;  // COfflB NUL
  s.slots[1].CDevArt = 1;
  s.slots[1].COfflB = ' ';
  s.slots[2].COfflB = 'x';
  p.stations.push_back(s);
  const std::string text = projectFileText(p);
  EXPECT_NE(text.find(" a  @Object=Evil\r\n"), std::string::npos);
  EXPECT_NE(text.find(" OName=two lines\r\n"), std::string::npos);
  EXPECT_EQ(text.find('\0'), std::string::npos);
  EXPECT_EQ(text.find("COfflB=1"), std::string::npos);
  EXPECT_EQ(text.find("COfflB=2"), std::string::npos);
  EXPECT_NE(text.find(" COfflB=3x\r\n"), std::string::npos);
  EXPECT_EQ(text.find("@ExtTransList"), std::string::npos);
  EXPECT_EQ(text.find("+ZBM"), std::string::npos);
  const Project back = readText(text);
  ASSERT_EQ(back.objects.size(), 1u);
  EXPECT_TRUE(back.objects[0].ExtTransList.empty());
}

TEST(ProjectFileRoundTrip, LongStatementsComeBackCutTo250Characters) {
  Project p;
  TPSObj o = createObject("A");
  const std::string s250(250, 'x');
  o.program = {"-" + s250, "-" + s250 + "yz", "-&" + std::string(300, 'q')};
  p.objects.push_back(o);
  const Project back = readText(projectFileText(p));
  ASSERT_EQ(back.objects.size(), 1u);
  EXPECT_EQ(back.objects[0].program,
            (std::vector<std::string>{"-" + s250, "-" + s250, "-&" + std::string(249, 'q')}));
}

std::string initSummary(const Project& p) {
  std::ostringstream s;
  for (const auto& v : p.views) s << "[" << v.name << "|" << v.info.BitmapName << "|" << +v.info.NoPath << "]";
  s << " back " << p.BackColor << " stat " << +p.ExeWinStat << " pos " << p.ExeWinPos.left << "," << p.ExeWinPos.top
    << "," << p.ExeWinPos.width << "," << p.ExeWinPos.height << " ext " << p.Extern;
  return s.str();
}

std::string listSummary(const Project& p) {
  std::ostringstream s;
  for (const auto& t : p.types) s << "T[" << t << "]";
  for (const auto& t : p.typeNames) s << "N[" << t << "]";
  for (const auto& t : p.typeStates) {
    s << "S[" << t.entry;
    if (t.bitmap) s << "|" << t.bitmap->BitmapName << "|" << +t.bitmap->NoPath;
    s << "]";
  }
  for (const auto& c : p.constants) s << "C[" << c << "]";
  for (const auto& g : p.groupDefs) s << "G[" << g << "]";
  return s.str();
}

std::string objectSummary(const Project& p) {
  std::ostringstream s;
  for (const auto& o : p.objects) {
    s << "[" << o.Name << " OName=" << o.OName << " OKind=" << o.OKind << " Id=" << o.ObjIDNr << " Grp=" << o.Group
      << " ACode=" << +o.ACode << " Snd=" << o.Snd.LineNo << "/" << o.Snd.AdrA << "/" << +o.Snd.Adr[0] << "/"
      << +o.Snd.Adr[3] << " Hdw=" << o.HdwTyp << " Act=" << o.Activ << o.Beep << o.ExtActiv;
    for (const auto& b : o.stateBitmaps) {
      s << " Z(" << b.state;
      if (b.bitmap) s << "|" << b.bitmap->BitmapName << "|" << +b.bitmap->NoPath << +b.bitmap->ObjectOwn;
      s << ")";
    }
    for (const auto& l : o.program) s << " P(" << l << ")";
    for (const auto& l : o.varDefs) s << " V(" << l << ")";
    for (const auto& l : o.ExtTransList) s << " E(" << l << ")";
    if (!o.SndDev.empty()) s << " Dev=" << o.SndDev;
    for (const auto& pl : o.plans)
      if (!pl.ViewName.empty())
        s << " @(" << pl.ViewName << " " << pl.Left << "," << pl.Top << "," << pl.Width << "," << pl.Height << ")";
    s << "]";
  }
  for (const auto& g : p.groupNames) s << " group(" << g << ")";
  return s.str();
}

std::string stationSummary(const Project& p) {
  std::ostringstream s;
  for (const auto& st : p.stations) {
    s << "[" << st.CName << " " << st.CKind << " A=" << st.CPAdrA << " adr=" << +st.CPAdr[0] << "," << +st.CPAdr[3]
      << " art=" << +st.CPArt;
    for (std::size_t k = 0; k < st.slots.size(); ++k) {
      const DeviceSlot& d = st.slots[k];
      if (d.CDevArt || d.CCon || d.CZAnOn || !d.CNam.empty() || d.COfflB || d.adr[0])
        s << " " << k + 1 << "(" << +d.CDevArt << "," << d.CCon << "," << d.CZAnOn << "," << +d.adr[0] << ",["
          << d.CNam << "]," << (d.COfflB ? std::string(1, d.COfflB) : "") << ")";
    }
    s << "]";
  }
  return s.str();
}

TEST(ProjectFileReader, LineEndingsAndLengths) {
  const std::string lf = "@Object=A\n OName=B\n@Plan\n V;00001000020000300004\n@C\n";
  const std::string crlfText = "@Object=A\r\n OName=B\r\n@Plan\r\n V;00001000020000300004\r\n@C\r\n";
  const std::string noFinalBreak = "@Object=A\r\n OName=B\r\n@Plan\r\n V;00001000020000300004";
  const std::string expected = "[A OName=B OKind=  Id=0 Grp= ACode=254 Snd=0/0/0/0 Hdw=4 Act=101 @(V 1,2,3,4)]";
  EXPECT_EQ(objectSummary(readText(lf)), expected);
  EXPECT_EQ(objectSummary(readText(crlfText)), expected);
  EXPECT_EQ(objectSummary(readText(noFinalBreak)), expected);
  // Only the one CR before the line break goes; one inside the line reads as the blank it is written as.
  EXPECT_EQ(readText("@ConstList\r\n a\rb\r\r\n").constants, (std::vector<std::string>{"a b "}));
  // A line keeps 255 characters after its first.
  const Project p = readText("@ConstList\r\n " + std::string(100000, 'k') + "\r\n");
  ASSERT_EQ(p.constants.size(), 1u);
  EXPECT_EQ(p.constants[0], std::string(255, 'k'));
  // The first character is dropped whatever it is.
  EXPECT_EQ(readText("@ConstList\r\nXabc\r\n\tdef\r\n").constants, (std::vector<std::string>{"abc", "def"}));
  // A line without even that character is stored nowhere: a placement, a conversion value or
  // a group line in between empty ones reads as if they were not there.
  const std::string dense = "@Object=A\n ExtTrans=1\n@ExtTransList\n 5\n@Plan\n V;00001000020000300004\n@GrpList\n G\n";
  const std::string spaced =
      "@Object=A\n ExtTrans=1\n@ExtTransList\n\n 5\n@Plan\n\r\n V;00001000020000300004\n@GrpList\n\n G\n\r\n";
  EXPECT_EQ(projectFileText(readText(spaced)), projectFileText(readText(dense)));
  EXPECT_EQ(readText(spaced).objects[0].plans[0].ViewName, "V");
}

// The reader's rules for every section, one case a line in tests/data/project_reader_cases.txt:
// a file text and the summary of what was kept. The cases under "stopped" must stop the load;
// those under "... rewritten" must come back the same after a save.
TEST(ProjectFileReader, SectionRulesFromTheCaseFile) {
  const std::map<std::string, std::string (*)(const Project&), std::less<>> summaries = {
      {"init", initSummary},
      {"lists", listSummary},
      {"objects", objectSummary},
      {"stations", stationSummary},
      {"stopped", objectSummary}};
  const auto rows = test::caseRows(storedFile("project_reader_cases.txt"));
  for (const test::CaseRow& row : rows) {
    SCOPED_TRACE("project_reader_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 2u);
    const std::string kind = row.section.substr(0, row.section.find(' '));
    ASSERT_TRUE(summaries.contains(kind)) << row.section;
    const auto summary = summaries.find(kind)->second;
    Project p;
    const ReadStatus status = readProjectText(p, row.fields[0]);
    if (kind == "stopped") {
      EXPECT_EQ(status, ReadStatus::Stopped);
    }
    EXPECT_EQ(summary(p), row.fields[1]);
    if (row.section.ends_with(" rewritten")) {
      const std::string written = projectFileText(p);
      const Project back = readText(written);
      EXPECT_EQ(summary(back), row.fields[1]);
      EXPECT_EQ(projectFileText(back), written);
    }
  }
  EXPECT_EQ(rows.size(), 64u);  // a file that lost its end fails here
}

// The second file brings what the first does not have, ignoring case; what both have stays as
// the first had it, constants and group lines are added.
TEST(ProjectFileReader, SecondFileMergesIntoTheFirst) {
  Project p;
  EXPECT_EQ(readProjectText(p, storedFile("merge_first.SPG")), ReadStatus::Complete);
  EXPECT_EQ(readProjectText(p, storedFile("merge_second.SPG")), ReadStatus::Complete);
  EXPECT_EQ(projectFileText(p), projectFileText(readText(storedFile("merge_expected.SPG"))));
  EXPECT_EQ(p.groupNames, (std::vector<std::string>{"Flur"}));
  EXPECT_EQ(p.typeNames, (std::vector<std::string>{"Lampe", "Tor"}));
}

// The default definitions file may be missing in any case and directory; any other file,
// even one of a like name, is reported with its name as given.
TEST(ProjectFile, MissingFileIsReportedUnlessItIsTheDefinitionsFile) {
  TempDir dir;
  struct Case {
    int line;
    std::string name;
    bool reported;
  };
  const Case cases[] = {
      {__LINE__, "INIT.SPI", false},      {__LINE__, "init.spi", false}, {__LINE__, "/no/such/dir/INIT.SPI", false},
      {__LINE__, "sub\\init.SPI", false}, {__LINE__, "Haus.SPG", true},  {__LINE__, "/no/such/dir/Haus.SPG", true},
      {__LINE__, "INIT.SPI.bak", true},   {__LINE__, "INIT.SP", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    FakeUserInterface ui;
    Project p;
    p.constants = {"bleibt"};
    const ReadStatus expected = c.reported ? ReadStatus::Missing : ReadStatus::MissingSilent;
    EXPECT_EQ(readProject(p, c.name, dir.path().string(), ui), expected);
    EXPECT_EQ(p.constants, (std::vector<std::string>{"bleibt"}));
    EXPECT_EQ(ui.messageTexts(), c.reported ? std::vector<std::string>{"Datei " + c.name + " nicht gefunden"}
                                            : std::vector<std::string>{});
    for (const auto& m : ui.messages) EXPECT_EQ(m.kind, MessageKind::Error);
  }
}

TEST(ProjectFile, StoppedLoadTellsTheUserWhereAndKeepsWhatWasRead) {
  TempDir dir;
  writeFile(dir.file("Haus.SPG"), "@Object=A\r\n ObjIDNr=1\r\n@C\r\n@Object=B\r\n ObjIDNr=zwei\r\n@Object=C\r\n");
  FakeUserInterface ui;
  Project p;
  EXPECT_EQ(readProject(p, "Haus.SPG", dir.path().string(), ui), ReadStatus::Stopped);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messageTexts()[0],
            "Datei Haus.SPG, Zeile 5: ObjIDNr enthält keine gültige Zahl. Der Rest der Datei wurde nicht gelesen.");
  ASSERT_EQ(p.objects.size(), 2u);
  EXPECT_EQ(p.objects[0].ObjIDNr, 1);
}

// Bare object headers are the cheapest way to ask for much memory: a file of under a megabyte
// would otherwise become a project of gigabytes, and a file larger than the reader accepts.
TEST(ProjectFile, ProjectThatWouldOutgrowItsBudgetStopsWithAMessage) {
  TempDir dir;
  std::string bytes;
  const std::size_t objects = projectfile::kMaxProjectCost / projectfile::kObjectBaseCost + 10;
  for (std::size_t i = 0; i < objects; ++i) bytes += "@Object=O" + std::to_string(i) + "\n";
  writeFile(dir.file("Gross.SPG"), bytes);
  FakeUserInterface ui;
  Project p;
  EXPECT_EQ(readProject(p, "Gross.SPG", dir.path().string(), ui), ReadStatus::Stopped);
  ASSERT_FALSE(p.objects.empty());
  EXPECT_LT(p.objects.size(), objects);
  EXPECT_EQ(ui.messageTexts(), (std::vector<std::string>{"Datei Gross.SPG, Zeile " + std::to_string(p.objects.size() + 1) +
                                                          ": Das Projekt würde größer als 64 MB. Der Rest der Datei "
                                                          "wurde nicht gelesen."}));
  EXPECT_LE(projectFileText(p).size(), projectfile::kMaxProjectCost);
}

// One project with a value other than the default in every stored field, one with most fields
// at their defaults. Read and saved again each comes out byte for byte: a field the reader
// drops or the writer forgets, a column or a number group that moves, changes the bytes.
TEST(ProjectFile, StoredFilesComeBackByteForByte) {
  TempDir dir;
  for (const std::string name : {"full_project.SPG", "small_project.SPG"}) {
    SCOPED_TRACE(name);
    const std::string stored = storedFile(name);
    ASSERT_FALSE(stored.empty());
    FakeUserInterface ui;
    Project p = readText(stored);
    p.modified = true;
    const auto written = writeProject(p, name, dir.path().string(), ui);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, dir.file(name));
    EXPECT_FALSE(p.modified);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(readFile(*written), stored);

    // What a killed save left beside the file goes with the next load.
    writeFile(*written + ".~tmp", "@Init\r\n Ba");
    Project back;
    EXPECT_EQ(readProject(back, name, dir.path().string(), ui), ReadStatus::Complete);
    EXPECT_EQ(projectFileText(back), stored);
  }
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"full_project.SPG", "small_project.SPG"}));
}

// Where the replacement can fail is the atomic save's own test; here only what a failed or
// refused save tells the user and that the project stays modified.
TEST(ProjectFile, FailedOrRefusedSaveReportsAndKeepsTheProjectModified) {
  TempDir dir;
  struct Case {
    int line;
    std::string name;
    std::string message;
  };
  const Case cases[] = {
      {__LINE__, "", "Ungültiger Name"},
      {__LINE__, dir.file("fehlt/Haus.SPG"),
       "Datei " + dir.file("fehlt/Haus.SPG") + " konnte nicht gespeichert werden"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    FakeUserInterface ui;
    Project p = readText(storedFile("small_project.SPG"));
    p.modified = true;
    EXPECT_FALSE(writeProject(p, c.name, dir.path().string(), ui));
    EXPECT_TRUE(p.modified);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messageTexts()[0], c.message);
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// Random lines from the format's own vocabulary, so that the fuzzing reaches every section.
std::string randomProjectText(std::mt19937& rng) {
  static const char* const kHeaders[] = {"@Init", "@Typs", "@TypState", "@InitList", "@ConstList", "@Controller",
                                         "@Plan", "@ContrNext", "@Object=", "@Object=A", "@object=a", "@ContObj",
                                         "@SwitchList", "@ExtTransList", "@GrpList", "@C", "@E", "@", "@Objec"};
  static const char* const kKeys[] = {"View", "BackColor", "ExeWinStat", "ExeWinPos", "Extern", "OName", "OKind",
                                      "ObjIDNr", "Group", "Activ", "ExtActiv", "SndLineNo", "SndAdrA", "SndAdr4",
                                      "+ZBM", "*Pgm", "*VarDef", "ACode", "HdwTyp", "CName", "CPAdrA", "CPAdr3",
                                      "CDevArt", "CNam", "COfflB", "CAdr", "Typ"};
  static const char* const kValues[] = {"", ";", "0", "1", "-1", "300", "70000", "99999999999999999999", "x", "1 12",
                                        "9", "1\x00z", "000-80001000020000300", "A", "a", "8Name", " ", "\x80\xff"};
  std::uniform_int_distribution<int> pick(0, 99);
  std::string text;
  const int lines = pick(rng) * 3;
  for (int i = 0; i < lines; ++i) {
    const int kind = pick(rng);
    if (kind < 25) {
      text += kHeaders[static_cast<std::size_t>(pick(rng)) % std::size(kHeaders)];
      if (pick(rng) < 30) text += static_cast<char>('A' + pick(rng) % 4);
    } else if (kind < 85) {
      text += pick(rng) < 90 ? ' ' : static_cast<char>(pick(rng) + 20);
      text += kKeys[static_cast<std::size_t>(pick(rng)) % std::size(kKeys)];
      text += '=';
      text += kValues[static_cast<std::size_t>(pick(rng)) % std::size(kValues)];
      if (pick(rng) < 10) text.append(static_cast<std::size_t>(pick(rng) * 4), static_cast<char>(pick(rng) + 1));
    } else {
      const int n = pick(rng) * 3;
      for (int j = 0; j < n; ++j) text += static_cast<char>(rng());
    }
    text += pick(rng) < 50 ? "\r\n" : "\n";
  }
  return text;
}

// Damaged stored files and random lines of the format: whatever the reader keeps, under a
// budget the input often outgrows, the writer writes so that it reads back completely under the
// same budget, and after one round trip the text no longer changes.
TEST(ProjectFileReader, ArbitraryBytesNeverBreakTheReader) {
  std::mt19937 rng(20240611);
  const std::string valid = storedFile("full_project.SPG");
  std::uniform_int_distribution<int> percent(0, 99);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes = valid;
    if (round % 2) {
      for (int i = 0; i < 20; ++i) {
        const std::size_t at = rng() % bytes.size();
        if (percent(rng) < 50) bytes[at] = static_cast<char>(rng());
        else bytes.erase(at, rng() % 40);
      }
    } else {
      bytes = randomProjectText(rng);
    }
    SCOPED_TRACE(round);
    const std::size_t budget = round % 4 < 2 ? projectfile::kMaxProjectCost : 1500 + rng() % 6000;
    Project p;
    const projectfile::ReadOutcome outcome = projectfile::readProjectBytes(p, bytes, budget);
    ASSERT_TRUE(outcome.status == ReadStatus::Complete || outcome.status == ReadStatus::Stopped);
    ASSERT_LE(projectfile::projectCost(p), budget);
    const std::string written = projectFileText(p);
    ASSERT_LE(written.size(), budget);
    Project again;
    ASSERT_EQ(projectfile::readProjectBytes(again, written, budget).status, ReadStatus::Complete);
    ASSERT_EQ(again.objects.size(), p.objects.size());
    const std::string second = projectFileText(again);
    Project third;
    ASSERT_EQ(readProjectText(third, second), ReadStatus::Complete);
    ASSERT_EQ(projectFileText(third), second);
  }
}

}  // namespace
}  // namespace kelvaro
