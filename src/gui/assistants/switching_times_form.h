// TSTimesF ("Schaltzeiten"): the switching-time assistant's window over the core's SwitchingTimes.
// It works on the generated lines it is given and hands the new ones back on OK, so the object
// editor that opened it can still discard everything with its own Cancel.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "assistants/switching_times.h"

class QPushButton;

namespace kelvaro {
class UserInterface;
struct Project;
}

namespace kelvaro::gui {

class StatementListView;

class TSTimesF : public QDialog {
  Q_OBJECT

 public:
  // program: the object's program as stored (its "-&" lines fill the list); project: for the
  // condition assistant's object list.
  TSTimesF(const Project& project, UserInterface& ui, std::string objectName, SwitchTimesKind kind,
           const std::vector<std::string>& program, QWidget* parent = nullptr);

  SwitchingTimes& assistant() { return m_times; }
  // The time window; the tests answer it themselves.
  std::function<std::optional<TimeWindowResult>(TimeWindowKind)> askTime;
  // The condition assistant on the selected lines: the lines that replace them, or nothing.
  std::function<std::optional<std::vector<std::string>>(const std::vector<std::string>&)> askCondition;
  std::function<void(const QString& topic)> showHelp;
  // Redraws the lists after the assistant was changed from outside the window.
  void refreshLists();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void addTime(TimeWindowKind kind);
  void insertCondition();

  UserInterface& m_ui;
  SwitchingTimes m_times;
  StatementListView* m_list = nullptr;
};

}  // namespace kelvaro::gui
