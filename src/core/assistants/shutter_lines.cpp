// The shutter assistant's generated lines.
#include "assistants/shutter_lines.h"

#include <algorithm>

#include "assistants/assistant_block.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

constexpr std::string_view kGroupTag = "/RG--**";
constexpr std::string_view kMemberLink = "  WIE  ";
constexpr std::size_t kVarDefColumn = 20;

std::string marked(std::string_view line) { return std::string(kGeneratedMarker) + std::string(line); }

std::string variable(std::string_view group, std::string_view name) {
  return std::string(group) + "." + std::string(name);
}

std::string column(std::string_view text) {
  std::string c(text);
  if (c.size() < kVarDefColumn) c.resize(kVarDefColumn, ' ');
  return c;
}

// The variable name of a VarDef row: its first column without the padding.
std::string varDefName(std::string_view row) { return trimRight(row.substr(0, kVarDefColumn)); }

// One half of the clock block: fire when the time of day reaches the armed time.
void appendClockHalf(std::vector<std::string>& lines, std::string_view group, std::string_view var,
                     std::string_view state) {
  // clock half -> WENN Uhrzeit ist G.var DANN  disarm  move  run  ENDEWENN
  const std::string v = variable(group, var);
  lines.push_back(marked("WENN Uhrzeit ist " + v + " DANN"));
  lines.push_back(marked("  " + v + ":=\"0\""));
  lines.push_back(marked("  " + std::string(group) + ":=\"" + std::string(state) + "\""));
  lines.push_back(marked("  AUSFUEHRUNG(" + std::string(group) + ")"));
  lines.push_back(marked("ENDEWENN"));
}

// Arms one time unless one is armed already: a time armed on an earlier day that has not
// yet fired keeps its place.
void appendArming(std::vector<std::string>& lines, std::string_view group, std::string_view var,
                  std::string_view quotedTime, std::string_view indent) {
  const std::string v = variable(group, var);
  const std::string i(indent);
  lines.push_back(i + "WENN " + v + "=\"0\" DANN");
  lines.push_back("  " + i + v + ":=" + std::string(quotedTime));
  lines.push_back(i + "ENDEWENN");
}

void appendSunTimes(std::vector<std::string>& lines, std::string_view group, std::string_view var) {
  const std::string v = variable(group, var);
  lines.push_back("WENN " + v + "=\"SA\" DANN");
  lines.push_back("  " + v + ":=SONNENAUFGANG(Datum)");
  lines.push_back("ENDEWENN");
  lines.push_back("WENN " + v + "=\"SU\" DANN");
  lines.push_back("  " + v + ":=SONNENUNTERGANG(Datum)");
  lines.push_back("ENDEWENN");
}

}  // namespace

std::vector<std::string> groupClockBlock(std::string_view group) {
  std::vector<std::string> lines{marked(groupBlockHeader(10))};
  appendClockHalf(lines, group, kDownTimeVariable, "unten");
  appendClockHalf(lines, group, kUpTimeVariable, "oben");
  return lines;
}

std::vector<std::string> memberBlock(std::string_view group, const std::vector<std::string>& members) {
  if (members.empty()) return {};
  std::vector<std::string> lines{marked(groupBlockHeader(static_cast<int>(members.size())))};
  for (const auto& member : members) lines.push_back(marked(member + std::string(kMemberLink) + std::string(group)));
  return lines;
}

std::vector<std::string> membersOfGroupProgram(const std::vector<std::string>& program, std::string_view group) {
  std::vector<std::string> members;
  const std::string tail = std::string(kMemberLink) + std::string(group);
  for (std::size_t i = 0; i < program.size(); ++i) {
    const std::string_view line = program[i];
    if (!isGenerated(line) || line.find(kGroupTag) == std::string_view::npos) continue;
    const int count = blockCount(line.substr(kGeneratedMarker.size())).value_or(0);
    for (std::size_t k = i + 1; k < program.size() && k <= i + static_cast<std::size_t>(count); ++k) {
      std::string_view member = program[k];
      if (!isGenerated(member)) break;
      member.remove_prefix(kGeneratedMarker.size());
      if (member.size() > tail.size() && equalsNoCase(member.substr(member.size() - tail.size()), tail))
        members.emplace_back(member.substr(0, member.size() - tail.size()));
    }
  }
  return members;
}

std::vector<std::string> groupVariableRows() {
  return {column(kDownTimeVariable) + column("Zeichen") + "0", column(kUpTimeVariable) + column("Zeichen") + "0"};
}

std::vector<std::string> withGroupVariables(const std::vector<std::string>& varDefs) {
  std::vector<std::string> rows = groupVariableRows();
  for (const auto& row : varDefs) {
    const std::string name = varDefName(row);
    if (!equalsNoCase(name, kDownTimeVariable) && !equalsNoCase(name, kUpTimeVariable)) rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> groupTimeBlock(std::string_view group, const TimeWindowResult& times) {
  // time block -> header [days WENN] (down arming) (up arming) [ENDEWENN]
  if (times.firstTime.empty() && times.secondTime.empty()) return {};
  const bool days = !times.conditionLine.empty();
  const std::string_view indent = days ? "  " : "";
  std::vector<std::string> lines{""};  // the header's place, filled once the count is known
  if (days) {
    lines.push_back(times.dayComment);
    lines.push_back(times.conditionLine);
  }
  if (!times.secondTime.empty()) appendArming(lines, group, kDownTimeVariable, times.secondTime, indent);
  if (!times.firstTime.empty()) appendArming(lines, group, kUpTimeVariable, times.firstTime, indent);
  if (days) lines.push_back("ENDEWENN");
  lines.front() = blockHeader(static_cast<int>(lines.size()) - 1);
  return lines;
}

std::vector<std::string> sunsetsBlock(std::string_view group) {
  std::vector<std::string> lines{"**--/A12/--**SUNSETS*Block mit 12 Anweisungen"};
  appendSunTimes(lines, group, kDownTimeVariable);
  appendSunTimes(lines, group, kUpTimeVariable);
  return lines;
}

std::vector<std::string> earlierTimeLines(const std::vector<std::string>& program) {
  std::vector<std::string> lines;
  for (const auto& line : program) {
    if (!isGenerated(line)) continue;
    if (line.find(kSunsetsMark) != std::string::npos) break;
    lines.push_back(line.substr(kGeneratedMarker.size()));
  }
  return lines;
}

void removeGroupBlocks(std::vector<std::string>& program) {
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < program.size(); ++i) {
    const std::string& line = program[i];
    if (!isGenerated(line) || line.find(kGroupTag) == std::string::npos) {
      kept.push_back(line);
      continue;
    }
    int count = blockCount(std::string_view(line).substr(kGeneratedMarker.size())).value_or(0);
    while (count > 0 && i + 1 < program.size() && isGenerated(program[i + 1])) {
      ++i;
      --count;
    }
  }
  program = std::move(kept);
}

void removeGeneratedLines(std::vector<std::string>& program) {
  std::erase_if(program, [](const std::string& line) { return isGenerated(line); });
}

std::optional<ArmingStatement> armingStatement(std::string_view line, std::string_view group) {
  if (line.find("/&/") != std::string_view::npos) return std::nullopt;
  ArmingStatement s;
  const std::size_t start = line.find_first_not_of(' ');
  if (start == std::string_view::npos) return std::nullopt;
  s.indent = std::string(line.substr(0, start));
  const std::string_view rest = line.substr(start);
  const std::size_t assign = rest.find(":=");
  if (assign == std::string_view::npos) return std::nullopt;
  s.target = std::string(rest.substr(0, assign));
  const std::string_view value = rest.substr(assign + 2);
  if (value.size() < 2 || value.front() != '"' || value.back() != '"' || value.find('"', 1) != value.size() - 1)
    return std::nullopt;
  s.time = std::string(value.substr(1, value.size() - 2));
  for (std::string_view var : {kDownTimeVariable, kUpTimeVariable})
    if (equalsNoCase(s.target, variable(group, var))) {
      s.variable = std::string(var);
      return s;
    }
  return std::nullopt;
}

std::string screenInputStatement(const ArmingStatement& statement, std::string_view auxiliary) {
  return statement.indent + statement.target + ":=" + std::string(auxiliary) + std::string(kAuxiliaryMark) +
         std::string(auxiliary) + ";";
}

std::string auxiliaryObjectName(std::string_view line) {
  const std::size_t mark = line.find("/&/");
  if (mark == std::string_view::npos) return {};
  const std::size_t lo = line.find("LO:", mark);
  if (lo == std::string_view::npos) return {};
  std::string_view name = line.substr(lo + 3);
  name = name.substr(0, name.find(';'));
  return trimRight(trimLeft(name));
}

std::vector<std::string> auxiliaryBlock(std::string_view group) {
  return {marked(blockHeader(2)), marked("AUSFUEHRUNG(" + std::string(group) + std::string(kTimeSetterSuffix) + ")")};
}

std::optional<std::string> overlongLine(const std::vector<std::string>& listLines) {
  for (const auto& line : listLines)
    if (line.size() > kMaxStatementLength) return line;
  return std::nullopt;
}

}  // namespace kelvaro
