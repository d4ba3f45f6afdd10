// The help window: the program's own HTML help (German), opened on a topic keyword. The pages
// are compiled into the program as resources under ":/help/<topic>.html".
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>

class QPushButton;
class QTextBrowser;

namespace kelvaro::gui {

// The topic keywords that have a page, "Inhalt" (the contents) first.
const QStringList& helpTopics();

// The known topic spelled as its page is named, or "Inhalt" for an unknown or empty keyword.
// Letter case does not matter: a keyword typed differently still finds its page.
QString resolveHelpTopic(const QString& topic);

// The address of a topic's page, after resolving it ("qrc:/help/<topic>.html").
QUrl helpPageUrl(const QString& topic);

// The topic that explains a message box with a help context number; "Inhalt" for numbers the
// help has no page for.
QString helpTopicForContext(int helpContext);

// One window for the whole program: a browser with back, forward and contents buttons.
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  void showTopic(const QString& topic);
  QTextBrowser* browser() const { return m_browser; }

 private:
  void updateCaption();

  QTextBrowser* m_browser = nullptr;
  QPushButton* m_back = nullptr;
  QPushButton* m_forward = nullptr;
};

// Shows the help window (creating it on first use, as a window of its own above parent) on
// the page of the topic keyword and brings it to the front. Returns the window.
HelpWindow* showHelpTopic(const QString& topic, QWidget* parent);

}  // namespace kelvaro::gui
