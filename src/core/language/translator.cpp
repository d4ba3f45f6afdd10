// The line translator: each rewrite of a line in its own function, applied in a fixed order.
#include "language/translator.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <vector>

#include "language/token.h"
#include "text/cp1252.h"

namespace kelvaro {

ObjectIndex::ObjectIndex(const std::vector<TPSObj>& objects) : m_count(objects.size()) {
  for (std::size_t i = 0; i < objects.size(); ++i) m_index.try_emplace(upperCase(objects[i].Name), static_cast<int>(i));
}

int ObjectIndex::find(std::string_view name) const {
  const auto it = m_index.find(upperCase(name));
  return it == m_index.end() ? -1 : it->second;
}

std::string referenceText(char prefix, int number) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%c%05d", prefix, number);
  return buf;
}

namespace {

struct Rewrite {
  std::string_view pattern;
  std::string replacement;
};

// Word forms rewritten before the literals are taken.
const std::array<Rewrite, 11> kFirstRewrites = {{
    {" GEOEFFNET ", "=0 "},
    {" OFFEN ", "=0 "},
    {" GESCHLOSSEN ", "=1 "},
    {" EINGESCHALTET ", "=1 "},
    {" GEDRUECKT ", "=1 "},
    {" AUSGESCHALTET ", "=0 "},
    {" SPAETER ", ">"},
    {" FRUEHER ", "<"},
    {" RUNTERFAHREN ", ":=\"unten\" "},
    {" RAUFFAHREN ", ":=\"oben\" "},
    {" HOCHFAHREN ", ":=\"oben\" "},
}};

const std::string kFirstState(1, tok::kFirstState.ch());
const std::string kSecondState(1, tok::kSecondState.ch());

// Word forms rewritten after the literals; AN and AUS count only right behind ":=".
const std::array<Rewrite, 18> kSecondRewrites = {{
    {" AUSSCHALTEN", ":=AUS"},
    {" EINSCHALTEN", ":=AN"},
    {" UMSCHALTEN", ":=*VOR"},
    {" GEDRUECKT", ":=AN"},
    {" OEFFNEN", ":=" + kFirstState},
    {" SCHLIESSEN", ":=" + kSecondState},
    {":=AUS ", ":=" + kFirstState},
    {":=AN ", ":=" + kSecondState},
    {" WIE ", ":="},
    {" GLEICHSCHALTEN ", ":="},
    {" UNGLEICH ", "<>"},
    {" IST NICHT ", "<>"},
    {" GROESSER GLEICH ", ">="},
    {" KLEINER GLEICH ", "<="},
    {" GLEICH ", "="},
    {" IST ", "="},
    {" KLEINER ", "<"},
    {" GROESSER ", ">"},
}};

// The two-character comparisons of the token table, in its order.
const std::vector<Rewrite> kOperators = [] {
  std::vector<Rewrite> rows;
  for (const auto& row : kTokenTable)
    if (row.kind == TokenKind::Comparison && row.keyword.size() == 2) rows.push_back({row.keyword, tokenText(row)});
  return rows;
}();

bool isKeywordDelimiter(char c) {
  switch (c) {
    case ' ': case '(': case ')': case '*': case '+': case '-': case '/':
    case ':': case '<': case '=': case '>': case '[': case ']':
      return true;
    default:
      return false;
  }
}

bool isLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNameChar(char c) { return isLetter(c) || isDigit(c) || c == '.'; }

bool isReferenceAt(const std::string& line, std::size_t i) {
  if (line[i] != tok::kSymbolRef && line[i] != tok::kObjectRef) return false;
  if (i + 6 > line.size()) return false;
  for (std::size_t k = i + 1; k < i + 6; ++k)
    if (!isDigit(line[k])) return false;
  return true;
}

int fiveDigitNumber(const std::string& line, std::size_t at) {
  int value = 0;
  for (std::size_t k = at; k < at + 5; ++k) value = value * 10 + (line[k] - '0');
  return value;
}

bool isGotoAt(const std::string& line, std::size_t i) {
  return i + 1 < line.size() && line[i] == tok::kStatement && line[i + 1] == tok::kGoto;
}

// Each row is applied until its pattern no longer occurs; every replacement is shorter than
// its pattern or removes it for good, so this ends.
template <class Rows>
void applyRewrites(std::string& line, const Rows& rows) {
  for (const auto& row : rows) {
    std::size_t at;
    while ((at = line.find(row.pattern)) != std::string::npos) line.replace(at, row.pattern.size(), row.replacement);
  }
}

class LineTranslator {
 public:
  LineTranslator(std::string_view line, TranslatorContext& context) : m_line(line), m_context(context) {}

  Translation run() {
    substituteConstants();
    upperCaseOutsideLiterals();
    m_line += ' ';
    applyRewrites(m_line, kFirstRewrites);
    if (!resolveLiterals()) return m_out;
    m_line += ' ';
    applyRewrites(m_line, kSecondRewrites);
    replaceKeywords();
    applyRewrites(m_line, kOperators);
    std::erase(m_line, ' ');
    markAssignment();
    if (!m_line.empty() && m_line.back() == ':') {
      m_out.result = kResultLabel;
      m_out.tokens = m_line;
      return m_out;
    }
    if (!resolveNames() || !resolveNumbers()) return m_out;
    wrapArithmetic();
    std::erase(m_line, kAssignMarker);
    m_out.tokens = std::move(m_line);
    return m_out;
  }

 private:
  bool fail(int code, std::size_t index) {
    m_out.result = code;
    m_out.position = static_cast<int>(index) + 1;
    return false;
  }

  // constants -> the first occurrence of each NAME of a "NAME=VALUE" entry becomes VALUE
  void substituteConstants() {
    for (const auto& entry : m_context.constants) {
      const std::size_t first = entry.find_first_not_of(' ');
      if (first == std::string::npos) continue;
      const std::string_view text = std::string_view(entry).substr(first);
      const std::size_t equals = text.find('=');
      if (equals == std::string_view::npos || equals < 1) continue;
      const std::string_view name = text.substr(0, equals);
      const std::size_t at = m_line.find(name);
      if (at != std::string::npos) m_line.replace(at, name.size(), text.substr(equals + 1));
    }
  }

  // upper case -> only outside double quotes; a doubled quote toggles twice and stays inside
  void upperCaseOutsideLiterals() {
    bool inside = false;
    for (char& c : m_line) {
      if (c == '"')
        inside = !inside;
      else if (!inside)
        c = upperChar(c);
    }
  }

  // literals -> "&" + the number of the "Konst" text symbol
  bool resolveLiterals() {
    std::size_t open;
    while ((open = m_line.find('"')) != std::string::npos) {
      std::string text;
      std::size_t i = open + 1, close = std::string::npos;
      while (i < m_line.size()) {
        if (m_line[i] == '"') {
          if (i + 1 < m_line.size() && m_line[i + 1] == '"') {
            text += '"';
            i += 2;
            continue;
          }
          close = i;
          break;
        }
        text += m_line[i++];
      }
      if (close == std::string::npos) return fail(kErrString, open);
      int number = m_context.symbols.findText(text);
      if (number < 0) {
        if (m_context.pass == Pass::Resolve) return fail(kErrString, open);
        number = m_context.symbols.append(std::string(kConstantKey), TVarStr{"", text, -1});
        if (number < 0) return fail(kErrOverflow, open);
      }
      m_line.replace(open, close - open + 1, referenceText(tok::kSymbolRef, number));
    }
    return true;
  }

  // keywords -> token bytes where both neighbours are delimiters
  void replaceKeywords() {
    m_line = " " + m_line + " ";
    for (const auto& row : keywordRows()) {
      std::size_t from = 0, at;
      while ((at = m_line.find(row.keyword, from)) != std::string::npos) {
        const std::size_t after = at + row.keyword.size();
        if (at == 0 || after >= m_line.size() || !isKeywordDelimiter(m_line[at - 1]) ||
            !isKeywordDelimiter(m_line[after])) {
          from = at + 1;
          continue;
        }
        std::string replacement = tokenText(row);
        if (row.kind == TokenKind::ConditionPart && (row.byte == tok::kThen || row.byte == tok::kElse)) replacement += ' ';
        std::size_t replaced = row.keyword.size();
        if (objectFirst(row.operand)) {
          replacement += "(%";  // the name that follows is an object
          ++replaced;
        }
        m_line.replace(at, replaced, replacement);
        from = at + replacement.size();
      }
    }
    if (m_line.size() > 2) {
      if (m_line.front() == ' ') m_line.erase(0, 1);
      if (m_line.back() == ' ') m_line.pop_back();
    }
  }

  // assignment -> the first ":=" becomes the marker, a sign after it gets a leading 0
  void markAssignment() {
    const std::size_t at = m_line.find(":=");
    if (at == std::string::npos) return;
    m_line.replace(at, 2, 1, kAssignMarker);
    if (at + 1 < m_line.size() && (m_line[at + 1] == '-' || m_line[at + 1] == '+')) m_line.insert(at + 1, 1, '0');
    m_line.insert(0, std::string{tok::kStatement.ch(), tok::kAssign.ch()});
    m_isAssignment = true;
  }

  // names -> object indexes after "%", symbol references elsewhere, label lines after GEHEZU
  bool resolveNames() {
    std::size_t i = 0;
    while (i < m_line.size()) {
      if (isGotoAt(m_line, i)) {
        resolveGotoLabel(i + 2);
        return true;
      }
      if (!isLetter(m_line[i])) {
        ++i;
        continue;
      }
      std::size_t end = i;
      while (end < m_line.size() && isNameChar(m_line[end])) ++end;
      const std::string name = m_line.substr(i, end - i);
      std::string replacement;
      if (i > 0 && m_line[i - 1] == tok::kObjectRef) {
        const int index = m_context.objects.find(name);
        if (index >= 0) replacement = referenceText(tok::kObjectRef, index).substr(1);
      } else {
        const int number = findVariable(name);
        if (number >= 0) replacement = referenceText(tok::kSymbolRef, number);
      }
      if (replacement.empty()) {
        m_out.name = name.substr(0, 64);
        return fail(kErrUnknownName, i);
      }
      m_line.replace(i, end - i, replacement);
      i += replacement.size();
    }
    return true;
  }

  int findVariable(const std::string& name) const {
    const bool dotted = name.find('.') != std::string::npos;
    const int number = m_context.symbols.find(dotted ? name : upperCase(m_context.objectName) + "." + name);
    return number >= 0 ? number : m_context.symbols.find(name + "." + name);
  }

  void resolveGotoLabel(std::size_t from) {
    const std::string label = m_line.substr(from);
    for (const auto& l : m_context.labels)
      if (l.name == label) {
        m_line.replace(from, std::string::npos, referenceText('0', l.line).substr(1));
        return;
      }
    // An unknown label stays as text; the emission reports it.
  }

  // numbers -> "&" + the number of the "Konst" integer symbol
  bool resolveNumbers() {
    std::size_t i = 0;
    while (i < m_line.size()) {
      if (isGotoAt(m_line, i)) return true;
      if (isReferenceAt(m_line, i)) {
        // Digits where an object name belongs ("AKTIVIEREN(12345)") look like an object
        // reference; one that names no object must not reach the code.
        if (m_line[i] == tok::kObjectRef &&
            static_cast<std::size_t>(fiveDigitNumber(m_line, i + 1)) >= m_context.objects.size()) {
          m_out.name = m_line.substr(i + 1, 5);
          return fail(kErrUnknownName, i + 1);
        }
        i += 6;
        continue;
      }
      if (!isDigit(m_line[i])) {
        ++i;
        continue;
      }
      std::size_t end = i;
      while (end < m_line.size() && isDigit(m_line[end])) ++end;
      std::int32_t value = 0;
      const auto [ptr, ec] = std::from_chars(m_line.data() + i, m_line.data() + end, value);
      if (ec != std::errc() || ptr != m_line.data() + end) return fail(kErrNumberRange, end >= i + 5 ? end - 5 : i);
      int number = m_context.symbols.findInteger(value);
      if (number < 0) {
        if (m_context.pass == Pass::Resolve) return fail(kErrString, i);
        number = m_context.symbols.append(std::string(kConstantKey), TVarInt{value, -1});
        if (number < 0) return fail(kErrOverflow, i);
      }
      const std::string reference = referenceText(tok::kSymbolRef, number);
      m_line.replace(i, end - i, reference);
      i += reference.size();
    }
    return true;
  }

  // arithmetic -> marker + 7C EF "(" expression ")"
  void wrapArithmetic() {
    if (!m_isAssignment || m_line.find_first_of("+-*/") == std::string::npos ||
        m_line.find(tok::kArithmetic.ch()) != std::string::npos)
      return;
    const std::size_t marker = m_line.find(kAssignMarker);
    m_line.insert(marker + 1, std::string{tok::kFunction.ch(), tok::kArithmetic.ch(), tok::kOpen.ch()});
    m_line += ')';
  }

  std::string m_line;
  TranslatorContext& m_context;
  Translation m_out;
  bool m_isAssignment = false;
};

}  // namespace

Translation translateLine(std::string_view line, TranslatorContext& context) {
  return LineTranslator(line, context).run();
}

}  // namespace kelvaro
