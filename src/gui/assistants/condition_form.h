// TCondiF ("Wenn - Bedingungen"): wraps the lines it is given in a condition built from an
// object or the time, day or date, and takes a marked condition away again; the core's
// ConditionAssistant does the work.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "assistants/condition_assistant.h"

class QComboBox;
class QDateEdit;

namespace kelvaro {
class UserInterface;
struct Project;
}

namespace kelvaro::gui {

class StatementListView;
class TClockInp;

class TCondiF : public QDialog {
  Q_OBJECT

 public:
  TCondiF(const Project& project, UserInterface& ui, std::vector<std::string> lines, QWidget* parent = nullptr);

  ConditionAssistant& assistant() { return m_condition; }
  // Opens the window modally: the lines after OK, nothing after Cancel.
  static std::optional<std::vector<std::string>> ask(const Project& project, UserInterface& ui,
                                                     const std::vector<std::string>& lines, QWidget* parent,
                                                     const std::function<void(const QString&)>& showHelp = {});

  std::function<void(const QString& topic)> showHelp;
  // Redraws the lists after the assistant was changed from outside the window.
  void refreshLists();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void subjectChosen();
  void insertCondition();

  const Project& m_project;
  UserInterface& m_ui;
  ConditionAssistant m_condition;
  ConditionSubject m_subject;
  QComboBox* m_subjects = nullptr;
  QComboBox* m_values = nullptr;
  QComboBox* m_operators = nullptr;
  TClockInp* m_clock = nullptr;
  QDateEdit* m_date = nullptr;
  StatementListView* m_list = nullptr;
};

}  // namespace kelvaro::gui
