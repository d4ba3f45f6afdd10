// The page "Objekte" driven through its buttons with a scripted user interface: the object
// commands reach the project, the refusals reach the user word for word.
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "main_context.h"
#include "pages/objects_page.h"
#include "support/fake_user_interface.h"

using kelvaro::createObject;
using kelvaro::TPSObj;

namespace {

TPSObj object(const char* name, std::vector<std::string> program = {}) {
  TPSObj o = createObject(name);
  o.program = std::move(program);
  return o;
}

QStringList messageTexts(const kelvaro::test::FakeUserInterface& ui) {
  QStringList texts;
  for (const auto& t : ui.messageTexts()) texts << QString::fromStdString(t);
  return texts;
}

}  // namespace

class ObjectsPageTest : public QObject {
  Q_OBJECT

 private:
  // A fresh page over a fresh workspace for each test.
  struct Fixture {
    kelvaro::Workspace workspace;
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::MainContext context{workspace, ui};
    kelvaro::gui::ObjectsPage page{context, nullptr};

    explicit Fixture(std::vector<TPSObj> objects = {}) {
      workspace.project.objects = std::move(objects);
      page.refresh();
    }
    QListWidget* list(const char* name) { return page.findChild<QListWidget*>(QString::fromLatin1(name)); }
    QCheckBox* check(const char* name) { return page.findChild<QCheckBox*>(QString::fromLatin1(name)); }
    void click(const char* name) {
      auto* button = page.findChild<QPushButton*>(QString::fromLatin1(name));
      QVERIFY2(button, name);
      button->click();
    }
    QStringList shownObjects() {
      QStringList names;
      for (int i = 0; i < list("ObjBox")->count(); ++i) names << list("ObjBox")->item(i)->text();
      return names;
    }
  };

 private Q_SLOTS:
  void controlsCarryTheirNamesAndCaptions() {
    Fixture f;
    for (const char* name : {"ObjBox", "DebugLBox"}) QVERIFY2(f.list(name), name);
    QCOMPARE(f.check("ExternCB")->text(), QStringLiteral("Hardware-Steuerung übernehmen"));
    QCOMPARE(f.check("ProtCB")->text(), QStringLiteral("Protokoll schreiben"));
    QCOMPARE(f.check("DebugCBox")->text(), QStringLiteral("&Ablaufverfolgung"));
    QStringList captions;
    for (auto* b : f.page.findChildren<QPushButton*>()) captions << b->text();
    for (const char* c : {"&Neu", "&Umbennenen", "&Löschen", "&Bearbeiten", "&Kopieren", "Be&züge",
                          "&Visualisierung", "&PC - Ausführung"})
      QVERIFY2(captions.contains(QString::fromUtf8(c)), c);
  }

  void newObjectInitBecomesStarInitOnce() {
    Fixture f;
    f.ui.inputs = {"init", "Init"};
    f.click("NeuObjBtn");
    QCOMPARE(f.shownObjects(), QStringList{"*INIT"});
    QCOMPARE(f.list("ObjBox")->currentRow(), 0);
    QCOMPARE(int(f.workspace.project.objects[0].ACode), 255);
    QVERIFY(f.workspace.project.modified);
    f.click("NeuObjBtn");
    QCOMPARE(f.shownObjects(), QStringList{"*INIT"});
    QCOMPARE(messageTexts(f.ui), QStringList{"Es gibt schon ein Objekt mit diesem Namen"});
  }

  void renameRewritesThePrograms() {
    Fixture f({object("Lampe"), object("Schalter", {"-EINSCHALTEN Lampe AUS", "-Lampe= 1", "-Lampe2 = 0",
                                                    "-X = (Lampe+Lampe)"})});
    f.list("ObjBox")->setCurrentRow(0);
    f.ui.inputs = {"Licht"};
    f.click("UmbenObjBtn");
    QCOMPARE(f.shownObjects(), (QStringList{"Licht", "Schalter"}));
    const std::vector<std::string> expected{"-EINSCHALTEN Licht AUS", "-Licht= 1", "-Lampe2 = 0", "-X = (Licht+Licht)"};
    QVERIFY(f.workspace.project.objects[1].program == expected);
    QVERIFY(f.ui.messages.empty());
  }

  void deleteRefusesAnObjectInUse() {
    Fixture f({object("Lampe"), object("Flur", {"-EINSCHALTEN Lampe"}), object("Bad", {"-X = Lampe.Zeit"}),
               object("Kueche", {"-Lampe = 1"})});
    f.list("ObjBox")->setCurrentRow(0);
    f.click("LoeschObjBtn");
    QCOMPARE(messageTexts(f.ui), QStringList{"Das Objekt Lampe kann nicht gelöscht werden,\rda es im Programm Flur\r"
                                             "und 2 weiteren Programm(en) verwendet wird."});
    QCOMPARE(f.shownObjects().size(), 4);

    // An unused object goes after the question.
    f.ui.messages.clear();
    f.list("ObjBox")->setCurrentRow(1);
    f.click("LoeschObjBtn");
    QCOMPARE(messageTexts(f.ui), QStringList{"Soll das Objekt wirklich gelöscht werden?"});
    QCOMPARE(f.shownObjects(), (QStringList{"Lampe", "Bad", "Kueche"}));
  }

  void copyPlacesTheCopyBelow() {
    TPSObj lamp = object("Lampe1", {"-EINSCHALTEN Lampe1"});
    lamp.plans[0] = {"Erdgeschoss", 40, 100, 80, 50};
    Fixture f({lamp});
    f.list("ObjBox")->setCurrentRow(0);
    f.ui.inputs = {"1", "2"};
    f.click("KopierObjBtn");
    QCOMPARE(f.shownObjects(), (QStringList{"Lampe1", "Lampe2"}));
    QCOMPARE(f.list("ObjBox")->currentRow(), 1);
    const TPSObj& copy = f.workspace.project.objects[1];
    QCOMPARE(copy.plans[0].Top, 100 + 50 + 12);
    QCOMPARE(copy.plans[0].Left, 40);
    QCOMPARE(QString::fromStdString(copy.program[0]), QStringLiteral("-EINSCHALTEN Lampe2"));
    QCOMPARE(int(copy.ObjIDNr), 10001);
  }

  void commandsNeedASelection() {
    Fixture f;
    for (const char* name : {"UmbenObjBtn", "LoeschObjBtn", "BearbObjBtn", "KopierObjBtn", "BezugBtn", "DebugAddBtn"})
      f.click(name);
    QCOMPARE(messageTexts(f.ui), QStringList(6, QStringLiteral("Kein Objekt ausgewählt")));
    QVERIFY(f.ui.inputPrompts.empty());
  }

  void editAndDoubleClickOpenTheEditorAfterMarkingTheProject() {
    Fixture f({object("Lampe"), object("Tor")});
    std::vector<int> opened;
    bool modifiedWhenOpened = false;
    f.context.editObject = [&](const kelvaro::EditorRequest& r) {
      opened.push_back(r.object);
      modifiedWhenOpened = f.workspace.project.modified;
      return true;
    };
    f.list("ObjBox")->setCurrentRow(1);
    f.click("BearbObjBtn");
    QVERIFY(modifiedWhenOpened);
    QListWidget* box = f.list("ObjBox");
    Q_EMIT box->itemDoubleClicked(box->item(0));
    box->setCurrentRow(0);
    Q_EMIT box->itemDoubleClicked(box->item(0));
    QCOMPARE(opened, (std::vector<int>{1, 1, 0}));
  }

  void runWithoutViewsIsRefused() {
    Fixture f({object("Lampe")});
    f.click("PCAusfBtn");
    QCOMPARE(messageTexts(f.ui), QStringList{"Keine Ansicht definiert"});
    QCOMPARE(f.ui.messages[0].helpContext, 1002);
    // Tool bar and menu reach the same start through the context.
    QVERIFY(f.context.runOnPc && f.context.visualise);
    f.context.runOnPc();
    f.context.visualise();
    QCOMPARE(messageTexts(f.ui).size(), 3);
    QCOMPARE(messageTexts(f.ui).last(), QStringLiteral("Keine Ansicht definiert"));
  }

  void switchesFollowTheWorkspace() {
    Fixture f({object("Lampe"), object("Tor")});
    QCheckBox* extern_ = f.check("ExternCB");
    QCheckBox* protocol = f.check("ProtCB");
    QVERIFY(!protocol->isEnabled());
    extern_->click();
    QVERIFY(f.workspace.project.Extern);
    QVERIFY(f.workspace.unit.HardwareControl);
    QVERIFY(f.workspace.project.modified);
    QVERIFY(protocol->isEnabled());
    protocol->click();
    QVERIFY(f.workspace.writeProtocol);
    extern_->click();
    QVERIFY(!protocol->isEnabled());
    QVERIFY(!f.workspace.unit.HardwareControl);
    f.check("DebugCBox")->click();
    QVERIFY(f.workspace.traceMode);

    // A project read with the switch on shows it at the next refresh.
    f.workspace.project.Extern = true;
    f.page.refresh();
    QVERIFY(extern_->isChecked());
    QVERIFY(protocol->isEnabled());
  }

  void traceListAddRemoveClear() {
    Fixture f({object("Lampe"), object("Tor")});
    f.list("ObjBox")->setCurrentRow(0);
    f.click("DebugAddBtn");
    f.click("DebugAddBtn");  // listed once only
    f.list("ObjBox")->setCurrentRow(1);
    f.click("DebugAddBtn");
    QCOMPARE(f.list("DebugLBox")->count(), 2);
    f.list("DebugLBox")->setCurrentRow(0);
    f.click("DebugDelBtn");
    QVERIFY(f.workspace.traceList == std::vector<std::string>{"Tor"});
    QCOMPARE(f.list("DebugLBox")->item(0)->text(), QStringLiteral("Tor"));
    f.click("DebugClearBtn");
    QVERIFY(f.workspace.traceList.empty());
    QCOMPARE(f.list("DebugLBox")->count(), 0);
  }

  void relationsAreAnnouncedForALaterVersion() {
    Fixture f({object("Lampe")});
    f.list("ObjBox")->setCurrentRow(0);
    f.click("BezugBtn");
    QCOMPARE(f.ui.messages.size(), std::size_t{1});
    QCOMPARE(f.ui.messages[0].kind, kelvaro::MessageKind::Information);
  }
};

QTEST_MAIN(ObjectsPageTest)
#include "objects_page_test.moc"
