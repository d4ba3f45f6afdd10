// kelvaro-cli roundtrip and info.
#include "project_commands.h"

#include <iostream>

#include "console_user_interface.h"
#include "model/project.h"
#include "project_json.h"
#include "project_loading.h"
#include "storage/project_file.h"
#include "text/cp1252.h"

namespace kelvaro::cli {
namespace {

void printSummary(const Project& project, const std::string& fileName) {
  std::size_t programLines = 0;
  for (const auto& o : project.objects) programLines += o.program.size();
  std::cout << "Projekt " << fileName << "\n"
            << "  Ansichten:        " << project.views.size() << "\n"
            << "  Typen:            " << project.types.size() << " mit " << project.typeStates.size()
            << " Zuständen\n"
            << "  Konstanten:       " << project.constants.size() << " Zeilen\n"
            << "  Objekte:          " << project.objects.size() << " mit " << programLines << " Programmzeilen\n"
            << "  Stationen:        " << project.stations.size() << "\n"
            << "  Schaltgruppen:    " << project.groupNames.size() << "\n";
  for (const auto& o : project.objects)
    std::cout << "    " << toUtf8(o.Name) << " (" << toUtf8(o.Typ) << "): " << toUtf8(o.OName) << "\n";
}

}  // namespace

int roundtripCommand(const std::string& in, const std::string& out) {
  ConsoleUserInterface ui;
  Project project;
  if (!loadProject(project, in, ui)) return 2;
  return writeProject(project, fromUtf8(out), "", ui) ? 0 : 1;
}

int infoCommand(const std::string& fileName, bool json) {
  ConsoleUserInterface ui;
  Project project;
  if (!loadProject(project, fileName, ui)) return 2;
  if (json)
    std::cout << projectToJson(project).dump(2) << "\n";
  else
    printSummary(project, fileName);
  return 0;
}

}  // namespace kelvaro::cli
