// kelvaro-cli print. The PDF needs Qt's painter; a build without Qt still lists the text.
#include "print_cli.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "app/print_lists.h"
#include "console_user_interface.h"
#include "project_loading.h"
#include "text/cp1252.h"

#ifdef KELVARO_WITH_PRINT
#include <QByteArray>
#include <QGuiApplication>

#include "print/print_painter.h"
#endif

namespace kelvaro::cli {

namespace {

#ifdef KELVARO_WITH_PRINT
int writePdf(const PrintArguments& args, const std::vector<PrintItem>& items) {
  // Only this command starts Qt, and without a display: the platform is chosen before the
  // application object exists, unless the caller chose one.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "kelvaro-cli";
  char* argv[] = {name, nullptr};
  QGuiApplication application(argc, argv);
  const QFont font = args.font.empty() ? gui::defaultPrintFont()
                                       : gui::printFontFromText(QString::fromStdString(args.font));
  int pages = 0;
  QString error;
  if (!gui::writePrintPdf(QString::fromStdString(args.output), font, items, &pages, &error)) {
    std::cerr << args.output << " konnte nicht geschrieben werden: " << error.toStdString() << "\n";
    return 1;
  }
  std::cout << args.output << ": " << pages << (pages == 1 ? " Seite\n" : " Seiten\n");
  return 0;
}
#else
int writePdf(const PrintArguments&, const std::vector<PrintItem>&) {
  std::cerr << "Drucken braucht die Qt-Ausgabe von kelvaro (KELVARO_BUILD_GUI); --text listet die Zeilen\n";
  return 2;
}
#endif

}  // namespace

int printCommand(const PrintArguments& args) {
  ConsoleUserInterface ui;
  Project project;
  if (!loadProject(project, args.project, ui)) return 2;
  PrintChoice choice;
  choice.kind = args.modules ? PrintKind::Modules : PrintKind::Objects;
  choice.definitions = !args.noDefinitions;
  choice.program = !args.noProgram;
  choice.hardware = !args.noHardware;
  choice.only = fromUtf8(args.only);
  // The dialog offers "nur markierten Eintrag" for an entry that exists; a name that is none
  // would print an empty list and hide the typing error.
  if (!choice.only.empty() &&
      (args.modules ? findStation(project, choice.only) : findObject(project, choice.only)) < 0) {
    std::cerr << (args.modules ? "Signalstation " : "Objekt ") << args.only << " gibt es im Projekt nicht\n";
    return 2;
  }
  const std::vector<PrintItem> items = printItems(project, choice);
  if (args.text) {
    std::cout << toUtf8(printItemsText(items));
    return 0;
  }
  return writePdf(args, items);
}

void addPrintCommand(CLI::App& app, int& status) {
  auto* print = app.add_subcommand("print", "Print the object list or the module list as a PDF file");
  auto args = std::make_shared<PrintArguments>();
  print->add_option("PROJECT", args->project, "project file")->required();
  auto* objects = print->add_flag("--objects", args->objects, "the list of objects (\"Objektdefinitionen\")");
  auto* modules = print->add_flag("--modules", args->modules, "the list of stations (\"Hardware\")");
  objects->excludes(modules);
  print->add_flag("--no-definitions", args->noDefinitions, "without \"Allgemeine Definitionen\"");
  print->add_flag("--no-program", args->noProgram, "without \"Steuerungsprogramm\"");
  print->add_flag("--no-hardware", args->noHardware, "without \"Hardware zum Objekt\"");
  print->add_option("--only", args->only, "only this object or station (\"nur markierten Eintrag\")");
  print->add_option("--font", args->font, "the print font as FAMILY,POINTS[,bold]");
  auto* output = print->add_option("-o,--output", args->output, "the PDF file to write");
  auto* text = print->add_flag("--text", args->text, "list the lines on stdout instead");
  output->excludes(text);
  print->callback([&status, args, objects, modules, output, text] {
    if (objects->count() == 0 && modules->count() == 0)
      throw CLI::ValidationError("--objects or --modules is required");
    if (output->count() == 0 && text->count() == 0) throw CLI::ValidationError("-o FILE.pdf or --text is required");
    if (args->project.empty() || (output->count() > 0 && args->output.empty()))
      throw CLI::ValidationError("PROJECT and FILE must not be empty");
    status = printCommand(*args);
  });
}

}  // namespace kelvaro::cli
