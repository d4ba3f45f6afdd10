// The bitmap lookup: the stored place first, then beside the project file.
#include "model/bitmap_search.h"

#include <filesystem>
#include <system_error>

namespace kelvaro {
namespace {

// name inside dir, unless name is absolute; dir may end in "/" or, read from Windows, in "\".
std::string stored(std::string_view dir, std::string_view name) {
  if (name.starts_with('/') || dir.empty()) return std::string(name);
  const bool separated = dir.ends_with('/') || dir.ends_with('\\');
  return std::string(dir) + (separated ? "" : "/") + std::string(name);
}

}  // namespace

BitmapLocation findBitmap(std::string_view name, int noPath, std::string_view bitmapDir, std::string_view projectFile,
                          const std::function<bool(const std::string& path)>& exists) {
  BitmapLocation location;
  if (name.empty()) return location;
  location.path = noPath == 1 ? stored(bitmapDir, name) : std::string(name);
  if (exists(location.path)) {
    location.found = true;
    return location;
  }
  // Stored names may carry a Windows directory; only the file name travels with the project.
  const std::string file(name.substr(name.find_last_of("/\\") + 1));
  if (file.empty()) return location;
  const std::size_t slash = projectFile.rfind('/');
  const std::string beside = slash == std::string_view::npos ? std::string() : std::string(projectFile.substr(0, slash + 1));
  for (std::string candidate : {beside + file, beside + "BMP/" + file}) {
    if (exists(candidate)) return {std::move(candidate), true};
  }
  return location;
}

BitmapLocation findBitmap(std::string_view name, int noPath, std::string_view bitmapDir, std::string_view projectFile) {
  return findBitmap(name, noPath, bitmapDir, projectFile, [](const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
  });
}

}  // namespace kelvaro
