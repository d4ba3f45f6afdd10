// The one table of the token code: every keyword with its bytes, its kind and the shape of
// its operand. The translator, the emitter, the structure walk and the engine all read it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvaro {

namespace tok {
inline constexpr char kStatement = '\xBD';   // first byte of every statement
inline constexpr char kAssign = '\xB4';      // BD B4: assignment
inline constexpr char kIf = '\xBE';          // BD BE: WENN
inline constexpr char kThen = '\xBF';        // DANN
inline constexpr char kElse = '\xC0';        // SONST (C0 FF FF FF before the walk)
inline constexpr char kEndIf = '\xC1';       // ENDEWENN
inline constexpr char kOr = '\xC2';
inline constexpr char kAnd = '\xC3';
inline constexpr char kNotEqual = '\xC4';
inline constexpr char kLessEqual = '\xC5';
inline constexpr char kGreaterEqual = '\xC6';
inline constexpr char kWildcardEqual = '\xC7';  // =#
inline constexpr char kWeekdayEqual = '\xC8';   // =+
inline constexpr char kBetween = '\xC9';
inline constexpr char kGoto = '\xFA';        // BD FA
inline constexpr char kLeave = '\xFC';       // BD FC: VERLASSEN
inline constexpr char kFunction = '\x7C';    // 7C xx: condition functions and arithmetic
inline constexpr char kArithmetic = '\xEF';  // 7C EF
inline constexpr char kNextState = '\xB6';   // *VOR
inline constexpr char kPrevState = '\xB7';   // *ZURUECK
inline constexpr char kFirstState = '\xB8';  // AUS after :=
inline constexpr char kSecondState = '\xB9'; // AN after :=
inline constexpr char kSymbolRef = '&';
inline constexpr char kObjectRef = '%';
}  // namespace tok

enum class TokenKind {
  Statement,          // BD + operation
  ConditionPart,      // DANN, SONST, ENDEWENN, ODER, UND, ZWISCHEN
  ConditionFunction,  // 7C + function
  StateValue,         // *VOR, *ZURUECK
  SystemValue,        // "&" + fixed number
};

enum class Operand {
  None,
  ObjectArgument,  // the following name is an object: "(%" NAME
  Arguments,       // a parenthesised argument list
  Label,           // GEHEZU label
};

struct TokenRow {
  std::string_view keyword;
  std::string_view bytes;  // token bytes, or the reference text of a system value
  TokenKind kind;
  Operand operand;
  bool pcOnly;  // only run on the PC; the control unit's code drops the arguments
};

// In the order in which the translator replaces the keywords.
inline constexpr std::array<TokenRow, 59> kTokenTable = {{
    {"*VOR", "\xB6", TokenKind::StateValue, Operand::None, false},
    {"*ZURUECK", "\xB7", TokenKind::StateValue, Operand::None, false},
    {"WENN", "\xBD\xBE", TokenKind::Statement, Operand::None, false},
    {"DANN", "\xBF ", TokenKind::ConditionPart, Operand::None, false},
    {"SONST", "\xC0\xFF\xFF\xFF ", TokenKind::ConditionPart, Operand::None, false},
    {"ENDEWENN", "\xC1", TokenKind::ConditionPart, Operand::None, false},
    {"ODER", "\xC2", TokenKind::ConditionPart, Operand::None, false},
    {"UND", "\xC3", TokenKind::ConditionPart, Operand::None, false},
    {"ZWISCHEN", "\xC9", TokenKind::ConditionPart, Operand::None, false},
    {"GEHEZU", "\xBD\xFA", TokenKind::Statement, Operand::Label, false},
    {"STARTUHR", "\xBD\xCE", TokenKind::Statement, Operand::Arguments, false},
    {"STARTWIN", "\xBD\xE6", TokenKind::Statement, Operand::Arguments, true},
    {"ERLEDIGT", "\xBD\xDF", TokenKind::Statement, Operand::ObjectArgument, false},
    {"SETZEMODEM", "\xBD\xF0", TokenKind::Statement, Operand::None, false},
    {"VERLASSEN", "\xBD\xFC", TokenKind::Statement, Operand::None, false},
    {"SENDESMS", "\xBD\x82", TokenKind::Statement, Operand::Arguments, false},
    {"INITMODEM", "\xBD\x83", TokenKind::Statement, Operand::None, false},
    {"EINGABE", "\xBD\xD0", TokenKind::Statement, Operand::Arguments, true},
    {"PLAY", "\xBD\xD1", TokenKind::Statement, Operand::Arguments, true},
    {"LAUT", "\xBD\xD2", TokenKind::Statement, Operand::Arguments, true},
    {"SICHTBAR", "\xBD\xD3", TokenKind::Statement, Operand::ObjectArgument, true},
    {"UNSICHTBAR", "\xBD\xD4", TokenKind::Statement, Operand::ObjectArgument, true},
    {"EINGABESPERREN", "\xBD\xD7", TokenKind::Statement, Operand::ObjectArgument, true},
    {"EINGABEFREIGEBEN", "\xBD\xD8", TokenKind::Statement, Operand::ObjectArgument, true},
    {"SETZEPOSITION", "\xBD\xDA", TokenKind::Statement, Operand::ObjectArgument, true},
    {"HOLEPOSITION", "\xBD\xDB", TokenKind::Statement, Operand::ObjectArgument, true},
    {"AKTIVIEREN", "\xBD\xD5", TokenKind::Statement, Operand::ObjectArgument, false},
    {"DEAKTIVIEREN", "\xBD\xD6", TokenKind::Statement, Operand::ObjectArgument, false},
    {"AUSFUEHRUNG", "\xBD\xE0", TokenKind::Statement, Operand::ObjectArgument, false},
    {"ABFRAGE", "\xBD\xE1", TokenKind::Statement, Operand::ObjectArgument, false},
    {"FEHLERBEHANDLUNG", "\xBD\xE2", TokenKind::Statement, Operand::ObjectArgument, false},
    {"BALKENFARBE", "\xBD\xDE", TokenKind::Statement, Operand::ObjectArgument, true},
    {"MODEM", "\xBD\xEC", TokenKind::Statement, Operand::Arguments, false},
    {"ANRUFEN", "\xBD\xED", TokenKind::Statement, Operand::Arguments, false},
    {"MODEMDATA", "\xBD\xEE", TokenKind::Statement, Operand::Arguments, false},
    {"PROGRAMMENDE", "\xBD\xFD", TokenKind::Statement, Operand::None, false},
    {"ABBRUCH", "\xBD\xFE", TokenKind::Statement, Operand::None, false},
    {"ZEIT", "&16395", TokenKind::SystemValue, Operand::None, false},
    {"DATUM", "&16396", TokenKind::SystemValue, Operand::None, false},
    {"UHRZEIT", "&16397", TokenKind::SystemValue, Operand::None, false},
    {"TAG", "&16398", TokenKind::SystemValue, Operand::None, false},
    {"UHRZEIT5", "&16399", TokenKind::SystemValue, Operand::None, false},
    {"SEC5", "&16400", TokenKind::SystemValue, Operand::None, false},
    {"RECHNE", "&16401", TokenKind::SystemValue, Operand::None, false},
    {"STOPPZEIT", "&16402", TokenKind::SystemValue, Operand::None, false},
    {"MONAT", "&16403", TokenKind::SystemValue, Operand::None, false},
    {"ZUFALLSZEIT", "&16404", TokenKind::SystemValue, Operand::None, false},
    {"OBJFEHLANZ", "&16405", TokenKind::SystemValue, Operand::None, false},
    {"FEHLEROBJEKT", "&16406", TokenKind::SystemValue, Operand::None, false},
    {"SONNENAUFGANG", "&16407", TokenKind::SystemValue, Operand::None, false},
    {"SONNENUNTERGANG", "&16408", TokenKind::SystemValue, Operand::None, false},
    {"MONATSTAG", "&16409", TokenKind::SystemValue, Operand::None, false},
    {"JAHR", "&16410", TokenKind::SystemValue, Operand::None, false},
    {"GESCHALTET", "\x7C\xE7", TokenKind::ConditionFunction, Operand::ObjectArgument, false},
    {"PCAKTIV", "\x7C\xE8", TokenKind::ConditionFunction, Operand::None, false},
    {"FEHLER", "\x7C\xE9", TokenKind::ConditionFunction, Operand::ObjectArgument, false},
    {"AKTIVIERT", "\x7C\xEA", TokenKind::ConditionFunction, Operand::ObjectArgument, false},
    {"MODEMOK", "\x7C\xEB", TokenKind::ConditionFunction, Operand::None, false},
    {"SMSFEHLER", "\x7C\xF1", TokenKind::ConditionFunction, Operand::None, false},
}};

// System values: references at and above this number.
inline constexpr int kFirstSystemValue = 16395;
inline constexpr int kLastSystemValue = 16410;

struct SystemValueRow {
  int number;
  std::string_view keyword;
  char typeLetter;  // 'Z' time of day, 'D' date, '-' none
};

inline constexpr std::array<SystemValueRow, 16> kSystemValues = {{
    {16395, "ZEIT", 'Z'},          {16396, "DATUM", 'D'},
    {16397, "UHRZEIT", 'Z'},       {16398, "TAG", '-'},
    {16399, "UHRZEIT5", 'Z'},      {16400, "SEC5", '-'},
    {16401, "RECHNE", '-'},        {16402, "STOPPZEIT", '-'},
    {16403, "MONAT", '-'},         {16404, "ZUFALLSZEIT", '-'},
    {16405, "OBJFEHLANZ", '-'},    {16406, "FEHLEROBJEKT", '-'},
    {16407, "SONNENAUFGANG", 'Z'}, {16408, "SONNENUNTERGANG", 'Z'},
    {16409, "MONATSTAG", '-'},     {16410, "JAHR", '-'},
}};

static_assert(kSystemValues.size() == kLastSystemValue - kFirstSystemValue + 1);

// The row of a statement's operation byte (the byte after BD), if it is one.
const TokenRow* statementRow(char operation);
// The row of a condition function's byte (the byte after 7C), if it is one.
const TokenRow* functionRow(char function);

}  // namespace kelvaro
