// The page "Ansichten" driven through its buttons, with scripted answers to its questions.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "main_window.h"
#include "pages/views_page.h"
#include "support/fake_user_interface.h"
#include "support/temp_dir.h"

namespace {

QStringList listTexts(const QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

// Two views and an object placed on both of them.
void fillProject(kelvaro::Workspace& workspace) {
  kelvaro::Project& p = workspace.project;
  p.views = {{"Erdgeschoss", {}}, {"Keller", {}}};
  kelvaro::TPSObj lampe = kelvaro::createObject("Lampe");
  lampe.plans[0].ViewName = "Erdgeschoss";
  lampe.plans[1].ViewName = "Keller";
  p.objects = {lampe};
  workspace.app.selectedView = 0;
}

}  // namespace

class ViewsPageTest : public QObject {
  Q_OBJECT

 private:
  struct Fixture {
    kelvaro::Workspace workspace;
    kelvaro::test::FakeUserInterface ui;
    std::unique_ptr<kelvaro::gui::TProDefsF> window;
    kelvaro::gui::ViewsPage* page = nullptr;
    QListWidget* list = nullptr;

    Fixture() {
      fillProject(workspace);
      window = std::make_unique<kelvaro::gui::TProDefsF>(workspace, ui);
      page = qobject_cast<kelvaro::gui::ViewsPage*>(window->page(QStringLiteral("Ansichten")));
      list = page->findChild<QListWidget*>(QStringLiteral("AnsichtLB"));
      // Buttons take mouse clicks only while they are on the screen.
      window->show();
      if (!QTest::qWaitForWindowExposed(window.get())) qWarning("the main window was not shown");
    }
    QPushButton* button(const char* name) const { return page->findChild<QPushButton*>(QString::fromLatin1(name)); }
  };

 private Q_SLOTS:
  void deleteButtonEmptiesThePlacementsOfTheView() {
    Fixture f;
    QVERIFY(f.page != nullptr && f.list != nullptr);
    QCOMPARE(listTexts(f.list), (QStringList{"Erdgeschoss", "Keller"}));
    QCOMPARE(f.list->currentRow(), 0);

    f.ui.answers = {kelvaro::MessageAnswer::Yes};
    QTest::mouseClick(f.button("AnsLoeschenBtn"), Qt::LeftButton);

    QCOMPARE(f.ui.messageTexts(), (std::vector<std::string>{"Soll die Ansicht wirklich gelöscht werden?"}));
    QCOMPARE(listTexts(f.list), (QStringList{"Keller"}));
    const auto& plans = f.workspace.project.objects.at(0).plans;
    QCOMPARE(QString::fromStdString(plans[0].ViewName), QString());
    QCOMPARE(QString::fromStdString(plans[1].ViewName), QStringLiteral("Keller"));
    QVERIFY(f.workspace.project.modified);
    QCOMPARE(f.workspace.project.objects.size(), std::size_t{1});
  }

  void commandsWithoutSelectionSayNoViewIsSelected() {
    Fixture f;
    f.list->setCurrentRow(-1);
    QCOMPARE(f.workspace.app.selectedView, -1);
    QTest::mouseClick(f.button("AnsUmbenennenBtn"), Qt::LeftButton);
    QCOMPARE(f.ui.messageTexts(), (std::vector<std::string>{"Keine Ansicht ausgewählt"}));
    // "Ansicht bearbeiten" takes the first view instead and says the editor comes later.
    QTest::mouseClick(f.button("AnsBearbeitenBtn"), Qt::LeftButton);
    QCOMPARE(f.list->currentRow(), 0);
    QCOMPARE(f.ui.messages.size(), std::size_t{2});
    QCOMPARE(f.ui.messages[1].kind, kelvaro::MessageKind::Information);
  }

  void newViewIsListedAndSelected() {
    kelvaro::Workspace workspace;
    kelvaro::test::FakeUserInterface ui;
    kelvaro::gui::TProDefsF window(workspace, ui);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* page = window.page(QStringLiteral("Ansichten"));
    auto* edit = page->findChild<QPushButton*>(QStringLiteral("AnsBearbeitenBtn"));
    QVERIFY(!edit->isEnabled());  // nothing to edit yet
    ui.inputs = {"Garten"};
    QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("AnsNeuBtn")), Qt::LeftButton);
    auto* list = page->findChild<QListWidget*>(QStringLiteral("AnsichtLB"));
    QCOMPARE(listTexts(list), (QStringList{"Garten"}));
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(edit->isEnabled());
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
    QTest::mouseClick(f.button("BildZeichnenBtn"), Qt::LeftButton);
    QCOMPARE(f.ui.messageTexts(), std::vector<std::string>{});
    QCOMPARE(started, (std::vector<std::string>{dir.file("malen") + " " + dir.file("Keller.bmp")}));
    // The new bitmap is shown in the preview with its name.
    QCOMPARE(f.page->findChild<QLabel*>(QStringLiteral("ShowName"))->text(), QStringLiteral("Keller.bmp"));
    QVERIFY(!f.page->findChild<QLabel*>(QStringLiteral("Vorschau"))->pixmap().isNull());
  }

  void selectingAViewWithAMissingBitmapSaysSo() {
    Fixture f;
    f.workspace.settings().DIRBMP = "/gibt/es/nicht/";
    f.workspace.project.views[1].info = {"KELLER.BMP", 1};
    f.list->setCurrentRow(1);
    QCOMPARE(f.ui.messageTexts(), (std::vector<std::string>{"Bitmap /gibt/es/nicht/KELLER.BMP nicht gefunden."}));
  }

  void backColourChoiceHoldsTheFirstTenColours() {
    Fixture f;
    auto* colours = f.page->findChild<QComboBox*>(QStringLiteral("FormBCol"));
    QCOMPARE(colours->count(), 10);
    QCOMPARE(colours->itemText(0), QStringLiteral("Weiß"));
    QCOMPARE(colours->itemText(9), QStringLiteral("Hellblau"));
    QCOMPARE(colours->currentIndex(), -1);
    colours->setCurrentIndex(3);
    Q_EMIT colours->activated(3);
    QCOMPARE(f.workspace.project.BackColor, 3);
    QVERIFY(f.workspace.project.modified);
  }
};

QTEST_MAIN(ViewsPageTest)
#include "views_page_test.moc"
