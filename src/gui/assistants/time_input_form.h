// TTimeInpF ("Zeiteingabe"): one or two time fields and the weekdays, as the calling assistant's
// kind asks; on OK it hands back what the core's timeWindowResult makes of them.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "assistants/time_input.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace kelvaro {
class UserInterface;
}

namespace kelvaro::gui {

class TClockInp;

class TTimeInpF : public QDialog {
  Q_OBJECT

 public:
  TTimeInpF(UserInterface& ui, TimeWindowKind kind, QWidget* parent = nullptr);

  // What OK produced; nothing after Cancel or when the first time (for shutters: both) is empty.
  const std::optional<TimeWindowResult>& result() const { return m_result; }
  // Opens the window modally and returns its result.
  static std::optional<TimeWindowResult> ask(UserInterface& ui, TimeWindowKind kind, QWidget* parent,
                                             const std::function<void(const QString&)>& showHelp = {});

  std::function<void(const QString& topic)> showHelp;

 public Q_SLOTS:
  void accept() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  TimeWindowKind m_kind;
  TClockInp* m_timeOn = nullptr;
  TClockInp* m_timeOff = nullptr;
  QListWidget* m_days = nullptr;
  std::optional<TimeWindowResult> m_result;
};

}  // namespace kelvaro::gui
