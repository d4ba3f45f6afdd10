// The project file: exact writer output, lossless round trips, the reader's rules for every
// section, merging, missing files, failed saves and robustness against arbitrary bytes.
#include <gtest/gtest.h>

#include <filesystem>
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

std::string pad(std::string_view text, std::size_t width) {
  std::string out(text);
  if (out.size() < width) out.append(width - out.size(), ' ');
  return out;
}

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

// Texts and numbers the writer puts differently from how they stood in the file: after one
// save they must read back to the same project, with nothing merged or lost.
TEST(ProjectFileRoundTrip, WhatTheWriterRewritesReadsBackTheSame) {
  const std::string longDevice = "x" + std::string(31, ' ') + "y";  // cut to 32 it ends in blanks
  struct Case {
    int line;
    std::string file;
    std::string expected;  // objects, and the values the case is about
  };
  const Case cases[] = {
      // A CR inside a name is read as the blank the writer makes of it: the second object is a double.
      {__LINE__, "@Object=A\rB\n@Object=A B\n", "1 objects: [A B] win 0,0"},
      {__LINE__, "@Object=A\n SndDev=" + longDevice + "\n", "1 objects: [A] dev [x] win 0,0"},
      {__LINE__, "@Controller\n CName=S1\n CNam=1" + longDevice + "\n@ContrNext\n", "0 objects: slot [x] win 0,0"},
      // A name's trailing blanks would come back without them in the label written from it.
      {__LINE__, "@Object=rollo \n", "1 objects: [rollo] win 0,0"},
      // Negative numbers in groups, as the writer puts them and with blanks.
      {__LINE__, "@Init\n ExeWinPos=000-8000-80193601056\n", "0 objects: win -8,-8"},
      {__LINE__, "@Object=A\n@Plan\n V;   -1   -1   10   10\n", "1 objects: [A] at -1,-1 win 0,0"},
  };
  auto summary = [](const Project& p) {
    std::ostringstream s;
    s << p.objects.size() << " objects:";
    for (const auto& o : p.objects) s << " [" << o.Name << "]";
    if (!p.objects.empty() && !p.objects[0].SndDev.empty()) s << " dev [" << p.objects[0].SndDev << "]";
    if (!p.stations.empty()) s << " slot [" << p.stations[0].slots[0].CNam << "]";
    if (!p.objects.empty() && !p.objects[0].plans[0].ViewName.empty())
      s << " at " << p.objects[0].plans[0].Left << "," << p.objects[0].plans[0].Top;
    s << " win " << p.ExeWinPos.left << "," << p.ExeWinPos.top;
    return s.str();
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const Project first = readText(c.file);
    EXPECT_EQ(summary(first), c.expected);
    const std::string written = projectFileText(first);
    const Project back = readText(written);
    EXPECT_EQ(summary(back), c.expected);
    EXPECT_EQ(projectFileText(back), written);
  }
}

// Read a whole file text; the summary prints what the case is about.
struct ReaderCase {
  int line;
  std::string file;
  std::string summary;
};

void runReaderCases(const std::vector<ReaderCase>& cases, std::string (*summarise)(const Project&)) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Project p;
    readProjectText(p, c.file);
    EXPECT_EQ(summarise(p), c.summary);
  }
}

std::string initSummary(const Project& p) {
  std::ostringstream s;
  for (const auto& v : p.views) s << "[" << v.name << "|" << v.info.BitmapName << "|" << +v.info.NoPath << "]";
  s << " back " << p.BackColor << " stat " << +p.ExeWinStat << " pos " << p.ExeWinPos.left << "," << p.ExeWinPos.top
    << "," << p.ExeWinPos.width << "," << p.ExeWinPos.height << " ext " << p.Extern;
  return s.str();
}

TEST(ProjectFileReader, InitSection) {
  const std::string v48 = pad("Halle", 48);
  runReaderCases(
      {
          {__LINE__, "@Init\r\n View=" + v48 + "HALLE.BMP   \r\n",
           "[Halle|HALLE.BMP|1] back -1 stat 0 pos 0,0,0,0 ext 0"},
          {__LINE__, "@Init\r\n View=" + v48 + "c:\\b\\h.bmp\r\n",
           "[Halle|c:\\b\\h.bmp|0] back -1 stat 0 pos 0,0,0,0 ext 0"},
          {__LINE__, "@Init\r\n View=Halle   \r\n View=HALLE\r\n View=Hof\r\n",
           "[Halle||0][Hof||0] back -1 stat 0 pos 0,0,0,0 ext 0"},
          {__LINE__, "@Init\r\n View=\r\n View=;\r\n View=" + pad("", 48) + "X.BMP\r\n",
           " back -1 stat 0 pos 0,0,0,0 ext 0"},
          {__LINE__, "@Init\r\n BackColor=7\r\n ExeWinStat=300\r\n Extern=\r\n", " back 7 stat 44 pos 0,0,0,0 ext 1"},
          {__LINE__, "@Init\r\n BackColor=99999999999\r\n", " back -1 stat 0 pos 0,0,0,0 ext 0"},  // stops
          {__LINE__, "@Init\r\n ExeWinPos=00080000090064000480\r\n", " back -1 stat 0 pos 80,9,640,480 ext 0"},
          {__LINE__, "@Init\r\n ExeWinPos=-10000000900640004807777\r\n", " back -1 stat 0 pos -1000,9,640,480 ext 0"},
          {__LINE__, "@Init\r\n ExeWinPos=000800000900064\r\n", " back -1 stat 0 pos 10,10,600,400 ext 0"},
          {__LINE__, "@Init\r\n backcolor=5\r\n BackColor\r\n =5\r\n", " back -1 stat 0 pos 0,0,0,0 ext 0"},
      },
      initSummary);
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

TEST(ProjectFileReader, ListSections) {
  const std::string s64 = pad("Tor:auf", 64);
  runReaderCases(
      {
          {__LINE__, "@Typs\r\n Zaun;1\r\n Auto;0\r\n ZAUN;1\r\n Bad\r\n", "T[Auto;0]T[Bad]T[Zaun;1]N[Auto]N[Bad]N[Zaun]"},
          {__LINE__, "@TypState\r\n " + s64 + "TOR.BMP\r\n tor:AUF\r\n Tor:zu  \r\n", "S[Tor:auf|TOR.BMP|1]S[Tor:zu]"},
          {__LINE__, "@TypState\r\n Tor:zu\r\n " + pad("TOR:ZU", 64) + "X.BMP\r\n", "S[Tor:zu]"},
          {__LINE__, "@ConstList\r\n A = 1  \r\n\r\n;\r\n\n", "C[A = 1  ]C[]"},  // an empty line is no entry
          {__LINE__, "@GrpList\r\n G1=A\r\n@E\r\n G2=B\r\n", "G[G1=A]G[G2=B]"},
          {__LINE__, "@InitList\r\n X;1\r\n@SwitchListABC\r\n Y;1\r\n@C\r\n Z;1\r\n", ""},
          {__LINE__, "@Typs\r\n A;1\r\n@Unknown\r\n B;1\r\n", "T[A;1]T[B;1]N[A]N[B]"},
          {__LINE__, " A;1\r\n@typs\r\n B;1\r\n", ""},  // lines before any section, header case matters
      },
      listSummary);
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
    for (const auto& pl : o.plans)
      if (!pl.ViewName.empty())
        s << " @(" << pl.ViewName << " " << pl.Left << "," << pl.Top << "," << pl.Width << "," << pl.Height << ")";
    s << "]";
  }
  for (const auto& g : p.groupNames) s << " group(" << g << ")";
  return s.str();
}

TEST(ProjectFileReader, ObjectKeys) {
  const std::string head = "@Object=A\r\n";
  const std::string plain = " OName=A OKind=  Id=0 Grp= ACode=254 Snd=0/0/0/0 Hdw=4 Act=101";
  runReaderCases(
      {
          {__LINE__, head, "[A" + plain + "]"},
          {__LINE__, head + " OName=Lampe  \r\n OKind=Zahl\r\n ObjIDNr=42\r\n",
           "[A OName=Lampe OKind=Z Id=42 Grp= ACode=254 Snd=0/0/0/0 Hdw=4 Act=101]"},
          {__LINE__, head + " OKind=\r\n OName=;\r\n",
           "[A OName= OKind=  Id=0 Grp= ACode=254 Snd=0/0/0/0 Hdw=4 Act=101]"},
          // ObjIDNr keeps its low 16 bits; a number beyond int32 reads as 0.
          {__LINE__, head + " ObjIDNr=70000\r\n",
           "[A OName=A OKind=  Id=4464 Grp= ACode=254 Snd=0/0/0/0 Hdw=4 Act=101]"},
          {__LINE__, head + " ObjIDNr=123456789012\r\n", "[A" + plain + "]"},
          {__LINE__, head + " ACode=300\r\n SndLineNo=2\r\n SndAdrA=4\r\n SndAdr=-1\r\n SndAdr4=257\r\n",
           "[A OName=A OKind=  Id=0 Grp= ACode=44 Snd=2/4/255/1 Hdw=4 Act=101]"},
          {__LINE__, head + " HdwTyp=x\r\n Activ=1\r\n Beep=0\r\n",
           "[A OName=A OKind=  Id=0 Grp= ACode=254 Snd=0/0/0/0 Hdw=0 Act=101]"},
          {__LINE__, head + " Activ=0\r\n Beep=1\r\n Activ=yes\r\n Beep=2\r\n",
           "[A OName=A OKind=  Id=0 Grp= ACode=254 Snd=0/0/0/0 Hdw=4 Act=011]"},
          // Older files write nothing for a set ExtActiv, newer ones both states.
          {__LINE__, head + " ExtActiv=0\r\n", "[A OName=A OKind=  Id=0 Grp= ACode=254 Snd=0/0/0/0 Hdw=4 Act=100]"},
          {__LINE__, head + " ExtActiv=0\r\n ExtActiv=1\r\n", "[A" + plain + "]"},
          {__LINE__, head + " Group=Keller  \r\n",
           "[A OName=A OKind=  Id=0 Grp=Keller ACode=254 Snd=0/0/0/0 Hdw=4 Act=101] group(Keller)"},
          {__LINE__, head + " Group=;\r\n", "[A" + plain + "]"},
          {__LINE__, head + " Group=" + std::string(40, 'g') + "\r\n",
           "[A OName=A OKind=  Id=0 Grp=" + std::string(32, 'g') + " ACode=254 Snd=0/0/0/0 Hdw=4 Act=101] group(" +
               std::string(32, 'g') + ")"},
          {__LINE__, head + " *Pgm=WENN  \r\n *Pgm=&X\r\n *Pgm=\r\n *VarDef=v  \r\n",
           "[A" + plain + " P(-WENN) P(-&X) P(-) V(v)]"},
          {__LINE__,
           head + " +ZBM=an\r\n +ZBM=" + pad("aus", 48) + "AUS.BMP\r\n +ZBM=" + pad("zu", 48) + "/b/ZU.BMP\r\n",
           "[A" + plain + " Z(an) Z(aus|AUS.BMP|11) Z(zu|/b/ZU.BMP|01)]"},
          {__LINE__, head + " ExtTrans=1\r\n@ExtTransList\r\n 253\r\n 4\r\n@Plan\r\n", "[A" + plain + " E(253) E(4)]"},
          {__LINE__,
           head + "@Plan\r\n V1;00001000020000300004\r\n V2;000-8000x0\r\n V3\r\n V4;00001000010000100001\r\n",
           "[A" + plain + " @(V1 1,2,3,4) @(V2 -8,0,0,0)]"},
          {__LINE__, head + "@Plan\r\n V1;00001000020000300004\r\n@Plan\r\n V9;00009000090000900009\r\n",
           "[A" + plain + " @(V9 9,9,9,9)]"},
          {__LINE__, head + "@C\r\n OName=Nein\r\n@ContObj\r\n OName=Doch\r\n",
           "[A OName=Doch OKind=  Id=0 Grp= ACode=254 Snd=0/0/0/0 Hdw=4 Act=101]"},
          {__LINE__, "@Object=" + std::string(70, 'n') + "\r\n",
           "[" + std::string(64, 'n') + " OName=" + std::string(64, 'n') +
               " OKind=  Id=0 Grp= ACode=254 Snd=0/0/0/0 Hdw=4 Act=101]"},
          // Before any object: keys, placements and conversion entries have nowhere to go.
          {__LINE__, "@ContObj\r\n OName=X\r\n@Plan\r\n V;00001000010000100001\r\n@ExtTransList\r\n 1\r\n", ""},
          {__LINE__, head + " OName\r\n =x\r\n\r\n oname=y\r\n", "[A" + plain + "]"},
          // A second block of a name already read, in any case, changes nothing, not even its lists.
          {__LINE__,
           head + "@ExtTransList\r\n 1\r\n@C\r\n@Object=a\r\n OName=Zwei\r\n *Pgm=X\r\n@ExtTransList\r\n 2\r\n"
                  "@Plan\r\n W;00002000020000200002\r\n@ContObj\r\n Group=G\r\n@C\r\n",
           "[A" + plain + " E(1)]"},
      },
      objectSummary);
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

TEST(ProjectFileReader, StationSection) {
  runReaderCases(
      {
          {__LINE__, "@Controller\r\n CName=S1\r\n CKind=MXB2\r\n@ContrNext\r\n@C\r\n", "[S1 MXB2 A=1 adr=0,0 art=0]"},
          // A station joins the list only at @ContrNext.
          {__LINE__, "@Controller\r\n CName=S1\r\n@C\r\n", ""},
          {__LINE__, "@Controller\r\n CName=S1\r\n@ContrNext\r\n CName=S2\r\n", "[S1  A=1 adr=0,0 art=0]"},
          // ... and only while the station section is current.
          {__LINE__, "@Controller\r\n CName=S1\r\n@GrpList\r\n@ContrNext\r\n", ""},
          {__LINE__, "@Controller\r\n CKind=X\r\n CName=S1\r\n CPAdrA=0\r\n CPAdr=300\r\n CPAdr4=-1\r\n CPArt=9\r\n@ContrNext\r\n",
           "[S1  A=0 adr=44,255 art=9]"},
          // Duplicate names, ignoring case: the second station's lines change nothing.
          {__LINE__, "@Controller\r\n CName=S1\r\n@ContrNext\r\n CName=s1\r\n CKind=Neu\r\n@ContrNext\r\n CKind=Auch\r\n@ContrNext\r\n",
           "[S1  A=1 adr=0,0 art=0]"},
          // Key lines after @ContrNext and before the next CName belong to no station.
          {__LINE__, "@Controller\r\n CName=S1\r\n@ContrNext\r\n CKind=Weg\r\n@ContrNext\r\n", "[S1  A=1 adr=0,0 art=0]"},
          {__LINE__, "@Controller\r\n CName=S1\r\n CDevArt=1  7\r\n CCon=8 1234\r\n CZAnOn=2-5\r\n CNam=3 Lampe  \r\n COfflB=4Z\r\n CAdr=5300\r\n@ContrNext\r\n",
           "[S1  A=1 adr=0,0 art=0 1(7,0,0,0,[],) 2(0,0,-5,0,[],) 3(0,0,0,0,[ Lampe],) 4(0,0,0,0,[],Z) 5(0,0,0,44,[],) 8(0,1234,0,0,[],)]"},
          // A slot digit outside 1..8, or none at all, names no slot.
          {__LINE__, "@Controller\r\n CName=S1\r\n CDevArt=0  7\r\n CDevArt=9  7\r\n CDevArt=x\r\n CDevArt=\r\n CNam=;\r\n@ContrNext\r\n",
           "[S1  A=1 adr=0,0 art=0]"},
          {__LINE__, "@Controller\r\n CName=S1\r\n CDevArt=1abc\r\n@ContrNext\r\n", "[S1  A=1 adr=0,0 art=0]"},
          // A NUL offline behaviour still loads; an empty one is the blank it was trimmed to.
          {__LINE__, "@Controller\r\n CName=S1\r\n CDevArt=1  4\r\n" + std::string(" COfflB=1\0\r\n", 12) + " COfflB=2\r\n@ContrNext\r\n",
           "[S1  A=1 adr=0,0 art=0 1(4,0,0,0,[],) 2(0,0,0,0,[], )]"},
      },
      stationSummary);
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

TEST(ProjectFileReader, NonNumericKeyNumberStopsTheLoadKeepingWhatWasRead) {
  struct Case {
    int line;
    std::string file;
    std::string summary;
  };
  const Case cases[] = {
      {__LINE__, "@Object=A\r\n@C\r\n@Object=B\r\n ObjIDNr=12a\r\n OName=Nie\r\n@C\r\n@Object=C\r\n",
       "[A OName=A OKind=  Id=0 Grp= ACode=254 Snd=0/0/0/0 Hdw=4 Act=101][B OName=B OKind=  Id=0 Grp= ACode=254 "
       "Snd=0/0/0/0 Hdw=4 Act=101]"},
      {__LINE__, "@Object=A\r\n ObjIDNr=\r\n@Object=B\r\n", "[A OName=A OKind=  Id=0 Grp= ACode=254 Snd=0/0/0/0 Hdw=4 Act=101]"},
      {__LINE__, "@Object=A\r\n ObjIDNr=000-8\r\n@Object=B\r\n", "[A OName=A OKind=  Id=0 Grp= ACode=254 Snd=0/0/0/0 Hdw=4 Act=101]"},
      {__LINE__, "@Init\r\n BackColor=Rot\r\n@Object=A\r\n", ""},
      {__LINE__, "@Init\r\n ExeWinStat=;\r\n@Object=A\r\n", ""},
      {__LINE__, "@Init\r\n ExeWinStat=-2147483649\r\n@Object=A\r\n", ""},  // no int: as unreadable
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Project p;
    EXPECT_EQ(readProjectText(p, c.file), ReadStatus::Stopped);
    EXPECT_EQ(objectSummary(p), c.summary);
  }
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
