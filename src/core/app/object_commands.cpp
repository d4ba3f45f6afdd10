// The object commands of the page "Objekte".
#include "app/object_commands.h"

#include <algorithm>

#include "ui/user_interface.h"
#include "app/workspace.h"
#include "model/name_rule.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

constexpr std::string_view kNameTaken = "Es gibt schon ein Objekt mit diesem Namen";

bool validIndex(const Project& project, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < project.objects.size();
}

// Another object than `except` with this name, ignoring case.
bool nameTaken(const Project& project, std::string_view name, int except) {
  for (std::size_t i = 0; i < project.objects.size(); ++i)
    if (static_cast<int>(i) != except && equalsNoCase(project.objects[i].Name, name)) return true;
  return false;
}

// Where the statement begins behind the line marker "-" or "-&": a name may start there.
std::size_t statementStart(std::string_view line) {
  if (line.starts_with("-&")) return 2;
  if (line.starts_with("-")) return 1;
  return 0;
}

// What may follow a name that is used as a reference: a separator, the "." of a variable
// (name.variable), or the end of the line.
bool endsReference(std::string_view text, std::size_t end) {
  return end >= text.size() || isNameSeparator(text[end]) || text[end] == '.';
}

}  // namespace

bool isNameSeparator(char c) { return kNameSeparators.find(c) != std::string_view::npos; }

int newObject(Project& project, UserInterface& ui) {
  // new object: ask the name, then create it
  std::string name;
  if (!askName(ui, "Neues Objekt:", name)) return -1;
  return createNamedObject(project, ui, name);
}

int createNamedObject(Project& project, UserInterface& ui, std::string_view name) {
  if (!validName(ui, name)) return -1;
  // The initialisation object carries a "*" that no typed name can have, so the compiler
  // finds it and no user object can collide with it.
  const bool init = equalsNoCase(name, "INIT");
  const std::string finalName = init ? std::string(kInitObjectName) : std::string(name);
  if (nameTaken(project, finalName, -1)) {
    showError(ui, std::string(kNameTaken));
    return -1;
  }
  TPSObj object = createObject(finalName);
  object.ObjIDNr = 0;
  if (init) object.ACode = kACodeInit;
  project.objects.push_back(std::move(object));
  project.modified = true;
  return static_cast<int>(project.objects.size()) - 1;
}

bool renameInLine(std::string& line, std::string_view oldName, std::string_view newName) {
  // rename in line: whole-name occurrences between separators become the new name
  if (oldName.empty()) return false;
  const std::string upperOld = upperCase(oldName);
  const std::size_t first = upperCase(line).find(upperOld);
  if (first == std::string::npos || first == 0) return false;

  std::string text = line.substr(0, kProgramLineCapacity);
  std::string upper = upperCase(text);
  const std::string upperNew = upperCase(newName);
  const std::size_t start = statementStart(text);
  bool changed = false;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t p = upper.find(upperOld, pos);
    if (p == std::string::npos) break;
    const std::size_t end = p + oldName.size();
    const bool before = p == start || (p > 0 && isNameSeparator(text[p - 1]));
    if (before && endsReference(text, end)) {
      text.replace(p, oldName.size(), newName);
      upper.replace(p, oldName.size(), upperNew);
      changed = true;
      pos = p + newName.size();
    } else {
      // An occurrence inside a longer name (Lampe in Lampe2): the next one may start
      // right behind it, so look on from the following character.
      pos = p + 1;
    }
  }
  if (changed) line = std::move(text);
  return changed;
}

int renameInPrograms(Project& project, std::string_view oldName, std::string_view newName) {
  int changed = 0;
  for (auto& object : project.objects)
    for (auto& line : object.program)
      if (renameInLine(line, oldName, newName)) ++changed;
  return changed;
}

bool renameObject(Project& project, UserInterface& ui, int index) {
  // rename object: ask, refuse a taken name, rewrite the programs
  if (!validIndex(project, index)) return false;
  TPSObj& object = project.objects[static_cast<std::size_t>(index)];
  std::string name = object.Name;
  if (!askName(ui, "Neuer Name:", name)) return false;
  // The project file keeps only the first of two equal names, so a taken name would lose
  // an object at the next save.
  if (nameTaken(project, name, index)) {
    showError(ui, std::string(kNameTaken));
    return false;
  }
  project.modified = true;
  const std::string oldName = object.Name;
  object.Name = shortText(name, kShortText64);
  renameInPrograms(project, oldName, object.Name);
  return true;
}

std::size_t findReference(std::string_view line, std::string_view name) {
  if (name.empty()) return std::string_view::npos;
  const std::string upperLine = upperCase(line);
  const std::string upperName = upperCase(name);
  // Every occurrence counts, not only the first: "Lampe2 = Lampe" uses Lampe.
  for (std::size_t p = upperLine.find(upperName); p != std::string::npos; p = upperLine.find(upperName, p + 1))
    if (endsReference(line, p + name.size())) return p;
  return std::string_view::npos;
}

Referrers findReferrers(const Project& project, int index) {
  Referrers result;
  if (!validIndex(project, index)) return result;
  const std::string& name = project.objects[static_cast<std::size_t>(index)].Name;
  for (std::size_t i = 0; i < project.objects.size(); ++i) {
    if (static_cast<int>(i) == index) continue;
    const auto& program = project.objects[i].program;
    if (std::any_of(program.begin(), program.end(), [&](const std::string& l) { return lineRefersTo(l, name); })) {
      if (result.count == 0) result.first = static_cast<int>(i);
      ++result.count;
    }
  }
  return result;
}

std::string deleteRefusal(const Project& project, int index, const Referrers& referrers) {
  std::string text = "Das Objekt " + project.objects[static_cast<std::size_t>(index)].Name +
                     fromUtf8(" kann nicht gelöscht werden,") + "\r" + "da es im Programm " +
                     project.objects[static_cast<std::size_t>(referrers.first)].Name + "\r";
  if (referrers.count > 1) text += "und " + std::to_string(referrers.count - 1) + " weiteren Programm(en) ";
  text += "verwendet wird.";
  return text;
}

bool deleteObject(Project& project, UserInterface& ui, int index) {
  // delete object: refuse while used, else ask
  if (!validIndex(project, index)) return false;
  const Referrers referrers = findReferrers(project, index);
  if (referrers.count > 0) {
    showError(ui, deleteRefusal(project, index, referrers));
    return false;
  }
  if (ui.showMessage(destructiveQuestion(fromUtf8("Soll das Objekt wirklich gelöscht werden?"))) != MessageAnswer::Yes)
    return false;
  project.modified = true;
  project.objects.erase(project.objects.begin() + index);
  return true;
}

bool deleteObjectQuietly(Project& project, int index, int tolerated) {
  if (!validIndex(project, index)) return false;
  if (findReferrers(project, index).count > tolerated) return false;
  project.modified = true;
  project.objects.erase(project.objects.begin() + index);
  return true;
}

bool removeAuxiliaryObject(Project& project, std::string_view statement) {
  // auxiliary-object removal: only statements that an assistant wrote with a helper object
  // («  G.RunterZeit:=Aux       /&/System-Information LO:Aux;»); the helper is named after "LO:".
  const std::size_t mark = statement.find("/&/");
  const std::size_t lo = mark == std::string_view::npos ? mark : statement.find("LO:", mark);
  if (lo == std::string_view::npos) return false;
  std::string_view name = statement.substr(lo + 3);
  name = name.substr(0, std::min<std::size_t>(name.find(';'), 63));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  if (name.empty()) return false;
  const int index = findObject(project, name);
  if (index < 0 || project.objects[static_cast<std::size_t>(index)].program.size() != 2) return false;
  return deleteObjectQuietly(project, index, 1);
}

std::string replaceText(std::string_view text, std::string_view oldText, std::string_view newText,
                        std::size_t capacity) {
  // text replacement of the copy command
  std::string result(text);
  if (oldText.empty()) return result;
  std::size_t from = 0;
  for (;;) {
    const std::size_t p = result.find(oldText, from);
    if (p == std::string::npos) break;
    result.replace(p, oldText.size(), newText);
    if (result.size() > capacity) result.resize(capacity);
    // Look on behind the inserted text only: a new text that contains the old one must
    // neither loop nor be replaced again.
    from = p + newText.size();
    if (from >= result.size()) break;
  }
  return result;
}

TPSObj copiedObject(const TPSObj& source, std::string_view oldText, std::string_view newText) {
  // copy object: the new record with the replaced texts and the copied fields
  TPSObj copy = createObject(replaceText(source.Name, oldText, newText));
  copy.OName = shortText(replaceText(source.OName, oldText, newText), kShortText64);
  copy.Group = shortText(replaceText(source.Group, oldText, newText), kShortText32);
  copy.SndDev = shortText(replaceText(source.SndDev, oldText, newText), kShortText32);
  copy.RcvDev = shortText(replaceText(source.RcvDev, oldText, newText), kShortText32);
  for (const auto& line : source.program) copy.program.push_back(replaceText(line, oldText, newText));

  // Every other stored field is copied, except what belongs to this one object: its ID, its
  // voice command and its hardware addresses stay those of a new object.
  static constexpr std::string_view kNotCopied[] = {
      "name", "OName", "Group", "SndDev", "RcvDev", "program", "plans",  // set here with the new texts
      "ObjIDNr", "VoiceContr", "send", "receive",                        // the source's own
  };
  forEachStoredField(
      [](std::string_view key, auto& to, const auto& from) {
        if (std::find(std::begin(kNotCopied), std::end(kNotCopied), key) == std::end(kNotCopied)) to = from;
      },
      copy, source);

  // Just below the source, so that both stay visible on the view.
  for (std::size_t i = 0; i < source.plans.size(); ++i) {
    const TPlan& from = source.plans[i];
    if (from.ViewName.empty()) continue;
    TPlan& to = copy.plans[i];
    to.ViewName = from.ViewName;
    to.Left = from.Left;
    to.Width = from.Width;
    to.Height = from.Height;
    to.Top = from.Top + from.Height + from.Height / 4;
  }
  return copy;
}

int copyObject(Project& project, UserInterface& ui, int index) {
  if (!validIndex(project, index)) return -1;
  const auto oldText = ui.inputBox("Kopieren von", "Zu ersetzende Zeichen", "");
  if (!oldText) return -1;
  const auto newText = ui.inputBox("Kopieren nach", "Neue Zeichen", "");
  if (!newText) return -1;
  TPSObj copy = copiedObject(project.objects[static_cast<std::size_t>(index)], *oldText, *newText);
  // An empty or taken name would be lost at the next save (the file keeps the first of two
  // equal names), so such a copy is not made.
  if (copy.Name.empty()) {
    validName(ui, copy.Name);
    return -1;
  }
  if (nameTaken(project, copy.Name, -1)) {
    showError(ui, std::string(kNameTaken));
    return -1;
  }
  project.modified = true;
  project.objects.push_back(std::move(copy));
  const int copyIndex = static_cast<int>(project.objects.size()) - 1;
  project.objects.back().ObjIDNr = static_cast<std::uint16_t>(kCopyIdBase + copyIndex);
  return copyIndex;
}

bool addTraceEntry(Workspace& workspace, std::string_view objectName) {
  if (objectName.empty()) return false;
  auto& list = workspace.traceList;
  if (std::any_of(list.begin(), list.end(), [&](const std::string& n) { return equalsNoCase(n, objectName); }))
    return false;
  list.emplace_back(objectName);
  return true;
}

bool removeTraceEntry(Workspace& workspace, int entry) {
  auto& list = workspace.traceList;
  if (entry < 0 || static_cast<std::size_t>(entry) >= list.size()) return false;
  list.erase(list.begin() + entry);
  return true;
}

void clearTraceList(Workspace& workspace) { workspace.traceList.clear(); }

}  // namespace kelvaro
