// The help: every topic the program asks for has a page with a title, no link leads nowhere,
// the contents reach every page, and the window shows, falls back and navigates as it should.
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtTest>
#include <memory>

#include "help_window.h"

using kelvaro::gui::helpPageUrl;
using kelvaro::gui::helpTopicForContext;
using kelvaro::gui::helpTopics;
using kelvaro::gui::HelpWindow;
using kelvaro::gui::resolveHelpTopic;
using kelvaro::gui::showHelpTopic;

namespace {

QString pagePath(const QString& file) { return QStringLiteral(":/help/") + file; }

// The page as text; fails the test when it is missing or not valid UTF-8.
QString readPage(const QString& file, bool* ok) {
  *ok = false;
  QFile page(pagePath(file));
  if (!page.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = page.readAll();
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString text = decoder(bytes);
  if (decoder.hasError()) return {};
  *ok = true;
  return text;
}

QString titleOf(const QString& html) {
  QTextDocument document;
  document.setHtml(html);
  return document.metaInformation(QTextDocument::DocumentTitle);
}

QStringList hrefsOf(const QString& html) {
  static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
  QStringList result;
  for (auto it = href.globalMatch(html); it.hasNext();) result << it.next().captured(1);
  return result;
}

HelpWindow* createdWindow() {
  HelpWindow* window = showHelpTopic(QStringLiteral("Inhalt"), nullptr);
  window->resize(600, 400);
  return window;
}

}  // namespace

class HelpWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // The keywords the windows and message boxes ask for: each must be a page of its own, not the
  // contents fallback, and each page needs a title for the window caption.
  void everyTopicKeywordHasAPageWithTitle() {
    const QStringList asked = {
        "Inhalt",     "seitAnsicht", "seitobj",     "seittypen",  "seitSteuereinh", "seitSignalst",
        "seitEinst",  "seitobjtyp",  "seitobjpgm",  "seitobjstab", "seitobjhw",     "Ausfuehrung",
        "debugmode",  "LayoutWin",   "SonnenEinst", "STimes",     "AppForm",        "Anweisungen",
        "Namen",      "Rollladen",
    };
    for (const QString& topic : asked) {
      QVERIFY2(helpTopics().contains(topic), qPrintable(topic));
      QCOMPARE(resolveHelpTopic(topic), topic);
      QCOMPARE(helpPageUrl(topic), QUrl(QStringLiteral("qrc:/help/%1.html").arg(topic)));
    }
    for (const QString& topic : helpTopics()) {
      bool ok = false;
      const QString html = readPage(topic + QStringLiteral(".html"), &ok);
      QVERIFY2(ok, qPrintable(topic + " is missing or not UTF-8"));
      QVERIFY2(html.contains(QStringLiteral("<meta charset=\"utf-8\">")), qPrintable(topic));
      QVERIFY2(!titleOf(html).trimmed().isEmpty(), qPrintable(topic + " has no title"));
    }
  }

  // A page added to the resources but not to the topic list could never be asked for.
  void resourcePagesAndTopicListAgree() {
    QSet<QString> files;
    for (const QString& file : QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}))
      files.insert(file.chopped(5));
    const QSet<QString> topics(helpTopics().cbegin(), helpTopics().cend());
    QCOMPARE(files, topics);
    QCOMPARE(topics.size(), helpTopics().size());  // no topic twice
  }

  // Every link points to a page (and anchor) inside the help; the help opens nothing outside.
  void noDeadLinks() {
    for (const QString& topic : helpTopics()) {
      bool ok = false;
      const QString html = readPage(topic + QStringLiteral(".html"), &ok);
      QVERIFY(ok);
      const QStringList links = hrefsOf(html);
      QVERIFY2(!links.isEmpty(), qPrintable(topic + " links nowhere, not even to the contents"));
      for (const QString& link : links) {
        const QString where = topic + ": " + link;
        QVERIFY2(!link.contains(QLatin1Char(':')), qPrintable(where + " leaves the help"));
        const QString file = link.section(QLatin1Char('#'), 0, 0);
        const QString anchor = link.section(QLatin1Char('#'), 1);
        QVERIFY2(!file.isEmpty() && QFile::exists(pagePath(file)), qPrintable(where));
        if (anchor.isEmpty()) continue;
        bool targetOk = false;
        const QString target = readPage(file, &targetOk);
        QVERIFY(targetOk);
        QVERIFY2(target.contains(QStringLiteral("id=\"%1\"").arg(anchor)), qPrintable(where + " has no anchor"));
      }
    }
  }

  void contentsLinksEveryPage() {
    bool ok = false;
    const QString html = readPage(QStringLiteral("Inhalt.html"), &ok);
    QVERIFY(ok);
    QSet<QString> linked;
    for (const QString& link : hrefsOf(html)) linked.insert(link.section(QLatin1Char('#'), 0, 0));
    for (const QString& topic : helpTopics()) {
      if (topic == QStringLiteral("Inhalt")) continue;
      QVERIFY2(linked.contains(topic + QStringLiteral(".html")), qPrintable(topic + " not in the contents"));
    }
  }

  void unknownTopicsFallBackToContents() {
    const struct {
      int line;
      const char* asked;
      const char* shown;
    } kExpect[] = {
        {__LINE__, "seitobj", "seitobj"},
        {__LINE__, "SEITOBJ", "seitobj"},      // letter case does not matter
        {__LINE__, " debugmode ", "debugmode"},
        {__LINE__, "ausfuehrung", "Ausfuehrung"},
        {__LINE__, "", "Inhalt"},
        {__LINE__, "seitobjx", "Inhalt"},
        {__LINE__, "../Inhalt", "Inhalt"},     // no path ever reaches past the help's own pages
        {__LINE__, "help", "Inhalt"},          // the style sheet is no topic
    };
    for (const auto& e : kExpect) {
      const QString where = QStringLiteral("line %1").arg(e.line);
      QVERIFY2(resolveHelpTopic(QString::fromUtf8(e.asked)) == QString::fromUtf8(e.shown), qPrintable(where));
    }
  }

  void helpContextsMapToTheTopicThatExplainsThem() {
    const struct {
      int line;
      int context;
      const char* topic;
    } kExpect[] = {
        {__LINE__, 100, "Namen"},         // name too long or invalid
        {__LINE__, 1001, "seitobj"},      // "Keine Objekte definiert"
        {__LINE__, 1002, "seitAnsicht"},  // "Keine Ansicht definiert"
        {__LINE__, 0, "Inhalt"},
        {__LINE__, -1, "Inhalt"},
        {__LINE__, 4711, "Inhalt"},
    };
    for (const auto& e : kExpect) {
      const QString topic = helpTopicForContext(e.context);
      QVERIFY2(topic == QString::fromUtf8(e.topic), qPrintable(QStringLiteral("line %1").arg(e.line)));
      QVERIFY(helpTopics().contains(topic));
    }
  }

  void windowShowsTheRequestedTopic() {
    HelpWindow* window = showHelpTopic(QStringLiteral("seitobj"), nullptr);
    QVERIFY(window != nullptr);
    QVERIFY(window->isVisible());
    QCOMPARE(window->browser()->source(), QUrl(QStringLiteral("qrc:/help/seitobj.html")));
    QCOMPARE(window->browser()->documentTitle(), QStringLiteral("Seite Objekte"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Hilfe - Seite Objekte"));
    // Decoded as UTF-8: the umlauts arrive intact.
    QVERIFY(window->browser()->toPlainText().contains(QStringLiteral("Umbennenen")));
    QVERIFY(window->browser()->toPlainText().contains(QStringLiteral("Übersetzt alle Programme")));

    // One window for the whole program.
    QCOMPARE(showHelpTopic(QStringLiteral("nichtvorhanden"), nullptr), window);
    QCOMPARE(window->browser()->source(), QUrl(QStringLiteral("qrc:/help/Inhalt.html")));
    delete window;  // each test starts without a help window
  }

  void backForwardAndContentsButtons() {
    HelpWindow* window = createdWindow();
    auto* back = window->findChild<QPushButton*>(QStringLiteral("HelpBackBtn"));
    auto* forward = window->findChild<QPushButton*>(QStringLiteral("HelpForwardBtn"));
    auto* contents = window->findChild<QPushButton*>(QStringLiteral("HelpContentsBtn"));
    QVERIFY(back && forward && contents);

    showHelpTopic(QStringLiteral("debugmode"), nullptr);
    showHelpTopic(QStringLiteral("LayoutWin"), nullptr);
    // Asking for the page already shown adds no history step.
    showHelpTopic(QStringLiteral("LayoutWin"), nullptr);
    QVERIFY(back->isEnabled());
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(window->browser()->source(), QUrl(QStringLiteral("qrc:/help/debugmode.html")));
    QVERIFY(forward->isEnabled());
    QTest::mouseClick(forward, Qt::LeftButton);
    QCOMPARE(window->browser()->source(), QUrl(QStringLiteral("qrc:/help/LayoutWin.html")));
    QVERIFY(!forward->isEnabled());
    QTest::mouseClick(contents, Qt::LeftButton);
    QCOMPARE(window->browser()->source(), QUrl(QStringLiteral("qrc:/help/Inhalt.html")));
    QCOMPARE(window->windowTitle(), QStringLiteral("Hilfe - Inhalt"));

    // A link inside a page is followed relative to it, to an anchor in another page.
    window->browser()->setSource(QUrl(QStringLiteral("qrc:/help/Anweisungen.html")));
    window->browser()->setSource(
        window->browser()->source().resolved(QUrl(QStringLiteral("Ausfuehrung.html#laufzeitfehler"))));
    QCOMPARE(window->browser()->documentTitle(), QStringLiteral("Das Ausführungsfenster"));
    delete window;  // each test starts without a help window
  }

  // The window belongs to the window that opened it; once that is gone a new one is made.
  void windowOutlivesNoParent() {
    auto parent = std::make_unique<QWidget>();
    QPointer<HelpWindow> first = showHelpTopic(QStringLiteral("seittypen"), parent.get());
    QVERIFY(!first.isNull());
    parent.reset();
    QVERIFY(first.isNull());
    HelpWindow* second = showHelpTopic(QStringLiteral("seittypen"), nullptr);
    QVERIFY(second != nullptr);
    QCOMPARE(second->browser()->documentTitle(), QStringLiteral("Seite Typen"));
    delete second;
  }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
