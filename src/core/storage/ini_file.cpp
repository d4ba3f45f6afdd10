// The INI file: line-preserving edits with private-profile look-up rules, and a save that
// never leaves a half-written file behind.
#include "storage/ini_file.h"


#include <filesystem>
#include <fstream>
#include <iterator>

#include "storage/atomic_file.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

// Larger than any settings file could honestly be; something that big is not ours to rewrite.
constexpr std::uintmax_t kMaxFileSize = 16u * 1024u * 1024u;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The text a line is parsed from: an editor may have put a byte-order mark before the first.
std::string_view parsedText(const std::vector<std::string>& lines, std::size_t i) {
  std::string_view text = lines[i];
  if (i == 0 && text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  return text;
}

// "[name]" → name; nothing for any other line.
std::optional<std::string_view> sectionOf(std::string_view line) {
  line = trimBlanks(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const std::size_t close = line.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trimBlanks(line.substr(1, close - 1));
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
};

// "key=value" → both parts trimmed; nothing for comments and lines without "=".
std::optional<KeyLine> keyOf(std::string_view line) {
  line = trimBlanks(line);
  if (line.empty() || line.front() == ';' || line.front() == '[') return std::nullopt;
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  const std::string_view key = trimBlanks(line.substr(0, eq));
  if (key.empty()) return std::nullopt;
  return KeyLine{key, trimBlanks(line.substr(eq + 1))};
}

std::string_view unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

std::vector<std::string> splitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = next;
  }
  return lines;
}

bool validSectionName(std::string_view name) {
  return !trimBlanks(name).empty() && name.find_first_of("]\r\n") == std::string_view::npos;
}

bool validKeyName(std::string_view key) {
  const std::string_view trimmed = trimBlanks(key);
  return !trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '[' &&
         key.find_first_of("=\r\n") == std::string_view::npos;
}

}  // namespace

IniFile IniFile::fromText(std::string_view bytes, std::string path) {
  IniFile file(std::move(path));
  file.m_lines = splitLines(bytes);
  return file;
}

IniFile::LoadResult IniFile::load() {
  m_lines.clear();
  m_unreadable = false;
  if (!m_path.empty()) removeStaleTemporary(m_path);
  std::error_code ec;
  const fs::file_status status = fs::status(m_path, ec);
  if (status.type() == fs::file_type::not_found) return LoadResult::Missing;
  const std::uintmax_t size = fs::is_regular_file(status) ? fs::file_size(m_path, ec) : 0;
  if (!fs::is_regular_file(status) || ec || size > kMaxFileSize) {
    m_unreadable = true;
    return LoadResult::Unreadable;
  }
  std::ifstream in(m_path, std::ios::binary);
  if (!in.is_open()) {
    m_unreadable = true;
    return LoadResult::Unreadable;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  m_lines = splitLines(bytes);
  return LoadResult::Loaded;
}

bool IniFile::save() const {
  if (m_path.empty() || m_unreadable) return false;
  // A new settings file stays readable by its owner only: it holds the remote-control password.
  return replaceFile(m_path, text(), {.newFileMode = 0600, .createDirectories = true});
}

std::string IniFile::text() const {
  std::string bytes;
  for (const auto& line : m_lines) {
    bytes += line;
    bytes += "\r\n";
  }
  return bytes;
}

std::vector<IniFile::Range> IniFile::sections(std::string_view name) const {
  std::vector<Range> found;
  bool inside = false;
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    const auto header = sectionOf(parsedText(m_lines, i));
    if (!header) continue;
    if (inside) found.back().end = i;
    inside = equalsNoCase(*header, trimBlanks(name));
    if (inside) found.push_back({i, m_lines.size()});
  }
  return found;
}

std::optional<std::size_t> IniFile::findKey(std::string_view section, std::string_view key) const {
  for (const Range& r : sections(section))
    for (std::size_t i = r.header + 1; i < r.end; ++i) {
      const auto line = keyOf(m_lines[i]);
      if (line && equalsNoCase(line->key, trimBlanks(key))) return i;
    }
  return std::nullopt;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
  const auto at = findKey(section, key);
  if (!at) return std::nullopt;
  return std::string(unquote(keyOf(m_lines[*at])->value));
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
  auto found = value(section, key);
  return found ? std::move(*found) : std::string(defaultValue);
}

int IniFile::readInt(std::string_view section, std::string_view key, int defaultValue) const {
  const auto found = value(section, key);
  if (!found) return defaultValue;
  return parseInt(*found).value_or(defaultValue);
}

bool IniFile::hasSection(std::string_view section) const { return !sections(section).empty(); }

bool IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
  if (!validSectionName(section) || !validKeyName(key)) return false;
  std::string oneLine(value);
  for (char& c : oneLine)
    if (c == '\r' || c == '\n') c = ' ';

  if (const auto at = findKey(section, key)) {
    // Keep the key as the file spells it; only the value changes.
    m_lines[*at] = std::string(keyOf(m_lines[*at])->key) + "=" + oneLine;
    return true;
  }
  const std::string line = std::string(trimBlanks(key)) + "=" + oneLine;
  const auto ranges = sections(section);
  if (!ranges.empty()) {
    // After the section's last key, so that comments and blank lines that lead into the next
    // section stay in front of it.
    std::size_t insertAt = ranges.front().header + 1;
    for (std::size_t i = insertAt; i < ranges.front().end; ++i)
      if (keyOf(m_lines[i])) insertAt = i + 1;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), line);
    return true;
  }
  if (!m_lines.empty() && !trimBlanks(m_lines.back()).empty()) m_lines.emplace_back();
  m_lines.push_back("[" + std::string(trimBlanks(section)) + "]");
  m_lines.push_back(line);
  return true;
}

bool IniFile::deleteKey(std::string_view section, std::string_view key) {
  const auto ranges = sections(section);
  bool removed = false;
  for (auto r = ranges.rbegin(); r != ranges.rend(); ++r)
    for (std::size_t i = r->end; i-- > r->header + 1;) {
      const auto line = keyOf(m_lines[i]);
      if (line && equalsNoCase(line->key, trimBlanks(key))) {
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i));
        removed = true;
      }
    }
  return removed;
}

bool IniFile::eraseSection(std::string_view section) {
  const auto ranges = sections(section);
  for (auto r = ranges.rbegin(); r != ranges.rend(); ++r)
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(r->header),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(r->end));
  return !ranges.empty();
}

}  // namespace kelvaro
