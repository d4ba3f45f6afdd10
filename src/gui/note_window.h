// The message window "Meldung" that does not stop the command showing it: the text stays on
// screen while the hardware command goes on, and "OK" closes it.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kelvaro::gui {

class TNoBreakMessF : public QDialog {
  Q_OBJECT

 public:
  explicit TNoBreakMessF(QWidget* parent = nullptr);

  // Shows the text and the window, without waiting for the user.
  void showText(const QString& text);

  QLabel* MsgPnl = nullptr;
  QPushButton* OKBtn = nullptr;
};

}  // namespace kelvaro::gui
