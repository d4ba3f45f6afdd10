// The message lists, filled from the run session by the core's list rules.
#include "run/message_list_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "qt_text.h"
#include "runtime/run_window_support.h"
#include "screen_fit.h"

namespace kelvaro::gui {

TMsgListF::TMsgListF(const RunSession& session, std::function<DateTime()> now, QWidget* parent)
    : QDialog(parent), m_session(session), m_now(std::move(now)) {
  setObjectName(QStringLiteral("TMsgListF"));
  setWindowTitle(QStringLiteral("Meldungen"));
  resize(480, 300);
  keepOnScreen(this);
  MsgAuswCB = new QComboBox(this);
  MsgAuswCB->setObjectName(QStringLiteral("MsgAuswCB"));
  for (const auto& name : kMessageListNames) MsgAuswCB->addItem(toQ(name));
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BitBtn1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MsgAuswCB);
  layout->addWidget(ListBox1, 1);
  layout->addLayout(buttons);
  connect(MsgAuswCB, &QComboBox::currentIndexChanged, this, &TMsgListF::MsgAuswCBChange);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TMsgListF::showFirstList() {
  if (MsgAuswCB->currentIndex() != 0) MsgAuswCB->setCurrentIndex(0);  // fills through the change
  else MsgAuswCBChange();
}

void TMsgListF::MsgAuswCBChange() {
  ListBox1->clear();
  const int index = MsgAuswCB->currentIndex();
  if (index < 0) return;
  ListBox1->addItems(toQList(messageListLines(m_session, static_cast<MessageList>(index), m_now())));
}

}  // namespace kelvaro::gui
