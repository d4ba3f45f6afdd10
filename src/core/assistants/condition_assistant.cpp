#include "assistants/condition_assistant.h"

#include <optional>

#include "assistants/assistant_block.h"
#include "assistants/time_input.h"
#include "model/object_types.h"
#include "model/project.h"
#include "model/type_states.h"
#include "text/cp1252.h"
#include "text/text_util.h"
#include "ui/user_interface.h"

namespace kelvaro {

namespace {

// The first word of a line in upper case, as the compiler reads it.
std::string firstWord(std::string_view line) {
  const std::string text = upperCase(trimLeft(line));
  return text.substr(0, text.find_first_of(" ("));
}

// The line's text holds the word DANN (the condition ends there).
bool endsCondition(std::string_view line) {
  const std::string text = " " + upperCase(line) + " ";
  for (std::size_t at = text.find("DANN"); at != std::string::npos; at = text.find("DANN", at + 1))
    if (text[at - 1] == ' ' && (text[at + 4] == ' ' || text[at + 4] == '"')) return true;
  return false;
}

struct Structure {
  int first = 0, conditionEnd = 0, sonst = -1, end = -1;
};

// Every WENN structure of the lines, matched by nesting depth; open ones have end -1.
std::vector<Structure> structuresOf(const std::vector<std::string>& lines) {
  std::vector<Structure> all;
  std::vector<std::size_t> open;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    const std::string& line = lines[static_cast<std::size_t>(i)];
    if (line.starts_with("**")) continue;
    const std::string word = firstWord(line);
    if (word == "WENN") {
      Structure s{i, i};
      while (!endsCondition(lines[static_cast<std::size_t>(s.conditionEnd)]) &&
             s.conditionEnd + 1 < static_cast<int>(lines.size()))
        ++s.conditionEnd;
      open.push_back(all.size());
      all.push_back(s);
      i = s.conditionEnd;
    } else if (word == "SONST" && !open.empty()) {
      all[open.back()].sonst = i;
    } else if (word == "ENDEWENN" && !open.empty()) {
      all[open.back()].end = i;
      open.pop_back();
    }
  }
  return all;
}

}  // namespace

std::string conditionLine(std::string_view subject, std::string_view comparison, std::string_view value) {
  if (comparison.empty()) return "WENN " + std::string(subject) + std::string(value) + "DANN";
  return "WENN " + std::string(subject) + " " + std::string(comparison) + " \"" + std::string(value) + "\" DANN";
}

std::string conditionDateValue(std::string_view dateText) {
  if (dateText.size() < 8) return std::string(dateText);
  return std::string(dateText.substr(0, 6)) + std::string(dateText.substr(dateText.size() - 2));
}

bool ConditionAssistant::wrap(std::string_view condition, UserInterface& ui) {
  std::vector<std::string> lines = m_list.lines();
  if (lines.empty() || !blockCount(lines.front()))
    lines.insert(lines.begin(), blockHeader(static_cast<int>(lines.size())));
  lines.front() = headerWithCount(lines.front(), *blockCount(lines.front()) + 2);
  for (std::size_t i = 1; i < lines.size(); ++i)
    if (!lines[i].starts_with("*")) lines[i].insert(0, "  ");
  lines.insert(lines.begin() + 1, std::string(condition));
  lines.push_back("ENDEWENN");
  if (!generatedLinesFit(lines, ui)) return false;
  m_list = StatementList(std::move(lines));
  return true;
}

void ConditionAssistant::clickLine(int line) {
  std::optional<Structure> hit;
  for (const Structure& s : structuresOf(m_list.lines())) {
    const int last = s.end >= 0 ? s.end : static_cast<int>(m_list.lines().size()) - 1;
    if (line >= s.first && line <= last) hit = s;  // later starts lie further in: the innermost wins
  }
  std::vector<int> selection;
  if (hit) {
    for (int i = hit->first; i <= hit->conditionEnd; ++i) selection.push_back(i);
    if (hit->sonst >= 0) selection.push_back(hit->sonst);
    if (hit->end >= 0) selection.push_back(hit->end);
  }
  m_list.select(std::move(selection));
}

bool ConditionAssistant::deleteCondition(UserInterface& ui) {
  const std::vector<int> selected = m_list.selection();
  if (selected.empty()) {
    ui.showMessage({MessageKind::Information, std::string(kNoEntrySelected), MessageButtons::Ok, 0});
    return false;
  }
  std::vector<std::string>& lines = m_list.lines();
  for (int i = selected.front() + 1; i < selected.back(); ++i) {
    std::string& line = lines[static_cast<std::size_t>(i)];
    if (line.starts_with("  ")) line.erase(0, 2);
  }
  // The header must keep counting the lines that follow it, or a later click would select
  // (and delete) lines of the next block with it.
  std::optional<int> header;
  for (int i = selected.front(); i >= 0 && !header; --i)
    if (blockCount(lines[static_cast<std::size_t>(i)])) header = i;
  if (header) {
    const int count = *blockCount(lines[static_cast<std::size_t>(*header)]) - static_cast<int>(selected.size());
    lines[static_cast<std::size_t>(*header)] =
        headerWithCount(lines[static_cast<std::size_t>(*header)], count > 0 ? count : 0);
  }
  m_list.deleteSelected(ui);
  if (header && blockCount(lines[static_cast<std::size_t>(*header)]) == 0) lines.erase(lines.begin() + *header);
  return true;
}

std::vector<std::string> conditionSubjects(const Project& project) {
  std::vector<std::string> subjects;
  for (const TPSObj& object : project.objects) subjects.push_back(object.Name);
  for (std::string_view fixed : {kClockSubject, kDaySubject, kDateSubject}) subjects.emplace_back(fixed);
  return subjects;
}

ConditionSubject conditionSubject(const Project& project, std::string_view subject) {
  ConditionSubject result;
  // The fixed entries come after the objects in the list, so an object of the same name wins.
  for (const TPSObj& object : project.objects) {
    if (object.Name != subject) continue;
    if (object.ObjTypO == kTypeClassTwoState || object.ObjTypO == kTypeClassDoor) {
      const auto& words = object.ObjTypO == kTypeClassTwoState ? kTwoStateValues : kDoorValues;
      result.values.assign(words.begin(), words.end());
      result.comparison = false;
    } else {
      result.values = statesOf(project.typeStates, object.Typ);
    }
    return result;
  }
  if (subject == kClockSubject) result.kind = ConditionValueKind::Clock;
  if (subject == kDateSubject) result.kind = ConditionValueKind::Date;
  if (subject == kDaySubject) result.values.assign(kWeekdayNames.begin(), kWeekdayNames.end());
  return result;
}

}  // namespace kelvaro
