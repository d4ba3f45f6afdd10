#include "assistants/assistant_block.h"

namespace kelvaro {

namespace {

constexpr std::string_view kHeaderStart = "**--/A";

std::string header(int count, std::string_view tag) {
  const std::string n = std::to_string(count);
  return std::string(kHeaderStart) + n + "/" + std::string(tag) + "--**Block mit " + n + " Anweisungen";
}

}  // namespace

std::string blockHeader(int count) { return header(count, ""); }

std::string groupBlockHeader(int count) { return header(count, "RG"); }

std::optional<int> blockCount(std::string_view line) {
  if (!line.starts_with(kHeaderStart)) return std::nullopt;
  line.remove_prefix(kHeaderStart.size());
  int count = 0;
  std::size_t digits = 0;
  // Five digits are more lines than a program has; stopping there keeps the count from overflowing.
  while (digits < line.size() && digits < 5 && line[digits] >= '0' && line[digits] <= '9') {
    count = count * 10 + (line[digits] - '0');
    ++digits;
  }
  if (digits == 0 || digits >= line.size() || line[digits] != '/') return std::nullopt;
  return count;
}

bool isGenerated(std::string_view storedLine) { return storedLine.starts_with(kGeneratedMarker); }

}  // namespace kelvaro
