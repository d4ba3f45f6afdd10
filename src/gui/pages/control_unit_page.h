// The page "Steuereinheit" of the main window: port and model of the control unit, the
// transfer of the program, the unit's configuration block and its actions.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pages/main_page.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace kelvaro {
class Clock;
class Protocol;
class StationLink;
class UnitCommands;
struct UnitPage;
struct Workspace;
namespace sim {
class ControlUnit;
}
}  // namespace kelvaro

namespace kelvaro::gui {

struct UnitLine;

class ControlUnitPage : public MainPage {
  Q_OBJECT

 public:
  ControlUnitPage(MainContext& context, QWidget* parent);
  ~ControlUnitPage() override;

  QString caption() const override { return QStringLiteral("Steuereinheit"); }
  QString helpTopic() const override { return QStringLiteral("seitSteuereinh"); }
  void refresh() override;
  void leavePage() override;

  // The clock and event pump the hardware commands wait by: the system clock and Qt's event
  // loop, unless a test hands in a virtual clock that its pump moves on.
  void setLineClock(const Clock& clock, std::function<void()> pump);
  // The serial devices the port list offers; the machine's own unless a test hands in others.
  // Counts from the next refresh.
  void setDeviceLister(std::function<std::vector<std::string>()> devices);
  // The simulated unit that answers on the port "SIM" and on one the PORTS section maps to it.
  sim::ControlUnit& builtInUnit();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Hardware;
  class StatusInterface;

  void buildControls();
  QPushButton* addButton(const char* name, const QString& caption);
  void portChosen(int index);
  void modelChosen(int index);
  void showForType();
  void lineLogToggled();
  void compileToFile();

  // Opens the line with the page's fields, runs the work on it under a busy cursor, closes it
  // and shows what the work left in the fields. False when the work failed or another command
  // holds the line.
  bool withLine(const std::function<bool(Protocol&, UnitPage&)>& work);
  // The line a run with the hardware holds until it releases the link (MainContext::openRunLine).
  std::shared_ptr<StationLink> openRunLine();
  // The line a dialog holds while open (MainContext::openUnitLine).
  std::unique_ptr<UnitLine> openUnitLine(UserInterface& ui);
  // Puts the scenario beside the project into the built-in unit, or none.
  void startScenario(Workspace& ws);
  // Runs one command of the unit on the line.
  void runCommand(const std::function<bool(UnitCommands&)>& command);
  void fillUnitPage(UnitPage& page) const;
  void showUnitPage(const UnitPage& page);
  // The program transfer; a compile error opens the object editor once the line is released.
  void transfer(const std::optional<std::string>& outputFile);

  std::unique_ptr<Hardware> m_hw;
  bool m_busy = false;
  std::function<std::vector<std::string>()> m_devices;

  QLabel* m_portLabel = nullptr;
  QComboBox* m_port = nullptr;
  QComboBox* m_model = nullptr;
  QPushButton* m_autoDetect = nullptr;
  QGroupBox* m_transferGroup = nullptr;
  QGroupBox* m_configGroup = nullptr;
  QGroupBox* m_actionsGroup = nullptr;
  QCheckBox* m_sendProgram = nullptr;
  QCheckBox* m_prepare = nullptr;
  QCheckBox* m_setClock = nullptr;
  QLabel* m_memoryCaption = nullptr;  // Label13
  QLabel* m_memoryUse = nullptr;
  QLineEdit* m_serviceField = nullptr;  // SecComp
  QLineEdit* m_modemInit = nullptr;
  QLineEdit* m_modemConnect = nullptr;
  QLineEdit* m_password = nullptr;
  QLineEdit* m_clockCorrection = nullptr;
  QPushButton* m_versionInfo = nullptr;
  QPushButton* m_remote = nullptr;
  QPushButton* m_remoteVis = nullptr;
  QPushButton* m_radioSettings = nullptr;
  QLabel* m_releaseInfo = nullptr;
  QPlainTextEdit* m_hardwareMemo = nullptr;
  QLabel* m_status = nullptr;  // MsgLb
  QProgressBar* m_progress = nullptr;
};

}  // namespace kelvaro::gui
