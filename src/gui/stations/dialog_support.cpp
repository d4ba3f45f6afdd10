// The station and radio dialogs' user interface and F1.
#include "stations/dialog_support.h"

#include <QApplication>
#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace kelvaro::gui {

StatusLineInterface::~StatusLineInterface() { closeWait(); }

void StatusLineInterface::showWait(std::string_view text) {
  QWidget* over = m_status != nullptr ? m_status->window() : nullptr;
  if (over == nullptr) {
    inner().showWait(text);
    return;
  }
  if (m_wait == nullptr) {
    m_wait = new QProgressDialog(over);
    m_wait->setObjectName(QStringLiteral("WaitDlg"));
    m_wait->setCancelButtonText(QStringLiteral("A&bbruch"));
    m_wait->setRange(0, 0);
    m_wait->setMinimumDuration(0);
    m_wait->setWindowModality(Qt::WindowModal);
  }
  m_wait->setLabelText(toQ(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
  m_wait->show();
  QApplication::processEvents();
}

void StatusLineInterface::closeWait() {
  // Hidden at once: the command goes on without returning to the event loop.
  if (m_wait != nullptr) {
    m_wait->hide();
    m_wait->deleteLater();
  }
  m_wait = nullptr;
  inner().closeWait();
}

bool StatusLineInterface::cancelRequested() {
  if (m_wait != nullptr && m_wait->wasCanceled()) return true;
  return inner().cancelRequested();
}

void addHelpKey(QWidget* dialog, MainContext& context, const QString& topic) {
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), dialog);
  f1->setContext(Qt::WindowShortcut);
  QObject::connect(f1, &QShortcut::activated, dialog, [&context, topic] {
    if (context.showHelp) context.showHelp(topic);
  });
}

}  // namespace kelvaro::gui
