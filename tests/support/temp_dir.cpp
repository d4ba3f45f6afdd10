// Temporary directories and whole-file helpers for the tests.
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>

namespace kelvaro::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kelvaro-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  m_path = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

std::vector<std::string> TempDir::names(std::string_view below) const {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(m_path / below))
    found.push_back(entry.path().filename().string());
  std::sort(found.begin(), found.end());
  return found;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// --- Case files ------------------------------------------------------------------------------

namespace {

std::string unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (const char c = text[++i]) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case '0': out += '\0'; break;
      case 'x':
        out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
        i += 2;
        break;
      default: out += c; break;
    }
  }
  return out;
}

}  // namespace

std::vector<CaseRow> caseRows(std::string_view text, std::string_view section) {
  std::istringstream in{std::string(text)};
  std::vector<CaseRow> rows;
  std::string current;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.starts_with("## ")) current = line.substr(3);
    if (line.empty() || line.starts_with('#') || (!section.empty() && current != section)) continue;
    CaseRow row{number, current, {}};
    if (line.ends_with(" |")) line += ' ';
    for (std::size_t from = 0;;) {
      const std::size_t bar = line.find(" | ", from);
      row.fields.push_back(unescape(std::string_view(line).substr(from, bar - from)));
      if (bar == std::string::npos) break;
      from = bar + 3;
    }
    rows.push_back(std::move(row));
  }
  EXPECT_FALSE(rows.empty()) << "no cases" << (section.empty() ? "" : " in section ") << section;
  return rows;
}

}  // namespace kelvaro::test
