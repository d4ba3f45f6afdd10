// The demo installation on the built-in simulated unit, as a user reaches it: "Übertragung
// starten" on the page "Steuereinheit" puts the program into the unit, and the visualisation
// over the same page's line then shows the unit running it: the terrace push-button's press
// from the scenario beside the project, the garden light the unit's program switches for it,
// and a click in the window that reaches the unit's program and, through it, a station.
#include "gui_test_support.h"

#include <memory>

#include "control_unit.h"
#include "elements/ps_elements.h"
#include "pages/control_unit_page.h"
#include "storage/project_file.h"
#include "time/clock.h"

using namespace kelvaro;
using namespace kelvaro::gui;

class UnitVisualisationTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { test::useSmallScreen(); }

 private Q_SLOTS:
  void theTransferredDemoRunsOnTheUnitAndTheWindowShowsIt() {
    const std::string dir = KELVARO_SOURCE_DIR "/examples/demo/";
    test::GuiWorkspace g;
    QCOMPARE(readProject(g.workspace.project, dir + "DEMO.SPG", dir, g.ui), ReadStatus::Complete);
    g.workspace.fileName = dir + "DEMO.SPG";  // its scenario lies beside it
    g.workspace.settings().DIRBMP = dir + "BMP/";
    ManualClock clock{*encodeDate(2026, 1, 8) + *encodeTime(12, 0, 0)};
    ControlUnitPage page(g.context, nullptr);
    page.setLineClock(clock, [&clock] { clock.advanceMs(1); });
    page.refresh();  // no port chosen: the built-in unit
    test::child<QPushButton>(&page, "StSndPlanBtn")->click();
    sim::ControlUnit& unit = page.builtInUnit();
    QVERIFY2(unit.firmware.running(), unit.firmware.log.empty() ? "" : unit.firmware.log.back().c_str());

    // "&Visualisierung": the symbols only, and the window on the page's line.
    CompileOutput compiled = compile(g.workspace.project, g.workspace.project.constants, CompileMode::SymbolsOnly);
    QCOMPARE(compiled.result.code, 0);
    const std::shared_ptr<StationLink> line = g.context.openRunLine();
    QVERIFY(line != nullptr);
    ExecutionWindowOptions options;
    options.visualisation = options.hardwareControl = true;
    options.autoTimers = false;
    options.link = line.get();
    options.bitmapDirectory = dir + "BMP/";
    TIntRunF window(g.workspace.project, compiled, clock, g.ui, std::move(options));
    window.show();
    window.Timer1Timer();
    const Project& project = g.workspace.project;
    auto shown = [&](const char* name) { return toUtf8(window.session().shownText(findObject(project, name))); };
    auto run = [&](int ms) {
      for (int t = 0; t < ms; t += 10) {
        clock.advanceMs(10);
        window.Timer2Timer();
      }
    };
    run(20'000);
    QCOMPARE(shown("TasterTerrasse"), std::string("aus"));
    QCOMPARE(shown("Gartenlicht"), std::string("aus"));
    // The scenario presses the push-button half a minute in: the unit hears it, its program
    // switches the garden light, and the window shows both.
    run(15'000);
    QCOMPARE(shown("TasterTerrasse"), std::string("an"));
    QCOMPARE(shown("Gartenlicht"), std::string("an"));

    // A click on the hall light goes to the unit, whose program switches the station's relay.
    QCOMPARE(shown("Flurlicht"), std::string("aus"));
    const std::size_t before = unit.stations().state(0).receivedCount;
    QTest::mouseClick(window.imageElement(findObject(project, "Flurlicht")), Qt::LeftButton);
    run(1'000);
    QCOMPARE(shown("Flurlicht"), std::string("an"));
    QCOMPARE(unit.stations().state(0).receivedCount, before + 1);
    const std::vector<std::uint8_t> relay{2, 1};  // channel 2 on
    QCOMPARE(unit.stations().state(0).received.back(), relay);

    // For the README (scripts/screenshots.sh): KELVARO_SCREENSHOT_DIR=/some/dir.
    if (const QString shots = qEnvironmentVariable("KELVARO_SCREENSHOT_DIR"); !shots.isEmpty())
      window.grab().save(shots + QStringLiteral("/unit_visualisation.png"));
  }
};

QTEST_MAIN(UnitVisualisationTest)
#include "unit_visualisation_test.moc"
