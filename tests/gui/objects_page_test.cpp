// The page "Objekte" driven through its buttons with a scripted user interface: the object
// commands reach the project, the refusals reach the user word for word.
#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

#include "gui_test_support.h"
#include "pages/objects_page.h"

using kelvaro::TPSObj;

namespace {

TPSObj object(const char* name, std::vector<std::string> program = {}) {
  TPSObj o = kelvaro::createObject(name);
  o.program = std::move(program);
  return o;
}

// A fresh page over a fresh workspace for each test.
struct Fixture : kelvaro::test::GuiWorkspace {
  kelvaro::gui::ObjectsPage page{context, nullptr};

  explicit Fixture(std::vector<TPSObj> objects = {}) {
    workspace.project.objects = std::move(objects);
    page.refresh();
  }
  QListWidget* list(const char* name) { return kelvaro::test::child<QListWidget>(&page, name); }
  QCheckBox* check(const char* name) { return kelvaro::test::child<QCheckBox>(&page, name); }
  void click(const char* name) { kelvaro::test::child<QPushButton>(&page, name)->click(); }
  QStringList shownObjects() { return kelvaro::test::itemTexts(list("ObjBox")); }
};

}  // namespace

class ObjectsPageTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // What new, rename, delete and copy do is object_commands_test's; here the buttons reach them.
  void buttonsReachTheObjectCommands() {
    Fixture f({object("Lampe"), object("Schalter1", {"-Lampe= 1"})});
    f.ui.inputs = {"init", "Licht", "1", "2"};
    f.click("NeuObjBtn");
    QCOMPARE(f.shownObjects(), (QStringList{"Lampe", "Schalter1", "*INIT"}));
    QCOMPARE(f.list("ObjBox")->currentRow(), 2);
    QVERIFY(f.workspace.project.modified);

    f.list("ObjBox")->setCurrentRow(0);
    f.click("UmbenObjBtn");
    QCOMPARE(f.shownObjects(), (QStringList{"Licht", "Schalter1", "*INIT"}));
    QVERIFY(f.workspace.project.objects[1].program == std::vector<std::string>{"-Licht= 1"});

    f.click("LoeschObjBtn");  // in use: refused
    QCOMPARE(f.shownObjects().size(), 3);
    f.list("ObjBox")->setCurrentRow(1);
    f.click("KopierObjBtn");
    QCOMPARE(f.shownObjects(), (QStringList{"Licht", "Schalter1", "*INIT", "Schalter2"}));
    QCOMPARE(f.list("ObjBox")->currentRow(), 3);
    f.click("LoeschObjBtn");  // unused: goes after the question
    QCOMPARE(f.shownObjects(), (QStringList{"Licht", "Schalter1", "*INIT"}));
    QCOMPARE(f.ui.messages.size(), std::size_t{2});
  }

  void commandsNeedASelection() {
    Fixture f;
    for (const char* name : {"UmbenObjBtn", "LoeschObjBtn", "BearbObjBtn", "KopierObjBtn", "BezugBtn", "DebugAddBtn"})
      f.click(name);
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>(6, "Kein Objekt ausgewählt"));
    QVERIFY(f.ui.inputPrompts.empty());
  }

  void editAndDoubleClickOpenTheEditorAfterMarkingTheProject() {
    Fixture f({object("Lampe"), object("Tor")});
    std::vector<int> opened;
    f.context.editObject = [&](const kelvaro::EditorRequest& r) {
      opened.push_back(f.workspace.project.modified ? r.object : -1);
      return true;
    };
    f.list("ObjBox")->setCurrentRow(1);
    f.click("BearbObjBtn");
    f.list("ObjBox")->setCurrentRow(0);
    Q_EMIT f.list("ObjBox")->itemDoubleClicked(f.list("ObjBox")->item(0));
    QCOMPARE(opened, (std::vector<int>{1, 0}));
  }

  void runButtonAndContextReachTheStart() {
    Fixture f({object("Lampe")});
    f.click("PCAusfBtn");
    QVERIFY(f.context.runOnPc && f.context.visualise);
    f.context.visualise();
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>(2, "Keine Ansicht definiert"));
  }

  void switchesAndTraceListFollowTheWorkspace() {
    Fixture f({object("Lampe"), object("Tor")});
    QCheckBox* protocol = f.check("ProtCB");
    QVERIFY(!protocol->isEnabled());
    f.check("ExternCB")->click();
    QVERIFY(f.workspace.project.Extern && f.workspace.unit.HardwareControl && f.workspace.project.modified);
    protocol->click();
    QVERIFY(f.workspace.writeProtocol);
    f.check("DebugCBox")->click();
    QVERIFY(f.workspace.traceMode);

    f.list("ObjBox")->setCurrentRow(0);
    f.click("DebugAddBtn");
    f.list("ObjBox")->setCurrentRow(1);
    f.click("DebugAddBtn");
    f.list("DebugLBox")->setCurrentRow(0);
    f.click("DebugDelBtn");
    QVERIFY(f.workspace.traceList == std::vector<std::string>{"Tor"});
    QCOMPARE(kelvaro::test::itemTexts(f.list("DebugLBox")), QStringList{"Tor"});
    f.click("DebugClearBtn");
    QVERIFY(f.workspace.traceList.empty());
  }
};

QTEST_MAIN(ObjectsPageTest)
#include "objects_page_test.moc"
