// A scripted user interface for tests: records every message and answers from a queue.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/user_interface.h"

namespace kelvaro::test {

class FakeUserInterface : public UserInterface {
 public:
  MessageAnswer showMessage(const Message& message) override;
  std::optional<std::string> inputBox(std::string_view caption, std::string_view prompt,
                                      std::string_view value) override;
  std::optional<std::string> openFileName(std::string_view title, std::string_view filter,
                                          std::string_view directory) override;
  std::optional<std::string> saveFileName(std::string_view title, std::string_view filter,
                                          std::string_view directory) override;
  void beep() override { ++beeps; }
  void showWait(std::string_view text) override { waitTexts.emplace_back(text); waitOpen = true; }
  void closeWait() override { waitOpen = false; }
  bool cancelRequested() override { return cancelAfterPolls >= 0 && ++cancelPolls > cancelAfterPolls; }
  void showStatus(std::string_view text) override { statusTexts.emplace_back(text); }
  void showProgress(int done, int total) override { progress.emplace_back(done, total); }
  void showNote(std::string_view text) override { notes.emplace_back(text); }

  // Answers given in order; when the queue is empty a box answers Ok (or Yes for Yes/No).
  std::deque<MessageAnswer> answers;
  // Input box entries in order; nothing = the user cancels. Empty queue = cancel.
  std::deque<std::optional<std::string>> inputs;
  std::deque<std::optional<std::string>> fileNames;

  std::vector<Message> messages;
  std::vector<std::string> inputPrompts;
  int beeps = 0;

  std::vector<std::string> waitTexts;
  bool waitOpen = false;
  // The user presses "Abbruch" on the poll after this many; -1 never.
  int cancelAfterPolls = -1;
  int cancelPolls = 0;
  std::vector<std::string> statusTexts;  // every text the status line showed, "" for a clear
  std::vector<std::pair<int, int>> progress;
  std::vector<std::string> notes;

  // The texts of all messages shown, converted to UTF-8 for readable comparisons.
  std::vector<std::string> messageTexts() const;
};

}  // namespace kelvaro::test
