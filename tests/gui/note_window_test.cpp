// The window "Meldung" shows a note without stopping the command that shows it.
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "note_window.h"
#include "qt_user_interface.h"
#include "text/cp1252.h"

using kelvaro::gui::QtUserInterface;

class NoteWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void aNoteReturnsAtOnceAndStaysOnScreenUntilOk() {
    QWidget main;
    QtUserInterface ui(&main);
    ui.showNote(kelvaro::fromUtf8("Station prüfen\rbitte warten"));  // returns without a click
    auto* note = ui.noteWindow();
    QVERIFY(note != nullptr && note->isVisible() && !note->isModal());
    QCOMPARE(note->windowTitle(), QStringLiteral("Meldung"));
    QCOMPARE(note->MsgPnl->text(), QStringLiteral("Station prüfen\nbitte warten"));

    // A second note while the first is open uses the same window.
    ui.showNote("Fertig");
    QCOMPARE(ui.noteWindow(), note);
    QCOMPARE(note->MsgPnl->text(), QStringLiteral("Fertig"));

    note->OKBtn->click();
    QTRY_VERIFY(ui.noteWindow() == nullptr);  // closed and gone; the next note opens a new one
    ui.showNote("Neu");
    QVERIFY(ui.noteWindow() != nullptr && ui.noteWindow()->isVisible());
  }
};

QTEST_MAIN(NoteWindowTest)
#include "note_window_test.moc"
