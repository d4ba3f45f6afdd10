// The one table of the token code: every keyword, statement, condition byte, function, system
// value and operator with its bytes, its kind and the shape of its operands. It is the only
// definition of the byte code: the translator, the emitter, the structure walk, the engine,
// the debugger and the object editor's word list read it, and the named constants below are
// looked up in it when the program is compiled, so a byte is written down exactly once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kelvaro {

enum class TokenKind : std::uint8_t {
  Statement,          // BD + operation byte
  ConditionPart,      // DANN, SONST, ENDEWENN, ODER, UND, ZWISCHEN
  Comparison,         // "<", "=", ">" and the two-character comparisons
  ConditionFunction,  // 7C + function byte; the arithmetic wrapper is one too
  StateValue,         // *VOR, *ZURUECK, and AUS and AN after ":="
  SystemValue,        // "&" + a fixed number at and above 16395
  Reference,          // "&" symbol, "%" object: a 16-bit number follows
  Lead,               // the first byte of statements (BD) and of functions (7C)
  Placeholder,        // FF: an address byte the structure walk fills in
  Character,          // "(", ")", ",", ".", "+", "-", "*", "/" standing for themselves
};

// What follows a token's bytes in the code. 16-bit numbers (symbols, objects, addresses) are
// little-endian in the PC's code and big-endian addresses in the control unit's image;
// "&" var is a symbol reference, "%" obj an object reference, each three bytes.
enum class Operand : std::uint8_t {
  None,
  Number,                 // a 16-bit number (after "&" and "%")
  Assignment,             // "&" target, then the value up to the next statement
  Condition,              // then-address, else-address, the condition up to DANN
  JumpTarget,             // a 16-bit target: the label's line index, after the walk its address
  ElseJump,               // three placeholder bytes; the walk makes the four BD FA + address
  Expression,             // operands and operators up to the next statement
  Variable,               // "(" "&" var ")"; optional after a system value
  Variables,              // "(" "&" var [ "," "&" var ] ")"
  TextAndVariable,        // "(" "&" prompt "," "&" var ")"
  Object,                 // "(" "%" obj ")"
  ObjectAndVariable,      // "(" "%" obj "," "&" var ")"
  ObjectAndTwoVariables,  // "(" "%" obj "," "&" x "," "&" y ")"
};

// The operand is written in parentheses right after the keyword.
constexpr bool inParentheses(Operand o) { return o >= Operand::Variable; }
// The first argument names an object: the translator writes "(%" behind the keyword.
constexpr bool objectFirst(Operand o) {
  return o == Operand::Object || o == Operand::ObjectAndVariable || o == Operand::ObjectAndTwoVariables;
}

struct TokenRow {
  std::string_view keyword;  // as a program writes it; "" where no word stands for the token
  TokenKind kind;
  std::uint8_t byte;         // operation byte after BD, function byte after 7C, or the byte itself
  std::uint16_t number;      // system values: the reference number
  Operand operand;
  bool pcOnly;      // run only on the PC; the control unit's code drops the arguments
  char typeLetter;  // system values: 'Z' time of day, 'D' date, '-' none
};

namespace token_rows {
constexpr TokenRow statement(std::string_view k, std::uint8_t b, Operand o = Operand::None, bool pcOnly = false) {
  return {k, TokenKind::Statement, b, 0, o, pcOnly, 0};
}
constexpr TokenRow pcStatement(std::string_view k, std::uint8_t b, Operand o) { return statement(k, b, o, true); }
constexpr TokenRow single(std::string_view k, TokenKind kind, std::uint8_t b, Operand o = Operand::None) {
  return {k, kind, b, 0, o, false, 0};
}
constexpr TokenRow function(std::string_view k, std::uint8_t b, Operand o = Operand::None) {
  return {k, TokenKind::ConditionFunction, b, 0, o, false, 0};
}
constexpr TokenRow sysValue(std::string_view k, std::uint16_t n, char letter, Operand o = Operand::None) {
  return {k, TokenKind::SystemValue, 0, n, o, false, letter};
}
}  // namespace token_rows

// The first kKeywordRows rows are the words the translator replaces, in the order it replaces
// them (so EINGABESPERREN goes before EINGABE could match inside it, and the statements before
// the system values); the rows after them are written by the translator's other rewrites
// (assignment, arithmetic, operators).
inline constexpr std::size_t kKeywordRows = 59;

inline constexpr auto kTokenTable = [] {
  using namespace token_rows;
  using K = TokenKind;
  using O = Operand;
  return std::array{
      //          keyword              byte  operand                    kind / PC only
      single("*VOR", K::StateValue, 0xB6),                        // next state
      single("*ZURUECK", K::StateValue, 0xB7),                    // previous state
      statement("WENN", 0xBE, O::Condition),
      single("DANN", K::ConditionPart, 0xBF),
      single("SONST", K::ConditionPart, 0xC0, O::ElseJump),
      single("ENDEWENN", K::ConditionPart, 0xC1),
      single("ODER", K::ConditionPart, 0xC2),
      single("UND", K::ConditionPart, 0xC3),
      single("ZWISCHEN", K::ConditionPart, 0xC9),                 // the third operand after ","
      statement("GEHEZU", 0xFA, O::JumpTarget),
      statement("STARTUHR", 0xCE, O::Variable),
      pcStatement("STARTWIN", 0xE6, O::Variable),
      statement("ERLEDIGT", 0xDF, O::Object),
      statement("SETZEMODEM", 0xF0),
      statement("VERLASSEN", 0xFC),                               // also the end of every program
      statement("SENDESMS", 0x82, O::Variable),                   // control unit only
      statement("INITMODEM", 0x83),                               // control unit only
      pcStatement("EINGABE", 0xD0, O::TextAndVariable),
      pcStatement("PLAY", 0xD1, O::Variable),
      pcStatement("LAUT", 0xD2, O::Variable),
      pcStatement("SICHTBAR", 0xD3, O::Object),
      pcStatement("UNSICHTBAR", 0xD4, O::Object),
      pcStatement("EINGABESPERREN", 0xD7, O::Object),
      pcStatement("EINGABEFREIGEBEN", 0xD8, O::Object),
      pcStatement("SETZEPOSITION", 0xDA, O::ObjectAndTwoVariables),
      pcStatement("HOLEPOSITION", 0xDB, O::ObjectAndTwoVariables),
      statement("AKTIVIEREN", 0xD5, O::Object),
      statement("DEAKTIVIEREN", 0xD6, O::Object),
      statement("AUSFUEHRUNG", 0xE0, O::Object),
      statement("ABFRAGE", 0xE1, O::Object),
      statement("FEHLERBEHANDLUNG", 0xE2, O::Object),
      pcStatement("BALKENFARBE", 0xDE, O::ObjectAndVariable),
      statement("MODEM", 0xEC, O::Variable),
      statement("ANRUFEN", 0xED, O::Variables),
      statement("MODEMDATA", 0xEE, O::Variable),
      statement("PROGRAMMENDE", 0xFD),
      statement("ABBRUCH", 0xFE),
      sysValue("ZEIT", 16395, 'Z'),
      sysValue("DATUM", 16396, 'D'),
      sysValue("UHRZEIT", 16397, 'Z'),
      sysValue("TAG", 16398, '-'),
      sysValue("UHRZEIT5", 16399, 'Z'),
      sysValue("SEC5", 16400, '-'),
      sysValue("RECHNE", 16401, '-'),
      sysValue("STOPPZEIT", 16402, '-', O::Variable),
      sysValue("MONAT", 16403, '-'),
      sysValue("ZUFALLSZEIT", 16404, '-', O::Variable),
      sysValue("OBJFEHLANZ", 16405, '-'),
      sysValue("FEHLEROBJEKT", 16406, '-'),
      sysValue("SONNENAUFGANG", 16407, 'Z', O::Variable),
      sysValue("SONNENUNTERGANG", 16408, 'Z', O::Variable),
      sysValue("MONATSTAG", 16409, '-'),
      sysValue("JAHR", 16410, '-'),
      function("GESCHALTET", 0xE7, O::Object),
      function("PCAKTIV", 0xE8),
      function("FEHLER", 0xE9, O::Object),
      function("AKTIVIERT", 0xEA, O::Object),
      function("MODEMOK", 0xEB),
      function("SMSFEHLER", 0xF1),
      // Written by the translator's other rewrites.
      statement(":=", 0xB4, O::Assignment),
      function("", 0xEF, O::Expression),                          // the arithmetic wrapper
      single("AUS", K::StateValue, 0xB8),                         // first state, right after ":="
      single("AN", K::StateValue, 0xB9),                          // second state, right after ":="
      single("<>", K::Comparison, 0xC4),
      single("<=", K::Comparison, 0xC5),
      single(">=", K::Comparison, 0xC6),
      single("=#", K::Comparison, 0xC7),                          // texts equal, "*" any character
      single("=+", K::Comparison, 0xC8),                          // weekday position in a mask
      single("<", K::Comparison, '<'),
      single("=", K::Comparison, '='),
      single(">", K::Comparison, '>'),
      single("&", K::Reference, '&', O::Number),                  // symbol or system value
      single("%", K::Reference, '%', O::Number),                  // object
      single("", K::Lead, 0xBD),                                  // statement
      single("|", K::Lead, 0x7C),                                 // function
      single("", K::Placeholder, 0xFF),
      single("(", K::Character, '('),
      single(")", K::Character, ')'),
      single(",", K::Character, ','),
      single(".", K::Character, '.'),
      single("+", K::Character, '+'),
      single("-", K::Character, '-'),
      single("*", K::Character, '*'),
      single("/", K::Character, '/'),
  };
}();

// The words the translator replaces, in its order.
constexpr std::span<const TokenRow> keywordRows() { return std::span(kTokenTable).first(kKeywordRows); }

// A token byte. Token strings are std::string (char) and the code buffer std::uint8_t; a
// TokenByte compares right with both, where a char 0xBD would never equal a byte 0xBD.
struct TokenByte {
  std::uint8_t value = 0;
  constexpr operator std::uint8_t() const { return value; }
  constexpr char ch() const { return static_cast<char>(value); }
  friend constexpr bool operator==(TokenByte a, TokenByte b) { return a.value == b.value; }
  friend constexpr bool operator==(TokenByte a, char c) { return a.value == static_cast<std::uint8_t>(c); }
  friend constexpr bool operator==(TokenByte a, std::uint8_t b) { return a.value == b; }
};

// The byte of the row of this kind and keyword; a name that is not in the table does not compile.
consteval TokenByte tokenByte(TokenKind kind, std::string_view keyword) {
  for (const auto& row : kTokenTable)
    if (row.kind == kind && row.keyword == keyword) return {row.byte};
  throw "no such token in the table";
}
consteval int systemValueNumber(std::string_view keyword) {
  for (const auto& row : kTokenTable)
    if (row.kind == TokenKind::SystemValue && row.keyword == keyword) return row.number;
  throw "no such system value in the table";
}

// Bytes that stand on their own in the code.
namespace tok {
inline constexpr TokenByte kStatement = tokenByte(TokenKind::Lead, "");
inline constexpr TokenByte kFunction = tokenByte(TokenKind::Lead, "|");
inline constexpr TokenByte kSymbolRef = tokenByte(TokenKind::Reference, "&");
inline constexpr TokenByte kObjectRef = tokenByte(TokenKind::Reference, "%");
inline constexpr TokenByte kPlaceholder = tokenByte(TokenKind::Placeholder, "");
inline constexpr TokenByte kThen = tokenByte(TokenKind::ConditionPart, "DANN");
inline constexpr TokenByte kElse = tokenByte(TokenKind::ConditionPart, "SONST");
inline constexpr TokenByte kEndIf = tokenByte(TokenKind::ConditionPart, "ENDEWENN");
inline constexpr TokenByte kOr = tokenByte(TokenKind::ConditionPart, "ODER");
inline constexpr TokenByte kAnd = tokenByte(TokenKind::ConditionPart, "UND");
inline constexpr TokenByte kBetween = tokenByte(TokenKind::ConditionPart, "ZWISCHEN");
inline constexpr TokenByte kLess = tokenByte(TokenKind::Comparison, "<");
inline constexpr TokenByte kEqual = tokenByte(TokenKind::Comparison, "=");
inline constexpr TokenByte kGreater = tokenByte(TokenKind::Comparison, ">");
inline constexpr TokenByte kNotEqual = tokenByte(TokenKind::Comparison, "<>");
inline constexpr TokenByte kLessEqual = tokenByte(TokenKind::Comparison, "<=");
inline constexpr TokenByte kGreaterEqual = tokenByte(TokenKind::Comparison, ">=");
inline constexpr TokenByte kWildcardEqual = tokenByte(TokenKind::Comparison, "=#");
inline constexpr TokenByte kWeekdayEqual = tokenByte(TokenKind::Comparison, "=+");
inline constexpr TokenByte kNextState = tokenByte(TokenKind::StateValue, "*VOR");
inline constexpr TokenByte kPrevState = tokenByte(TokenKind::StateValue, "*ZURUECK");
inline constexpr TokenByte kFirstState = tokenByte(TokenKind::StateValue, "AUS");
inline constexpr TokenByte kSecondState = tokenByte(TokenKind::StateValue, "AN");
inline constexpr TokenByte kOpen = tokenByte(TokenKind::Character, "(");
inline constexpr TokenByte kClose = tokenByte(TokenKind::Character, ")");
inline constexpr TokenByte kComma = tokenByte(TokenKind::Character, ",");
inline constexpr TokenByte kPoint = tokenByte(TokenKind::Character, ".");
inline constexpr TokenByte kPlus = tokenByte(TokenKind::Character, "+");
inline constexpr TokenByte kMinus = tokenByte(TokenKind::Character, "-");
inline constexpr TokenByte kTimes = tokenByte(TokenKind::Character, "*");
inline constexpr TokenByte kDivide = tokenByte(TokenKind::Character, "/");
// Operation bytes after BD.
inline constexpr TokenByte kAssign = tokenByte(TokenKind::Statement, ":=");
inline constexpr TokenByte kIf = tokenByte(TokenKind::Statement, "WENN");
inline constexpr TokenByte kGoto = tokenByte(TokenKind::Statement, "GEHEZU");
inline constexpr TokenByte kStartClock = tokenByte(TokenKind::Statement, "STARTUHR");
inline constexpr TokenByte kStartProgram = tokenByte(TokenKind::Statement, "STARTWIN");
inline constexpr TokenByte kDone = tokenByte(TokenKind::Statement, "ERLEDIGT");
inline constexpr TokenByte kSetModem = tokenByte(TokenKind::Statement, "SETZEMODEM");
inline constexpr TokenByte kLeave = tokenByte(TokenKind::Statement, "VERLASSEN");
inline constexpr TokenByte kSendSms = tokenByte(TokenKind::Statement, "SENDESMS");
inline constexpr TokenByte kInitModem = tokenByte(TokenKind::Statement, "INITMODEM");
inline constexpr TokenByte kInput = tokenByte(TokenKind::Statement, "EINGABE");
inline constexpr TokenByte kPlay = tokenByte(TokenKind::Statement, "PLAY");
inline constexpr TokenByte kBeep = tokenByte(TokenKind::Statement, "LAUT");
inline constexpr TokenByte kShow = tokenByte(TokenKind::Statement, "SICHTBAR");
inline constexpr TokenByte kHide = tokenByte(TokenKind::Statement, "UNSICHTBAR");
inline constexpr TokenByte kLockInput = tokenByte(TokenKind::Statement, "EINGABESPERREN");
inline constexpr TokenByte kUnlockInput = tokenByte(TokenKind::Statement, "EINGABEFREIGEBEN");
inline constexpr TokenByte kSetPosition = tokenByte(TokenKind::Statement, "SETZEPOSITION");
inline constexpr TokenByte kGetPosition = tokenByte(TokenKind::Statement, "HOLEPOSITION");
inline constexpr TokenByte kActivate = tokenByte(TokenKind::Statement, "AKTIVIEREN");
inline constexpr TokenByte kDeactivate = tokenByte(TokenKind::Statement, "DEAKTIVIEREN");
inline constexpr TokenByte kRun = tokenByte(TokenKind::Statement, "AUSFUEHRUNG");
inline constexpr TokenByte kQuery = tokenByte(TokenKind::Statement, "ABFRAGE");
inline constexpr TokenByte kErrorHandler = tokenByte(TokenKind::Statement, "FEHLERBEHANDLUNG");
inline constexpr TokenByte kBarColour = tokenByte(TokenKind::Statement, "BALKENFARBE");
inline constexpr TokenByte kModem = tokenByte(TokenKind::Statement, "MODEM");
inline constexpr TokenByte kDial = tokenByte(TokenKind::Statement, "ANRUFEN");
inline constexpr TokenByte kModemData = tokenByte(TokenKind::Statement, "MODEMDATA");
inline constexpr TokenByte kProgramEnd = tokenByte(TokenKind::Statement, "PROGRAMMENDE");
inline constexpr TokenByte kAbort = tokenByte(TokenKind::Statement, "ABBRUCH");
// Function bytes after 7C.
inline constexpr TokenByte kSwitched = tokenByte(TokenKind::ConditionFunction, "GESCHALTET");
inline constexpr TokenByte kPcActive = tokenByte(TokenKind::ConditionFunction, "PCAKTIV");
inline constexpr TokenByte kFault = tokenByte(TokenKind::ConditionFunction, "FEHLER");
inline constexpr TokenByte kActivated = tokenByte(TokenKind::ConditionFunction, "AKTIVIERT");
inline constexpr TokenByte kModemOk = tokenByte(TokenKind::ConditionFunction, "MODEMOK");
inline constexpr TokenByte kSmsFault = tokenByte(TokenKind::ConditionFunction, "SMSFEHLER");
inline constexpr TokenByte kArithmetic = tokenByte(TokenKind::ConditionFunction, "");
}  // namespace tok

// The numbers of the system values.
namespace sys {
inline constexpr int kZeit = systemValueNumber("ZEIT");
inline constexpr int kDatum = systemValueNumber("DATUM");
inline constexpr int kUhrzeit = systemValueNumber("UHRZEIT");
inline constexpr int kTag = systemValueNumber("TAG");
inline constexpr int kUhrzeit5 = systemValueNumber("UHRZEIT5");
inline constexpr int kSec5 = systemValueNumber("SEC5");
inline constexpr int kRechne = systemValueNumber("RECHNE");
inline constexpr int kStoppzeit = systemValueNumber("STOPPZEIT");
inline constexpr int kMonat = systemValueNumber("MONAT");
inline constexpr int kZufallszeit = systemValueNumber("ZUFALLSZEIT");
inline constexpr int kObjFehlAnz = systemValueNumber("OBJFEHLANZ");
inline constexpr int kFehlerObjekt = systemValueNumber("FEHLEROBJEKT");
inline constexpr int kSonnenaufgang = systemValueNumber("SONNENAUFGANG");
inline constexpr int kSonnenuntergang = systemValueNumber("SONNENUNTERGANG");
inline constexpr int kMonatstag = systemValueNumber("MONATSTAG");
inline constexpr int kJahr = systemValueNumber("JAHR");
}  // namespace sys

// --- what the table promises ------------------------------------------------------------

namespace token_checks {

using Rows = std::span<const TokenRow>;

constexpr bool oneByte(TokenKind k) {
  return k != TokenKind::Statement && k != TokenKind::ConditionFunction && k != TokenKind::SystemValue;
}

// No two statements share an operation byte, no two functions a function byte, no two tokens
// that stand alone in the code share their byte, and no keyword is there twice.
constexpr bool bytesUnique(Rows rows) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t j = i + 1; j < rows.size(); ++j) {
      const TokenRow &a = rows[i], &b = rows[j];
      const bool sameSpace = a.kind == b.kind ? a.kind != TokenKind::SystemValue : oneByte(a.kind) && oneByte(b.kind);
      if (sameSpace && a.byte == b.byte) return false;
      if (a.kind == b.kind && !a.keyword.empty() && a.keyword == b.keyword) return false;
    }
  return true;
}

constexpr bool in(std::uint8_t b, int from, int to) { return b >= from && b <= to; }

// Keyword bytes lie at and above 0x80, where no character of a token string does, and each
// kind keeps to the range its readers test for; only statements are PC-only, only system
// values carry a type letter.
constexpr bool rangesHold(Rows rows) {
  for (const auto& row : rows) {
    const std::uint8_t b = row.byte;
    bool ok = true;
    switch (row.kind) {
      case TokenKind::Statement: ok = in(b, 0x80, 0xFE) && b != 0xBD; break;
      case TokenKind::ConditionPart: ok = in(b, 0xBF, 0xC3) || b == 0xC9; break;
      case TokenKind::Comparison: ok = in(b, 0xC4, 0xC8) || b == '<' || b == '=' || b == '>'; break;
      case TokenKind::ConditionFunction: ok = in(b, 0xE7, 0xF1); break;
      case TokenKind::StateValue: ok = in(b, 0xB6, 0xB9); break;
      case TokenKind::SystemValue: ok = b == 0 && row.number >= 16395; break;
      case TokenKind::Reference: ok = in(b, 0x21, 0x7E) && row.operand == Operand::Number; break;
      case TokenKind::Character: ok = in(b, 0x21, 0x7E) && row.operand == Operand::None; break;
      case TokenKind::Lead: ok = b == 0xBD || b == 0x7C; break;
      case TokenKind::Placeholder: ok = b == 0xFF; break;
    }
    if (!ok) return false;
    if (row.pcOnly && row.kind != TokenKind::Statement) return false;
    if ((row.typeLetter != 0) != (row.kind == TokenKind::SystemValue)) return false;
  }
  return true;
}

constexpr std::size_t firstSystemValueRow(Rows rows) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].kind == TokenKind::SystemValue) return i;
  return rows.size();
}

// The system values are one run of 16 consecutive numbers, in the table's order.
constexpr bool systemValuesConsecutive(Rows rows) {
  const std::size_t first = firstSystemValueRow(rows);
  std::size_t count = 0;
  for (const auto& row : rows) count += row.kind == TokenKind::SystemValue;
  if (count != 16 || first + count > rows.size()) return false;
  for (std::size_t i = 0; i < count; ++i)
    if (rows[first + i].kind != TokenKind::SystemValue || rows[first + i].number != rows[first].number + i) return false;
  return true;
}

// The translator's rows are words: a letter or "*" first, then letters and digits.
constexpr bool keywordRowsAreWords(Rows rows, std::size_t keywordRows) {
  if (keywordRows > rows.size()) return false;
  for (std::size_t i = 0; i < keywordRows; ++i) {
    const std::string_view k = rows[i].keyword;
    if (k.size() < 2 || !((k[0] >= 'A' && k[0] <= 'Z') || k[0] == '*')) return false;
    for (char c : k.substr(1))
      if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

constexpr bool holds(Rows rows, std::size_t keywordRows) {
  return bytesUnique(rows) && rangesHold(rows) && systemValuesConsecutive(rows) && keywordRowsAreWords(rows, keywordRows);
}

}  // namespace token_checks

static_assert(token_checks::bytesUnique(kTokenTable), "two tokens share a byte or a keyword");
static_assert(token_checks::rangesHold(kTokenTable), "a token's byte lies outside the range of its kind");
static_assert(token_checks::systemValuesConsecutive(kTokenTable), "the system values must be 16 consecutive numbers");
static_assert(token_checks::keywordRowsAreWords(kTokenTable, kKeywordRows), "the translator's rows must be keywords");

// System values: references at and above this number.
inline constexpr int kFirstSystemValue = kTokenTable[token_checks::firstSystemValueRow(kTokenTable)].number;
inline constexpr int kLastSystemValue = kFirstSystemValue + 15;
static_assert(kFirstSystemValue == 16395);

constexpr bool isSystemValue(int n) { return n >= kFirstSystemValue && n <= kLastSystemValue; }
// The row of a system value's number; the number must be one.
constexpr const TokenRow& systemValueRow(int n) {
  return kTokenTable[token_checks::firstSystemValueRow(kTokenTable) + static_cast<std::size_t>(n - kFirstSystemValue)];
}
// STOPPZEIT(var) and the like: a "(&var)" follows the reference.
constexpr bool systemValueTakesArgument(int n) { return isSystemValue(n) && systemValueRow(n).operand == Operand::Variable; }

// The row of a statement's operation byte (the byte after BD), if it is one.
const TokenRow* statementRow(std::uint8_t operation);
// The token bytes that stand for a row in a token string: BD or 7C and the row's byte, the
// byte alone (SONST with its three placeholders), or "&" and the five digits of a system value.
std::string tokenText(const TokenRow& row);

}  // namespace kelvaro
