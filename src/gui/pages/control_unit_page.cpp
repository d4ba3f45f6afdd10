// The page "Steuereinheit": its controls, bound to the unit commands of the core.
#include "pages/control_unit_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <thread>

#include "ui/forwarding_user_interface.h"
#include "app/port_settings.h"
#include "app/program_transfer.h"
#include "app/run_commands.h"
#include "app/settings_page_commands.h"
#include "app/unit_page_commands.h"
#include "app/sun_settings.h"
#include "astro/sun_times.h"
#include "control_unit.h"
#include "hardware/port_choice.h"
#include "hardware/protocol.h"
#include "hardware/serial_line.h"
#include "hardware/unit_commands.h"
#include "language/errors.h"
#include "runtime/hardware_exchange.h"
#include "scenario.h"
#include "text/cp1252.h"
#include "qt_text.h"
#include "modem/remote_window.h"
#include "stations/radio_interface_dialog.h"
#include "stations/unit_line.h"
#include "time/clock.h"

namespace kelvaro::gui {

namespace {

// Qt's event loop between the polls of a wait, with a short sleep so that the busy waits of
// the protocol do not hold a processor; far below the shortest pause on the line.
void processQtEvents() {
  QCoreApplication::processEvents();
  std::this_thread::sleep_for(std::chrono::microseconds(200));
}

// While a command holds the line, which takes from a moment to a minute: a busy cursor, and
// the page's controls disabled, since the waits let the event loop run, except those that
// report on the command (status line, progress), which would read greyed as if stale.
// Undone however the command ends.
class CommandInProgress {
 public:
  CommandInProgress(QWidget& page, std::initializer_list<const QWidget*> stayEnabled, bool& busy) : m_busy(busy) {
    m_busy = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    for (QWidget* control : page.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (control->isWindow() || !control->isEnabled() ||
          std::find(stayEnabled.begin(), stayEnabled.end(), control) != stayEnabled.end())
        continue;
      control->setEnabled(false);
      m_disabled.emplace_back(control);
    }
  }
  ~CommandInProgress() {
    for (const QPointer<QWidget>& control : m_disabled)
      if (control != nullptr) control->setEnabled(true);
    QApplication::restoreOverrideCursor();
    m_busy = false;
  }
  CommandInProgress(const CommandInProgress&) = delete;
  CommandInProgress& operator=(const CommandInProgress&) = delete;

 private:
  bool& m_busy;
  std::vector<QPointer<QWidget>> m_disabled;  // only these: a control disabled before stays so
};

// The line a run with the hardware holds from its start to its end: the page's commands are
// refused meanwhile, as while one of them runs, and the line closes when the run lets it go.
struct HeldLine {
  HeldLine(const Clock& clock, PortFactory factory, std::function<void()> pump, UserInterface& ui, bool& busy)
      : line(clock, std::move(factory), std::move(pump), &ui), protocol(line, ui), link(protocol), pageBusy(busy) {
    pageBusy = true;
  }
  ~HeldLine() {
    line.CloseLine();
    pageBusy = false;
  }
  HeldLine(const HeldLine&) = delete;
  HeldLine& operator=(const HeldLine&) = delete;

  SerialLine line;
  Protocol protocol;
  ProtocolStationLink link;
  bool& pageBusy;
};

}  // namespace

// The window's user interface, with the status line and the progress of a transfer shown on
// the page itself.
class ControlUnitPage::StatusInterface final : public ForwardingUserInterface {
 public:
  StatusInterface(ControlUnitPage& page, UserInterface& inner) : ForwardingUserInterface(inner), m_page(page) {}

  void showStatus(std::string_view text) override {
    m_page.m_status->setText(toQ(text));
    inner().showStatus(text);
  }
  void showProgress(int done, int total) override {
    m_page.m_progress->setRange(0, total);
    m_page.m_progress->setValue(done);
    m_page.m_progress->setVisible(true);
    inner().showProgress(done, total);
  }

 private:
  ControlUnitPage& m_page;
};

// What the commands need besides the page: the simulated unit for "SIM" ports and the clock
// and pump of the waits. A line and a protocol are made for each command; the unit record
// they identify goes back into the workspace.
struct ControlUnitPage::Hardware {
  Hardware(ControlUnitPage& page, UserInterface& ui) : status(page, ui) {}
  sim::ControlUnit builtIn;
  SystemClock systemClock;
  const Clock* clock = &systemClock;
  std::function<void()> pump = processQtEvents;
  StatusInterface status;
};

ControlUnitPage::ControlUnitPage(MainContext& context, QWidget* parent)
    : MainPage(context, parent), m_hw(std::make_unique<Hardware>(*this, context.ui)), m_devices(presentSerialDevices) {
  buildControls();
  // The starts of a run check the unit on this page's line, with its port and model.
  context.checkUnit = [this](int mode) {
    return withLine([mode](Protocol& protocol, UnitPage& page) {
      return protocol.CheckUnit(mode, page.ComPortCoB, page.ConvertCoB);
    });
  };
  context.openRunLine = [this] { return openRunLine(); };
  context.openUnitLine = [this](UserInterface& ui) { return openUnitLine(ui); };
}

std::unique_ptr<UnitLine> ControlUnitPage::openUnitLine(UserInterface& ui) {
  if (m_busy) return nullptr;
  UnitPage page;
  fillUnitPage(page);
  Workspace& ws = workspace();
  // The page's commands stay refused while a dialog holds the line; what the dialog
  // identified comes back into the workspace as after a command of the page.
  m_busy = true;
  auto held = std::make_unique<UnitLine>(*m_hw->clock, simulatorOrSerialPort(m_hw->builtIn, *m_hw->clock), m_hw->pump,
                                         ui, [this](const UnitRecord& unit) {
                                           workspace().unit = unit;
                                           workspace().unit.Connected = false;
                                           m_busy = false;
                                         });
  held->line.resolve = settingsPortResolver(ws.ini);
  held->line.LineLogOn = ws.lineLog;
  held->protocol.unit = ws.unit;
  held->port = page.ComPortCoB;
  return held;
}

std::shared_ptr<StationLink> ControlUnitPage::openRunLine() {
  if (m_busy) return nullptr;
  Workspace& ws = workspace();
  // The port the start's check found the unit on; without a check, the page's choice.
  std::string port = ws.unit.PortName;
  if (port.empty()) {
    UnitPage page;
    fillUnitPage(page);
    port = page.ComPortCoB;
  }
  auto held = std::make_shared<HeldLine>(*m_hw->clock, simulatorOrSerialPort(m_hw->builtIn, *m_hw->clock), m_hw->pump,
                                         m_hw->status, m_busy);
  held->line.resolve = settingsPortResolver(ws.ini);
  held->line.LineLogOn = ws.lineLog;
  // The built-in unit gets the installation's devices anew at every start, so that a run
  // meets the scenario's messages from its beginning; without a usable file it has none.
  if (held->line.resolve(port).simulator) startScenario(ws);
  if (held->line.OpenLine(port) < 0) {
    const std::string& why = held->line.openError();
    showError(ui(), fromUtf8("Die Verbindung zur Steuereinheit an ") + fromUtf8(port) +
                        fromUtf8(" kann nicht geöffnet werden") + (why.empty() ? "." : ": " + fromUtf8(why)));
    return nullptr;
  }
  held->protocol.unit = ws.unit;
  held->protocol.unit.PortName = port;
  held->protocol.unit.Connected = true;
  return std::shared_ptr<StationLink>(held, &held->link);
}

void ControlUnitPage::startScenario(Workspace& ws) {
  sim::Scenario scenario;
  const ScenarioFileRead file = readScenarioBeside(ws.fileName);
  if (!file.error.empty()) {
    showError(ui(), file.error);
  } else if (file.present) {
    sim::ScenarioLoad load = sim::loadScenario(file.text);
    if (load.ok())
      scenario = std::move(load.scenario);
    else
      showError(ui(), scenarioProblemMessage(file.path, load.error));
  }
  m_hw->builtIn.setScenario(std::move(scenario), m_hw->clock->monotonicMs());
}

ControlUnitPage::~ControlUnitPage() {
  // The window "Modem-Verbindung" lives beside the page but holds the page's line, whose
  // release comes back here; it goes first.
  delete openedRemoteWindow();
}

void ControlUnitPage::setLineClock(const Clock& clock, std::function<void()> pump) {
  m_hw->clock = &clock;
  m_hw->pump = std::move(pump);
}

void ControlUnitPage::setDeviceLister(std::function<std::vector<std::string>()> devices) {
  m_devices = std::move(devices);
}

sim::ControlUnit& ControlUnitPage::builtInUnit() { return m_hw->builtIn; }

QPushButton* ControlUnitPage::addButton(const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

void ControlUnitPage::buildControls() {
  auto* layout = new QVBoxLayout(this);

  // Port, model and the search.
  auto* top = new QHBoxLayout;
  m_portLabel = new QLabel(QStringLiteral("COM-Port"), this);
  m_portLabel->setObjectName(QStringLiteral("COMPortLb"));
  m_portLabel->installEventFilter(this);
  m_port = new QComboBox(this);
  m_port->setObjectName(QStringLiteral("ComPortCoB"));
  m_port->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  m_model = new QComboBox(this);
  m_model->setObjectName(QStringLiteral("ConvertCoB"));
  for (std::string_view model : kModelChoices) m_model->addItem(toQ(model));
  m_autoDetect = addButton("AutoDtBtn", QStringLiteral("&AutoDetect"));
  top->addWidget(m_portLabel);
  top->addWidget(m_port);
  top->addWidget(new QLabel(QStringLiteral("Steuereinheit :"), this));
  top->addWidget(m_model);
  top->addWidget(m_autoDetect);
  top->addStretch();
  layout->addLayout(top);

  // Transfer of the program.
  m_transferGroup = new QGroupBox(QStringLiteral("Übertragen zur Steuereinheit"), this);
  m_transferGroup->setObjectName(QStringLiteral("TransferGB"));
  auto* transferGrid = new QGridLayout(m_transferGroup);
  m_sendProgram = new QCheckBox(QStringLiteral("&Programm"), m_transferGroup);
  m_sendProgram->setObjectName(QStringLiteral("StSndPgmCB"));
  m_sendProgram->setChecked(true);
  m_prepare = new QCheckBox(QStringLiteral("&Initialisieren"), m_transferGroup);
  m_prepare->setObjectName(QStringLiteral("StInitCB"));
  m_prepare->setChecked(true);
  m_setClock = new QCheckBox(QStringLiteral("&Uhrzeit"), m_transferGroup);
  m_setClock->setObjectName(QStringLiteral("StSndTimeCB"));
  QPushButton* startTransfer = addButton("StSndPlanBtn", QStringLiteral("Ü&bertragung starten"));
  m_memoryCaption = new QLabel(QStringLiteral("Speicherbelegung :"), m_transferGroup);
  m_memoryCaption->setObjectName(QStringLiteral("Label13"));
  m_memoryCaption->installEventFilter(this);
  m_memoryUse = new QLabel(m_transferGroup);
  m_memoryUse->setObjectName(QStringLiteral("InfoPgmGrLb"));
  m_serviceField = new QLineEdit(m_transferGroup);
  m_serviceField->setObjectName(QStringLiteral("SecComp"));
  m_serviceField->setVisible(false);
  m_serviceField->installEventFilter(this);
  transferGrid->addWidget(m_sendProgram, 0, 0);
  transferGrid->addWidget(m_prepare, 1, 0);
  transferGrid->addWidget(m_setClock, 2, 0);
  transferGrid->addWidget(startTransfer, 0, 1);
  transferGrid->addWidget(m_memoryCaption, 1, 1);
  transferGrid->addWidget(m_memoryUse, 1, 2);
  transferGrid->addWidget(m_serviceField, 2, 1);
  layout->addWidget(m_transferGroup);

  // The configuration block of the unit.
  m_configGroup = new QGroupBox(QStringLiteral("Konfiguration Steuereinheit"), this);
  m_configGroup->setObjectName(QStringLiteral("ConfigGB"));
  auto* config = new QGridLayout(m_configGroup);
  auto addField = [&](int row, const QString& label, const char* name, UnitSettingField field) {
    auto* edit = new QLineEdit(m_configGroup);
    edit->setObjectName(QString::fromLatin1(name));
    config->addWidget(new QLabel(label, m_configGroup), row, 0);
    config->addWidget(edit, row, 1);
    connect(edit, &QLineEdit::textEdited, this,
            [this, field](const QString& text) { editUnitSetting(workspace(), field, fromQ(text)); });
    return edit;
  };
  m_modemInit = addField(0, QStringLiteral("Initialisierung für Modem :"), "InitModemEd", UnitSettingField::ModemInit);
  m_modemConnect =
      addField(1, QStringLiteral("Connect-Meldung Modem :"), "ConnectModemEd", UnitSettingField::ModemConnect);
  m_password =
      addField(2, QStringLiteral("Kennwort Remote-Steuerung :"), "PasswModemEd", UnitSettingField::RemotePassword);
  m_clockCorrection =
      addField(3, QStringLiteral("Uhrkorrektur :"), "ClockKorEd", UnitSettingField::ClockCorrection);
  QPushButton* read = addButton("KonvRead", QStringLiteral("&Lesen"));
  QPushButton* write = addButton("KonvWriteBtn", QStringLiteral("&Schreiben"));
  QPushButton* modemInit = addButton("ModeminiBtn", QStringLiteral("Modem init."));
  config->addWidget(read, 0, 2);
  config->addWidget(write, 1, 2);
  config->addWidget(modemInit, 2, 2);
  layout->addWidget(m_configGroup);

  // The actions of the unit.
  m_actionsGroup = new QGroupBox(QStringLiteral("Aktionen Steuereinheit"), this);
  m_actionsGroup->setObjectName(QStringLiteral("ActionsGB"));
  auto* actions = new QGridLayout(m_actionsGroup);
  m_versionInfo = addButton("EPROMInfoBtn", QStringLiteral("Version-&Info"));
  QPushButton* restart = addButton("InitSteBtn", QStringLiteral("&Neu starten"));
  QPushButton* save = addButton("WriteEEPBtn", QStringLiteral("Programm s&peichern"));
  QPushButton* erase = addButton("DelEEPBtn", QStringLiteral("Programm &löschen"));
  QPushButton* ignore = addButton("SteNoProgBtn", QStringLiteral("Programm &ignorieren"));
  QPushButton* end = addButton("ClrPgmBtn", QStringLiteral("Programm b&eenden"));
  m_releaseInfo = new QLabel(m_actionsGroup);
  m_releaseInfo->setObjectName(QStringLiteral("RelInfoLb"));
  actions->addWidget(save, 0, 0);
  actions->addWidget(restart, 0, 1);
  actions->addWidget(erase, 0, 2);
  actions->addWidget(ignore, 1, 0);
  actions->addWidget(end, 1, 1);
  actions->addWidget(m_versionInfo, 1, 2);
  actions->addWidget(m_releaseInfo, 2, 0, 1, 3);
  layout->addWidget(m_actionsGroup);

  // Remote control: the window "Modem-Verbindung" on the page's line, and the visualisation of
  // the unit at the other end of its link.
  auto* remoteRow = new QHBoxLayout;
  m_remote = addButton("RemoteBtn", QStringLiteral("&Remote-Kontrolle"));
  m_remoteVis = addButton("RemoteVisBtn", QStringLiteral("Remote-&Visualisierung"));
  m_radioSettings = addButton("InterfaceEinstBtn", QStringLiteral("Einstellungen &Funkschnittstelle"));
  for (QPushButton* button : {m_remote, m_remoteVis, m_radioSettings}) remoteRow->addWidget(button);
  remoteRow->addStretch();
  layout->addLayout(remoteRow);

  m_hardwareMemo = new QPlainTextEdit(this);
  m_hardwareMemo->setObjectName(QStringLiteral("CfgM"));
  m_hardwareMemo->setReadOnly(true);
  m_hardwareMemo->setMaximumHeight(90);
  layout->addWidget(m_hardwareMemo);

  auto* statusRow = new QHBoxLayout;
  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("MsgLb"));
  m_progress = new QProgressBar(this);
  m_progress->setObjectName(QStringLiteral("TransferProgress"));
  m_progress->setVisible(false);
  statusRow->addWidget(m_status, 1);
  statusRow->addWidget(m_progress, 1);
  layout->addLayout(statusRow);
  layout->addStretch();

  connect(m_port, qOverload<int>(&QComboBox::activated), this, &ControlUnitPage::portChosen);
  connect(m_model, qOverload<int>(&QComboBox::activated), this, &ControlUnitPage::modelChosen);
  connect(m_autoDetect, &QPushButton::clicked, this,
          [this] { runCommand([](UnitCommands& c) { return c.AutoDetect(); }); });
  connect(startTransfer, &QPushButton::clicked, this, [this] { transfer(std::nullopt); });
  connect(m_radioSettings, &QPushButton::clicked, this, [this] { openRadioInterfaceDialog(m_context, this); });
  connect(m_remote, &QPushButton::clicked, this, [this] { openRemoteWindow(m_context, window()); });
  connect(m_remoteVis, &QPushButton::clicked, this, [this] { requestRemoteVisualisation(m_context); });
  connect(read, &QPushButton::clicked, this,
          [this] { runCommand([](UnitCommands& c) { return c.ConfigRead(); }); });
  connect(write, &QPushButton::clicked, this,
          [this] { runCommand([](UnitCommands& c) { return c.ConfigWrite(); }); });
  connect(m_versionInfo, &QPushButton::clicked, this,
          [this] { runCommand([](UnitCommands& c) { return c.FirmwareInfo(); }); });
  connect(ignore, &QPushButton::clicked, this,
          [this] { runCommand([](UnitCommands& c) { return c.StartWithoutProgram(); }); });
  const std::pair<QPushButton*, std::size_t> unitActions[] = {
      {save, 0}, {restart, 1}, {erase, 2}, {end, 3}, {modemInit, 4}};
  for (const auto& [button, index] : unitActions) {
    connect(button, &QPushButton::clicked, this, [this, index = index] {
      runCommand([index](UnitCommands& c) {
        const UnitActionInfo& action = kUnitActions[index];
        return c.UnitAction(action.command, fromUtf8(action.name));
      });
    });
  }
  showForType();
}

void ControlUnitPage::refresh() {
  const Settings& s = workspace().settings();
  applyUnitSettings(workspace());
  // The list is built anew each time: devices come and go, and so do PORTS entries.
  const PortList ports = unitPortList(workspace(), m_devices);
  m_port->clear();
  for (const PortChoice& entry : ports.entries) m_port->addItem(toQ(entry.caption), toQ(entry.value));
  m_port->setCurrentIndex(static_cast<int>(ports.current));
  m_model->setCurrentIndex(s.CONTR >= 0 && s.CONTR < m_model->count() ? s.CONTR : -1);
  m_modemInit->setText(toQ(s.MODEMINIT));
  m_modemConnect->setText(toQ(s.MODEMCON));
  m_password->setText(toQ(s.REMOTEPW));
  m_clockCorrection->setText(toQ(s.CLOCKCOR));
  m_portLabel->setText(toQ(portLabelCaption(workspace().lineLog)));
  showForType();
}

void ControlUnitPage::leavePage() {
  leavePortChoice(workspace(), fromQ(m_port->currentData().toString()));
  leaveModelChoice(workspace(), fromQ(m_model->currentText()));
}

void ControlUnitPage::portChosen(int index) {
  const std::string port = fromQ(m_port->itemData(index).toString());
  storePortChoice(workspace(), port);
  leavePortChoice(workspace(), port);
}

void ControlUnitPage::modelChosen(int index) {
  chooseModel(workspace(), index);
  leaveModelChoice(workspace(), fromQ(m_model->currentText()));
  showForType();
}

void ControlUnitPage::showForType() {
  const UnitRecord& unit = workspace().unit;
  const UnitPageVisibility v = unitPageVisibility(unit.TypeCode, unit.FeatureLevel);
  m_transferGroup->setVisible(v.unitGroups);
  m_configGroup->setVisible(v.unitGroups);
  m_actionsGroup->setVisible(v.unitGroups);
  m_versionInfo->setVisible(v.versionInfo);
  m_remote->setVisible(v.remote);
  m_remoteVis->setVisible(v.remote);
  m_radioSettings->setVisible(v.radioSettings);
}

bool ControlUnitPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    if (watched == m_portLabel) {
      lineLogToggled();
      return true;
    }
    if (watched == m_memoryCaption) {
      m_serviceField->setVisible(m_serviceField->isHidden());
      return true;
    }
    if (watched == m_serviceField && isServiceCode(fromQ(m_serviceField->text()))) {
      compileToFile();
      return true;
    }
  }
  return MainPage::eventFilter(watched, event);
}

void ControlUnitPage::lineLogToggled() {
  toggleLineLog(workspace());
  m_portLabel->setText(toQ(portLabelCaption(workspace().lineLog)));
}

void ControlUnitPage::compileToFile() {
  const std::optional<std::string> chosen = ui().saveFileName(
      "Steuerungsprogramm speichern", "Steuerungsprogramm (*.SPA)", workspace().settings().DIRDAT);
  if (!chosen) return;
  const std::string file = imageFileName(*chosen);
  if (file.empty()) return;
  transfer(file);
}

void ControlUnitPage::fillUnitPage(UnitPage& page) const {
  const Settings& s = m_context.workspace.settings();
  page.ComPortCoB = fromQ(m_port->currentData().toString());
  page.ConvertCoB = fromQ(m_model->currentText());
  page.ConvertIndex = m_model->currentIndex();
  page.StSndPgmCB = m_sendProgram->isChecked();
  page.StInitCB = m_prepare->isChecked();
  page.StSndTimeCB = m_setClock->isChecked();
  page.ProjNamLb = s.projectNameLabel;
  page.ClockKorEd = fromQ(m_clockCorrection->text());
  page.InitModemEd = fromQ(m_modemInit->text());
  page.PasswModemEd = fromQ(m_password->text());
  page.ConnectModemEd = fromQ(m_modemConnect->text());
  page.rs232Prot = s.RS232PROT;
  page.InfoPgmGrLb = fromQ(m_memoryUse->text());
  page.RelInfoLb = fromQ(m_releaseInfo->text());
}

void ControlUnitPage::showUnitPage(const UnitPage& page) {
  m_sendProgram->setChecked(page.StSndPgmCB);
  m_status->setText(toQ(page.MsgLb));
  m_memoryUse->setText(toQ(page.InfoPgmGrLb));
  m_releaseInfo->setText(toQ(page.RelInfoLb));
  m_hardwareMemo->setPlainText(toQList(page.CfgM).join(QLatin1Char('\n')));
  // The configuration fields may have been read from the unit or tidied for it; the
  // settings follow them as after an edit.
  const std::pair<QLineEdit*, std::pair<UnitSettingField, const std::string*>> fields[] = {
      {m_modemInit, {UnitSettingField::ModemInit, &page.InitModemEd}},
      {m_modemConnect, {UnitSettingField::ModemConnect, &page.ConnectModemEd}},
      {m_password, {UnitSettingField::RemotePassword, &page.PasswModemEd}},
      {m_clockCorrection, {UnitSettingField::ClockCorrection, &page.ClockKorEd}},
  };
  for (const auto& [edit, field] : fields) {
    if (fromQ(edit->text()) == *field.second) continue;
    edit->setText(toQ(*field.second));
    editUnitSetting(workspace(), field.first, *field.second);
  }
  // A command that found another port or model selects it; the choice then does what a
  // choice by hand does.
  if (const int port = m_port->findData(toQ(page.ComPortCoB)); port >= 0 && port != m_port->currentIndex()) {
    m_port->setCurrentIndex(port);
    portChosen(port);
  }
  if (const int model = m_model->findText(toQ(page.ConvertCoB)); model >= 0 && model != m_model->currentIndex()) {
    m_model->setCurrentIndex(model);
    modelChosen(model);
  }
}

bool ControlUnitPage::withLine(const std::function<bool(Protocol&, UnitPage&)>& work) {
  // The waits of a command let the event loop run; a second click meanwhile must not start
  // another command on the same line.
  if (m_busy) return false;
  UnitPage page;
  bool done = false;
  {
    const CommandInProgress inProgress(*this, {m_status, m_progress}, m_busy);
    fillUnitPage(page);
    Workspace& ws = workspace();
    SerialLine line(*m_hw->clock, simulatorOrSerialPort(m_hw->builtIn, *m_hw->clock), m_hw->pump, &m_hw->status);
    line.resolve = settingsPortResolver(ws.ini);
    line.LineLogOn = ws.lineLog;
    Protocol protocol(line, m_hw->status);
    protocol.unit = ws.unit;

    done = work(protocol, page);
    line.CloseLine();

    ws.unit = protocol.unit;
    ws.unit.Connected = false;
    m_progress->setVisible(false);
  }
  // A model found by AutoDetect is selected in showUnitPage, which does what a choice by hand
  // does; an identification may also have brought a new feature level.
  showUnitPage(page);
  showForType();
  return done;
}

void ControlUnitPage::runCommand(const std::function<bool(UnitCommands&)>& command) {
  withLine([&](Protocol& protocol, UnitPage& page) {
    UnitCommands commands(protocol, page);
    // AutoDetect tries the serial devices the port list offers, then the simulator.
    std::vector<std::string> laterPorts = m_devices ? m_devices() : std::vector<std::string>{};
    laterPorts.emplace_back(kSimulatorWord);
    commands.laterSearchPorts = std::move(laterPorts);
    return command(commands);
  });
}

void ControlUnitPage::transfer(const std::optional<std::string>& outputFile) {
  // The sun table goes into the image; settings that give no sun times would put midnight
  // there for every week.
  const SunSettings sun = sunSettingsFrom(workspace().settings());
  if (const std::optional<std::string> error = sunSettingsError(sun)) {
    showError(ui(), *error);
    return;
  }
  const int year = decodeDate(m_hw->clock->now()).year;
  std::optional<EditorRequest> editorRequest;
  runCommand([&](UnitCommands& commands) {
    TransferHooks hooks;
    hooks.sunTable = [&](bool applySummerTime) { return sunWeeks(year, applySummerTime, sun); };
    hooks.showCompileError = [&editorRequest](const CompileOutput& out) {
      editorRequest = editorRequestForCompileError(out);
    };
    CompileOptions options;
    options.programName = workspace().settings().projectNameLabel;
    return ProgramTransfer(commands, project(), options, hooks, outputFile);
  });

  // The editor opens once the line is released, on the object and line of the error.
  if (editorRequest) {
    if (m_context.editObject && editorRequest->object >= 0)
      m_context.editObject(*editorRequest);
    else
      showError(ui(), languageErrorMessage(editorRequest->errorCode, editorRequest->errorName));
  }
}

}  // namespace kelvaro::gui
