// The page "E/A-Module": the station list with its commands. New, delete and rename edit the
// list here; the station dialog edits one station; the group addresses and the battery list
// come from the station rules, and the commands over the whole line report in the memo.
#include "pages/stations_page.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "app/station_commands.h"
#include "app/station_layout.h"
#include "app/station_rules.h"
#include "model/name_rule.h"
#include "qt_text.h"
#include "stations/dialog_support.h"
#include "stations/station_dialog.h"
#include "stations/unit_line.h"

namespace kelvaro::gui {

namespace {

// A new station is the commonest wired module, an "MXB2" on line 1 at the next free station
// address (0 when the bus is full), so it can be written once its channels are named.
TPSContr newStationRecord(const Project& project, const std::string& name) {
  TPSContr station = createStation(name);
  setStationType(station, *stationType(2));
  station.CPAdr[0] = static_cast<std::uint8_t>(nextFreeStationAddress(project).value_or(0));
  return station;
}

bool nameTaken(const Project& project, const std::string& name, int except) {
  const int found = findStation(project, name);
  return found >= 0 && found != except;
}

}  // namespace

StationsPage::StationsPage(MainContext& context, QWidget* parent) : MainPage(context, parent) {
  auto* listBox = new QGroupBox(QStringLiteral("Signalstationen und E/A-Module"), this);
  m_stations = new QListWidget(listBox);
  m_stations->setObjectName(QStringLiteral("ContrBox"));
  m_memo = new QPlainTextEdit(listBox);
  m_memo->setObjectName(QStringLiteral("SStDetectMB"));
  m_memo->setReadOnly(true);
  m_memo->setFont(QFont(QStringLiteral("Monospace")));  // the line search's columns
  auto* listLayout = new QVBoxLayout(listBox);
  listLayout->addWidget(m_stations, 3);
  listLayout->addWidget(m_memo, 2);
  connect(m_stations, &QListWidget::itemDoubleClicked, this, [this] { editStation(); });

  auto* commands = new QVBoxLayout;
  commands->addWidget(addButton("NeuContrBtn", "&Neu", &StationsPage::newStation));
  commands->addWidget(addButton("LoeschContrBtn", "&Löschen", &StationsPage::deleteStation));
  commands->addWidget(addButton("EditContrBtn", "&Bearbeiten", &StationsPage::editStation));
  commands->addWidget(addButton("RenContrBtn", "&Umbennen", &StationsPage::renameStation));
  commands->addSpacing(12);
  commands->addWidget(addButton("VerbindBtn", "&Verbindung zur Hardware herstellen", &StationsPage::connectStation));
  commands->addWidget(addButton("GrpAdrBtn", "&Gruppenadressen setzen", &StationsPage::setGroupAddresses));
  commands->addWidget(addButton("AllConfBtn", "&Alle Stationen konfigurieren", &StationsPage::configureAll));
  commands->addWidget(addButton("AllCheckBtn", "Alle Stationen &prüfen", &StationsPage::checkAll));
  commands->addWidget(addButton("AutoDetectBtn", "&Autodetect", &StationsPage::autodetect));
  commands->addWidget(addButton("BatteryBtn", "Batteriewarnungen", &StationsPage::batteryWarnings));
  commands->addStretch();

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(listBox, 1);
  layout->addLayout(commands);
}

QPushButton* StationsPage::addButton(const char* name, const char* caption, void (StationsPage::*handler)()) {
  auto* button = new QPushButton(QString::fromUtf8(caption), this);
  button->setObjectName(QString::fromLatin1(name));
  connect(button, &QPushButton::clicked, this, handler);
  return button;
}

void StationsPage::refresh() { showStations(m_stations->currentRow()); }

void StationsPage::showStations(int select) {
  m_stations->clear();
  for (const TPSContr& station : project().stations) m_stations->addItem(toQ(station.CName));
  if (m_stations->count() > 0) m_stations->setCurrentRow(std::clamp(select, 0, m_stations->count() - 1));
}

int StationsPage::selectedStation() {
  const int row = m_stations->currentRow();
  if (row < 0 || row >= static_cast<int>(project().stations.size())) {
    showError(ui(), fromQ(QStringLiteral("Keine Station ausgewählt")));
    return -1;
  }
  return row;
}

void StationsPage::showMemo(const std::vector<std::string>& lines) {
  m_memo->setPlainText(toQList(lines).join(QLatin1Char('\n')));
}

void StationsPage::newStation() {
  std::string name;
  if (!askName(ui(), fromQ(QStringLiteral("Name der neuen Station:")), name)) return;
  if (nameTaken(project(), name, -1)) {
    showError(ui(), fromQ(QStringLiteral("Es gibt schon eine Station mit diesem Namen")));
    return;
  }
  project().stations.push_back(newStationRecord(project(), name));
  project().modified = true;
  showStations(static_cast<int>(project().stations.size()) - 1);
}

void StationsPage::deleteStation() {
  const int index = selectedStation();
  if (index < 0) return;
  const std::string question = fromQ(QStringLiteral("Soll die Station wirklich gelöscht werden?"));
  if (ui().showMessage(destructiveQuestion(question)) != MessageAnswer::Yes) return;
  project().stations.erase(project().stations.begin() + index);
  project().modified = true;
  showStations(index);
}

void StationsPage::renameStation() {
  const int index = selectedStation();
  if (index < 0) return;
  TPSContr& station = project().stations[static_cast<std::size_t>(index)];
  std::string name = station.CName;
  if (!askName(ui(), fromQ(QStringLiteral("Neuer Name:")), name) || name == station.CName) return;
  if (nameTaken(project(), name, index)) {
    showError(ui(), fromQ(QStringLiteral("Es gibt schon eine Station mit diesem Namen")));
    return;
  }
  station.CName = name;
  project().modified = true;
  showStations(index);
}

void StationsPage::editStation() {
  const int index = selectedStation();
  if (index >= 0) openStationDialog(index, false);
}

void StationsPage::connectStation() {
  const int index = selectedStation();
  if (index >= 0) openStationDialog(index, true);
}

void StationsPage::openStationDialog(int station, bool onLine) {
  auto* dialog = new TCConfigF(m_context, station, onLine, this);
  connect(dialog, &QDialog::finished, this, [this, station] { showStations(station); });
  // The dialog owns the line while open: the main window's timer rests meanwhile.
  if (onLine && m_context.setMainTimer) {
    m_context.setMainTimer(false);
    connect(dialog, &QDialog::finished, this, [this] { m_context.setMainTimer(true); });
  }
  dialog->open();
  if (onLine) dialog->connectLine();
}

void StationsPage::setGroupAddresses() { showMemo(generateGroupAddresses(project(), ui())); }

void StationsPage::batteryWarnings() { showMemo(batteryListLines(project())); }

void StationsPage::onLine(const std::function<std::vector<std::string>(StationCommands&)>& command) {
  if (!m_context.openUnitLine) return;
  std::unique_ptr<UnitLine> line = m_context.openUnitLine(ui());
  if (line == nullptr) {
    showError(ui(), fromQ(QStringLiteral("Die Leitung zur Steuereinheit ist belegt")));
    return;
  }
  std::vector<std::string> lines;
  {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    setEnabled(false);  // the waits let the event loop run: no second command meanwhile
    const std::vector<TPSContr> before = project().stations;
    StationCommands commands(line->protocol, project(), line->port, true);
    lines = command(commands);
    const std::vector<TPSContr>& after = project().stations;
    if (!std::equal(before.begin(), before.end(), after.begin(), after.end(), sameStation)) project().modified = true;
    for (const std::string& l : commands.protocolLines)
      if (std::find(lines.begin(), lines.end(), l) == lines.end()) lines.push_back(l);
    setEnabled(true);
    QApplication::restoreOverrideCursor();
  }
  showMemo(lines);
  // A configuration read the stations back and may have filled their settings.
  showStations(m_stations->currentRow());
}

void StationsPage::configureAll() {
  onLine([](StationCommands& c) { return c.ConfigureAll(); });
}

void StationsPage::checkAll() {
  onLine([](StationCommands& c) { return c.CheckAll(); });
}

void StationsPage::autodetect() {
  onLine([](StationCommands& c) {
    if (!c.Open()) return std::vector<std::string>{};
    std::vector<std::string> memo = lineSearchMemo(c.LineSearch());
    c.Close();
    return memo;
  });
}

}  // namespace kelvaro::gui
