// The starts "PC - Ausführung" and "Visualisierung": their refusals, the compile, the unit
// check and the hand-over to the execution window, through recording hooks.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/run_commands.h"
#include "app/workspace.h"
#include "language/compiler.h"
#include "language/errors.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "support/temp_dir.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

using test::FakeUserInterface;

// A workspace whose project compiles, with one view and a lamp that has a copy of its
// type's bitmap (dropped after a start) and one of its own (kept). Both objects have code, so
// that the lamp's part of the line map does not start at the beginning.
Workspace runnable() {
  Workspace w;
  TPSObj o = test::lampObject("Lampe", {"Lampe EINSCHALTEN"});
  o.stateBitmaps = {{"aus", TBitmapNam{"typ.bmp", 1, 0}}, {"an", TBitmapNam{"eigen.bmp", 1, 1}}};
  w.project = test::lampProject({test::lampObject("Schalter", {"Schalter AUSSCHALTEN"}), o});
  w.project.views = {{"Erdgeschoss", {}}};
  w.unit.TypeCode = 124;
  return w;
}

// Hooks that record what the start asked of the window; the execution window's call names the
// request's switches and whether it carries code or the symbol list only.
struct Recorder {
  std::vector<std::string> calls;
  std::optional<ExecutionRequest> request;
  std::optional<EditorRequest> edited;
  std::optional<EditorRequest> runTimeError;  // what the execution window reports back
  bool unitAnswers = true;
  int unitTypeCode = 124;

  RunHooks hooks(bool withWindow = true, bool withUnitCheck = true) {
    RunHooks h;
    h.setMainTimer = [this](bool running) { calls.push_back(running ? "timer on" : "timer off"); };
    h.showMainWindow = [this](bool visible) { calls.push_back(visible ? "show main" : "hide main"); };
    if (withUnitCheck)
      h.checkUnit = [this](Workspace& w, int mode) {
        calls.push_back("check unit " + std::to_string(mode));
        if (unitAnswers) w.unit.TypeCode = unitTypeCode;
        return unitAnswers;
      };
    if (withWindow)
      h.openExecutionWindow = [this](ExecutionRequest& r) {
        const CompileOutput& c = r.compiled;
        calls.push_back(std::string("execute") + (c.result.code != 0 ? " failed" : "") +
                        (c.code.empty() && c.codeSize == 0 && c.symbols.size() > 0 ? " symbols" : "") +
                        (r.visualisation ? " visualisation" : "") + (r.hardwareControl ? " hardware" : "") +
                        (r.writeProtocol ? " protocol" : "") + (r.modemClosesLine ? " #CLS" : ""));
        request = std::move(r);
        return runTimeError;
      };
    h.editObject = [this](const EditorRequest& r) {
      calls.push_back("edit " + std::to_string(r.object));
      edited = r;
      return true;
    };
    return h;
  }
};

TEST(StartChecks, RefusalsComeBeforeAnyCompile) {
  struct Row {
    int line;
    bool visualise;
    bool remote;
    bool objects;
    bool views;
    std::string message;
    MessageKind kind;
    int help;
  };
  const Row kRows[] = {
      {__LINE__, false, true, true, true, "Diese Aktion ist im Remote-Modus nicht zulässig", MessageKind::Information,
       0},
      {__LINE__, false, false, false, true, "Keine Objekte definiert", MessageKind::Error, 1001},
      {__LINE__, false, false, true, false, "Keine Ansicht definiert", MessageKind::Error, 1002},
      {__LINE__, true, false, false, false, "Keine Objekte definiert", MessageKind::Error, 1001},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    Workspace w = runnable();
    w.remoteMode = row.remote;
    if (!row.objects) w.project.objects.clear();
    if (!row.views) w.project.views.clear();
    FakeUserInterface ui;
    Recorder rec;
    const StartResult result = row.visualise ? visualiseUnit(w, ui, rec.hooks()) : runOnPc(w, ui, rec.hooks());
    EXPECT_EQ(result, StartResult::Refused);
    ASSERT_EQ(ui.messageTexts(), std::vector<std::string>{row.message});
    EXPECT_EQ(ui.messages[0].kind, row.kind);
    EXPECT_EQ(ui.messages[0].helpContext, row.help);
    EXPECT_FALSE(rec.request);
    // The timer runs again after every refusal that stopped it.
    if (!rec.calls.empty()) {
      EXPECT_EQ(rec.calls.back(), "timer on");
    }
  }
}

// Every way a start that passed the checks can go: the calls on the window in their order, the
// unit check and its wait box, the request handed over, and the own bitmaps kept on every way out.
TEST(StartFlow, WhatTheWindowIsAskedInTurn) {
  struct Row {
    int line;
    bool visualise;
    bool external;  // hardware control switched on in the project
    bool unitAnswers;
    bool window;
    int reportedObject;  // the object of a run-time error the window reports back, or -1
    StartResult result;
    const char* calls;
  };
  const Row kRows[] = {
      // The protocol is written only under hardware control.
      {__LINE__, false, false, true, true, -1, StartResult::Ran, "timer off, execute #CLS, timer on"},
      {__LINE__, false, true, true, true, -1, StartResult::Ran,
       "timer off, check unit 1, execute hardware protocol #CLS, timer on"},
      {__LINE__, false, true, false, true, -1, StartResult::UnitFailed, "timer off, check unit 1, timer on"},
      {__LINE__, false, false, true, true, 1, StartResult::Ran, "timer off, execute #CLS, edit 1, timer on"},
      {__LINE__, false, false, true, true, 2, StartResult::Ran, "timer off, execute #CLS, timer on"},  // no such object
      {__LINE__, false, false, true, false, -1, StartResult::NotAvailable, "timer off, timer on"},
      // The visualisation always asks the unit and leaves the page's switch alone.
      {__LINE__, true, false, true, true, -1, StartResult::Ran,
       "timer off, check unit 1, hide main, execute symbols visualisation hardware protocol #CLS, show main, timer on"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    Workspace w = runnable();
    w.settings().MODEMINIT = "AT&F #CLS";
    w.writeProtocol = true;
    w.project.Extern = row.external;
    FakeUserInterface ui;
    Recorder rec;
    rec.unitAnswers = row.unitAnswers;
    if (row.reportedObject >= 0) {
      EditorRequest error;
      error.object = row.reportedObject;
      error.errorCode = -3;
      rec.runTimeError = error;
    }
    const RunHooks hooks = rec.hooks(row.window);
    EXPECT_EQ(row.visualise ? visualiseUnit(w, ui, hooks) : runOnPc(w, ui, hooks), row.result);
    std::string calls;
    for (const std::string& call : rec.calls) calls += (calls.empty() ? "" : ", ") + call;
    EXPECT_EQ(calls, row.calls);
    const bool checked = row.visualise || row.external;
    EXPECT_EQ(ui.waitTexts, checked ? std::vector<std::string>{"Verbindung zur Steuereinheit wird aufgebaut"}
                                    : std::vector<std::string>{});
    EXPECT_FALSE(ui.waitOpen);
    EXPECT_EQ(w.unit.HardwareControl, row.external);
    EXPECT_EQ(w.unit.UnitChecked, row.external && row.unitAnswers);
    // The type's copy of a bitmap is gone, the lamp's own bitmap stays.
    EXPECT_EQ(test::stateBitmapText(w.project.objects[1].stateBitmaps), "an=eigen.bmp/1/1");
    if (row.result == StartResult::NotAvailable) {
      EXPECT_EQ(ui.messageTexts(),
                std::vector<std::string>{"Die Ausführung ist in dieser Version noch nicht verfügbar"});
      EXPECT_EQ(ui.messages[0].kind, MessageKind::Information);
    } else {
      EXPECT_TRUE(ui.messages.empty());
    }
  }
}

// The editor gets the failing object's part of the line map only, so that it finds the line
// from the code position.
TEST(RunOnPcStart, CompileErrorsOpenTheEditorOrSayWhy) {
  struct Row {
    int line;
    int object;  // the object given the program
    std::vector<std::string> program;
    int code;
    std::string name;     // the unknown identifier the editor is to show
    std::string mapped;   // the program lines of the line map the editor gets
    std::string message;  // empty: the editor opens
  };
  const Row kRows[] = {
      {__LINE__, 1, {"Lampe EINSCHALTEN", "Lampe := Unbekannt"}, kErrUnknownName, "UNBEKANNT", "", ""},
      {__LINE__, 0, {"Schalter := Unbekannt"}, kErrUnknownName, "UNBEKANNT", "", ""},  // the first object too
      {__LINE__, 1, {"Lampe:=AN", "WENN Lampe EINGESCHALTET DANN", "Lampe:=AUS"}, kErrEndIfMissing, "", "0 1 2 ", ""},
      {__LINE__, 1, std::vector<std::string>(6000, "Lampe:=AN"), kErrOverflow, "", "",
       "Speicherüberlauf - Programm zu gross"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    Workspace w = runnable();
    w.project.objects[static_cast<std::size_t>(row.object)] =
        test::lampObject(row.object == 0 ? "Schalter" : "Lampe", row.program);
    FakeUserInterface ui;
    Recorder rec;
    EXPECT_EQ(runOnPc(w, ui, rec.hooks()), StartResult::CompileFailed);
    EXPECT_FALSE(rec.request);
    if (row.message.empty()) {
      EXPECT_TRUE(ui.messages.empty());
      ASSERT_TRUE(rec.edited);
      EXPECT_EQ(rec.edited->object, row.object);
      EXPECT_EQ(rec.edited->errorCode, row.code);
      EXPECT_EQ(rec.edited->errorName, row.name);
      EXPECT_EQ(rec.edited->errorPosition, compile(w.project, {}, CompileMode::Run).result.position);
      EXPECT_EQ(rec.edited->page, EditorPage::Program);
      std::string mapped;
      for (const auto& entry : rec.edited->lineMap) mapped += std::to_string(entry.line) + " ";
      EXPECT_EQ(mapped, row.mapped);
    } else {
      EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{row.message});
      EXPECT_FALSE(rec.edited);
    }
    EXPECT_EQ(rec.calls.back(), "timer on");
  }
}

TEST(VisualiseStart, NeedsAProgrammableUnit) {
  struct Row {
    int line;
    bool unitCheck;
    bool answers;
    int typeCode;
    StartResult result;
    std::vector<std::string> messages;
  };
  const std::string kNotProgrammable = "Diese Funktion ist nur mit einer programmierbaren Steuereinheit möglich.";
  const Row kRows[] = {
      {__LINE__, true, true, 10, StartResult::Refused, {kNotProgrammable}},
      {__LINE__, true, true, 11, StartResult::Ran, {}},
      {__LINE__, true, false, 124, StartResult::UnitFailed, {}},
      // No check available: the last identification decides.
      {__LINE__, false, true, 0, StartResult::Refused, {kNotProgrammable}},
      {__LINE__, false, true, 125, StartResult::Ran, {}},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    Workspace w = runnable();
    w.unit.TypeCode = row.typeCode;
    FakeUserInterface ui;
    Recorder rec;
    rec.unitAnswers = row.answers;
    rec.unitTypeCode = row.typeCode;
    EXPECT_EQ(visualiseUnit(w, ui, rec.hooks(true, row.unitCheck)), row.result);
    EXPECT_EQ(ui.messageTexts(), row.messages);
    if (!row.messages.empty()) {
      EXPECT_EQ(ui.messages[0].helpContext, 1001);
    }
    EXPECT_EQ(rec.request.has_value(), row.result == StartResult::Ran);
  }
}

// The simulator's scenario is the file beside the project: named by the project's name with
// ".scenario", read whole, absent without a word, unreadable or too large with a message.
TEST(ScenarioBesideProject, FoundReadOrExplained) {
  EXPECT_EQ(scenarioFileFor("/home/a/DEMO.SPG"), "/home/a/DEMO.scenario");
  EXPECT_EQ(scenarioFileFor("/home/a.b/haus"), "/home/a.b/haus.scenario");
  EXPECT_EQ(scenarioFileFor(""), "");

  test::TempDir dir;
  const std::string project = dir.file("HAUS.SPG");
  const auto none = readScenarioBeside(project);
  EXPECT_FALSE(none.present);
  EXPECT_EQ(none.error, "");
  EXPECT_FALSE(readScenarioBeside("").present);  // a project never saved has no place beside it

  test::writeFile(dir.file("HAUS.scenario"), "wired 10 MXB2\n");
  const auto found = readScenarioBeside(project);
  EXPECT_TRUE(found.present);
  EXPECT_EQ(found.text, "wired 10 MXB2\n");
  EXPECT_EQ(found.error, "");

  test::writeFile(dir.file("HAUS.scenario"), std::string(kMaxScenarioBytes + 1, '#'));
  const auto large = readScenarioBeside(project);
  EXPECT_EQ(large.text, "");
  EXPECT_EQ(toUtf8(large.error), "Die Szenariodatei " + dir.file("HAUS.scenario") + " ist zu groß für ein Szenario.");

  std::filesystem::remove(dir.file("HAUS.scenario"));
  std::filesystem::create_directory(dir.file("HAUS.scenario"));
  EXPECT_EQ(toUtf8(readScenarioBeside(project).error),
            "Die Szenariodatei " + dir.file("HAUS.scenario") + " kann nicht gelesen werden.");

  EXPECT_EQ(toUtf8(scenarioProblemMessage("/p/HAUS.scenario", "line 5: bad time \"1:00\"")),
            "Die Szenariodatei /p/HAUS.scenario wird nicht verwendet: Zeile 5: bad time \"1:00\". "
            "Die Ausführung läuft ohne ihre Geräte.");
}

}  // namespace
}  // namespace kelvaro
