// Console messages for kelvaro-cli.
#include "console_user_interface.h"

#include <iostream>

#include "text/cp1252.h"

namespace kelvaro::cli {

std::string messageLine(std::string_view cp1252) {
  std::string line = toUtf8(cp1252);
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  return line;
}

MessageAnswer ConsoleUserInterface::showMessage(const Message& message) {
  if (message.kind == MessageKind::Error) ++m_errors;
  std::cerr << messageLine(message.text) << '\n';
  switch (message.buttons) {
    case MessageButtons::YesNo: return MessageAnswer::No;
    case MessageButtons::OkCancel: return MessageAnswer::Cancel;
    default: return MessageAnswer::Ok;
  }
}

std::optional<std::string> ConsoleUserInterface::inputBox(std::string_view, std::string_view, std::string_view) {
  return std::nullopt;
}

std::optional<std::string> ConsoleUserInterface::openFileName(std::string_view, std::string_view, std::string_view) {
  return std::nullopt;
}

std::optional<std::string> ConsoleUserInterface::saveFileName(std::string_view, std::string_view, std::string_view) {
  return std::nullopt;
}

}  // namespace kelvaro::cli
