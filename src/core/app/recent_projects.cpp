// The list of recently opened projects and the command that opens one of them.
#include "app/recent_projects.h"

#include <algorithm>
#include <filesystem>

#include "app/project_commands.h"
#include "storage/settings.h"
#include "text/cp1252.h"
#include "ui/user_interface.h"

namespace kelvaro {

bool rememberProject(std::vector<std::string>& recent, std::string_view file) {
  if (file.empty()) return false;
  if (!recent.empty() && recent.front() == file) return false;
  // Paths compare exactly: on Linux "haus.spg" and "HAUS.SPG" are two projects.
  std::erase(recent, file);
  recent.insert(recent.begin(), std::string(file));
  if (recent.size() > kMaxRecentProjects) recent.resize(kMaxRecentProjects);
  return true;
}

void rememberProject(Workspace& workspace, const std::string& file, const FileExists& exists) {
  if (file.empty()) return;
  std::string found = file;
  if (!exists(found)) found = pathInDirectory(workspace.settings().DIRDAT, file);
  if (!exists(found)) return;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(found, ec);
  if (!ec) found = absolute.lexically_normal().string();
  if (rememberProject(workspace.settings().recentProjects, found)) workspace.settings().recentProjectsChanged = true;
}

std::string recentProjectLabel(std::size_t index, std::string_view file) {
  std::string label = "&" + std::to_string(index + 1) + " ";
  const auto escaped = [](std::string_view text) {
    std::string out;
    for (char c : text) out += c == '&' ? std::string("&&") : std::string(1, c);
    return out;
  };
  label += escaped(baseNameOf(file));
  std::string dir = directoryOf(file);
  if (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
  if (!dir.empty()) label += "  (" + escaped(dir) + ")";
  return label;
}

bool openRecentProject(Workspace& workspace, UserInterface& ui, std::size_t index, const FileExists& exists) {
  std::vector<std::string>& recent = workspace.settings().recentProjects;
  if (index >= recent.size()) return false;
  const std::string file = recent[index];
  if (!exists(file)) {
    Message missing;
    missing.kind = MessageKind::Warning;
    missing.text = fromUtf8("Das Projekt " + file +
                            " wurde nicht gefunden.\rEs wird aus der Liste der zuletzt geöffneten Projekte entfernt.");
    ui.showMessage(missing);
    recent.erase(recent.begin() + static_cast<std::ptrdiff_t>(index));
    workspace.settings().recentProjectsChanged = true;
    return false;
  }
  if (!mayDropProject(workspace.project, ui)) return false;
  loadProjectFile(workspace, ui, file);
  return true;
}

}  // namespace kelvaro
