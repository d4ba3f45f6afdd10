// Record defaults, list look-ups and the small project-wide operations of the model.
#include "model/project.h"

#include <algorithm>

#include "text/text_util.h"

namespace kelvaro {
namespace {

template <typename List, typename Key>
int findNoCase(const List& list, std::string_view name, Key key) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (equalsNoCase(key(list[i]), name)) return static_cast<int>(i);
  return -1;
}

}  // namespace

TPSObj createObject(std::string_view name) {
  TPSObj object;
  object.Name = shortText(name, kShortText64);
  object.OName = object.Name;
  return object;
}

TPSContr createStation(std::string_view name) {
  TPSContr station;
  station.CName = shortText(name, kShortText32);
  return station;
}

int findView(const Project& project, std::string_view name) {
  return findNoCase(project.views, name, [](const ViewEntry& v) -> std::string_view { return v.name; });
}

int findObject(const Project& project, std::string_view name) {
  return findNoCase(project.objects, name, [](const TPSObj& o) -> std::string_view { return o.Name; });
}

int findStation(const Project& project, std::string_view name) {
  return findNoCase(project.stations, name, [](const TPSContr& s) -> std::string_view { return s.CName; });
}

int findTypeState(const Project& project, std::string_view entry) {
  return findNoCase(project.typeStates, entry, [](const TypeStateEntry& e) -> std::string_view { return e.entry; });
}

bool addView(Project& project, std::string_view name, const TViewInfo& info) {
  if (findView(project, name) >= 0) return false;
  project.views.push_back({std::string(name), info});
  return true;
}

bool addType(Project& project, std::string_view entry) {
  auto& types = project.types;
  const auto at = std::lower_bound(types.begin(), types.end(), entry, [](const std::string& a, std::string_view b) {
    return compareNoCase(a, b) < 0;
  });
  if (at != types.end() && equalsNoCase(*at, entry)) return false;
  types.insert(at, std::string(entry));
  return true;
}

bool addGroupName(Project& project, std::string_view name) {
  for (const auto& g : project.groupNames)
    if (equalsNoCase(g, name)) return false;
  project.groupNames.emplace_back(name);
  return true;
}

void clearProject(Project& project) {
  const bool keepModified = project.modified;
  project = Project{};
  project.modified = keepModified;  // callers decide about the flag
}

void rebuildTypeNames(Project& project) {
  project.typeNames.clear();
  for (const auto& entry : project.types) project.typeNames.push_back(entry.substr(0, entry.find(';')));
}

std::string fileNameStem(std::string_view text) { return std::string(text.substr(0, text.find('.'))); }

SplitResult split(std::string_view text, char separator) {
  const std::size_t at = text.find(separator);
  if (at == std::string_view::npos) return {};
  return {std::string(text.substr(0, at)), std::string(text.substr(at + 1, 255)), true};
}

std::uint8_t noPathFlag(std::string_view fileName) {
  return fileName.find_first_of("/\\") == std::string_view::npos ? 1 : 0;
}

}  // namespace kelvaro
