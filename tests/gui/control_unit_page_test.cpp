// The page "Steuereinheit": the model choice shows and hides the unit's groups, its buttons
// drive the built-in simulated unit (on COM1 by the PORTS section) in virtual time, and the
// line log it shares with the page "Einstellungen" follows both pages' switches.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "control_unit.h"
#include "gui_test_support.h"
#include "pages/control_unit_page.h"
#include "pages/settings_page.h"
#include "support/project_builder.h"
#include "time/clock.h"

namespace {

// A page on a workspace whose COM1 is the built-in simulator, waiting in virtual time.
struct PageFixture : kelvaro::test::GuiWorkspace {
  PageFixture() {
    workspace.ini.writeString("PORTS", "COM1", "SIM");
    workspace.settings().COMPORT = 0;
    workspace.settings().CONTR = 3;  // "CU-A2-3.20", what the simulator is by default
    workspace.settings().projectNameLabel = "HAUS";
    workspace.project.typeStates = {{"Lampe:aus", {}}, {"Lampe:an", {}}};
    workspace.project.objects = {kelvaro::test::lampObject("Flur"), kelvaro::test::lampObject("Kueche")};
    page.setLineClock(clock, [this] { clock.advanceMs(1); });
    page.refresh();
  }
  template <class T>
  T* child(const char* name) {
    return kelvaro::test::child<T>(&page, name);
  }

  kelvaro::ManualClock clock{46000.5};
  kelvaro::gui::ControlUnitPage page{context, nullptr};
};

}  // namespace

class ControlUnitPageTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // Which model shows what is unit_page_commands_test's; here the choice reaches the groups.
  void modelChoiceShowsAndHidesTheGroups() {
    PageFixture f;
    auto* model = f.child<QComboBox>("ConvertCoB");
    QCOMPARE(model->currentText(), QStringLiteral("CU-A2-3.20"));
    for (const char* name : {"RFI-RS1", "CU-A2-3.20"}) {
      const bool shown = QByteArray(name) != "RFI-RS1";
      const int index = model->findText(QString::fromLatin1(name));
      model->setCurrentIndex(index);
      Q_EMIT model->activated(index);
      QCOMPARE(f.workspace.settings().CONTR, index);
      for (const char* group : {"TransferGB", "ConfigGB", "ActionsGB"})
        QVERIFY2(f.child<QGroupBox>(group)->isHidden() == !shown, name);
      QVERIFY2(f.child<QPushButton>("RemoteBtn")->isHidden() == !shown, name);
    }
    QVERIFY(!f.child<QPushButton>("RemoteBtn")->isEnabled());  // for a later version
  }

  void transferFillsTheMemoryUseAndLoadsTheUnit() {
    PageFixture f;
    f.child<QPushButton>("StSndPlanBtn")->click();
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>{});
    const kelvaro::sim::ControlUnit& unit = f.page.builtInUnit();
    QVERIFY(unit.loadEnded && unit.programBlocks > 0);
    QVERIFY(f.child<QLabel>("InfoPgmGrLb")->text().endsWith(QStringLiteral(" %")));
    // The status line went through the transfer's texts and is cleared at the end.
    QVERIFY(!f.ui.statusTexts.empty());
    QCOMPARE(f.child<QLabel>("MsgLb")->text(), QString());
    QVERIFY(f.page.isEnabled());

    f.child<QPushButton>("InitSteBtn")->click();
    QCOMPARE(f.child<QLabel>("MsgLb")->text(), QStringLiteral("Neustart ausgeführt"));
    QCOMPARE(f.page.builtInUnit().actions, std::vector<std::uint8_t>{0x31});
  }

  // The starts of a run check the unit through the page's line, on the port the page chose.
  void startCheckAndButtonsUseThePagesPort() {
    PageFixture f;
    QVERIFY(f.context.checkUnit && f.context.checkUnit(1));
    QVERIFY(f.workspace.unit.TypeCode >= 11);
    f.workspace.ini.writeString("PORTS", "COM2", "/nonexistent/kelvaro-port");
    auto* port = f.child<QComboBox>("ComPortCoB");
    port->setCurrentIndex(1);
    Q_EMIT port->activated(1);
    QVERIFY(!f.context.checkUnit(1));  // says so, like the button below
    f.child<QPushButton>("KonvWriteBtn")->click();
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>(2, "Keine Steuereinheit gefunden an Port COM2"));
    QVERIFY(!f.page.builtInUnit().configurationWritten);
    QVERIFY(f.page.isEnabled());
  }

  void serviceCodeCompilesIntoAFile() {
    PageFixture f;
    f.page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.page));
    auto* field = f.child<QLineEdit>("SecComp");
    QVERIFY(field->isHidden());
    QTest::mouseDClick(f.child<QLabel>("Label13"), Qt::LeftButton);
    QVERIFY(!field->isHidden());
    QTemporaryDir dir;
    f.ui.fileNames.push_back(dir.filePath(QStringLiteral("haus.bin")).toStdString());
    field->setText(QStringLiteral("WARTUNG"));
    QTest::mouseDClick(field, Qt::LeftButton);
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("haus.SPA"))).size() > 0);
    QCOMPARE(f.page.builtInUnit().programBlocks, 0);  // nothing went to the unit
  }

  // Both pages switch the one line log: Ctrl+Q in the constants, a double-click on the port label.
  void ctrlQAndThePortLabelSwitchTheSharedLineLog() {
    PageFixture f;
    kelvaro::gui::SettingsPage settings(f.context, nullptr);
    settings.refresh();
    settings.show();
    QVERIFY(QTest::qWaitForWindowExposed(&settings));
    auto* constants = kelvaro::test::child<QPlainTextEdit>(&settings, "KonstMemo");
    constants->setFocus();
    QTest::keyClick(constants, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(f.workspace.lineLog);
    QCOMPARE(constants->toPlainText(), QString());  // the key typed nothing
    f.page.refresh();
    auto* label = f.child<QLabel>("COMPortLb");
    QCOMPARE(label->text(), QStringLiteral("COM-Port:"));
    f.page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.page));
    QTest::mouseDClick(label, Qt::LeftButton);
    QVERIFY(!f.workspace.lineLog);
    QCOMPARE(label->text(), QStringLiteral("COM-Port"));
  }
};

QTEST_MAIN(ControlUnitPageTest)
#include "control_unit_page_test.moc"
