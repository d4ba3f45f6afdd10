// The page "Typen" driven through its buttons: moving states rewrites the type's states,
// importing the same library twice adds nothing the second time.
#include <QLabel>
#include <QListWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QtTest>

#include "app/workspace.h"
#include "main_context.h"
#include "model/type_states.h"
#include "pages/types_page.h"
#include "support/fake_user_interface.h"
#include "support/temp_dir.h"
#include "text/cp1252.h"
#include "type_dialog.h"

using kelvaro::Project;
using kelvaro::TBitmapNam;
using kelvaro::TypeDefinition;

namespace {

QStringList items(const QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

QStringList typeStates(const Project& project) {
  QStringList texts;
  for (const auto& e : project.typeStates) texts << QString::fromStdString(e.entry);
  return texts;
}

void fillLampAndDoor(Project& p) {
  kelvaro::addType(p, "Lampe;1");
  kelvaro::addType(p, "Tuer;0");
  kelvaro::rebuildTypeNames(p);
  p.typeStates = {{"Lampe:aus", TBitmapNam{"LAMPE_AUS.BMP", 1, 0}},
                  {"Tuer:offen", std::nullopt},
                  {"Lampe:an", std::nullopt},
                  {"Tuer:zu", std::nullopt}};
}

// The page with everything it needs, shown so that clicks and focus work.
struct Fixture {
  kelvaro::Workspace workspace;
  kelvaro::test::FakeUserInterface ui;
  kelvaro::gui::MainContext context{workspace, ui};
  QWidget window;
  kelvaro::gui::TypesPage* page = nullptr;

  Fixture() {
    page = new kelvaro::gui::TypesPage(context, &window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(page);
  }
  template <typename T>
  T* child(const char* name) {
    T* found = page->findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("control %s missing", name);
    return found;
  }
  QListWidget* types() { return child<QListWidget>("TypBox"); }
  QListWidget* states() { return child<QListWidget>("TypZustLB"); }
  void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
};

}  // namespace

class TypesPageTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void showsTypesAndTheStatesOfTheSelectedType() {
    Fixture f;
    fillLampAndDoor(f.workspace.project);
    f.page->refresh();
    QCOMPARE(items(f.types()), (QStringList{"Lampe", "Tuer"}));
    QCOMPARE(f.types()->currentRow(), 0);  // the first type is shown at once
    QCOMPARE(items(f.states()), (QStringList{"aus", "an"}));
    QCOMPARE(f.child<QLabel>("BmpNameLbl")->text(), QStringLiteral("LAMPE_AUS.BMP"));
    QVERIFY(f.ui.messages.empty());  // a missing file is reported only when the user selects
    f.types()->setCurrentRow(1);
    QCOMPARE(items(f.states()), (QStringList{"offen", "zu"}));
    QCOMPARE(f.states()->currentRow(), 0);
    QVERIFY(!f.child<QPushButton>("EntfBmpBtn")->isEnabled());
  }

  void movingAStateRewritesTheTypesStates() {
    Fixture f;
    Project& p = f.workspace.project;
    fillLampAndDoor(p);
    f.page->refresh();
    f.types()->setCurrentRow(0);
    f.states()->setCurrentRow(1);
    f.click("ZustUpBtn");
    QCOMPARE(items(f.states()), (QStringList{"an", "aus"}));
    QCOMPARE(f.states()->currentRow(), 0);
    QCOMPARE(typeStates(p), (QStringList{"Tuer:offen", "Tuer:zu", "Lampe:an", "Lampe:aus"}));
    f.click("ZustDownBtn");
    QCOMPARE(items(f.states()), (QStringList{"aus", "an"}));
    QCOMPARE(typeStates(p), (QStringList{"Tuer:offen", "Tuer:zu", "Lampe:aus", "Lampe:an"}));
  }

  void leavingTheStateListRewrites() {
    Fixture f;
    Project& p = f.workspace.project;
    fillLampAndDoor(p);
    f.window.show();
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.page->refresh();
    f.types()->setCurrentRow(0);
    f.states()->setFocus();
    QTRY_VERIFY(f.states()->hasFocus());
    QCOMPARE(typeStates(p), (QStringList{"Lampe:aus", "Tuer:offen", "Lampe:an", "Tuer:zu"}));
    f.types()->setFocus();
    QTRY_VERIFY(f.types()->hasFocus());
    QCOMPARE(typeStates(p), (QStringList{"Tuer:offen", "Tuer:zu", "Lampe:aus", "Lampe:an"}));
  }

  void importButtonReadsTheChosenLibrary() {
    kelvaro::test::TempDir dir;
    kelvaro::test::writeFile(dir.file("HAUS.OTY"),
                             "@Typs\r\n Jalousie;1\r\n lampe;1\r\n@TypState\r\n Jalousie:oben\r\n"
                             " Jalousie:unten                                                  JAL_UNTEN.BMP\r\n"
                             " LAMPE:AN\r\n@E\r\n");
    Fixture f;
    Project& p = f.workspace.project;
    fillLampAndDoor(p);
    f.workspace.settings().DIRDAT = dir.path().string() + "/";
    f.page->refresh();

    // What an import adds or skips is type_editor_test's; here the button reaches it.
    f.ui.fileNames = {dir.file("HAUS.OTY")};
    f.click("BiblTypBtn");
    QCOMPARE(items(f.types()), (QStringList{"Jalousie", "Lampe", "Tuer"}));
    QVERIFY(f.ui.messages.empty());

    f.types()->setCurrentRow(0);
    QCOMPARE(items(f.states()), (QStringList{"oben", "unten"}));
  }

  void typeButtonsAndDeleteKey() {
    Fixture f;
    Project& p = f.workspace.project;
    fillLampAndDoor(p);
    f.page->refresh();
    f.page->setTypeDialog([](const TypeDefinition&) { return TypeDefinition{"Heizung", -1}; });
    f.click("NeuTypBtn");
    QCOMPARE(items(f.types()), (QStringList{"Heizung", "Lampe", "Tuer"}));
    QCOMPARE(f.types()->currentRow(), 0);
    QCOMPARE(QString::fromStdString(p.types[0]), QStringLiteral("Heizung;-1"));

    f.ui.inputs = {std::string("warm")};
    f.click("NeuZustBtn");
    QCOMPARE(items(f.states()), QStringList{"warm"});
    QCOMPARE(typeStates(p).last(), QStringLiteral("Heizung:warm"));

    // Cancel in the dialog leaves the entry as it was.
    f.page->setTypeDialog([](const TypeDefinition&) { return std::optional<TypeDefinition>(); });
    f.click("EditTypBtn");
    QCOMPARE(QString::fromStdString(p.types[0]), QStringLiteral("Heizung;-1"));

    f.types()->setFocus();
    QTest::keyClick(f.types(), Qt::Key_Delete);
    QCOMPARE(items(f.types()), (QStringList{"Lampe", "Tuer"}));
    QVERIFY(!typeStates(p).contains(QStringLiteral("Heizung:warm")));
    QVERIFY(items(f.states()).isEmpty());
  }

  void standardBitmapThroughTheFileDialog() {
    kelvaro::test::TempDir dir;
    Fixture f;
    Project& p = f.workspace.project;
    fillLampAndDoor(p);
    f.workspace.settings().DIRBMP = dir.path().string() + "/";
    f.page->refresh();
    f.types()->setCurrentRow(1);
    f.states()->setCurrentRow(1);
    f.ui.fileNames = {dir.file("TOR_ZU.BMP")};
    f.click("StdBmpBtn");
    QVERIFY(p.typeStates[3].bitmap.has_value());
    QCOMPARE(QString::fromStdString(p.typeStates[3].bitmap->BitmapName), QStringLiteral("TOR_ZU.BMP"));
    QCOMPARE(p.typeStates[3].bitmap->NoPath, std::uint8_t{1});
    // The file does not exist: the user is told, and nothing else stops.
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>{"Bitmap TOR_ZU.BMP nicht gefunden."});
    QCOMPARE(f.child<QLabel>("BmpNameLbl")->text(), QStringLiteral("TOR_ZU.BMP"));
    QVERIFY(f.child<QPushButton>("EntfBmpBtn")->isEnabled());

    f.click("EntfBmpBtn");
    QVERIFY(!p.typeStates[3].bitmap.has_value());
    QVERIFY(!f.child<QPushButton>("EntfBmpBtn")->isEnabled());
    QVERIFY(f.child<QLabel>("BmpNameLbl")->text().isEmpty());
  }

  void typeDialogReportsNameAndKind() {
    kelvaro::gui::TypeEditDialog dialog;
    QCOMPARE(dialog.definition().kind, 2);  // "Ein-/Ausgabe" until told otherwise
    dialog.setDefinition({"Lampe", -1});
    QCOMPARE(dialog.definition().kind, -1);  // a new type starts with no kind chosen
    auto* actor = dialog.findChild<QRadioButton*>(QStringLiteral("ArtRB1"));
    QVERIFY(actor);
    QCOMPARE(actor->text(), QStringLiteral("Aktor"));
    actor->click();
    dialog.findChild<QLineEdit*>(QStringLiteral("BezEdit"))->setText(QStringLiteral("Türöffner"));
    const TypeDefinition d = dialog.definition();
    QCOMPARE(d.kind, 1);
    QCOMPARE(d.name, kelvaro::fromUtf8("Türöffner"));
  }
};

QTEST_MAIN(TypesPageTest)
#include "types_page_test.moc"
