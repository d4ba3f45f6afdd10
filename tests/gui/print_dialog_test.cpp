// The window "Drucken": what its controls offer and the choice they hand to the lists.
#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QtTest>

#include "gui_test_support.h"
#include "print/print_dialog.h"

using kelvaro::gui::TUsPrtDlgF;
using kelvaro::test::child;

class PrintDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void onlyTheSelectedEntryOfTheChosenListIsOffered() {
    TUsPrtDlgF d(QStringLiteral("Flurlicht"), QString(), nullptr);
    QCOMPARE(d.windowTitle(), QStringLiteral("Drucken"));
    auto* only = child<QCheckBox>(&d, "PrtAktObjCB");
    auto* objGB = child<QGroupBox>(&d, "ObjGB");
    d.show();
    QVERIFY(only->isVisible());
    QVERIFY(!only->isChecked());
    only->setChecked(true);
    child<QCheckBox>(&d, "PrtObjPgmCB")->setChecked(false);
    // For a look at the window (scripts/screenshots.sh): KELVARO_SCREENSHOT_DIR=/some/dir.
    if (const QString shots = qEnvironmentVariable("KELVARO_SCREENSHOT_DIR"); !shots.isEmpty())
      d.grab().save(shots + QStringLiteral("/print_dialog.png"));
    kelvaro::PrintChoice c = d.choice();
    QCOMPARE(c.kind, kelvaro::PrintKind::Objects);
    QVERIFY(c.definitions && !c.program && c.hardware);
    QCOMPARE(QString::fromStdString(c.only), QStringLiteral("Flurlicht"));
    QVERIFY(!d.toPdf());

    // No station is selected: the module list is printed whole, the object choices rest.
    child<QRadioButton>(&d, "PrtSelHdwRB")->click();
    QVERIFY(!only->isVisible());
    QVERIFY(!objGB->isEnabled());
    c = d.choice();
    QCOMPARE(c.kind, kelvaro::PrintKind::Modules);
    QVERIFY(c.only.empty());
  }
};

QTEST_MAIN(PrintDialogTest)
#include "print_dialog_test.moc"
