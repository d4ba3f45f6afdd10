// The help: every topic the program asks for has a page with a title, no link leads nowhere,
// the contents reach every page, and the window shows, falls back and navigates as it should.
#include <memory>
#include <optional>

#include "gui_test_support.h"
#include "help_window.h"
#include "main_window.h"
#include "screen_fit.h"

using namespace kelvaro::gui;

namespace {

QString pagePath(const QString& file) { return QStringLiteral(":/help/") + file; }

// The page as text; none when it is missing or not valid UTF-8.
std::optional<QString> readPage(const QString& file) {
  QFile page(pagePath(file));
  if (!page.open(QIODevice::ReadOnly)) return std::nullopt;
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString text = decoder(page.readAll());
  return decoder.hasError() ? std::nullopt : std::optional<QString>(text);
}

QStringList hrefsOf(const QString& html) {
  static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
  QStringList result;
  for (auto it = href.globalMatch(html); it.hasNext();) result << it.next().captured(1);
  return result;
}

}  // namespace

class HelpWindowTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { kelvaro::test::useSmallScreen(); }

 private Q_SLOTS:
  // On a 1024 x 768 screen the main window and the help it opens come up inside it, also from a
  // place outside the screen and when the help is shown again. One help window serves the
  // program, as long as the window that opened it lives, and navigates its pages.
  void theHelpFitsASmallScreenAndNavigatesAsLongAsItsOpenerLives() {
    kelvaro::test::GuiWorkspace w;
    auto main = std::make_unique<TProDefsF>(w.workspace, w.ui);
    main->refreshPages();
    main->move(700, 600);
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    QCOMPARE(kelvaro::test::outOfReach(main.get(), {kelvaro::test::child<QPushButton>(main.get(), "HilfeBtn")}),
             QString());
    // Sized to its pages before it opened, it shows each of them whole on this screen.
    for (int i = 0; i < main->notebook()->count(); ++i) {
      main->notebook()->setCurrentIndex(i);
      const auto* area = qobject_cast<QScrollArea*>(main->notebook()->widget(i));
      QVERIFY(area != nullptr);
      QVERIFY2(area->widget()->minimumSizeHint().height() <= area->maximumViewportSize().height(),
               qPrintable(main->notebook()->tabText(i)));
    }
    QPointer<HelpWindow> help = showHelpTopic(QStringLiteral("Inhalt"), main.get());
    QVERIFY(QTest::qWaitForWindowExposed(help));
    help->hide();
    help->move(600, 500);
    QCOMPARE(showHelpTopic(QStringLiteral("seitobj"), main.get()), help.data());
    QCOMPARE(kelvaro::test::outOfReach(help, {kelvaro::test::child<QPushButton>(help, "HelpCloseBtn")}), QString());
    QCOMPARE(help->windowTitle(), QStringLiteral("Hilfe - Seite Objekte"));
    // Decoded as UTF-8: the umlauts arrive intact.
    QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Übersetzt alle Programme")));
    QCOMPARE(showHelpTopic(QStringLiteral("debugmode"), nullptr), help.data());
    showHelpTopic(QStringLiteral("debugmode"), nullptr);  // the page already shown adds no history step
    QTest::mouseClick(help->findChild<QPushButton*>(QStringLiteral("HelpBackBtn")), Qt::LeftButton);
    QCOMPARE(help->browser()->source(), QUrl(QStringLiteral("qrc:/help/seitobj.html")));
    auto* forward = help->findChild<QPushButton*>(QStringLiteral("HelpForwardBtn"));
    QTest::mouseClick(forward, Qt::LeftButton);
    QCOMPARE(help->browser()->source(), QUrl(QStringLiteral("qrc:/help/debugmode.html")));
    QVERIFY(!forward->isEnabled());
    QTest::mouseClick(help->findChild<QPushButton*>(QStringLiteral("HelpContentsBtn")), Qt::LeftButton);
    QCOMPARE(help->windowTitle(), QStringLiteral("Hilfe - Inhalt"));

    // Stepping aside for a visualisation and back leaves the main window where the user put it,
    // even partly off the screen.
    main->move(500, 300);
    const QRect place = main->geometry();
    showInPlace(main.get(), false);
    showInPlace(main.get(), true);
    QCOMPARE(main->geometry(), place);
    main.reset();
    QVERIFY(help.isNull());
    std::unique_ptr<HelpWindow> second(showHelpTopic(QStringLiteral("seittypen"), nullptr));
    QVERIFY(second != nullptr);
    QCOMPARE(second->browser()->documentTitle(), QStringLiteral("Seite Typen"));
  }

  // Each page is UTF-8 with a title for the caption; its links stay inside the help and reach a
  // page and anchor that exist; the contents link every page; no page lies outside the topic list.
  void pagesHaveTitlesAndNoDeadLinks() {
    QSet<QString> files;
    for (const QString& file : QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}))
      files.insert(file.chopped(5));
    const QSet<QString> topics(helpTopics().cbegin(), helpTopics().cend());
    QCOMPARE(files, topics);
    QCOMPARE(topics.size(), helpTopics().size());  // no topic twice
    QSet<QString> inContents;
    for (const QString& topic : helpTopics()) {
      const QString html = readPage(topic + QStringLiteral(".html")).value_or(QString());
      QVERIFY2(!html.isEmpty(), qPrintable(topic + " is missing or not UTF-8"));
      QVERIFY2(html.contains(QStringLiteral("<meta charset=\"utf-8\">")), qPrintable(topic));
      QTextDocument document;
      document.setHtml(html);
      QVERIFY2(!document.metaInformation(QTextDocument::DocumentTitle).trimmed().isEmpty(),
               qPrintable(topic + " has no title"));
      const QStringList links = hrefsOf(html);
      QVERIFY2(!links.isEmpty(), qPrintable(topic + " links nowhere, not even to the contents"));
      for (const QString& link : links) {
        const QString where = topic + ": " + link;
        QVERIFY2(!link.contains(QLatin1Char(':')), qPrintable(where + " leaves the help"));
        const QString file = link.section(QLatin1Char('#'), 0, 0);
        const QString anchor = link.section(QLatin1Char('#'), 1);
        QVERIFY2(!file.isEmpty() && QFile::exists(pagePath(file)), qPrintable(where));
        if (topic == QStringLiteral("Inhalt") && file.endsWith(QStringLiteral(".html")))
          inContents.insert(file.chopped(5));
        if (!anchor.isEmpty())
          QVERIFY2(readPage(file).value_or(QString()).contains(QStringLiteral("id=\"%1\"").arg(anchor)),
                   qPrintable(where));
      }
    }
    QCOMPARE(inContents + QSet<QString>{QStringLiteral("Inhalt")}, topics);
  }

  void topicsAndContextsResolveToPages() {
    QCOMPARE(resolveHelpTopic(QStringLiteral(" SEITOBJ ")),
             QStringLiteral("seitobj"));  // blanks and case do not matter
    QCOMPARE(resolveHelpTopic(QStringLiteral("../seitobj")), QStringLiteral("Inhalt"));  // no path leaves the help
    // Help contexts of message boxes: a name, "Keine Objekte definiert", "Keine Ansicht definiert", none.
    const int contexts[] = {100, 1001, 1002, 0};
    QStringList topics;
    for (const int context : contexts) topics << helpTopicForContext(context);
    QCOMPARE(topics, (QStringList{"Namen", "seitobj", "seitAnsicht", "Inhalt"}));
  }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
