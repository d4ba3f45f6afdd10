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

}  // namespace kelvaro::test
