// New, open, add file, save, save as and rename of the project.
#include "app/project_commands.h"

#include <cctype>

#include "app/recent_projects.h"
#include "ui/user_interface.h"
#include "model/name_rule.h"
#include "storage/project_file.h"
#include "storage/settings.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

constexpr std::string_view kProjectFilter = "Steuerungsprogramm|*.SPG|Initialisierungsdatei|*.SPI";
constexpr std::string_view kSaveFilter = "Projekt|*.SPG";

std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// "*.BMP;*.DIB" → "*.BMP *.bmp *.DIB *.dib"
std::string patternList(std::string_view patterns) {
  std::string list;
  std::size_t start = 0;
  while (start <= patterns.size()) {
    std::size_t end = patterns.find(';', start);
    if (end == std::string_view::npos) end = patterns.size();
    const std::string pattern = trimRight(trimLeft(patterns.substr(start, end - start)));
    if (!pattern.empty()) {
      if (!list.empty()) list += ' ';
      list += pattern;
      const std::string lower = lowerAscii(pattern);
      if (lower != pattern) list += ' ' + lower;
    }
    start = end + 1;
  }
  return list.empty() ? std::string("*") : list;
}

void setCurrentFile(Workspace& workspace, std::string fileName) {
  workspace.fileName = std::move(fileName);
  workspace.settings().projectNameLabel = projectNameOf(workspace.fileName);
  // The settings file remembers the project last worked on as the one to load at start.
  workspace.settings().startFile = workspace.fileName;
}

// After the project was replaced: the first view is shown and hardware control follows the
// project's own flag, as at start.
void projectReplaced(Workspace& workspace) {
  Project& project = workspace.project;
  workspace.app.selectedView = project.views.empty() ? -1 : 0;
  workspace.app.hardwareControl = project.Extern;
  workspace.app.protocolEnabled = project.Extern;
}

bool agreeToDrop(UserInterface& ui, std::string_view utf8Question) {
  return ui.showMessage(destructiveQuestion(fromUtf8(utf8Question))) == MessageAnswer::Yes;
}

// A name typed without extension gets ".SPG", as the dialog's default extension did.
std::string withProjectExtension(const std::string& fileName) {
  if (baseNameOf(fileName).find('.') != std::string::npos) return fileName;
  return fileName + std::string(kProjectExtension);
}

}  // namespace

std::string fileDialogFilter(std::string_view pairs) {
  std::string filter;
  std::size_t start = 0;
  while (start < pairs.size()) {
    const std::size_t bar = pairs.find('|', start);
    const std::string_view name = pairs.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start);
    std::string_view patterns;
    if (bar == std::string_view::npos) {
      start = pairs.size();
    } else {
      const std::size_t next = pairs.find('|', bar + 1);
      patterns = pairs.substr(bar + 1, next == std::string_view::npos ? std::string_view::npos : next - bar - 1);
      start = next == std::string_view::npos ? pairs.size() : next + 1;
    }
    if (!filter.empty()) filter += ";;";
    filter += std::string(name) + " (" + patternList(patterns) + ")";
  }
  return filter;
}

std::string directoryOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string baseNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string projectNameOf(std::string_view fileName) { return fileNameStem(baseNameOf(fileName)); }

bool newProject(Workspace& workspace, UserInterface& ui, const FileExists& exists) {
  Project& project = workspace.project;
  const Settings& s = workspace.settings();
  if (project.modified && !agreeToDrop(ui, "Die aktuelle Definition wird gelöscht !\rIst das richtig ?")) return false;

  clearProject(project);
  // The default definitions from the project directory, else from where the program started.
  const std::string initFile = trimRight(s.INITFILE).empty() ? std::string(kDefaultInitFile) : s.INITFILE;
  const std::string inProjectDir = pathInDirectory(s.DIRDAT, initFile);
  readProject(project, exists(inProjectDir) ? inProjectDir : pathInDirectory(workspace.workDir, initFile), s.DIRDAT,
              ui);
  project.modified = false;

  std::string name;
  const std::string file = askName(ui, "Projektname:", name) ? name + std::string(kProjectExtension)
                                                            : std::string(kNewProjectFile);
  setCurrentFile(workspace, pathInDirectory(s.DIRDAT, file));
  projectReplaced(workspace);
  return true;
}

bool mayDropProject(const Project& project, UserInterface& ui) {
  return !project.modified ||
         agreeToDrop(ui, "Das aktuelle Projekt soll gelöscht werden.\rDie letzten Änderungen wurden noch nicht "
                         "gespeichert.\rIst das richtig ?");
}

void loadProjectFile(Workspace& workspace, UserInterface& ui, const std::string& file) {
  Project& project = workspace.project;
  setCurrentFile(workspace, file);
  clearProject(project);
  const ReadStatus status = readProject(project, file, workspace.settings().DIRDAT, ui);
  project.modified = false;
  // A load that stopped part-way holds only the start of the file; saving it under the same
  // name would throw the rest away, so the next save asks where to write.
  if (status == ReadStatus::Stopped) workspace.fileName.clear();
  if (status == ReadStatus::Complete) rememberProject(workspace, file);
  projectReplaced(workspace);
}

bool openProject(Workspace& workspace, UserInterface& ui) {
  if (!mayDropProject(workspace.project, ui)) return false;
  const auto file =
      ui.openFileName(fromUtf8("Projekt öffnen"), fileDialogFilter(kProjectFilter), workspace.settings().DIRDAT);
  if (!file) return false;
  loadProjectFile(workspace, ui, *file);
  return true;
}

bool addProjectFile(Workspace& workspace, UserInterface& ui) {
  Project& project = workspace.project;
  const std::string dir = workspace.settings().DIRDAT;
  const auto file = ui.openFileName(fromUtf8("Datei zufügen"), fileDialogFilter(kProjectFilter), dir);
  project.modified = true;
  if (!file) return false;
  readProject(project, *file, dir, ui);
  if (workspace.app.selectedView < 0 && !project.views.empty()) workspace.app.selectedView = 0;
  return true;
}

bool saveProject(Workspace& workspace, UserInterface& ui) {
  if (workspace.fileName.empty()) return saveProjectAs(workspace, ui);
  const auto written = writeProject(workspace.project, workspace.fileName, workspace.settings().DIRDAT, ui);
  if (written) rememberProject(workspace, *written);
  return written.has_value();
}

bool saveProjectAs(Workspace& workspace, UserInterface& ui, const FileExists& exists) {
  const std::string dir = workspace.settings().DIRDAT;
  const std::string proposal = workspace.fileName.empty() ? dir : pathInDirectory(dir, baseNameOf(workspace.fileName));
  const auto chosen = ui.saveFileName("Projekt speichern unter", fileDialogFilter(kSaveFilter), proposal);
  if (!chosen || trimRight(*chosen).empty()) return false;

  const std::string file = withProjectExtension(*chosen);
  const std::string target = directoryOf(file).empty() ? pathInDirectory(dir, file) : file;
  if (exists(target) &&
      ui.showMessage(destructiveQuestion("Dieses Projekt existiert schon !\rSoll es " + fromUtf8("überschrieben") +
                                         " werden ?")) != MessageAnswer::Yes)
    return false;
  setCurrentFile(workspace, target);
  const auto written = writeProject(workspace.project, target, dir, ui);
  if (written) rememberProject(workspace, *written);
  return written.has_value();
}

std::string windowTitle(std::string_view caption, std::string_view fileName, bool modified) {
  std::string title(caption);
  if (!fileName.empty()) title += " - " + fromUtf8(baseNameOf(fileName));
  if (modified) title += " *";
  return title;
}

bool renameProject(Workspace& workspace, UserInterface& ui) {
  std::string name =
      workspace.fileName.empty() ? workspace.settings().projectNameLabel : projectNameOf(workspace.fileName);
  if (!askName(ui, "Neuer Name:", name)) return false;
  setCurrentFile(workspace, pathInDirectory(workspace.settings().DIRDAT, name + std::string(kProjectExtension)));
  return true;
}

}  // namespace kelvaro
