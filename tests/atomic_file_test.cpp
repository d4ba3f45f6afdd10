// Replacing a file: it is the old file or the whole new one, links stay links, and no
// temporary file outlives the save that made it.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "storage/atomic_file.h"
#include "support/temp_dir.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

using Names = std::vector<std::string>;

// Where the bytes land: the target itself, or the file its chain of links ends in.
TEST(AtomicFile, ReplacesTheFileTheLinksEndInAndKeepsTheLinks) {
  struct Row {
    int line;
    std::vector<std::pair<const char*, const char*>> links;  // link name, what it points to
    const char* target;
    const char* receiver;  // the file that gets the bytes; nullptr when the save is refused
    Names names;           // the directory afterwards
  };
  const Row rows[] = {
      {__LINE__, {}, "neu.SPG", "neu.SPG", {"alt", "neu.SPG", "sub"}},
      {__LINE__, {{"link", "alt"}}, "link", "alt", {"alt", "link", "sub"}},
      {__LINE__, {{"link", "sub/neu"}}, "link", "sub/neu", {"alt", "link", "sub"}},  // dangling
      {__LINE__, {{"a", "b"}, {"b", "sub/../c"}}, "a", "c", {"a", "alt", "b", "c", "sub"}},
      {__LINE__, {{"a", "b"}, {"b", "a"}}, "a", nullptr, {"a", "alt", "b", "sub"}},
      // A link into a directory that is missing (a medium not mounted) makes no directory.
      {__LINE__, {{"link", "fehlt/neu"}}, "link", nullptr, {"alt", "link", "sub"}},
      {__LINE__, {}, "sub", nullptr, {"alt", "sub"}},  // no regular file
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    TempDir dir;
    writeFile(dir.file("alt"), "alt");
    fs::create_directory(dir.path() / "sub");
    for (const auto& [link, to] : row.links) fs::create_symlink(to, dir.path() / link);

    const bool saved = replaceFile(dir.file(row.target), "neu", {.createDirectories = true});
    EXPECT_EQ(saved, row.receiver != nullptr);
    if (row.receiver) {
      EXPECT_EQ(readFile(dir.file(row.receiver)), "neu");
    }
    if (!row.receiver || std::string(row.receiver) != "alt") {
      EXPECT_EQ(readFile(dir.file("alt")), "alt");
    }
    for (const auto& [link, to] : row.links) EXPECT_TRUE(fs::is_symlink(dir.path() / link)) << link;
    EXPECT_EQ(dir.names(), row.names);
    EXPECT_EQ(dir.names("sub"), (row.receiver && std::string(row.receiver) == "sub/neu" ? Names{"neu"} : Names{}));
  }
}

// A disk that fills up half-way: the file size limit makes the write fail, for root as well.
TEST(AtomicFile, FailedWriteLeavesTheOldFileAndNoTemporary) {
  TempDir dir;
  const std::string path = dir.file("Haus.SPG");
  writeFile(path, "alt");
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool replaced = replaceFile(path, std::string(1000, 'n'));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, savedSignal);

  EXPECT_FALSE(replaced);
  EXPECT_EQ(readFile(path), "alt");
  EXPECT_EQ(dir.names(), Names{"Haus.SPG"});
}

// A save killed half-way leaves its temporary file; the next save or load of the file removes
// it, but never the one of a save that is still writing (it holds the file's lock).
TEST(AtomicFile, TemporaryLeftByAKilledSaveGoesAndOneInUseStays) {
  TempDir dir;
  const std::string path = dir.file("Haus.SPG");
  const std::string temporary = temporaryPathFor(path).string();
  EXPECT_EQ(temporary, path + ".~tmp");
  writeFile(path, "alt");

  writeFile(temporary, "halb");
  removeStaleTemporary(path);
  EXPECT_EQ(dir.names(), Names{"Haus.SPG"});
  writeFile(temporary, "halb");
  EXPECT_TRUE(replaceFile(path, "neu"));
  EXPECT_EQ(dir.names(), Names{"Haus.SPG"});

  writeFile(temporary, "schreibt");
  const int held = ::open(temporary.c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  removeStaleTemporary(path);
  EXPECT_FALSE(replaceFile(path, "zweiter"));
  EXPECT_EQ(readFile(temporary), "schreibt");
  EXPECT_EQ(readFile(path), "neu");
  ::close(held);

  // Through a link the temporary file lies beside the file the link ends in.
  fs::create_symlink(path, dir.file("link"));
  EXPECT_EQ(temporaryPathFor(dir.file("link")).string(), temporary);
  EXPECT_TRUE(replaceFile(dir.file("link"), "dritter"));
  EXPECT_EQ(readFile(path), "dritter");
  EXPECT_EQ(dir.names(), (Names{"Haus.SPG", "link"}));
}

}  // namespace
}  // namespace kelvaro
