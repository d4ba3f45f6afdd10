// Message boxes, the input box, file dialogs and the wait dialog with German buttons.
#include "qt_user_interface.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QValidator>

#include "help_window.h"
#include "note_window.h"
#include "qt_text.h"

namespace kelvaro::gui {

namespace {

QMessageBox::Icon iconOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Error: return QMessageBox::Critical;
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Question: return QMessageBox::Question;
    case MessageKind::Information: break;
  }
  return QMessageBox::Information;
}

QString captionOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Error: return QStringLiteral("Fehler");
    case MessageKind::Warning: return QStringLiteral("Warnung");
    case MessageKind::Question: return QStringLiteral("Bestätigen");
    case MessageKind::Information: break;
  }
  return QStringLiteral("Information");
}

// The core writes line breaks as CR, as the message texts are stored.
QString messageText(std::string_view cp1252) {
  QString text = toQ(cp1252);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

// File names are the file system's bytes, not Windows-1252 texts: a directory with an
// umlaut must be found again under the bytes it has on disk.
QString pathToQ(std::string_view path) { return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size()))); }
std::string pathFromQ(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A command of the control unit shows a busy cursor while it runs; a question it asks
// meanwhile gets the normal pointer, so that the box does not look as if it were busy too.
class NormalCursorWhileAsking {
 public:
  NormalCursorWhileAsking() : m_overridden(QApplication::overrideCursor() != nullptr) {
    if (m_overridden) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~NormalCursorWhileAsking() {
    if (m_overridden) QApplication::restoreOverrideCursor();
  }
  NormalCursorWhileAsking(const NormalCursorWhileAsking&) = delete;
  NormalCursorWhileAsking& operator=(const NormalCursorWhileAsking&) = delete;

 private:
  bool m_overridden;
};

}  // namespace

MessageAnswer QtUserInterface::showMessage(const Message& message) {
  const NormalCursorWhileAsking cursor;
  QMessageBox box(iconOf(message.kind), captionOf(message.kind), messageText(message.text), QMessageBox::NoButton,
                  m_parent);
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  QPushButton* yes = nullptr;
  QPushButton* no = nullptr;
  QPushButton* help = nullptr;
  switch (message.buttons) {
    case MessageButtons::Ok:
      ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
      // A message with a help topic offers it, so the user can read why it appeared.
      if (message.helpContext != 0) help = box.addButton(QStringLiteral("&Hilfe"), QMessageBox::HelpRole);
      break;
    case MessageButtons::OkHelp:
      ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
      help = box.addButton(QStringLiteral("&Hilfe"), QMessageBox::HelpRole);
      break;
    case MessageButtons::OkCancel:
      ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
      cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
      break;
    case MessageButtons::YesNo:
      yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
      no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
      break;
  }
  if (message.defaultAnswer) {
    QPushButton* chosen = nullptr;
    switch (*message.defaultAnswer) {
      case MessageAnswer::Ok: chosen = ok; break;
      case MessageAnswer::Cancel: chosen = cancel; break;
      case MessageAnswer::Yes: chosen = yes; break;
      case MessageAnswer::No: chosen = no; break;
    }
    if (chosen != nullptr) box.setDefaultButton(chosen);
  }
  // "Hilfe" opens the topic and leaves the question open until it is answered.
  box.exec();
  while (help != nullptr && box.clickedButton() == help) {
    showHelpTopic(helpTopicForContext(message.helpContext), m_parent);
    box.exec();
  }
  QAbstractButton* clicked = box.clickedButton();
  if (message.buttons == MessageButtons::YesNo) return clicked == yes ? MessageAnswer::Yes : MessageAnswer::No;
  if (cancel != nullptr && clicked == cancel) return MessageAnswer::Cancel;
  return MessageAnswer::Ok;
}

std::optional<std::string> QtUserInterface::inputBox(std::string_view caption, std::string_view prompt,
                                                     std::string_view value) {
  const NormalCursorWhileAsking cursor;
  bool accepted = false;
  const QString text =
      QInputDialog::getText(m_parent, toQ(caption), messageText(prompt), QLineEdit::Normal, toQ(value), &accepted);
  if (!accepted) return std::nullopt;
  return fromQ(text);
}

namespace {

// Turns what is typed into upper case as it comes, before the field or its dialog sees it.
class UpperCaseValidator final : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    input = input.toUpper();
    return Acceptable;
  }
};

}  // namespace

std::optional<std::string> QtUserInterface::passwordBox(std::string_view caption, std::string_view prompt) {
  const NormalCursorWhileAsking cursor;
  // The unit keeps six upper-case characters; the field takes no more and shows them so, as
  // stars, whatever the style's own password character is.
  QInputDialog dialog(m_parent);
  dialog.setObjectName(QStringLiteral("TPasswF"));
  dialog.setWindowTitle(toQ(caption));
  dialog.setLabelText(messageText(prompt));
  dialog.setTextEchoMode(QLineEdit::Password);
  dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
  if (auto* field = dialog.findChild<QLineEdit*>()) {
    field->setObjectName(QStringLiteral("PasswEdt"));
    field->setMaxLength(6);
    field->setMinimumWidth(280);  // wide enough for the caption in full
    field->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    field->setValidator(new UpperCaseValidator(field));
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return fromQ(dialog.textValue());
}

std::optional<std::string> QtUserInterface::openFileName(std::string_view title, std::string_view filter,
                                                         std::string_view directory) {
  const NormalCursorWhileAsking cursor;
  const QString name = QFileDialog::getOpenFileName(m_parent, toQ(title), pathToQ(directory), toQ(filter));
  if (name.isEmpty()) return std::nullopt;
  return pathFromQ(name);
}

std::optional<std::string> QtUserInterface::saveFileName(std::string_view title, std::string_view filter,
                                                         std::string_view directory) {
  const NormalCursorWhileAsking cursor;
  // The core asks its own question before it replaces a project, so the dialog does not.
  const QString name = QFileDialog::getSaveFileName(m_parent, toQ(title), pathToQ(directory), toQ(filter), nullptr,
                                                    QFileDialog::DontConfirmOverwrite);
  if (name.isEmpty()) return std::nullopt;
  return pathFromQ(name);
}

void QtUserInterface::beep() { QApplication::beep(); }

void QtUserInterface::showWait(std::string_view text) {
  if (m_wait == nullptr) {
    m_wait = new QProgressDialog(m_parent);
    m_wait->setCancelButtonText(QStringLiteral("A&bbruch"));
    m_wait->setRange(0, 0);
    m_wait->setMinimumDuration(0);
    m_wait->setWindowModality(Qt::WindowModal);
  }
  m_wait->setLabelText(messageText(text));
  m_wait->show();
  QApplication::processEvents();
}

void QtUserInterface::closeWait() {
  // Hidden at once: the command goes on without returning to the event loop, so a dialog
  // only marked for deletion would stay on screen over the progress and the results.
  if (m_wait != nullptr) {
    m_wait->hide();
    m_wait->deleteLater();
  }
  m_wait = nullptr;
}

bool QtUserInterface::cancelRequested() {
  QApplication::processEvents();
  return m_wait != nullptr && m_wait->wasCanceled();
}

void QtUserInterface::showNote(std::string_view text) {
  // One window for all notes: a later note replaces the text of one still open.
  if (m_note == nullptr) {
    m_note = new TNoBreakMessF(m_parent);
    m_note->setAttribute(Qt::WA_DeleteOnClose);
  }
  m_note->showText(messageText(text));
}

}  // namespace kelvaro::gui
