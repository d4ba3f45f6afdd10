// Every error the language reports, from the program that causes it to the message the object
// editor shows, and the limits of the control unit's image, through the public compile run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "language/compiler.h"
#include "language/errors.h"
#include "language/image.h"
#include "support/project_builder.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

std::vector<std::string> repeated(int count, const std::string& line) { return std::vector<std::string>(count, line); }

std::vector<std::string> nestedIfs(int depth) {
  std::vector<std::string> program = repeated(depth, "WENN Lampe EINGESCHALTET DANN");
  for (int i = 0; i < depth; ++i) program.push_back("ENDEWENN");
  return program;
}

// One row per error code of the language (and each way the structure check reaches one):
// the code, the object and stored line it names, and the editor's message word for word.
TEST(LanguageErrors, EachCodeFromItsProgramWithObjectLineAndMessage) {
  struct Row {
    int line;
    std::vector<std::string> program;  // of the second object, "Lampe"
    int code;
    int errorLine;
    const char* message;  // UTF-8
  };
  const Row rows[] = {
      {__LINE__, {"Lampe:=AN", "Lampe:=\"offen"}, kErrString, 1, "Fehler in Zeichenkette"},
      {__LINE__, {"Lampe:=Fehlt"}, kErrUnknownName, 0, "Unbekannter Bezeichner ->FEHLT"},
      // Found by fuzzing: a number where the object belongs reached the code as a reference
      // past the object list.
      {__LINE__, {"Lampe EINSCHALTEN", "AKTIVIEREN(12345)"}, kErrUnknownName, 1, "Unbekannter Bezeichner ->12345"},
      {__LINE__, {"A:=AN", "A:=99999999999"}, kErrNumberRange, 1, "Bereichsüberschreitung bei Zahl"},
      {__LINE__, {"GEHEZU Nirgends"}, kErrSyntax, 0, "Syntaxfehler"},
      {__LINE__, nestedIfs(20), kErrTooManyIfs, 19, "Zu viele offene WENN-Anweisungen"},
      {__LINE__, {"WENN Lampe EINGESCHALTET", "Lampe:=AUS", "ENDEWENN"}, kErrThenMissing, 1,
       "DANN fehlt in WENN-Anweisung"},
      {__LINE__, {"Lampe:=AN", "SONST"}, kErrElseWithoutIf, 1, "SONST ohne zugehörige WENN-Anweisung"},
      {__LINE__, {"WENN Lampe EINGESCHALTET", "SONST", "ENDEWENN"}, kErrElseWithoutThen, 1,
       "SONST ohne zugehörige DANN-Anweisung"},
      {__LINE__, {"WENN Lampe EINGESCHALTET DANN", "Lampe:=AUS", "SONST", "Lampe:=AN", "SONST", "ENDEWENN"},
       kErrElseWithoutThen, 4, "SONST ohne zugehörige DANN-Anweisung"},
      {__LINE__, {"Lampe:=AN", "Lampe:=PCAKTIV DANN"}, kErrThenWithoutIf, 1, "DANN ohne zugehörige WENN-Anweisung"},
      {__LINE__, {"Lampe:=AN", "ENDEWENN"}, kErrEndIfWithoutIf, 1, "ENDEWENN ohne zugehörige WENN-Anweisung"},
      {__LINE__, {"WENN Lampe EINGESCHALTET DANN", "Lampe:=AUS"}, kErrEndIfMissing, 1,
       "Fehler in WENN-Anweisung - ENDEWENN fehlt"},
      {__LINE__, {"DANN"}, kErrSequence, 0, "Syntaxfehler"},
      {__LINE__, {"Lampe", "Lampe:=AN"}, kErrSequence, 0, "Syntaxfehler"},
      {__LINE__, {"WENN Lampe EINGESCHALTET DANN Lampe:=AUS", "ENDEWENN"}, kErrSequence, 0, "Syntaxfehler"},
      {__LINE__, {"ENDEWENN"}, kErrEndIfWithoutIf, 0, "ENDEWENN ohne zugehörige WENN-Anweisung"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    Project p = test::lampProject({test::lampObject("A"), test::lampObject("Lampe", row.program)});
    const CompileResult r = compile(p, {}, CompileMode::Run).result;
    EXPECT_EQ(r.code, row.code);
    EXPECT_EQ(r.object, 1);
    EXPECT_EQ(r.line, row.errorLine);
    EXPECT_EQ(toUtf8(languageErrorMessage(r.code, r.name)), row.message);
  }
  // The messages that no program line reaches: the abort, an unknown name cut to the panel's
  // 89 characters, and a code the language does not know.
  EXPECT_EQ(toUtf8(languageErrorMessage(kCompileAborted)),
            "Die Erstellung des Codes wird wegen eines Fehlers im Objektprogramm abgebrochen");
  EXPECT_EQ(languageErrorMessage(kErrUnknownName, std::string(100, 'X')),
            "Unbekannter Bezeichner ->" + std::string(89 - 25, 'X'));
  EXPECT_EQ(languageErrorMessage(-4711), "Fehler -4711");
}

// The image for the control unit has limits the PC does not: each gives the overflow (or the
// abort for a literal it cannot encode), and the same project still compiles for the PC.
TEST(LanguageErrors, ImageLimitsGiveOverflowOrAbortWhereThePcRuns) {
  auto texts = [](int count) {
    TPSObj o = test::lampObject("A");
    for (int i = 0; i < count; ++i) o.varDefs.push_back(test::varDef("T" + std::to_string(i), "Zeichen", "x"));
    return test::lampProject({o});
  };
  auto types = [](int count) {
    Project p = test::lampProject({});
    for (int i = 0; i < count; ++i) {
      const std::string type = "T" + std::to_string(i);
      p.typeStates.push_back({type + ":s", {}});
      p.objects.push_back(test::programObject(("O" + std::to_string(i)).c_str(), type.c_str(), "s"));
    }
    return p;
  };
  struct Row {
    int line;
    Project project;
    int imageCode;
  };
  const Row rows[] = {
      {__LINE__, texts(230), 0},
      {__LINE__, texts(240), kErrOverflow},  // 102 bytes a text
      {__LINE__, types(63), 0},              // with the lamp, 64 types
      {__LINE__, types(64), kErrOverflow},
      {__LINE__, test::lampProject({test::lampObject("A", {"WENN UHRZEIT = \"*:30\" DANN", "ENDEWENN"})}),
       kCompileAborted},  // a wildcard time needs all three pairs
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    Project forImage = row.project;
    CompileOptions options;
    options.programName = "TEST";
    const CompileOutput out = compile(forImage, forImage.constants, CompileMode::Image, options);
    EXPECT_EQ(out.result.code, row.imageCode);
    if (row.imageCode == 0) {
      EXPECT_LE(out.imageBase + out.imageSize, kImageLast);
    }
    Project forPc = row.project;
    EXPECT_EQ(compile(forPc, forPc.constants, CompileMode::Run).result.code, 0);
  }
}

}  // namespace
}  // namespace kelvaro
