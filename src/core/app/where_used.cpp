// Where-used: the search over all programs and the editor request of an entry.
#include "app/where_used.h"

#include "app/object_commands.h"

namespace kelvaro {

WhereUsed findUses(const Project& project, std::string_view name) {
  // where-used search: each stored line, marker included, with the delete check's rule
  WhereUsed result;
  for (std::size_t o = 0; o < project.objects.size(); ++o) {
    const TPSObj& object = project.objects[o];
    std::size_t lineStart = 0;
    for (std::size_t l = 0; l < object.program.size(); ++l) {
      const std::string& line = object.program[l];
      const std::size_t p = findReference(line, name);
      if (p != std::string_view::npos) {
        WhereUsedEntry entry;
        entry.object = static_cast<int>(o);
        entry.line = static_cast<int>(l);
        entry.position = lineStart + p;
        // Without the marker "-", so a generated line shows as "&" + its text.
        entry.text = object.Name + "  :  " + (line.empty() ? std::string() : line.substr(1));
        result.entries.push_back(std::move(entry));
      }
      lineStart += line.size() + 1;
    }
  }
  result.header = std::string(name) + (result.entries.empty() ? " wird in keinem Programm verwendet"
                                                               : " wird in folgenden Programmen verwendet:");
  return result;
}

EditorRequest editorRequestFor(const WhereUsedEntry& entry) {
  EditorRequest request;
  request.object = entry.object;
  request.page = EditorPage::Program;
  request.storedLine = entry.line;
  return request;
}

}  // namespace kelvaro
