// Where-used ("Objektbezüge"): every program line of the project that mentions an object, so
// that the user sees where it is used before changing or deleting it and can jump to the line.
// The window only shows these entries and opens the editor request an entry gives.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/editor_request.h"
#include "model/project.h"

namespace kelvaro {

inline constexpr std::string_view kWhereUsedHint =
    "Durch Doppelklick auf eine Zeile kann das Programm direkt bearbeitet werden";

struct WhereUsedEntry {
  int object = -1;            // the object whose program holds the line
  int line = -1;              // the stored line's index in that program
  std::size_t position = 0;   // the name's offset in the program text, each line counting its length + 1
  std::string text;           // object name + "  :  " + the stored line from its second character on
};

struct WhereUsed {
  std::string header;  // "… wird in folgenden Programmen verwendet:" or "… wird in keinem Programm verwendet"
  std::vector<WhereUsedEntry> entries;
};

// Searches every object's program, in project order, for uses of the name (the rule the delete
// check applies, findReference). The header names the name as given.
WhereUsed findUses(const Project& project, std::string_view name);

// The object editor on the entry's line: the program page, with the generated statements shown
// when the line is one of them.
EditorRequest editorRequestFor(const WhereUsedEntry& entry);

}  // namespace kelvaro
