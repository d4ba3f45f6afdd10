// Shared by the fuzz targets: a check that stops the run with a readable reason, byte strings
// shown as text with the non-printable bytes in hex, and a user interface nobody sits at.
#pragma once

#include <concepts>
#include <optional>
#include <string>
#include <string_view>

#include "ui/user_interface.h"

namespace kelvaro::fuzz {

// Prints the failed invariant with the offending input and aborts, so that libFuzzer keeps
// the input as a crash.
[[noreturn]] void fail(std::string_view invariant, std::string_view detail);

inline void check(bool ok, std::string_view invariant, std::string_view detail = {}) {
  if (!ok) fail(invariant, detail);
}

// The same with the detail built only on failure, for checks in loops.
template <typename Detail>
  requires std::invocable<Detail>
inline void check(bool ok, std::string_view invariant, Detail&& detail) {
  if (!ok) fail(invariant, detail());
}

// Printable ASCII as it is, every other byte as [XX].
std::string shown(std::string_view bytes);

// Boxes are answered with their first button (a runtime error box with Ok, a question with
// Yes unless `answerNo`); dialogs are cancelled. Counts what it was shown.
class QuietUserInterface : public UserInterface {
 public:
  MessageAnswer showMessage(const Message& message) override {
    ++messages;
    if (message.kind == MessageKind::Error) ++errors;
    switch (message.buttons) {
      case MessageButtons::YesNo: return answerNo ? MessageAnswer::No : MessageAnswer::Yes;
      case MessageButtons::OkCancel: return cancelErrors ? MessageAnswer::Cancel : MessageAnswer::Ok;
      default: return MessageAnswer::Ok;
    }
  }
  std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> openFileName(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> saveFileName(std::string_view, std::string_view, std::string_view) override { return {}; }
  void showNote(std::string_view) override { ++messages; }

  bool answerNo = false;
  bool cancelErrors = false;
  int messages = 0;
  int errors = 0;
};

}  // namespace kelvaro::fuzz
