// The input dialog of the execution window: a text or number entry, a state or a view to
// choose. It is not modal; its answer goes back as a signal, which the window turns into a
// posted event so that the value is applied between timer ticks.
#pragma once

#include <QDialog>

#include "runtime/run_session.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace kelvaro::gui {

class TEingabeF : public QDialog {
  Q_OBJECT

 public:
  explicit TEingabeF(QWidget* parent = nullptr);

  // Shows the request at a screen point: the prompt, and the value in the entry or the
  // choice in the list.
  void open(const InputRequest& request, QPoint at);
  InputMode mode() const { return m_mode; }

  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 Q_SIGNALS:
  // OK, Enter, or a double-click in the list: the entered text or the chosen entry.
  void answered(const QString& value);
  // "Abbruch" or the window closed.
  void cancelled();

 protected:
  void reject() override;

 private:
  void OKBtnClick();
  void ListBox1DblClick(QListWidgetItem* item);

  InputMode m_mode = InputMode::Text;
};

}  // namespace kelvaro::gui
