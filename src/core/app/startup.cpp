// Start-up of the main window and the autostart on its timer.
#include "app/startup.h"

#include <filesystem>

#include "ui/user_interface.h"
#include "model/object_types.h"
#include "storage/project_file.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

constexpr std::string_view kPcExecutionSuffix = "-P";

std::string_view baseName(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// "/p/HAUS.V2.SPG" is shown as "HAUS".
std::string projectLabel(std::string_view startFile) { return fileNameStem(baseName(startFile)); }

// The file itself, else the same name in the project directory, else nothing.
std::string locateLoadFile(const Settings& s, const FileExists& exists) {
  if (s.LOADFILE.empty() || exists(s.LOADFILE)) return s.LOADFILE;
  const std::string inProjectDir = pathInDirectory(s.DIRDAT, s.LOADFILE);
  return exists(inProjectDir) ? inProjectDir : std::string();
}

void applyExternFlag(const Project& project, AppState& state) {
  state.hardwareControl = project.Extern;
  state.protocolEnabled = project.Extern;
}

}  // namespace

bool regularFileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

std::vector<std::string> defaultPaintCandidates() {
  return {"/usr/bin/gimp", "/usr/bin/mtpaint", "/usr/bin/kolourpaint", "/usr/bin/pinta"};
}

std::string findPaintProgram(std::string_view configured, const std::vector<std::string>& candidates,
                             const FileExists& exists) {
  std::string path = trimLeft(configured);
  if (!path.empty()) return path;
  for (const auto& candidate : candidates)
    if (exists(candidate)) path = candidate;
  return path;
}

AppState startUp(const StartupEnvironment& environment, const IniFile& ini, Project& project, UserInterface& ui) {
  // startUp -> fresh lists, settings, default definitions, start project, first view
  AppState state;
  const FileExists& exists = environment.fileExists;

  // The project lists start empty, with no stored execution-window position.
  clearProject(project);
  project.ExeWinPos.width = 0;
  std::string startFile = environment.arguments.empty() ? std::string() : environment.arguments.front();

  // Settings. A LOADFILE that cannot be found counts as not set.
  state.settings = readSettings(ini, environment.workDir);
  Settings& s = state.settings;
  s.LOADFILE = locateLoadFile(s, exists);
  if (trimRight(s.INITFILE).empty()) s.INITFILE = std::string(kDefaultInitFile);

  // The default definitions only when no LOADFILE will be read (it brings its own).
  if (s.LOADFILE.empty()) {
    const std::string inProjectDir = pathInDirectory(s.DIRDAT, s.INITFILE);
    const std::string defaults =
        exists(inProjectDir) ? inProjectDir : pathInDirectory(environment.workDir, s.INITFILE);
    readProject(project, defaults, s.DIRDAT, ui);
  }

  // Nothing is modified yet: reading the default definitions is no change of the user's.
  project.modified = false;
  s.settingsChanged = false;
  s.projectNameLabel.clear();
  applyExternFlag(project, state);

  // The autostart project takes precedence over the command line.
  if (!trimRight(s.AUTOEXEC).empty()) startFile = s.AUTOEXEC;

  // The start project on top of the default definitions.
  if (startFile.ends_with(kPcExecutionSuffix)) {
    startFile.resize(startFile.size() - kPcExecutionSuffix.size());
    s.startMode = kStartPcExecution;
  }
  if (!startFile.empty()) {
    s.startFile = startFile;
    const ReadStatus status = readProject(project, s.startFile, s.DIRDAT, ui);
    // Only a project that is there is named; only one read completely is started by itself:
    // running the default definitions, or half a project, under the name of the missing one
    // could switch the installation's outputs by a program nobody meant to run.
    if (status == ReadStatus::Complete || status == ReadStatus::Stopped) s.projectNameLabel = projectLabel(s.startFile);
    s.autostartPending = status == ReadStatus::Complete;
  } else if (!s.LOADFILE.empty()) {
    s.startFile = s.LOADFILE;
    const ReadStatus status = readProject(project, s.startFile, s.DIRDAT, ui);
    if (status == ReadStatus::Complete || status == ReadStatus::Stopped) s.projectNameLabel = projectLabel(s.startFile);
  }
  // The project read last decides about hardware control, not the default definitions.
  applyExternFlag(project, state);

  // The first view is shown.
  state.selectedView = project.views.empty() ? -1 : 0;

  // A drawing program for the bitmaps.
  s.PAINTPATH = findPaintProgram(s.PAINTPATH, environment.paintCandidates, exists);
  return state;
}

void recoverFromUnhandledError(Project& project) {
  for (auto& object : project.objects) keepOwnBitmaps(object);
}

AutostartAction autostartTick(Settings& settings) {
  if (!settings.autostartPending) return AutostartAction::None;
  settings.autostartPending = false;
  return settings.startMode == kStartPcExecution ? AutostartAction::PcExecution : AutostartAction::Visualisation;
}

void showAutostartError(UserInterface& ui) { showError(ui, std::string(kAutostartErrorText)); }

}  // namespace kelvaro
