// The starts "PC - Ausführung" and "Visualisierung": their refusals, the compile, the unit
// check and the hand-over to the execution window, through recording hooks.
#include <gtest/gtest.h>

#include "app/run_commands.h"
#include "app/workspace.h"
#include "language/errors.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

using test::FakeUserInterface;

// A workspace whose project compiles, with one view and a lamp that has a copy of its
// type's bitmap (dropped after a start) and one of its own (kept).
Workspace runnable() {
  Workspace w;
  TPSObj o = test::lampObject("Lampe", {"Lampe EINSCHALTEN"});
  o.stateBitmaps = {{"aus", TBitmapNam{"typ.bmp", 1, 0}}, {"an", TBitmapNam{"eigen.bmp", 1, 1}}};
  w.project = test::lampProject({test::lampObject("Schalter"), o});
  w.project.views = {{"Erdgeschoss", {}}};
  w.unit.TypeCode = 124;
  return w;
}

// Hooks that record what the start asked of the window; the execution window's call names the
// request's switches.
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
        calls.push_back(std::string("execute") + (r.visualisation ? " visualisation" : "") +
                        (r.hardwareControl ? " hardware" : "") + (r.writeProtocol ? " protocol" : "") +
                        (r.modemClosesLine ? " #CLS" : ""));
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
      {__LINE__, false, true, true, true, "Diese Aktion ist im Remote-Modus nicht zulässig", MessageKind::Information, 0},
      {__LINE__, false, false, false, true, "Keine Objekte definiert", MessageKind::Error, 1001},
      {__LINE__, false, false, true, false, "Keine Ansicht definiert", MessageKind::Error, 1002},
      {__LINE__, true, false, false, false, "Keine Objekte definiert", MessageKind::Error, 1001},
      {__LINE__, true, false, true, false, "Keine Ansicht definiert", MessageKind::Error, 1002},
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

TEST(RunOnPcStart, HandsTheCompiledProjectToTheExecutionWindow) {
  Workspace w = runnable();
  w.settings().MODEMINIT = "AT&F #CLS";
  w.writeProtocol = true;  // without hardware control nothing is written
  FakeUserInterface ui;
  Recorder rec;
  EXPECT_EQ(runOnPc(w, ui, rec.hooks()), StartResult::Ran);
  EXPECT_EQ(rec.calls, (std::vector<std::string>{"timer off", "execute #CLS", "timer on"}));
  ASSERT_TRUE(rec.request);
  EXPECT_EQ(rec.request->compiled.result.code, 0);
  EXPECT_GT(rec.request->compiled.codeSize, 0);
  EXPECT_TRUE(ui.messages.empty());
  // Keep own bitmaps: the type's copy is gone, the lamp's own bitmap stays.
  EXPECT_EQ(test::stateBitmapText(w.project.objects[1].stateBitmaps), "an=eigen.bmp/1/1");
}

TEST(RunOnPcStart, HardwareControlChecksTheUnitFirst) {
  for (const bool answers : {true, false}) {
    SCOPED_TRACE(answers);
    Workspace w = runnable();
    w.project.Extern = true;
    w.writeProtocol = true;
    FakeUserInterface ui;
    Recorder rec;
    rec.unitAnswers = answers;
    EXPECT_EQ(runOnPc(w, ui, rec.hooks()), answers ? StartResult::Ran : StartResult::UnitFailed);
    EXPECT_TRUE(w.unit.HardwareControl);
    EXPECT_EQ(ui.waitTexts, std::vector<std::string>{"Verbindung zur Steuereinheit wird aufgebaut"});
    EXPECT_FALSE(ui.waitOpen);
    EXPECT_EQ(w.unit.UnitChecked, answers);
    if (answers) {
      EXPECT_EQ(rec.calls,
                (std::vector<std::string>{"timer off", "check unit 1", "execute hardware protocol", "timer on"}));
    } else {
      EXPECT_EQ(rec.calls, (std::vector<std::string>{"timer off", "check unit 1", "timer on"}));
    }
  }
}

TEST(RunOnPcStart, CompileErrorsOpenTheEditorOrSayWhy) {
  struct Row {
    int line;
    std::vector<std::string> program;
    int code;
    std::string name;     // the unknown identifier the editor is to show
    std::string message;  // empty: the editor opens
  };
  const Row kRows[] = {
      {__LINE__, {"Lampe EINSCHALTEN", "Lampe := Unbekannt"}, kErrUnknownName, "UNBEKANNT", ""},
      {__LINE__, {"Lampe EINSCHALTEN", "WENN Lampe EINGESCHALTET DANN"}, kErrEndIfMissing, "", ""},
      {__LINE__, std::vector<std::string>(6000, "Lampe:=AN"), kErrOverflow, "", "Speicherüberlauf - Programm zu gross"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    Workspace w = runnable();
    w.project.objects[1] = test::lampObject("Lampe", row.program);
    FakeUserInterface ui;
    Recorder rec;
    EXPECT_EQ(runOnPc(w, ui, rec.hooks()), StartResult::CompileFailed);
    EXPECT_FALSE(rec.request);
    if (row.message.empty()) {
      EXPECT_TRUE(ui.messages.empty());
      ASSERT_TRUE(rec.edited);
      EXPECT_EQ(rec.edited->object, 1);
      EXPECT_EQ(rec.edited->errorCode, row.code);
      EXPECT_EQ(rec.edited->errorName, row.name);
      EXPECT_EQ(rec.edited->page, EditorPage::Program);
    } else {
      EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{row.message});
      EXPECT_FALSE(rec.edited);
    }
    EXPECT_EQ(rec.calls.back(), "timer on");
  }
}

TEST(RunOnPcStart, StructureErrorCarriesTheObjectsLineMap) {
  Workspace w = runnable();
  w.project.objects[0] = test::lampObject("Schalter", {"Schalter EINSCHALTEN"});
  w.project.objects[1] = test::lampObject("Lampe", {"Lampe EINSCHALTEN", "WENN Lampe EINGESCHALTET DANN", "Lampe AUSSCHALTEN"});
  const CompileOutput out = compile(w.project, w.project.constants, CompileMode::Run);
  ASSERT_EQ(out.result.code, kErrEndIfMissing);
  const EditorRequest r = editorRequestForCompileError(out);
  EXPECT_EQ(r.object, 1);
  EXPECT_EQ(r.errorPosition, out.result.position);
  // Only the failing object's entries, so the editor finds its line from the code position.
  ASSERT_EQ(r.lineMap.size(), 3u);
  EXPECT_EQ(r.lineMap[0].line, 0);
  EXPECT_EQ(r.lineMap[2].line, 2);
  EXPECT_GE(lineAtCodePosition(r.lineMap, r.errorPosition), 0);
}

TEST(RunOnPcStart, RunTimeErrorReportedByTheWindowOpensTheEditor) {
  Workspace w = runnable();
  FakeUserInterface ui;
  Recorder rec;
  EditorRequest error;
  error.object = 1;
  error.errorCode = -3;
  rec.runTimeError = error;
  EXPECT_EQ(runOnPc(w, ui, rec.hooks()), StartResult::Ran);
  EXPECT_EQ(rec.calls, (std::vector<std::string>{"timer off", "execute", "edit 1", "timer on"}));

  // An object index the window got wrong opens nothing.
  rec = Recorder{};
  error.object = 7;
  rec.runTimeError = error;
  runOnPc(w, ui, rec.hooks());
  EXPECT_FALSE(rec.edited);
}

TEST(RunOnPcStart, WithoutExecutionWindowEndsAfterTheCompile) {
  Workspace w = runnable();
  FakeUserInterface ui;
  Recorder rec;
  EXPECT_EQ(runOnPc(w, ui, rec.hooks(false)), StartResult::NotAvailable);
  EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Die Ausführung ist in dieser Version noch nicht verfügbar"});
  EXPECT_EQ(ui.messages[0].kind, MessageKind::Information);
  EXPECT_EQ(test::stateBitmapText(w.project.objects[1].stateBitmaps), "an=eigen.bmp/1/1");
}

TEST(VisualiseStart, ChecksTheUnitThenCompilesSymbolsOnly) {
  Workspace w = runnable();
  FakeUserInterface ui;
  Recorder rec;
  EXPECT_EQ(visualiseUnit(w, ui, rec.hooks()), StartResult::Ran);
  EXPECT_EQ(rec.calls, (std::vector<std::string>{"timer off", "check unit 1", "hide main",
                                                 "execute visualisation hardware", "show main", "timer on"}));
  ASSERT_TRUE(rec.request);
  EXPECT_TRUE(rec.request->compiled.code.empty());  // the symbol list only
  EXPECT_GT(rec.request->compiled.symbols.size(), 0u);
  EXPECT_FALSE(w.unit.HardwareControl);  // the page's switch keeps its setting
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
      {__LINE__, true, true, 1, StartResult::Refused, {kNotProgrammable}},
      {__LINE__, true, true, 2, StartResult::Refused, {kNotProgrammable}},
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

}  // namespace
}  // namespace kelvaro
