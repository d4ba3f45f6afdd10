// Stored program lines as the compiler reads them.
#include "language/program_lines.h"

#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {

std::string statementText(std::string_view storedLine) {
  const std::size_t skip = storedLine.size() >= 2 && storedLine[1] == '&' ? 2 : 1;
  std::string_view text = storedLine.size() >= skip ? storedLine.substr(skip) : std::string_view();
  // Assistants keep their bookkeeping after "/&/"; a marker at the very start is text.
  const std::size_t cut = text.find("/&/", 1);
  if (cut != std::string_view::npos) text = text.substr(0, cut);
  return std::string(text);
}

bool isSkippedLine(std::string_view text) {
  const std::string trimmed = trimLeft(text);
  return trimmed.empty() || trimmed.starts_with("**");
}

std::optional<std::vector<Label>> collectLabels(const std::vector<std::string>& program) {
  std::vector<Label> labels;
  for (std::size_t i = 0; i < program.size(); ++i) {
    const std::string text = trimLeft(statementText(program[i]));
    if (isSkippedLine(text) || text.back() != ':') continue;
    if (labels.size() >= kMaxLabels) return std::nullopt;
    labels.push_back({upperCase(std::string_view(text).substr(0, text.size() - 1)), static_cast<int>(i)});
  }
  return labels;
}

}  // namespace kelvaro
