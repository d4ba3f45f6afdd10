// The shutter assistant's commands.
#include "app/shutter_assistant.h"

#include <algorithm>

#include "app/object_commands.h"
#include "app/object_editor.h"
#include "assistants/assistant_block.h"
#include "assistants/shutter_lines.h"
#include "model/name_rule.h"
#include "model/object_types.h"
#include "model/type_states.h"
#include "text/cp1252.h"
#include "text/text_util.h"
#include "ui/user_interface.h"

namespace kelvaro {
namespace {

constexpr std::string_view kNoObjectSelected = "Kein Objekt ausgew\xE4hlt";
constexpr std::string_view kNoEntrySelected = "Kein Eintrag ausgew\xE4hlt";
constexpr std::string_view kNoGroupSelected = "Keine Gruppe ausgew\xE4hlt";
constexpr std::string_view kViewSuffix = "Zeiten";
constexpr int kAuxiliaryRowHeight = 60;  // the default element height and a gap

void inform(UserInterface& ui, std::string text) {
  ui.showMessage({MessageKind::Information, std::move(text), MessageButtons::Ok, 0});
}

void sortNames(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return compareNoCase(a, b) < 0; });
  names.erase(std::unique(names.begin(), names.end(),
                          [](const std::string& a, const std::string& b) { return equalsNoCase(a, b); }),
              names.end());
}

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && equalsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// Tells the user which generated line would not fit; nothing is written then.
bool linesFit(UserInterface& ui, const std::vector<std::string>& lines) {
  const auto overlong = overlongLine(lines);
  if (!overlong) return true;
  showError(ui, "Diese Anweisung ist zu lang f\xFCr eine Programmzeile:\r" + *overlong);
  return false;
}

// Sets a new object up for the shutter type, as the new-object dialog does for a user type.
void makeShutterObject(Project& project, TPSObj& o, std::int32_t hardwareRole) {
  o.Typ = std::string(kShutterType);
  o.OKind = kKindUser;
  syncStateBitmaps(o, project.typeStates, o.Typ);
  o.ObjTypO = kTypeClassShutter;
  o.HdwTyp = hardwareRole;
  if (!o.stateBitmaps.empty()) o.StartVal = o.stateBitmaps.front().state;
}

// The first output of a shutter station that no object sends to yet; empty when there is none,
// and the user chooses in the object editor.
std::string freeShutterOutput(const Project& project) {
  for (const auto& station : project.stations) {
    if (!equalsNoCase(station.CKind, kShutterStationModel)) continue;
    const int count = std::clamp(station.CPDevAnz, 0, kSlotsPerStation);
    for (int k = 0; k < count; ++k) {
      const DeviceSlot& slot = station.slots[static_cast<std::size_t>(k)];
      if (slot.CDevArt != 2 || slot.CNam.empty()) continue;
      if (std::none_of(project.objects.begin(), project.objects.end(),
                       [&](const TPSObj& o) { return equalsNoCase(o.SndDev, slot.CNam); }))
        return slot.CNam;
    }
  }
  return {};
}

}  // namespace

bool isShutterGroup(const TPSObj& object) {
  return object.ObjTypO == kTypeClassShutter && object.HdwTyp == kGroupHardwareRole;
}

bool isShutter(const TPSObj& object) { return object.ObjTypO == kTypeClassShutter && !isShutterGroup(object); }

ShutterAssistant::ShutterAssistant(Project& project) : m_project(project) {}

int ShutterAssistant::objectIndex(std::string_view name) const {
  return name.empty() ? -1 : findObject(m_project, name);
}

std::vector<std::string> ShutterAssistant::shutters() const {
  std::vector<std::string> names;
  for (const auto& o : m_project.objects)
    if (isShutter(o)) names.push_back(o.Name);
  return names;
}

int ShutterAssistant::newShutter(UserInterface& ui) {
  std::string name;
  if (!askName(ui, "Neue Rolllade:", name)) return -1;
  return createShutter(ui, name);
}

int ShutterAssistant::createShutter(UserInterface& ui, std::string_view name) {
  const int index = createNamedObject(m_project, ui, name);
  if (index < 0) return -1;
  const std::string output = freeShutterOutput(m_project);
  TPSObj& o = m_project.objects[static_cast<std::size_t>(index)];
  makeShutterObject(m_project, o, kShutterHardwareRole);
  o.SndDev = output;
  // The control unit sends the shutter's states as the station's codes; without states there
  // is nothing to convert.
  if (!o.stateBitmaps.empty()) setUpShutterCodes(o);
  return index;
}

int ShutterAssistant::editShutter(UserInterface& ui, std::string_view selected) const {
  const int index = objectIndex(selected);
  if (index < 0) inform(ui, std::string(kNoObjectSelected));
  return index;
}

bool ShutterAssistant::deleteShutter(UserInterface& ui, std::string_view selected) {
  const int index = objectIndex(selected);
  if (index < 0) {
    inform(ui, std::string(kNoObjectSelected));
    return false;
  }
  const std::string name = m_project.objects[static_cast<std::size_t>(index)].Name;
  if (!deleteObject(m_project, ui, index)) return false;
  removeMembers({name});
  return true;
}

bool ShutterAssistant::renameShutter(UserInterface& ui, std::string_view selected) {
  const int index = objectIndex(selected);
  if (index < 0) {
    inform(ui, std::string(kNoObjectSelected));
    return false;
  }
  const std::string oldName = m_project.objects[static_cast<std::size_t>(index)].Name;
  if (!renameObject(m_project, ui, index)) return false;
  for (auto& member : m_members)
    if (equalsNoCase(member, oldName)) member = m_project.objects[static_cast<std::size_t>(index)].Name;
  sortNames(m_members);
  return true;
}

std::vector<std::string> ShutterAssistant::groups() const {
  std::vector<std::string> names;
  for (const auto& o : m_project.objects)
    if (isShutterGroup(o)) names.push_back(o.Name);
  return names;
}

bool ShutterAssistant::chooseGroup(std::string_view name) {
  const int index = objectIndex(name);
  if (index < 0 || !isShutterGroup(m_project.objects[static_cast<std::size_t>(index)])) return false;
  const TPSObj& g = m_project.objects[static_cast<std::size_t>(index)];
  m_group = g.Name;
  m_members = membersOfGroupProgram(g.program, g.Name);
  sortNames(m_members);
  m_statements.clear();
  m_removedStatements.clear();
  m_entered = false;
  return true;
}

bool ShutterAssistant::newGroup(UserInterface& ui) {
  std::string name;
  if (!askName(ui, "Neue Gruppe:", name)) return false;
  return createGroup(ui, name);
}

bool ShutterAssistant::createGroup(UserInterface& ui, std::string_view name) {
  const int index = createNamedObject(m_project, ui, name);
  if (index < 0) return false;
  makeShutterObject(m_project, m_project.objects[static_cast<std::size_t>(index)], kGroupHardwareRole);
  return chooseGroup(m_project.objects[static_cast<std::size_t>(index)].Name);
}

bool ShutterAssistant::deleteGroup(UserInterface& ui) {
  const int groupIndex = objectIndex(m_group);
  if (groupIndex < 0) {
    inform(ui, std::string(kNoGroupSelected));
    return false;
  }
  const bool helpersToo =
      ui.showMessage(destructiveQuestion(
          "Sollen auch alle zu dieser Gruppe geh\xF6renden\rObjekte gel\xF6scht werden?")) == MessageAnswer::Yes;
  std::vector<std::string> doomed{m_group};
  if (helpersToo) {
    for (std::string_view suffix : {kTimeSetterSuffix, kGroupClockSuffix}) {
      const int h = objectIndex(m_group + std::string(suffix));
      if (h < 0) continue;
      doomed.push_back(m_project.objects[static_cast<std::size_t>(h)].Name);
      // The objects that show the group's times on screen serve only its time setter.
      if (suffix == kTimeSetterSuffix)
        for (const auto& line : m_project.objects[static_cast<std::size_t>(h)].program) {
          const int aux = objectIndex(auxiliaryObjectName(line));
          if (aux >= 0) doomed.push_back(m_project.objects[static_cast<std::size_t>(aux)].Name);
        }
    }
  }
  const auto isDoomed = [&](std::string_view name) {
    return std::any_of(doomed.begin(), doomed.end(), [&](const std::string& d) { return equalsNoCase(d, name); });
  };
  // Nothing goes while a program that stays still uses it: that program would no longer compile.
  for (const auto& name : doomed) {
    Referrers users;
    for (std::size_t i = 0; i < m_project.objects.size(); ++i) {
      const TPSObj& o = m_project.objects[i];
      if (isDoomed(o.Name)) continue;
      if (std::any_of(o.program.begin(), o.program.end(),
                      [&](const std::string& line) { return lineRefersTo(line, name); })) {
        if (users.count == 0) users.first = static_cast<int>(i);
        ++users.count;
      }
    }
    if (users.count > 0) {
      showError(ui, deleteRefusal(m_project, objectIndex(name), users));
      return false;
    }
  }
  std::erase_if(m_project.objects, [&](const TPSObj& o) { return isDoomed(o.Name); });
  m_project.modified = true;
  m_group.clear();
  m_members.clear();
  m_statements.clear();
  m_removedStatements.clear();
  m_entered = false;
  return true;
}

void ShutterAssistant::addMembers(const std::vector<std::string>& shutterNames) {
  for (const auto& name : shutterNames) {
    const int index = objectIndex(name);
    if (index >= 0 && isShutter(m_project.objects[static_cast<std::size_t>(index)]))
      m_members.push_back(m_project.objects[static_cast<std::size_t>(index)].Name);
  }
  sortNames(m_members);
}

void ShutterAssistant::removeMembers(const std::vector<std::string>& memberNames) {
  std::erase_if(m_members, [&](const std::string& m) {
    return std::any_of(memberNames.begin(), memberNames.end(),
                       [&](const std::string& n) { return equalsNoCase(n, m); });
  });
}

void ShutterAssistant::addAllMembers() { addMembers(shutters()); }

int ShutterAssistant::helper(UserInterface& ui, std::string_view suffix, std::string_view label, std::uint8_t aCode) {
  const std::string name = m_group + std::string(suffix);
  const int found = objectIndex(name);
  if (found >= 0) return found;
  const int index = createNamedObject(m_project, ui, name);
  if (index < 0) return -1;
  TPSObj& o = m_project.objects[static_cast<std::size_t>(index)];
  o.Typ = std::string(kUndefinedTypeChoice);
  o.OKind = kKindUndefined;
  o.OName = shortText(std::string(label) + o.Name, kShortText64);
  o.ACode = aCode;
  return index;
}

bool ShutterAssistant::enterActions(UserInterface& ui) {
  // actions page -> time setter read, clock block, member block, variables
  if (objectIndex(m_group) < 0) {
    inform(ui, std::string(kNoGroupSelected));
    return false;
  }
  // The earlier arming blocks stay in the time setter until finishing replaces them, so that
  // leaving the assistant without finishing loses none of them.
  const bool hadSetter = objectIndex(m_group + std::string(kTimeSetterSuffix)) >= 0;
  const int setter = helper(ui, kTimeSetterSuffix, "", kTimeSetterACode);
  if (setter < 0) return false;
  if (hadSetter) m_statements = earlierTimeLines(m_project.objects[static_cast<std::size_t>(setter)].program);
  const int clock = helper(ui, kGroupClockSuffix, "Gruppe ", kGroupClockACode);
  if (clock < 0) return false;

  auto& clockProgram = m_project.objects[static_cast<std::size_t>(clock)].program;
  removeGroupBlocks(clockProgram);
  const auto clockLines = groupClockBlock(m_group);
  clockProgram.insert(clockProgram.end(), clockLines.begin(), clockLines.end());

  TPSObj& g = m_project.objects[static_cast<std::size_t>(objectIndex(m_group))];
  removeGroupBlocks(g.program);
  const auto memberLines = memberBlock(m_group, m_members);
  g.program.insert(g.program.end(), memberLines.begin(), memberLines.end());
  g.varDefs = withGroupVariables(g.varDefs);
  m_project.modified = true;
  m_removedStatements.clear();
  m_entered = true;
  return true;
}

bool ShutterAssistant::addTimes(UserInterface& ui, const TimeWindowResult& times) {
  const auto block = groupTimeBlock(m_group, times);
  if (block.empty() || !linesFit(ui, block)) return false;
  m_statements.insert(m_statements.end(), block.begin(), block.end());
  return true;
}

bool ShutterAssistant::deleteStatements(UserInterface& ui, std::vector<int> selected) {
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  std::erase_if(selected, [&](int i) { return i < 0 || static_cast<std::size_t>(i) >= m_statements.size(); });
  if (selected.empty()) {
    inform(ui, std::string(kNoEntrySelected));
    return false;
  }
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
    m_removedStatements.push_back(m_statements[static_cast<std::size_t>(*it)]);
    m_statements.erase(m_statements.begin() + *it);
  }
  return true;
}

void ShutterAssistant::clearStatements() {
  m_removedStatements.insert(m_removedStatements.end(), m_statements.begin(), m_statements.end());
  m_statements.clear();
}

std::string ShutterAssistant::freeAuxiliaryName(std::string_view variable) const {
  // "WohnenRunter1": the group's name is shortened where the whole would break the name rule.
  const std::string_view kind = variable == kDownTimeVariable ? "Runter" : "Rauf";
  for (int k = 1;; ++k) {
    const std::string tail = std::string(kind) + std::to_string(k);
    const std::string name = m_group.substr(0, kMaxNameLength - std::min(kMaxNameLength, tail.size())) + tail;
    if (objectIndex(name) < 0) return name;
  }
}

int ShutterAssistant::screenInput(UserInterface& ui, std::vector<int> selected) {
  std::erase_if(selected, [&](int i) { return i < 0 || static_cast<std::size_t>(i) >= m_statements.size(); });
  if (selected.empty()) {
    inform(ui, std::string(kNoEntrySelected));
    return 0;
  }
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());

  std::string view;
  for (const auto& v : m_project.views)
    if (endsWithNoCase(v.name, kViewSuffix)) {
      view = v.name;
      break;
    }
  int taken = 0;
  for (int i : selected) {
    std::string& line = m_statements[static_cast<std::size_t>(i)];
    const auto statement = armingStatement(line, m_group);
    if (!statement) continue;
    const std::string name = freeAuxiliaryName(statement->variable);
    const std::string rewritten = screenInputStatement(*statement, name);
    if (!linesFit(ui, {rewritten})) break;
    if (view.empty()) {
      view = m_group + std::string(kViewSuffix);
      addView(m_project, view);
    }
    const int placed =
        static_cast<int>(std::count_if(m_project.objects.begin(), m_project.objects.end(), [&](const TPSObj& o) {
          return std::any_of(o.plans.begin(), o.plans.end(),
                             [&](const TPlan& p) { return equalsNoCase(p.ViewName, view); });
        }));
    const int index = createNamedObject(m_project, ui, name);
    if (index < 0) break;
    TPSObj& aux = m_project.objects[static_cast<std::size_t>(index)];
    aux.Typ = "Zeichen";
    aux.OKind = kKindText;
    aux.HdwTyp = hardwareRoleOfType(m_project.types, aux.Typ);
    aux.StartVal = shortText(statement->time, kShortText64);
    aux.plans[0].ViewName = view;
    aux.plans[0].Top = 10 + kAuxiliaryRowHeight * placed;
    if (aux.program.size() < 2) aux.program = auxiliaryBlock(m_group);
    line = rewritten;
    ++taken;
  }
  if (taken > 0)
    inform(ui, "Die Zeiten k\xF6nnen w\xE4hrend der Programmausf\xFChrung\rin der Ansicht " + view +
                   " ver\xE4ndert werden");
  else if (!std::any_of(selected.begin(), selected.end(),
                        [&](int i) { return armingStatement(m_statements[static_cast<std::size_t>(i)], m_group); }))
    inform(ui, "Keine der markierten Anweisungen stellt eine Zeit der Gruppe");
  return taken;
}

bool ShutterAssistant::finish(UserInterface& ui) {
  // finish -> statement list + SUNSETS block into the time setter; helpers of deleted lines go
  if (!m_entered) return false;
  const int setter = objectIndex(m_group + std::string(kTimeSetterSuffix));
  if (setter < 0) return false;
  std::vector<std::string> lines = m_statements;
  if (lines.size() > 1) {
    const auto sunsets = sunsetsBlock(m_group);
    lines.insert(lines.end(), sunsets.begin(), sunsets.end());
  }
  if (!linesFit(ui, lines)) return false;
  auto& program = m_project.objects[static_cast<std::size_t>(setter)].program;
  removeGeneratedLines(program);
  for (const auto& line : lines) program.push_back(std::string(kGeneratedMarker) + line);
  m_project.modified = true;
  for (const auto& line : m_removedStatements) {
    // Only a line that no remaining statement still carries gives up its helper.
    const std::string name = auxiliaryObjectName(line);
    if (name.empty() || std::any_of(m_statements.begin(), m_statements.end(),
                                    [&](const std::string& s) { return equalsNoCase(auxiliaryObjectName(s), name); }))
      continue;
    const int aux = objectIndex(name);
    if (aux >= 0 && m_project.objects[static_cast<std::size_t>(aux)].program.size() == 2)
      deleteObjectQuietly(m_project, aux, 0);
  }
  m_removedStatements.clear();
  return true;
}

}  // namespace kelvaro
