// The execution window on the demo project in virtual time: clicks, the input dialog, menus and
// timers reach the run session (whose rules run_session_test checks) and its results the screen.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "elements/ps_elements.h"
#include "language/compiler.h"
#include "main_context.h"
#include "run/execution_start.h"
#include "run/execution_window.h"
#include "run/input_dialog.h"
#include "run/message_list_window.h"
#include "storage/project_file.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "text/cp1252.h"

using namespace kelvaro;
using namespace kelvaro::gui;

namespace {

// The build names the source tree, so the demo is found wherever the test runs from.
QString demoDir() { return QStringLiteral(KELVARO_SOURCE_DIR "/examples/demo/"); }

// A number that an "A&ktion" menu item starts.
TPSObj helper(const char* name, const char* start, std::vector<std::string> lines) {
  TPSObj o = test::programObject(name, "Zahl", start, std::move(lines));
  o.SpecSt = true;
  return o;
}

struct DemoRun {
  Project project;
  CompileOutput compiled;
  ManualClock clock{*encodeDate(2026, 6, 15) + *encodeTime(10, 0, 2)};
  test::FakeUserInterface ui;
  std::unique_ptr<TIntRunF> window;
  bool ok = false;

  explicit DemoRun(std::vector<TPSObj> extra = {}, std::function<void(Project&)> adjust = {},
                   std::function<void(ExecutionWindowOptions&)> configure = {}) {
    const std::string dir = demoDir().toStdString();
    if (readProject(project, dir + "DEMO.SPG", dir, ui) != ReadStatus::Complete) return;
    for (auto& o : extra) project.objects.push_back(std::move(o));
    if (adjust) adjust(project);
    compiled = compile(project, project.constants, CompileMode::Run);
    if (compiled.result.code != 0) return;
    ExecutionWindowOptions options;
    options.autoTimers = false;
    options.bitmapDirectory = dir + "BMP/";
    if (configure) configure(options);
    window = std::make_unique<TIntRunF>(project, compiled, clock, ui, options);
    window->show();
    window->Timer1Timer();  // the automatic start
    ok = true;
  }
  int index(const char* name) const { return findObject(project, name); }
  std::string text(const char* name) const { return toUtf8(window->session().shownText(index(name))); }
  void ticks(int n) {
    for (int i = 0; i < n; ++i) {
      window->Timer3Timer();
      clock.advanceMs(10);
    }
  }
  void action(const QString& caption) {
    for (QAction* a : window->actionMenu()->actions())
      if (a->text() == caption) {
        a->trigger();
        return;
      }
    QFAIL(qPrintable(QStringLiteral("no action item ") + caption));
  }
  // The input dialog's answer arrives as a posted event.
  void answer(const QString& value) {
    TEingabeF* input = window->inputDialog();
    if (input->ListBox1->isVisible()) {
      const auto items = input->ListBox1->findItems(value, Qt::MatchExactly);
      QVERIFY(!items.isEmpty());
      input->ListBox1->setCurrentItem(items.front());
    } else {
      input->Edit1->setText(value);
    }
    QTest::mouseClick(input->OKBtn, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(window.get());
  }
  QImage pictureOf(const char* file) const { return QPixmap(demoDir() + QLatin1String(file)).toImage(); }
};

}  // namespace

class ExecutionWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void opensOnTheFirstViewWithItsElements() {
    DemoRun r;
    QVERIFY(r.ok);
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Erdgeschoss"));
    QVERIFY(r.window->backgroundShown());
    const int lamp = r.index("Flurlicht");
    QVERIFY(r.window->imageElement(lamp) != nullptr);
    QCOMPARE(r.window->imageElement(lamp)->geometry(), QRect(340, 190, 48, 48));
    QCOMPARE(r.window->imageElement(lamp)->bitmap().toImage(), r.pictureOf("BMP/LAMPE_AUS.BMP"));
    QVERIFY(r.window->gaugeElement(r.index("Besucher")) != nullptr);
    QVERIFY(r.window->panelElement(r.index("Anzeige")) != nullptr);
    QCOMPARE(r.window->buttonElement(r.index("Klingel"))->text(), QStringLiteral("Klingel"));
    // The garden gate lives on the other view only.
    QCOMPARE(r.window->element(r.index("Gartentor")), nullptr);
    // *INIT wrote the greeting on the first tick.
    r.ticks(1);
    QCOMPARE(r.window->panelElement(r.index("Anzeige"))->valueText(), QStringLiteral("Willkommen"));
    // For a look at the window: KELVARO_SCREENSHOT_DIR=/some/dir.
    const QString shots = qEnvironmentVariable("KELVARO_SCREENSHOT_DIR");
    if (!shots.isEmpty()) r.window->grab().save(shots + QStringLiteral("/execution_window.png"));
  }

  void anObjectOnTwoViewsKeepsItsPlacePerView() {
    DemoRun r({helper("Schieber", "77", {"SETZEPOSITION(Aussenlicht,Schieber,Schieber)"})});
    QVERIFY(r.ok);
    const int lamp = r.index("Aussenlicht");
    QCOMPARE(r.window->element(lamp)->pos(), QPoint(425, 340));
    r.ticks(1);
    r.action(QStringLiteral("Schieber"));
    r.ticks(1);
    QCOMPARE(r.window->element(lamp)->pos(), QPoint(77, 77));

    r.window->AnsichtClick();
    QVERIFY(r.window->inputDialog()->isVisible());
    QCOMPARE(r.window->inputDialog()->windowTitle(), QStringLiteral("Ansicht"));
    r.answer(QStringLiteral("Garten"));
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Garten"));
    QCOMPARE(r.window->element(lamp)->pos(), QPoint(336, 112));
    QVERIFY(r.window->element(r.index("Gartentor")) != nullptr);
    QCOMPARE(r.window->element(r.index("Flurlicht")), nullptr);
    r.window->AnsichtClick();
    r.answer(QStringLiteral("Erdgeschoss"));
    QCOMPARE(r.window->element(lamp)->pos(), QPoint(77, 77));
  }

  void aClickOnAStateObjectShowsItsNewState() {
    DemoRun r;
    QVERIFY(r.ok);
    const int lamp = r.index("Flurlicht");
    r.ticks(1);
    QTest::mouseClick(r.window->imageElement(lamp), Qt::LeftButton);
    r.ticks(1);
    QCOMPARE(r.text("Flurlicht"), std::string("an"));
    QCOMPARE(r.window->imageElement(lamp)->bitmap().toImage(), r.pictureOf("BMP/LAMPE_AN.BMP"));
  }

  void theInputDialogAppliesANumberAndQueuesTheOwner() {
    DemoRun r({}, [](Project& p) {
      p.objects[static_cast<std::size_t>(findObject(p, "Besucher"))].program = {"-Anzeige:=\"Besucher gezaehlt\""};
    });
    QVERIFY(r.ok);
    const int visitors = r.index("Besucher");
    r.ticks(1);
    TPSGauge* gauge = r.window->gaugeElement(visitors);
    QTest::mouseClick(gauge, Qt::LeftButton);
    TEingabeF* input = r.window->inputDialog();
    QVERIFY(input->isVisible());
    QVERIFY(input->Edit1->isVisible());
    QCOMPARE(input->Label1->text(), QStringLiteral("Besucher heute"));
    QCOMPARE(input->Edit1->text(), QStringLiteral("0"));

    r.answer(QStringLiteral("12"));
    QVERIFY(!input->isVisible());
    QCOMPARE(r.text("Besucher"), std::string("12"));
    QCOMPARE(std::vector<int>(r.window->session().engine().queue().begin(), r.window->session().engine().queue().end()),
             std::vector<int>{visitors});
    r.ticks(1);
    QCOMPARE(gauge->value(), 12);
    QCOMPARE(r.window->panelElement(r.index("Anzeige"))->valueText(), QStringLiteral("Besucher gezaehlt"));
  }

  void aRightPressShowsTheObjectsNameUntilReleased() {
    DemoRun r;
    QVERIFY(r.ok);
    TPSImage* image = r.window->imageElement(r.index("Flurlicht"));
    QTest::mousePress(image, Qt::RightButton);
    QVERIFY(r.window->namePanel()->isVisible());
    QCOMPARE(r.window->namePanel()->text(), QStringLiteral(" Licht Flur "));
    QCOMPARE(r.window->namePanel()->pos(), image->pos());
    QTest::mouseRelease(image, Qt::RightButton);
    QVERIFY(!r.window->namePanel()->isVisible());
  }

  void stopAndStartSwitchMenusTimerAndCaption() {
    DemoRun r;
    QVERIFY(r.ok);
    auto enabled = [&](const char* name) { return r.window->menuAction(QLatin1String(name))->isEnabled(); };
    QVERIFY(r.window->timerOn(3));
    QVERIFY(!r.window->timerOn(1));
    QVERIFY(!enabled("Start2"));
    QVERIFY(enabled("Stop2") && enabled("Ende1") && enabled("Abbruch1"));
    r.window->Stop2Click();
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Erdgeschoss [Ausführung gestoppt]"));
    QVERIFY(!r.window->timerOn(3));
    QVERIFY(enabled("Start2") && enabled("Start1"));
    QVERIFY(!enabled("Stop2") && !enabled("Ende1") && !enabled("Abbruch1"));
    r.window->Start2Click();
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Erdgeschoss"));
    QVERIFY(r.window->timerOn(3));
    // Without the debugger there is no single step.
    QVERIFY(!enabled("Einzelschritt1"));
  }

  void theVisualisationCyclesWithoutStopMessageListsOrDebugger() {
    DemoRun r({}, {}, [](ExecutionWindowOptions& o) {
      o.visualisation = true;
      o.hardwareControl = true;
      o.trace = true;
    });
    QVERIFY(r.ok);
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Erdgeschoss [Visualisierung]"));
    QVERIFY(r.window->timerOn(2));
    QVERIFY(!r.window->timerOn(3));
    QVERIFY(!r.window->menuAction(QStringLiteral("Stop2"))->isEnabled());
    QVERIFY(!r.window->menuAction(QStringLiteral("Meldungslisten"))->isVisible());
    QCOMPARE(r.window->debugDialog(), nullptr);
    QVERIFY(!r.window->menuAction(QStringLiteral("Einzelschritt1"))->isEnabled());
    // The unit runs the programs: a click changes the state, no program is queued.
    const int lamp = r.index("Flurlicht");
    QTest::mouseClick(r.window->imageElement(lamp), Qt::LeftButton);
    r.window->Timer2Timer();
    QCOMPARE(r.text("Flurlicht"), std::string("an"));
    QVERIFY(r.window->session().engine().queue().empty());
    QCOMPARE(r.window->imageElement(lamp)->bitmap().toImage(), r.pictureOf("BMP/LAMPE_AN.BMP"));
  }

  void theActionMenuListsSpecialObjectsByTheirVoiceName() {
    DemoRun r;
    QVERIFY(r.ok);
    QStringList captions;
    for (QAction* a : r.window->actionMenu()->actions()) captions << a->text();
    QVERIFY(captions.contains(QStringLiteral("Licht im Flur")));
    r.ticks(1);
    r.action(QStringLiteral("Licht im Flur"));  // shown on the view: like a click on it
    r.ticks(1);
    QCOMPARE(r.text("Flurlicht"), std::string("an"));
  }

  void endClosesAtTheNextTickAndStoresThePlace() {
    DemoRun r;
    QVERIFY(r.ok);
    r.window->resize(700, 500);
    r.ticks(1);
    r.window->Ende1Click();
    QVERIFY(r.window->isVisible());
    r.ticks(1);
    QVERIFY(!r.window->isVisible());
    QCOMPARE(r.project.ExeWinStat, std::uint8_t{0});
    QCOMPARE(r.project.ExeWinPos.width, 700);
    QCOMPARE(r.project.ExeWinPos.height, 500);
    QVERIFY(!r.window->timerOn(3) && !r.window->timerOn(4));
  }

  // A program that queues itself holds each tick only for a bounded share of its loop, so
  // the window keeps control and "Ende" still closes it.
  void aProgramThatQueuesItselfLeavesEndeWorking() {
    DemoRun r({test::programObject("Selbst", "Zahl", "0", {"Selbst:=Selbst+1", "AUSFUEHRUNG(Selbst)"}),
               helper("Schleife", "0", {"AUSFUEHRUNG(Selbst)"})});
    QVERIFY(r.ok);
    r.action(QStringLiteral("Schleife"));
    r.ticks(3);
    QVERIFY(std::stoi(r.text("Selbst")) > 1000);
    r.window->Ende1Click();
    r.ticks(1);
    QVERIFY(!r.window->isVisible());
  }

  void abortClosesAtOnceEvenAfterARunTimeError() {
    DemoRun r({helper("Panne", "0", {"STARTWIN(Panne)"})});
    QVERIFY(r.ok);
    r.ui.answers = {MessageAnswer::Ok};
    r.ticks(1);
    r.action(QStringLiteral("Panne"));
    r.ticks(1);
    QCOMPARE(r.ui.messageTexts().size(), std::size_t{1});
    QVERIFY(QString::fromStdString(r.ui.messageTexts().front()).startsWith(QStringLiteral("Laufzeitfehler")));
    r.window->Abbruch1Click();
    QVERIFY(!r.window->isVisible());
    QVERIFY(r.project.ExeWinPos.width > 0);
    // OK cleared the error: no editor is asked for.
    QVERIFY(!r.window->editorRequest().has_value());
  }

  void aCancelledRunTimeErrorAsksForTheEditorAtItsObject() {
    DemoRun r({helper("Panne", "0", {"STARTWIN(Panne)"})});
    QVERIFY(r.ok);
    r.ui.answers = {MessageAnswer::Cancel};
    r.ticks(1);
    r.action(QStringLiteral("Panne"));
    r.ticks(2);
    QVERIFY(!r.window->isVisible());
    const auto request = r.window->editorRequest();
    QVERIFY(request.has_value());
    QCOMPARE(request->object, r.index("Panne"));
    QCOMPARE(request->errorCode, -2013);
    QCOMPARE(request->page, EditorPage::Program);
    QVERIFY(!request->lineMap.empty());
  }

  void statusMessagesShowInTheMessageBarAndGo() {
    std::vector<std::string> lines;
    for (int i = 0; i < 256; ++i) lines.push_back("AUSFUEHRUNG(Besucher)");
    DemoRun r({helper("Flut", "0", lines)});
    QVERIFY(r.ok);
    r.ticks(1);
    QVERIFY(!r.window->statusPanel()->isVisible());
    r.action(QStringLiteral("Flut"));
    r.ticks(1);
    QVERIFY(r.window->statusPanel()->isVisible());
    QCOMPARE(r.window->statusPanel()->text(), QStringLiteral("Überlauf der Ausführungswarteschlange"));
    r.clock.advanceMs(4400);
    r.ticks(1);
    QVERIFY(!r.window->statusPanel()->isVisible());
  }

  void theMessageListsShowTimedOutRadioDevices() {
    DemoRun r;
    QVERIFY(r.ok);
    const int lamp = r.index("Flurlicht");
    for (TPSObj& o : r.project.objects) o.hardware.deviceCode = 0;
    r.project.objects[static_cast<std::size_t>(lamp)].hardware.deviceCode = 551;
    r.ticks(1);
    r.clock.advanceMs(58 * 60 * 1000);
    r.window->Timer4Timer();
    QCOMPARE(r.ui.beeps, 1);
    QVERIFY(r.window->windowTitle().endsWith(QStringLiteral(" Zeitüberschreitung bei Licht Flur")));
    r.window->MeldungslistenClick();
    TMsgListF* list = r.window->messageListWindow();
    QVERIFY(list->isVisible());
    QCOMPARE(list->MsgAuswCB->currentText(), QStringLiteral("Zeitüberschreitungen"));
    QCOMPARE(list->ListBox1->count(), 1);
    QVERIFY(list->ListBox1->item(0)->text().startsWith(QStringLiteral("Licht Flur, letzte Meldung von AktorFlur: ")));
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Erdgeschoss [Ausführung aktiv]"));
    list->MsgAuswCB->setCurrentIndex(1);
    QCOMPARE(list->ListBox1->count(), 0);
  }

  void theMainWindowsHookRunsTheWindowModallyAndRestoresTheBitmaps() {
    Workspace workspace;
    test::FakeUserInterface ui;
    const std::string dir = demoDir().toStdString();
    QCOMPARE(readProject(workspace.project, dir + "DEMO.SPG", dir, ui), ReadStatus::Complete);
    workspace.settings().DIRBMP = dir + "BMP/";
    const int lamp = findObject(workspace.project, "Flurlicht");
    const std::size_t ownBitmaps = workspace.project.objects[static_cast<std::size_t>(lamp)].stateBitmaps.size();
    MainContext context(workspace, ui);
    installExecutionWindow(context, nullptr);
    QVERIFY(context.openExecutionWindow);
    ExecutionRequest request;
    request.compiled = compile(workspace.project, workspace.project.constants, CompileMode::Run);
    QCOMPARE(request.compiled.result.code, 0);
    bool sawWindow = false;
    bool sawRun = false;
    // The window runs on its own timers; after a moment "Abbruch" ends it.
    QTimer::singleShot(400, [&] {
      auto* window = qobject_cast<TIntRunF*>(QApplication::activeModalWidget());
      if (!window) {
        for (QWidget* w : QApplication::topLevelWidgets())
          if (auto* candidate = qobject_cast<TIntRunF*>(w); candidate && candidate->isVisible()) window = candidate;
      }
      sawWindow = window != nullptr;
      if (!window) return;
      sawRun = window->timerOn(3) && !window->timerOn(1) &&
               window->session().display(lamp).bitmap.find("LAMPE_AUS.BMP") != std::string::npos;
      window->Abbruch1Click();
    });
    const auto editor = context.openExecutionWindow(request);
    QVERIFY(sawWindow);
    QVERIFY(sawRun);
    QVERIFY(!editor.has_value());
    // The type's bitmaps were lent for the run only.
    QCOMPARE(workspace.project.objects[static_cast<std::size_t>(lamp)].stateBitmaps.size(), ownBitmaps);
    QCOMPARE(workspace.project.ExeWinPos.width, 640);
  }
};

QTEST_MAIN(ExecutionWindowTest)
#include "execution_window_test.moc"
