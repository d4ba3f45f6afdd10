// The debugger driven by a scripted dialog: single steps with and without a trace list,
// breakpoints, the selected line, and the watch lines of every kind.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

#include "language/compiler.h"
#include "runtime/debugger.h"
#include "runtime/run_session.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"

namespace kelvaro {
namespace {

// Records every stop as "object:line@selection start+length " and answers from a script,
// then with Step.
class ScriptedDialog : public DebuggerDialog {
 public:
  DebugAnswer show(Debugger& d) override {
    stops += d.objectName() + ":" + std::to_string(d.selectedLine()) + "@" + std::to_string(d.selectionStart()) + "+" +
             std::to_string(d.selectionLength()) + " ";
    shownLines.push_back(d.lines());
    if (whileShown) whileShown(d);
    watch.push_back(d.watchLines());
    if (answers.empty()) return {DebugCommand::Step, -1};
    const DebugAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<DebugAnswer> answers;
  std::function<void(Debugger&)> whileShown;
  std::string stops;
  std::vector<std::vector<std::string>> shownLines;
  std::vector<std::vector<std::string>> watch;
};

struct Traced {
  Project project;
  CompileOutput out;
  ManualClock clock{*encodeDate(2026, 6, 15) + *encodeTime(10, 0, 0)};
  test::FakeUserInterface ui;
  ScriptedDialog dialog;
  std::unique_ptr<RunSession> session;
  std::unique_ptr<Debugger> debugger;

  explicit Traced(std::vector<std::string> traceList = {}, std::vector<std::string> varDefs = {},
                  const std::string& first = "A") {
    project.typeStates = {{"Lampe:aus", {}}, {"Lampe:an", {}}};
    TPSObj a = test::programObject(first.c_str(), "Zahl", "0",
                                   {first + ":=1", "** nur ein Kommentar", first + ":=" + first + "+1"});
    a.varDefs = std::move(varDefs);
    project.objects = {a, test::programObject("B", "Zahl", "0", {"B:=5"}), test::programObject("L", "Lampe", "an")};
    out = compile(project, project.constants, CompileMode::Run);
    EXPECT_EQ(out.result.code, 0);
    session = std::make_unique<RunSession>(project, out, clock, ui);
    debugger = std::make_unique<Debugger>(session->engine(), ui, dialog, std::move(traceList));
    session->setDebugger(debugger.get());
    session->initialise();
    session->start();
  }
  void runAB() {
    session->engine().enqueue(0);
    session->engine().enqueue(1);
    session->engine().runQueue();
  }
  std::string text(const char* name) const { return session->shownText(findObject(project, name)); }
};

TEST(DebuggerStops, SingleStepTraceListBreakpointsAndEnd) {
  constexpr DebugCommand kRun = DebugCommand::Run;
  struct Row {
    int line;
    std::vector<std::string> traceList;
    bool singleStep;
    int breakpointInA;  // the line of A marked ">", or -1
    bool breakpointInB;
    std::vector<DebugCommand> answers;  // Step after them
    const char* stops;
    const char* values;  // A and B after the run, "stepping" while single-stepping, "ended" after the end
  };
  // A's second statement "-A:=A+1" starts after "-A:=1" and the 21 characters of the comment,
  // each with its line end.
  const Row rows[] = {
      {__LINE__, {}, false, -1, false, {}, "", "2 5"},  // not single-stepping, no breakpoint
      {__LINE__, {}, true, -1, false, {}, "A:0@0+5 A:2@30+7 B:0@0+5 ", "2 5 stepping"},
      {__LINE__, {"b"}, true, -1, false, {}, "B:0@0+5 ", "2 5 stepping"},  // the trace list limits the stops
      {__LINE__, {}, false, 2, true, {kRun, kRun}, "A:2@30+7 B:0@0+5 ", "2 5"},  // Run goes on to a breakpoint
      {__LINE__, {}, false, 0, false, {}, "A:0@0+5 A:2@30+7 B:0@0+5 ", "2 5 stepping"},  // Step keeps stepping
      {__LINE__, {}, true, -1, false, {DebugCommand::Step, DebugCommand::End}, "A:0@0+5 A:2@30+7 ", "1 0 ended"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    Traced t(row.traceList);
    if (row.breakpointInA >= 0) t.project.objects[0].program[static_cast<std::size_t>(row.breakpointInA)][0] = '>';
    if (row.breakpointInB) t.project.objects[1].program[0][0] = '>';
    if (row.singleStep) t.debugger->singleStep();
    for (DebugCommand c : row.answers) t.dialog.answers.push_back({c, -1});
    t.runAB();
    EXPECT_EQ(t.dialog.stops, row.stops);
    std::string values = t.text("A") + " " + t.text("B");
    if (t.debugger->singleStepping()) values += " stepping";
    if (t.session->engine().stopFlag && t.session->closing()) values += " ended";
    EXPECT_EQ(values, row.values);
  }
}

TEST(DebuggerBreakpoints, TogglingTwiceRestoresTheMarker) {
  Traced t;
  t.debugger->singleStep();
  t.dialog.answers = {{DebugCommand::ToggleBreakpoint, 2}, {DebugCommand::ToggleBreakpoint, 2}, {DebugCommand::Run, -1}};
  t.runAB();
  ASSERT_GE(t.dialog.shownLines.size(), 3u);
  EXPECT_EQ(t.dialog.shownLines[0][2], "-A:=A+1");
  EXPECT_EQ(t.dialog.shownLines[1][2], ">A:=A+1");  // shown again with the lines refilled
  EXPECT_EQ(t.dialog.shownLines[2][2], "-A:=A+1");
  EXPECT_EQ(t.project.objects[0].program[2], "-A:=A+1");
  EXPECT_EQ(t.dialog.stops, "A:0@0+5 A:0@0+5 A:0@0+5 ");  // the same statement three times, then Run
  std::string assistant = "-&Lampe EINSCHALTEN";
  Debugger::toggleMarker(assistant);
  EXPECT_EQ(assistant, ">&Lampe EINSCHALTEN");
  Debugger::toggleMarker(assistant);
  EXPECT_EQ(assistant, "-&Lampe EINSCHALTEN");
}

TEST(DebuggerWatch, LookUpRulesLinesForEveryKindAndTheMissingVariable) {
  Traced t({},
           {"R                   Zahl                1.5", "S                   Zeichen             Hallo Welt",
            "U                   Uhr                 07:30:00", "D                   Datum               24.12.26"});
  t.debugger->singleStep();
  t.ui.inputs = {std::optional<std::string>("auchnicht"), std::optional<std::string>("B")};
  std::vector<bool> added;
  t.dialog.whileShown = [&](Debugger& d) {
    if (!added.empty()) return;
    added.push_back(d.addWatch("  A"));         // the stopped object's own state: A.A
    added.push_back(d.addWatch("L"));           // no A.L: the state of the object L
    added.push_back(d.addWatch("b.b"));         // a full key
    added.push_back(d.addWatch("Zahl99"));      // asked for, answered with another unknown name
    added.push_back(d.addWatch("nochmal"));     // asked for, answered with B
  };
  t.dialog.answers = {{DebugCommand::Step, -1}, {DebugCommand::Run, -1}};
  t.runAB();
  EXPECT_EQ(added, (std::vector<bool>{true, true, true, false, true}));
  EXPECT_EQ(t.ui.inputPrompts, (std::vector<std::string>{"Variable:", "Variable:"}));
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_EQ(t.ui.messages[0].text, "Variable nicht vorhanden");
  ASSERT_EQ(t.dialog.watch.size(), 2u);
  EXPECT_EQ(t.dialog.watch[0], (std::vector<std::string>{"A.A:           0 (Integer)", "L.L: an [1] (Lampe)",
                                                         "B.B:           0 (Integer)", "B.B:           0 (Integer)"}));
  // Recomputed at the next stop: A has become 1.
  EXPECT_EQ(t.dialog.watch[1][0], "A.A:           1 (Integer)");
  t.debugger->removeWatch(0);
  EXPECT_EQ(t.debugger->watchLines().size(), 3u);
  struct Row {
    int line;
    const char* key;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "A.R", "A.R:  1.50000000 (Real)"},
      {__LINE__, "A.S", "A.S: Hallo Welt (Zeichen)"},
      {__LINE__, "A.U", "A.U: 30.12.99 07:30:00 [Uhr] (Zeit)"},
      {__LINE__, "A.D", "A.D: 24.12.26 00:00:00 [Datum] (Zeit)"},
      {__LINE__, "A.CT", "A.CT: 15.06.26 10:00:00 [Zeit] (Zeit)"},  // A's clock is symbol number 0
      {__LINE__, "A.NIX", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(t.debugger->watchLine(row.key), row.expected);
  }
}

// The dialog shows a name cut to 20 characters; the look-up still takes the object's whole name.
TEST(DebuggerWatch, TheFirstObjectWithALongNameFindsItsOwnVariable) {
  Traced t({}, {"R                   Zahl                1.5"}, "WohnzimmerDeckenlichtLinks");
  t.debugger->singleStep();
  std::vector<std::string> seen;
  t.dialog.whileShown = [&](Debugger& d) { seen = {d.objectName(), d.lookUp("r")}; };
  t.dialog.answers = {{DebugCommand::Run, -1}};
  t.runAB();
  EXPECT_EQ(seen, (std::vector<std::string>{"WohnzimmerDeckenlich", "WOHNZIMMERDECKENLICHTLINKS.R"}));
}

}  // namespace
}  // namespace kelvaro
