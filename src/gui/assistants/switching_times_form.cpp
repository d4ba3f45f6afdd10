// The switching-time window: each button asks the time window and hands its result to the core.
#include "assistants/switching_times_form.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "assistants/condition_form.h"
#include "assistants/ok_cancel_buttons.h"
#include "assistants/statement_list_view.h"
#include "assistants/time_input_form.h"
#include "screen_fit.h"

namespace kelvaro::gui {

TSTimesF::TSTimesF(const Project& project, UserInterface& ui, std::string objectName, SwitchTimesKind kind,
                   const std::vector<std::string>& program, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_times(std::move(objectName), kind, program) {
  setWindowTitle(QStringLiteral("Schaltzeiten"));
  askTime = [this](TimeWindowKind timeKind) { return TTimeInpF::ask(m_ui, timeKind, this, showHelp); };
  askCondition = [this, &project](const std::vector<std::string>& lines) {
    return TCondiF::ask(project, m_ui, lines, this, showHelp);
  };

  auto* layout = new QGridLayout(this);
  auto* actions = new QVBoxLayout;
  const bool shutter = kind == SwitchTimesKind::Shutter;
  auto* on = new QPushButton(
      shutter ? QStringLiteral("Zeiten zum Öffnen und Schliessen") : QStringLiteral("&Einschaltzeit"), this);
  on->setObjectName(QStringLiteral("SwitchOnBtn"));
  auto* off = new QPushButton(QStringLiteral("&Ausschaltzeit angeben"), this);
  off->setObjectName(QStringLiteral("SwitchOffBtn"));
  auto* timeOut = new QPushButton(QStringLiteral("Automatisch ausschalten nach &Zeitdauer"), this);
  timeOut->setObjectName(QStringLiteral("SwitchTimeOutBtn"));
  auto* condition = new QPushButton(QStringLiteral("&wenn - Bedingung einfügen"), this);
  condition->setObjectName(QStringLiteral("ConditionBtn"));
  off->setVisible(!shutter);
  timeOut->setVisible(!shutter);
  connect(on, &QPushButton::clicked, this,
          [this, shutter] { addTime(shutter ? TimeWindowKind::Shutter : TimeWindowKind::SwitchOn); });
  connect(off, &QPushButton::clicked, this, [this] { addTime(TimeWindowKind::SwitchOff); });
  connect(timeOut, &QPushButton::clicked, this, [this] { addTime(TimeWindowKind::Duration); });
  connect(condition, &QPushButton::clicked, this, &TSTimesF::insertCondition);
  for (QPushButton* button : {on, off, timeOut, condition}) actions->addWidget(button);
  actions->addStretch();
  layout->addLayout(actions, 1, 0);

  layout->addWidget(new QLabel(QStringLiteral("automatisch erzeugte Anweisungen"), this), 0, 1);
  m_list = new StatementListView(this);
  m_list->setObjectName(QStringLiteral("AnwLB"));
  m_list->setMinimumSize(460, 280);
  m_list->bind([this]() -> StatementList& { return m_times.list(); });
  layout->addWidget(m_list, 1, 1);

  auto* listButtons = new QHBoxLayout;
  auto* remove = new QPushButton(QStringLiteral("&Löschen"), this);
  remove->setObjectName(QStringLiteral("AnwDltBtn"));
  auto* trash = new QToolButton(this);
  trash->setObjectName(QStringLiteral("MuellBtn"));
  trash->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
  trash->setToolTip(QStringLiteral("Alles löschen"));
  connect(remove, &QPushButton::clicked, this, [this] {
    if (m_times.list().deleteSelected(m_ui)) m_list->refresh();
  });
  connect(trash, &QToolButton::clicked, this, [this] {
    m_times.list().deleteAll();
    m_list->refresh();
  });
  listButtons->addWidget(remove);
  listButtons->addWidget(trash);
  listButtons->addStretch();
  layout->addLayout(listButtons, 2, 1);

  auto* buttons = okCancelButtons(this);
  layout->addWidget(buttons, 3, 0, 1, 2);
  keepOnScreen(this);
}

void TSTimesF::addTime(TimeWindowKind kind) {
  const std::optional<TimeWindowResult> time = askTime(kind);
  if (!time) return;
  bool added = false;
  if (kind == TimeWindowKind::Shutter) added = m_times.addShutterTimes(*time, m_ui);
  else if (kind == TimeWindowKind::Duration) added = m_times.addAutomaticSwitchOff(time->firstTime, m_ui);
  else added = m_times.addSwitchTime(kind == TimeWindowKind::SwitchOn, *time, m_ui);
  if (added) m_list->refresh();
}

void TSTimesF::insertCondition() {
  if (m_times.list().insertCondition(m_ui, askCondition)) m_list->refresh();
}

void TSTimesF::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && showHelp) {
    showHelp(QStringLiteral("STimes"));
    return;
  }
  QDialog::keyPressEvent(event);
}

void TSTimesF::refreshLists() { m_list->refresh(); }

}  // namespace kelvaro::gui
