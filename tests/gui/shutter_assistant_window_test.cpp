// The shutter assistant window wired to ShutterAssistant and the object editor: the lines it
// writes are shutter_assistant_test's; here each page's buttons reach the core, the lists show
// the result, "Fertigstellen" writes the time setter, and the tool bar of the main window opens it.
#include "assistants/shutter_assistant_window.h"
#include "gui_test_support.h"
#include "main_window.h"
#include "support/temp_dir.h"

using kelvaro::test::child;
using kelvaro::test::itemTexts;

namespace {

kelvaro::Project shutterProject() {
  kelvaro::Project p;
  p.types = {"Rolllade;1"};
  for (const char* s : {"oben", "unten"}) p.typeStates.push_back({std::string("Rolllade:") + s, std::nullopt});
  kelvaro::rebuildTypeNames(p);
  kelvaro::TPSContr station;
  station.CName = "Jalousie";
  station.CKind = "40612x";
  station.CPDevAnz = 1;
  station.slots[0].CDevArt = 2;
  station.slots[0].CNam = "Motor1";
  p.stations = {station};
  return p;
}

std::string program(const kelvaro::Project& p, const char* name) {
  std::string text;
  for (const auto& line : p.objects.at(static_cast<std::size_t>(kelvaro::findObject(p, name))).program)
    text += kelvaro::toUtf8(line) + "\n";
  return text;
}

}  // namespace

class ShutterAssistantWindowTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { kelvaro::test::useSmallScreen(); }

 private Q_SLOTS:
  void threePagesMakeShuttersAGroupAndItsTimes() {
    kelvaro::test::GuiWorkspace f;
    f.workspace.project = shutterProject();
    std::vector<std::string> edited;  // each opened object with its send device
    f.context.editObject = [&](const kelvaro::EditorRequest& r) {
      const auto& o = f.workspace.project.objects.at(static_cast<std::size_t>(r.object));
      edited.push_back(o.Name + "@" + o.SndDev);
      return true;
    };
    f.ui.inputs = {"Kueche", "Bad", "Dusche", "Wohnen"};
    kelvaro::gui::TRollAssiF window(f.context);
    window.askTimes = [](QWidget*) {
      return kelvaro::timeWindowResult(kelvaro::TimeWindowKind::Shutter, "07:30:00", "SU:  :  ", {});
    };
    window.show();

    child<QPushButton>(&window, "NeuRollBtn")->click();
    child<QPushButton>(&window, "NeuRollBtn")->click();
    QCOMPARE(edited, (std::vector<std::string>{"Kueche@Motor1", "Bad@"}));
    QCOMPARE(itemTexts(child<QListWidget>(&window, "RollLB")), (QStringList{"Kueche", "Bad"}));
    child<QPushButton>(&window, "BeaRollBtn")->click();  // the new "Bad" is the current one
    QCOMPARE(edited.back(), std::string("Bad@"));
    child<QPushButton>(&window, "RenameRollBtn")->click();
    QCOMPARE(itemTexts(child<QListWidget>(&window, "RollLB")), (QStringList{"Kueche", "Dusche"}));

    child<QPushButton>(&window, "Cont1Btn")->click();
    child<QPushButton>(&window, "NeuGrpBtn")->click();
    QCOMPARE(child<QComboBox>(&window, "RollGruppeCB")->currentText(), QStringLiteral("Wohnen"));
    child<QPushButton>(&window, "AllToGrpBtn")->click();
    auto* members = child<QListWidget>(&window, "RollGruppeLB");
    QCOMPARE(itemTexts(members), (QStringList{"Dusche", "Kueche"}));
    members->item(0)->setSelected(true);
    child<QPushButton>(&window, "OutGrpBtn")->click();
    QCOMPARE(itemTexts(members), (QStringList{"Kueche"}));
    child<QListWidget>(&window, "GrpRollLB")->item(1)->setSelected(true);
    child<QPushButton>(&window, "ToGrpBtn")->click();
    QCOMPARE(itemTexts(members), (QStringList{"Dusche", "Kueche"}));
    QCOMPARE(kelvaro::test::outOfReach(&window, {members, child<QPushButton>(&window, "Cont2Btn")}), QString());

    child<QPushButton>(&window, "Cont2Btn")->click();
    QCOMPARE(window.page(), 2);
    child<QPushButton>(&window, "TimeBt")->click();
    auto* statements = child<QListWidget>(&window, "AnwLB");
    const QStringList timeBlock{"**--/A6/--**Block mit 6 Anweisungen", "WENN Wohnen.RunterZeit=\"0\" DANN",
                                "  Wohnen.RunterZeit:=\"SU\"",          "ENDEWENN",
                                "WENN Wohnen.RaufZeit=\"0\" DANN",     "  Wohnen.RaufZeit:=\"07:30:00\"",
                                "ENDEWENN"};
    QCOMPARE(itemTexts(statements), timeBlock);
    QVERIFY(!child<QPushButton>(&window, "CrtBsZeiten")->isEnabled());
    // A click on a line inside the block marks the whole block.
    Q_EMIT statements->itemClicked(statements->item(2));
    QCOMPARE(statements->selectedItems().size(), 7);
    QVERIFY(child<QPushButton>(&window, "CrtBsZeiten")->isEnabled());

    child<QPushButton>(&window, "OkBtn")->click();
    QCOMPARE(window.result(), int(QDialog::Accepted));
    std::string expected;
    for (const QString& line : timeBlock) expected += "-&" + line.toStdString() + "\n";
    QVERIFY(program(f.workspace.project, "WohnenZeitStellen").starts_with(expected + "-&**--/A12/--**SUNSETS*"));
    QVERIFY(f.ui.messages.empty());
  }

  void theToolBarOpensItAndTheProjectCountsAsChanged() {
    kelvaro::test::TempDir dir;
    kelvaro::Workspace workspace;
    kelvaro::test::FakeUserInterface ui;
    workspace.settings().DIRDAT = dir.path().string() + "/";
    kelvaro::gui::TProDefsF main(workspace, ui);
    workspace.project = shutterProject();
    ui.inputs = {"Wohnen"};
    QString timeWindow;
    int statements = -1;
    kelvaro::test::onModal<kelvaro::gui::TRollAssiF>([&](kelvaro::gui::TRollAssiF* window) {
      child<QPushButton>(window, "Cont1Btn")->click();
      child<QPushButton>(window, "NeuGrpBtn")->click();
      child<QPushButton>(window, "Cont2Btn")->click();
      // "Zeiten für Gruppe" opens the shared time window for shutters; cancelled, it adds nothing.
      kelvaro::test::onModal<QDialog>([&](QDialog* times) {
        timeWindow = QLatin1String(times->metaObject()->className());
        for (const QLabel* label : times->findChildren<QLabel*>())
          if (label->buddy() == child<QWidget>(times, "TimeOn")) timeWindow += QLatin1Char(' ') + label->text();
        times->reject();
      });
      child<QPushButton>(window, "TimeBt")->click();
      statements = child<QListWidget>(window, "AnwLB")->count();
      window->reject();
    });
    child<QAction>(&main, "RolladenAct")->trigger();
    QVERIFY(workspace.project.modified);
    QVERIFY(kelvaro::findObject(workspace.project, "Wohnen") >= 0);
    QVERIFY(main.windowTitle().contains(QLatin1Char('*')));
    QCOMPARE(timeWindow, QStringLiteral("kelvaro::gui::TTimeInpF Rolladen rauf um"));
    QCOMPARE(statements, 0);
  }
};

QTEST_MAIN(ShutterAssistantWindowTest)
#include "shutter_assistant_window_test.moc"
