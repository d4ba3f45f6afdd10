// The action window: the target list and the action choice feed the core's ActionAssistant;
// the two statement lists show what it wrote.
#include "assistants/action_form.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "assistants/action_assistant.h"
#include "assistants/condition_form.h"
#include "assistants/ok_cancel_buttons.h"
#include "assistants/statement_list_view.h"
#include "model/project.h"
#include "model/type_states.h"
#include "qt_text.h"
#include "screen_fit.h"

namespace kelvaro::gui {

TAppFormF::TAppFormF(const Project& project, UserInterface& ui, std::string object, std::string condition,
                     const std::vector<std::string>& program, const QString& header, const std::string& target,
                     QWidget* parent)
    : QDialog(parent),
      m_project(project),
      m_ui(ui),
      m_object(object),
      m_actions(std::make_unique<ActionAssistant>(std::move(object), std::move(condition), program)) {
  setWindowTitle(QStringLiteral("Funktionen definieren"));
  askCondition = [this](const std::vector<std::string>& lines) {
    return TCondiF::ask(m_project, m_ui, lines, this, showHelp);
  };
  auto* layout = new QGridLayout(this);

  auto* headerPanel = new QLabel(header.isEmpty() ? toQ(m_object) : header, this);
  headerPanel->setObjectName(QStringLiteral("KopfTxtPnl"));
  headerPanel->setFrameShape(QFrame::Panel);
  headerPanel->setFrameShadow(QFrame::Sunken);
  headerPanel->setWordWrap(true);
  headerPanel->setMargin(4);
  layout->addWidget(headerPanel, 0, 0, 1, 3);

  layout->addWidget(new QLabel(QStringLiteral("Objekte"), this), 1, 0);
  m_targets = new QListWidget(this);
  m_targets->setObjectName(QStringLiteral("ObjBoxLB"));
  m_targets->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // An object does not act on itself.
  for (const TPSObj& o : project.objects)
    if (o.Name != m_object) m_targets->addItem(toQ(o.Name));
  m_targets->setMinimumWidth(150);
  layout->addWidget(m_targets, 2, 0, 3, 1);

  m_actionBox = new QGroupBox(QStringLiteral("Funktion"), this);
  m_actionBox->setObjectName(QStringLiteral("SwitchRB"));
  auto* actionLayout = new QVBoxLayout(m_actionBox);
  m_actionGroup = new QButtonGroup(this);
  for (std::size_t i = 0; i < kTargetActionCaptions.size(); ++i) {
    auto* button = new QRadioButton(toQ(kTargetActionCaptions[i]), m_actionBox);
    m_actionGroup->addButton(button, static_cast<int>(i));
    actionLayout->addWidget(button);
  }
  m_actionGroup->button(0)->setChecked(true);
  layout->addWidget(m_actionBox, 2, 1);
  m_shutterStates = new QComboBox(this);
  m_shutterStates->setObjectName(QStringLiteral("AktFuncCB"));
  m_shutterStates->addItems(toQList(statesOf(project.typeStates, kShutterType)));
  m_shutterStates->hide();
  layout->addWidget(m_shutterStates, 3, 1, Qt::AlignTop);

  auto* createThen = new QPushButton(QStringLiteral("&dann >>"), this);
  createThen->setObjectName(QStringLiteral("CrtAnwBtn1"));
  auto* createElse = new QPushButton(QStringLiteral("&sonst >>"), this);
  createElse->setObjectName(QStringLiteral("CrtAnwBtn2"));
  auto* conditionButton = new QPushButton(QStringLiteral("&wenn - Bedingung einfügen"), this);
  conditionButton->setObjectName(QStringLiteral("ConditionBtn"));
  auto* remove = new QPushButton(QStringLiteral("&Löschen"), this);
  remove->setObjectName(QStringLiteral("AnwDltBtn"));
  connect(createThen, &QPushButton::clicked, this, [this] { createLines(false); });
  connect(createElse, &QPushButton::clicked, this, [this] { createLines(true); });
  connect(conditionButton, &QPushButton::clicked, this, &TAppFormF::insertCondition);
  auto* commands = new QVBoxLayout;
  for (QPushButton* b : {createThen, createElse, conditionButton, remove}) commands->addWidget(b);
  commands->addStretch();
  layout->addLayout(commands, 4, 1);

  auto* thenLabel = new QLabel(QStringLiteral("dann"), this);
  layout->addWidget(thenLabel, 1, 2);
  m_then = new StatementListView(this);
  m_then->setObjectName(QStringLiteral("AnwLB"));
  m_then->setMinimumSize(380, 150);
  m_then->bind([this]() -> StatementList& { return m_actions->thenList(); });
  layout->addWidget(m_then, 2, 2, 2, 1);
  auto* elseLabel = new QLabel(QStringLiteral("sonst"), this);
  m_else = new StatementListView(this);
  m_else->setObjectName(QStringLiteral("SonstLB"));
  m_else->setMinimumSize(380, 110);
  m_else->bind([this]() -> StatementList& { return m_actions->elseList(); });
  auto* elseBox = new QVBoxLayout;
  elseBox->addWidget(elseLabel);
  elseBox->addWidget(m_else);
  layout->addLayout(elseBox, 4, 2);

  const bool withCondition = m_actions->hasElseList();
  elseLabel->setVisible(withCondition);
  m_else->setVisible(withCondition);
  createElse->setVisible(withCondition);
  conditionButton->setVisible(!withCondition);
  connect(remove, &QPushButton::clicked, this, [this] {
    StatementList& list = m_actions->elseList().selection().empty() ? m_actions->thenList() : m_actions->elseList();
    if (list.deleteSelected(m_ui)) {
      m_then->refresh();
      m_else->refresh();
    }
  });

  auto* buttons = okCancelButtons(this);
  layout->addWidget(buttons, 5, 0, 1, 3);

  connect(m_targets, &QListWidget::itemSelectionChanged, this, &TAppFormF::targetsChanged);
  if (!target.empty()) {
    const auto found = m_targets->findItems(toQ(target), Qt::MatchExactly);
    if (!found.isEmpty()) found.front()->setSelected(true);
  }
  targetsChanged();
  keepOnScreen(this);
}

TAppFormF::~TAppFormF() = default;

void TAppFormF::applyTo(std::vector<std::string>& program) const { m_actions->apply(program); }

std::vector<std::string> TAppFormF::selectedTargets() const {
  // In list order, not in the order of clicking.
  std::vector<std::string> names;
  for (int row = 0; row < m_targets->count(); ++row)
    if (m_targets->item(row)->isSelected()) names.push_back(fromQ(m_targets->item(row)->text()));
  return names;
}

void TAppFormF::targetsChanged() {
  if (m_clearing) return;
  std::vector<ActionTarget> targets;
  for (const std::string& name : selectedTargets()) {
    const int index = findObject(m_project, name);
    targets.push_back({name, index >= 0 ? m_project.objects[static_cast<std::size_t>(index)].Typ : std::string()});
  }
  if (!targetSelectionFits(targets, m_ui)) {
    m_clearing = true;
    m_targets->clearSelection();
    m_clearing = false;
    targets.clear();
  }
  const bool shutters = !targets.empty() && targets.front().type == kShutterType;
  m_actionBox->setVisible(!shutters);
  m_shutterStates->setVisible(shutters);
  m_actionGroup->button(static_cast<int>(TargetAction::Like))
      ->setText(toQ(targetActionCaption(TargetAction::Like, m_object, static_cast<int>(targets.size()))));
}

void TAppFormF::createLines(bool intoElse) {
  const std::vector<std::string> targets = selectedTargets();
  if (targets.empty()) return;
  const std::string state = m_shutterStates->isVisible() ? fromQ(m_shutterStates->currentText()) : std::string();
  const auto action = static_cast<TargetAction>(std::max(0, m_actionGroup->checkedId()));
  if (m_actions->add(targets, action, state, intoElse, m_ui)) (intoElse ? m_else : m_then)->refresh();
}

void TAppFormF::insertCondition() {
  if (m_actions->thenList().insertCondition(m_ui, askCondition)) m_then->refresh();
}

void TAppFormF::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && showHelp) {
    showHelp(QStringLiteral("AppForm"));
    return;
  }
  QDialog::keyPressEvent(event);
}

void TAppFormF::refreshLists() {
  m_then->refresh();
  m_else->refresh();
}

}  // namespace kelvaro::gui
