// The assistants' windows driven through their controls: the time field's corrections and leave
// check, and each window's buttons reaching the core assistant and its lines reaching the lists
// and, on OK, the object. Which lines the assistants write is the core tests' business.
#include "gui_test_support.h"

#include "assistants/action_form.h"
#include "assistants/clock_input.h"
#include "assistants/condition_form.h"
#include "assistants/switching_times_form.h"
#include "assistants/time_input.h"
#include "assistants/time_input_form.h"
#include "object_editor/obj_def_form.h"
#include "model/object_types.h"
#include "support/project_builder.h"

using kelvaro::test::child;
using kelvaro::test::itemTexts;

namespace {

using Lines = std::vector<std::string>;

QStringList qLines(const Lines& lines) {
  QStringList list;
  for (const auto& line : lines) list << QString::fromStdString(kelvaro::toUtf8(line));
  return list;
}

void clickRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
  QCoreApplication::processEvents();
}

QStringList selectedRows(const QListWidget* list) {
  QStringList rows;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->isSelected()) rows << QString::number(i);
  return rows;
}

// A lamp "Flur" and a second lamp, a door and two shutters around it.
kelvaro::Project assistantProject() {
  kelvaro::Project p = kelvaro::test::lampProject({kelvaro::test::lampObject("Flur"), kelvaro::test::lampObject("Bad"),
                                                    kelvaro::test::lampObject("Tuer"),
                                                    kelvaro::test::programObject("Rollo1", "Rolllade", "oben"),
                                                    kelvaro::test::programObject("Rollo2", "Rolllade", "oben")});
  p.typeStates.push_back({"Rolllade:oben", std::nullopt});
  p.typeStates.push_back({"Rolllade:unten", std::nullopt});
  p.objects[0].ObjTypO = kelvaro::kTypeClassTwoState;
  p.objects[2].ObjTypO = kelvaro::kTypeClassDoor;
  return p;
}

class AssistantWindowsTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { kelvaro::test::useSmallScreen(); }

 private Q_SLOTS:
  // The kind decides what the time window shows. Typing in its time field goes through the
  // core's corrections, the caret lands on the corrected place, and leaving with a broken time
  // keeps the focus after the message (what is corrected and refused is assistants_test's); OK
  // hands the fields and the checked days (shown Monday first) to the core.
  void timeWindowShowsItsKindCorrectsAndReturnsTheResult() {
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::TTimeInpF duration(ui, kelvaro::TimeWindowKind::Duration);
    duration.show();
    QVERIFY(!child<QListWidget>(&duration, "TageCLB")->isVisible());
    QVERIFY(!child<QLineEdit>(&duration, "TimeOff")->isVisible());

    kelvaro::gui::TTimeInpF window(ui, kelvaro::TimeWindowKind::SwitchOn);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* field = child<kelvaro::gui::TClockInp>(&window, "TimeOn");
    field->setFocus();
    field->setCursorPosition(0);
    QTest::keyClicks(field, QStringLiteral("9"));
    QCOMPARE(field->clockText(), QStringLiteral("2 :  :  "));
    QCOMPARE(field->cursorPosition(), 0);
    auto* days = child<QListWidget>(&window, "TageCLB");
    field->setClockText(QStringLiteral("SX:  :  "));
    days->setFocus();
    QTRY_COMPARE(ui.messages.size(), std::size_t{1});
    QCOMPARE(ui.messages[0].text, std::string(kelvaro::kInvalidTimeMessage));
    QTRY_VERIFY(field->hasFocus());

    days->item(0)->setCheckState(Qt::Checked);
    days->item(4)->setCheckState(Qt::Checked);
    field->setClockText(QStringLiteral(" 7:3 :  "));
    child<QPushButton>(&window, "OKBtn")->click();
    QCOMPARE(window.result().has_value(), true);
    QCOMPARE(window.result()->conditionLine, std::string("WENN TAG =+ \"0100010\" UND UHRZEIT = \"07:30:00\" DANN"));
  }

  // Each button hands the time window's answer to the core and the list shows the block; a click
  // selects the whole block, "Löschen" takes it away, OK leaves the list to the caller.
  void switchingTimesButtonsReachTheList() {
    kelvaro::test::FakeUserInterface ui;
    const kelvaro::Project p = assistantProject();
    kelvaro::gui::TSTimesF window(p, ui, "Flur", kelvaro::SwitchTimesKind::Switchable,
                                  {"-x:=1", "-&**--/A1/--**Block mit 1 Anweisungen", "-&Bad EINSCHALTEN"});
    std::vector<kelvaro::TimeWindowKind> asked;
    window.askTime = [&](kelvaro::TimeWindowKind kind) {
      asked.push_back(kind);
      return kelvaro::timeWindowResult(kind, "07:30:00", "  :  :  ", {});
    };
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* list = child<QListWidget>(&window, "AnwLB");
    QCOMPARE(itemTexts(list), (QStringList{"**--/A1/--**Block mit 1 Anweisungen", "Bad EINSCHALTEN"}));
    child<QPushButton>(&window, "SwitchOffBtn")->click();
    QCOMPARE(asked, (std::vector{kelvaro::TimeWindowKind::SwitchOff}));
    QCOMPARE(itemTexts(list), (QStringList{"**--/A1/--**Block mit 1 Anweisungen", "Bad EINSCHALTEN",
                                           "**--/A3/--**Block mit 3 Anweisungen",
                                           "WENN UHRZEIT = \"07:30:00\" DANN", "  Flur  AUSSCHALTEN", "ENDEWENN"}));
    clickRow(list, 4);
    QCOMPARE(selectedRows(list), (QStringList{"2", "3", "4", "5"}));
    child<QPushButton>(&window, "AnwDltBtn")->click();
    QCOMPARE(itemTexts(list), (QStringList{"**--/A1/--**Block mit 1 Anweisungen", "Bad EINSCHALTEN"}));
    child<QToolButton>(&window, "MuellBtn")->click();
    QCOMPARE(list->count(), 0);

    kelvaro::gui::TSTimesF shutter(p, ui, "Rollo1", kelvaro::SwitchTimesKind::Shutter, {});
    shutter.show();
    QCOMPARE(child<QPushButton>(&shutter, "SwitchOnBtn")->text(), QStringLiteral("Zeiten zum Öffnen und Schliessen"));
    QVERIFY(!child<QPushButton>(&shutter, "SwitchOffBtn")->isVisible());
    QVERIFY(!child<QPushButton>(&shutter, "SwitchTimeOutBtn")->isVisible());
  }

  // Targets and action reach the core; a shutter target swaps the actions for its states; mixing
  // is refused and cleared; with a condition the "sonst" list is there and the result is the
  // wrapped structure.
  void actionsWindowBuildsTheLines() {
    kelvaro::test::FakeUserInterface ui;
    const kelvaro::Project p = assistantProject();
    kelvaro::gui::TAppFormF window(p, ui, "Flur", "", {}, QStringLiteral("Flur schaltet"), "Bad");
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* targets = child<QListWidget>(&window, "ObjBoxLB");
    QCOMPARE(itemTexts(targets), (QStringList{"Bad", "Tuer", "Rollo1", "Rollo2"}));
    QCOMPARE(selectedRows(targets), QStringList{"0"});
    QVERIFY(!child<QListWidget>(&window, "SonstLB")->isVisible());
    auto* actions = child<QGroupBox>(&window, "SwitchRB");
    targets->item(1)->setSelected(true);
    QCOMPARE(actions->findChildren<QRadioButton*>().at(3)->text(), QStringLiteral("wie.."));
    actions->findChildren<QRadioButton*>().at(1)->click();
    child<QPushButton>(&window, "CrtAnwBtn1")->click();
    QCOMPARE(itemTexts(child<QListWidget>(&window, "AnwLB")),
             (QStringList{"**--/A2/--**Block mit 2 Anweisungen", "Bad EINSCHALTEN", "Tuer EINSCHALTEN"}));

    targets->item(2)->setSelected(true);  // a shutter among lamps
    QCOMPARE(ui.messages.size(), std::size_t{1});
    QVERIFY(targets->selectedItems().isEmpty());
    targets->item(3)->setSelected(true);
    QVERIFY(!actions->isVisible());
    auto* states = child<QComboBox>(&window, "AktFuncCB");
    QVERIFY(states->isVisible());
    states->setCurrentIndex(1);
    child<QPushButton>(&window, "CrtAnwBtn1")->click();
    QCOMPARE(child<QListWidget>(&window, "AnwLB")->item(4)->text(), QStringLiteral("Rollo2:=\"unten\""));

    kelvaro::gui::TAppFormF wrapped(p, ui, "Flur", " EINGESCHALTET ", {"-&x:=1"}, {}, "Bad");
    wrapped.show();
    QVERIFY(child<QListWidget>(&wrapped, "SonstLB")->isVisible());
    QVERIFY(!child<QPushButton>(&wrapped, "ConditionBtn")->isVisible());
    child<QPushButton>(&wrapped, "CrtAnwBtn1")->click();
    child<QPushButton>(&wrapped, "CrtAnwBtn2")->click();
    Lines program = {"-&x:=1"};
    wrapped.applyTo(program);
    QCOMPARE(qLines(program),
             (QStringList{"-&x:=1", "-&**--/A5/--**Block mit 5 Anweisungen", "-&WENN Flur EINGESCHALTET  DANN",
                          "-&  Bad UMSCHALTEN", "-&SONST", "-&  Bad UMSCHALTEN", "-&ENDEWENN"}));
  }

  // The subject decides the value control and the operator; the condition goes around the lines
  // and a click on it plus "markierte Bedingung löschen" takes it away again.
  void conditionWindowWrapsAndUnwraps() {
    kelvaro::test::FakeUserInterface ui;
    const kelvaro::Project p = assistantProject();
    kelvaro::gui::TCondiF window(p, ui, {"Bad EINSCHALTEN"});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* subjects = child<QComboBox>(&window, "ObjCB");
    subjects->setCurrentText(QStringLiteral("Tuer"));
    QVERIFY(!child<QComboBox>(&window, "VerglOp")->isVisible());
    child<QComboBox>(&window, "WertCB")->setCurrentIndex(1);
    child<QPushButton>(&window, "CrtAnwBtn")->click();
    subjects->setCurrentText(QStringLiteral("Uhrzeit"));
    QVERIFY(child<QComboBox>(&window, "VerglOp")->isVisible());
    QVERIFY(!child<QComboBox>(&window, "WertCB")->isVisible());
    child<QComboBox>(&window, "VerglOp")->setCurrentIndex(4);
    child<kelvaro::gui::TClockInp>(&window, "ZeitInp")->setClockText(QStringLiteral("22:00:00"));
    child<QPushButton>(&window, "CrtAnwBtn")->click();
    auto* list = child<QListWidget>(&window, "AnwLB");
    QCOMPARE(itemTexts(list),
             (QStringList{"**--/A5/--**Block mit 5 Anweisungen", "WENN Uhrzeit  groesser  \"22:00:00\" DANN",
                          "  WENN Tuer GESCHLOSSEN DANN", "    Bad EINSCHALTEN", "  ENDEWENN", "ENDEWENN"}));
    clickRow(list, 4);
    QCOMPARE(selectedRows(list), (QStringList{"2", "4"}));
    child<QPushButton>(&window, "DelBtn")->click();
    QCOMPARE(itemTexts(list), (QStringList{"**--/A3/--**Block mit 3 Anweisungen",
                                           "WENN Uhrzeit  groesser  \"22:00:00\" DANN", "  Bad EINSCHALTEN",
                                           "ENDEWENN"}));
  }

  // The object editor opens the assistants on its generated statements and takes their result
  // back; only the editor's OK writes it into the object.
  void objectEditorOpensTheAssistants() {
    kelvaro::test::GuiWorkspace w;
    w.workspace.project = assistantProject();
    kelvaro::Project& p = w.workspace.project;
    p.objects[0].program = {"-x:=1"};
    p.objects[0].ACode = 254;
    kelvaro::EditorRequest request;
    request.object = 0;
    auto dialog = std::make_unique<kelvaro::gui::TObjDefF>(w.context, request, kelvaro::ObjectEditorHooks{});
    dialog->show();
    kelvaro::test::onModal<kelvaro::gui::TSTimesF>([](kelvaro::gui::TSTimesF* times) {
      times->askTime = [](kelvaro::TimeWindowKind kind) {
        return kelvaro::timeWindowResult(kind, "SA:  :  ", "  :  :  ", {});
      };
      child<QPushButton>(times, "SwitchOnBtn")->click();
      child<QPushButton>(times, "OKBtn")->click();
    });
    child<QPushButton>(dialog.get(), "STimesBtn")->click();
    auto* autoList = child<QListWidget>(dialog.get(), "AutoAnwLB");
    QCOMPARE(itemTexts(autoList), (QStringList{"**--/A3/--**Block mit 3 Anweisungen", "WENN UHRZEIT = \"SA\" DANN",
                                               "  Flur  EINSCHALTEN", "ENDEWENN"}));
    QCOMPARE(qLines(p.objects[0].program), QStringList{"-x:=1"});

    // The condition assistant on the selected generated lines.
    autoList->item(2)->setSelected(true);
    kelvaro::test::onModal<kelvaro::gui::TCondiF>([](kelvaro::gui::TCondiF* condition) {
      child<QComboBox>(condition, "ObjCB")->setCurrentText(QStringLiteral("Bad"));
      child<QComboBox>(condition, "WertCB")->setCurrentIndex(0);
      child<QPushButton>(condition, "CrtAnwBtn")->click();
      child<QPushButton>(condition, "OKBtn")->click();
    });
    child<QPushButton>(dialog.get(), "CondBtn")->click();
    QCOMPARE(autoList->count(), 7);

    kelvaro::test::onModal<kelvaro::gui::TAppFormF>([](kelvaro::gui::TAppFormF* actions) {
      child<QListWidget>(actions, "ObjBoxLB")->item(0)->setSelected(true);
      child<QPushButton>(actions, "CrtAnwBtn1")->click();
      child<QPushButton>(actions, "OKBtn")->click();
    });
    child<QPushButton>(dialog.get(), "AppFormBtn")->click();
    QCOMPARE(autoList->count(), 9);
    QCOMPARE(autoList->item(8)->text(), QStringLiteral("Bad UMSCHALTEN"));
    child<QPushButton>(dialog.get(), "OKBtn")->click();
    QCOMPARE(p.objects[0].program.size(), std::size_t{10});
    QCOMPARE(QString::fromStdString(p.objects[0].program[0]), QStringLiteral("-&**--/A3/--**Block mit 3 Anweisungen"));
    QCOMPARE(QString::fromStdString(p.objects[0].program[9]), QStringLiteral("-x:=1"));
    QCOMPARE(int{p.objects[0].ACode}, 2);
  }
};

}  // namespace

QTEST_MAIN(AssistantWindowsTest)
#include "assistant_windows_test.moc"
