// The page "Ansichten" driven through its buttons, with scripted answers to its questions; what
// the commands do to views and placements is view_commands_test's.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "gui_test_support.h"
#include "main_window.h"
#include "pages/views_page.h"
#include "support/temp_dir.h"

using kelvaro::test::child;
using kelvaro::test::itemTexts;

namespace {

// The main window on two views, with an object placed on both; buttons take mouse clicks only
// while they are on the screen.
struct Fixture {
  kelvaro::Workspace workspace;
  kelvaro::test::FakeUserInterface ui;
  std::unique_ptr<kelvaro::gui::TProDefsF> window;
  kelvaro::gui::ViewsPage* page = nullptr;
  QListWidget* list = nullptr;

  Fixture() {
    workspace.project.views = {{"Erdgeschoss", {}}, {"Keller", {}}};
    workspace.project.objects = {kelvaro::createObject("Lampe")};
    workspace.project.objects[0].plans[0].ViewName = "Erdgeschoss";
    workspace.app.selectedView = 0;
    window = std::make_unique<kelvaro::gui::TProDefsF>(workspace, ui);
    page = qobject_cast<kelvaro::gui::ViewsPage*>(window->page(QStringLiteral("Ansichten")));
    list = child<QListWidget>(page, "AnsichtLB");
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) qWarning("the main window was not shown");
  }
  void click(const char* name) { QTest::mouseClick(child<QPushButton>(page, name), Qt::LeftButton); }
};

}  // namespace

class ViewsPageTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void newAndDeleteButtonsReachTheCommands() {
    Fixture f;
    QCOMPARE(itemTexts(f.list), (QStringList{"Erdgeschoss", "Keller"}));
    QCOMPARE(f.list->currentRow(), 0);
    f.ui.answers = {kelvaro::MessageAnswer::Yes};
    f.click("AnsLoeschenBtn");
    QCOMPARE(itemTexts(f.list), (QStringList{"Keller"}));
    QCOMPARE(QString::fromStdString(f.workspace.project.objects[0].plans[0].ViewName), QString());
    f.ui.inputs = {"Garten"};
    f.click("AnsNeuBtn");
    QCOMPARE(itemTexts(f.list), (QStringList{"Keller", "Garten"}));
    QCOMPARE(f.list->currentRow(), 1);
    f.list->setCurrentRow(-1);
    f.click("AnsUmbenennenBtn");
    QCOMPARE(f.ui.messageTexts().back(), std::string("Keine Ansicht ausgewählt"));
  }

  void drawButtonStartsTheProgramOnTheNewBitmap() {
    kelvaro::test::TempDir dir;
    Fixture f;
    f.workspace.settings().DIRBMP = dir.path().string() + "/";
    f.workspace.settings().PAINTPATH = dir.file("malen");
    kelvaro::test::writeFile(dir.file("malen"), "");
    std::vector<std::string> started;
    f.page->setProgramStarter([&](const std::string& program, const std::vector<std::string>& arguments) {
      started.push_back(program + " " + arguments.at(0));
      return true;
    });
    f.list->setCurrentRow(1);
    f.click("BildZeichnenBtn");
    QCOMPARE(started, (std::vector<std::string>{dir.file("malen") + " " + dir.file("Keller.bmp")}));
    // The new bitmap is shown in the preview with its name.
    QCOMPARE(child<QLabel>(f.page, "ShowName")->text(), QStringLiteral("Keller.bmp"));
    QVERIFY(!child<QLabel>(f.page, "Vorschau")->pixmap().isNull());
  }

  void backColourChoiceHoldsTheFirstTenColours() {
    Fixture f;
    auto* colours = child<QComboBox>(f.page, "FormBCol");
    QCOMPARE(colours->count(), 10);
    QCOMPARE(colours->itemText(9), QStringLiteral("Hellblau"));
    colours->setCurrentIndex(3);
    Q_EMIT colours->activated(3);
    QCOMPARE(f.workspace.project.BackColor, 3);
  }
};

QTEST_MAIN(ViewsPageTest)
#include "views_page_test.moc"
