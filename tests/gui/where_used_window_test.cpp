// The window "Objektbezüge" wired to the page "Objekte" and to the object editor: which lines
// are uses is where_used_test's; here the list fills, fits the small screen, and a double-click
// asks for the editor on the line and searches again after it.
#include "gui_test_support.h"
#include "pages/objects_page.h"
#include "support/project_builder.h"
#include "where_used_window.h"

using kelvaro::test::child;
using kelvaro::test::itemTexts;

class WhereUsedWindowTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { kelvaro::test::useSmallScreen(); }

 private Q_SLOTS:
  void bezuegeOpensTheListAndADoubleClickOpensTheEditorOnTheLine() {
    kelvaro::test::GuiWorkspace f;
    f.workspace.project = kelvaro::test::lampProject(
        {kelvaro::test::lampObject("Lampe"), kelvaro::test::lampObject("Taster", {"ENDEWENN", "AKTIVIEREN(Lampe)"})});
    f.workspace.project.objects[1].program.insert(f.workspace.project.objects[1].program.begin(), "-&Lampe EINSCHALTEN");
    std::vector<kelvaro::EditorRequest> opened;
    f.context.editObject = [&](const kelvaro::EditorRequest& r) {
      opened.push_back(r);
      // The user removes the generated line in the editor.
      auto& program = f.workspace.project.objects[1].program;
      program.erase(program.begin());
      return true;
    };

    kelvaro::gui::ObjectsPage page(f.context, nullptr);
    page.refresh();
    child<QListWidget>(&page, "ObjBox")->setCurrentRow(0);
    QStringList shown, afterEdit;
    QString header, reach;
    QTimer::singleShot(0, [&] {
      auto* window = qobject_cast<kelvaro::gui::TRelObjF*>(QApplication::activeModalWidget());
      QVERIFY(window != nullptr);
      QCOMPARE(window->windowTitle(), QStringLiteral("Objektbezüge"));
      auto* list = child<QListWidget>(window, "RelObjLB");
      header = child<QLabel>(window, "HeadLab")->text();
      shown = itemTexts(list);
      reach = kelvaro::test::outOfReach(window, {list, child<QPushButton>(window, "CloseBtn")});
      Q_EMIT list->itemDoubleClicked(list->item(0));
      afterEdit = itemTexts(list);
      window->reject();
    });
    child<QPushButton>(&page, "BezugBtn")->click();

    QCOMPARE(header, QStringLiteral("Lampe wird in folgenden Programmen verwendet:"));
    QCOMPARE(shown, (QStringList{"Taster  :  &Lampe EINSCHALTEN", "Taster  :  AKTIVIEREN(Lampe)"}));
    QCOMPARE(reach, QString());
    QCOMPARE(opened.size(), std::size_t(1));
    QCOMPARE(opened[0].object, 1);
    QCOMPARE(opened[0].storedLine, 0);
    QCOMPARE(afterEdit, (QStringList{"Taster  :  AKTIVIEREN(Lampe)"}));
    QVERIFY(f.ui.messages.empty());
  }
};

QTEST_MAIN(WhereUsedWindowTest)
#include "where_used_window_test.moc"
