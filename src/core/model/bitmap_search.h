// Where a bitmap named by the project is read from: the one lookup the view preview, the run's
// background and the objects' state bitmaps share.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kelvaro {

// A bitmap lies where it is stored: in the bitmap directory for NoPath 1, else at the name as
// written. A project copied to another machine often brings its pictures along without the
// bitmap directory pointing at them, so a bitmap missing there is looked for by its file name
// beside the project file and in the project's "BMP" folder. The stored name is never changed
// by what is found.
struct BitmapLocation {
  std::string path;    // the file found; when none, where it was stored (for the message)
  bool found = false;  // false also for an empty name
};
BitmapLocation findBitmap(std::string_view name, int noPath, std::string_view bitmapDir, std::string_view projectFile,
                          const std::function<bool(const std::string& path)>& exists);
// The same against the file system (regular files only).
BitmapLocation findBitmap(std::string_view name, int noPath, std::string_view bitmapDir, std::string_view projectFile);

}  // namespace kelvaro
