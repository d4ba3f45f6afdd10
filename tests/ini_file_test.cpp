// The INI file: private-profile look-ups, line-preserving edits, safe saving.
#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "storage/ini_file.h"
#include "support/temp_dir.h"

namespace kelvaro {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

// A small file with everything a hand-edited settings file may hold: blanks around keys and
// values, quotes, empty values, a line that is no key, comments, section names in any case.
std::string sample(const char* name = "sample.INI") {
  return readFile(std::string(KELVARO_SOURCE_DIR) + "/tests/data/" + name);
}

TEST(IniFile, ReadsValuesIgnoringCaseAndBlanks) {
  const IniFile ini = IniFile::fromText(sample());
  for (const test::CaseRow& row : test::dataCases("settings_cases.txt", "ini")) {
    SCOPED_TRACE("settings_cases.txt:" + std::to_string(row.line));
    ASSERT_EQ(row.fields.size(), 3u);
    EXPECT_EQ(ini.value(row.fields[0], row.fields[1]).value_or("(none)"), row.fields[2]);
  }
  EXPECT_EQ(ini.readString("INITALL", "Nope", "dflt"), "dflt");
  EXPECT_EQ(ini.readString("INITALL", "Empty", "dflt"), "");
  EXPECT_TRUE(ini.hasSection("Ports"));
  EXPECT_FALSE(ini.hasSection("PORT"));
}

TEST(IniFile, FirstOfDuplicateSectionsAndKeysIsRead) {
  const IniFile ini = IniFile::fromText("K=0\n[A]\nK=1\nK=2\n[B]\nK=3\n[a]\nK=4\nL=5\n");
  EXPECT_EQ(ini.value("A", "K"), "1");
  EXPECT_EQ(ini.value("A", "L"), "5");  // found in the second section of that name
  EXPECT_EQ(ini.value("B", "K"), "3");
}

// A key is changed in its line; a new one goes after the last key of its section. Every other
// line of the sample stays byte for byte.
TEST(IniFile, EditsChangeOnlyTheirOwnLines) {
  IniFile ini = IniFile::fromText(sample());
  ASSERT_TRUE(ini.writeString("initall", "comport", "5"));
  ASSERT_TRUE(ini.writeString("PORTS", "COM1", "/dev/ttyS0"));
  ASSERT_TRUE(ini.writeString("INITALL", "LOADFILE", "a.SPG"));
  ASSERT_TRUE(ini.writeString("Astro", "PLZ", "4"));
  EXPECT_EQ(ini.text(), sample("sample_edited.INI"));

  // A section without keys takes its first one right below the header.
  IniFile bare = IniFile::fromText("[A]\r\n; note\r\n[B]\r\n");
  ASSERT_TRUE(bare.writeString("A", "K", "v"));
  EXPECT_EQ(bare.text(), "[A]\r\nK=v\r\n; note\r\n[B]\r\n");
}

TEST(IniFile, MissingSectionIsAddedAtTheEnd) {
  IniFile ini = IniFile::fromText("[A]\r\nX=1");
  ASSERT_TRUE(ini.writeString("REMOTE", "REMOTEPORT", "2"));
  ASSERT_TRUE(ini.writeString("remote", "REMOTEINIT", "ATZ"));
  EXPECT_EQ(ini.text(), "[A]\r\nX=1\r\n\r\n[REMOTE]\r\nREMOTEPORT=2\r\nREMOTEINIT=ATZ\r\n");

  IniFile empty;
  ASSERT_TRUE(empty.writeString("STARTPGM", "AUTOEXEC", "HAUS.SPG-P"));
  EXPECT_EQ(empty.text(), "[STARTPGM]\r\nAUTOEXEC=HAUS.SPG-P\r\n");
}

TEST(IniFile, DeleteKeyRemovesItFromEverySectionOfThatName) {
  IniFile ini = IniFile::fromText("[A]\nK=1\nk = 2\nL=3\n[B]\nK=4\n[a]\nK=5\n");
  EXPECT_TRUE(ini.deleteKey("A", "K"));
  EXPECT_EQ(ini.text(), "[A]\r\nL=3\r\n[B]\r\nK=4\r\n[a]\r\n");
  EXPECT_FALSE(ini.value("A", "K"));
  EXPECT_FALSE(ini.deleteKey("A", "K"));
  EXPECT_FALSE(ini.deleteKey("C", "K"));
}

TEST(IniFile, EraseSectionRemovesItsLinesAndNothingElse) {
  IniFile ini = IniFile::fromText("; top\n[INITSPG]\nINITFILE=X.SPI\n; inside\n\n[PORTS]\nCOM1=x\n[initspg]\nY=1\n");
  EXPECT_TRUE(ini.eraseSection("InitSpg"));
  EXPECT_EQ(ini.text(), "; top\r\n[PORTS]\r\nCOM1=x\r\n");
  EXPECT_FALSE(ini.hasSection("INITSPG"));
  EXPECT_FALSE(ini.eraseSection("INITSPG"));
}

TEST(IniFile, RefusesMalformedNamesAndKeepsValuesOnOneLine) {
  IniFile ini = IniFile::fromText("[A]\nK=1\n");
  const std::string before = ini.text();
  struct Case {
    int line;
    std::string_view section, key;
  };
  const Case cases[] = {
      {__LINE__, "", "K"},     {__LINE__, "  ", "K"},    {__LINE__, "A]", "K"},  {__LINE__, "A\n", "K"},
      {__LINE__, "A", ""},     {__LINE__, "A", "K=1"},   {__LINE__, "A", ";K"},  {__LINE__, "A", "[K]"},
      {__LINE__, "A", "K\r"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_FALSE(ini.writeString(c.section, c.key, "x"));
    EXPECT_EQ(ini.text(), before);
  }
  ASSERT_TRUE(ini.writeString("A", "K", "two\r\nlines\n[B]"));
  EXPECT_EQ(ini.text(), "[A]\r\nK=two  lines [B]\r\n");
  EXPECT_FALSE(ini.hasSection("B"));
}

TEST(IniFile, ByteOrderMarkDoesNotHideTheFirstSection) {
  IniFile ini = IniFile::fromText("\xEF\xBB\xBF[A]\nK=1\n");
  EXPECT_EQ(ini.value("A", "K"), "1");
  ASSERT_TRUE(ini.writeString("A", "K", "2"));
  EXPECT_EQ(ini.text(), "\xEF\xBB\xBF[A]\r\nK=2\r\n");
}

TEST(IniFile, KeepsWindows1252BytesAsTheyAre) {
  IniFile ini = IniFile::fromText("[ASTRO]\nORT=M\xFCnchen\n[\xC4]\nK=\x80\n");
  EXPECT_EQ(ini.value("astro", "ort"), "M\xFCnchen");
  EXPECT_EQ(ini.value("\xE4", "K"), "\x80");  // ä and Ä are one letter
  ASSERT_TRUE(ini.writeString("ASTRO", "ORT", "K\xF6ln"));
  EXPECT_EQ(ini.text(), "[ASTRO]\r\nORT=K\xF6ln\r\n[\xC4]\r\nK=\x80\r\n");
}

// How the file is saved is the atomic replacement's business; here only what the settings ask
// of it: a missing directory is made, a new file is its owner's only (it holds a password), and
// what a killed save left beside the file goes with the next load.
TEST(IniFile, MissingFileLoadsEmptyAndSaveCreatesItForItsOwner) {
  TempDir dir;
  const std::string path = dir.file("config/kelvaro/kelvaro.INI");
  IniFile ini(path);
  EXPECT_EQ(ini.load(), IniFile::LoadResult::Missing);
  EXPECT_EQ(ini.text(), "");
  ASSERT_TRUE(ini.writeString("INITALL", "COMPORT", "1"));
  ASSERT_TRUE(ini.save());
  EXPECT_EQ(readFile(path), "[INITALL]\r\nCOMPORT=1\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0077, 0u);

  writeFile(path + ".~tmp", "[INITALL]\r\nCOMP");
  EXPECT_EQ(ini.load(), IniFile::LoadResult::Loaded);
  EXPECT_EQ(dir.names("config/kelvaro"), std::vector<std::string>{"kelvaro.INI"});
}

TEST(IniFile, FarTooLargeFileIsNotOursToRewrite) {
  TempDir dir;
  const std::string path = dir.file("kelvaro.INI");
  writeFile(path, "[A]\nK=1\n");
  std::filesystem::resize_file(path, 64u * 1024u * 1024u);  // sparse: costs no disk space
  IniFile ini(path);
  EXPECT_EQ(ini.load(), IniFile::LoadResult::Unreadable);
  EXPECT_FALSE(ini.value("A", "K"));
  ASSERT_TRUE(ini.writeString("B", "L", "2"));
  EXPECT_FALSE(ini.save());
  EXPECT_EQ(std::filesystem::file_size(path), 64u * 1024u * 1024u);
  EXPECT_FALSE(IniFile().save());  // nor is a file without a name
}

}  // namespace
}  // namespace kelvaro
