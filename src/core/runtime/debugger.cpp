// The debugger's rules: stops, the line of a code position, breakpoints and watch lines.
#include "runtime/debugger.h"

#include <algorithm>
#include <cstdio>

#include "language/line_map.h"
#include "model/type_states.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

std::string cut(std::string_view text, std::size_t n) { return std::string(text.substr(0, n)); }

}  // namespace

Debugger::Debugger(Engine& engine, UserInterface& ui, DebuggerDialog& dialog, std::vector<std::string> traceList)
    : m_engine(engine), m_ui(ui), m_dialog(dialog), m_traceList(std::move(traceList)) {}

void Debugger::objectStarted(int object) {
  const auto& objects = m_engine.project().objects;
  if (object < 0 || static_cast<std::size_t>(object) >= objects.size()) return;
  m_object = object;
  m_lines = objects[static_cast<std::size_t>(object)].program;
}

void Debugger::toggleMarker(std::string& line) {
  if (line.empty()) {
    line = "-";
    return;
  }
  line[0] = line[0] == '-' ? '>' : '-';
}

void Debugger::select(int line) {
  m_selectedLine = line;
  m_selectionStart = 0;
  m_selectionLength = 0;
  if (line < 0 || static_cast<std::size_t>(line) >= m_lines.size()) return;
  for (int i = 0; i < line; ++i) m_selectionStart += static_cast<int>(m_lines[static_cast<std::size_t>(i)].size()) + 2;
  m_selectionLength = std::min(30, static_cast<int>(m_lines[static_cast<std::size_t>(line)].size()));
}

// beforeStatement -> stop when single-stepping in a traced object or on a breakpoint line
bool Debugger::beforeStatement(int object, int codePosition) {
  auto& objects = m_engine.project().objects;
  if (object < 0 || static_cast<std::size_t>(object) >= objects.size()) return true;
  TPSObj& o = objects[static_cast<std::size_t>(object)];
  if (object != m_object) objectStarted(object);
  bool stop = false;
  if (m_singleStep) {
    stop = m_traceList.empty() ||
           std::any_of(m_traceList.begin(), m_traceList.end(),
                       [&](const std::string& name) { return upperCase(name) == upperCase(o.Name); });
  }
  int line = -1;
  const auto& compiled = m_engine.compiled();
  if (static_cast<std::size_t>(object) < compiled.objects.size()) {
    const ObjectCode& oc = compiled.objects[static_cast<std::size_t>(object)];
    line = lineAtCodePosition(compiled.lineMap, codePosition, oc.lineMapFirst, oc.lineMapEnd);
  }
  if (!m_singleStep && line >= 0 && static_cast<std::size_t>(line) < o.program.size() &&
      !o.program[static_cast<std::size_t>(line)].empty() && o.program[static_cast<std::size_t>(line)][0] == '>') {
    stop = true;
    m_singleStep = true;
  }
  if (!stop) return true;
  m_objectName = cut(o.Name, 20);
  m_objectType = cut(o.Typ, 20);
  for (;;) {
    m_lines = o.program;
    select(line);
    refreshWatch();
    const DebugAnswer answer = m_dialog.show(*this);
    switch (answer.command) {
      case DebugCommand::ToggleBreakpoint:
        if (answer.caretLine >= 0 && static_cast<std::size_t>(answer.caretLine) < o.program.size())
          toggleMarker(o.program[static_cast<std::size_t>(answer.caretLine)]);
        continue;  // shown again with the lines refilled
      case DebugCommand::Step: m_singleStep = true; return true;
      case DebugCommand::Run: m_singleStep = false; return true;
      // The run is over; what is still queued finishes without asking again.
      case DebugCommand::End: m_singleStep = false; return false;
    }
  }
}

std::string Debugger::lookUp(std::string_view text) const {
  std::string t(text);
  t.erase(0, t.find_first_not_of(' '));
  while (!t.empty() && t.back() == ' ') t.pop_back();
  if (t.empty()) return {};
  const SymbolList& symbols = m_engine.compiled().symbols;
  auto keyOf = [&](const std::string& key) -> std::string {
    const int n = symbols.find(key);
    return n >= 0 ? symbols[static_cast<std::size_t>(n)].key : std::string();
  };
  if (t.find('.') != std::string::npos) return keyOf(t);
  if (!m_objectName.empty() || m_object >= 0) {
    const std::string& name = m_object >= 0 ? m_engine.project().objects[static_cast<std::size_t>(m_object)].Name : m_objectName;
    if (auto key = keyOf(name + "." + t); !key.empty()) return key;
  }
  return keyOf(t + "." + t);
}

std::string Debugger::watchLine(std::string_view key) const {
  const SymbolList& symbols = m_engine.compiled().symbols;
  const int n = symbols.find(key);
  if (n < 0) return {};
  const std::string name(key);
  const VariableDescriptor& d = symbols[static_cast<std::size_t>(n)].value;
  char buf[64];
  if (const auto* v = std::get_if<TVarReal>(&d)) {
    std::snprintf(buf, sizeof buf, "%11.8f", v->Value);
    return name + ": " + buf + " (Real)";
  }
  if (const auto* v = std::get_if<TVarInt>(&d)) {
    std::snprintf(buf, sizeof buf, "%11d", v->Value);
    return name + ": " + buf + " (Integer)";
  }
  if (const auto* v = std::get_if<TVarUser>(&d)) {
    return name + ": " + stateAt(m_engine.project().typeStates, v->TypeName, v->State) + " [" + std::to_string(v->State) +
           "] (" + cut(v->TypeName, 20) + ")";
  }
  if (const auto* v = std::get_if<TVarStr>(&d)) return name + ": " + v->Value + " (Zeichen)";
  const auto& t = std::get<TVarTime>(d);
  return name + ": " + dateTimeText(t.Value) + " [" + t.TypeName + "] (Zeit)";
}

void Debugger::refreshWatch() {
  for (auto& line : m_watch) line = watchLine(line.substr(0, line.find(':')));
}

bool Debugger::addWatch(std::string_view selectedText) {
  std::string key = lookUp(selectedText);
  if (key.empty()) {
    const auto answer = m_ui.inputBox("Eingabe", "Variable:", "");
    if (answer) key = lookUp(*answer);
  }
  if (key.empty()) {
    m_ui.showMessage({MessageKind::Information, "Variable nicht vorhanden", MessageButtons::Ok, 0});
    return false;
  }
  m_watch.push_back(watchLine(key));
  return true;
}

void Debugger::removeWatch(std::size_t index) {
  if (index < m_watch.size()) m_watch.erase(m_watch.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace kelvaro
