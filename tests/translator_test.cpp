// The line translator: one line in, its token string and result out.
#include <gtest/gtest.h>

#include <stdexcept>
#include <type_traits>

#include "language/compiler.h"
#include "language/token.h"
#include "language/translator.h"
#include "model/project.h"
#include "support/token_text.h"

namespace kelvaro {
namespace {

// Objects Lampe (symbols 0-2), Tuer (3-5), Zaehler (6-8), Text (9-11); constants follow from 12.
struct Fixture {
  Project project;
  SymbolList symbols;
  std::vector<std::string> constants;
  std::vector<Label> labels{{"ENDE", 3}};

  Fixture() {
    project.typeStates = {{"Lampe:aus", {}}, {"Lampe:an", {}}, {"Tuer:offen", {}}, {"Tuer:zu", {}}};
    auto add = [&](const char* name, const char* type, const char* start) {
      TPSObj o = createObject(name);
      o.Typ = type;
      o.StartVal = start;
      project.objects.push_back(o);
    };
    add("Lampe", "Lampe", "aus");
    add("Tuer", "Tuer", "zu");
    add("Zaehler", "Zahl", "0");
    add("Text", "Zeichen", "");
    symbols = compile(project, {}, CompileMode::SymbolsOnly).symbols;
  }

  Translation translate(std::string_view line, Pass pass = Pass::Collect) {
    const ObjectIndex objects(project.objects);
    TranslatorContext context{objects, "Lampe", symbols, constants, labels, pass};
    return translateLine(line, context);
  }
};

TEST(Translator, StatementsAndTheirTokens) {
  struct Case {
    int line;
    const char* source;
    const char* tokens;
  };
  const Case cases[] = {
      {__LINE__, "Lampe EINSCHALTEN", "[BD][B4]&00001[B9]"},
      {__LINE__, "Lampe:=AN", "[BD][B4]&00001[B9]"},
      {__LINE__, "lampe ausschalten", "[BD][B4]&00001[B8]"},
      {__LINE__, "Lampe UMSCHALTEN", "[BD][B4]&00001[B6]"},
      {__LINE__, "Lampe:=*ZURUECK", "[BD][B4]&00001[B7]"},
      {__LINE__, "Tuer OEFFNEN", "[BD][B4]&00004[B8]"},
      {__LINE__, "Tuer SCHLIESSEN", "[BD][B4]&00004[B9]"},
      {__LINE__, "Lampe WIE Tuer", "[BD][B4]&00001&00004"},
      {__LINE__, "Tuer.Tuer := Lampe", "[BD][B4]&00004&00001"},
      {__LINE__, "CT := ZEIT", "[BD][B4]&00000&16395"},
      {__LINE__, "Lampe:=STOPPZEIT", "[BD][B4]&00001&16402"},   // not STOPP and ZEIT
      {__LINE__, "Tuer RUNTERFAHREN", "[BD][B4]&00004&00012"},  // assigns a state literal
      {__LINE__, "WENN Tuer GEOEFFNET DANN", "[BD][BE]&00004=&00012[BF]"},
      {__LINE__, "WENN Tuer IST NICHT Lampe ODER Tuer GROESSER GLEICH 1 DANN",
       "[BD][BE]&00004[C4]&00001[C2]&00004[C6]&00012[BF]"},
      {__LINE__, "WENN STOPPZEIT SPAETER 0 DANN ABBRUCH", "[BD][BE]&16402>&00012[BF][BD][FE]"},
      {__LINE__, "WENN UHRZEIT=SONNENAUFGANG(DATUM) UND TAG =+ 3 DANN",
       "[BD][BE]&16397=&16407(&16396)[C3]&16398[C8]&00012[BF]"},
      {__LINE__, "WENN Zaehler =# 5 DANN", "[BD][BE]&00007[C7]&00012[BF]"},
      {__LINE__, "WENN GESCHALTET(Tuer) DANN", "[BD][BE]|[E7](%00001)[BF]"},
      {__LINE__, "WENN PCAKTIV DANN SONST ENDEWENN", "[BD][BE]|[E8][BF][C0][FF][FF][FF][C1]"},
      {__LINE__, "AKTIVIEREN(Tuer)", "[BD][D5](%00001)"},
      {__LINE__, "AKTIVIEREN(00003)", "[BD][D5](%00003)"},  // the last object by its index
      {__LINE__, "EINGABESPERREN(Lampe)", "[BD][D7](%00000)"},
      {__LINE__, "EINGABE(\"Wert?\",Zaehler)", "[BD][D0](&00012,&00007)"},
      {__LINE__, "SETZEPOSITION(Tuer,10,20)", "[BD][DA](%00001,&00012,&00013)"},
      {__LINE__, "STARTUHR(CT)", "[BD][CE](&00000)"},
      {__LINE__, "Zaehler:=-5", "[BD][B4]&00007|[EF](&00012-&00013)"},
      {__LINE__, "Zaehler:=Zaehler+1*2", "[BD][B4]&00007|[EF](&00007+&00012*&00013)"},
      {__LINE__, "Zaehler:=2,5", "[BD][B4]&00007&00012,&00013"},
      {__LINE__, "GEHEZU Ende", "[BD][FA]00003"},
      {__LINE__, "GEHEZU Nirgends", "[BD][FA]NIRGENDS"},
      {__LINE__, "  PROGRAMMENDE", "[BD][FD]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Fixture f;
    const Translation t = f.translate(c.source);
    EXPECT_EQ(t.result, kResultStatement) << t.name;
    EXPECT_EQ(test::tokenText(t.tokens), c.tokens);
  }
}

TEST(Translator, LiteralsBecomeConstantsOnce) {
  Fixture f;
  const Translation t = f.translate("Text:=\"a\"\"b\"");
  EXPECT_EQ(test::tokenText(t.tokens), "[BD][B4]&00010&00012");
  ASSERT_EQ(f.symbols.size(), 13u);
  EXPECT_EQ(f.symbols[12].key, "Konst");
  EXPECT_EQ(std::get<TVarStr>(f.symbols[12].value).Value, "a\"b");

  // Case stays as typed inside literals, and the same text reuses the constant.
  EXPECT_EQ(test::tokenText(f.translate("WENN Text = \"a\"\"b\" DANN").tokens), "[BD][BE]&00010=&00012[BF]");
  f.translate("Text:=\"Hallo Welt\"");
  EXPECT_EQ(std::get<TVarStr>(f.symbols[13].value).Value, "Hallo Welt");
  EXPECT_EQ(f.symbols.size(), 14u);
}

TEST(Translator, ConstantsReplaceTheFirstOccurrenceEvenInsideWords) {
  Fixture f;
  f.constants = {"  Flur=Lampe", "X=Tuer", "=nichts"};
  EXPECT_EQ(test::tokenText(f.translate("Flur EINSCHALTEN").tokens), "[BD][B4]&00001[B9]");
  const Translation t = f.translate("XX:=AN");  // only the first X: "TuerX"
  EXPECT_EQ(t.result, kErrUnknownName);
  EXPECT_EQ(t.name, "TUERX");
}

TEST(Translator, LabelsAndErrors) {
  struct Case {
    int line;
    const char* source;
    Pass pass;
    int result;
    int position;
    const char* name;
  };
  const Case cases[] = {
      {__LINE__, "Ende:", Pass::Collect, kResultLabel, 0, ""},
      {__LINE__, "Lampe := AN", Pass::Collect, kErrUnknownName, 10, "AN"},
      {__LINE__, "Lampe:=Fehlt", Pass::Collect, kErrUnknownName, 10, "FEHLT"},
      {__LINE__, "Zaehler:=99999999999", Pass::Collect, kErrNumberRange, 16, ""},
      {__LINE__, "Text:=\"offen", Pass::Collect, kErrString, 7, ""},
      {__LINE__, "Text:=\"neu\"", Pass::Resolve, kErrString, 7, ""},
      {__LINE__, "Zaehler:=77", Pass::Resolve, kErrString, 10, ""},
      {__LINE__, "AKTIVIEREN(Keins)", Pass::Collect, kErrUnknownName, 5, "KEINS"},
      {__LINE__, "WENNX:=1", Pass::Collect, kErrUnknownName, 3, "WENNX"},  // a keyword inside a name stays a name
      // Digits where an object name belongs, or a reference typed as such, name no object.
      {__LINE__, "AKTIVIEREN(12345)", Pass::Collect, kErrUnknownName, 5, "12345"},
      {__LINE__, "WENN GESCHALTET(00004) DANN", Pass::Collect, kErrUnknownName, 7, "00004"},
      {__LINE__, "%00100", Pass::Collect, kErrUnknownName, 2, "00100"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Fixture f;
    const Translation t = f.translate(c.source, c.pass);
    EXPECT_EQ(t.result, c.result);
    EXPECT_EQ(t.position, c.position);
    EXPECT_EQ(t.name, c.name);
  }
}

using TokenTable = std::remove_const_t<decltype(kTokenTable)>;

TokenRow& rowOf(TokenTable& table, std::string_view keyword) {
  for (auto& row : table)
    if (row.keyword == keyword) return row;
  throw std::logic_error("no row " + std::string(keyword));
}

// The checks the token table must pass, each shown failing on a table with one fault; and
// the look-ups by byte, which the engine and the walk use, find every row.
TEST(TokenTable, ItsChecksCatchEachFaultAndEveryRowIsFoundByItsByte) {
  struct Fault {
    int line;
    void (*apply)(TokenTable&);
  };
  const Fault faults[] = {
      {__LINE__, [](TokenTable& t) { rowOf(t, "ERLEDIGT").byte = rowOf(t, "AKTIVIEREN").byte; }},
      {__LINE__, [](TokenTable& t) { rowOf(t, "PCAKTIV").byte = rowOf(t, "MODEMOK").byte; }},
      {__LINE__, [](TokenTable& t) { rowOf(t, "AN").byte = rowOf(t, "DANN").byte; }},
      {__LINE__, [](TokenTable& t) { rowOf(t, "ABBRUCH").keyword = "VERLASSEN"; }},
      {__LINE__, [](TokenTable& t) { rowOf(t, "ZWISCHEN").byte = 0xCA; }},
      {__LINE__, [](TokenTable& t) { rowOf(t, "VERLASSEN").byte = 0x7E; }},
      {__LINE__, [](TokenTable& t) { rowOf(t, "*VOR").pcOnly = true; }},
      {__LINE__, [](TokenTable& t) { rowOf(t, "UND").typeLetter = 'Z'; }},
      {__LINE__, [](TokenTable& t) { rowOf(t, "JAHR").number = 16412; }},
      {__LINE__, [](TokenTable& t) { std::swap(rowOf(t, "JAHR"), rowOf(t, "PCAKTIV")); }},
      {__LINE__, [](TokenTable& t) { std::swap(rowOf(t, "WENN"), rowOf(t, "<>")); }},
  };
  EXPECT_TRUE(token_checks::holds(kTokenTable, kKeywordRows));
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.line);
    TokenTable broken = kTokenTable;
    fault.apply(broken);
    EXPECT_FALSE(token_checks::holds(broken, kKeywordRows));
  }
  for (const TokenRow& row : kTokenTable) {
    SCOPED_TRACE(std::string(row.keyword));
    EXPECT_EQ(statementRow(row.byte) == &row, row.kind == TokenKind::Statement);
    if (row.kind == TokenKind::SystemValue) {
      EXPECT_EQ(&systemValueRow(row.number), &row);
    }
  }
  EXPECT_EQ(statementRow(0xB5), nullptr);
  // The four system values that take an argument, and no other.
  std::vector<std::string_view> withArgument;
  for (int n = kFirstSystemValue; n <= kLastSystemValue; ++n)
    if (systemValueTakesArgument(n)) withArgument.push_back(systemValueRow(n).keyword);
  EXPECT_EQ(withArgument, (std::vector<std::string_view>{"STOPPZEIT", "ZUFALLSZEIT", "SONNENAUFGANG", "SONNENUNTERGANG"}));
}

TEST(Translator, AnyBytesAreSafe) {
  Fixture f;
  std::string line;
  for (int b = 1; b < 256; ++b) line += static_cast<char>(b);
  for (std::size_t cut = 0; cut < line.size(); cut += 7) {
    const Translation t = f.translate(line.substr(cut, 40));
    EXPECT_LE(t.result, kResultLabel);
  }
  EXPECT_EQ(f.translate("").tokens, "");
  EXPECT_EQ(f.translate("\"").result, kErrString);
}

}  // namespace
}  // namespace kelvaro
