#pragma once
// The lines the shutter assistant writes for a shutter group G, as pure functions: G's member
// block, the clock block of G + "Zeituhr", the arming blocks of G + "ZeitStellen" with their
// SUNSETS block, and the rewrite of an arming statement for a time the user sets on screen.
// The assistant's commands (app layer) only decide where these lines go.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "assistants/time_input.h"

namespace kelvaro {

inline constexpr std::string_view kTimeSetterSuffix = "ZeitStellen";
inline constexpr std::string_view kGroupClockSuffix = "Zeituhr";
inline constexpr std::string_view kDownTimeVariable = "RunterZeit";
inline constexpr std::string_view kUpTimeVariable = "RaufZeit";
// Marks the block that turns "SA"/"SU" into today's times; reopening stops reading there.
inline constexpr std::string_view kSunsetsMark = "*SUNSETS*";
// The bookkeeping a statement carries when its time comes from an object on screen.
inline constexpr std::string_view kAuxiliaryMark = "       /&/System-Information LO:";

// Stored program lines ("-&" in front) of G + "Zeituhr": when the time of day reaches an armed
// time, disarm it, move G and run G's program.
std::vector<std::string> groupClockBlock(std::string_view group);

// Stored lines of G's member block: every member follows G. Nothing for no members.
std::vector<std::string> memberBlock(std::string_view group, const std::vector<std::string>& members);

// The members a stored member block names, in the order it names them.
std::vector<std::string> membersOfGroupProgram(const std::vector<std::string>& program, std::string_view group);

// G's two time variables as VarDef rows, each starting at "0" (no time armed).
std::vector<std::string> groupVariableRows();

// Replaces the rows of the two time variables in a VarDef list, keeping every other variable.
std::vector<std::string> withGroupVariables(const std::vector<std::string>& varDefs);

// The arming block (list lines, no marker) for one time-window result: for each given time,
// arm it unless a time is armed already; with weekdays the whole inside the day condition.
// Nothing when the result gives no time.
std::vector<std::string> groupTimeBlock(std::string_view group, const TimeWindowResult& times);

// The SUNSETS block (list lines): an armed "SA"/"SU" becomes today's sunrise or sunset.
std::vector<std::string> sunsetsBlock(std::string_view group);

// Reopening: the generated lines of G + "ZeitStellen" (without the marker) up to the SUNSETS
// block, which finishing writes anew.
std::vector<std::string> earlierTimeLines(const std::vector<std::string>& program);

// Removes the group blocks ("/RG--**" headers and the generated lines they count) from a
// program; lines the user typed stay even where a damaged count would reach over them.
void removeGroupBlocks(std::vector<std::string>& program);

// Removes every generated line, keeping the user's own.
void removeGeneratedLines(std::vector<std::string>& program);

// An arming statement the screen input can take over: «{indent}{G}.RunterZeit:="{time}"»
// (or RaufZeit), not already taken over.
struct ArmingStatement {
  std::string indent;
  std::string target;    // G.RunterZeit or G.RaufZeit as written
  std::string variable;  // kDownTimeVariable or kUpTimeVariable
  std::string time;      // without the quotes
};
std::optional<ArmingStatement> armingStatement(std::string_view line, std::string_view group);

// The statement rewritten to take its time from the auxiliary object, with the object's name
// behind the bookkeeping mark so that deleting the statement can remove the object.
std::string screenInputStatement(const ArmingStatement& statement, std::string_view auxiliary);

// The auxiliary object a statement names behind "LO:" (up to ";"); empty when none.
std::string auxiliaryObjectName(std::string_view line);

// The block of an auxiliary object: a changed time re-arms the group.
std::vector<std::string> auxiliaryBlock(std::string_view group);

// The first list line too long to be stored whole, or nothing when all fit.
std::optional<std::string> overlongLine(const std::vector<std::string>& listLines);

}  // namespace kelvaro
