// kelvaro-cli assist switch-time.
#include "assist_cli.h"

#include <array>
#include <iostream>
#include <memory>

#include "assistants/action_assistant.h"
#include "assistants/assistant_block.h"
#include "assistants/switching_times.h"
#include "assistant_arguments.h"
#include "assistants/time_input.h"
#include "console_user_interface.h"
#include "project_loading.h"
#include "storage/project_file.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro::cli {
namespace {

bool argumentError(const char* option, const std::string& value, const char* what) {
  std::cerr << option << ": " << value << " " << what << "\n";
  return false;
}

struct Times {
  std::string on, off, up, down, offAfter;  // field texts; empty when not given
  std::array<bool, 7> days{};
};

bool readTimes(const SwitchTimeArguments& a, Times& t) {
  const std::pair<const std::optional<std::string>*, std::string*> clocks[] = {
      {&a.on, &t.on}, {&a.off, &t.off}, {&a.up, &t.up}, {&a.down, &t.down}};
  const char* names[] = {"--on", "--off", "--up", "--down"};
  for (std::size_t i = 0; i < std::size(clocks); ++i) {
    const auto& [given, field] = clocks[i];
    if (!*given) continue;
    const auto text = clockField(**given, true);
    if (!text) return argumentError(names[i], **given, kNotAClockTime);
    *field = *text;
  }
  if (a.offAfter) {
    const auto text = clockField(*a.offAfter, false);
    if (!text)
      return argumentError("--off-after", *a.offAfter, "ist keine Zeitdauer (hh:mm, hh:mm:ss in Schritten von 5 s)");
    t.offAfter = *text;
  }
  for (const auto& day : a.days) {
    const auto index = weekdayIndex(day);
    if (!index) return argumentError("--days", day, "ist kein Wochentag");
    t.days[static_cast<std::size_t>(*index)] = true;
  }
  return true;
}

// Each button of the assistant with the time window it opens, as the user would press them.
bool addBlocks(SwitchingTimes& assistant, const Times& t, UserInterface& ui) {
  const auto window = [&](TimeWindowKind kind, const std::string& first, const std::string& second) {
    return timeWindowResult(kind, first.empty() ? kEmptyClockText : first, second.empty() ? kEmptyClockText : second,
                            t.days);
  };
  if (!t.on.empty() && !assistant.addSwitchTime(true, *window(TimeWindowKind::SwitchOn, t.on, ""), ui)) return false;
  if (!t.off.empty() && !assistant.addSwitchTime(false, *window(TimeWindowKind::SwitchOff, t.off, ""), ui))
    return false;
  if ((!t.up.empty() || !t.down.empty()) &&
      !assistant.addShutterTimes(*window(TimeWindowKind::Shutter, t.up, t.down), ui))
    return false;
  if (!t.offAfter.empty() && !assistant.addAutomaticSwitchOff(t.offAfter, ui)) return false;
  return true;
}

}  // namespace

int switchTimeCommand(const SwitchTimeArguments& args) {
  Times times;
  if (!readTimes(args, times)) return 2;

  ConsoleUserInterface ui;
  Project project;
  if (!loadProject(project, args.project, ui)) return 2;
  const int index = findObject(project, fromUtf8(args.object));
  if (index < 0) {
    std::cerr << "Objekt " << args.object << " gibt es nicht\n";
    return 1;
  }
  TPSObj& object = project.objects[static_cast<std::size_t>(index)];
  const bool shutter = equalsNoCase(object.Typ, kShutterType);
  // The window offers a shutter only its opening and closing times, other objects only theirs.
  if (shutter && (args.on || args.off || args.offAfter)) {
    std::cerr << args.object << " ist eine Rolllade: Zeiten mit --up und --down\n";
    return 1;
  }
  if (!shutter && (args.up || args.down)) {
    std::cerr << args.object << " ist keine Rolllade: Zeiten mit --on, --off und --off-after\n";
    return 1;
  }

  SwitchingTimes assistant(object.Name, shutter ? SwitchTimesKind::Shutter : SwitchTimesKind::Switchable,
                           object.program);
  if (args.clear) assistant.list().deleteAll();
  if (!addBlocks(assistant, times, ui)) return 1;
  assistant.apply(object.program, object.ACode);
  project.modified = true;

  const std::string out = args.output.empty() ? args.project : args.output;
  const auto written = writeProject(project, fromUtf8(out), "", ui);
  if (!written) return 1;
  std::cout << "[" << toUtf8(object.Name) << "]\n";
  for (const auto& line : object.program)
    if (isGenerated(line)) std::cout << toUtf8(line) << "\n";
  std::cout << "Gespeichert: " << toUtf8(*written) << "\n";
  return 0;
}

void addSwitchTimeCommand(CLI::App& assist, int& status) {
  auto args = std::make_shared<SwitchTimeArguments>();
  auto* cmd =
      assist.add_subcommand("switch-time", "Give an object switching times, as the assistant Schaltzeiten does");
  cmd->add_option("PROJECT", args->project, "project file")->required();
  cmd->add_option("OBJECT", args->object, "the object to switch")->required();
  cmd->add_option("--on", args->on, "switch-on time: hh:mm[:ss], SA (sunrise) or SU (sunset)");
  cmd->add_option("--off", args->off, "switch-off time: hh:mm[:ss], SA or SU");
  cmd->add_option("--off-after", args->offAfter, "switch off automatically after this long on: hh:mm[:ss]");
  cmd->add_option("--up", args->up, "shutters: opening time, hh:mm[:ss], SA or SU");
  cmd->add_option("--down", args->down, "shutters: closing time, hh:mm[:ss], SA or SU");
  cmd->add_option("--days", args->days, "weekdays the times apply on (Mo,Di,...,So; default every day)")
      ->delimiter(',');
  cmd->add_flag("--clear", args->clear, "drop the object's earlier generated lines first");
  cmd->add_option("-o", args->output, "write to this project file instead");
  cmd->callback([args, &status] {
    if (args->project.empty() || args->object.empty())
      throw CLI::ValidationError("PROJECT and OBJECT must not be empty");
    if (!args->on && !args->off && !args->offAfter && !args->up && !args->down && !args->clear)
      throw CLI::ValidationError("nothing to write: give --on, --off, --off-after, --up, --down or --clear");
    status = switchTimeCommand(*args);
  });
}

}  // namespace kelvaro::cli
