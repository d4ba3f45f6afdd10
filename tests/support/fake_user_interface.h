// A scripted user interface for tests: records every message and answers from a queue.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/user_interface.h"

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

  // Answers given in order; when the queue is empty a box answers Ok (or Yes for Yes/No).
  std::deque<MessageAnswer> answers;
  // Input box entries in order; nothing = the user cancels. Empty queue = cancel.
  std::deque<std::optional<std::string>> inputs;
  std::deque<std::optional<std::string>> fileNames;

  std::vector<Message> messages;
  std::vector<std::string> inputPrompts;
  int beeps = 0;

  // The texts of all messages shown, converted to UTF-8 for readable comparisons.
  std::vector<std::string> messageTexts() const;
};

}  // namespace kelvaro::test
