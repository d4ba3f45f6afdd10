// The assistants' time field: Qt's input mask keeps the eight places and the colons, the core
// decides every correction and the leave check.
#include "assistants/clock_input.h"

#include <QFocusEvent>
#include <QTimer>

#include "assistants/time_input.h"
#include "qt_text.h"
#include "ui/user_interface.h"

namespace kelvaro::gui {

TClockInp::TClockInp(UserInterface& ui, QWidget* parent, bool digitsOnly) : QLineEdit(parent), m_ui(ui) {
  // ">" turns letters to upper case; the blank character is a space, as the core's texts have it.
  setInputMask(digitsOnly ? QStringLiteral("00:00:00; ") : QStringLiteral(">nn:00:00; "));
  setClockText(toQ(kEmptyClockText));
  const int width = fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 16;
  setMinimumWidth(width);
  setMaximumWidth(width + 24);
  connect(this, &QLineEdit::textEdited, this, &TClockInp::corrected);
}

QString TClockInp::clockText() const {
  QString text = displayText();
  text.resize(static_cast<qsizetype>(kEmptyClockText.size()), QLatin1Char(' '));
  return text;
}

void TClockInp::setClockText(const QString& text) {
  // With a mask, setText places character by character; blanks stay blank places.
  setText(text);
}

void TClockInp::corrected(const QString&) {
  const int caret = cursorPosition();
  const ClockCorrection correction = correctClockInput(fromQ(clockText()));
  const QString text = toQ(correction.text);
  if (text != clockText()) setClockText(text);
  setCursorPosition(correction.caret >= 0 ? correction.caret : caret);
}

bool TClockInp::leaveCheck() {
  const auto left = leaveClockInput(fromQ(clockText()));
  if (left) {
    if (toQ(*left) != clockText()) setClockText(toQ(*left));
    return true;
  }
  m_checking = true;
  showError(m_ui, std::string(kInvalidTimeMessage));
  m_checking = false;
  setFocus();
  selectAll();
  return false;
}

void TClockInp::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Leaving for a message box or a menu is no leaving; and the box itself takes the focus.
  if (m_checking || event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
    return;
  // After the focus change has settled, so that the focus can be taken back.
  QTimer::singleShot(0, this, [this] {
    if (!m_checking && isVisible()) leaveCheck();
  });
}

}  // namespace kelvaro::gui
