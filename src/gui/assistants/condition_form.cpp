// The condition window: the chosen subject decides (in the core) which value control and whether
// an operator is shown; the buttons hand the line to the core's ConditionAssistant.
#include "assistants/condition_form.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "assistants/clock_input.h"
#include "assistants/ok_cancel_buttons.h"
#include "assistants/statement_list_view.h"
#include "assistants/time_input.h"
#include "qt_text.h"
#include "screen_fit.h"
#include "ui/user_interface.h"

namespace kelvaro::gui {

TCondiF::TCondiF(const Project& project, UserInterface& ui, std::vector<std::string> lines, QWidget* parent)
    : QDialog(parent), m_project(project), m_ui(ui), m_condition(std::move(lines)) {
  setWindowTitle(QStringLiteral("Wenn - Bedingungen"));
  auto* layout = new QGridLayout(this);

  layout->addWidget(new QLabel(QStringLiteral("Wenn"), this), 0, 0);
  m_subjects = new QComboBox(this);
  m_subjects->setObjectName(QStringLiteral("ObjCB"));
  m_subjects->addItems(toQList(conditionSubjects(project)));
  m_subjects->setCurrentIndex(-1);
  layout->addWidget(m_subjects, 1, 0);
  m_operators = new QComboBox(this);
  m_operators->setObjectName(QStringLiteral("VerglOp"));
  for (std::string_view op : kComparisonOperators) m_operators->addItem(toQ(op));
  layout->addWidget(m_operators, 1, 1);
  m_values = new QComboBox(this);
  m_values->setObjectName(QStringLiteral("WertCB"));
  m_values->setMinimumWidth(160);
  layout->addWidget(m_values, 1, 2);
  m_clock = new TClockInp(ui, this, true);
  m_clock->setObjectName(QStringLiteral("ZeitInp"));
  layout->addWidget(m_clock, 1, 2);
  m_date = new QDateEdit(QDate::currentDate(), this);
  m_date->setObjectName(QStringLiteral("DatumPicker"));
  m_date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  m_date->setCalendarPopup(true);
  layout->addWidget(m_date, 1, 2);
  auto* create = new QPushButton(QStringLiteral("obenstehende Bedingung &einfügen"), this);
  create->setObjectName(QStringLiteral("CrtAnwBtn"));
  connect(create, &QPushButton::clicked, this, &TCondiF::insertCondition);
  layout->addWidget(create, 2, 0, 1, 3, Qt::AlignLeft);

  m_list = new StatementListView(this);
  m_list->setObjectName(QStringLiteral("AnwLB"));
  m_list->setMinimumSize(520, 240);
  m_list->bind([this]() -> StatementList& { return m_condition.list(); },
               [this](int row) { m_condition.clickLine(row); });
  layout->addWidget(m_list, 3, 0, 1, 3);
  auto* remove = new QPushButton(QStringLiteral("markierte Bedingung löschen"), this);
  remove->setObjectName(QStringLiteral("DelBtn"));
  connect(remove, &QPushButton::clicked, this, [this] {
    if (m_condition.deleteCondition(m_ui)) m_list->refresh();
  });
  layout->addWidget(remove, 4, 0, 1, 3, Qt::AlignLeft);

  auto* buttons = okCancelButtons(this);
  layout->addWidget(buttons, 5, 0, 1, 3);

  connect(m_subjects, &QComboBox::currentIndexChanged, this, &TCondiF::subjectChosen);
  subjectChosen();
  keepOnScreen(this);
}

void TCondiF::subjectChosen() {
  m_subject = conditionSubject(m_project, fromQ(m_subjects->currentText()));
  m_values->clear();
  m_values->addItems(toQList(m_subject.values));
  // Numbers and texts have no list of values: their value is typed.
  m_values->setEditable(m_subject.values.empty());
  m_values->setVisible(m_subject.kind == ConditionValueKind::Choice);
  m_clock->setVisible(m_subject.kind == ConditionValueKind::Clock);
  m_date->setVisible(m_subject.kind == ConditionValueKind::Date);
  m_operators->setVisible(m_subject.comparison);
}

void TCondiF::insertCondition() {
  const std::string subject = fromQ(m_subjects->currentText());
  if (subject.empty()) return;
  std::string value;
  switch (m_subject.kind) {
    case ConditionValueKind::Choice: value = fromQ(m_values->currentText()); break;
    case ConditionValueKind::Clock: {
      if (!m_clock->leaveCheck()) return;
      value = fromQ(m_clock->clockText());
      if (value == kEmptyClockText) return;
      break;
    }
    case ConditionValueKind::Date: value = conditionDateValue(fromQ(m_date->text())); break;
  }
  if (value.empty()) return;
  const std::string comparison = m_subject.comparison ? fromQ(m_operators->currentText()) : std::string();
  if (m_condition.wrap(conditionLine(subject, comparison, value), m_ui)) m_list->refresh();
}

void TCondiF::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && showHelp) {
    showHelp(QStringLiteral("Bedingungen"));
    return;
  }
  QDialog::keyPressEvent(event);
}

std::optional<std::vector<std::string>> TCondiF::ask(const Project& project, UserInterface& ui,
                                                     const std::vector<std::string>& lines, QWidget* parent,
                                                     const std::function<void(const QString&)>& showHelp) {
  TCondiF window(project, ui, lines, parent);
  window.showHelp = showHelp;
  if (window.exec() != QDialog::Accepted) return std::nullopt;
  return window.assistant().list().lines();
}

void TCondiF::refreshLists() { m_list->refresh(); }

}  // namespace kelvaro::gui
