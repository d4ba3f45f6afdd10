// The shutter assistant "Rollladenanwendung".
#include "assistants/shutter_assistant_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

#include "assistants/block_list.h"
#include "assistants/time_input_form.h"
#include "qt_text.h"
#include "screen_fit.h"

namespace kelvaro::gui {
namespace {

QPushButton* button(const char* name, const QString& text, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  return b;
}

QListWidget* list(const char* name, QWidget* parent, bool several) {
  auto* l = new QListWidget(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setSelectionMode(several ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
  return l;
}

std::vector<std::string> selectedTexts(const QListWidget* list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->isSelected()) texts.push_back(fromQ(list->item(i)->text()));
  return texts;
}

std::string currentText(const QListWidget* list) {
  const QListWidgetItem* item = list->currentItem();
  return item != nullptr && item->isSelected() ? fromQ(item->text()) : std::string();
}

}  // namespace

TRollAssiF::TRollAssiF(MainContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_assistant(context.workspace.project) {
  setObjectName(QStringLiteral("RollAssiF"));
  setWindowTitle(QStringLiteral("Rollladenanwendung"));
  askTimes = [this](QWidget* owner) {
    return TTimeInpF::ask(m_context.ui, TimeWindowKind::Shutter, owner, m_context.showHelp);
  };

  m_pages = new QStackedWidget(this);
  m_pages->setObjectName(QStringLiteral("RollPages"));
  m_pages->addWidget(buildShutterPage());
  m_pages->addWidget(buildGroupPage());
  m_pages->addWidget(buildActionPage());

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* close = buttons->addButton(QStringLiteral("&Schließen"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("CloseBtn"));
  close->setAutoDefault(false);
  QPushButton* help = buttons->addButton(QStringLiteral("&Hilfe"), QDialogButtonBox::HelpRole);
  help->setObjectName(QStringLiteral("HelpBtn"));
  help->setAutoDefault(false);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  const auto showHelp = [this] {
    if (m_context.showHelp) m_context.showHelp(QStringLiteral("Rollladen"));
  };
  connect(help, &QPushButton::clicked, this, showHelp);
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  f1->setContext(Qt::WindowShortcut);
  connect(f1, &QShortcut::activated, this, showHelp);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pages, 1);
  layout->addWidget(buttons);
  fillShutters();
  fillGroups();
  resize(780, 460);
  keepOnScreen(this);
}

QWidget* TRollAssiF::buildShutterPage() {
  auto* page = new QWidget(this);
  auto* caption = new QLabel(QStringLiteral("<b>1. Rollladen</b> anlegen und bearbeiten"), page);
  RollLB = list("RollLB", page, false);
  connect(RollLB, &QListWidget::itemDoubleClicked, this, [this] { BeaRollBtnClick(); });
  QPushButton* neu = button("NeuRollBtn", QStringLiteral("&Neue Rolllade"), page);
  QPushButton* edit = button("BeaRollBtn", QStringLiteral("&Bearbeiten"), page);
  QPushButton* del = button("DelRolBtn", QStringLiteral("&Löschen"), page);
  QPushButton* rename = button("RenameRollBtn", QStringLiteral("&Umbenennen"), page);
  QPushButton* next = button("Cont1Btn", QStringLiteral("Weiter >>"), page);
  connect(neu, &QPushButton::clicked, this, &TRollAssiF::NeuRollBtnClick);
  connect(edit, &QPushButton::clicked, this, &TRollAssiF::BeaRollBtnClick);
  connect(del, &QPushButton::clicked, this, &TRollAssiF::DelRolBtnClick);
  connect(rename, &QPushButton::clicked, this, &TRollAssiF::RenameRollBtnClick);
  connect(next, &QPushButton::clicked, this, &TRollAssiF::nextPage);

  auto* side = new QVBoxLayout();
  for (QPushButton* b : {neu, edit, del, rename}) side->addWidget(b);
  side->addStretch(1);
  side->addWidget(next);
  auto* row = new QHBoxLayout();
  row->addWidget(RollLB, 1);
  row->addLayout(side);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(caption);
  layout->addLayout(row, 1);
  return page;
}

QWidget* TRollAssiF::buildGroupPage() {
  auto* page = new QWidget(this);
  auto* caption = new QLabel(QStringLiteral("<b>2. Rollladen</b> zu Gruppen zusammenfassen"), page);
  RollGruppeCB = new QComboBox(page);
  RollGruppeCB->setObjectName(QStringLiteral("RollGruppeCB"));
  RollGruppeCB->setMinimumWidth(180);
  connect(RollGruppeCB, &QComboBox::activated, this, &TRollAssiF::RollGruppeCBChange);
  QPushButton* neu = button("NeuGrpBtn", QStringLiteral("Neue &Gruppe"), page);
  QPushButton* del = button("DelGrpBtn", QStringLiteral("Gruppe &löschen"), page);
  connect(neu, &QPushButton::clicked, this, &TRollAssiF::NeuGrpBtnClick);
  connect(del, &QPushButton::clicked, this, &TRollAssiF::DelGrpBtnClick);

  GrpRollLB = list("GrpRollLB", page, true);
  RollGruppeLB = list("RollGruppeLB", page, true);
  QPushButton* to = button("ToGrpBtn", QStringLiteral("->"), page);
  to->setToolTip(QStringLiteral("Markierte Rollläden in die Gruppe"));
  QPushButton* out = button("OutGrpBtn", QStringLiteral("<-"), page);
  out->setToolTip(QStringLiteral("Markierte Rollläden aus der Gruppe"));
  QPushButton* all = button("AllToGrpBtn", QStringLiteral("Alle->"), page);
  all->setToolTip(QStringLiteral("Alle Rollläden in die Gruppe"));
  QPushButton* bin = button("TonneBtn", QString(), page);
  bin->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
  bin->setToolTip(QStringLiteral("Gruppe leeren"));
  connect(to, &QPushButton::clicked, this, [this] {
    m_assistant.addMembers(selectedTexts(GrpRollLB));
    fillMembers();
  });
  connect(out, &QPushButton::clicked, this, [this] {
    m_assistant.removeMembers(selectedTexts(RollGruppeLB));
    fillMembers();
  });
  connect(all, &QPushButton::clicked, this, [this] {
    m_assistant.addAllMembers();
    fillMembers();
  });
  connect(bin, &QPushButton::clicked, this, [this] {
    m_assistant.clearMembers();
    fillMembers();
  });
  QPushButton* back = button("Back1Btn", QStringLiteral("<< &Zurück"), page);
  QPushButton* next = button("Cont2Btn", QStringLiteral("Weiter >>"), page);
  connect(back, &QPushButton::clicked, this, &TRollAssiF::previousPage);
  connect(next, &QPushButton::clicked, this, &TRollAssiF::nextPage);

  auto* top = new QHBoxLayout();
  top->addWidget(new QLabel(QStringLiteral("Gruppe:"), page));
  top->addWidget(RollGruppeCB, 1);
  top->addWidget(neu);
  top->addWidget(del);
  auto* middle = new QVBoxLayout();
  middle->addStretch(1);
  for (QPushButton* b : {to, out, all, bin}) middle->addWidget(b);
  middle->addStretch(1);
  auto* lists = new QGridLayout();
  lists->addWidget(new QLabel(QStringLiteral("Rollladen"), page), 0, 0);
  lists->addWidget(new QLabel(QStringLiteral("in der Gruppe"), page), 0, 2);
  lists->addWidget(GrpRollLB, 1, 0);
  lists->addLayout(middle, 1, 1);
  lists->addWidget(RollGruppeLB, 1, 2);
  lists->setRowStretch(1, 1);
  auto* nav = new QHBoxLayout();
  nav->addStretch(1);
  nav->addWidget(back);
  nav->addWidget(next);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(caption);
  layout->addLayout(top);
  layout->addLayout(lists, 1);
  layout->addLayout(nav);
  return page;
}

QWidget* TRollAssiF::buildActionPage() {
  auto* page = new QWidget(this);
  auto* caption = new QLabel(QStringLiteral("<b>3. Aktionen</b> der Gruppe festlegen"), page);
  AnwLB = list("AnwLB", page, true);
  // Program lines are easier to read, and their indents easier to follow, in a fixed-width font.
  AnwLB->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // A click marks the whole block; the control key adds further lines by hand.
  connect(AnwLB, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (QApplication::keyboardModifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) return;
    const std::vector<int> block = blockAt(m_assistant.statements(), AnwLB->row(item));
    for (int i = 0; i < AnwLB->count(); ++i)
      AnwLB->item(i)->setSelected(std::find(block.begin(), block.end(), i) != block.end());
  });
  QPushButton* times = button("TimeBt", QStringLiteral("Zeiten für &Gruppe"), page);
  CrtBsZeiten = button("CrtBsZeiten", QStringLiteral("Variable Eingabe für Zeiten am Bildschirm"), page);
  CrtBsZeiten->setEnabled(false);
  connect(AnwLB, &QListWidget::itemSelectionChanged, this,
          [this] { CrtBsZeiten->setEnabled(!AnwLB->selectedItems().isEmpty()); });
  QPushButton* del = button("AnwDltBtn", QStringLiteral("&Löschen"), page);
  QPushButton* bin = button("MuellBtn", QString(), page);
  bin->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
  bin->setToolTip(QStringLiteral("Alles löschen"));
  connect(times, &QPushButton::clicked, this, &TRollAssiF::TimeBtClick);
  connect(CrtBsZeiten, &QPushButton::clicked, this, &TRollAssiF::CrtBsZeitenClick);
  connect(del, &QPushButton::clicked, this, &TRollAssiF::AnwDltBtnClick);
  connect(bin, &QPushButton::clicked, this, [this] {
    m_assistant.clearStatements();
    fillStatements();
  });
  QPushButton* back = button("Back2Btn", QStringLiteral("<< &Zurück"), page);
  QPushButton* ok = button("OkBtn", QStringLiteral("&Fertigstellen"), page);
  connect(back, &QPushButton::clicked, this, &TRollAssiF::previousPage);
  connect(ok, &QPushButton::clicked, this, &TRollAssiF::OkBtnClick);

  auto* side = new QVBoxLayout();
  side->addWidget(times);
  side->addWidget(CrtBsZeiten);
  side->addStretch(1);
  auto* binRow = new QHBoxLayout();
  binRow->addWidget(del);
  binRow->addWidget(bin);
  side->addLayout(binRow);
  auto* row = new QHBoxLayout();
  row->addWidget(AnwLB, 1);
  row->addLayout(side);
  auto* nav = new QHBoxLayout();
  nav->addStretch(1);
  nav->addWidget(back);
  nav->addWidget(ok);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(caption);
  layout->addWidget(new QLabel(QStringLiteral("automatisch erzeugte Anweisungen"), page));
  layout->addLayout(row, 1);
  layout->addLayout(nav);
  return page;
}

int TRollAssiF::page() const { return m_pages->currentIndex(); }

void TRollAssiF::nextPage() {
  if (page() == 0) {
    fillShutters();
    fillGroups();
    m_pages->setCurrentIndex(1);
  } else if (page() == 1) {
    if (!m_assistant.enterActions(m_context.ui)) return;
    fillStatements();
    m_pages->setCurrentIndex(2);
  }
}

void TRollAssiF::previousPage() {
  if (page() > 0) m_pages->setCurrentIndex(page() - 1);
  if (page() == 0) fillShutters();
}

void TRollAssiF::fillShutters() {
  const QString current = RollLB->currentItem() ? RollLB->currentItem()->text() : QString();
  RollLB->clear();
  RollLB->addItems(toQList(m_assistant.shutters()));
  const auto found = RollLB->findItems(current, Qt::MatchExactly);
  if (!found.isEmpty()) RollLB->setCurrentItem(found.front());
  GrpRollLB->clear();
  GrpRollLB->addItems(toQList(m_assistant.shutters()));
}

void TRollAssiF::fillGroups() {
  RollGruppeCB->clear();
  RollGruppeCB->addItems(toQList(m_assistant.groups()));
  RollGruppeCB->setCurrentIndex(RollGruppeCB->findText(toQ(m_assistant.group())));
  fillMembers();
}

void TRollAssiF::fillMembers() {
  RollGruppeLB->clear();
  RollGruppeLB->addItems(toQList(m_assistant.members()));
}

void TRollAssiF::fillStatements() {
  AnwLB->clear();
  AnwLB->addItems(toQList(m_assistant.statements()));
  CrtBsZeiten->setEnabled(false);
}

std::vector<int> TRollAssiF::markedStatements() const {
  std::vector<int> rows;
  for (int i = 0; i < AnwLB->count(); ++i)
    if (AnwLB->item(i)->isSelected()) rows.push_back(i);
  return rows;
}

void TRollAssiF::editObject(int index) {
  if (index < 0 || !m_context.editObject) return;
  EditorRequest request;
  request.object = index;
  m_context.editObject(request);
}

void TRollAssiF::NeuRollBtnClick() {
  const int index = m_assistant.newShutter(m_context.ui);
  if (index < 0) return;
  const QString name = toQ(m_context.workspace.project.objects[static_cast<std::size_t>(index)].Name);
  editObject(index);
  fillShutters();
  const auto found = RollLB->findItems(name, Qt::MatchFixedString);
  if (!found.isEmpty()) RollLB->setCurrentItem(found.front());
}

void TRollAssiF::BeaRollBtnClick() {
  editObject(m_assistant.editShutter(m_context.ui, currentText(RollLB)));
  fillShutters();
}

void TRollAssiF::DelRolBtnClick() {
  if (m_assistant.deleteShutter(m_context.ui, currentText(RollLB))) fillShutters();
}

void TRollAssiF::RenameRollBtnClick() {
  if (m_assistant.renameShutter(m_context.ui, currentText(RollLB))) fillShutters();
}

void TRollAssiF::RollGruppeCBChange(int row) {
  if (row >= 0) m_assistant.chooseGroup(fromQ(RollGruppeCB->itemText(row)));
  fillMembers();
}

void TRollAssiF::NeuGrpBtnClick() {
  if (m_assistant.newGroup(m_context.ui)) fillGroups();
}

void TRollAssiF::DelGrpBtnClick() {
  if (m_assistant.deleteGroup(m_context.ui)) fillGroups();
}

void TRollAssiF::TimeBtClick() {
  if (!askTimes) return;
  const auto times = askTimes(this);
  if (times && m_assistant.addTimes(m_context.ui, *times)) fillStatements();
}

void TRollAssiF::CrtBsZeitenClick() {
  if (m_assistant.screenInput(m_context.ui, markedStatements()) > 0) fillStatements();
}

void TRollAssiF::AnwDltBtnClick() {
  if (m_assistant.deleteStatements(m_context.ui, markedStatements())) fillStatements();
}

void TRollAssiF::OkBtnClick() {
  if (m_assistant.finish(m_context.ui)) accept();
}

bool runShutterAssistant(MainContext& context, QWidget* parent) {
  // The project's flag may be set already; whether this window wrote is told apart.
  Project& project = context.workspace.project;
  const bool wasModified = project.modified;
  project.modified = false;
  {
    TRollAssiF window(context, parent);
    window.exec();
  }
  const bool wrote = project.modified;
  project.modified = wasModified || wrote;
  return wrote;
}

}  // namespace kelvaro::gui
