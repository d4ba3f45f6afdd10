// The layout pieces that the project file reader and writer must agree on: column widths,
// the fixed-width number groups, key lines and the tables of object flags and numbers.
// Kept in one place so that a width or a key cannot drift between the two directions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/project.h"
#include "storage/project_file.h"

namespace kelvaro::projectfile {

// Characters kept of a body line after its first character is dropped.
inline constexpr std::size_t kReadLineLimit = 255;
// Columns of a name that is followed by a bitmap file name on the same line.
inline constexpr std::size_t kViewNameColumn = 48;
inline constexpr std::size_t kStateBitmapColumn = 48;  // +ZBM
inline constexpr std::size_t kTypeStateColumn = 64;
// Groups of four numbers (window position, placements): five characters each.
inline constexpr std::size_t kGroupFieldWidth = 5;
inline constexpr std::size_t kGroupFields = 4;

using NumberGroup = std::array<std::int32_t, kGroupFields>;

// A decimal number as the file holds it: optional blanks, an optional sign, digits, optional
// blanks. Nothing when the text is not such a number, and nothing for one that does not fit
// int32: it is as unreadable as a word, so a key that reads it as 0 does so, and BackColor,
// ExeWinStat and ObjIDNr end the load at it.
std::optional<std::int32_t> parseNumber(std::string_view text);
// The low 8 bits, for the byte fields; what a byte field holds after "300" is 44.
std::uint8_t lowByte(std::int32_t value);

// Four numbers as one field of 20 characters: each right-aligned in five, blanks made "0".
// A number that needs more than five characters would shift its neighbours, so it is held
// at the nearest value that fits (-9999 .. 99999) instead of corrupting the whole group.
void appendGroup(std::string& out, const NumberGroup& numbers);
// Characters 1-5, 6-10, 11-15, 16-20; a field that is missing or does not parse is nothing.
std::array<std::optional<std::int32_t>, kGroupFields> parseGroup(std::string_view text);

// The name left-aligned and padded with blanks to the column; a longer name is not cut.
void appendPadded(std::string& out, std::string_view name, std::size_t column);

struct ColumnSplit {
  std::string name;  // the first `column` characters, trailing blanks removed
  std::string file;  // the rest, trailing blanks removed; empty when the text is not longer
};
ColumnSplit splitColumn(std::string_view text, std::size_t column);

struct KeyLine {
  std::string_view key;    // the text before the first "="
  std::string_view value;  // after it, trailing blanks removed; ";" alone reads as empty
};
// Nothing when the line has no "=".
std::optional<KeyLine> splitKeyLine(std::string_view line);

// Object flags in writing order. The rule says which value is written and which is read:
// a flag that is on by default is written only as "0" and only "0" clears it, and the
// other way round. ExtActiv is on by default yet was once written only as "1"; it is now
// written in both states and read in both, so a cleared flag survives a save and files
// that only know " ExtActiv=1" still load the same.
enum class FlagRule { WrittenAsZero, WrittenAsOne, WrittenBoth };
struct FlagKey {
  std::string_view key;
  bool TPSObj::*field;
  FlagRule rule;
};
inline constexpr std::array<FlagKey, 10> kObjectFlags = {{
    {"Activ", &TPSObj::Activ, FlagRule::WrittenAsZero},
    {"visible", &TPSObj::visible, FlagRule::WrittenAsZero},
    {"Beep", &TPSObj::Beep, FlagRule::WrittenAsOne},
    {"SpecSt", &TPSObj::SpecSt, FlagRule::WrittenAsOne},
    {"InputExec", &TPSObj::InputExec, FlagRule::WrittenAsZero},
    {"AutoSize", &TPSObj::AutoSize, FlagRule::WrittenAsZero},
    {"Stretch", &TPSObj::Stretch, FlagRule::WrittenAsOne},
    {"ExtActiv", &TPSObj::ExtActiv, FlagRule::WrittenBoth},
    {"RckMsg", &TPSObj::RckMsg, FlagRule::WrittenAsOne},
    {"ExtTrans", &TPSObj::ExtTrans, FlagRule::WrittenAsOne},
}};

// The object's display numbers in writing order, each with the condition under which it is
// written; the reader accepts every one of them whatever its value.
enum class WrittenWhen { Always, NotZero, Positive, NotMinusOne };
struct NumberKey {
  std::string_view key;
  std::int32_t TPSObj::*field;
  WrittenWhen when;
};
inline constexpr std::array<NumberKey, 13> kObjectNumbers = {{
    {"GgeFrom", &TPSObj::GgeFrom, WrittenWhen::NotZero},
    {"GgeTo", &TPSObj::GgeTo, WrittenWhen::NotZero},
    {"GgeCol", &TPSObj::GgeCol, WrittenWhen::Always},
    {"OutpRB", &TPSObj::OutpRB, WrittenWhen::Always},
    {"OutpWrtRB", &TPSObj::OutpWrtRB, WrittenWhen::Always},
    {"BSInputRB", &TPSObj::BSInputRB, WrittenWhen::Always},
    {"NoBitMapRB", &TPSObj::NoBitMapRB, WrittenWhen::Always},
    {"GaugeDirRB", &TPSObj::GaugeDirRB, WrittenWhen::Always},
    {"PanelCh", &TPSObj::PanelCh, WrittenWhen::Positive},
    {"PanelRo", &TPSObj::PanelRo, WrittenWhen::Positive},
    {"HdwTyp", &TPSObj::HdwTyp, WrittenWhen::NotMinusOne},
    {"CtZust", &TPSObj::CtZust, WrittenWhen::NotMinusOne},
    {"ObjTypO", &TPSObj::ObjTypO, WrittenWhen::NotMinusOne},
}};

// The per-slot keys of a station in writing order; each line carries the slot digit first.
enum class SlotField { CDevArt, CAdr, CCon, CFkt, CNam, CZAnOn, CEIntW1, CEIntW2, COfflB };
struct SlotKey {
  std::string_view key;
  SlotField field;
};
inline constexpr std::array<SlotKey, 9> kSlotKeys = {{
    {"CDevArt", SlotField::CDevArt},
    {"CAdr", SlotField::CAdr},
    {"CCon", SlotField::CCon},
    {"CFkt", SlotField::CFkt},
    {"CNam", SlotField::CNam},
    {"CZAnOn", SlotField::CZAnOn},
    {"CEIntW1", SlotField::CEIntW1},
    {"CEIntW2", SlotField::CEIntW2},
    {"COfflB", SlotField::COfflB},
}};

// Whether a slot's offline behaviour gets a COfflB line. A blank means "none", and so does the
// NUL that a station holds until it is configured; a NUL in a text file would corrupt it, as
// would a line break, so none of these is written.
bool offlineBehaviourWritten(char c);

// What a project may grow to while files are read into it, counted by projectCost. Each entry
// is charged at least the bytes it takes when written (so a project read in full writes a file
// no larger than this, which the reader accepts in full again: reading that file charges no
// more than the first reading did) and about the memory it takes, so that a small file of
// tiny lines or bare object headers cannot swell to gigabytes. Real projects stay far below.
inline constexpr std::size_t kMaxProjectCost = 64u * 1024u * 1024u;

// The charges: a fixed part per entry, plus the length of its texts.
inline constexpr std::size_t kProjectBaseCost = 256;   // headers and window settings
inline constexpr std::size_t kLineCost = 32;           // types, constants, groups, program lines ...
inline constexpr std::size_t kNamedBitmapCost = 96;    // views, type states, +ZBM: padded columns
inline constexpr std::size_t kObjectBaseCost = 1024;   // every key line written at its widest
inline constexpr std::size_t kStationBaseCost = 2048;  // every key and slot line at its widest

// The texts of an object that are not in its lists. OName and Typ count at least as much as
// they hold when the object is created, so that reading a written file never charges more
// on the way than at its end.
std::size_t objectTextCost(const TPSObj& object);
std::size_t objectCost(const TPSObj& object);
std::size_t stationCost(const TPSContr& station);
std::size_t projectCost(const Project& project);

// How a read ended, with the line (counting from 1) and key that stopped it; tooLarge when it
// stopped because the project would have grown beyond the budget (the key is then empty).
struct ReadOutcome {
  ReadStatus status = ReadStatus::Complete;
  std::size_t line = 0;
  std::string key;
  bool tooLarge = false;
};
ReadOutcome readProjectBytes(Project& project, std::string_view bytes, std::size_t budget = kMaxProjectCost);

}  // namespace kelvaro::projectfile
