// The execution window in virtual time: on the demo project, clicks, the input dialog, menus and
// timers reach the run session (whose rules run_session_test checks) and its results the screen;
// the debugger's dialog stops, sets breakpoints and shows variables (whose rules debugger_test
// checks).
#include <deque>

#include "app/run_commands.h"
#include "control_unit.h"
#include "elements/ext_memo.h"
#include "elements/ps_elements.h"
#include "gui_test_support.h"
#include "hardware/port_choice.h"
#include "hardware/protocol.h"
#include "hardware/serial_line.h"
#include "pages/control_unit_page.h"
#include "run/debug_dialog.h"
#include "run/execution_start.h"
#include "run/input_dialog.h"
#include "run/message_list_window.h"
#include "scenario.h"
#include "storage/project_file.h"
#include "support/project_builder.h"
#include "support/temp_dir.h"

using namespace kelvaro;
using namespace kelvaro::gui;
using Timer = TIntRunF::RunTimer;

namespace {

// The build names the source tree, so the demo is found wherever the test runs from.
QString demoDir() { return QStringLiteral(KELVARO_SOURCE_DIR "/examples/demo/"); }

// Adds a number that an "A&ktion" menu item starts.
std::function<void(Project&)> withHelper(const char* name, std::vector<std::string> lines) {
  return [=](Project& p) {
    p.objects.push_back(test::programObject(name, "Zahl", "0", lines));
    p.objects.back().SpecSt = true;
  };
}

// The built-in simulated unit with a scenario, identified on a line that stays open, and the
// link a run with the hardware takes, all on the run's clock, which the line's waits move on.
struct SimulatedLine {
  SimulatedLine(ManualClock& clock, const char* scenarioText)
      : line(clock, simulatorOrSerialPort(unit, clock, true), [&clock] { clock.advanceMs(1); }, &ui),
        protocol(line, ui),
        link(protocol) {
    const sim::ScenarioLoad load = sim::loadScenario(scenarioText);
    ok = load.ok() && protocol.IdentifyUnit("SIM", true);
    unit.setScenario(load.scenario, clock.monotonicMs());
  }
  test::FakeUserInterface ui;
  sim::ControlUnit unit;
  SerialLine line;
  Protocol protocol;
  ProtocolStationLink link;
  bool ok = false;
};

// The demo project in the execution window.
struct DemoRun : test::RunWindow {
  bool ok = false;

  // With a scenario the run has the hardware: the built-in unit on a line on the run's clock.
  std::unique_ptr<SimulatedLine> sim;

  // adjust, when given, changes the project before the window opens.
  explicit DemoRun(const std::function<void(Project&)>& adjust = {}, ExecutionWindowOptions options = {},
                   const char* scenario = nullptr) {
    if (scenario) {
      sim = std::make_unique<SimulatedLine>(clock, scenario);
      options.link = &sim->link;
    }
    const std::string dir = demoDir().toStdString();
    if (readProject(project, dir + "DEMO.SPG", dir, ui) != ReadStatus::Complete) return;
    if (adjust) adjust(project);
    options.bitmapDirectory = dir + "BMP/";
    ok = open(std::move(options));
  }
  // The window lets go of the line first; the line then goes while the clock it reads is still there.
  ~DemoRun() { window.reset(); }
  std::string text(const char* name) const { return RunWindow::text(index(name)); }
  void action(const QString& caption) {
    for (QAction* a : window->actionMenu()->actions())
      if (a->text() == caption) {
        a->trigger();
        return;
      }
    QFAIL(qPrintable(QStringLiteral("no action item ") + caption));
  }
  // A choice or an entry in the input dialog; its answer arrives as a posted event.
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

 public:
  static void initMain() { test::useSmallScreen(); }

 private Q_SLOTS:
  // On a 1024 x 768 screen: without a stored place the window shows the whole view; a place
  // stored on a larger screen is moved back inside, the menu bar in reach.
  void opensWithTheWholeViewInsideTheScreen() {
    for (const WindowPosition stored : {WindowPosition{}, WindowPosition{2500, 1500, 800, 600}}) {
      DemoRun r([&](Project& p) { p.ExeWinPos = stored; });
      QVERIFY(r.ok);
      QVERIFY(QTest::qWaitForWindowExposed(r.window.get()));
      QCOMPARE(test::outOfReach(r.window.get(), {test::child<QWidget>(r.window.get(), "MainMenu1")}), QString());
      const QWidget* canvas = test::child<QWidget>(r.window.get(), "RunCanvas");
      const QSize viewport = canvas->parentWidget()->size();
      if (stored.width == 0) QCOMPARE(viewport.expandedTo(canvas->minimumSize()), viewport);
    }
  }

  void opensOnTheFirstViewAndClicksAndTheInputDialogReachTheSession() {
    DemoRun r;
    QVERIFY(r.ok);
    QVERIFY(r.window->backgroundShown());
    TPSImage* image = r.window->imageElement(r.index("Flurlicht"));
    QCOMPARE(image->bitmap().toImage(), r.pictureOf("BMP/LAMPE_AUS.BMP"));
    QCOMPARE(r.window->buttonElement(r.index("Klingel"))->text(), QStringLiteral("Klingel"));
    r.ticks(1);  // *INIT writes the greeting
    QCOMPARE(r.window->panelElement(r.index("Anzeige"))->valueText(), QStringLiteral("Willkommen"));
    QTest::mouseClick(image, Qt::LeftButton);
    r.ticks(1);
    QCOMPARE(image->bitmap().toImage(), r.pictureOf("BMP/LAMPE_AN.BMP"));
    QTest::mouseClick(r.window->buttonElement(r.index("Klingel")), Qt::LeftButton);
    r.ticks(1);
    QCOMPARE(r.window->panelElement(r.index("Anzeige"))->valueText(), QStringLiteral("Es hat geklingelt"));
    // A right press shows the object's name until released.
    QTest::mousePress(image, Qt::RightButton);
    QCOMPARE(r.window->namePanel()->text(), QStringLiteral(" Licht Flur "));
    QTest::mouseRelease(image, Qt::RightButton);
    QVERIFY(!r.window->namePanel()->isVisible());

    // The input dialog sets a value and chooses the view.
    TPSGauge* gauge = r.window->gaugeElement(r.index("Besucher"));
    QTest::mouseClick(gauge, Qt::LeftButton);
    QCOMPARE(r.window->inputDialog()->Label1->text(), QStringLiteral("Besucher heute"));
    r.answer(QStringLiteral("12"));
    r.ticks(1);
    QCOMPARE(gauge->value(), 12);
    r.window->AnsichtClick();
    // At the top-left corner of the client area: the menu bar stays free.
    const QWidget* client = test::child<QWidget>(r.window.get(), "RunCanvas")->parentWidget();
    QCOMPARE(r.window->inputDialog()->frameGeometry().topLeft(), client->mapToGlobal(QPoint(0, 0)));
    r.answer(QStringLiteral("Garten"));
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Garten"));
    QCOMPARE(r.window->element(r.index("Aussenlicht"))->pos(), QPoint(336, 112));
    QCOMPARE(r.window->element(r.index("Flurlicht")), nullptr);
  }

  // Stop and Start switch the menus, the timer and the caption; "Ende" after an action item
  // closes the window at the next tick and keeps its size ("Abbruch" ends the modal run below).
  void stopStartAndEndSwitchMenusTimerAndCaption() {
    DemoRun r;
    QVERIFY(r.ok);
    auto enabled = [&](const char* name) { return r.window->menuAction(QLatin1String(name))->isEnabled(); };
    QVERIFY(!enabled("Start2") && enabled("Stop2") && !enabled("Einzelschritt1"));  // no debugger, no single step
    r.window->Stop2Click();
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Erdgeschoss [Ausführung gestoppt]"));
    QVERIFY(!r.window->timerOn(Timer::executionClock) && enabled("Start2") && !enabled("Stop2") &&
            !enabled("Abbruch1"));
    r.window->Start2Click();
    QVERIFY(r.window->timerOn(Timer::executionClock));
    r.window->resize(700, 500);
    r.ticks(1);
    r.action(QStringLiteral("Licht im Flur"));  // a special object listed by its voice name
    r.ticks(1);
    QCOMPARE(r.text("Flurlicht"), std::string("an"));
    r.window->Ende1Click();
    QVERIFY(r.window->isVisible());
    r.ticks(1);
    QVERIFY(!r.window->isVisible() && !r.window->timerOn(Timer::radioSupervision));
    QCOMPARE(r.project.ExeWinPos.width, 700);
  }

  void theVisualisationCyclesWithoutStopMessageListsOrDebugger() {
    ExecutionWindowOptions options;
    options.visualisation = options.hardwareControl = options.trace = true;
    DemoRun r({}, options);
    QVERIFY(r.ok);
    QVERIFY(r.window->timerOn(Timer::visualisationCycle) && !r.window->timerOn(Timer::executionClock));
    QVERIFY(!r.window->menuAction(QStringLiteral("Stop2"))->isEnabled() &&
            !r.window->menuAction(QStringLiteral("Meldungslisten"))->isVisible());
    QCOMPARE(r.window->debugDialog(), nullptr);
  }

  // The status line, a time-out in the caption and the message lists show what the run reports;
  // a run-time error the user cancels ends the run and asks for the editor at its object.
  void statusTimeOutsAndACancelledRunTimeErrorReachTheScreen() {
    DemoRun r([](Project& p) {
      withHelper("Flut", std::vector<std::string>(256, "AUSFUEHRUNG(Besucher)"))(p);
      withHelper("Panne", {"STARTWIN(Panne)"})(p);
    });
    QVERIFY(r.ok);
    for (TPSObj& o : r.project.objects) o.hardware.deviceCode = 0;
    r.project.objects[static_cast<std::size_t>(r.index("Flurlicht"))].hardware.deviceCode = 551;
    r.ticks(1);
    r.action(QStringLiteral("Flut"));
    r.ticks(1);
    QCOMPARE(r.window->statusPanel()->text(), QStringLiteral("Überlauf der Ausführungswarteschlange"));
    r.clock.advanceMs(58 * 60 * 1000);
    r.window->Timer4Timer();
    QVERIFY(r.window->windowTitle().endsWith(QStringLiteral(" Zeitüberschreitung bei Licht Flur")));
    r.window->MeldungslistenClick();
    TMsgListF* list = r.window->messageListWindow();
    QCOMPARE(list->MsgAuswCB->currentText(), QStringLiteral("Zeitüberschreitungen"));
    QCOMPARE(list->ListBox1->count(), 1);
    QVERIFY(list->ListBox1->item(0)->text().startsWith(QStringLiteral("Licht Flur, letzte Meldung von AktorFlur: ")));
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Erdgeschoss [Ausführung aktiv]"));
    list->MsgAuswCB->setCurrentIndex(1);
    QCOMPARE(list->ListBox1->count(), 0);

    r.ui.answers = {MessageAnswer::Cancel};
    r.action(QStringLiteral("Panne"));
    r.ticks(2);
    QVERIFY(!r.window->isVisible());
    const auto request = r.window->editorRequest();
    QVERIFY(request.has_value());
    QCOMPARE(request->object, r.index("Panne"));
    QCOMPARE(request->errorCode, -2013);
    QCOMPARE(request->page, EditorPage::Program);
  }

  void theMainWindowsHookRunsTheWindowModallyAndRestoresTheBitmaps() {
    test::GuiWorkspace g;
    const std::string dir = demoDir().toStdString();
    QCOMPARE(readProject(g.workspace.project, dir + "DEMO.SPG", dir, g.ui), ReadStatus::Complete);
    g.workspace.settings().DIRBMP = dir + "BMP/";
    const TPSObj& lamp =
        g.workspace.project.objects[static_cast<std::size_t>(findObject(g.workspace.project, "Flurlicht"))];
    const std::size_t ownBitmaps = lamp.stateBitmaps.size();
    installExecutionWindow(g.context, nullptr);
    ExecutionRequest request;
    request.compiled = compile(g.workspace.project, g.workspace.project.constants, CompileMode::Run);
    bool sawRun = false;
    // The window runs on its own timers; after a moment "Abbruch" ends it.
    QTimer::singleShot(400, [&] {
      auto* window = qobject_cast<TIntRunF*>(QApplication::activeModalWidget());
      if (!window) return;
      sawRun =
          window->timerOn(Timer::executionClock) && lamp.stateBitmaps.size() > ownBitmaps;  // lent the type's bitmaps
      window->Abbruch1Click();
    });
    QVERIFY(!g.context.openExecutionWindow(request).has_value());
    QVERIFY(sawRun);
    QCOMPARE(lamp.stateBitmaps.size(), ownBitmaps);  // for the run only
    QCOMPARE(g.workspace.project.ExeWinPos.width, 640);
  }

  // Against the simulated unit: the door contact the scenario opens shows on the screen, a click
  // on the hall light sends its output frame, which the station keeps, and a room controller's
  // mark report draws the mark over its element on the garden view. (A visualisation on the unit
  // is unit_visualisation_test's.)
  void aRunWithTheHardwareShowsTheStationsAndSwitchesThem() {
    ExecutionWindowOptions options;
    options.hardwareControl = true;
    const auto withRoomController = [](Project& p) {
      TPSContr& sensor = p.stations[3];  // FuehlerGarten, 33.0.0
      sensor.CKind = "FHT8b Raumregler";
      sensor.CKindi = 301;
      sensor.CPAdrA = 2;
      p.objects[static_cast<std::size_t>(findObject(p, "Aussentemperatur"))].SndDev = "FuehlerGarten";
    };
    DemoRun r(withRoomController, std::move(options),
              "wired 10 MXB2\nradio 33.0 301\nat 00:00:02 10 input 1\nat 00:00:05 33.0 sends 0xC4\n");
    QVERIFY(r.ok && r.sim->ok);
    TPSImage* window = r.window->imageElement(r.index("FensterKueche"));
    r.ticks(2);
    QCOMPARE(window->bitmap().toImage(), r.pictureOf("BMP/FENSTER_ZU.BMP"));
    r.clock.advanceMs(2000);  // the station reports the kitchen window's contact open
    r.ticks(2);
    QCOMPARE(r.text("FensterKueche"), std::string("offen"));
    QCOMPARE(window->bitmap().toImage(), r.pictureOf("BMP/FENSTER_OFFEN.BMP"));
    const auto& station = r.sim->unit.stations().state(0);  // address 10
    QCOMPARE(station.receivedCount, std::size_t{0});
    QTest::mouseClick(r.window->imageElement(r.index("Flurlicht")), Qt::LeftButton);
    r.ticks(2);
    QCOMPARE(station.received, (std::deque<std::vector<std::uint8_t>>{{2, 1}}));  // channel 2 on

    r.window->AnsichtClick();
    r.answer(QStringLiteral("Garten"));
    QVERIFY(!r.window->findChild<QWidget*>(QStringLiteral("marker")));
    r.clock.advanceMs(3000);
    r.ticks(2);
    const QWidget* mark = test::child<QWidget>(r.window.get(), "marker");
    QVERIFY(mark->isVisible());
    QCOMPARE(mark->geometry().topRight(), r.window->element(r.index("Aussentemperatur"))->geometry().topRight());
  }

  // The page "Steuereinheit" lends a run its line: the built-in unit starts the scenario beside
  // the project, a bad one is told with its line and left out, and the line is the run's alone
  // until the run lets it go.
  void thePageLendsTheLineWithTheScenarioBesideTheProject() {
    test::GuiWorkspace g;
    test::TempDir dir;
    g.workspace.fileName = dir.file("HAUS.SPG");
    ControlUnitPage page(g.context, nullptr);
    ManualClock clock;
    page.setLineClock(clock, [&clock] { clock.advanceMs(1); });
    page.refresh();  // no port chosen yet: the simulator
    test::writeFile(dir.file("HAUS.scenario"), "wired 10 MXB2\n");
    {
      const std::shared_ptr<StationLink> link = g.context.openRunLine();
      QVERIFY(link != nullptr);
      QCOMPARE(g.context.openRunLine(), nullptr);  // held by the run
      QVERIFY(!g.context.checkUnit(kCheckUnitAsk));
    }
    QVERIFY(g.ui.messageTexts().empty());
    test::writeFile(dir.file("HAUS.scenario"), "wired 10 MXB2\nat 1:00 10 silent\n");
    QVERIFY(g.context.openRunLine() != nullptr);  // released: the next run has it
    // The message's wording is run_commands_test's.
    QCOMPARE(g.ui.messages.size(), std::size_t{1});
    QVERIFY(page.builtInUnit().dumpText().find("device 10") == std::string::npos);
  }

  // ---- the debugger's dialog
  // Two numbers count on every tick; the trace list limits the stops to B. Each stop is answered
  // by the next scripted step, which may act on the dialog and names the button that closes it.
  // At the first stop "Inhalt" on B adds its watch line; an entry for A made meanwhile waits for
  // the end of the tick. "Schritt" stops
  // at B's next line, which gets a breakpoint; "Ausführen" runs on to it in the next tick,
  // "Löschen" takes the watch line away and "Abbruch" ends the run.
  void theDialogStopsWatchesSetsBreakpointsAndEnds() {
    test::RunWindow t;
    t.project.views = {{"Haus", {}}};
    t.project.objects = {test::programObject("A", "Zahl", "0", {"A:=1", "A:=A+1"}, 1),
                         test::programObject("B", "Zahl", "0", {"B:=5", "B:=B+1"}, 1)};
    ExecutionWindowOptions options;
    options.trace = true;
    options.traceList = {"b"};
    QVERIFY(t.open(std::move(options)));
    TDebugF* dialog = t.window->debugDialog();
    std::deque<std::function<QPushButton*(TDebugF&)>> script;
    QStringList stops;               // caption and the selected text of the program memo
    std::vector<QStringList> watch;  // the watch list as each stop closed
    QObject::connect(dialog, &TDebugF::stopped, dialog, [&] {
      stops << dialog->Panel1->text() + QStringLiteral(": ") + dialog->DebugMBox->textCursor().selectedText();
      // The dialog waits in its own loop: answer from there.
      QTimer::singleShot(0, dialog, [&] {
        if (script.empty()) {
          dialog->EndBtn->click();  // a script that ran out ends the run rather than hang
          return;
        }
        QPushButton* button = script.front()(*dialog);
        script.pop_front();
        watch.push_back(test::itemTexts(dialog->DebVarLBox));
        button->click();
      });
    });
    t.ticks(1);
    QVERIFY(stops.empty());  // no stop before single-stepping is switched on
    t.window->menuAction(QStringLiteral("Einzelschritt1"))->trigger();
    std::string duringRun;
    script.push_back([&](TDebugF& d) {
      QTextCursor cursor = d.DebugMBox->textCursor();
      cursor.setPosition(1);
      cursor.setPosition(2, QTextCursor::KeepAnchor);  // "B"
      d.DebugMBox->setTextCursor(cursor);
      d.DebVarBtn->click();
      // For a look at the dialog (scripts/screenshots.sh): KELVARO_SCREENSHOT_DIR=/some/dir.
      if (const QString shots = qEnvironmentVariable("KELVARO_SCREENSHOT_DIR"); !shots.isEmpty())
        d.grab().save(shots + QStringLiteral("/debug_dialog.png"));
      t.window->session().openInputFor(0);
      TEingabeF* input = t.window->inputDialog();
      input->open(*t.window->session().input(), QPoint(0, 0));
      input->Edit1->setText(QStringLiteral("42"));
      input->OKBtn->click();
      QCoreApplication::sendPostedEvents(t.window.get());
      duringRun = t.text(0);
      return d.StepBtn;
    });
    script.push_back([](TDebugF& d) { return d.BrkPtBtn; });  // the caret is on the line shown
    script.push_back([](TDebugF& d) { return d.RunBtn; });    // shown again after the toggle: run on
    script.push_back([](TDebugF& d) {
      d.DebVarLBox->setCurrentRow(0);
      d.DelBarBtn->click();
      return d.EndBtn;
    });
    t.ticks(1);
    // Had the entry been applied at once, A's own program would have overwritten it.
    QCOMPARE(duringRun, std::string("2"));
    QCOMPARE(t.text(0), std::string("42"));
    t.ticks(2);  // "Abbruch" takes effect at the next tick
    QCOMPARE(stops, (QStringList{"B (Zahl): -B:=5", "B (Zahl): -B:=B+1", "B (Zahl): >B:=B+1", "B (Zahl): >B:=B+1"}));
    const QStringList five{"B.B:           5 (Integer)"};
    QCOMPARE(watch, (std::vector<QStringList>{{"B.B:           6 (Integer)"}, five, five, {}}));
    QVERIFY(!t.window->isVisible());
  }
};

QTEST_MAIN(ExecutionWindowTest)
#include "execution_window_test.moc"
