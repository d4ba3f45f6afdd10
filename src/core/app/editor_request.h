// How the object editor is to open: on which object and page, and after a compile or
// run-time error, with the error to show at its line.
#pragma once

#include <string>

#include "language/line_map.h"

namespace kelvaro {

enum class EditorPage { Type = 0, Program = 1, Hardware = 2 };

struct EditorRequest {
  int object = -1;            // index in project.objects
  int errorCode = 0;          // 0 = no error
  int errorPosition = 0;      // the compiler's character or code position
  std::string errorName;      // the unknown identifier of code -11
  LineMap lineMap;            // the compiled object's line map, for code positions
  EditorPage page = EditorPage::Type;
  int storedLine = -1;        // a stored program line to show selected (where-used); -1 none
  bool trace = false;         // show hints
};

}  // namespace kelvaro
