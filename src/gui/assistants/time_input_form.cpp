// The time window: labels and visibility by kind from the core, the result from the core.
#include "assistants/time_input_form.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "assistants/clock_input.h"
#include "qt_text.h"
#include "screen_fit.h"

namespace kelvaro::gui {

namespace {

// The check list shows the week from Monday, the day masks count from Sunday.
constexpr std::array<int, 7> kListToDay = {1, 2, 3, 4, 5, 6, 0};

QString lines(const char* text) { return QString::fromUtf8(text).replace(QLatin1Char('\r'), QLatin1Char('\n')); }

}  // namespace

TTimeInpF::TTimeInpF(UserInterface& ui, TimeWindowKind kind, QWidget* parent) : QDialog(parent), m_kind(kind) {
  setWindowTitle(QStringLiteral("Zeiteingabe"));
  const TimeWindowLabels labels = timeWindowLabels(kind);
  auto* layout = new QGridLayout(this);

  auto* firstLabel = new QLabel(toQ(labels.first), this);
  m_timeOn = new TClockInp(ui, this);
  m_timeOn->setObjectName(QStringLiteral("TimeOn"));
  firstLabel->setBuddy(m_timeOn);
  layout->addWidget(firstLabel, 0, 0);
  layout->addWidget(m_timeOn, 0, 1);
  auto* secondLabel = new QLabel(toQ(labels.second), this);
  m_timeOff = new TClockInp(ui, this);
  m_timeOff->setObjectName(QStringLiteral("TimeOff"));
  layout->addWidget(secondLabel, 1, 0);
  layout->addWidget(m_timeOff, 1, 1);
  secondLabel->setVisible(!labels.second.empty());
  m_timeOff->setVisible(!labels.second.empty());

  auto* sunHint = new QLabel(lines("(Sonnenuntergang SU,\r Sonnenaufgang SA)"), this);
  sunHint->setObjectName(QStringLiteral("AllgHinwLb"));
  layout->addWidget(sunHint, 2, 0, 1, 2);
  // A duration has no sunrise; the hint would only mislead.
  sunHint->setVisible(kind != TimeWindowKind::Duration);

  m_days = new QListWidget(this);
  m_days->setObjectName(QStringLiteral("TageCLB"));
  for (int day : kListToDay) {
    auto* item = new QListWidgetItem(toQ(kWeekdayNames[static_cast<std::size_t>(day)]), m_days);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  m_days->setFixedHeight(m_days->sizeHintForRow(0) * 7 + 2 * m_days->frameWidth() + 4);
  auto* dayHint = new QLabel(lines("Wenn keine Wochentage\rangegeben werden, gelten\rdie Zeiten f\xC3\xBCr jedenTag"), this);
  dayHint->setObjectName(QStringLiteral("WochentageHinw"));
  layout->addWidget(m_days, 0, 2, 4, 1);
  layout->addWidget(dayHint, 3, 0, 1, 2, Qt::AlignTop);
  m_days->setVisible(labels.weekdays);
  dayHint->setVisible(labels.weekdays);

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("OKBtn"));
  ok->setDefault(true);
  buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("CancelBtn"));
  connect(buttons, &QDialogButtonBox::accepted, this, &TTimeInpF::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TTimeInpF::reject);
  layout->addWidget(buttons, 4, 0, 1, 3);
  keepOnScreen(this);
}

void TTimeInpF::accept() {
  // OK may be pressed straight from a field: its leave check comes first.
  if (!m_timeOn->leaveCheck()) return;
  if (m_timeOff->isVisible() && !m_timeOff->leaveCheck()) return;
  std::array<bool, 7> days{};
  if (m_days->isVisible())
    for (int row = 0; row < m_days->count(); ++row)
      days[static_cast<std::size_t>(kListToDay[static_cast<std::size_t>(row)])] =
          m_days->item(row)->checkState() == Qt::Checked;
  const QString second = m_timeOff->isVisible() ? m_timeOff->clockText() : toQ(kEmptyClockText);
  m_result = timeWindowResult(m_kind, fromQ(m_timeOn->clockText()), fromQ(second), days);
  QDialog::accept();
}

void TTimeInpF::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && showHelp) {
    showHelp(QStringLiteral("Zeiteingabe"));
    return;
  }
  QDialog::keyPressEvent(event);
}

std::optional<TimeWindowResult> TTimeInpF::ask(UserInterface& ui, TimeWindowKind kind, QWidget* parent,
                                               const std::function<void(const QString&)>& showHelp) {
  TTimeInpF window(ui, kind, parent);
  window.showHelp = showHelp;
  if (window.exec() != QDialog::Accepted) return std::nullopt;
  return window.result();
}

}  // namespace kelvaro::gui
