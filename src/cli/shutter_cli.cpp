// kelvaro-cli assist shutter-group.
#include "shutter_cli.h"

#include <array>
#include <iostream>
#include <memory>

#include "app/shutter_assistant.h"
#include "assistants/shutter_lines.h"
#include "assistant_arguments.h"
#include "assistants/time_input.h"
#include "console_user_interface.h"
#include "model/type_states.h"
#include "project_loading.h"
#include "storage/project_file.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro::cli {
namespace {

bool hasState(const std::vector<std::string>& states, std::string_view state) {
  for (const auto& s : states)
    if (s == state) return true;
  return false;
}

void printProgram(const Project& project, const std::string& name) {
  const int index = findObject(project, name);
  if (index < 0) return;
  const TPSObj& o = project.objects[static_cast<std::size_t>(index)];
  std::cout << "[" << toUtf8(o.Name) << "]\n";
  for (const auto& line : o.program)
    if (line.starts_with("-&")) std::cout << toUtf8(line) << "\n";
}

}  // namespace

int shutterGroupCommand(const ShutterGroupArguments& args) {
  ConsoleUserInterface ui;
  std::optional<std::string> up, down;
  if (args.up && !(up = clockField(*args.up, true))) {
    std::cerr << "--up: " << *args.up << " " << kNotAClockTime << "\n";
    return 2;
  }
  if (args.down && !(down = clockField(*args.down, true))) {
    std::cerr << "--down: " << *args.down << " " << kNotAClockTime << "\n";
    return 2;
  }
  std::array<bool, 7> days{};
  for (const auto& day : args.days) {
    const auto index = weekdayIndex(day);
    if (!index) {
      std::cerr << "--days: " << day << " ist kein Wochentag\n";
      return 2;
    }
    days[static_cast<std::size_t>(*index)] = true;
  }

  Project project;
  if (!loadProject(project, args.project, ui)) return 2;
  // The group's program moves it to "oben" and "unten"; without these states it would not compile.
  const auto states = statesOf(project.typeStates, kShutterType);
  if (!hasState(states, "oben") || !hasState(states, "unten")) {
    std::cerr << "Der Typ " << toUtf8(kShutterType) << " braucht die Zust\xC3\xA4nde oben und unten\n";
    return 1;
  }

  ShutterAssistant assistant(project);
  const std::string group = fromUtf8(args.group);
  const int existing = findObject(project, group);
  if (existing >= 0) {
    if (!assistant.chooseGroup(group)) {
      std::cerr << args.group << " ist keine Rollladen-Gruppe\n";
      return 1;
    }
  } else if (!assistant.createGroup(ui, group)) {
    return 1;
  }

  if (args.members) {
    std::vector<std::string> members;
    for (const auto& m : *args.members) {
      const std::string name = fromUtf8(m);
      const int index = findObject(project, name);
      // A member that does not exist yet is what a script means to create: a shutter.
      if (index < 0) {
        if (assistant.createShutter(ui, name) < 0) return 1;
        std::cout << "Rolllade angelegt: " << m << "\n";
      } else if (!isShutter(project.objects[static_cast<std::size_t>(index)])) {
        std::cerr << m << " ist keine Rolllade\n";
        return 1;
      }
      members.push_back(name);
    }
    assistant.clearMembers();
    assistant.addMembers(members);
  }

  if (!assistant.enterActions(ui)) return 1;
  if (args.clearTimes) assistant.clearStatements();
  if (up || down) {
    const auto times = timeWindowResult(TimeWindowKind::Shutter, up.value_or(std::string(kEmptyClockText)),
                                        down.value_or(std::string(kEmptyClockText)), days);
    if (!times || !assistant.addTimes(ui, *times)) return 1;
  }
  if (!assistant.finish(ui)) return 1;

  const std::string out = args.output.empty() ? args.project : args.output;
  const auto written = writeProject(project, fromUtf8(out), "", ui);
  if (!written) return 1;
  const std::string g = assistant.group();
  printProgram(project, g);
  printProgram(project, g + std::string(kTimeSetterSuffix));
  printProgram(project, g + std::string(kGroupClockSuffix));
  std::cout << "Gespeichert: " << toUtf8(*written) << "\n";
  return 0;
}

void addShutterGroupCommand(CLI::App& assist, int& status) {
  auto args = std::make_shared<ShutterGroupArguments>();
  auto* cmd = assist.add_subcommand("shutter-group", "Set up a shutter group: its members and when it moves");
  cmd->add_option("PROJECT", args->project, "project file")->required();
  cmd->add_option("GROUP", args->group, "the group's name (created when missing)")->required();
  cmd->add_option("--members", args->members, "the shutters of the group, comma-separated (missing ones are created)")
      ->delimiter(',');
  cmd->add_option("--up", args->up, "up time: hh:mm[:ss], SA (sunrise) or SU (sunset)");
  cmd->add_option("--down", args->down, "down time: hh:mm[:ss], SA or SU");
  cmd->add_option("--days", args->days, "weekdays the times apply on (Mo,Di,...,So; default every day)")
      ->delimiter(',');
  cmd->add_flag("--clear-times", args->clearTimes, "drop the group's earlier times first");
  cmd->add_option("-o", args->output, "write to this project file instead");
  cmd->callback([args, &status] {
    if (args->project.empty() || args->group.empty()) throw CLI::ValidationError("PROJECT and GROUP must not be empty");
    status = shutterGroupCommand(*args);
  });
}

}  // namespace kelvaro::cli
