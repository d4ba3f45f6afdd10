// The page "Steuereinheit": the model choice shows and hides the unit's groups, its buttons
// drive the built-in simulated unit (on COM1 by the PORTS section) in virtual time, and the
// line log it shares with the page "Einstellungen" follows both pages' switches.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "control_unit.h"
#include "main_context.h"
#include "pages/control_unit_page.h"
#include "pages/settings_page.h"
#include "support/fake_user_interface.h"
#include "text/cp1252.h"
#include "time/clock.h"

using kelvaro::gui::ControlUnitPage;

namespace {

kelvaro::TPSObj lamp(const char* name) {
  kelvaro::TPSObj o = kelvaro::createObject(name);
  o.Typ = "Lampe";
  o.OKind = 'U';
  o.StartVal = "an";
  return o;
}

// A page on a workspace whose COM1 is the built-in simulator, waiting in virtual time.
struct PageFixture {
  PageFixture() {
    workspace.ini.writeString("PORTS", "COM1", "SIM");
    workspace.settings().COMPORT = 0;
    workspace.settings().CONTR = 3;  // "CU-A2-3.20", what the simulator is by default
    workspace.settings().projectNameLabel = "HAUS";
    workspace.project.typeStates = {{"Lampe:aus", {}}, {"Lampe:an", {}}};
    workspace.project.objects = {lamp("Flur"), lamp("Kueche")};
    page.setLineClock(clock, [this] { clock.advanceMs(1); });
    page.refresh();
  }
  template <class T>
  T* child(const char* name) {
    T* widget = page.findChild<T*>(QString::fromLatin1(name));
    if (!widget) qFatal("no control %s", name);
    return widget;
  }

  kelvaro::Workspace workspace;
  kelvaro::test::FakeUserInterface ui;
  kelvaro::gui::MainContext context{workspace, ui};
  kelvaro::ManualClock clock{46000.5};
  ControlUnitPage page{context, nullptr};
};

}  // namespace

class ControlUnitPageTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void modelChoiceShowsAndHidesTheGroups() {
    PageFixture f;
    auto* model = f.child<QComboBox>("ConvertCoB");
    QCOMPARE(model->currentText(), QStringLiteral("CU-A2-3.20"));
    const struct {
      const char* model;
      bool groups, versionInfo, remote;
    } kRows[] = {
        {"CU-A1", true, false, false},      {"CU-A2 Ver.2", true, false, false}, {"CU-A2-3.00-10", true, true, false},
        {"CU-A2-3.20", true, true, true},   {"CU/F-A2", true, true, true},      {"RFI-RS1", false, false, false},
        {"ELV-RFI", true, false, false},    {" ", true, false, false},
    };
    for (const auto& r : kRows) {
      const int index = model->findText(QString::fromLatin1(r.model));
      QVERIFY2(index >= 0, r.model);
      model->setCurrentIndex(index);
      Q_EMIT model->activated(index);
      QCOMPARE(f.workspace.settings().CONTR, index);
      for (const char* group : {"TransferGB", "ConfigGB", "ActionsGB"})
        QVERIFY2(f.child<QGroupBox>(group)->isHidden() == !r.groups, r.model);
      QVERIFY2(f.child<QPushButton>("EPROMInfoBtn")->isHidden() == !r.versionInfo, r.model);
      QVERIFY2(f.child<QPushButton>("RemoteBtn")->isHidden() == !r.remote, r.model);
      QVERIFY2(f.child<QPushButton>("RemoteVisBtn")->isHidden() == !r.remote, r.model);
      // No unit has been identified: the radio settings need a known feature level.
      QVERIFY2(f.child<QPushButton>("InterfaceEinstBtn")->isHidden(), r.model);
    }
    QVERIFY(f.workspace.settings().settingsChanged);
    // The functions of later versions are there but cannot be used yet.
    QVERIFY(!f.child<QPushButton>("RemoteBtn")->isEnabled());
    QVERIFY(!f.child<QPushButton>("RemoteBtn")->toolTip().isEmpty());
  }

  void transferFillsTheMemoryUseAndLoadsTheUnit() {
    PageFixture f;
    f.child<QPushButton>("StSndPlanBtn")->click();
    QVERIFY2(f.ui.messages.empty(), f.ui.messageTexts().empty() ? "" : f.ui.messageTexts().front().c_str());
    const kelvaro::sim::ControlUnit& unit = f.page.builtInUnit();
    QVERIFY(unit.prepared);
    QVERIFY(unit.loadEnded);
    QVERIFY(unit.programBlocks > 0);
    QCOMPARE(QString::fromStdString(unit.programName), QStringLiteral("HAUS    "));
    QVERIFY(f.child<QLabel>("InfoPgmGrLb")->text().endsWith(QStringLiteral(" %")));
    // The status line went through the transfer's texts and is cleared at the end.
    const auto& texts = f.ui.statusTexts;
    QVERIFY(std::find(texts.begin(), texts.end(), kelvaro::fromUtf8("Programm wird übertragen")) != texts.end());
    QCOMPARE(f.child<QLabel>("MsgLb")->text(), QString());
    QVERIFY(f.page.isEnabled());
    QCOMPARE(QString::fromStdString(f.workspace.unit.TypeName), QStringLiteral("CU-A2-3.20"));
    QCOMPARE(f.workspace.unit.Version, 350);
  }

  void unitActionIsConfirmedInTheStatusLine() {
    PageFixture f;
    f.child<QPushButton>("InitSteBtn")->click();
    QCOMPARE(f.child<QLabel>("MsgLb")->text(), QStringLiteral("Neustart ausgeführt"));
    QCOMPARE(f.page.builtInUnit().actions, std::vector<std::uint8_t>{0x31});
  }

  // The starts of a run check the unit through the page's line and keep what it identified.
  void startCheckIdentifiesTheUnitOnThePagesPort() {
    PageFixture f;
    QVERIFY(f.context.checkUnit);
    QVERIFY(f.context.checkUnit(1));
    QVERIFY(f.workspace.unit.TypeCode >= 11);
    QVERIFY(!f.workspace.unit.Connected);

    f.workspace.ini.writeString("PORTS", "COM2", "/nonexistent/kelvaro-port");
    auto* port = f.child<QComboBox>("ComPortCoB");
    port->setCurrentIndex(1);
    Q_EMIT port->activated(1);
    QVERIFY(!f.context.checkUnit(1));
  }

  void wrongPortIsReported() {
    PageFixture f;
    f.workspace.ini.writeString("PORTS", "COM2", "/nonexistent/kelvaro-port");
    auto* port = f.child<QComboBox>("ComPortCoB");
    port->setCurrentIndex(1);
    Q_EMIT port->activated(1);
    f.child<QPushButton>("KonvWriteBtn")->click();
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>{"Keine Steuereinheit gefunden an Port COM2"});
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
    const std::string chosen = dir.filePath(QStringLiteral("haus.bin")).toStdString();
    f.ui.fileNames.push_back(chosen);
    field->setText(QStringLiteral("wartung"));  // not the code: nothing happens
    QTest::mouseDClick(field, Qt::LeftButton);
    QCOMPARE(f.ui.fileNames.size(), std::size_t{1});

    field->setText(QStringLiteral("WARTUNG"));
    QTest::mouseDClick(field, Qt::LeftButton);
    QVERIFY(f.ui.fileNames.empty());
    const QFileInfo written(dir.filePath(QStringLiteral("haus.SPA")));
    QVERIFY(written.exists());
    QVERIFY(written.size() > 0);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("haus.bin"))));
    QCOMPARE(f.page.builtInUnit().programBlocks, 0);  // nothing went to the unit
  }

  void portLabelSwitchesTheLineLog() {
    PageFixture f;
    f.page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.page));
    auto* label = f.child<QLabel>("COMPortLb");
    QCOMPARE(label->text(), QStringLiteral("COM-Port"));
    QTest::mouseDClick(label, Qt::LeftButton);
    QVERIFY(f.workspace.lineLog);
    QCOMPARE(label->text(), QStringLiteral("COM-Port:"));
    QTest::mouseDClick(label, Qt::LeftButton);
    QVERIFY(!f.workspace.lineLog);
    QCOMPARE(label->text(), QStringLiteral("COM-Port"));
  }

  void ctrlQInTheConstantsBoxSwitchesTheLogTheTwoPagesShare() {
    PageFixture f;
    kelvaro::gui::SettingsPage settings(f.context, nullptr);
    settings.refresh();
    settings.show();
    QVERIFY(QTest::qWaitForWindowExposed(&settings));
    auto* constants = settings.findChild<QPlainTextEdit*>(QStringLiteral("KonstMemo"));
    auto* label = settings.findChild<QLabel*>(QStringLiteral("HexProtLb"));
    QVERIFY(constants && label);
    QVERIFY(label->isHidden());
    constants->setFocus();
    QTest::keyClick(constants, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!label->isHidden());
    QVERIFY(f.workspace.lineLog);
    QCOMPARE(constants->toPlainText(), QString());  // the key typed nothing
    f.page.refresh();
    QCOMPARE(f.child<QLabel>("COMPortLb")->text(), QStringLiteral("COM-Port:"));
    QTest::keyClick(constants, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(label->isHidden());
    QVERIFY(!f.workspace.lineLog);
  }
};

QTEST_MAIN(ControlUnitPageTest)
#include "control_unit_page_test.moc"
