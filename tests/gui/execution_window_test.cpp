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

#include "elements/ps_elements.h"
#include "main_context.h"
#include "run/execution_start.h"
#include "run/input_dialog.h"
#include "run/message_list_window.h"
#include "run_window_fixture.h"
#include "storage/project_file.h"
#include "support/project_builder.h"

using namespace kelvaro;
using namespace kelvaro::gui;

namespace {

// The build names the source tree, so the demo is found wherever the test runs from.
QString demoDir() { return QStringLiteral(KELVARO_SOURCE_DIR "/examples/demo/"); }

// A number that an "A&ktion" menu item starts.
TPSObj helper(const char* name, std::vector<std::string> lines) {
  TPSObj o = test::programObject(name, "Zahl", "0", std::move(lines));
  o.SpecSt = true;
  return o;
}

// The demo project, with the objects given added, in the execution window.
struct DemoRun : test::RunWindow {
  bool ok = false;

  explicit DemoRun(std::vector<TPSObj> extra = {}, ExecutionWindowOptions options = {}) {
    const std::string dir = demoDir().toStdString();
    if (readProject(project, dir + "DEMO.SPG", dir, ui) != ReadStatus::Complete) return;
    for (auto& o : extra) project.objects.push_back(std::move(o));
    options.bitmapDirectory = dir + "BMP/";
    ok = open(std::move(options));
  }
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

 private Q_SLOTS:
  void opensOnTheFirstViewAndAClickShowsTheNewState() {
    DemoRun r;
    QVERIFY(r.ok);
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Erdgeschoss"));
    QVERIFY(r.window->backgroundShown());
    const int lamp = r.index("Flurlicht");
    TPSImage* image = r.window->imageElement(lamp);
    QCOMPARE(image->geometry(), QRect(340, 190, 48, 48));
    QCOMPARE(image->bitmap().toImage(), r.pictureOf("BMP/LAMPE_AUS.BMP"));
    QCOMPARE(r.window->buttonElement(r.index("Klingel"))->text(), QStringLiteral("Klingel"));
    QCOMPARE(r.window->element(r.index("Gartentor")), nullptr);  // on the other view only
    r.ticks(1);                                                  // *INIT writes the greeting
    QCOMPARE(r.window->panelElement(r.index("Anzeige"))->valueText(), QStringLiteral("Willkommen"));
    QTest::mouseClick(image, Qt::LeftButton);
    r.ticks(1);
    QCOMPARE(image->bitmap().toImage(), r.pictureOf("BMP/LAMPE_AN.BMP"));
    // A right press shows the object's name until released.
    QTest::mousePress(image, Qt::RightButton);
    QCOMPARE(r.window->namePanel()->text(), QStringLiteral(" Licht Flur "));
    QCOMPARE(r.window->namePanel()->pos(), image->pos());
    QTest::mouseRelease(image, Qt::RightButton);
    QVERIFY(!r.window->namePanel()->isVisible());
  }

  void theInputDialogSetsAValueAndChoosesTheView() {
    DemoRun r;
    QVERIFY(r.ok);
    r.ticks(1);
    TPSGauge* gauge = r.window->gaugeElement(r.index("Besucher"));
    QTest::mouseClick(gauge, Qt::LeftButton);
    QCOMPARE(r.window->inputDialog()->Label1->text(), QStringLiteral("Besucher heute"));
    r.answer(QStringLiteral("12"));
    QVERIFY(!r.window->inputDialog()->isVisible());
    r.ticks(1);
    QCOMPARE(gauge->value(), 12);

    r.window->AnsichtClick();
    QCOMPARE(r.window->inputDialog()->windowTitle(), QStringLiteral("Ansicht"));
    r.answer(QStringLiteral("Garten"));
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Garten"));
    QCOMPARE(r.window->element(r.index("Aussenlicht"))->pos(), QPoint(336, 112));
    QCOMPARE(r.window->element(r.index("Flurlicht")), nullptr);
  }

  void stopStartAndAbortSwitchMenusTimerAndCaption() {
    DemoRun r;
    QVERIFY(r.ok);
    auto enabled = [&](const char* name) { return r.window->menuAction(QLatin1String(name))->isEnabled(); };
    QVERIFY(r.window->timerOn(3) && !enabled("Start2") && enabled("Stop2") && enabled("Abbruch1"));
    QVERIFY(!enabled("Einzelschritt1"));  // without the debugger there is no single step
    r.window->Stop2Click();
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Erdgeschoss [Ausführung gestoppt]"));
    QVERIFY(!r.window->timerOn(3) && enabled("Start2") && !enabled("Stop2") && !enabled("Abbruch1"));
    r.window->Start2Click();
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Erdgeschoss"));
    QVERIFY(r.window->timerOn(3));
    r.window->Abbruch1Click();
    QVERIFY(!r.window->isVisible());
  }

  void theVisualisationCyclesWithoutStopMessageListsOrDebugger() {
    ExecutionWindowOptions options;
    options.visualisation = options.hardwareControl = options.trace = true;
    DemoRun r({}, options);
    QVERIFY(r.ok);
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Erdgeschoss [Visualisierung]"));
    QVERIFY(r.window->timerOn(2) && !r.window->timerOn(3));
    QVERIFY(!r.window->menuAction(QStringLiteral("Stop2"))->isEnabled());
    QVERIFY(!r.window->menuAction(QStringLiteral("Meldungslisten"))->isVisible());
    QCOMPARE(r.window->debugDialog(), nullptr);
  }

  void endClosesAtTheNextTickAfterAnActionItem() {
    DemoRun r;
    QVERIFY(r.ok);
    r.window->resize(700, 500);
    r.ticks(1);
    r.action(QStringLiteral("Licht im Flur"));  // a special object listed by its voice name
    r.ticks(1);
    QCOMPARE(r.text("Flurlicht"), std::string("an"));
    r.window->Ende1Click();
    QVERIFY(r.window->isVisible());
    r.ticks(1);
    QVERIFY(!r.window->isVisible() && !r.window->timerOn(3) && !r.window->timerOn(4));
    QCOMPARE(r.project.ExeWinPos.width, 700);
    QCOMPARE(r.project.ExeWinPos.height, 500);
  }

  void aCancelledRunTimeErrorAsksForTheEditorAtItsObject() {
    DemoRun r({helper("Panne", {"STARTWIN(Panne)"})});
    QVERIFY(r.ok);
    r.ui.answers = {MessageAnswer::Cancel};
    r.ticks(1);
    r.action(QStringLiteral("Panne"));
    r.ticks(2);
    QCOMPARE(r.ui.messages.size(), std::size_t{1});
    QVERIFY(!r.window->isVisible());
    const auto request = r.window->editorRequest();
    QVERIFY(request.has_value());
    QCOMPARE(request->object, r.index("Panne"));
    QCOMPARE(request->errorCode, -2013);
    QCOMPARE(request->page, EditorPage::Program);
  }

  void statusMessagesAndTimeOutsReachTheScreen() {
    DemoRun r({helper("Flut", std::vector<std::string>(256, "AUSFUEHRUNG(Besucher)"))});
    QVERIFY(r.ok);
    for (TPSObj& o : r.project.objects) o.hardware.deviceCode = 0;
    r.project.objects[static_cast<std::size_t>(r.index("Flurlicht"))].hardware.deviceCode = 551;
    r.ticks(1);
    r.action(QStringLiteral("Flut"));
    r.ticks(1);
    QCOMPARE(r.window->statusPanel()->text(), QStringLiteral("Überlauf der Ausführungswarteschlange"));
    r.clock.advanceMs(58 * 60 * 1000);
    r.ticks(1);
    QVERIFY(!r.window->statusPanel()->isVisible());
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
  }

  void theMainWindowsHookRunsTheWindowModallyAndRestoresTheBitmaps() {
    Workspace workspace;
    test::FakeUserInterface ui;
    const std::string dir = demoDir().toStdString();
    QCOMPARE(readProject(workspace.project, dir + "DEMO.SPG", dir, ui), ReadStatus::Complete);
    workspace.settings().DIRBMP = dir + "BMP/";
    const TPSObj& lamp =
        workspace.project.objects[static_cast<std::size_t>(findObject(workspace.project, "Flurlicht"))];
    const std::size_t ownBitmaps = lamp.stateBitmaps.size();
    MainContext context(workspace, ui);
    installExecutionWindow(context, nullptr);
    ExecutionRequest request;
    request.compiled = compile(workspace.project, workspace.project.constants, CompileMode::Run);
    bool sawRun = false;
    // The window runs on its own timers; after a moment "Abbruch" ends it.
    QTimer::singleShot(400, [&] {
      TIntRunF* window = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* candidate = qobject_cast<TIntRunF*>(w); candidate && candidate->isModal()) window = candidate;
      if (!window) return;
      sawRun = window->timerOn(3) && lamp.stateBitmaps.size() > ownBitmaps;  // lent the type's bitmaps
      window->Abbruch1Click();
    });
    QVERIFY(!context.openExecutionWindow(request).has_value());
    QVERIFY(sawRun);
    QCOMPARE(lamp.stateBitmaps.size(), ownBitmaps);  // for the run only
    QCOMPARE(workspace.project.ExeWinPos.width, 640);
  }
};

QTEST_MAIN(ExecutionWindowTest)
#include "execution_window_test.moc"
