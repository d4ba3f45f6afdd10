// The user interface of the headless tool: messages go to stderr as one UTF-8 line each,
// questions are answered with the cautious choice, since nobody is there to ask.
#pragma once

#include "ui/user_interface.h"

namespace kelvaro::cli {

class ConsoleUserInterface final : public UserInterface {
 public:
  MessageAnswer showMessage(const Message& message) override;
  std::optional<std::string> inputBox(std::string_view caption, std::string_view prompt,
                                      std::string_view value) override;
  std::optional<std::string> openFileName(std::string_view title, std::string_view filter,
                                          std::string_view directory) override;
  std::optional<std::string> saveFileName(std::string_view title, std::string_view filter,
                                          std::string_view directory) override;

  int errorCount() const { return m_errors; }

 private:
  int m_errors = 0;
};

// A Windows-1252 message as one UTF-8 line: the "\r" line breaks of the boxes become blanks.
std::string messageLine(std::string_view cp1252);

}  // namespace kelvaro::cli
