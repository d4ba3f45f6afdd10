#pragma once
// The assistants' statement list AnwLB without its widget: the lines, which of them are
// selected, and what a click, "Löschen" and "Alles löschen" do to them.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro {

class UserInterface;

inline constexpr std::string_view kNoEntrySelected = "Kein Eintrag ausgew\xE4hlt";

// The lines of a block: the header at or above line and the lines it counts (cut at the end of
// the list). A line that no block covers is a block of its own, so a click never selects
// lines of a block it did not hit. Indices in order; empty for a line outside the list.
std::vector<int> blockAt(const std::vector<std::string>& lines, int line);

// A generated line longer than a stored statement can hold would be cut on saving and compile
// into something else: the lines are refused with a message naming the line. True when all fit.
bool generatedLinesFit(const std::vector<std::string>& lines, UserInterface& ui);

// The header with its two counts set to count; any tag between "/" and "--**" stays.
std::string headerWithCount(std::string_view header, int count);

class StatementList {
 public:
  StatementList() = default;
  explicit StatementList(std::vector<std::string> lines) : m_lines(std::move(lines)) {}

  const std::vector<std::string>& lines() const { return m_lines; }
  std::vector<std::string>& lines() { return m_lines; }
  // Selected indices in order.
  const std::vector<int>& selection() const { return m_selection; }
  void select(std::vector<int> indices);

  // A click on a line selects its whole block.
  void clickLine(int line) { select(blockAt(m_lines, line)); }
  // "Löschen": false after telling the user that nothing was selected.
  bool deleteSelected(UserInterface& ui);
  // "Alles löschen".
  void deleteAll();
  void append(const std::vector<std::string>& lines);
  // "wenn - Bedingung einfügen" hands the selected lines to the condition assistant (ask) and puts
  // its result in their place (at the first selected line); the selection is then empty. False
  // after telling the user that nothing was selected, or when the assistant was cancelled.
  using ConditionAsk = std::function<std::optional<std::vector<std::string>>(const std::vector<std::string>&)>;
  bool insertCondition(UserInterface& ui, const ConditionAsk& ask);
  std::vector<std::string> selectedLines() const;
  void replaceSelection(const std::vector<std::string>& lines);

 private:
  std::vector<std::string> m_lines;
  std::vector<int> m_selection;
};

}  // namespace kelvaro
