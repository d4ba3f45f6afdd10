// The rules of the page "Einstellungen".
#include "app/settings_page_commands.h"

#include <filesystem>
#include <system_error>

#include "ui/user_interface.h"
#include "app/workspace.h"
#include "astro/region_table.h"
#include "storage/settings.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

// The field's setting, for reading and for writing alike.
template <class S>
auto* pathField(S& s, SettingsPath field) {
  switch (field) {
    case SettingsPath::BitmapDirectory: return &s.DIRBMP;
    case SettingsPath::ProjectDirectory: return &s.DIRDAT;
    case SettingsPath::DefaultDefinitions: return &s.INITFILE;
    case SettingsPath::Autostart: return &s.AUTOEXEC;
    case SettingsPath::PaintProgram: return &s.PAINTPATH;
  }
  return &s.DIRBMP;
}

// The directory part of a path with its separator; empty for a bare name.
std::string directoryOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

}  // namespace

std::string settingsPath(const Settings& settings, SettingsPath field) {
  return *pathField(settings, field);
}

void setSettingsPath(Settings& settings, SettingsPath field, std::string text) {
  std::string* target = pathField(settings, field);
  if (*target == text) return;
  *target = std::move(text);
  if (field != SettingsPath::PaintProgram) settings.settingsChanged = true;
}

bool leaveSettingsPage(Settings& settings) {
  bool completed = false;
  for (std::string* dir : {&settings.DIRBMP, &settings.DIRDAT}) {
    std::string full = completeDirectory(*dir);
    if (full != *dir) {
      *dir = std::move(full);
      completed = true;
    }
  }
  return completed;
}

std::string browsedPath(const Settings& settings, SettingsPath field, std::string_view chosenFile) {
  switch (field) {
    case SettingsPath::BitmapDirectory:
    case SettingsPath::ProjectDirectory:
      return directoryOf(chosenFile);
    case SettingsPath::DefaultDefinitions:
      // The start-up looks for the file in the project directory first.
      if (const std::string dir = directoryOf(chosenFile); !dir.empty() && dir == completeDirectory(settings.DIRDAT))
        return std::string(chosenFile.substr(dir.size()));
      return std::string(chosenFile);
    case SettingsPath::Autostart:
    case SettingsPath::PaintProgram:
      return std::string(chosenFile);
  }
  return std::string(chosenFile);
}

std::vector<std::string> constantsFromText(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

std::string constantsText(const std::vector<std::string>& constants) {
  std::string text;
  for (std::size_t i = 0; i < constants.size(); ++i) {
    if (i != 0) text += '\n';
    text += constants[i];
  }
  return text;
}

bool leaveConstantsBox(Project& project, std::vector<std::string> lines) {
  if (lines == project.constants) return false;
  project.constants = std::move(lines);
  project.modified = true;
  return true;
}

bool deleteProtocolFile(std::string_view directory, UserInterface& ui) {
  const std::filesystem::path file = pathInDirectory(directory, kProtocolFileName);
  std::error_code error;
  std::filesystem::remove(file, error);
  // remove() reports no error for a missing file; a directory of that name or a file the
  // user may not delete stays and is reported.
  if (error || std::filesystem::exists(file, error)) {
    showError(ui, fromUtf8("Datei konnte nicht gelöscht werden"));
    return false;
  }
  return true;
}

void chooseRegion(Settings& settings, int index) {
  const std::optional<std::string_view> choice = regionChoiceAt(index);
  if (!choice) return;
  settings.PLZ = index;
  if (const std::optional<GeoPosition> position = regionPosition(*choice)) {
    settings.GEOLANG = position->longitude;
    settings.GEOBREIT = position->latitude;
  }
}

bool toggleLineLogLabel(Workspace& workspace, bool labelVisible) {
  const bool visible = !labelVisible;
  workspace.lineLog = visible;
  return visible;
}

void toggleLineLog(Workspace& workspace) { workspace.lineLog = !workspace.lineLog; }

std::string_view portLabelCaption(bool lineLogOn) { return lineLogOn ? "COM-Port:" : "COM-Port"; }

}  // namespace kelvaro
