// The debugger driven through its dialog inside the execution window: where single steps
// stop, breakpoints set with "Haltepunkt", "Ausführen", "Inhalt" and "Abbruch".
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <deque>

#include "elements/ext_memo.h"
#include "gui_test_support.h"
#include "run/debug_dialog.h"
#include "run/input_dialog.h"
#include "run_window_fixture.h"
#include "support/project_builder.h"

using namespace kelvaro;
using namespace kelvaro::gui;

namespace {

struct Stop {
  QString caption;
  QString selected;  // the selected text of the program memo
  bool operator==(const Stop&) const = default;
};

// Two numbers that count on every tick (ACode 1), with the debugger on. Each stop of the dialog
// is answered by the next scripted step; a step may first act on the dialog (select a line,
// press "Inhalt") and then names the button that closes it.
struct Traced : test::RunWindow {
  std::deque<std::function<QPushButton*(TDebugF&)>> script;
  std::vector<Stop> stops;
  std::vector<QStringList> watch;  // the watch list as each stop closed
  bool ok = false;

  explicit Traced(std::vector<std::string> traceList) {
    project.views = {{"Haus", {}}};
    project.objects = {test::programObject("A", "Zahl", "0", {"A:=1", "A:=A+1"}, 1),
                       test::programObject("B", "Zahl", "0", {"B:=5", "B:=B+1"}, 1)};
    ExecutionWindowOptions options;
    options.trace = true;
    options.traceList = std::move(traceList);
    TDebugF* dialog = open(std::move(options)) ? window->debugDialog() : nullptr;
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
        watch.push_back(test::itemTexts(dialog->DebVarLBox));
        button->click();
      });
    });
    ok = true;
  }
  void press(QPushButton* TDebugF::*button) {
    script.push_back([button](TDebugF& d) { return d.*button; });
  }
};

}  // namespace

class DebugDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void aBreakpointSetInTheDialogStopsAusfuehrenThereAndAbbruchEnds() {
    Traced t({});
    QVERIFY(t.ok);
    t.ticks(1);
    QVERIFY(t.stops.empty());  // no stop before single-stepping is switched on
    t.window->menuAction(QStringLiteral("Einzelschritt1"))->trigger();
    // First stop at A's first line: put the caret on its second line and set a breakpoint.
    t.script.push_back([](TDebugF& d) {
      QTextCursor cursor = d.DebugMBox->textCursor();
      cursor.setPosition(d.DebugMBox->lineStart(1) + 2);
      d.DebugMBox->setTextCursor(cursor);
      return d.BrkPtBtn;
    });
    t.press(&TDebugF::RunBtn);  // shown again after the toggle: run on
    t.press(&TDebugF::EndBtn);  // stopped at the breakpoint: end the run
    t.ticks(2);
    const std::vector<Stop> expected = {{"A (Zahl)", "-A:=1"}, {"A (Zahl)", "-A:=1"}, {"A (Zahl)", ">A:=A+1"}};
    QCOMPARE(t.stops, expected);
    QVERIFY(!t.window->isVisible());
  }

  // The trace list limits the stops to B; "Inhalt" on B's variable adds its watch line, on a
  // word that is no variable it asks and then says so; "Löschen" takes the line away again.
  void inhaltAddsAWatchLineOrSaysTheVariableIsMissing() {
    Traced t({"b"});
    QVERIFY(t.ok);
    t.ui.inputs = {std::string("Nirgends")};
    t.ticks(1);
    t.window->menuAction(QStringLiteral("Einzelschritt1"))->trigger();
    auto inhalt = [](TDebugF& d, int from) {
      QTextCursor cursor = d.DebugMBox->textCursor();
      cursor.setPosition(from);
      cursor.setPosition(from + 1, QTextCursor::KeepAnchor);
      d.DebugMBox->setTextCursor(cursor);
      d.DebVarBtn->click();
    };
    t.script.push_back([inhalt](TDebugF& d) {
      inhalt(d, 1);  // "B"
      inhalt(d, 3);  // "="
      return d.StepBtn;
    });
    t.script.push_back([](TDebugF& d) {
      d.DebVarLBox->setCurrentRow(0);
      d.DelBarBtn->click();
      return d.RunBtn;
    });
    t.ticks(1);
    const std::vector<Stop> expected = {{"B (Zahl)", "-B:=5"}, {"B (Zahl)", "-B:=B+1"}};
    QCOMPARE(t.stops, expected);
    QCOMPARE(t.watch.size(), std::size_t{2});
    QCOMPARE(t.watch[0].size(), 1);
    QVERIFY2(t.watch[0][0].startsWith(QStringLiteral("B.B: ")) && t.watch[0][0].endsWith(QStringLiteral(" (Integer)")),
             qPrintable(t.watch[0][0]));
    QVERIFY(t.watch[1].isEmpty());
    QCOMPARE(t.ui.inputPrompts.size(), std::size_t{1});
    QCOMPARE(t.ui.messages.size(), std::size_t{1});  // the text is debugger_test's
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
      duringRun = t.text(1);
      return d.RunBtn;
    });
    t.ticks(1);
    // Had the entry been applied at once, B's own program would have overwritten it.
    QCOMPARE(duringRun, std::string("6"));
    QCOMPARE(t.text(1), std::string("42"));
  }
};

QTEST_MAIN(DebugDialogTest)
#include "debug_dialog_test.moc"
