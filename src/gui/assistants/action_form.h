// TAppFormF ("Funktionen definieren"): the action assistant's window over the core's
// ActionAssistant. The object editor opens it without a condition on the object's generated
// lines; the view layout editor opens it with the change the object reacts to (" EINGESCHALTET "
// and the like), a header text and a preselected target.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;

namespace kelvaro {
class ActionAssistant;
class UserInterface;
struct Project;
}

namespace kelvaro::gui {

class StatementListView;

class TAppFormF : public QDialog {
  Q_OBJECT

 public:
  // object: O; condition: C or empty; program: O's program as stored (with C empty its "-&"
  // lines fill the "dann" list); header: the text of the header panel; target: the object
  // preselected in the list, or empty.
  TAppFormF(const Project& project, UserInterface& ui, std::string object, std::string condition,
            const std::vector<std::string>& program, const QString& header = {}, const std::string& target = {},
            QWidget* parent = nullptr);
  ~TAppFormF() override;

  ActionAssistant& assistant() { return *m_actions; }
  // After OK: writes the result into O's program as the assistant stores it.
  void applyTo(std::vector<std::string>& program) const;

  // The condition assistant on the selected lines; the tests answer it themselves.
  std::function<std::optional<std::vector<std::string>>(const std::vector<std::string>&)> askCondition;
  std::function<void(const QString& topic)> showHelp;
  // Redraws the lists after the assistant was changed from outside the window.
  void refreshLists();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::vector<std::string> selectedTargets() const;
  void targetsChanged();
  void createLines(bool intoElse);
  void insertCondition();

  const Project& m_project;
  UserInterface& m_ui;
  std::string m_object;
  // Held apart so that this header does not bring the assistant's names into every window that
  // includes it (the shutter assistant's header has a name of its own for the shutter type).
  std::unique_ptr<ActionAssistant> m_actions;
  QListWidget* m_targets = nullptr;
  QGroupBox* m_actionBox = nullptr;
  QButtonGroup* m_actionGroup = nullptr;
  QComboBox* m_shutterStates = nullptr;
  StatementListView* m_then = nullptr;
  StatementListView* m_else = nullptr;
  bool m_clearing = false;
};

}  // namespace kelvaro::gui
