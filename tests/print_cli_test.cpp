// kelvaro-cli print: the demo's lists as PDF files, and the arguments it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace kelvaro {
namespace {

const std::string kDemo = std::string(KELVARO_SOURCE_DIR) + "/examples/demo/DEMO.SPG";

// The pages of a PDF: its page objects ("/Type /Page", not the "/Type /Pages" tree).
int pdfPageCount(const std::string& pdf) {
  int count = 0;
  const std::string key = "/Type /Page";
  for (std::size_t at = pdf.find(key); at != std::string::npos; at = pdf.find(key, at + 1))
    if (at + key.size() < pdf.size() && pdf[at + key.size()] != 's') ++count;
  return count;
}

TEST(PrintCliTest, WritesTheDemoListsAsPdfPages) {
  test::TempDir dir;
  struct Case {
    int line;
    std::string arguments;
    int pages;
  };
  const Case kCases[] = {
      {__LINE__, "--objects", 4},
      {__LINE__, "--objects --no-program --no-definitions", 2},
      {__LINE__, "--modules", 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    const std::string file = dir.file("list.pdf");
    const test::CliRun r = test::runCli("print '" + kDemo + "' " + c.arguments + " -o '" + file + "'", {},
                                        test::Stderr::Apart);
    if (r.status == 2 && r.errors.find("KELVARO_BUILD_GUI") != std::string::npos)
      GTEST_SKIP() << "kelvaro-cli was built without Qt";
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.output, file + ": " + std::to_string(c.pages) + (c.pages == 1 ? " Seite\n" : " Seiten\n"));
    const std::string pdf = test::readFile(file);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_EQ(pdfPageCount(pdf), c.pages);
  }
}

TEST(PrintCliTest, RefusesWhatItCannotPrintAndLeavesNoFile) {
  test::TempDir dir;
  const std::string file = dir.file("list.pdf");
  struct Case {
    int line;
    std::string arguments;
    int status;
    std::string message;
  };
  const Case kCases[] = {
      {__LINE__, "--objects --only Keins -o '" + file + "'", 2, "Objekt Keins gibt es im Projekt nicht\n"},
      {__LINE__, "--modules --only Keine --text", 2, "Signalstation Keine gibt es im Projekt nicht\n"},
      {__LINE__, "-o '" + file + "'", 2, "--objects or --modules is required\n"},
      {__LINE__, "--objects", 2, "-o FILE.pdf or --text is required\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    const test::CliRun r = test::runCli("print '" + kDemo + "' " + c.arguments, {}, test::Stderr::Apart);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.errors.find(c.message), std::string::npos) << r.errors;
    EXPECT_FALSE(std::filesystem::exists(file));
  }
}

}  // namespace
}  // namespace kelvaro
