// The window "Objektdefinition": each control reaches the editor's rule (the rules themselves are
// tested in object_editor_test) and the results reach the screen.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

#include "language/compiler.h"
#include "new_object_dialog.h"
#include "object_editor/obj_def_form.h"
#include "support/fake_user_interface.h"

using kelvaro::EditorRequest;
using kelvaro::gui::TObjDefF;

namespace {

void fillProject(kelvaro::Project& p) {
  for (const char* view : {"Erdgeschoss", "Keller", "Garten", "Dach"}) kelvaro::addView(p, view);
  kelvaro::addType(p, "Lampe;1");
  kelvaro::rebuildTypeNames(p);
  p.typeStates.push_back({"Lampe:Aus", std::nullopt});
  p.typeStates.push_back({"Lampe:An", std::nullopt});
  p.objects.push_back(kelvaro::createObject("Flur"));
  p.objects.push_back(kelvaro::createObject("Bad"));
  p.objects[1].ObjIDNr = 17;
  auto& flur = p.objects[0];
  flur.Typ = "Lampe";
  flur.OKind = kelvaro::kKindUser;
  flur.StartVal = "Aus";
}

QStringList listTexts(QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

}  // namespace

class ObjectEditorTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void objectIdIsCheckedWhenTheFieldIsLeft() {
    kelvaro::Workspace workspace;
    fillProject(workspace.project);
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::MainContext context(workspace, ui);
    EditorRequest request;
    request.object = 0;
    TObjDefF dialog(context, request, {});
    dialog.show();
    auto* id = dialog.findChild<QLineEdit*>(QStringLiteral("ObjIDEd"));
    QVERIFY(id);

    // The rules are the core's (object_editor_test); here: leaving the field runs the check.
    QTest::keyClicks(id, QStringLiteral("17"));
    QTest::keyClick(id, Qt::Key_Return);
    QVERIFY(dialog.isVisible());  // Enter leaves the field but does not close the editor
    QCOMPARE(ui.messageTexts(), std::vector<std::string>{"Diese ID wurde schon vergeben für Objekt Bad"});
    ui.messages.clear();
    id->selectAll();
    QTest::keyClicks(id, QStringLiteral("42"));
    QTest::keyClick(id, Qt::Key_Return);
    QVERIFY(ui.messages.empty());
    dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(int(workspace.project.objects[0].ObjIDNr), 42);
  }

  void placementsAreLimitedToThreeViews() {
    kelvaro::Workspace workspace;
    fillProject(workspace.project);
    auto& plans = workspace.project.objects[0].plans;
    plans[0].ViewName = "Erdgeschoss";
    plans[1].ViewName = "Keller";
    plans[2].ViewName = "Garten";
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::MainContext context(workspace, ui);
    EditorRequest request;
    request.object = 0;
    TObjDefF dialog(context, request, {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* views = dialog.findChild<QListWidget*>(QStringLiteral("AnsichtLB"));
    auto* button = dialog.findChild<QPushButton*>(QStringLiteral("AnsichtBtn"));
    QVERIFY(views && button);
    QCOMPARE(listTexts(views), (QStringList{"->Erdgeschoss", "->Keller", "->Garten", "Dach"}));

    // A double-click on the fourth view asks for a fourth placement.
    const QRect rect = views->visualItemRect(views->item(3));
    QVERIFY(rect.isValid());
    // An item view takes a double-click only on the item that was pressed first.
    QTest::mousePress(views->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseRelease(views->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(views->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(ui.messageTexts(), std::vector<std::string>{"Es können maximal 3 Pläne ausgewählt werden"});
    QCOMPARE(listTexts(views).at(3), QStringLiteral("Dach"));
    QCOMPARE(button->text(), QStringLiteral("Ansicht aktivieren"));

    // Freeing the first slot with the button lets the fourth view in, in that slot.
    views->setCurrentRow(0);
    QCOMPARE(button->text(), QStringLiteral("Ansicht deaktivieren"));
    button->click();
    views->setCurrentRow(3);
    button->click();
    QCOMPARE(listTexts(views), (QStringList{"Erdgeschoss", "->Keller", "->Garten", "->Dach"}));
    QCOMPARE(ui.messages.size(), std::size_t{1});
    dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
    QCOMPARE(QString::fromStdString(plans[0].ViewName), QStringLiteral("Dach"));
    QCOMPARE(QString::fromStdString(plans[1].ViewName), QStringLiteral("Keller"));
  }

  void opensAtTheFailingLine_data() {
    QTest::addColumn<QStringList>("program");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown name") << QStringList{"-&Flur EINSCHALTEN", "-Flur AUSSCHALTEN", "-  Nichtda EINSCHALTEN"}
                                  << -11 << QStringLiteral("  Nichtda EINSCHALTEN")
                                  << QStringLiteral("Unbekannter Bezeichner ->NICHTDA");
  }

  void opensAtTheFailingLine() {
    QFETCH(QStringList, program);
    QFETCH(int, code);
    QFETCH(QString, selected);
    QFETCH(QString, message);
    kelvaro::Workspace workspace;
    fillProject(workspace.project);
    for (const QString& line : program) workspace.project.objects[0].program.push_back(line.toStdString());
    const kelvaro::CompileOutput out = kelvaro::compile(workspace.project, {}, kelvaro::CompileMode::Run);
    QCOMPARE(out.result.code, code);
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::MainContext context(workspace, ui);
    EditorRequest request;
    request.object = out.result.object;
    request.errorCode = out.result.code;
    request.errorPosition = out.result.position;
    request.errorName = out.result.name;
    request.lineMap = out.lineMap;
    TObjDefF dialog(context, request, {});
    dialog.show();
    QCOMPARE(dialog.findChild<QTabWidget*>(QStringLiteral("ObjNotebook"))->currentIndex(), 1);
    auto* error = dialog.findChild<QLabel*>(QStringLiteral("PgmErrLb"));
    QVERIFY(error->isVisible());
    QCOMPARE(error->text(), message);
    auto* box = dialog.findChild<QPlainTextEdit*>(QStringLiteral("AnwMBox"));
    QCOMPARE(box->textCursor().selectedText(), selected);
  }

  void variableGridChoicesAndGeneratedStatements() {
    kelvaro::Workspace workspace;
    fillProject(workspace.project);
    auto& flur = workspace.project.objects[0];
    flur.varDefs = {"Licht               Lampe               An                  "};
    flur.program = {"-&Bad EINSCHALTEN", "-Flur AUSSCHALTEN"};
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::MainContext context(workspace, ui);
    EditorRequest request;
    request.object = 0;
    request.page = kelvaro::EditorPage::Program;
    TObjDefF dialog(context, request, {});
    dialog.show();
    auto* grid = dialog.findChild<QTableWidget*>(QStringLiteral("VarGrid"));
    QVERIFY(grid);
    // The start value of a user-type variable is chosen among the type's states.
    grid->setCurrentCell(0, 2);
    auto* states = dialog.findChild<QComboBox*>(QStringLiteral("VarZustCB"));
    QVERIFY(states);
    QCOMPARE(states->count(), 2);
    QCOMPARE(states->currentText(), QStringLiteral("An"));
    // Choosing another type over the cell empties the start value when the choice is left.
    grid->setCurrentCell(0, 1);
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("VarTypCB"));
    QVERIFY(types);
    types->setCurrentIndex(types->findText(QStringLiteral("Zahl")));
    grid->setCurrentCell(0, 0);
    QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("Zahl"));
    QCOMPARE(grid->item(0, 2)->text(), QString());
    QCOMPARE(grid->rowCount(), 2);  // an empty row to type the next variable into

    auto* switchButton = dialog.findChild<QPushButton*>(QStringLiteral("AutoAnwBtn"));
    switchButton->click();
    QCOMPARE(switchButton->text(), QStringLiteral("Programm-Anweisungen"));
    dialog.findChild<QPushButton*>(QStringLiteral("AutoConvBtn"))->click();
    QCOMPARE(ui.messageTexts(), std::vector<std::string>{"Kein Eintrag ausgewählt"});
    auto* autoList = dialog.findChild<QListWidget*>(QStringLiteral("AutoAnwLB"));
    autoList->item(0)->setSelected(true);
    dialog.findChild<QPushButton*>(QStringLiteral("AutoConvBtn"))->click();
    QCOMPARE(autoList->count(), 0);
    QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("AnwMBox"))->toPlainText(),
             QStringLiteral("Bad EINSCHALTEN\nFlur AUSSCHALTEN"));
    dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
    QCOMPARE(flur.program, (std::vector<std::string>{"-Bad EINSCHALTEN", "-Flur AUSSCHALTEN"}));
    QCOMPARE(flur.varDefs, std::vector<std::string>{"Licht               Zahl                                    "});
  }

  void newObjectNeedsATypeAndPlacesTheObject() {
    kelvaro::Workspace workspace;
    fillProject(workspace.project);
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::MainContext context(workspace, ui);
    kelvaro::gui::TNewObjF dialog(context, {"Keller", true});
    dialog.show();
    auto* types = dialog.findChild<QListWidget*>(QStringLiteral("TypLB"));
    QCOMPARE(listTexts(types), (QStringList{"Lampe", "Zahl", "Zeichen", "Knopf", "(Undefiniert)"}));
    QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("NameEd")), QStringLiteral("Diele"));
    dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
    QCOMPARE(ui.messageTexts(), std::vector<std::string>{"Es muss ein Typ ausgewählt werden"});
    QVERIFY(dialog.isVisible());
    types->setCurrentRow(0);
    dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
    QCOMPARE(dialog.createdObject(), 2);
    const auto& o = workspace.project.objects[2];
    QCOMPARE(QString::fromStdString(o.plans[0].ViewName), QStringLiteral("Keller"));
    QCOMPARE(QString::fromStdString(o.OName), QStringLiteral("Diele"));
    QCOMPARE(QString::fromStdString(o.StartVal), QStringLiteral("Aus"));
    QFont font = dialog.font();
    font.setPointSize(10);
    QCOMPARE(int(o.plans[0].Width), QFontMetrics(font).horizontalAdvance(QStringLiteral("WWWWWWWWWW")));
  }
};

QTEST_MAIN(ObjectEditorTest)
#include "object_editor_test.moc"
