#include "assistants/switching_times.h"

#include "assistants/assistant_block.h"

namespace kelvaro {

std::vector<std::string> takeGeneratedLines(std::vector<std::string>& program) {
  std::vector<std::string> taken, kept;
  for (auto& line : program) {
    if (isGenerated(line)) taken.push_back(line.substr(kGeneratedMarker.size()));
    else kept.push_back(std::move(line));
  }
  program = std::move(kept);
  return taken;
}

void putGeneratedLinesOnTop(std::vector<std::string>& program, const std::vector<std::string>& lines) {
  std::vector<std::string> stored;
  stored.reserve(lines.size() + program.size());
  for (const auto& line : lines) stored.push_back(std::string(kGeneratedMarker) + line);
  stored.insert(stored.end(), program.begin(), program.end());
  program = std::move(stored);
}

std::uint8_t switchingTimeInterval(std::uint8_t acode) { return acode == 0 || acode > 2 ? 2 : acode; }

SwitchingTimes::SwitchingTimes(std::string objectName, SwitchTimesKind kind, const std::vector<std::string>& program)
    : m_object(std::move(objectName)), m_kind(kind) {
  std::vector<std::string> copy = program;
  m_list = StatementList(takeGeneratedLines(copy));
}

bool SwitchingTimes::add(std::vector<std::string> lines, UserInterface& ui) {
  if (!generatedLinesFit(lines, ui)) return false;
  m_list.append(lines);
  return true;
}

bool SwitchingTimes::addSwitchTime(bool switchOn, const TimeWindowResult& time, UserInterface& ui) {
  // switch time -> header, [day comment], WENN ... DANN, action, ENDEWENN
  if (time.conditionLine.empty()) return false;
  const bool days = !time.dayComment.empty();
  std::vector<std::string> lines{blockHeader(days ? 4 : 3)};
  if (days) lines.push_back(time.dayComment);
  lines.push_back(time.conditionLine);
  lines.push_back("  " + m_object + " " + (switchOn ? " EINSCHALTEN" : " AUSSCHALTEN"));
  lines.push_back("ENDEWENN");
  return add(std::move(lines), ui);
}

bool SwitchingTimes::addShutterTimes(const TimeWindowResult& time, UserInterface& ui) {
  // shutter times -> header, [day comment, day condition], opening block, closing block, [ENDEWENN]
  const bool days = !time.conditionLine.empty();
  const std::string indent = days ? "  " : "";
  std::vector<std::string> lines;
  if (days) lines = {time.dayComment, time.conditionLine};
  for (const auto& [when, state] : {std::pair{time.firstTime, "oben"}, std::pair{time.secondTime, "unten"}}) {
    if (when.empty()) continue;
    lines.push_back(indent + "WENN UHRZEIT = " + when + " DANN");
    lines.push_back("  " + indent + m_object + ":=\"" + state + "\"");
    lines.push_back(indent + "ENDEWENN");
  }
  if (days) lines.push_back("ENDEWENN");
  if (lines.size() <= (days ? 3u : 0u)) return false;  // neither time given: nothing to switch
  lines.insert(lines.begin(), blockHeader(static_cast<int>(lines.size())));
  return add(std::move(lines), ui);
}

bool SwitchingTimes::addAutomaticSwitchOff(std::string_view duration, UserInterface& ui) {
  // automatic switch-off -> header, WENN O EINGESCHALTET UND / STOPPZEIT > D DANN, switch off, ENDEWENN
  if (duration.empty()) return false;
  return add({blockHeader(4), "WENN " + m_object + " EINGESCHALTET  UND",
              "  STOPPZEIT(" + m_object + ".ct) > \"" + std::string(duration) + "\" DANN",
              "  " + m_object + "  AUSSCHALTEN", "ENDEWENN"},
             ui);
}

void SwitchingTimes::apply(std::vector<std::string>& program, std::uint8_t& acode) const {
  takeGeneratedLines(program);
  putGeneratedLinesOnTop(program, m_list.lines());
  if (!m_list.lines().empty()) acode = switchingTimeInterval(acode);
}

}  // namespace kelvaro
