// The page "Typen" driven through its buttons; what each command does to the types and their
// states is type_editor_test's, here the controls reach it and its result reaches the lists.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "gui_test_support.h"
#include "model/type_states.h"
#include "pages/types_page.h"
#include "support/temp_dir.h"
#include "text/cp1252.h"
#include "type_dialog.h"

using kelvaro::TBitmapNam;
using kelvaro::TypeDefinition;
using kelvaro::test::itemTexts;

namespace {

// The page on the types "Lampe" and "Tuer", whose states are listed mixed.
struct Fixture : kelvaro::test::GuiWorkspace {
  kelvaro::Project& p = workspace.project;
  kelvaro::gui::TypesPage page{context, nullptr};

  Fixture() {
    kelvaro::addType(p, "Lampe;1");
    kelvaro::addType(p, "Tuer;0");
    kelvaro::rebuildTypeNames(p);
    p.typeStates = {{"Lampe:aus", TBitmapNam{"LAMPE_AUS.BMP", 1, 0}},
                    {"Tuer:offen", std::nullopt},
                    {"Lampe:an", std::nullopt},
                    {"Tuer:zu", std::nullopt}};
    page.refresh();
  }
  QListWidget* types() { return kelvaro::test::child<QListWidget>(&page, "TypBox"); }
  QListWidget* states() { return kelvaro::test::child<QListWidget>(&page, "TypZustLB"); }
  QLabel* bitmapName() { return kelvaro::test::child<QLabel>(&page, "BmpNameLbl"); }
  void click(const char* name) { kelvaro::test::child<QPushButton>(&page, name)->click(); }
  QStringList typeStates() const {
    QStringList texts;
    for (const auto& e : p.typeStates) texts << QString::fromStdString(e.entry);
    return texts;
  }
};

}  // namespace

class TypesPageTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void showsTypesAndMovesStates() {
    Fixture f;
    QCOMPARE(itemTexts(f.types()), (QStringList{"Lampe", "Tuer"}));
    QCOMPARE(itemTexts(f.states()), (QStringList{"aus", "an"}));  // the first type is shown at once
    QCOMPARE(f.bitmapName()->text(), QStringLiteral("LAMPE_AUS.BMP"));
    f.states()->setCurrentRow(1);
    f.click("ZustUpBtn");
    QCOMPARE(itemTexts(f.states()), (QStringList{"an", "aus"}));
    QCOMPARE(f.states()->currentRow(), 0);
    QCOMPARE(f.typeStates(), (QStringList{"Tuer:offen", "Tuer:zu", "Lampe:an", "Lampe:aus"}));
    f.click("ZustDownBtn");
    QCOMPARE(f.typeStates(), (QStringList{"Tuer:offen", "Tuer:zu", "Lampe:aus", "Lampe:an"}));
    f.types()->setCurrentRow(1);
    QCOMPARE(itemTexts(f.states()), (QStringList{"offen", "zu"}));
  }

  void typeAndStateButtonsImportAndDeleteKey() {
    kelvaro::test::TempDir dir;
    kelvaro::test::writeFile(dir.file("HAUS.OTY"), "@Typs\r\n Jalousie;1\r\n@TypState\r\n Jalousie:oben\r\n@E\r\n");
    Fixture f;
    f.ui.fileNames = {dir.file("HAUS.OTY")};
    f.click("BiblTypBtn");
    QCOMPARE(itemTexts(f.types()), (QStringList{"Jalousie", "Lampe", "Tuer"}));
    f.page.setTypeDialog([](const TypeDefinition&) { return TypeDefinition{"Heizung", -1}; });
    f.click("NeuTypBtn");
    QCOMPARE(f.types()->currentItem()->text(), QStringLiteral("Heizung"));
    f.ui.inputs = {std::string("warm")};
    f.click("NeuZustBtn");
    QCOMPARE(itemTexts(f.states()), QStringList{"warm"});
    f.page.setTypeDialog([](const TypeDefinition&) { return TypeDefinition{"Ofen", -1}; });
    f.click("EditTypBtn");
    QCOMPARE(f.types()->currentItem()->text(), QStringLiteral("Ofen"));
    QTest::keyClick(f.types(), Qt::Key_Delete);
    QCOMPARE(itemTexts(f.types()), (QStringList{"Jalousie", "Lampe", "Tuer"}));
    QVERIFY(f.ui.messages.empty());
  }

  void standardBitmapThroughTheFileDialog() {
    kelvaro::test::TempDir dir;
    Fixture f;
    f.workspace.settings().DIRBMP = dir.path().string() + "/";
    f.types()->setCurrentRow(1);
    f.states()->setCurrentRow(1);
    f.ui.fileNames = {dir.file("TOR_ZU.BMP")};
    f.click("StdBmpBtn");
    QVERIFY(f.p.typeStates[3].bitmap.has_value());
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>{"Bitmap TOR_ZU.BMP nicht gefunden."});
    QCOMPARE(f.bitmapName()->text(), QStringLiteral("TOR_ZU.BMP"));
    f.click("EntfBmpBtn");
    QVERIFY(!f.p.typeStates[3].bitmap.has_value());
    QVERIFY(f.bitmapName()->text().isEmpty());
  }

  void typeDialogReportsNameAndKind() {
    kelvaro::gui::TypeEditDialog dialog;
    dialog.setDefinition({"Lampe", -1});
    QCOMPARE(dialog.definition().kind, -1);  // a new type starts with no kind chosen
    kelvaro::test::child<QRadioButton>(&dialog, "ArtRB1")->click();
    kelvaro::test::child<QLineEdit>(&dialog, "BezEdit")->setText(QStringLiteral("Türöffner"));
    QCOMPARE(dialog.definition().kind, 1);
    QCOMPARE(dialog.definition().name, kelvaro::fromUtf8("Türöffner"));
  }
};

QTEST_MAIN(TypesPageTest)
#include "types_page_test.moc"
