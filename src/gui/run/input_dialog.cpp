// The input dialog: one entry line for texts and numbers, one list for states and views.
#include "run/input_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "qt_text.h"
#include "screen_fit.h"

namespace kelvaro::gui {

TEingabeF::TEingabeF(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TEingabeF"));
  setModal(false);
  setWindowTitle(QStringLiteral("Eingabe"));
  keepOnScreen(this);

  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setWordWrap(true);
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("Abbruch"), this);
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(Edit1);
  layout->addWidget(ListBox1);
  layout->addLayout(buttons);

  connect(OKBtn, &QPushButton::clicked, this, &TEingabeF::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TEingabeF::reject);
  connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TEingabeF::ListBox1DblClick);
  // Enter reaches OK, the default button, which takes the current entry of the list.
}

void TEingabeF::open(const InputRequest& request, QPoint at) {
  m_mode = request.mode;
  const bool list = request.mode == InputMode::State || request.mode == InputMode::View;
  setWindowTitle(request.mode == InputMode::View ? QStringLiteral("Ansicht") : QStringLiteral("Eingabe"));
  Label1->setText(toQ(request.prompt));
  Edit1->setVisible(!list);
  ListBox1->setVisible(list);
  ListBox1->clear();
  if (list) {
    ListBox1->addItems(toQList(request.choices));
    const auto items = ListBox1->findItems(toQ(request.value), Qt::MatchExactly);
    ListBox1->setCurrentRow(items.isEmpty() ? 0 : ListBox1->row(items.front()));
  } else {
    Edit1->setText(toQ(request.value));
    Edit1->selectAll();
  }
  adjustSize();
  move(at);
  show();
  raise();
  activateWindow();
  if (list) ListBox1->setFocus();
  else Edit1->setFocus();
}

void TEingabeF::OKBtnClick() {
  if (m_mode == InputMode::State || m_mode == InputMode::View) {
    QListWidgetItem* item = ListBox1->currentItem();
    if (!item) return;
    ListBox1DblClick(item);
    return;
  }
  hide();
  Q_EMIT answered(Edit1->text());
}

void TEingabeF::ListBox1DblClick(QListWidgetItem* item) {
  if (!item) return;
  hide();
  Q_EMIT answered(item->text());
}

void TEingabeF::reject() {
  hide();
  Q_EMIT cancelled();
}

}  // namespace kelvaro::gui
