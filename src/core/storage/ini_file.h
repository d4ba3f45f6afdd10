// An INI file that behaves like the Windows private-profile functions, so that settings files
// written on either platform read the same, and that never loses a line it does not understand.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro {

// The file is held as its lines, unchanged; sections and keys are found by walking them, so a
// write touches only the one line it concerns. Lines look like "[SECTION]" and "key=value";
// section and key names compare ignoring letter case and surrounding blanks. Bytes are kept
// as they are (Windows-1252). A line starting with ";" is a comment, never a key.
class IniFile {
 public:
  enum class LoadResult {
    Loaded,
    Missing,     // no such file: an empty file, as a first start finds it
    Unreadable,  // exists but cannot be read (no access, a directory, far too large)
  };

  explicit IniFile(std::string path = {}) : m_path(std::move(path)) {}

  // An unsaved file holding these bytes (lines ended by CR LF or LF).
  static IniFile fromText(std::string_view bytes, std::string path = {});

  const std::string& path() const { return m_path; }

  // Reads the file at path(). After Unreadable the file is empty and save() refuses, so that
  // the settings we could not read are never replaced by ours.
  LoadResult load();

  // Writes all lines, ended by CR LF, to a temporary file beside the target and renames it
  // over the target: the old file stays complete until the new one is. Creates a missing
  // directory. A symbolic link is followed, so a linked settings file stays linked.
  // False when nothing could be written (the old file is then unchanged).
  bool save() const;

  // The whole file as it would be saved.
  std::string text() const;

  // The value of the first such key in the first section of that name that has it, with
  // blanks and tabs around it removed and one pair of enclosing quotes dropped; nothing when
  // absent. A key that is present with an empty value gives an empty text, not the default.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
  // The default also when the value is not a whole decimal number.
  int readInt(std::string_view section, std::string_view key, int defaultValue) const;

  bool hasSection(std::string_view section) const;

  // Replaces the value of the key where it stands, or adds the key after the last key of the
  // section, or adds the section at the end. Line breaks in the value become blanks: a value
  // is one line. False (and nothing changed) for an empty or malformed section or key name.
  bool writeString(std::string_view section, std::string_view key, std::string_view value);
  // Removes the key from every section of that name; false when it was not there.
  bool deleteKey(std::string_view section, std::string_view key);
  // Removes every section of that name with all its lines; false when there was none.
  bool eraseSection(std::string_view section);

 private:
  struct Range {
    std::size_t header;  // index of the "[...]" line
    std::size_t end;     // one past the section's last line
  };
  std::vector<Range> sections(std::string_view name) const;
  std::optional<std::size_t> findKey(std::string_view section, std::string_view key) const;

  std::string m_path;
  std::vector<std::string> m_lines;  // without their line ends
  bool m_unreadable = false;
};

}  // namespace kelvaro
