// The only way the core talks to the user: the GUI implements it with dialogs, the command
// line with stderr, tests with a scripted fake. Every text passed here is Windows-1252.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

enum class MessageKind { Error, Warning, Information, Question };
enum class MessageButtons { Ok, OkHelp, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct Message {
  MessageKind kind = MessageKind::Information;
  std::string text;
  MessageButtons buttons = MessageButtons::Ok;
  int helpContext = 0;  // 0 = no help topic
  // The button that Enter presses; nothing for the box's usual one (the first). A question
  // whose "Ja" destroys something sets "Nein", so that a hasty Enter loses nothing.
  std::optional<MessageAnswer> defaultAnswer = std::nullopt;
};

// A Yes/No warning whose "Ja" deletes or discards something.
inline Message destructiveQuestion(std::string text) {
  return {MessageKind::Warning, std::move(text), MessageButtons::YesNo, 0, MessageAnswer::No};
}

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // A modal message box; returns the button the user chose.
  virtual MessageAnswer showMessage(const Message& message) = 0;

  // The input box: nothing when the user cancels.
  virtual std::optional<std::string> inputBox(std::string_view caption, std::string_view prompt,
                                              std::string_view value) = 0;

  // An input box whose entry is shown as "*" (a password); nothing when the user cancels. By
  // default the plain input box, for interfaces that have no way to hide what is typed.
  virtual std::optional<std::string> passwordBox(std::string_view caption, std::string_view prompt) {
    return inputBox(caption, prompt, "");
  }

  // File dialogs; filter in the form "Projekte (*.SPG)". Nothing when cancelled.
  virtual std::optional<std::string> openFileName(std::string_view title, std::string_view filter,
                                                  std::string_view directory) = 0;
  virtual std::optional<std::string> saveFileName(std::string_view title, std::string_view filter,
                                                  std::string_view directory) = 0;

  virtual void playSound(std::string_view /*file*/) {}
  virtual void beep() {}

  // The wait dialog of the hardware commands: shown with a text, polled for its "Abbruch"
  // button while the command waits, closed at the end.
  virtual void showWait(std::string_view /*text*/) {}
  virtual void closeWait() {}
  virtual bool cancelRequested() { return false; }
  // The status line of the control-unit page; an empty text clears it.
  virtual void showStatus(std::string_view /*text*/) {}
  // Progress of a long transfer: done of total steps.
  virtual void showProgress(int /*done*/, int /*total*/) {}
  // The non-modal message window: a note that does not stop the command.
  virtual void showNote(std::string_view text) {
    showMessage({MessageKind::Information, std::string(text), MessageButtons::Ok, 0});
  }
};

// Shorthands for the message boxes the commands show most.
inline MessageAnswer showError(UserInterface& ui, std::string text, MessageButtons buttons = MessageButtons::Ok,
                               int helpContext = 0) {
  return ui.showMessage({MessageKind::Error, std::move(text), buttons, helpContext});
}

}  // namespace kelvaro
