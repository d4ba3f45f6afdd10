// The error codes of the language and the compiler, and their messages.
#pragma once

#include <string>
#include <string_view>

namespace kelvaro {

// Language error codes.
inline constexpr int kErrString = -10;
inline constexpr int kErrUnknownName = -11;
inline constexpr int kErrNumberRange = -12;
inline constexpr int kErrSyntax = -20;
inline constexpr int kErrTooManyIfs = -93;
inline constexpr int kErrThenMissing = -94;
inline constexpr int kErrElseWithoutThen = -95;
inline constexpr int kErrElseWithoutIf = -96;
inline constexpr int kErrThenWithoutIf = -97;
inline constexpr int kErrEndIfWithoutIf = -98;
inline constexpr int kErrEndIfMissing = -99;
inline constexpr int kErrSequence = -120;
inline constexpr int kErrOverflow = -9999;
// The overflow message of a compile for the PC ("gross") and of a transfer ("groß"); the
// language's own message for -9999 is the PC's, since the editor and the PC run compile for it.
inline constexpr std::string_view kOverflowRunMessage = "Speicher\xFC" "berlauf - Programm zu gross";
inline constexpr std::string_view kOverflowTransferMessage = "Speicher\xFC" "berlauf - Programm zu gro\xDF";

// A failure that is no language error (a bad time start value, an internal fault): the
// caller shows the abort message and names no object.
inline constexpr int kCompileAborted = -8000;
inline constexpr std::string_view kCompileAbortMessage =
    "Die Erstellung des Codes wird wegen eines Fehlers im Objektprogramm abgebrochen";

// The message of a language error code, as the object editor shows it (Windows-1252).
std::string languageErrorMessage(int code, std::string_view name = {});

}  // namespace kelvaro
