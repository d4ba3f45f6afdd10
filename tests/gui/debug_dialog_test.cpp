// The debugger driven through its dialog inside the execution window: where single steps
// stop, breakpoints set with "Haltepunkt", "Ausführen", "Inhalt" and "Abbruch".
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <memory>

#include "elements/ext_memo.h"
#include "language/compiler.h"
#include "run/debug_dialog.h"
#include "run/execution_window.h"
#include "run/input_dialog.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "text/cp1252.h"

using namespace kelvaro;
using namespace kelvaro::gui;

namespace {

// Runs on every tick (ACode 1).
TPSObj permanent(const char* name, std::vector<std::string> lines) {
  return test::programObject(name, "Zahl", "0", std::move(lines), 1);
}

struct Stop {
  QString caption;
  QString selected;  // the selected text of the program memo
  bool operator==(const Stop&) const = default;
};

// Answers each stop of the dialog with the next scripted step; a step may first act on the
// dialog (select a line, press "Inhalt") and then names the button that closes it.
struct Traced {
  Project project;
  CompileOutput compiled;
  ManualClock clock{*encodeDate(2026, 6, 15) + *encodeTime(10, 0, 2)};
  test::FakeUserInterface ui;
  std::unique_ptr<TIntRunF> window;
  std::deque<std::function<QPushButton*(TDebugF&)>> script;
  std::vector<Stop> stops;
  std::vector<QStringList> watch;  // the watch list as each stop closed
  bool ok = false;

  explicit Traced(std::vector<std::string> traceList) {
    project.views = {{"Haus", {}}};
    project.objects = {permanent("A", {"A:=1", "A:=A+1"}), permanent("B", {"B:=5", "B:=B+1"})};
    compiled = compile(project, project.constants, CompileMode::Run);
    if (compiled.result.code != 0) return;
    ExecutionWindowOptions options;
    options.autoTimers = false;
    options.trace = true;
    options.traceList = std::move(traceList);
    window = std::make_unique<TIntRunF>(project, compiled, clock, ui, options);
    TDebugF* dialog = window->debugDialog();
    if (!dialog) return;
    QObject::connect(dialog, &TDebugF::stopped, dialog, [this, dialog] {
      stops.push_back({dialog->Panel1->text(), dialog->DebugMBox->textCursor().selectedText()});
      // The dialog waits in its own loop: answer from there.
      QTimer::singleShot(0, dialog, [this, dialog] {
        if (script.empty()) {
          dialog->EndBtn->click();  // a script that ran out ends the run rather than hang
          return;
        }
        auto step = script.front();
        script.pop_front();
        QPushButton* button = step(*dialog);
        QStringList lines;
        for (int i = 0; i < dialog->DebVarLBox->count(); ++i) lines << dialog->DebVarLBox->item(i)->text();
        watch.push_back(lines);
        button->click();
      });
    });
    window->show();
    window->Timer1Timer();
    ok = true;
  }
  void ticks(int n) {
    for (int i = 0; i < n; ++i) {
      window->Timer3Timer();
      clock.advanceMs(10);
    }
  }
  void press(QPushButton* TDebugF::*button, int times = 1) {
    for (int i = 0; i < times; ++i) script.push_back([button](TDebugF& d) { return d.*button; });
  }
  const std::string& line(int object, int index) const {
    return project.objects[static_cast<std::size_t>(object)].program[static_cast<std::size_t>(index)];
  }
};

}  // namespace

class DebugDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void noStopWithoutSingleStepOrBreakpoint() {
    Traced t({});
    QVERIFY(t.ok);
    QVERIFY(t.window->menuAction(QStringLiteral("Einzelschritt1"))->isEnabled());
    t.ticks(3);
    QVERIFY(t.stops.empty());
    QCOMPARE(toUtf8(t.window->session().shownText(1)), std::string("6"));
  }

  void singleSteppingStopsOnlyInTracedObjects() {
    struct Row {
      int line;
      std::vector<std::string> traceList;
      std::vector<Stop> expected;
    };
    const Row rows[] = {
        {__LINE__, {"b"}, {{"B (Zahl)", "-B:=5"}, {"B (Zahl)", "-B:=B+1"}}},
    };
    for (const Row& row : rows) {
      Traced t(row.traceList);
      QVERIFY2(t.ok, qPrintable(QString::number(row.line)));
      t.ticks(1);
      t.window->menuAction(QStringLiteral("Einzelschritt1"))->trigger();
      t.press(&TDebugF::StepBtn, static_cast<int>(row.expected.size()) - 1);
      t.press(&TDebugF::RunBtn);  // single-stepping off again
      t.ticks(2);
      QStringList got;
      for (const Stop& s : t.stops) got << s.caption + QStringLiteral(" | ") + s.selected;
      QVERIFY2(t.stops == row.expected, qPrintable(QString::number(row.line) + QStringLiteral(": ") + got.join(QStringLiteral(", "))));
      QVERIFY(t.window->isVisible());
    }
  }

  void aBreakpointSetInTheDialogStopsAusfuehrenThere() {
    Traced t({});
    QVERIFY(t.ok);
    t.ticks(1);
    t.window->menuAction(QStringLiteral("Einzelschritt1"))->trigger();
    // First stop at A's first line: put the caret on its second line and set a breakpoint.
    t.script.push_back([](TDebugF& d) {
      QTextCursor cursor = d.DebugMBox->textCursor();
      cursor.setPosition(d.DebugMBox->lineStart(1) + 2);
      d.DebugMBox->setTextCursor(cursor);
      return d.BrkPtBtn;
    });
    t.press(&TDebugF::RunBtn);  // shown again after the toggle: run on
    t.press(&TDebugF::RunBtn);  // stopped at the breakpoint: run on
    t.ticks(1);
    QCOMPARE(t.line(0, 1), std::string(">A:=A+1"));
    const std::vector<Stop> expected = {{"A (Zahl)", "-A:=1"}, {"A (Zahl)", "-A:=1"}, {"A (Zahl)", ">A:=A+1"}};
    QCOMPARE(t.stops, expected);
  }

  void inhaltAddsAWatchLineOrSaysTheVariableIsMissing() {
    Traced t({"A"});
    QVERIFY(t.ok);
    t.ui.inputs = {std::string("Nirgends")};
    t.ticks(1);
    t.window->menuAction(QStringLiteral("Einzelschritt1"))->trigger();
    t.script.push_back([](TDebugF& d) {
      // The selected word names A's own variable.
      QTextCursor cursor = d.DebugMBox->textCursor();
      cursor.setPosition(1);
      cursor.setPosition(2, QTextCursor::KeepAnchor);
      d.DebugMBox->setTextCursor(cursor);
      d.DebVarBtn->click();
      // Neither a variable nor an object: asked, then told.
      cursor.setPosition(3);
      cursor.setPosition(4, QTextCursor::KeepAnchor);
      d.DebugMBox->setTextCursor(cursor);
      d.DebVarBtn->click();
      // For a look at the dialog: KELVARO_SCREENSHOT_DIR=/some/dir.
      const QString shots = qEnvironmentVariable("KELVARO_SCREENSHOT_DIR");
      if (!shots.isEmpty()) d.grab().save(shots + QStringLiteral("/debug_dialog.png"));
      return d.StepBtn;
    });
    t.script.push_back([](TDebugF& d) {
      d.DebVarLBox->setCurrentRow(0);
      d.DelBarBtn->click();
      return d.RunBtn;
    });
    t.ticks(1);
    QCOMPARE(t.watch.size(), std::size_t{2});
    QCOMPARE(t.watch[0].size(), 1);
    QVERIFY2(t.watch[0][0].startsWith(QStringLiteral("A.A: ")) && t.watch[0][0].endsWith(QStringLiteral(" (Integer)")),
             qPrintable(t.watch[0][0]));
    QVERIFY(t.watch[1].isEmpty());
    QCOMPARE(t.ui.inputPrompts.size(), std::size_t{1});
    QCOMPARE(t.ui.messageTexts(), std::vector<std::string>{"Variable nicht vorhanden"});
  }

  void anEntryMadeWhileAProgramWaitsIsAppliedAfterTheTick() {
    Traced t({});
    QVERIFY(t.ok);
    t.ticks(1);
    t.window->menuAction(QStringLiteral("Einzelschritt1"))->trigger();
    std::string duringRun;
    // Stopped in A: the user answers an input dialog for B meanwhile.
    t.script.push_back([&t, &duringRun](TDebugF& d) {
      t.window->session().openInputFor(1);
      TEingabeF* input = t.window->inputDialog();
      input->open(*t.window->session().input(), QPoint(0, 0));
      input->Edit1->setText(QStringLiteral("42"));
      input->OKBtn->click();
      QCoreApplication::sendPostedEvents(t.window.get());
      duringRun = toUtf8(t.window->session().shownText(1));
      return d.RunBtn;
    });
    t.ticks(1);
    // Had the entry been applied at once, B's own program would have overwritten it.
    QCOMPARE(duringRun, std::string("6"));
    QCOMPARE(toUtf8(t.window->session().shownText(1)), std::string("42"));
  }

  void abbruchEndsTheRunAndTheWindowCloses() {
    Traced t({});
    QVERIFY(t.ok);
    t.ticks(1);
    t.window->menuAction(QStringLiteral("Einzelschritt1"))->trigger();
    t.press(&TDebugF::EndBtn);
    t.ticks(1);
    QCOMPARE(t.stops.size(), std::size_t{1});
    QVERIFY(t.window->session().closing());
    t.ticks(1);
    QVERIFY(!t.window->isVisible());
  }
};

QTEST_MAIN(DebugDialogTest)
#include "debug_dialog_test.moc"
