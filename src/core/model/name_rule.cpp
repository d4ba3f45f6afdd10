// Name rule checks and the name input box.
#include "model/name_rule.h"

#include "ui/user_interface.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

inline constexpr int kNameHelpContext = 100;

bool isLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

NameCheck checkName(std::string_view name) {
  if (name.size() > kMaxNameLength) return NameCheck::TooLong;
  if (name.empty() || !isLetter(upperChar(name[0]))) return NameCheck::Invalid;
  for (char c : name) {
    const char u = upperChar(c);
    if (!isLetter(u) && !isDigit(u)) return NameCheck::Invalid;
  }
  return NameCheck::Valid;
}

bool validName(UserInterface& ui, std::string_view name) {
  switch (checkName(name)) {
    case NameCheck::Valid:
      return true;
    case NameCheck::TooLong:
      showError(ui, fromUtf8("Maximal 32 Zeichen zulässig"), MessageButtons::OkHelp, kNameHelpContext);
      return false;
    case NameCheck::Invalid:
      showError(ui, std::string(name) + "\r" + fromUtf8(" ist kein gültiger Name"), MessageButtons::OkHelp,
                kNameHelpContext);
      return false;
  }
  return false;
}

bool askName(UserInterface& ui, std::string_view prompt, std::string& name) {
  std::string entry = name;
  for (;;) {
    const auto answer = ui.inputBox("Eingabe", prompt, entry);
    if (!answer) return false;
    entry = trimRight(*answer);
    if (entry.empty()) return false;
    if (validName(ui, entry)) {
      name = entry;
      return true;
    }
  }
}

}  // namespace kelvaro
