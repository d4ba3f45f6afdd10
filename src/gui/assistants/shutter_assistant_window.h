// The shutter assistant "Rollladenanwendung": three pages over ShutterAssistant. Page 1 makes,
// edits, deletes and renames shutters; page 2 collects them into the current group; page 3 lists
// the group's time blocks, which "Fertigstellen" writes into the group's time setter.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "app/shutter_assistant.h"
#include "assistants/time_input.h"
#include "main_context.h"

class QComboBox;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace kelvaro::gui {

class TRollAssiF : public QDialog {
  Q_OBJECT

 public:
  TRollAssiF(MainContext& context, QWidget* parent = nullptr);

  const ShutterAssistant& assistant() const { return m_assistant; }
  // The time window of kind 6 that "Zeiten für &Gruppe" opens; nothing when it was cancelled.
  // Replaceable, so that a test or the screenshot program answers it.
  std::function<std::optional<TimeWindowResult>(QWidget* parent)> askTimes;
  // The page shown: 0 shutters, 1 groups, 2 actions.
  int page() const;
  // "Weiter >>" and "<< Zurück"; entering the actions page writes the group's blocks and may
  // be refused (message shown), then the groups page stays.
  void nextPage();
  void previousPage();

 private:
  QWidget* buildShutterPage();
  QWidget* buildGroupPage();
  QWidget* buildActionPage();
  void fillShutters();
  void fillGroups();
  void fillMembers();
  void fillStatements();
  void editObject(int index);
  std::vector<int> markedStatements() const;

  void NeuRollBtnClick();
  void BeaRollBtnClick();
  void DelRolBtnClick();
  void RenameRollBtnClick();
  void RollGruppeCBChange(int row);
  void NeuGrpBtnClick();
  void DelGrpBtnClick();
  void TimeBtClick();
  void CrtBsZeitenClick();
  void AnwDltBtnClick();
  void OkBtnClick();

  MainContext& m_context;
  ShutterAssistant m_assistant;
  QStackedWidget* m_pages = nullptr;
  QListWidget* RollLB = nullptr;       // page 1: the shutters
  QListWidget* GrpRollLB = nullptr;    // page 2: the shutters to choose from
  QComboBox* RollGruppeCB = nullptr;
  QListWidget* RollGruppeLB = nullptr;
  QListWidget* AnwLB = nullptr;
  QPushButton* CrtBsZeiten = nullptr;
};

// Opens the assistant modally on the workspace's project; true when it changed the project.
bool runShutterAssistant(MainContext& context, QWidget* parent);

}  // namespace kelvaro::gui
