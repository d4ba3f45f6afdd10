// The window "Objektdefinition": each control reaches the editor's rule (the rules themselves are
// tested in object_editor_test) and the results reach the screen.
#include <functional>
#include <memory>

#include "app/run_commands.h"
#include "gui_test_support.h"
#include "language/compiler.h"
#include "new_object_dialog.h"
#include "object_editor/obj_def_form.h"

using kelvaro::EditorRequest;
using kelvaro::test::itemTexts;

namespace {

// Views, the lamp type and two objects; the editor opens on the first, "Flur", a lamp.
struct Editor : kelvaro::test::GuiWorkspace {
  kelvaro::Project& p = workspace.project;
  std::unique_ptr<kelvaro::gui::TObjDefF> dialog;

  explicit Editor(const std::function<void(kelvaro::Project&)>& adjust = {}) {
    for (const char* view : {"Erdgeschoss", "Keller"}) kelvaro::addView(p, view);
    kelvaro::addType(p, "Lampe;1");
    kelvaro::rebuildTypeNames(p);
    p.typeStates = {{"Lampe:Aus", std::nullopt}, {"Lampe:An", std::nullopt}};
    p.objects = {kelvaro::createObject("Flur"), kelvaro::createObject("Bad")};
    p.objects[0].Typ = "Lampe";
    p.objects[0].OKind = kelvaro::kKindUser;
    p.objects[0].StartVal = "Aus";
    p.objects[1].ObjIDNr = 17;
    if (adjust) adjust(p);
  }
  void open(EditorRequest request = {}) {
    if (request.object < 0) request.object = 0;
    dialog = std::make_unique<kelvaro::gui::TObjDefF>(context, request, kelvaro::ObjectEditorHooks{});
    dialog->show();
  }
  template <typename T>
  T* child(const char* name) {
    return kelvaro::test::child<T>(dialog.get(), name);
  }
};

}  // namespace

class ObjectEditorTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { kelvaro::test::useSmallScreen(); }

 private Q_SLOTS:
  // On a 1024 x 768 screen the editor opens inside it with its buttons in reach (the pages
  // scroll). Each control reaches its rule; the rules and their messages are object_editor_test's.
  void fitsASmallScreenAndIdFieldAndPlacementsReachTheEditor() {
    Editor e([](kelvaro::Project& p) { p.objects[0].plans[0].ViewName = "Erdgeschoss"; });
    e.open();
    QVERIFY(QTest::qWaitForWindowExposed(e.dialog.get()));
    QCOMPARE(
        kelvaro::test::outOfReach(e.dialog.get(), {e.child<QPushButton>("OKBtn"), e.child<QPushButton>("CancelBtn"),
                                                   e.child<QPushButton>("HelpBtn")}),
        QString());
    auto* id = e.child<QLineEdit>("ObjIDEd");
    QTest::keyClicks(id, QStringLiteral("17"));
    QTest::keyClick(id, Qt::Key_Return);
    QVERIFY(e.dialog->isVisible());                  // Enter leaves the field but does not close the editor
    QCOMPARE(e.ui.messages.size(), std::size_t{1});  // taken by "Bad"
    id->selectAll();
    QTest::keyClicks(id, QStringLiteral("42"));
    // The button takes the first view off, a double-click puts the second into the freed place.
    auto* views = e.child<QListWidget>("AnsichtLB");
    views->setCurrentRow(0);
    e.child<QPushButton>("AnsichtBtn")->click();
    const QPoint second = views->visualItemRect(views->item(1)).center();
    // An item view takes a double-click only on the item that was pressed first.
    QTest::mouseClick(views->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(views->viewport(), Qt::LeftButton, {}, second);
    QCOMPARE(itemTexts(views), (QStringList{"Erdgeschoss", "->Keller"}));
    e.child<QPushButton>("OKBtn")->click();
    QCOMPARE(int(e.p.objects[0].ObjIDNr), 42);
    QCOMPARE(QString::fromStdString(e.p.objects[0].plans[0].ViewName), QStringLiteral("Keller"));
  }

  void opensAtTheFailingLine() {
    Editor e([](kelvaro::Project& p) { p.objects[0].program = {"-&Flur EINSCHALTEN", "-  Nichtda EINSCHALTEN"}; });
    e.open(kelvaro::editorRequestForCompileError(kelvaro::compile(e.p, {}, kelvaro::CompileMode::Run)));
    QCOMPARE(e.child<QTabWidget>("ObjNotebook")->currentIndex(), 1);
    QCOMPARE(e.child<QLabel>("PgmErrLb")->text(), QStringLiteral("Unbekannter Bezeichner ->NICHTDA"));
    QCOMPARE(e.child<QPlainTextEdit>("AnwMBox")->textCursor().selectedText(), QStringLiteral("  Nichtda EINSCHALTEN"));
  }

  void variableGridGeneratedStatementsAndANewObject() {
    Editor e([](kelvaro::Project& p) {
      p.objects[0].varDefs = {"Licht               Lampe               An                  "};
      p.objects[0].program = {"-&Bad EINSCHALTEN", "-Flur AUSSCHALTEN"};
    });
    e.open();
    auto* grid = e.child<QTableWidget>("VarGrid");
    // A user-type variable's start value is chosen among the type's states; another type empties it.
    grid->setCurrentCell(0, 2);
    QCOMPARE(e.child<QComboBox>("VarZustCB")->currentText(), QStringLiteral("An"));
    grid->setCurrentCell(0, 1);
    auto* types = e.child<QComboBox>("VarTypCB");
    types->setCurrentIndex(types->findText(QStringLiteral("Zahl")));
    grid->setCurrentCell(0, 0);
    e.child<QPushButton>("AutoAnwBtn")->click();
    e.child<QListWidget>("AutoAnwLB")->item(0)->setSelected(true);
    e.child<QPushButton>("AutoConvBtn")->click();
    e.child<QPushButton>("OKBtn")->click();
    QCOMPARE(e.p.objects[0].program, (std::vector<std::string>{"-Bad EINSCHALTEN", "-Flur AUSSCHALTEN"}));
    QCOMPARE(e.p.objects[0].varDefs,
             std::vector<std::string>{"Licht               Zahl                                    "});

    // The dialog for a new object offers the types and places the object on its view.
    kelvaro::gui::TNewObjF dialog(e.context, {"Keller", true});
    auto* newTypes = kelvaro::test::child<QListWidget>(&dialog, "TypLB");
    QCOMPARE(itemTexts(newTypes), (QStringList{"Lampe", "Zahl", "Zeichen", "Knopf", "(Undefiniert)"}));
    kelvaro::test::child<QLineEdit>(&dialog, "NameEd")->setText(QStringLiteral("Diele"));
    newTypes->setCurrentRow(0);
    kelvaro::test::child<QPushButton>(&dialog, "OKBtn")->click();
    QCOMPARE(dialog.createdObject(), 2);
    QCOMPARE(QString::fromStdString(e.p.objects[2].plans[0].ViewName), QStringLiteral("Keller"));
  }
};

QTEST_MAIN(ObjectEditorTest)
#include "object_editor_test.moc"
