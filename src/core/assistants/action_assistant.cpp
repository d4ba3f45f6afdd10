#include "assistants/action_assistant.h"

#include "assistants/assistant_block.h"
#include "assistants/switching_times.h"
#include "text/text_util.h"
#include "ui/user_interface.h"

namespace kelvaro {

namespace {

bool isShutter(const ActionTarget& t) { return equalsNoCase(t.type, kShutterType); }

}  // namespace

std::string targetActionCaption(TargetAction action, std::string_view object, int selectedTargets) {
  if (action == TargetAction::Like && selectedTargets == 1) return "wie " + std::string(object);
  return std::string(kTargetActionCaptions[static_cast<std::size_t>(action)]);
}

bool targetSelectionFits(const std::vector<ActionTarget>& targets, UserInterface& ui) {
  bool shutters = false, others = false;
  for (const auto& t : targets) (isShutter(t) ? shutters : others) = true;
  if (!(shutters && others)) return true;
  showError(ui, std::string(kTargetTypesMixed));
  return false;
}

std::vector<std::string> actionLines(std::string_view object, const std::vector<std::string>& targets,
                                     TargetAction action, std::string_view shutterState) {
  std::vector<std::string> lines;
  for (const auto& t : targets) {
    if (!shutterState.empty()) {
      lines.push_back(t + ":=\"" + std::string(shutterState) + "\"");
      continue;
    }
    switch (action) {
      case TargetAction::Toggle:
        lines.push_back(lines.empty() ? t + " UMSCHALTEN" : t + " WIE " + targets.front());
        break;
      case TargetAction::SwitchOn: lines.push_back(t + " EINSCHALTEN"); break;
      case TargetAction::SwitchOff: lines.push_back(t + " AUSSCHALTEN"); break;
      case TargetAction::Like: lines.push_back(t + " " + " WIE " + " " + std::string(object)); break;
      case TargetAction::Activate: lines.push_back("AKTIVIEREN(" + t + ")"); break;
      case TargetAction::Deactivate: lines.push_back("DEAKTIVIEREN(" + t + ")"); break;
      case TargetAction::Execute: lines.push_back("AUSFUEHRUNG(" + t + ")"); break;
    }
  }
  return lines;
}

ActionAssistant::ActionAssistant(std::string object, std::string condition, const std::vector<std::string>& program)
    : m_object(std::move(object)), m_condition(std::move(condition)) {
  if (!m_condition.empty()) return;
  std::vector<std::string> copy = program;
  m_then = StatementList(takeGeneratedLines(copy));
}

bool ActionAssistant::add(const std::vector<std::string>& targets, TargetAction action, std::string_view shutterState,
                          bool intoElse, UserInterface& ui) {
  std::vector<std::string> lines = actionLines(m_object, targets, action, shutterState);
  if (lines.empty() || (intoElse && !hasElseList())) return false;
  // Inside the condition each line is stored indented: that is the length that must fit.
  std::vector<std::string> stored = lines;
  if (hasElseList())
    for (auto& line : stored) line.insert(0, "  ");
  if (!generatedLinesFit(stored, ui)) return false;
  if (!hasElseList()) lines.insert(lines.begin(), blockHeader(static_cast<int>(lines.size())));
  (intoElse ? m_else : m_then).append(lines);
  return true;
}

std::vector<std::string> ActionAssistant::storedResult() const {
  const std::string marker(kGeneratedMarker);
  std::vector<std::string> stored;
  if (!hasElseList()) {
    for (const auto& line : m_then.lines()) stored.push_back(marker + line);
    return stored;
  }
  if (m_then.lines().empty() && m_else.lines().empty()) return stored;
  const std::size_t elseLines = m_else.lines().size();
  const int count = static_cast<int>(m_then.lines().size() + elseLines + (elseLines > 0 ? 1 : 0) + 2);
  stored.push_back(marker + blockHeader(count));
  stored.push_back(marker + "WENN " + m_object + m_condition + " DANN");
  for (const auto& line : m_then.lines()) stored.push_back(marker + "  " + line);
  if (elseLines > 0) {
    stored.push_back(marker + "SONST");
    for (const auto& line : m_else.lines()) stored.push_back(marker + "  " + line);
  }
  stored.push_back(marker + "ENDEWENN");
  return stored;
}

void ActionAssistant::apply(std::vector<std::string>& program) const {
  if (!hasElseList()) takeGeneratedLines(program);
  std::size_t at = 0;
  for (std::size_t i = 0; i < program.size(); ++i)
    if (isGenerated(program[i])) at = i + 1;
  const std::vector<std::string> stored = storedResult();
  program.insert(program.begin() + static_cast<std::ptrdiff_t>(at), stored.begin(), stored.end());
}

}  // namespace kelvaro
