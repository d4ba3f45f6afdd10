// Project loading for the commands of kelvaro-cli.
#include "project_loading.h"

#include <iostream>

#include "storage/project_file.h"
#include "text/cp1252.h"

namespace kelvaro::cli {

bool loadProject(Project& project, const std::string& fileName, ConsoleUserInterface& ui) {
  const std::string name = fromUtf8(fileName);
  switch (readProject(project, name, "", ui)) {
    case ReadStatus::Complete:
      return true;
    case ReadStatus::Stopped:  // the reader has told where and why
      return false;
    case ReadStatus::MissingSilent:
      std::cerr << "Datei " << fileName << " nicht gefunden\n";
      return false;
    case ReadStatus::Missing:
      return false;  // the reader has said so
  }
  return false;
}

}  // namespace kelvaro::cli
