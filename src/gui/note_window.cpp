// The non-blocking message window.
#include "note_window.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "screen_fit.h"

namespace kelvaro::gui {

TNoBreakMessF::TNoBreakMessF(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TNoBreakMessF"));
  setWindowTitle(QStringLiteral("Meldung"));
  keepOnScreen(this);
  setModal(false);
  MsgPnl = new QLabel(this);
  MsgPnl->setObjectName(QStringLiteral("MsgPnl"));
  MsgPnl->setFrameShape(QFrame::Panel);
  MsgPnl->setFrameShadow(QFrame::Sunken);
  MsgPnl->setAlignment(Qt::AlignCenter);
  MsgPnl->setWordWrap(true);
  MsgPnl->setMinimumSize(280, 60);
  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MsgPnl);
  layout->addWidget(OKBtn, 0, Qt::AlignHCenter);
}

void TNoBreakMessF::showText(const QString& text) {
  MsgPnl->setText(text);
  show();
  raise();
}

}  // namespace kelvaro::gui
