// The object commands of the page "Objekte": new, rename, delete, copy, the quiet removal of
// an assistant's auxiliary object and the trace list. The rules live here so that the page
// only binds buttons to them and the tests reach them without a window.
#pragma once

#include <string>
#include <string_view>

#include "model/project.h"

namespace kelvaro {

class UserInterface;
struct Workspace;

// The characters that may stand around an object name in a statement; "," parts the
// arguments of a call such as SETZEPOSITION(Lampe,10,20).
inline constexpr std::string_view kNameSeparators = " ()*+-/:<=>[],";
inline constexpr std::string_view kInitObjectName = "*INIT";
inline constexpr std::uint8_t kACodeInit = 255;
inline constexpr std::uint16_t kCopyIdBase = 10000;
// Program lines and replaced texts are held to the width a project file line can carry.
inline constexpr std::size_t kProgramLineCapacity = 255;

bool isNameSeparator(char c);

// New object: asks "Neues Objekt:" and creates it. The index of the new object, -1 when the
// user cancelled or the name was refused.
int newObject(Project& project, UserInterface& ui);

// Creates an object of this name with the defaults: the name rule applies, "INIT" in any case
// becomes the initialisation object "*INIT" (ACode 255), a taken name is refused with
// "Es gibt schon ein Objekt mit diesem Namen". The index, or -1 after the message.
int createNamedObject(Project& project, UserInterface& ui, std::string_view name);

// Rewrites one program line for a renamed object; true when the line changed.
bool renameInLine(std::string& line, std::string_view oldName, std::string_view newName);
// Rewrites every object's program; the number of lines changed.
int renameInPrograms(Project& project, std::string_view oldName, std::string_view newName);

// Rename: asks "Neuer Name:" and renames the object and every reference in the programs.
// A name that another object already has is refused. True when renamed.
bool renameObject(Project& project, UserInterface& ui, int index);

// Where a program line refers to the object of this name (also as name.variable): the offset
// of the first occurrence followed by a separator, "." or the line's end; npos when none. The
// character before is not tested, so "Stehlampe" counts as a use of "Lampe".
std::size_t findReference(std::string_view line, std::string_view name);
inline bool lineRefersTo(std::string_view line, std::string_view name) {
  return findReference(line, name) != std::string_view::npos;
}

struct Referrers {
  int count = 0;   // other objects whose program refers to the object
  int first = -1;  // the first of them in list order
};
Referrers findReferrers(const Project& project, int index);

// The refusal text for an object that other programs still use.
std::string deleteRefusal(const Project& project, int index, const Referrers& referrers);

// Delete: refuses an object that other programs use, else asks and removes it. True when deleted.
bool deleteObject(Project& project, UserInterface& ui, int index);
// Removes the object without asking when at most `tolerated` other programs refer to it.
bool deleteObjectQuietly(Project& project, int index, int tolerated);

// The auxiliary object an assistant created for a generated statement ("/&/" and "LO:"),
// named by the text before the first ";": removed when its program has exactly two lines and
// at most one other program refers to it. True when removed.
bool removeAuxiliaryObject(Project& project, std::string_view statement);

// The copy command's text replacement: every occurrence of oldText (case-sensitive), left to
// right, never looking into text it has inserted; cut to `capacity` after each insertion.
std::string replaceText(std::string_view text, std::string_view oldText, std::string_view newText,
                        std::size_t capacity = kProgramLineCapacity);

// The copy of an object as the copy command makes it, placed below its source.
TPSObj copiedObject(const TPSObj& source, std::string_view oldText, std::string_view newText);

// Copy: asks the text to replace and the new text, appends the copy and gives it the
// selection number 10000 + its index. The index of the copy, -1 when cancelled or refused.
int copyObject(Project& project, UserInterface& ui, int index);

// The trace list of the debugger. Adding ignores a name that is already listed.
bool addTraceEntry(Workspace& workspace, std::string_view objectName);
bool removeTraceEntry(Workspace& workspace, int entry);
void clearTraceList(Workspace& workspace);

}  // namespace kelvaro
