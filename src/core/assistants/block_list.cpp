#include "assistants/block_list.h"

#include <algorithm>

#include "assistants/assistant_block.h"
#include "ui/user_interface.h"

namespace kelvaro {

std::vector<int> blockAt(const std::vector<std::string>& lines, int line) {
  const int size = static_cast<int>(lines.size());
  if (line < 0 || line >= size) return {};
  for (int header = line; header >= 0; --header) {
    const std::optional<int> count = blockCount(lines[static_cast<std::size_t>(header)]);
    if (!count) continue;
    if (line > header + *count) break;  // the nearest block ends above the line
    std::vector<int> block;
    for (int i = header; i <= header + *count && i < size; ++i) block.push_back(i);
    return block;
  }
  return {line};
}

bool generatedLinesFit(const std::vector<std::string>& lines, UserInterface& ui) {
  for (const auto& line : lines) {
    if (line.size() <= kMaxStatementLength) continue;
    showError(ui, "Die erzeugte Anweisung ist l\xE4nger als " + std::to_string(kMaxStatementLength) +
                      " Zeichen und wird nicht \xFC"
                      "bernommen:\r" +
                      line.substr(0, 60) + " ...");
    return false;
  }
  return true;
}

std::string headerWithCount(std::string_view header, int count) {
  const std::optional<int> old = blockCount(header);
  if (!old) return std::string(header);
  const std::string oldCount = std::to_string(*old), newCount = std::to_string(count);
  std::string result = "**--/A" + newCount + std::string(header.substr(6 + oldCount.size()));
  const std::string oldTail = "Block mit " + oldCount + " ";
  if (const std::size_t at = result.find(oldTail); at != std::string::npos)
    result.replace(at, oldTail.size(), "Block mit " + newCount + " ");
  return result;
}

void StatementList::select(std::vector<int> indices) {
  std::erase_if(indices, [&](int i) { return i < 0 || i >= static_cast<int>(m_lines.size()); });
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  m_selection = std::move(indices);
}

namespace {

void tellNothingSelected(UserInterface& ui) {
  ui.showMessage({MessageKind::Information, std::string(kNoEntrySelected), MessageButtons::Ok, 0});
}

}  // namespace

bool StatementList::deleteSelected(UserInterface& ui) {
  if (m_selection.empty()) {
    tellNothingSelected(ui);
    return false;
  }
  for (auto it = m_selection.rbegin(); it != m_selection.rend(); ++it) m_lines.erase(m_lines.begin() + *it);
  m_selection.clear();
  return true;
}

void StatementList::deleteAll() {
  m_lines.clear();
  m_selection.clear();
}

std::vector<std::string> StatementList::selectedLines() const {
  std::vector<std::string> lines;
  for (int i : m_selection) lines.push_back(m_lines[static_cast<std::size_t>(i)]);
  return lines;
}

bool StatementList::insertCondition(UserInterface& ui, const ConditionAsk& ask) {
  if (m_selection.empty()) {
    tellNothingSelected(ui);
    return false;
  }
  const auto lines = ask(selectedLines());
  if (!lines) return false;
  replaceSelection(*lines);
  return true;
}

void StatementList::replaceSelection(const std::vector<std::string>& lines) {
  if (m_selection.empty()) return;
  const int at = m_selection.front();
  for (auto it = m_selection.rbegin(); it != m_selection.rend(); ++it) m_lines.erase(m_lines.begin() + *it);
  m_lines.insert(m_lines.begin() + at, lines.begin(), lines.end());
  m_selection.clear();
}

void StatementList::append(const std::vector<std::string>& lines) {
  m_lines.insert(m_lines.end(), lines.begin(), lines.end());
}

}  // namespace kelvaro
