// kelvaro-cli uses.
#include "uses_cli.h"

#include <CLI/CLI.hpp>
#include <iostream>

#include "app/where_used.h"
#include "console_user_interface.h"
#include "project_loading.h"
#include "text/cp1252.h"

namespace kelvaro::cli {

int usesCommand(const std::string& projectFile, const std::string& objectName) {
  ConsoleUserInterface ui;
  Project project;
  if (!loadProject(project, projectFile, ui)) return 2;
  const int index = findObject(project, fromUtf8(objectName));
  // The window opens on an object of the project; a name that is none is a typing error,
  // which "wird in keinem Programm verwendet" would hide.
  if (index < 0) {
    std::cerr << "Objekt " << objectName << " gibt es im Projekt nicht\n";
    return 2;
  }
  // The header names the object as the project spells it.
  const WhereUsed uses = findUses(project, project.objects[static_cast<std::size_t>(index)].Name);
  std::cout << toUtf8(uses.header) << "\n";
  for (const auto& entry : uses.entries) std::cout << toUtf8(entry.text) << "\n";
  return 0;
}

void addUsesCommand(CLI::App& app, int& status) {
  auto* uses = app.add_subcommand("uses", "List the program lines that use an object");
  auto project = std::make_shared<std::string>();
  auto name = std::make_shared<std::string>();
  uses->add_option("PROJECT", *project, "project file")->required();
  uses->add_option("NAME", *name, "object name")->required();
  uses->callback([&status, project, name] {
    if (project->empty() || name->empty()) throw CLI::ValidationError("PROJECT and NAME must not be empty");
    status = usesCommand(*project, *name);
  });
}

}  // namespace kelvaro::cli
