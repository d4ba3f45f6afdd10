// The radio-interface dialog bound to the radio-part commands.
#include "stations/radio_interface_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/radio_interface_commands.h"
#include "hardware/radio_interface.h"
#include "screen_fit.h"
#include "stations/unit_line.h"

namespace kelvaro::gui {

TInterfEinstF::TInterfEinstF(MainContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_ui(context.ui, nullptr) {
  setObjectName(QStringLiteral("TInterfEinstF"));
  setWindowTitle(QStringLiteral("Einstellungen Funk-Schnittstelle"));
  setAttribute(Qt::WA_DeleteOnClose);

  m_codeLabel = new QLabel(QStringLiteral("Zentralencode für FHT-Raumregler"), this);
  m_codeLabel->setObjectName(QStringLiteral("ZentrCodeLb"));
  m_codeLabel->installEventFilter(this);
  m_code = new QSpinBox(this);
  m_code->setObjectName(QStringLiteral("ZentrCodeEdt"));
  m_code->setRange(kMinCentralCode, kMaxCentralCode);
  m_serial = new QLabel(this);
  m_serial->setObjectName(QStringLiteral("SerNrLb"));
  auto* write = new QPushButton(QStringLiteral("Zentralencode &schreiben"), this);
  write->setObjectName(QStringLiteral("ZentrCodeWriteBtn"));
  m_write = write;
  auto* close = new QPushButton(QStringLiteral("&Schließen"), this);
  close->setObjectName(QStringLiteral("CloseBtn"));
  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("MsgLab"));
  m_status->setFrameShape(QFrame::StyledPanel);
  m_status->setMinimumWidth(340);
  m_ui.setLabel(m_status);

  auto* fields = new QGridLayout;
  fields->addWidget(m_codeLabel, 0, 0);
  fields->addWidget(m_code, 0, 1);
  fields->addWidget(new QLabel(QStringLiteral("Seriennummer: "), this), 1, 0);
  fields->addWidget(m_serial, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(write);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(buttons);
  layout->addWidget(m_status);

  connect(write, &QPushButton::clicked, this, &TInterfEinstF::writeCode);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  addHelpKey(this, context, QStringLiteral("FunkSchnittstelle"));
  keepOnScreen(this);
}

TInterfEinstF::~TInterfEinstF() = default;

bool TInterfEinstF::connectLine() {
  if (m_commands != nullptr) return true;
  if (m_context.openUnitLine) m_line = m_context.openUnitLine(m_ui);
  if (m_line == nullptr) {
    showError(m_context.ui, fromQ(QStringLiteral("Die Leitung zur Steuereinheit ist belegt")));
    m_write->setEnabled(false);
    return false;
  }
  m_commands = std::make_unique<RadioInterfaceCommands>(m_line->protocol, m_line->port);
  QApplication::setOverrideCursor(Qt::BusyCursor);
  m_busy = true;
  const bool open = m_commands->Open();
  m_busy = false;
  QApplication::restoreOverrideCursor();
  m_write->setEnabled(open);
  showFields();
  if (!open) {
    // The message said why; the page "Steuereinheit" gets its line back at once.
    m_commands.reset();
    m_line.reset();
  }
  return open;
}

void TInterfEinstF::done(int result) {
  // Not while a read or write waits on the line (it lets the event loop run): it would lose
  // its line. The close asks it to stop instead.
  if (m_busy) {
    if (m_line != nullptr) m_line->protocol.CancelRequested = true;
    return;
  }
  if (m_commands != nullptr) m_commands->Close();
  m_commands.reset();
  m_line.reset();
  QDialog::done(result);
}

void TInterfEinstF::showFields() {
  m_code->setValue(m_commands->ZentrCodeEdt);
  m_serial->setText(toQ(m_commands->SerNrLb));
}

void TInterfEinstF::writeCode() {
  if (m_commands == nullptr || m_busy) return;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  m_busy = true;
  m_commands->WriteCentralCode(m_code->value());
  m_busy = false;
  QApplication::restoreOverrideCursor();
  showFields();
}

bool TInterfEinstF::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_codeLabel && event->type() == QEvent::MouseButtonDblClick) {
    if (m_commands != nullptr && !m_busy) m_commands->HiddenCommand();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

TInterfEinstF* openRadioInterfaceDialog(MainContext& context, QWidget* parent) {
  auto* dialog = new TInterfEinstF(context, parent);
  if (context.setMainTimer) {
    context.setMainTimer(false);
    QObject::connect(dialog, &QDialog::finished, dialog, [&context] { context.setMainTimer(true); });
  }
  dialog->open();
  dialog->connectLine();
  return dialog;
}

}  // namespace kelvaro::gui
