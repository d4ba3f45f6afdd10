// The window "Objektbezüge".
#include "where_used_window.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

#include "qt_text.h"
#include "screen_fit.h"

namespace kelvaro::gui {

TRelObjF::TRelObjF(MainContext& context, std::string objectName, QWidget* parent)
    : QDialog(parent), m_context(context), m_name(std::move(objectName)) {
  setObjectName(QStringLiteral("RelObjF"));
  setWindowTitle(QStringLiteral("Objektbezüge"));
  HeadLab = new QLabel(this);
  HeadLab->setObjectName(QStringLiteral("HeadLab"));
  QFont bold = HeadLab->font();
  bold.setBold(true);
  HeadLab->setFont(bold);
  RelObjLB = new QListWidget(this);
  RelObjLB->setObjectName(QStringLiteral("RelObjLB"));
  // Program lines are easier to read, and to tell apart, in a fixed-width font.
  RelObjLB->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  connect(RelObjLB, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { RelObjLBDblClick(RelObjLB->row(item)); });
  auto* hint = new QLabel(toQ(kWhereUsedHint), this);
  hint->setObjectName(QStringLiteral("HintLab"));
  hint->setWordWrap(true);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* close = buttons->addButton(QStringLiteral("&Schließen"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("CloseBtn"));
  QPushButton* help = buttons->addButton(QStringLiteral("&Hilfe"), QDialogButtonBox::HelpRole);
  help->setObjectName(QStringLiteral("HelpBtn"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  const auto showHelp = [this] {
    if (m_context.showHelp) m_context.showHelp(QStringLiteral("RelObj"));
  };
  connect(help, &QPushButton::clicked, this, showHelp);
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  f1->setContext(Qt::WindowShortcut);
  connect(f1, &QShortcut::activated, this, showHelp);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(HeadLab);
  layout->addWidget(RelObjLB, 1);
  layout->addWidget(hint);
  layout->addWidget(buttons);
  search();
  resize(640, 420);
  keepOnScreen(this);
}

void TRelObjF::search() {
  const int row = RelObjLB->currentRow();
  m_uses = findUses(m_context.workspace.project, m_name);
  HeadLab->setText(toQ(m_uses.header));
  RelObjLB->clear();
  for (const auto& entry : m_uses.entries) RelObjLB->addItem(toQ(entry.text));
  if (RelObjLB->count() > 0) RelObjLB->setCurrentRow(std::clamp(row, 0, RelObjLB->count() - 1));
}

void TRelObjF::RelObjLBDblClick(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= m_uses.entries.size()) return;
  const EditorRequest request = editorRequestFor(m_uses.entries[static_cast<std::size_t>(row)]);
  if (!m_context.editObject) return;
  // The editor changes the project in place; the list is then out of date.
  m_context.editObject(request);
  search();
}

void showWhereUsed(MainContext& context, const std::string& objectName, QWidget* parent) {
  TRelObjF window(context, objectName, parent);
  window.exec();
}

}  // namespace kelvaro::gui
