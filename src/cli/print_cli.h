// kelvaro-cli print PROJECT --objects|--modules [--no-definitions] [--no-program] [--no-hardware]
// [--only NAME] [--font "FAMILY,POINTS"] (-o FILE.pdf | --text): the dialog "Drucken" without a
// display. Writes the list as a PDF, or its lines as text on stdout. Exit status 0 written,
// 1 the file could not be written, 2 bad arguments or files.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace kelvaro::cli {

struct PrintArguments {
  std::string project;
  bool objects = false;  // one of the two lists is named
  bool modules = false;
  bool noDefinitions = false;
  bool noProgram = false;
  bool noHardware = false;
  std::string only;
  std::string font;
  std::string output;  // the PDF file; empty with text
  bool text = false;
};

int printCommand(const PrintArguments& args);

void addPrintCommand(CLI::App& app, int& status);

}  // namespace kelvaro::cli
