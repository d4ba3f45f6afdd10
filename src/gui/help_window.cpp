// The help window and the mapping of topic keywords and help context numbers to its pages.
#include "help_window.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "screen_fit.h"

// The pages live in a static library; the resource initialiser must be referenced once so
// the linker keeps it. Q_INIT_RESOURCE may not stand inside a namespace.
static void initHelpResources() { Q_INIT_RESOURCE(help); }

namespace kelvaro::gui {

namespace {

const QString kContents = QStringLiteral("Inhalt");

// The one help window of the program; gone when its parent window was destroyed.
QPointer<HelpWindow>& theHelpWindow() {
  static QPointer<HelpWindow> window;
  return window;
}

void ensureResources() {
  static const bool done = [] {
    initHelpResources();
    return true;
  }();
  (void)done;
}

}  // namespace

const QStringList& helpTopics() {
  // Every page under src/gui/help; the keywords the windows ask for are part of this list.
  static const QStringList topics = {
      kContents,
      QStringLiteral("seitAnsicht"),    QStringLiteral("seitobj"),      QStringLiteral("seittypen"),
      QStringLiteral("seitSteuereinh"), QStringLiteral("seitSignalst"), QStringLiteral("seitEinst"),
      QStringLiteral("seitobjtyp"),     QStringLiteral("seitobjpgm"),   QStringLiteral("seitobjstab"),
      QStringLiteral("seitobjhw"),      QStringLiteral("Ausfuehrung"),  QStringLiteral("debugmode"),
      QStringLiteral("LayoutWin"),      QStringLiteral("SonnenEinst"),  QStringLiteral("Anweisungen"),
      QStringLiteral("Namen"),          QStringLiteral("STimes"),       QStringLiteral("AppForm"),
      QStringLiteral("Rollladen"),      QStringLiteral("EAKonfig"),     QStringLiteral("StatTest"),
      QStringLiteral("FunkSchnittstelle"), QStringLiteral("ModemVerbindung"),
      QStringLiteral("RelObj"),
      QStringLiteral("Drucken"),
  };
  return topics;
}

QString resolveHelpTopic(const QString& topic) {
  const QString wanted = topic.trimmed();
  for (const QString& known : helpTopics()) {
    if (known.compare(wanted, Qt::CaseInsensitive) == 0) return known;
  }
  return kContents;
}

QUrl helpPageUrl(const QString& topic) {
  return QUrl(QStringLiteral("qrc:/help/%1.html").arg(resolveHelpTopic(topic)));
}

QString helpTopicForContext(int helpContext) {
  switch (helpContext) {
    case 100: return QStringLiteral("Namen");          // name rule: too long, bad character
    case 1001: return QStringLiteral("seitobj");       // "Keine Objekte definiert", unit too old
    case 1002: return QStringLiteral("seitAnsicht");   // "Keine Ansicht definiert"
    default: break;
  }
  return kContents;
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  ensureResources();
  setObjectName(QStringLiteral("HelpWin"));

  m_back = new QPushButton(QStringLiteral("&Zurück"), this);
  m_back->setObjectName(QStringLiteral("HelpBackBtn"));
  m_forward = new QPushButton(QStringLiteral("&Vorwärts"), this);
  m_forward->setObjectName(QStringLiteral("HelpForwardBtn"));
  auto* contents = new QPushButton(QStringLiteral("&Inhalt"), this);
  contents->setObjectName(QStringLiteral("HelpContentsBtn"));
  auto* close = new QPushButton(QStringLiteral("&Schließen"), this);
  close->setObjectName(QStringLiteral("HelpCloseBtn"));

  m_browser = new QTextBrowser(this);
  m_browser->setObjectName(QStringLiteral("HelpBrowser"));
  // The help has no pages outside the program; nothing is handed to other programs.
  m_browser->setOpenExternalLinks(false);
  m_browser->setSearchPaths({QStringLiteral(":/help")});

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_back);
  buttons->addWidget(m_forward);
  buttons->addWidget(contents);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(m_browser, 1);

  m_back->setEnabled(false);
  m_forward->setEnabled(false);
  connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
  connect(m_forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
  connect(contents, &QPushButton::clicked, this, [this] { showTopic(kContents); });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QPushButton::setEnabled);
  connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QPushButton::setEnabled);
  connect(m_browser, &QTextBrowser::sourceChanged, this, [this] { updateCaption(); });

  resize(720, 560);
  keepOnScreen(this);
  updateCaption();
}

void HelpWindow::showTopic(const QString& topic) {
  const QUrl url = helpPageUrl(topic);
  // Asking again for the page on show must not add a second history entry.
  if (m_browser->source() != url) m_browser->setSource(url);
}

void HelpWindow::updateCaption() {
  const QString title = m_browser->documentTitle();
  setWindowTitle(title.isEmpty() ? QStringLiteral("Hilfe") : QStringLiteral("Hilfe - ") + title);
}

HelpWindow* showHelpTopic(const QString& topic, QWidget* parent) {
  QPointer<HelpWindow>& window = theHelpWindow();
  if (window.isNull()) window = new HelpWindow(parent);
  window->showTopic(topic);
  window->show();
  window->raise();
  window->activateWindow();
  return window.data();
}

}  // namespace kelvaro::gui
