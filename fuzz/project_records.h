// A whole project described by a small text, one record per line, so that the fuzz targets of
// the compiler, the program image and the engine reach deep into them without having to find
// the project file's layout first. The first character of a line says what it holds, the rest
// (after one optional blank) is its text:
//   T type:state                      a type-state entry
//   O name|type|start|ObjIDNr|ACode|SndDev|RcvDev   a new object; later records belong to it
//   V name|type|start                 a variable definition in its 20-character columns
//   W text                            a variable definition exactly as stored
//   P text / A text / R text          a program line typed by the user ("-"), written by an
//                                     assistant ("-&"), or stored exactly as given
//   K text                            an entry of the constants list
//   S kind|mode|slot count|name,name  a station with named device slots
//   N count                           copies of the current object (to reach the limits)
//   L count|text                      the same program line count times
// Any other line is ignored, so a target may put lines of its own in front.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "model/project.h"

namespace kelvaro::fuzz {

struct RecordLimits {
  std::size_t objects = 1100;  // a little beyond the compiler's limit
  std::size_t lines = 6000;    // enough to overflow the code buffer
};

Project projectFromRecords(std::string_view input, RecordLimits limits = {});

// The pieces of a line between separators (one piece when there is none).
std::vector<std::string_view> fields(std::string_view text, char separator);
// A decimal number, or fallback when the text is not one.
long number(std::string_view text, long fallback);

}  // namespace kelvaro::fuzz
