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
// A text without rows (a file missing or not read) fails the test that asks for it.
std::vector<CaseRow> caseRows(std::string_view text);

}  // namespace kelvaro::test
