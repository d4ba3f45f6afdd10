// A fresh directory per test, removed afterwards, for tests that read and write files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  std::string file(std::string_view name) const { return (m_path / name).string(); }
  // The names of what the directory (or one below it) holds, sorted: a file left behind shows.
  std::vector<std::string> names(std::string_view below = {}) const;

 private:
  std::filesystem::path m_path;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, std::string_view bytes);

// --- Case files: the rows of a table-driven test kept as text under tests/data ---------------

// One row of a case file: its line in the file (for SCOPED_TRACE), the section it stands in
// and its fields.
struct CaseRow {
  int line = 0;
  std::string section;
  std::vector<std::string> fields;
};

// The rows of a case file's text. A line "## name" starts a section, "#" lines are comments and
// blank lines are skipped; every other line is one row, its fields separated by " | " (a line
// ending in " |" ends in an empty field), each with its C escapes undone: \r \n \0 \\ \xHH.
// Only the rows of the given section, when one is given. No rows (a file missing or not read, a
// section misspelt) fails the test that asks for them.
std::vector<CaseRow> caseRows(std::string_view text, std::string_view section = {});

#ifdef KELVARO_SOURCE_DIR
// The rows of one section of the case file tests/data/<file>.
inline std::vector<CaseRow> dataCases(std::string_view file, std::string_view section) {
  return caseRows(readFile(std::string(KELVARO_SOURCE_DIR) + "/tests/data/" + std::string(file)), section);
}
#endif

}  // namespace kelvaro::test
