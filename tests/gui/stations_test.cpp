// The page "E/A-Module", the station dialog, the station test and the radio-interface dialog
// driven through their controls against the built-in simulated unit in virtual time, on a
// 1024 x 768 screen that each dialog fits. What the
// rules and the line sequences do is station_rules_test's and station_commands_test's; here
// the controls reach them and their results reach the memo, the lists and the fields.
#include "control_unit.h"
#include "gui_test_support.h"

#include <functional>
#include <utility>
#include "pages/control_unit_page.h"
#include "pages/stations_page.h"
#include "scenario.h"
#include "stations/radio_interface_dialog.h"
#include "stations/station_dialog.h"
#include "app/station_layout.h"
#include "stations/station_test_dialog.h"
#include "stations/unit_line.h"
#include "support/project_builder.h"
#include "time/clock.h"

using kelvaro::test::child;
using kelvaro::test::itemTexts;

namespace {

// The page "E/A-Module" beside the page "Steuereinheit", whose COM1 is the built-in simulated
// unit with a 40611x at address 12 that measures 215 on channel 1 after a minute (a message
// that came during an identification would spoil it).
struct Stations : kelvaro::test::GuiWorkspace {
  kelvaro::ManualClock clock{46000.5};
  kelvaro::gui::ControlUnitPage unitPage{context, nullptr};
  kelvaro::gui::StationsPage page{context, nullptr};
  QStringList helpTopics;

  // more: further scenario lines for the unit.
  explicit Stations(const char* more = "") {
    workspace.ini.writeString("PORTS", "COM1", "SIM");
    workspace.settings().COMPORT = 0;
    workspace.settings().CONTR = 3;
    unitPage.setLineClock(clock, [this] { clock.advanceMs(1); });
    unitPage.refresh();
    unitPage.builtInUnit().setScenario(
        kelvaro::sim::loadScenario(std::string("wired 12 40611x\nat 00:01:00 12 value 215 channel 1\n") + more)
            .scenario,
        clock.monotonicMs());
    context.showHelp = [this](const QString& topic) { helpTopics << topic; };
    kelvaro::Project& p = workspace.project;
    p.objects = {kelvaro::test::lampObject("Flur")};
    p.stations = {kelvaro::createStation("Sensorik")};
    kelvaro::setStationType(p.stations[0], *kelvaro::stationType(21));
    p.stations[0].CPAdr[0] = 12;
    page.refresh();
  }
  void click(const char* name) { child<QPushButton>(&page, name)->click(); }
  QStringList memo() { return child<QPlainTextEdit>(&page, "SStDetectMB")->toPlainText().split(QLatin1Char('\n')); }
  QListWidget* list() { return child<QListWidget>(&page, "ContrBox"); }
  // The station dialog the page opened, on the line or not.
  kelvaro::gui::TCConfigF* dialog(const char* button) {
    click(button);
    auto* d = page.findChild<kelvaro::gui::TCConfigF*>();
    if (d == nullptr) qFatal("no station dialog");
    return d;
  }
};

}  // namespace

class StationsTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { kelvaro::test::useSmallScreen(); }

 private Q_SLOTS:
  // New, rename and delete edit the list (delete asks with "Nein" first); commands without a
  // selection say so; the line commands and the station rules fill the memo.
  void pageButtonsReachTheirCommands() {
    Stations f;
    f.ui.inputs = {"Keller", "keller", "Garage"};
    f.click("NeuContrBtn");
    f.click("NeuContrBtn");
    QCOMPARE(itemTexts(f.list()), (QStringList{"Sensorik", "Keller"}));
    QCOMPARE(f.workspace.project.stations[1].CPAdr[0], 4);  // the next free address
    f.click("RenContrBtn");
    QCOMPARE(itemTexts(f.list()), (QStringList{"Sensorik", "Garage"}));
    f.ui.answers = {kelvaro::MessageAnswer::No, kelvaro::MessageAnswer::Yes};
    f.click("LoeschContrBtn");
    f.click("LoeschContrBtn");
    QCOMPARE(itemTexts(f.list()), QStringList{"Sensorik"});
    QCOMPARE(f.ui.messages[1].defaultAnswer, std::optional(kelvaro::MessageAnswer::No));
    QVERIFY(f.workspace.project.modified);
    f.list()->setCurrentRow(-1);
    for (const char* name : {"LoeschContrBtn", "EditContrBtn", "RenContrBtn", "VerbindBtn"}) f.click(name);
    QCOMPARE(f.ui.messageTexts(),
             (std::vector<std::string>{
                 "Es gibt schon eine Station mit diesem Namen", "Soll die Station wirklich gelöscht werden?",
                 "Soll die Station wirklich gelöscht werden?", "Keine Station ausgewählt", "Keine Station ausgewählt",
                 "Keine Station ausgewählt", "Keine Station ausgewählt"}));

    f.click("AutoDetectBtn");
    QCOMPARE(f.memo(), (QStringList{"Autodetect:", "Ltg.   Adr.   Art", "   1       12   40611x"}));
    f.click("AllCheckBtn");
    QCOMPARE(f.memo(), (QStringList{"Protokoll Prüfung:", "Signalstation Sensorik ist OK"}));
    f.click("AllConfBtn");
    QCOMPARE(f.memo().first(), QStringLiteral("Protokoll Konfiguration:"));
    f.click("BatteryBtn");
    QCOMPARE(f.memo(), QStringList{"Keine Batteriewarnungen vorhanden"});
    f.click("GrpAdrBtn");
    QCOMPARE(f.memo(), QStringList{"Adressen für Schaltgruppen:"});
  }

  // Opened without the line, the dialog edits the project only; the channel panel's OK
  // stores through the station rules (a refused group address stores nothing) and the list
  // shows the new name; F1 asks for its help.
  void channelPanelStoresAndTheListShowsIt() {
    Stations f;
    kelvaro::gui::TCConfigF* d = f.dialog("EditContrBtn");
    QVERIFY(!child<QPushButton>(d, "CCfgReadBtn")->isEnabled());
    auto* channels = child<QListWidget>(d, "DevLB");
    QCOMPARE(channels->count(), 4);
    channels->setCurrentRow(2);  // slot 5, an output
    child<QPushButton>(d, "EditDevBtn")->click();
    QVERIFY(!child<QGroupBox>(d, "CfgPnl")->isHidden());
    QCOMPARE(kelvaro::test::outOfReach(d, {child<QPushButton>(d, "CloseBtn"), child<QPushButton>(d, "AnsOKBtn")}),
             QString());
    child<QLineEdit>(d, "CEBez")->setText(QStringLiteral("AktorFlur"));
    auto* objects = child<QComboBox>(d, "ObjCB");
    objects->setCurrentIndex(objects->findText(QStringLiteral("Flur")));
    child<QSpinBox>(d, "CESBox1")->setValue(3);
    child<QSpinBox>(d, "CESBox2")->setValue(1);
    child<QCheckBox>(d, "CECkBox")->setChecked(true);
    child<QPushButton>(d, "AnsOKBtn")->click();
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>{"Gruppenadressen müssen zwischen 4 und 254 liegen"});
    QVERIFY(f.workspace.project.stations[0].slots[4].CNam.empty());
    child<QSpinBox>(d, "CESBox1")->setValue(4);
    child<QPushButton>(d, "AnsOKBtn")->click();
    const kelvaro::DeviceSlot& slot = f.workspace.project.stations[0].slots[4];
    QCOMPARE(slot.CNam, "AktorFlur");
    QCOMPARE(slot.adr[0], 4);
    QCOMPARE(slot.COfflB, 'X');
    const kelvaro::TPSObj& flur = f.workspace.project.objects[0];
    QVERIFY(flur.SndDev == "AktorFlur" || flur.RcvDev == "AktorFlur");
    QCOMPARE(channels->item(2)->text(), QStringLiteral("5  Ausgang  AktorFlur"));
    QVERIFY(child<QGroupBox>(d, "CfgPnl")->isHidden());
    d->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d));
    QTest::keyClick(d, Qt::Key_F1);
    QCOMPARE(f.helpTopics, QStringList{"EAKonfig"});
  }

  // The radio address field shows the device's address bytes in its type's form and takes an
  // entry of that form back into them; a wrong form is refused with its message and the field
  // shows the address as it was (the forms themselves are tested with the station rules).
  void radioAddressFieldShowsAndTakesTheTypesForm() {
    Stations f;
    kelvaro::TPSContr& s = f.workspace.project.stations[0];
    kelvaro::setStationType(s, *kelvaro::stationType(301));
    s.CPAdr = {1, 2, 3, 0};
    auto* field = child<QLineEdit>(f.dialog("EditContrBtn"), "AdrEdt");
    auto enter = [&](const char* text) {
      field->setText(QString::fromUtf8(text));
      Q_EMIT field->editingFinished();
      return QStringLiteral("%1.%2.%3").arg(s.CPAdr[0]).arg(s.CPAdr[1]).arg(s.CPAdr[2]);
    };
    QCOMPARE(field->text(), QStringLiteral("0102-03"));
    QCOMPARE(enter("4001-256"), QStringLiteral("1.2.3"));
    QCOMPARE(f.ui.messageTexts(),
             std::vector<std::string>{"Adresse ungültig - Das Format für dieses Gerät ist 9999-99"});
    QCOMPARE(field->text(), QStringLiteral("0102-03"));
    QCOMPARE(enter("4001-07"), QStringLiteral("40.1.7"));
    QCOMPARE(field->text(), QStringLiteral("4001-07"));
  }

  // On the line the dialog puts the unit into configuration mode, a read brings the station's
  // settings and version, marking the project, "&Adressen" waits, under its wait window, for the
  // station's button and gives the station the new address, which the address field then shows,
  // the test's timer shows the sensor's value, and closing gives the line back.
  void onTheLineReadAddressAndTestReachTheStation() {
    Stations f("at 00:00:05 12 button\n");
    std::function<void()> duringWait;
    bool waitShown = false;
    f.unitPage.setLineClock(f.clock, [&f, &duringWait, &waitShown] {
      f.clock.advanceMs(1);
      const auto* wait = f.page.findChild<QProgressDialog*>(QStringLiteral("WaitDlg"));
      waitShown = waitShown || (wait != nullptr && wait->isVisible());
      if (duringWait) std::exchange(duringWait, nullptr)();
    });
    kelvaro::gui::TCConfigF* d = f.dialog("VerbindBtn");
    QVERIFY(d->connected() && f.unitPage.builtInUnit().configurationMode);
    QVERIFY(!f.workspace.project.modified);
    child<QPushButton>(d, "CCfgReadBtn")->click();
    QCOMPARE(child<QLabel>(d, "ACDEVers")->text(), QStringLiteral("1.20"));
    QCOMPARE(f.workspace.project.stations[0].slots[0].CCon, 1);  // the station's group port
    QVERIFY(f.workspace.project.modified);

    child<QSpinBox>(d, "NewAdrBox")->setValue(20);
    child<QPushButton>(d, "NewSiSBtn")->click();
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>{"Adresse 20 vergeben an Sensorik"});
    QCOMPARE(child<QSpinBox>(d, "StAdrSBox")->value(), 20);
    QCOMPARE(f.workspace.project.stations[0].CPAdr[0], 20);
    const auto* wait = d->findChild<QProgressDialog*>(QStringLiteral("WaitDlg"));
    QVERIFY(waitShown && (wait == nullptr || wait->isHidden()));

    // "Schließen" while a read waits stops the read, not the dialog that holds its line.
    duringWait = [d] { d->reject(); };
    child<QPushButton>(d, "CCfgReadBtn")->click();
    QVERIFY(d->isVisible() && d->connected());
    child<QPushButton>(d, "TestBtn")->click();
    auto* test = d->findChild<kelvaro::gui::TChkStatF*>();
    QVERIFY(test != nullptr && test->receiveTimer()->isActive() && test->receiveTimer()->interval() == 10);
    QCOMPARE(test->windowTitle(), QStringLiteral("Signalstation Sensorik testen"));
    QCOMPARE(kelvaro::test::outOfReach(test, {child<QPushButton>(test, "CoErQueryBtn")}), QString());
    test->receiveTimer()->stop();  // the test ticks it in virtual time
    f.clock.advanceMs(61000);
    child<QPushButton>(test, "SensTestBtn")->click();
    auto* value = child<QLineEdit>(test, "Wert1");
    for (int i = 0; i < 200 && value->text().isEmpty(); ++i) {
      f.clock.advanceMs(10);
      test->receiveTick();
    }
    QCOMPARE(value->text(), QStringLiteral("215"));
    d->reject();
    QVERIFY(!f.unitPage.builtInUnit().configurationMode);
    QVERIFY(f.context.openUnitLine(f.ui) != nullptr);  // the line is free again
  }

  // "Einstellungen &Funkschnittstelle" without a unit says so and gives the line back; on a
  // CU/F-A2 it shows the code it read and writes a new code, which the unit holds; a double click
  // on the code's label sends the hidden command (the fields' texts are station_commands_test's).
  void radioDialogReadsAndWritesTheCentralCode() {
    Stations f;
    f.unitPage.builtInUnit().config().faults.silent = true;
    child<QPushButton>(&f.unitPage, "InterfaceEinstBtn")->click();
    auto* silent = f.unitPage.findChild<kelvaro::gui::TInterfEinstF*>();
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>{"Keine Steuereinheit gefunden an Port COM1"});
    QVERIFY(!child<QPushButton>(silent, "ZentrCodeWriteBtn")->isEnabled());
    QVERIFY(f.context.openUnitLine(f.ui) != nullptr);  // given back at once
    delete silent;
    f.unitPage.builtInUnit().config().faults.silent = false;
    f.unitPage.builtInUnit().config().replyCode = 15;
    f.unitPage.builtInUnit().centralCode = 7;
    child<QPushButton>(&f.unitPage, "InterfaceEinstBtn")->click();
    auto* d = f.unitPage.findChild<kelvaro::gui::TInterfEinstF*>();
    QVERIFY(d != nullptr && f.unitPage.builtInUnit().configurationMode);
    QCOMPARE(child<QSpinBox>(d, "ZentrCodeEdt")->value(), 7);
    QCOMPARE(kelvaro::test::outOfReach(d, {child<QPushButton>(d, "CloseBtn")}), QString());
    child<QSpinBox>(d, "ZentrCodeEdt")->setValue(100);
    child<QPushButton>(d, "ZentrCodeWriteBtn")->click();
    QCOMPARE(f.unitPage.builtInUnit().centralCode, 100);
    d->show();
    QVERIFY(QTest::qWaitForWindowExposed(d));
    QTest::mouseDClick(child<QLabel>(d, "ZentrCodeLb"), Qt::LeftButton);
    QCOMPARE(f.unitPage.builtInUnit().hiddenCommands, 1);
    child<QPushButton>(d, "CloseBtn")->click();
    QVERIFY(!f.unitPage.builtInUnit().configurationMode);
  }
};

QTEST_MAIN(StationsTest)
#include "stations_test.moc"
