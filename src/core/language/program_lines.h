// How the compiler reads an object's stored program lines, and the labels among them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro {

// The statement text of a stored line: without its marker ("-" or "-&") and cut before a
// "/&/" at position 2 or later. Leading blanks are kept.
std::string statementText(std::string_view storedLine);

// True when the line holds nothing to translate: empty after leading blanks, or a "**" comment.
bool isSkippedLine(std::string_view text);

struct Label {
  std::string name;  // upper case, without the colon
  int line = 0;      // index of the stored line
};

inline constexpr std::size_t kMaxLabels = 64;

// The labels of a program: every line that ends with ":" after the reading rules. Nothing when
// the program has more labels than the table holds.
std::optional<std::vector<Label>> collectLabels(const std::vector<std::string>& program);

}  // namespace kelvaro
