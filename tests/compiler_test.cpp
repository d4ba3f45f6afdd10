// The compiler over whole small projects: code bytes, symbols, line map, structure errors,
// jumps, object order and the limits.
#include <gtest/gtest.h>

#include "language/compiler.h"
#include "language/line_map.h"
#include "model/project.h"
#include "support/project_builder.h"
#include "support/token_text.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

using test::lampObject;
using test::varDef;

CompileOutput compileRun(Project& p) { return compile(p, p.constants, CompileMode::Run); }

std::string objectCode(const CompileOutput& out, int object) {
  const ObjectCode& oc = out.objects[static_cast<std::size_t>(object)];
  return test::codeText(out.code, oc.codeStart, oc.codeEnd);
}

TEST(Compiler, IfElseStructureWithItsJumps) {
  Project p = test::lampProject({lampObject(
      "Lampe", {"WENN Lampe EINGESCHALTET DANN", "  Lampe AUSSCHALTEN", "SONST", "  Lampe EINSCHALTEN", "ENDEWENN"})});
  const CompileOutput out = compileRun(p);
  ASSERT_EQ(out.result.code, 0);
  EXPECT_EQ(objectCode(out, 0),
            "BD BE 0E 00 18 00 26 01 00 3D 26 03 00 BF "  // WENN, then at 14, else at 24
            "BD B4 26 01 00 B8 "
            "BD FA 1F 00 "  // SONST: jump behind ENDEWENN
            "BD B4 26 01 00 B9 "
            "C1 BD FC");
  std::vector<std::string> map;
  for (const auto& e : out.lineMap) map.push_back(lineMapText(e));
  EXPECT_EQ(map, (std::vector<std::string>{"0000000000", "0001400001", "0002000002", "0002400003", "0003000004"}));
  std::vector<std::string> keys;
  for (std::size_t n = 0; n < out.symbols.size(); ++n) keys.push_back(out.symbols[n].key);
  EXPECT_EQ(keys, (std::vector<std::string>{"LAMPE.CT", "LAMPE.LAMPE", "LAMPE.#", "Konst"}));
  EXPECT_EQ(std::get<TVarInt>(out.symbols[3].value).Value, 1);
  EXPECT_EQ(out.codeSize, 33);
}

// The twentieth is refused in the language error table.
TEST(Compiler, NineteenOpenIfsCompile) {
  std::vector<std::string> program(19, "WENN Lampe EINGESCHALTET DANN");
  program.insert(program.end(), 19, "ENDEWENN");
  Project p = test::lampProject({lampObject("Lampe", program)});
  EXPECT_EQ(compileRun(p).result.code, 0);
}

TEST(Compiler, ObjectStatementsAndCallsPassTheSequenceCheck) {
  Project p = test::lampProject({lampObject("Lampe", {
                                                         "AKTIVIEREN(Lampe)",
                                                         "WENN GESCHALTET(Lampe) UND (Lampe=1 ODER FEHLER(Lampe)) DANN",
                                                         "  SETZEPOSITION(Lampe,10,20)",
                                                         "  STARTUHR(CT)",
                                                         "  ANRUFEN(CT,CT)",
                                                         "  STARTWIN(CT)",
                                                         "  EINGABE(\"Wert\",CT)",
                                                         "  LAUT(1)",
                                                         "ENDEWENN",
                                                         "CT := ZEIT",
                                                         "WENN MODEMOK ODER SMSFEHLER DANN",
                                                         "ENDEWENN",
                                                         "VERLASSEN",
                                                     })});
  const CompileOutput out = compileRun(p);
  EXPECT_EQ(out.result.code, 0) << languageErrorMessage(out.result.code) << " line " << out.result.line;
  // Symbol 40 has the byte of "(" in its reference: an argument list stepped over byte by byte
  // would run on past its ")" and swallow the ENDEWENN.
  TPSObj many = lampObject("Lampe", {"WENN Lampe EINGESCHALTET DANN", "  EINGABE(\"Wert\",V)", "ENDEWENN"});
  for (int n = 0; n < 37; ++n) many.varDefs.push_back(varDef("F" + std::to_string(n), "Zahl", "0"));
  many.varDefs.push_back(varDef("V", "Zahl", "0"));
  Project q = test::lampProject({many});
  const CompileOutput manyOut = compileRun(q);
  ASSERT_EQ(manyOut.symbols.find("LAMPE.V"), 40);
  EXPECT_EQ(manyOut.result.code, 0) << languageErrorMessage(manyOut.result.code);
}

TEST(Compiler, GotoJumpsToTheLabelsLineOrLeaves) {
  Project p = test::lampProject(
      {lampObject("Lampe", {"GEHEZU Weiter", "Lampe:=AN", "Weiter:", "Lampe:=AUS", "GEHEZU Ende", "Ende:"})});
  const CompileOutput out = compileRun(p);
  ASSERT_EQ(out.result.code, 0);
  // The first jump goes to the code of line 3; the label on the last line has no code, so
  // its jump becomes VERLASSEN.
  EXPECT_EQ(objectCode(out, 0), "BD FA 0A 00 BD B4 26 01 00 B9 BD B4 26 01 00 B8 BD FC 05 00 BD FC");
}

TEST(Compiler, CommentsMarkersAndEmptyPrograms) {
  TPSObj a = lampObject(
      "A", {"**--/A4/--**Block mit 4 Anweisungen", "", "   ", "&A EINSCHALTEN      /&/System-Information LO:x;"});
  TPSObj b = lampObject("B", {"** nur ein Kommentar"});
  TPSObj c = lampObject("C", {});
  Project p = test::lampProject({a, b, c});
  const CompileOutput out = compileRun(p);
  ASSERT_EQ(out.result.code, 0);
  EXPECT_EQ(objectCode(out, 0), "BD B4 26 01 00 B9 BD FC");
  EXPECT_EQ(out.lineMap.size(), 1u);
  EXPECT_EQ(out.lineMap[0].line, 3);
  for (int object : {1, 2}) {
    EXPECT_EQ(out.objects[static_cast<std::size_t>(object)].codeEnd, 0);
    EXPECT_EQ(out.objects[static_cast<std::size_t>(object)].codeStart, 8);
  }
}

TEST(Compiler, SharedLiteralsTypedByTheirContext) {
  Project p =
      test::lampProject({lampObject("A", {"WENN UHRZEIT = \"07:30:00\" DANN", "ENDEWENN"}),
                         lampObject("B", {"WENN DATUM = \"24.12.26\" ODER UHRZEIT = \"07:30:00\" DANN", "ENDEWENN"})});
  const CompileOutput out = compileRun(p);
  ASSERT_EQ(out.result.code, 0);
  int times = 0;
  for (std::size_t n = 0; n < out.symbols.size(); ++n) {
    const auto* text = std::get_if<TVarStr>(&out.symbols[n].value);
    if (!text || out.symbols[n].key != "Konst") continue;
    if (text->Value == "07:30:00") {
      ++times;
      EXPECT_EQ(out.symbols[n].literalType, "Z");
    }
    if (text->Value == "24.12.26") {
      EXPECT_EQ(out.symbols[n].literalType, "D");
    }
  }
  EXPECT_EQ(times, 1);
}

TEST(Compiler, VariablesFromTheirDefinitions) {
  TPSObj o = lampObject("Heizung", {});
  o.varDefs = {varDef("Soll", "Zahl", "21,5"),     varDef("Stufe", "Zahl", "3"),     varDef("Start", "Uhr", "06:30:00"),
               varDef("Tag", "Datum", "24.12.26"), varDef("Name", "Zeichen", "Bad"), varDef("Licht", "Lampe", "an"),
               varDef("Init", "Lampe", "*max")};
  Project p = test::lampProject({o});
  const CompileOutput out = compileRun(p);
  ASSERT_EQ(out.result.code, 0);
  ASSERT_EQ(out.symbols.size(), 10u);
  const auto& soll = std::get<TVarReal>(out.symbols[3].value);
  EXPECT_DOUBLE_EQ(soll.Value, 21.5);
  EXPECT_EQ(soll.Decimals, 1);
  EXPECT_EQ(std::get<TVarInt>(out.symbols[4].value).Value, 3);
  EXPECT_EQ(std::get<TVarTime>(out.symbols[5].value).TypeName, "Uhr");
  EXPECT_NEAR(std::get<TVarTime>(out.symbols[5].value).Value, 6.5 / 24, 1e-9);
  EXPECT_EQ(out.symbols[6].key, "HEIZUNG.TAG");
  EXPECT_EQ(std::get<TVarStr>(out.symbols[7].value).Value, "Bad");
  EXPECT_EQ(std::get<TVarUser>(out.symbols[8].value).State, 1);
  EXPECT_EQ(std::get<TVarUser>(out.symbols[8].value).MaxState, 1);
  EXPECT_EQ(std::get<TVarUser>(out.symbols[9].value).State, 1);  // "*max" as a start state

  Project bad = test::lampProject({lampObject("X", {})});
  bad.objects[0].varDefs = {varDef("Start", "Uhr", "halb acht")};
  EXPECT_EQ(compileRun(bad).result.code, kCompileAborted);
  EXPECT_EQ(compileRun(bad).result.object, -1);
  // The object's own state with a bad start time stops the run there too, before a later
  // error in its program could take the report's place.
  Project badState = test::lampProject({test::programObject("Wecker", "Uhr", "halb acht", {"GEHEZU Nirgends"})});
  EXPECT_EQ(compileRun(badState).result.code, kCompileAborted);
}

TEST(Compiler, UnitNumbersSelectionNumbersAndOrder) {
  std::vector<TPSObj> objects;
  const std::uint8_t priorities[] = {254, 1, 8, 1, 2};
  for (int i = 0; i < 5; ++i) {
    objects.push_back(lampObject(("O" + std::to_string(i)).c_str(), {}));
    objects.back().ACode = priorities[i];
  }
  objects[1].ObjIDNr = 1234;
  objects[2].ObjIDNr = 12000;
  Project p = test::lampProject(objects);
  const CompileOutput out = compileRun(p);
  ASSERT_EQ(out.result.code, 0);
  EXPECT_EQ((std::vector<int>{out.objects[0].unit, out.objects[1].unit, out.objects[2].unit}),
            (std::vector<int>{0xA000, 0x1234, 0xA002}));
  EXPECT_EQ((std::vector<int>{p.objects[0].ObjIDNr, p.objects[1].ObjIDNr, p.objects[2].ObjIDNr}),
            (std::vector<int>{10000, 1234, 10002}));
  EXPECT_EQ(out.order, (std::vector<int>{1, 3, 4, 2, 0}));
}

TEST(Compiler, TranslationErrorsCarryObjectLineAndPosition) {
  Project p = test::lampProject({lampObject("A", {}), lampObject("B", {"  Lampe", "B:=AN", "B := Unbekannt"})});
  p.objects[1].program[0] = "-** Kommentar";
  const CompileOutput out = compileRun(p);
  EXPECT_EQ(out.result.code, kErrUnknownName);
  EXPECT_EQ(out.result.object, 1);
  EXPECT_EQ(out.result.line, 2);
  EXPECT_EQ(out.result.name, "UNBEKANNT");
  // Earlier lines count with their length without leading blanks plus 3: 15 + 8.
  EXPECT_EQ(out.result.position, 15 + 8 + 10);
}

// Each limit gives the overflow, with the object and the line where the project ran out of
// room (none for the object count), and the message of a compile for the PC.
TEST(Compiler, LimitsGiveOverflowInsteadOfWritingPastThem) {
  std::vector<std::string> labels, numbers;
  for (int i = 0; i < 65; ++i) labels.push_back("L" + std::to_string(i) + ":");
  for (int i = 0; i < 4100; ++i) numbers.push_back("A:=" + std::to_string(100000 + i));
  struct Row {
    int line;
    std::vector<TPSObj> objects;
    int object, programLine;
  };
  const Row rows[] = {
      {__LINE__, {lampObject("A", labels)}, 0, 64},                                     // the 65th label
      {__LINE__, {lampObject("A", numbers)}, 0, 4094},                                  // symbol 4098 of 4097
      {__LINE__, {lampObject("A", std::vector<std::string>(6000, "A:=AN"))}, 0, 5461},  // 6 bytes a line
      // 2048 lines of 16 bytes fill the buffer exactly; the closing VERLASSEN does not fit.
      {__LINE__, {lampObject("B", {}), lampObject("A", std::vector<std::string>(2048, "A:=A+A"))}, 1, 2047},
      {__LINE__, std::vector<TPSObj>(1026, lampObject("X", {})), -1, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    Project p = test::lampProject(row.objects);
    const CompileResult r = compileRun(p).result;
    EXPECT_EQ(r.code, kErrOverflow);
    EXPECT_EQ(r.object, row.object);
    EXPECT_EQ(r.line, row.programLine);
  }
  EXPECT_EQ(toUtf8(languageErrorMessage(kErrOverflow)), "Speicherüberlauf - Programm zu gross");
}

TEST(Compiler, SymbolsOnlyModeBuildsNoCodeAndSyncsObjects) {
  TPSObj o = lampObject("Lampe", {"WENN Fehlt DANN"});
  o.varDefs = {"Soll                Zahl                1"};
  Project p = test::lampProject({o});
  const CompileOutput out = compile(p, {}, CompileMode::SymbolsOnly);
  EXPECT_EQ(out.result.code, 0);
  EXPECT_TRUE(out.code.empty());
  EXPECT_EQ(out.symbols.size(), 3u);  // no variables in this mode
  EXPECT_EQ(p.objects[0].CtZust, 2);
}

TEST(Compiler, UnknownGotoLabelNamesItsLineByTextPosition) {
  Project p = test::lampProject({lampObject("Lampe", {"Lampe:=AN", "  GEHEZU Nirgends"})});
  const CompileOutput out = compileRun(p);
  EXPECT_EQ(out.result.code, kErrSyntax);
  EXPECT_EQ(out.result.line, 1);
  EXPECT_EQ(out.result.position, 9 + 3 + 1);  // the second line starts after "Lampe:=AN" + 3
}

}  // namespace
}  // namespace kelvaro
