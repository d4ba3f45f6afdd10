// The window "Meldungen": the objects that timed out, sent battery warnings or had powerline
// errors during the run, one list at a time.
#pragma once

#include <QDialog>
#include <functional>

#include "runtime/run_session.h"

class QComboBox;
class QListWidget;
class QPushButton;

namespace kelvaro::gui {

class TMsgListF : public QDialog {
  Q_OBJECT

 public:
  // now: the run's clock, for "silent for longer than" decisions.
  TMsgListF(const RunSession& session, std::function<DateTime()> now, QWidget* parent = nullptr);

  // Selects the first list and fills it; call before showing.
  void showFirstList();

  QComboBox* MsgAuswCB = nullptr;
  QListWidget* ListBox1 = nullptr;
  QPushButton* BitBtn1 = nullptr;

 private:
  void MsgAuswCBChange();

  const RunSession& m_session;
  std::function<DateTime()> m_now;
};

}  // namespace kelvaro::gui
