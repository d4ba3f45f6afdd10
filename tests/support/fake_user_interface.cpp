// The scripted user interface of the tests.
#include "support/fake_user_interface.h"

#include "text/cp1252.h"

namespace kelvaro::test {

MessageAnswer FakeUserInterface::showMessage(const Message& message) {
  messages.push_back(message);
  if (!answers.empty()) {
    const MessageAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  return message.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

std::optional<std::string> FakeUserInterface::inputBox(std::string_view, std::string_view prompt, std::string_view) {
  inputPrompts.emplace_back(prompt);
  if (inputs.empty()) return std::nullopt;
  auto entry = inputs.front();
  inputs.pop_front();
  return entry;
}

std::optional<std::string> FakeUserInterface::openFileName(std::string_view, std::string_view, std::string_view) {
  if (fileNames.empty()) return std::nullopt;
  auto name = fileNames.front();
  fileNames.pop_front();
  return name;
}

std::optional<std::string> FakeUserInterface::saveFileName(std::string_view title, std::string_view filter,
                                                           std::string_view directory) {
  return openFileName(title, filter, directory);
}

std::vector<std::string> FakeUserInterface::messageTexts() const {
  std::vector<std::string> texts;
  for (const auto& m : messages) texts.push_back(toUtf8(m.text));
  return texts;
}

}  // namespace kelvaro::test
