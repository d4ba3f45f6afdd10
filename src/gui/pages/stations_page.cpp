// The page "E/A-Module": the station list. The station commands need the station
// configuration over the line, which this version does not have yet; their buttons are
// shown disabled so the page already has its final shape.
#include "pages/stations_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "qt_text.h"

namespace kelvaro::gui {
namespace {

struct PendingCommand {
  const char* caption;
  const char* name;
};

constexpr PendingCommand kStationCommands[] = {
    {"&Neu", "NeuContrBtn"},
    {"&Löschen", "LoeschContrBtn"},
    {"&Bearbeiten", "EditContrBtn"},
    {"&Umbennen", "RenContrBtn"},
    {"&Verbindung zur Hardware herstellen", "VerbindBtn"},
    {"&Gruppenadressen setzen", "GrpAdrBtn"},
    {"&Alle Stationen konfigurieren", "AllConfBtn"},
    {"Alle Stationen &prüfen", "AllCheckBtn"},
    {"&Autodetect", "AutoDetectBtn"},
    {"Batteriewarnungen", "BatteryBtn"},
};

}  // namespace

StationsPage::StationsPage(MainContext& context, QWidget* parent) : MainPage(context, parent) {
  auto* listBox = new QGroupBox(QStringLiteral("Signalstationen und E/A-Module"), this);
  m_stations = new QListWidget(listBox);
  m_stations->setObjectName(QStringLiteral("ContrBox"));
  auto* listLayout = new QVBoxLayout(listBox);
  listLayout->addWidget(m_stations);

  auto* commands = new QVBoxLayout;
  for (const PendingCommand& command : kStationCommands) {
    auto* button = new QPushButton(QString::fromUtf8(command.caption), this);
    button->setObjectName(QString::fromLatin1(command.name));
    button->setEnabled(false);
    button->setToolTip(QStringLiteral("Diese Funktion folgt in einer späteren Version."));
    commands->addWidget(button);
  }
  commands->addStretch();

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(listBox, 1);
  layout->addLayout(commands);
}

void StationsPage::refresh() {
  m_stations->clear();
  for (const TPSContr& station : project().stations) m_stations->addItem(toQ(station.CName));
}

}  // namespace kelvaro::gui
