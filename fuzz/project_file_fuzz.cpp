// Fuzz target for the project file: the reader, the writer and the merge of a second file.
// The input is one file, or two files separated by a line holding only "@@" (the second is
// read into the project of the first, as opening a type library or INIT.SPI does).
//
// What must hold for any bytes:
// - the reader never throws and stops only at one of the three keys whose number the rest of
//   the file depends on, naming a line of the file, or when the project would outgrow its
//   budget; under a budget the project costs no more than it, its file is no larger, and that
//   file reads back completely under the same budget;
// - what the reader accepted, the writer writes, and the reader reads that back completely;
//   writing the project read back gives the same bytes, and no object, station, view, type
//   state, constant, group, program line or variable is lost or gained on the way;
// - merging never changes what the first file brought: its objects, stations, views and type
//   states stay exactly as they were (first wins), and reading a project's own file into it
//   again adds none of them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "model/project.h"
#include "storage/project_file.h"
#include "storage/project_file_format.h"

namespace kelvaro::fuzz {
namespace {

std::string describe(const projectfile::ReadOutcome& o) {
  return "status " + std::to_string(static_cast<int>(o.status)) + " line " + std::to_string(o.line) + " key \"" +
         shown(o.key) + "\"" + (o.tooLarge ? " (too large)" : "");
}

std::size_t lineCount(std::string_view bytes) {
  std::size_t lines = 0;
  for (std::size_t at = 0; at < bytes.size(); ++lines) {
    const std::size_t end = bytes.find('\n', at);
    at = end == std::string_view::npos ? bytes.size() : end + 1;
  }
  return lines;
}

projectfile::ReadOutcome read(Project& project, std::string_view bytes,
                              std::size_t budget = projectfile::kMaxProjectCost) {
  const projectfile::ReadOutcome outcome = projectfile::readProjectBytes(project, bytes, budget);
  const std::string d = describe(outcome);
  if (outcome.status == ReadStatus::Complete) {
    check(outcome.line == 0 && outcome.key.empty() && !outcome.tooLarge, "a complete read names no line", d);
  } else {
    check(outcome.status == ReadStatus::Stopped, "reading bytes either completes or stops", d);
    check(outcome.tooLarge ? outcome.key.empty()
                           : outcome.key == "BackColor" || outcome.key == "ExeWinStat" || outcome.key == "ObjIDNr",
          "only BackColor, ExeWinStat, ObjIDNr and the budget stop a load", d);
    check(outcome.line >= 1 && outcome.line <= lineCount(bytes), "the stopping line is a line of the file", d);
  }
  check(projectfile::projectCost(project) <= budget, "a project read stays within its budget", d);
  return outcome;
}

// A file read under a tight budget writes no more bytes than the budget, and that file reads
// back completely under the same budget.
void checkBudget(std::string_view bytes) {
  const std::size_t budget = 2048 + 16 * bytes.size();
  Project project;
  read(project, bytes, budget);
  const std::string written = projectFileText(project);
  check(written.size() <= budget, "the file of a project read under a budget is no larger than the budget",
        std::to_string(written.size()) + " bytes for a budget of " + std::to_string(budget));
  Project back;
  const projectfile::ReadOutcome outcome = projectfile::readProjectBytes(back, written, budget);
  check(outcome.status == ReadStatus::Complete, "the file reads back completely under the same budget",
        describe(outcome));
}

// The file text of one object alone, to compare objects whole.
std::string objectText(const TPSObj& o) {
  Project alone;
  alone.objects.push_back(o);
  return projectFileText(alone);
}

std::string stationText(const TPSContr& s) {
  Project alone;
  alone.stations.push_back(s);
  return projectFileText(alone);
}

std::string entryText(const TypeStateEntry& e) {
  return e.entry + "|" + (e.bitmap ? e.bitmap->BitmapName + "|" + std::to_string(e.bitmap->NoPath) : "-");
}

// Lists that must come through a write and a read with every entry.
void checkSameLists(const Project& a, const Project& b, std::string_view step) {
  const std::string d(step);
  check(a.objects.size() == b.objects.size(), "no object is lost or gained", d);
  check(a.stations.size() == b.stations.size(), "no station is lost or gained", d);
  check(a.views.size() == b.views.size(), "no view is lost or gained", d);
  check(a.typeStates.size() == b.typeStates.size(), "no type state is lost or gained", d);
  check(a.types.size() == b.types.size(), "no type is lost or gained", d);
  check(a.constants.size() == b.constants.size(), "no constant is lost or gained", d);
  check(a.groupDefs.size() == b.groupDefs.size(), "no group definition is lost or gained", d);
  check(a.BackColor == b.BackColor && a.ExeWinStat == b.ExeWinStat && a.Extern == b.Extern,
        "the window settings come back", d);
  for (std::size_t i = 0; i < a.objects.size() && i < b.objects.size(); ++i) {
    const TPSObj& x = a.objects[i];
    const TPSObj& y = b.objects[i];
    const std::string o = d + " object " + std::to_string(i) + " \"" + shown(x.Name) + "\"";
    check(x.program.size() == y.program.size(), "no program line is lost or gained", o);
    check(x.varDefs.size() == y.varDefs.size(), "no variable is lost or gained", o);
    check(x.ObjIDNr == y.ObjIDNr && x.ACode == y.ACode, "selection number and priority come back", o);
    check(!x.ExtTrans || x.ExtTransList.size() == y.ExtTransList.size(), "the conversion list comes back", o);
  }
  for (std::size_t i = 0; i < a.stations.size() && i < b.stations.size(); ++i)
    check(a.stations[i].CName.size() == b.stations[i].CName.size(), "a station keeps its name",
          d + " station " + std::to_string(i));
}

// Reading the writer's text gives the same project: the text is complete, and writing what
// was read back gives the same bytes.
Project checkRoundTrip(const Project& project, std::string_view step) {
  const std::string written = projectFileText(project);
  Project back;
  const projectfile::ReadOutcome outcome = projectfile::readProjectBytes(back, written);
  check(outcome.status == ReadStatus::Complete, "the reader reads every file the writer writes",
        std::string(step) + ": " + describe(outcome));
  checkSameLists(project, back, step);
  const std::string again = projectFileText(back);
  if (again != written) {
    std::size_t at = 0;
    while (at < again.size() && at < written.size() && again[at] == written[at]) ++at;
    const std::size_t from = at > 60 ? at - 60 : 0;
    fail("writing the project read back gives the same bytes",
         std::string(step) + " at byte " + std::to_string(at) + ": first \"" + shown(written.substr(from, 120)) +
             "\" / again \"" + shown(again.substr(from, 120)) + "\"");
  }
  return back;
}

// What the first file brought is exactly as it was after the second was merged in.
void checkFirstWins(const Project& first, const Project& merged) {
  check(merged.objects.size() >= first.objects.size() && merged.stations.size() >= first.stations.size() &&
            merged.views.size() >= first.views.size() && merged.typeStates.size() >= first.typeStates.size(),
        "merging only adds");
  for (std::size_t i = 0; i < first.objects.size(); ++i)
    check(objectText(first.objects[i]) == objectText(merged.objects[i]), "merging leaves an existing object alone",
          "object " + std::to_string(i) + " \"" + shown(first.objects[i].Name) + "\"");
  for (std::size_t i = 0; i < first.stations.size(); ++i)
    check(stationText(first.stations[i]) == stationText(merged.stations[i]),
          "merging leaves an existing station alone", "station " + std::to_string(i));
  for (std::size_t i = 0; i < first.views.size(); ++i)
    check(first.views[i].name == merged.views[i].name && first.views[i].info.BitmapName == merged.views[i].info.BitmapName,
          "merging leaves an existing view alone", "view " + std::to_string(i));
  for (std::size_t i = 0; i < first.typeStates.size(); ++i)
    check(entryText(first.typeStates[i]) == entryText(merged.typeStates[i]),
          "merging leaves an existing type state alone", "type state " + std::to_string(i));
}

// Merging a project's own file into it adds no named entry: every name is there already.
void checkSelfMerge(const Project& project) {
  Project twice = project;
  projectfile::readProjectBytes(twice, projectFileText(project));
  check(twice.objects.size() == project.objects.size() && twice.stations.size() == project.stations.size() &&
            twice.views.size() == project.views.size() && twice.typeStates.size() == project.typeStates.size(),
        "reading a project's own file into it adds no object, station, view or type state");
  checkFirstWins(project, twice);
}

}  // namespace
}  // namespace kelvaro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvaro;
  using namespace kelvaro::fuzz;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view first = input, second;
  bool merge = false;
  for (std::size_t at = 0; at < input.size();) {
    const std::size_t end = input.find('\n', at);
    const std::size_t next = end == std::string_view::npos ? input.size() : end + 1;
    std::string_view line = input.substr(at, next - at);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line == "@@") {
      first = input.substr(0, at);
      second = input.substr(next);
      merge = true;
      break;
    }
    at = next;
  }

  Project project;
  read(project, first);
  checkRoundTrip(project, "first file");
  checkBudget(first);
  checkSelfMerge(project);
  if (!merge) return 0;

  Project merged = project;
  read(merged, second);
  checkFirstWins(project, merged);
  checkRoundTrip(merged, "merged project");
  return 0;
}
