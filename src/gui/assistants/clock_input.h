// TClockInp: the eight-character time field of the assistants ("07:30:00", "SA", "SU"). It
// corrects what is typed as the core's correctClockInput says and refuses to be left with a
// time that is no time of day, so a time window can never hand on a broken time.
#pragma once

#include <QLineEdit>

namespace kelvaro {
class UserInterface;
}

namespace kelvaro::gui {

class TClockInp : public QLineEdit {
  Q_OBJECT

 public:
  // digitsOnly: the mask "00:00:00" (the condition assistant's clock time, where sunrise and
  // sunset mean nothing); otherwise letters are allowed in the first two places for SA and SU.
  TClockInp(UserInterface& ui, QWidget* parent = nullptr, bool digitsOnly = false);

  // All eight characters as the core sees them, blanks included ("  :  :  " when empty).
  QString clockText() const;
  void setClockText(const QString& text);

  // The check on leaving: fills the blanks; on an invalid time shows "Ungültige Uhrzeit",
  // keeps the focus and returns false. The time window calls it again before OK.
  bool leaveCheck();

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void corrected(const QString& typed);

  UserInterface& m_ui;
  bool m_checking = false;  // the error box takes the focus; that must not check a second time
};

}  // namespace kelvaro::gui
