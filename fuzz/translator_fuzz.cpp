// Fuzz target for the line translator. The input is one control byte, the program line up to
// the first newline, and then one constants-list entry per line. Bits 0-2 of the control byte
// choose the object whose program the line belongs to; bit 3 chooses which pass runs first.
// The line is translated in both passes, and what the compiler relies on is checked:
// results, error positions, the shape of the token string, and that the resolve pass gives
// what the collect pass gave once the constants are known.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "language/code_emitter.h"
#include "language/compiler.h"
#include "language/token.h"
#include "language/translator.h"
#include "model/project.h"

namespace kelvaro::fuzz {
namespace {

std::string varDef(std::string name, std::string type, std::string start) {
  name.resize(20, ' ');
  type.resize(20, ' ');
  return name + type + start;
}

// A small installation: a lamp with variables, a door, a shutter, a number, a text.
struct Fixture {
  Project project;
  SymbolList symbols;
  std::vector<Label> labels{{"START", 0}, {"ENDE", 3}, {"WEITER", 7}};

  Fixture() {
    project.typeStates = {{"Lampe:aus", {}},  {"Lampe:an", {}},     {"Tuer:offen", {}},
                          {"Tuer:zu", {}},    {"Rollade:oben", {}}, {"Rollade:halb", {}},
                          {"Rollade:unten", {}}};
    auto add = [&](const char* name, const char* type, const char* start) {
      TPSObj o = createObject(name);
      o.Typ = type;
      o.StartVal = start;
      project.objects.push_back(o);
    };
    add("Lampe", "Lampe", "aus");
    add("Tuer", "Tuer", "zu");
    add("Rollo", "Rollade", "oben");
    add("Zaehler", "Zahl", "0");
    add("Text", "Zeichen", "");
    project.objects[0].varDefs = {varDef("Hell", "Zahl", "5"), varDef("Soll", "Zahl", "21,5"),
                                  varDef("Start", "Uhr", "06:30"), varDef("Name", "Zeichen", "Bad"),
                                  varDef("Licht", "Lampe", "an")};
    const CompileOutput out = compile(project, {}, CompileMode::Run);
    if (out.result.code != 0) fail("fixture compiles", std::to_string(out.result.code));
    symbols = out.symbols;
  }
};

const Fixture& fixture() {
  static const Fixture f;
  return f;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }

bool fiveDigitsAt(std::string_view s, std::size_t at) {
  if (at + 5 > s.size()) return false;
  for (std::size_t k = at; k < at + 5; ++k)
    if (!isDigit(s[k])) return false;
  return true;
}

int number(std::string_view s, std::size_t at) { return std::stoi(std::string(s.substr(at, 5))); }

std::string describe(std::string_view line, const Translation& t) {
  return "line \"" + shown(line) + "\" -> result " + std::to_string(t.result) + " position " +
         std::to_string(t.position) + " name \"" + shown(t.name) + "\" tokens \"" + shown(t.tokens) + "\"";
}

void checkTranslation(std::string_view line, const Translation& t, const SymbolList& symbols) {
  const std::string d = describe(line, t);
  const int r = t.result;
  check(r == kResultStatement || r == kResultLabel || r == kErrString || r == kErrUnknownName ||
            r == kErrNumberRange || r == kErrOverflow,
        "the translator gives 0, 1, -10, -11, -12 or -9999", d);
  if (r < 0) {
    check(t.position >= 1, "an error has a position from 1 on", d);
    check(t.tokens.empty(), "an error gives no tokens", d);
    check(!languageErrorMessage(r, t.name).empty(), "every error code has a message", d);
    if (r == kErrUnknownName) {
      check(!t.name.empty() && t.name.size() <= 64, "-11 names the identifier in 1 to 64 characters", d);
      // A name, or the five digits of an object reference that names no object.
      for (char c : t.name) check(isUpper(c) || isDigit(c) || c == '.', "the identifier holds name characters", d);
    } else {
      check(t.name.empty(), "only -11 names an identifier", d);
    }
    return;
  }
  check(t.position == 0 && t.name.empty(), "a success carries no error position or name", d);
  check(t.tokens.find(' ') == std::string::npos, "tokens hold no blank", d);
  check(t.tokens.find('"') == std::string::npos, "every literal became a reference", d);
  if (r == kResultLabel) {
    // The compiler takes only the fact that the line is a label; its tokens are not emitted.
    check(!t.tokens.empty() && t.tokens.back() == ':', "a label ends with a colon", d);
    return;
  }
  check(t.tokens.find(kAssignMarker) == std::string::npos, "tokens hold no assignment marker", d);
  // Every name and every digit run became a five-digit reference; only the label text
  // behind GEHEZU stays as it is (the emission reports an unknown label).
  const std::string_view s = t.tokens;
  bool everyReferenceExists = true;
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] == tok::kStatement && i + 1 < s.size() && s[i + 1] == tok::kGoto) break;
    if ((s[i] == tok::kSymbolRef || s[i] == tok::kObjectRef) && fiveDigitsAt(s, i + 1)) {
      const auto n = static_cast<std::size_t>(number(s, i + 1));
      if (s[i] == tok::kSymbolRef)
        everyReferenceExists &= n < symbols.size() || (n >= kFirstSystemValue && n <= kLastSystemValue);
      else
        check(n < fixture().project.objects.size(), "an object reference names an object", d);
      i += 6;
      continue;
    }
    // Lower-case letters can remain: a shutter word inside a literal writes "unten" or
    // "oben" with its own quotes, which then pair differently (the sequence check refuses it).
    check(!isUpper(s[i]) && !isDigit(s[i]), "no upper-case letter or digit outside references", d);
    ++i;
  }
  // A symbol reference typed as such ("&04000") passes the translator unchecked; the
  // emission must refuse one that names nothing.
  SymbolList copy = symbols;
  std::vector<std::uint8_t> code(kCodeSize, 0);
  CodeEmitter emitter(CompileMode::Run, copy, code);
  const int emitted = emitter.emitLine(t.tokens);
  check(emitted == 0 || emitted == kErrSyntax, "the emission of one line gives 0 or -20", d);
  if (!everyReferenceExists) check(emitted == kErrSyntax, "a reference to nothing is refused by the emission", d);
}

bool same(const Translation& a, const Translation& b) {
  return a.result == b.result && a.position == b.position && a.tokens == b.tokens && a.name == b.name;
}

}  // namespace
}  // namespace kelvaro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvaro;
  using namespace kelvaro::fuzz;
  if (size == 0) return 0;
  const Fixture& f = fixture();
  const std::uint8_t control = data[0];
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t newline = rest.find('\n');
  const std::string line(rest.substr(0, newline));
  std::vector<std::string> constants;
  if (newline != std::string_view::npos) {
    std::string_view tail = rest.substr(newline + 1);
    for (;;) {
      const std::size_t end = tail.find('\n');
      constants.emplace_back(tail.substr(0, end));
      if (end == std::string_view::npos) break;
      tail = tail.substr(end + 1);
    }
  }
  const TPSObj& object = f.project.objects[(control & 7u) % f.project.objects.size()];
  const bool resolveFirst = (control & 8u) != 0;
  const ObjectIndex objects(f.project.objects);

  auto translate = [&](SymbolList& symbols, Pass pass) {
    TranslatorContext context{objects, object.Name, symbols, constants, f.labels, pass};
    const std::size_t before = symbols.size();
    Translation t = translateLine(line, context);
    check(symbols.size() <= kMaxSymbols, "the symbol list stays within its limit");
    check(pass == Pass::Collect || symbols.size() == before, "the resolve pass creates no symbol");
    for (std::size_t n = before; n < symbols.size(); ++n)
      check(symbols[n].key == kConstantKey, "the collect pass creates only constants", describe(line, t));
    checkTranslation(line, t, symbols);
    return t;
  };

  SymbolList fresh = f.symbols;
  Translation early;
  if (resolveFirst) early = translate(fresh, Pass::Resolve);

  SymbolList symbols = f.symbols;
  const Translation collected = translate(symbols, Pass::Collect);
  const Translation resolved = translate(symbols, Pass::Resolve);
  if (collected.result != kErrOverflow)
    check(same(collected, resolved), "once its constants are known, resolve gives what collect gave",
          describe(line, collected) + " / resolve: " + describe(line, resolved));
  if (resolveFirst && early.result >= 0)
    check(same(early, collected), "a line that needs no new constant translates alike in both passes",
          describe(line, early) + " / collect: " + describe(line, collected));
  return 0;
}
