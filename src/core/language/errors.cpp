// Messages of the language error codes, word for word as the object editor shows them.
#include "language/errors.h"

#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {

std::string languageErrorMessage(int code, std::string_view name) {
  switch (code) {
    case kErrString: return "Fehler in Zeichenkette";
    case kErrUnknownName: return shortText("Unbekannter Bezeichner ->" + std::string(name), 89);
    case kErrNumberRange: return fromUtf8("Bereichsüberschreitung bei Zahl");
    case kErrSyntax: return "Syntaxfehler";
    case kErrTooManyIfs: return "Zu viele offene WENN-Anweisungen";
    case kErrThenMissing: return "DANN fehlt in WENN-Anweisung";
    case kErrElseWithoutThen: return fromUtf8("SONST ohne zugehörige DANN-Anweisung");
    case kErrElseWithoutIf: return fromUtf8("SONST ohne zugehörige WENN-Anweisung");
    case kErrThenWithoutIf: return fromUtf8("DANN ohne zugehörige WENN-Anweisung");
    case kErrEndIfWithoutIf: return fromUtf8("ENDEWENN ohne zugehörige WENN-Anweisung");
    case kErrEndIfMissing: return "Fehler in WENN-Anweisung - ENDEWENN fehlt";
    case kErrSequence: return "Syntaxfehler";
    case kErrOverflow: return std::string(kOverflowRunMessage);
    case kCompileAborted: return std::string(kCompileAbortMessage);
    default: return "Fehler " + std::to_string(code);
  }
}

}  // namespace kelvaro
