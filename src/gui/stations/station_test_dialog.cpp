// The station test dialog: five buttons that send the test frames, and the receive timer
// that shows what comes back.
#include "stations/station_test_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/station_commands.h"
#include "screen_fit.h"

namespace kelvaro::gui {

namespace {

struct TestButton {
  const char* name;
  const char* caption;
  TestCommand command;
};

constexpr TestButton kButtons[] = {
    {"SensTestBtn", "&Sensor-Test starten", TestCommand::SensorTest},
    {"ResetBtn", "&Reset Signalstation", TestCommand::Reset},
    {"CoErOnBtn", "Protokoll Kom.-Störungen &ein", TestCommand::ErrorCounterOn},
    {"CoErOffBtn", "Protokoll Kom.-Störungen &aus", TestCommand::ErrorCounterOff},
    {"CoErQueryBtn", "Störungs&zähler abfragen", TestCommand::ErrorCounterQuery},
};

}  // namespace

TChkStatF::TChkStatF(MainContext& context, StationCommands& commands, StatusLineInterface& status, TPSContr& station,
                     QWidget* parent)
    : QDialog(parent), m_commands(commands), m_ui(status), m_station(station) {
  setObjectName(QStringLiteral("TChkStatF"));
  setWindowTitle(QStringLiteral("Signalstation ") + toQ(station.CName) + QStringLiteral(" testen"));
  setAttribute(Qt::WA_DeleteOnClose);

  auto* buttons = new QVBoxLayout;
  for (const TestButton& b : kButtons) {
    auto* button = new QPushButton(QString::fromUtf8(b.caption), this);
    button->setObjectName(QString::fromLatin1(b.name));
    connect(button, &QPushButton::clicked, this, [this, command = b.command] { send(static_cast<int>(command)); });
    buttons->addWidget(button);
  }
  m_threshold = new QComboBox(this);
  m_threshold->setObjectName(QStringLiteral("CoErCB"));
  for (std::uint8_t t : kErrorThresholds) m_threshold->addItem(QString::number(t));
  auto* thresholdRow = new QHBoxLayout;
  thresholdRow->addWidget(new QLabel(QStringLiteral("Grenzwert"), this));
  thresholdRow->addWidget(m_threshold);
  buttons->addLayout(thresholdRow);
  buttons->addStretch();

  auto* valuesBox = new QGroupBox(QStringLiteral("Messwerte"), this);
  auto* values = new QGridLayout(valuesBox);
  for (int i = 0; i < 4; ++i) {
    auto* field = new QLineEdit(valuesBox);
    field->setObjectName(toQ(testValueFieldName(i + 1)));
    field->setReadOnly(true);
    values->addWidget(new QLabel(toQ(testValueFieldName(i + 1)), valuesBox), i, 0);
    values->addWidget(field, i, 1);
    m_values[static_cast<std::size_t>(i)] = field;
  }
  m_errorCount = new QLineEdit(valuesBox);
  m_errorCount->setObjectName(QStringLiteral("CoErAnz"));
  m_errorCount->setReadOnly(true);
  values->addWidget(new QLabel(QStringLiteral("Störungen"), valuesBox), 4, 0);
  values->addWidget(m_errorCount, 4, 1);

  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("StatusLb"));
  m_status->setFrameShape(QFrame::StyledPanel);
  m_status->setMinimumWidth(320);
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close | QDialogButtonBox::Help, this);
  close->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Schließen"));
  close->button(QDialogButtonBox::Help)->setText(QStringLiteral("&Hilfe"));
  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(close, &QDialogButtonBox::helpRequested, this, [&context] {
    if (context.showHelp) context.showHelp(QStringLiteral("StatTest"));
  });

  auto* top = new QHBoxLayout;
  top->addLayout(buttons);
  top->addWidget(valuesBox, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(m_status);
  layout->addWidget(close);

  // While the test is open its status line shows what the commands report.
  m_previousStatus = m_ui.label();
  m_ui.setLabel(m_status);
  addHelpKey(this, context, QStringLiteral("StatTest"));
  keepOnScreen(this);

  m_timer = new QTimer(this);
  m_timer->setInterval(10);
  connect(m_timer, &QTimer::timeout, this, &TChkStatF::receiveTick);
  m_timer->start();
}

TChkStatF::~TChkStatF() { m_ui.setLabel(m_previousStatus); }

void TChkStatF::send(int command) {
  if (m_inTick) return;
  const auto c = static_cast<TestCommand>(command);
  const std::uint8_t threshold = kErrorThresholds[static_cast<std::size_t>(std::max(0, m_threshold->currentIndex()))];
  m_inTick = true;
  m_commands.Test(m_station, c, threshold);
  m_inTick = false;
}

void TChkStatF::done(int result) {
  // A frame going out or coming in lets the event loop run; the dialog closes after it.
  if (m_inTick) {
    QTimer::singleShot(0, this, [this, result] { done(result); });
    return;
  }
  m_timer->stop();
  QDialog::done(result);
}

void TChkStatF::receiveTick() {
  // The receive step waits on the line and lets the event loop run meanwhile, so the timer
  // (or a button) can come again inside it.
  if (m_inTick) return;
  m_inTick = true;
  const std::optional<TestReply> reply = m_commands.TestTick(m_station);
  m_inTick = false;
  if (!reply) return;
  if (reply->valueField >= 1 && reply->valueField <= 4)
    m_values[static_cast<std::size_t>(reply->valueField - 1)]->setText(QString::number(reply->value));
  if (reply->errorCount) m_errorCount->setText(QString::number(*reply->errorCount));
}

}  // namespace kelvaro::gui
