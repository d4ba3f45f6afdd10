// The main window's pages driven through their controls with a scripted user interface. What
// each command does is the core's to test (object_commands_test, type_editor_test,
// view_commands_test, unit_page_commands_test); here the controls reach the commands and their
// results reach the lists, labels and the user, word for word where only the page says it. Last,
// the user interface's own windows: the note, and Qt's dialogs in German.

#include "app_start.h"
#include "control_unit.h"
#include "gui_test_support.h"
#include "note_window.h"
#include "pages/control_unit_page.h"
#include "pages/objects_page.h"
#include "pages/types_page.h"
#include "pages/views_page.h"
#include "qt_user_interface.h"
#include "support/project_builder.h"
#include "support/temp_dir.h"
#include "text/cp1252.h"
#include "time/clock.h"
#include "type_dialog.h"

using kelvaro::TBitmapNam;
using kelvaro::TPSObj;
using kelvaro::TypeDefinition;
using kelvaro::test::child;
using kelvaro::test::itemTexts;

namespace {

// A page of the main window on a workspace of its own; get finds its controls by name.
template <class Page>
struct PageOn : kelvaro::test::GuiWorkspace {
  Page page{context, nullptr};

  template <class T = QListWidget>
  T* get(const char* name) {
    return child<T>(&page, name);
  }
  void click(const char* name) { get<QPushButton>(name)->click(); }
};

// The page "Objekte" over the objects given.
struct Objects : PageOn<kelvaro::gui::ObjectsPage> {
  explicit Objects(std::vector<TPSObj> objects = {}) {
    workspace.project.objects = std::move(objects);
    page.refresh();
  }
  QStringList shownObjects() { return itemTexts(get("ObjBox")); }
};

// The page "Typen" on the types "Lampe" and "Tuer", whose states are listed mixed.
struct Types : PageOn<kelvaro::gui::TypesPage> {
  kelvaro::Project& p = workspace.project;

  Types() {
    kelvaro::addType(p, "Lampe;1");
    kelvaro::addType(p, "Tuer;0");
    kelvaro::rebuildTypeNames(p);
    p.typeStates = {{"Lampe:aus", TBitmapNam{"LAMPE_AUS.BMP", 1, 0}},
                    {"Tuer:offen", std::nullopt},
                    {"Lampe:an", std::nullopt},
                    {"Tuer:zu", std::nullopt}};
    page.refresh();
  }
  QListWidget* types() { return get("TypBox"); }
  QListWidget* states() { return get("TypZustLB"); }
  QLabel* bitmapName() { return get<QLabel>("BmpNameLbl"); }
};

// The page "Ansichten" on two views, with an object placed on the first.
struct Views : PageOn<kelvaro::gui::ViewsPage> {
  QListWidget* list = get("AnsichtLB");

  Views() {
    workspace.project.views = {{"Erdgeschoss", {}}, {"Keller", {}}};
    workspace.project.objects = {kelvaro::createObject("Lampe")};
    workspace.project.objects[0].plans[0].ViewName = "Erdgeschoss";
    workspace.app.selectedView = 0;
    page.refresh();
  }
};

// The page "Steuereinheit" on a workspace whose COM1 is the built-in simulator, in virtual time.
struct Unit : PageOn<kelvaro::gui::ControlUnitPage> {
  Unit() {
    workspace.ini.writeString("PORTS", "COM1", "SIM");
    workspace.settings().COMPORT = 0;
    workspace.settings().CONTR = 3;  // "CU-A2-3.20", what the simulator is by default
    workspace.settings().projectNameLabel = "HAUS";
    workspace.project.typeStates = {{"Lampe:aus", {}}, {"Lampe:an", {}}};
    workspace.project.objects = {kelvaro::test::lampObject("Flur"), kelvaro::test::lampObject("Kueche")};
    page.setLineClock(clock, [this] { clock.advanceMs(1); });
    page.setDeviceLister([] { return std::vector<std::string>{"/nonexistent/ttyUSB7"}; });
    page.refresh();
  }

  kelvaro::ManualClock clock{46000.5};
};

QStringList buttonTexts(const QWidget* dialog) {
  QStringList texts;
  for (const QAbstractButton* b : dialog->findChild<QDialogButtonBox*>()->buttons()) texts << b->text();
  return texts;
}

}  // namespace

class PagesTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // What new, rename, delete and copy do is object_commands_test's; here the buttons reach them.
  void buttonsReachTheObjectCommands() {
    Objects f({kelvaro::createObject("Lampe"), kelvaro::createObject("Schalter1")});
    f.ui.inputs = {"init", "Licht", "1", "2"};
    f.click("NeuObjBtn");
    QCOMPARE(f.get("ObjBox")->currentRow(), 2);
    f.get("ObjBox")->setCurrentRow(0);
    f.click("UmbenObjBtn");
    f.get("ObjBox")->setCurrentRow(1);
    f.click("KopierObjBtn");
    QCOMPARE(f.shownObjects(), (QStringList{"Licht", "Schalter1", "*INIT", "Schalter2"}));
    QCOMPARE(f.get("ObjBox")->currentRow(), 3);
    f.click("LoeschObjBtn");  // after the question
    QCOMPARE(f.shownObjects(), (QStringList{"Licht", "Schalter1", "*INIT"}));
  }

  void commandsNeedASelection() {
    Objects f;
    for (const char* name : {"UmbenObjBtn", "LoeschObjBtn", "BearbObjBtn", "KopierObjBtn", "BezugBtn", "DebugAddBtn"})
      f.click(name);
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>(6, "Kein Objekt ausgewählt"));
    QVERIFY(f.ui.inputPrompts.empty());
  }

  // "Bearbeiten" and a double-click open the editor after marking the project.
  void editorSwitchesAndTraceListFollowTheWorkspace() {
    Objects f({kelvaro::createObject("Lampe"), kelvaro::createObject("Tor")});
    std::vector<int> opened;
    f.context.editObject = [&](const kelvaro::EditorRequest& r) {
      opened.push_back(f.workspace.project.modified ? r.object : -1);
      return true;
    };
    f.get("ObjBox")->setCurrentRow(1);
    f.click("BearbObjBtn");
    f.get("ObjBox")->setCurrentRow(0);
    Q_EMIT f.get("ObjBox")->itemDoubleClicked(f.get("ObjBox")->item(0));
    QCOMPARE(opened, (std::vector<int>{1, 0}));

    // The switches and the trace list follow the workspace; the hardware switch marks the project.
    f.workspace.project.modified = false;
    QCheckBox* protocol = f.get<QCheckBox>("ProtCB");
    QVERIFY(!protocol->isEnabled());
    f.get<QCheckBox>("ExternCB")->click();
    QVERIFY(f.workspace.project.Extern && f.workspace.unit.HardwareControl && f.workspace.project.modified);
    protocol->click();
    QVERIFY(f.workspace.writeProtocol);
    f.get<QCheckBox>("DebugCBox")->click();
    QVERIFY(f.workspace.traceMode);

    f.get("ObjBox")->setCurrentRow(0);
    f.click("DebugAddBtn");
    f.get("ObjBox")->setCurrentRow(1);
    f.click("DebugAddBtn");
    f.get("DebugLBox")->setCurrentRow(0);
    f.click("DebugDelBtn");
    QCOMPARE(itemTexts(f.get("DebugLBox")), QStringList{"Tor"});
    f.click("DebugClearBtn");
    QVERIFY(f.workspace.traceList.empty());
  }

  void runButtonAndContextReachTheStart() {
    Objects f({kelvaro::createObject("Lampe")});
    f.click("PCAusfBtn");
    QVERIFY(f.context.runOnPc && f.context.visualise);
    f.context.visualise();
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>(2, "Keine Ansicht definiert"));
  }

  // ---- "Typen": the lists, the state moves, the type and state buttons, the import and the
  // delete key.
  void typeAndStateButtonsImportAndDeleteKey() {
    kelvaro::test::TempDir dir;
    kelvaro::test::writeFile(dir.file("HAUS.OTY"), "@Typs\r\n Jalousie;1\r\n@TypState\r\n Jalousie:oben\r\n@E\r\n");
    Types f;
    QCOMPARE(itemTexts(f.types()), (QStringList{"Lampe", "Tuer"}));
    QCOMPARE(itemTexts(f.states()), (QStringList{"aus", "an"}));  // the first type is shown at once
    QCOMPARE(f.bitmapName()->text(), QStringLiteral("LAMPE_AUS.BMP"));
    f.states()->setCurrentRow(1);
    f.click("ZustUpBtn");
    QCOMPARE(itemTexts(f.states()), (QStringList{"an", "aus"}));
    QCOMPARE(f.states()->currentRow(), 0);
    f.click("ZustDownBtn");
    QCOMPARE(itemTexts(f.states()), (QStringList{"aus", "an"}));
    f.types()->setCurrentRow(1);
    QCOMPARE(itemTexts(f.states()), (QStringList{"offen", "zu"}));
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
    Types f;
    f.workspace.settings().DIRBMP = dir.path().string() + "/";
    f.types()->setCurrentRow(1);
    f.states()->setCurrentRow(1);
    f.ui.fileNames = {dir.file("TOR_ZU.BMP")};
    f.click("StdBmpBtn");
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>{"Bitmap TOR_ZU.BMP nicht gefunden."});
    QCOMPARE(f.bitmapName()->text(), QStringLiteral("TOR_ZU.BMP"));
    f.click("EntfBmpBtn");
    QVERIFY(!f.p.typeStates[3].bitmap.has_value());
    QVERIFY(f.bitmapName()->text().isEmpty());
  }

  void typeDialogReportsNameAndKind() {
    kelvaro::gui::TypeEditDialog dialog;
    dialog.setDefinition({"Lampe", -1});
    child<QRadioButton>(&dialog, "ArtRB1")->click();
    child<QLineEdit>(&dialog, "BezEdit")->setText(QStringLiteral("Türöffner"));
    QCOMPARE(dialog.definition().kind, 1);
    QCOMPARE(dialog.definition().name, kelvaro::fromUtf8("Türöffner"));
  }

  // ---- "Ansichten"
  void newDeleteAndColourReachTheCommands() {
    Views f;
    f.ui.answers = {kelvaro::MessageAnswer::Yes};
    f.click("AnsLoeschenBtn");
    QCOMPARE(itemTexts(f.list), (QStringList{"Keller"}));
    f.ui.inputs = {"Garten"};
    f.click("AnsNeuBtn");
    QCOMPARE(itemTexts(f.list), (QStringList{"Keller", "Garten"}));
    QCOMPARE(f.list->currentRow(), 1);
    f.list->setCurrentRow(-1);
    f.click("AnsUmbenennenBtn");
    QCOMPARE(f.ui.messageTexts().back(), std::string("Keine Ansicht ausgewählt"));
    auto* colours = f.get<QComboBox>("FormBCol");
    colours->setCurrentIndex(3);
    Q_EMIT colours->activated(3);
    QCOMPARE(f.workspace.project.BackColor, 3);
  }

  void drawButtonStartsTheProgramOnTheNewBitmap() {
    kelvaro::test::TempDir dir;
    Views f;
    f.workspace.settings().DIRBMP = dir.path().string() + "/";
    f.workspace.settings().PAINTPATH = dir.file("malen");
    kelvaro::test::writeFile(dir.file("malen"), "");
    std::vector<std::string> started;
    f.page.setProgramStarter([&](const std::string& program, const std::vector<std::string>& arguments) {
      started.push_back(program + " " + arguments.at(0));
      return true;
    });
    f.list->setCurrentRow(1);
    f.click("BildZeichnenBtn");
    QCOMPARE(started, (std::vector<std::string>{dir.file("malen") + " " + dir.file("Keller.bmp")}));
    // The new bitmap is shown in the preview with its name.
    QCOMPARE(f.get<QLabel>("ShowName")->text(), QStringLiteral("Keller.bmp"));
    QVERIFY(!f.get<QLabel>("Vorschau")->pixmap().isNull());
  }

  // ---- "Steuereinheit"
  // The transfer fills the memory use and the status line (unit_visualisation_test sees the unit
  // run what it loaded); the starts of a run then check the unit through the page's line, on the
  // port the page chose; the model chosen hides the groups it has not (which model shows what,
  // and the port list, are unit_page_commands_test's).
  void transferStartCheckAndModelChoiceReachTheUnit() {
    Unit f;
    auto* model = f.get<QComboBox>("ConvertCoB");
    QCOMPARE(model->currentText(), QStringLiteral("CU-A2-3.20"));
    QVERIFY(!f.get<QGroupBox>("TransferGB")->isHidden());
    f.get<QPushButton>("StSndPlanBtn")->click();
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>{});
    QVERIFY(f.get<QLabel>("InfoPgmGrLb")->text().endsWith(QStringLiteral(" %")));
    QCOMPARE(f.get<QLabel>("MsgLb")->text(), QStringLiteral("Übertragung abgeschlossen"));

    f.get<QPushButton>("InitSteBtn")->click();
    QCOMPARE(f.get<QLabel>("MsgLb")->text(), QStringLiteral("Neustart ausgeführt"));

    QVERIFY(f.context.checkUnit && f.context.checkUnit(1));
    auto* port = f.get<QComboBox>("ComPortCoB");
    port->setCurrentIndex(port->findText(QStringLiteral("/nonexistent/ttyUSB7")));  // from the device lister
    Q_EMIT port->activated(port->currentIndex());
    QCOMPARE(f.workspace.ini.value("PORTCHOICE", "PORT"), std::optional<std::string>("/nonexistent/ttyUSB7"));
    QVERIFY(!f.context.checkUnit(1));  // says so, like the button below
    f.get<QPushButton>("KonvWriteBtn")->click();
    QCOMPARE(f.ui.messageTexts(),
             std::vector<std::string>(2, "Keine Steuereinheit gefunden an Port /nonexistent/ttyUSB7"));
    QVERIFY(f.page.isEnabled());

    const int index = model->findText(QStringLiteral("RFI-RS1"));
    model->setCurrentIndex(index);
    Q_EMIT model->activated(index);
    QCOMPARE(f.workspace.settings().CONTR, index);
    QVERIFY(f.get<QGroupBox>("TransferGB")->isHidden());

    // Without hardware AutoDetect ends at the simulator and keeps it as if chosen by hand.
    for (const char* com : {"COM1", "COM3", "COM4"}) f.workspace.ini.writeString("PORTS", com, "/nonexistent/port");
    f.get<QPushButton>("AutoDtBtn")->click();
    QCOMPARE(port->currentText(), QStringLiteral("Simulator"));
    QCOMPARE(f.workspace.ini.value("PORTCHOICE", "PORT"), std::optional<std::string>("SIM"));
  }

  // While the blocks go out: no connection dialog, a busy cursor, and the progress and the
  // status line readable while the commands are disabled.
  void aTransferShowsLifeWithoutTheConnectionDialog() {
    Unit f;
    kelvaro::gui::QtUserInterface qtUi;
    kelvaro::gui::MainContext context{f.workspace, qtUi};
    kelvaro::gui::ControlUnitPage page{context, nullptr};
    page.refresh();
    auto* progress = child<QProgressBar>(&page, "TransferProgress");
    auto* start = child<QPushButton>(&page, "StSndPlanBtn");
    auto waitShown = [] { return qobject_cast<QProgressDialog*>(QApplication::activeModalWidget()) != nullptr; };
    bool waitSeen = false;
    int blockPolls = 0, faults = 0;
    page.setLineClock(f.clock, [&] {
      f.clock.advanceMs(1);
      waitSeen = waitSeen || waitShown();
      if (progress->isHidden()) return;
      ++blockPolls;
      const QCursor* cursor = QApplication::overrideCursor();
      faults += waitShown() || !progress->isEnabled() || !child<QLabel>(&page, "MsgLb")->isEnabled() ||
                start->isEnabled() || cursor == nullptr || cursor->shape() != Qt::BusyCursor;
    });
    start->click();
    QVERIFY(waitSeen && blockPolls > 0);
    QCOMPARE(faults, 0);
    QVERIFY(QApplication::overrideCursor() == nullptr && start->isEnabled());
  }

  // Double-clicks on two labels: one shows the service-code field, which compiles into a file,
  // the other switches the line log.
  void serviceCodeAndLineLogBehindTheLabels() {
    Unit f;
    f.page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.page));
    auto* field = f.get<QLineEdit>("SecComp");
    QVERIFY(field->isHidden());
    QTest::mouseDClick(f.get<QLabel>("Label13"), Qt::LeftButton);
    QVERIFY(!field->isHidden());
    QTemporaryDir dir;
    f.ui.fileNames.push_back(dir.filePath(QStringLiteral("haus.bin")).toStdString());
    field->setText(QStringLiteral("WARTUNG"));
    QTest::mouseDClick(field, Qt::LeftButton);
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("haus.SPA"))).size() > 0);
    QCOMPARE(f.page.builtInUnit().programBlocks, 0);  // nothing went to the unit

    // A double-click on the port label switches the line log (Ctrl+Q in the constants is
    // main_window_test's), and the label tells which way.
    auto* label = f.get<QLabel>("COMPortLb");
    QTest::mouseDClick(label, Qt::LeftButton);
    QVERIFY(f.workspace.lineLog);
    QCOMPARE(label->text(), QStringLiteral("COM-Port:"));
    QTest::mouseDClick(label, Qt::LeftButton);
    QVERIFY(!f.workspace.lineLog);
    QCOMPARE(label->text(), QStringLiteral("COM-Port"));
  }

  // ---- The user interface's own windows. A note returns at once and stays until "OK"; a second
  // note while it is open uses the same window.
  void aNoteReturnsAtOnceAndStaysOnScreenUntilOk() {
    QWidget main;
    kelvaro::gui::QtUserInterface ui(&main);
    ui.showNote(kelvaro::fromUtf8("Station prüfen\rbitte warten"));
    auto* note = ui.noteWindow();
    QVERIFY(note != nullptr && note->isVisible() && !note->isModal());
    QCOMPARE(note->windowTitle(), QStringLiteral("Meldung"));
    QCOMPARE(note->MsgPnl->text(), QStringLiteral("Station prüfen\nbitte warten"));
    ui.showNote("Fertig");
    QCOMPARE(ui.noteWindow(), note);
    QCOMPARE(note->MsgPnl->text(), QStringLiteral("Fertig"));
    note->OKBtn->click();
    QTRY_VERIFY(ui.noteWindow() == nullptr);  // closed and gone; the next note opens a new one
    ui.showNote("Neu");
    QVERIFY(ui.noteWindow() != nullptr && ui.noteWindow()->isVisible());
  }

  // Qt's own dialogs speak German (last: the texts stay so for the rest of the run; one dialog
  // shows that Qt's translation is loaded, the file dialog takes it from the same place), and
  // Enter in a question that destroys answers "Nein".
  void dialogsSpeakGermanAndDestructiveQuestionsDefaultToNo() {
    QVERIFY(kelvaro::gui::useGermanTexts());
    kelvaro::gui::QtUserInterface ui;
    QStringList seen;
    kelvaro::test::onModal<QInputDialog>([&](QInputDialog* d) {
      seen << buttonTexts(d);
      d->reject();
    });
    QCOMPARE(ui.inputBox("Eingabe", "Neuer Zustand", "x"), std::nullopt);
    QCOMPARE(seen, (QStringList{"OK", "Abbrechen"}));
    kelvaro::test::onModal<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
    QCOMPARE(ui.showMessage(kelvaro::destructiveQuestion("Soll die Ansicht entfernt werden?")),
             kelvaro::MessageAnswer::No);
  }
};

QTEST_MAIN(PagesTest)
#include "pages_test.moc"
