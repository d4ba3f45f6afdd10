// The station dialog "E/A-Module konfigurieren": its controls bound to the station rules
// (channel panel, address checks) and to the station commands on the line.
#include "stations/station_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/station_commands.h"
#include "app/station_layout.h"
#include "app/station_rules.h"
#include "screen_fit.h"
#include "stations/station_test_dialog.h"
#include "stations/unit_line.h"

namespace kelvaro::gui {

namespace {

const QString kPowerline = QStringLiteral("Powerline");
const QString kRadioBus = QStringLiteral("Funk 868 Mhz");
// The wired types the type list offers, in its order, and its empty entry.
constexpr std::string_view kWiredChoices[] = {"40611x", "40612x", "JAL1", "MXB2", "MFB1", "MXSA", ""};
// How long "&Adressen" and "Adresse empfangen" wait for the user at the device: a minute, so
// there is time to walk to a station; the wait dialog's "Abbruch" ends it sooner.
constexpr double kUserWaitDays = 60.0 / 86400.0;

// The instructions of the address panel.
const QString kAddressHelp = QStringLiteral(
    "Prüfen einer angeschlossenen Signalstation: Adresse eingeben, \"Neue Adresse prüfen\".\n"
    "Neue Station: Adresse eingeben (0 = nächste freie), \"Adressen\" wählen, dann den\n"
    "Konfigurationsknopf drücken, bis die LED mindestens dreimal geblinkt hat.");

QString slotKindText(int kind) { return kind == 2 ? QStringLiteral("Ausgang") : QStringLiteral("Eingang"); }

// A busy cursor while a command waits on the line; undone however the command ends.
struct BusyCursor {
  explicit BusyCursor(bool& busy) : m_busy(busy) {
    m_busy = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
  }
  ~BusyCursor() {
    QApplication::restoreOverrideCursor();
    m_busy = false;
  }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
  bool& m_busy;
};

}  // namespace

TCConfigF::TCConfigF(MainContext& context, int station, bool onLine, QWidget* parent)
    : QDialog(parent), m_context(context), m_index(station), m_wantLine(onLine), m_ui(context.ui, nullptr) {
  setObjectName(QStringLiteral("TCConfigF"));
  setWindowTitle(QStringLiteral("E/A-Module konfigurieren"));
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setAttribute(Qt::WA_DeleteOnClose);
  buildControls();
  m_ui.setLabel(m_status);
  addHelpKey(this, context, QStringLiteral("EAKonfig"));
  showStation();
  enableLineCommands();
  keepOnScreen(this);
}

// The test dialog uses this dialog's commands and status line: it goes first; then the unit
// leaves configuration mode while the dialog is still whole.
TCConfigF::~TCConfigF() {
  // QDialog's destructor hides a dialog that is still open, and the focus leaving an address field
  // would then report an edit to a dialog that is already half gone.
  m_radioAddress->disconnect(this);
  m_newAddress->disconnect(this);
  qDeleteAll(findChildren<TChkStatF*>());
  if (m_commands != nullptr) m_commands->Close();
  m_commands.reset();
  m_line.reset();
}

TPSContr& TCConfigF::station() { return m_context.workspace.project.stations[static_cast<std::size_t>(m_index)]; }

bool TCConfigF::connected() const { return m_commands != nullptr && m_commands->connected(); }

QPushButton* TCConfigF::lineButton(const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(QString::fromLatin1(name));
  button->setToolTip(QStringLiteral("Nur mit „Verbindung zur Hardware herstellen“ auf der Seite E/A-Module"));
  m_lineButtons.push_back(button);
  return button;
}

void TCConfigF::buildControls() {
  // The station: name, bus, type, address, version.
  auto* stationBox = new QGroupBox(QStringLiteral("Signalstation"), this);
  auto* form = new QGridLayout(stationBox);
  m_name = new QLabel(stationBox);
  m_name->setObjectName(QStringLiteral("CNameLb"));
  m_bus = new QComboBox(stationBox);
  m_bus->setObjectName(QStringLiteral("CPLtgSBox"));
  m_bus->addItems({kPowerline, kRadioBus});
  m_type = new QComboBox(stationBox);
  m_type->setObjectName(QStringLiteral("ContrTypCBox"));
  m_type->setMinimumContentsLength(18);
  m_typeText = new QLabel(stationBox);
  m_typeText->setObjectName(QStringLiteral("ContrTypLb"));
  m_addressLabel = new QLabel(QStringLiteral("Adresse :"), stationBox);
  m_stationAddress = new QSpinBox(stationBox);
  m_stationAddress->setObjectName(QStringLiteral("StAdrSBox"));
  m_stationAddress->setRange(0, 253);
  m_radioAddress = new QLineEdit(stationBox);
  m_radioAddress->setObjectName(QStringLiteral("AdrEdt"));
  m_radioAddress->setMaxLength(13);
  m_version = new QLabel(stationBox);
  m_version->setObjectName(QStringLiteral("ACDEVers"));
  m_special = new QLabel(QStringLiteral(" Config "), stationBox);
  m_special->setObjectName(QStringLiteral("SpecCfgLb"));
  m_special->setStyleSheet(QStringLiteral("QLabel { background: red; color: white; }"));
  m_special->setVisible(false);
  m_special->setToolTip(QStringLiteral("Nur die Sonderkonfiguration wird geschrieben"));
  form->addWidget(new QLabel(QStringLiteral("Name :"), stationBox), 0, 0);
  form->addWidget(m_name, 0, 1, 1, 3);
  form->addWidget(new QLabel(QStringLiteral("Leitung :"), stationBox), 1, 0);
  form->addWidget(m_bus, 1, 1);
  form->addWidget(new QLabel(QStringLiteral("Typ :"), stationBox), 2, 0);
  form->addWidget(m_type, 2, 1);
  form->addWidget(m_typeText, 2, 2, 1, 2);
  form->addWidget(m_addressLabel, 3, 0);
  auto* addressRow = new QHBoxLayout;
  addressRow->addWidget(m_stationAddress);
  addressRow->addWidget(m_radioAddress);
  addressRow->addStretch();
  form->addLayout(addressRow, 3, 1);
  form->addWidget(new QLabel(QStringLiteral("Version :"), stationBox), 4, 0);
  form->addWidget(m_version, 4, 1);
  form->addWidget(m_special, 4, 2);

  // The channels and the panel that edits one of them.
  auto* channelBox = new QGroupBox(QStringLiteral("Anschlüsse"), this);
  m_channels = new QListWidget(channelBox);
  m_channels->setObjectName(QStringLiteral("DevLB"));
  m_channels->setMinimumHeight(110);
  auto* editChannel = new QPushButton(QStringLiteral("Anschluss b&earbeiten"), channelBox);
  editChannel->setObjectName(QStringLiteral("EditDevBtn"));
  auto* channelLayout = new QVBoxLayout(channelBox);
  channelLayout->addWidget(m_channels);
  channelLayout->addWidget(editChannel);

  m_panel = new QGroupBox(QStringLiteral("Anschluss"), this);
  m_panel->setObjectName(QStringLiteral("CfgPnl"));
  auto* panel = new QGridLayout(m_panel);
  m_channelName = new QLineEdit(m_panel);
  m_channelName->setObjectName(QStringLiteral("CEBez"));
  m_channelName->setMaxLength(32);
  m_function = new QComboBox(m_panel);
  m_function->setObjectName(QStringLiteral("CECBox"));
  m_function->addItems({QStringLiteral("Ein/Aus"), QStringLiteral("Umschalter"), QStringLiteral("Offline-Umschalter")});
  m_functionLabel = new QLabel(QStringLiteral("Funktion"), m_panel);
  m_groupAddress = new QSpinBox(m_panel);
  m_groupAddress->setObjectName(QStringLiteral("CESBox1"));
  m_groupAddress->setRange(0, 254);
  m_groupAddressLabel = new QLabel(QStringLiteral("Gruppen-Adresse"), m_panel);
  m_groupPort = new QSpinBox(m_panel);
  m_groupPort->setObjectName(QStringLiteral("CESBox2"));
  m_groupPort->setRange(-1, 8);
  m_groupPortLabel = new QLabel(QStringLiteral("Gruppen-Anschluß"), m_panel);
  panel->addWidget(new QLabel(QStringLiteral("Bezeichnung"), m_panel), 0, 0);
  panel->addWidget(m_channelName, 0, 1);
  panel->addWidget(m_functionLabel, 1, 0);
  panel->addWidget(m_function, 1, 1);
  panel->addWidget(m_groupAddressLabel, 2, 0);
  panel->addWidget(m_groupAddress, 2, 1);
  panel->addWidget(m_groupPortLabel, 3, 0);
  panel->addWidget(m_groupPort, 3, 1);
  for (int i = 0; i < kPanelValueFields; ++i) {
    m_values[static_cast<std::size_t>(i)] = new QSpinBox(m_panel);
    m_values[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("CESBox%1").arg(i + 3));
    m_values[static_cast<std::size_t>(i)]->setRange(-32767, 65535);
    m_valueLabels[static_cast<std::size_t>(i)] = new QLabel(m_panel);
    panel->addWidget(m_valueLabels[static_cast<std::size_t>(i)], 4 + i, 0);
    panel->addWidget(m_values[static_cast<std::size_t>(i)], 4 + i, 1);
  }
  m_offline = new QCheckBox(m_panel);
  m_offline->setObjectName(QStringLiteral("CECkBox"));
  m_object = new QComboBox(m_panel);
  m_object->setObjectName(QStringLiteral("ObjCB"));
  auto* panelOk = new QPushButton(QStringLiteral("OK"), m_panel);
  panelOk->setObjectName(QStringLiteral("AnsOKBtn"));
  auto* panelCancel = new QPushButton(QStringLiteral("Abbruch"), m_panel);
  panelCancel->setObjectName(QStringLiteral("AnsCancelBtn"));
  panel->addWidget(m_offline, 9, 0, 1, 2);
  panel->addWidget(new QLabel(QStringLiteral("Objekt"), m_panel), 10, 0);
  panel->addWidget(m_object, 10, 1);
  auto* panelButtons = new QHBoxLayout;
  panelButtons->addWidget(panelOk);
  panelButtons->addWidget(panelCancel);
  panel->addLayout(panelButtons, 11, 0, 1, 2);
  m_panel->setVisible(false);

  // The commands on the line.
  auto* lineBox = new QGroupBox(QStringLiteral("Station"), this);
  auto* lineLayout = new QVBoxLayout(lineBox);
  QPushButton* read = lineButton("CCfgReadBtn", QStringLiteral("&Lesen"));
  QPushButton* write = lineButton("CCfgWriteBtn", QStringLiteral("&Schreiben"));
  QPushButton* test = lineButton("TestBtn", QStringLiteral("Station &testen"));
  m_testButton = test;
  m_receiveAddress = lineButton("FunkAdrBtn", QStringLiteral("Adresse empfangen"));
  m_sendAddress = lineButton("SendAdrBtn", QStringLiteral("Adresse senden"));
  for (QPushButton* b : {read, write, test, m_receiveAddress, m_sendAddress}) lineLayout->addWidget(b);
  lineLayout->addStretch();

  m_addressPanel = new QGroupBox(QStringLiteral("Adressen der Signalstationen einstellen"), this);
  m_addressPanel->setObjectName(QStringLiteral("AdrPnl"));
  auto* address = new QGridLayout(m_addressPanel);
  m_newAddress = new QSpinBox(m_addressPanel);
  m_newAddress->setObjectName(QStringLiteral("NewAdrBox"));
  m_newAddress->setRange(0, 255);
  QPushButton* probe = lineButton("AdtTestBtn", QStringLiteral("Neue Adresse prüfen"));
  QPushButton* change = lineButton("ChgAdrBtn", QStringLiteral("Adresswechsel"));
  QPushButton* assign = lineButton("NewSiSBtn", QStringLiteral("&Adressen"));
  auto* instructions = new QPlainTextEdit(kAddressHelp, m_addressPanel);
  instructions->setObjectName(QStringLiteral("AdrMemo"));
  instructions->setReadOnly(true);
  instructions->setMaximumHeight(64);
  instructions->setLineWrapMode(QPlainTextEdit::NoWrap);
  address->addWidget(new QLabel(QStringLiteral("Neue Adresse :"), m_addressPanel), 0, 0);
  address->addWidget(m_newAddress, 0, 1);
  address->addWidget(new QLabel(QStringLiteral("0=nächste freie Adresse"), m_addressPanel), 0, 2);
  address->addWidget(assign, 1, 0);
  address->addWidget(probe, 1, 1);
  address->addWidget(change, 1, 2);
  address->addWidget(instructions, 2, 0, 1, 3);

  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("StatusLb"));
  m_status->setFrameShape(QFrame::StyledPanel);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close | QDialogButtonBox::Help, this);
  buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Schließen"));
  buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("CloseBtn"));
  buttons->button(QDialogButtonBox::Help)->setText(QStringLiteral("&Hilfe"));

  auto* top = new QHBoxLayout;
  top->addWidget(stationBox, 1);
  top->addWidget(lineBox);
  auto* middle = new QHBoxLayout;
  middle->addWidget(channelBox, 1);
  middle->addWidget(m_panel, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(middle);
  layout->addWidget(m_addressPanel);
  layout->addWidget(m_status);
  layout->addWidget(buttons);

  connect(m_bus, qOverload<int>(&QComboBox::activated), this, &TCConfigF::busChosen);
  connect(m_type, qOverload<int>(&QComboBox::activated), this, &TCConfigF::typeChosen);
  connect(m_stationAddress, &QSpinBox::valueChanged, this, &TCConfigF::stationAddressEdited);
  connect(m_radioAddress, &QLineEdit::editingFinished, this, &TCConfigF::radioAddressEdited);
  connect(m_newAddress, &QSpinBox::editingFinished, this, &TCConfigF::newAddressEdited);
  connect(m_channels, &QListWidget::itemDoubleClicked, this, &TCConfigF::openChannelPanel);
  connect(editChannel, &QPushButton::clicked, this, &TCConfigF::openChannelPanel);
  connect(panelOk, &QPushButton::clicked, this, &TCConfigF::channelPanelOk);
  connect(panelCancel, &QPushButton::clicked, this, [this] { m_panel->setVisible(false); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
    if (m_context.showHelp) m_context.showHelp(QStringLiteral("EAKonfig"));
  });
  // A double click on the version switches the special configuration of 40611x/40612x:
  // a write then sends its two bytes alone.
  m_version->installEventFilter(this);
  connect(read, &QPushButton::clicked, this, [this] { onLine([this](StationCommands& c) { c.Read(station()); }); });
  connect(write, &QPushButton::clicked, this, [this] {
    const bool special = m_special->isVisible();
    onLine([this, special](StationCommands& c) { c.Write(station(), special); });
  });
  connect(test, &QPushButton::clicked, this, &TCConfigF::openTest);
  connect(m_receiveAddress, &QPushButton::clicked, this,
          [this] { onLine([this](StationCommands& c) { c.ReceiveRadioAddress(station(), kUserWaitDays); }); });
  connect(m_sendAddress, &QPushButton::clicked, this,
          [this] { onLine([this](StationCommands& c) { c.SendRadioAddress(station()); }); });
  connect(assign, &QPushButton::clicked, this, [this] {
    newAddressEdited();
    const int requested = m_newAddress->value();
    onLine([this, requested](StationCommands& c) {
      m_ui.showWait(
          fromQ(QStringLiteral("Drücken Sie jetzt den Konfigurationsknopf der Station,\r"
                               "bis ihre LED mindestens dreimal geblinkt hat")));
      c.AssignAddress(station(), requested, kUserWaitDays);
      m_ui.closeWait();
    });
  });
  connect(probe, &QPushButton::clicked, this, [this] {
    newAddressEdited();
    const int address = m_newAddress->value();
    onLine([address](StationCommands& c) { c.TestNewAddress(address); });
  });
  connect(change, &QPushButton::clicked, this, [this] {
    newAddressEdited();
    const int address = m_newAddress->value();
    onLine([this, address](StationCommands& c) { c.ChangeAddress(station(), address); });
  });
}

bool TCConfigF::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_version && event->type() == QEvent::MouseButtonDblClick) {
    const ConfigLayout layout = configLayoutOf(station());
    m_special->setVisible(!m_special->isVisible() &&
                          (layout == ConfigLayout::T40611 || layout == ConfigLayout::T40612));
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

bool TCConfigF::connectLine() {
  if (!m_wantLine || m_commands != nullptr) return connected();
  if (m_context.openUnitLine) m_line = m_context.openUnitLine(m_ui);
  if (m_line == nullptr) {
    showError(m_context.ui, fromQ(QStringLiteral("Die Leitung zur Steuereinheit ist belegt")));
    m_status->setText(toQ(kNoUnitText));
    return false;
  }
  m_commands = std::make_unique<StationCommands>(m_line->protocol, m_context.workspace.project, m_line->port);
  bool open = false;
  {
    const BusyCursor busy(m_busy);
    open = m_commands->Open();
  }
  if (!open) {
    // Without a unit the dialog still edits the project; the line is free for others at once.
    m_commands.reset();
    m_line.reset();
  }
  enableLineCommands();
  return open;
}

void TCConfigF::done(int result) {
  // A command on the line lets the event loop run while it waits: closing then would pull the
  // line from under it, so the close asks the command to stop and the dialog stays.
  if (m_busy) {
    if (m_line != nullptr) m_line->protocol.CancelRequested = true;
    return;
  }
  // The unit leaves configuration mode before the line is given back.
  qDeleteAll(findChildren<TChkStatF*>());
  if (m_commands != nullptr) m_commands->Close();
  m_commands.reset();
  m_line.reset();
  QDialog::done(result);
}

void TCConfigF::enableLineCommands() {
  const bool on = connected();
  for (QPushButton* b : m_lineButtons) {
    b->setEnabled(on && !m_busy);
    if (on) b->setToolTip(QString());
  }
  const StationType* type = stationTypeOf(station());
  const bool radio = isRadioStation(station());
  m_receiveAddress->setVisible(radio && type != nullptr && type->address != AddressKind::Send);
  m_sendAddress->setVisible(radio && type != nullptr && type->address == AddressKind::Send);
  m_addressPanel->setVisible(!radio);
  m_testButton->setVisible(!radio);  // the station test speaks to wired stations only
}

void TCConfigF::showStation() {
  TPSContr& s = station();
  m_name->setText(toQ(s.CName));
  m_bus->setCurrentIndex(isRadioStation(s) ? 1 : 0);
  showBusTypes();
  const StationType* type = stationTypeOf(s);
  m_typeText->setText(type != nullptr ? toQ(type->description) : QString());
  const bool radio = isRadioStation(s);
  m_addressLabel->setText(radio ? QStringLiteral("Funkadresse :") : QStringLiteral("Adresse :"));
  m_stationAddress->setVisible(!radio);
  m_radioAddress->setVisible(radio);
  {
    const QSignalBlocker block(m_stationAddress);
    m_stationAddress->setValue(s.CPAdr[0]);
  }
  m_radioAddress->setText(toQ(radioAddressText(s)));
  showChannels();
  enableLineCommands();
}

void TCConfigF::showBusTypes() {
  const TPSContr& s = station();
  m_type->clear();
  if (m_bus->currentIndex() == 0) {
    for (std::string_view text : kWiredChoices) m_type->addItem(toQ(text));
  } else {
    for (const StationType& t : stationTypes())
      if (t.radio) m_type->addItem(toQ(t.text));
  }
  // A type the list does not offer (DSP32, Tastsensor, an older text) still shows as stored.
  int at = m_type->findText(toQ(s.CKind), Qt::MatchExactly);
  if (at < 0 && !s.CKind.empty()) {
    m_type->addItem(toQ(s.CKind));
    at = m_type->count() - 1;
  }
  m_type->setCurrentIndex(at);
}

void TCConfigF::showChannels() {
  const TPSContr& s = station();
  const PanelLayout& layout = panelLayout(stationTypeCode(s));
  m_channels->clear();
  for (int k = 1; k <= kSlotsPerStation; ++k) {
    const int kind = layout.slotKinds[static_cast<std::size_t>(k - 1)];
    if (kind == 0) continue;
    const DeviceSlot& slot = s.slots[static_cast<std::size_t>(k - 1)];
    auto* item = new QListWidgetItem(QStringLiteral("%1  %2  %3").arg(k).arg(slotKindText(kind), toQ(slot.CNam)));
    item->setData(Qt::UserRole, k);
    m_channels->addItem(item);
  }
  if (m_channels->count() > 0) m_channels->setCurrentRow(0);
}

void TCConfigF::busChosen(int index) {
  // Another bus: the first type of its list, so station and dialog agree at once.
  const bool radio = index == 1;
  if (radio == isRadioStation(station())) return;
  for (const StationType& t : stationTypes()) {
    if (t.radio == radio && (radio || t.text == "MXB2")) {
      setStationType(station(), t);
      break;
    }
  }
  m_context.workspace.project.modified = true;
  m_panel->setVisible(false);
  showStation();
}

void TCConfigF::typeChosen(int index) {
  const StationType* type = stationTypeByText(fromQ(m_type->itemText(index)));
  if (type == nullptr || type->code == stationTypeCode(station())) return;
  setStationType(station(), *type);
  m_context.workspace.project.modified = true;
  m_panel->setVisible(false);
  showStation();
}

void TCConfigF::stationAddressEdited(int value) {
  station().CPAdr[0] = static_cast<std::uint8_t>(value);
  m_context.workspace.project.modified = true;
}

void TCConfigF::radioAddressEdited() {
  const StationType* type = stationTypeOf(station());
  if (type == nullptr || !type->radio) return;
  const std::string text = fromQ(m_radioAddress->text());
  if (text == radioAddressText(station())) return;
  if (const std::optional<std::string> problem = checkRadioAddress(type->addressFormat, text)) {
    showError(m_context.ui, *problem);
    m_radioAddress->setText(toQ(radioAddressText(station())));
    return;
  }
  if (const auto bytes = radioAddressBytes(type->addressFormat, text)) {
    std::copy(bytes->begin(), bytes->end(), station().CPAdr.begin());
    m_context.workspace.project.modified = true;
  }
  m_radioAddress->setText(toQ(radioAddressText(station())));
}

void TCConfigF::newAddressEdited() {
  const AddressCheck check = checkNewStationAddress(m_newAddress->value());
  if (!check.message) return;
  m_newAddress->setValue(check.value);
  showError(m_context.ui, *check.message);
}

int TCConfigF::selectedSlot() const {
  const QListWidgetItem* item = m_channels->currentItem();
  return item != nullptr ? item->data(Qt::UserRole).toInt() : 0;
}

void TCConfigF::openChannelPanel() {
  const int k = selectedSlot();
  if (k < 1) return;
  m_panelSlot = k;
  const TPSContr& s = station();
  const PanelLayout& layout = panelLayout(stationTypeCode(s));
  const ChannelPanel p = channelPanelFor(m_context.workspace.project, s, k);
  m_panel->setTitle(QStringLiteral("Anschluss %1").arg(k));
  m_channelName->setText(toQ(p.CEBez));
  m_function->setCurrentIndex(p.CECBox);
  m_groupAddress->setValue(p.CESBox1);
  m_groupPort->setValue(p.CESBox2);
  const int values[kPanelValueFields] = {p.CESBox3, p.CESBox4, p.CESBox5, p.CESBox6, p.CESBox7};
  for (std::size_t i = 0; i < m_values.size(); ++i) {
    const bool shown = !layout.values[i].empty();
    m_valueLabels[i]->setText(
        QString::fromUtf8(layout.values[i].data(), static_cast<qsizetype>(layout.values[i].size())));
    m_valueLabels[i]->setVisible(shown);
    m_values[i]->setVisible(shown);
    m_values[i]->setValue(values[i]);
  }
  for (QWidget* w : std::initializer_list<QWidget*>{m_groupAddress, m_groupAddressLabel, m_groupPort, m_groupPortLabel})
    w->setVisible(layout.groupFields);
  m_function->setVisible(layout.function);
  m_functionLabel->setVisible(layout.function);
  m_offline->setText(QString::fromUtf8(layout.offline.data(), static_cast<qsizetype>(layout.offline.size())));
  m_offline->setVisible(!layout.offline.empty() && s.slots[static_cast<std::size_t>(k - 1)].CDevArt == 2);
  m_offline->setChecked(p.CECkBox);

  // The objects, the one connected to this channel chosen.
  m_object->clear();
  m_object->addItem(QString());
  for (const TPSObj& o : m_context.workspace.project.objects) m_object->addItem(toQ(o.Name));
  m_object->setCurrentIndex(std::max(0, m_object->findText(toQ(p.ObjCB))));
  m_panel->setVisible(true);
  m_channelName->setFocus();
}

void TCConfigF::channelPanelOk() {
  if (m_panelSlot < 1) return;
  ChannelPanel p;
  p.CEBez = fromQ(m_channelName->text());
  p.CECBox = m_function->currentIndex();
  const AddressCheck group = checkGroupAddress(m_groupAddress->value(), station().CKind);
  if (group.message) {
    m_groupAddress->setValue(group.value);
    showError(m_context.ui, *group.message);
    return;
  }
  p.CESBox1 = m_groupAddress->value();
  p.CESBox2 = m_groupPort->value();
  int* values[kPanelValueFields] = {&p.CESBox3, &p.CESBox4, &p.CESBox5, &p.CESBox6, &p.CESBox7};
  for (std::size_t i = 0; i < m_values.size(); ++i) *values[i] = m_values[i]->value();
  p.CECkBox = m_offline->isVisible() && m_offline->isChecked();
  p.ObjCB = fromQ(m_object->currentText());
  storeChannel(m_context.workspace.project, station(), m_panelSlot, p, m_context.ui);
  const int row = m_channels->currentRow();
  showChannels();
  m_channels->setCurrentRow(row);
  m_panel->setVisible(false);
}

void TCConfigF::onLine(const std::function<void(StationCommands&)>& command) {
  if (!connected() || m_busy) return;
  const TPSContr before = station();
  {
    const BusyCursor busy(m_busy);
    enableLineCommands();
    command(*m_commands);
  }
  if (!sameStation(before, station())) m_context.workspace.project.modified = true;
  // A read, an address received or assigned may have changed the station.
  if (m_commands->ACDEVers > 0) m_version->setText(QString::number(m_commands->ACDEVers / 100.0, 'f', 2));
  showStation();
}

void TCConfigF::openTest() {
  if (!connected() || m_busy) return;
  auto* test = new TChkStatF(m_context, *m_commands, m_ui, station(), this);
  test->open();
}

}  // namespace kelvaro::gui
