// The debugger dialog: program lines with the statement's line selected, the watch list and
// the six commands.
#include "run/debug_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "elements/ext_memo.h"
#include "qt_text.h"
#include "screen_fit.h"

namespace kelvaro::gui {

namespace {

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QLatin1String(name));
  b->setAutoDefault(false);
  return b;
}

}  // namespace

TDebugF::TDebugF(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TDebugF"));
  setWindowTitle(QStringLiteral("Ablaufverfolgung"));
  setModal(true);
  resize(560, 420);
  keepOnScreen(this);

  Panel1 = new QLabel(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setAlignment(Qt::AlignCenter);

  DebugMBox = new TExtMemo(this);
  DebugMBox->setObjectName(QStringLiteral("DebugMBox"));
  DebugMBox->setReadOnly(true);
  DebugMBox->setLineWrapMode(QPlainTextEdit::NoWrap);
  // The statement's line stays marked while the user works with the buttons.
  QPalette palette = DebugMBox->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Active, QPalette::HighlightedText));
  DebugMBox->setPalette(palette);

  DebVarLBox = new QListWidget(this);
  DebVarLBox->setObjectName(QStringLiteral("DebVarLBox"));
  DebVarLBox->setMaximumHeight(110);

  StepBtn = button(QStringLiteral("&Schritt"), "StepBtn", this);
  StepBtn->setDefault(true);
  DebVarBtn = button(QStringLiteral("&Inhalt"), "DebVarBtn", this);
  BrkPtBtn = button(QStringLiteral("&Haltepunkt"), "BrkPtBtn", this);
  DelBarBtn = button(QStringLiteral("&Entfernen"), "DelBarBtn", this);
  RunBtn = button(QStringLiteral("&Ausführen"), "RunBtn", this);
  EndBtn = button(QStringLiteral("A&bbruch"), "EndBtn", this);
  HelpBtn = button(QStringLiteral("Hilfe"), "HelpBtn", this);

  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {StepBtn, DebVarBtn, BrkPtBtn, DelBarBtn, RunBtn, EndBtn, HelpBtn}) buttons->addWidget(b);
  buttons->addStretch();
  auto* middle = new QHBoxLayout;
  middle->addWidget(DebugMBox, 1);
  middle->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Panel1);
  layout->addLayout(middle, 1);
  layout->addWidget(DebVarLBox);

  connect(StepBtn, &QPushButton::clicked, this, &TDebugF::StepBtnClick);
  connect(RunBtn, &QPushButton::clicked, this, &TDebugF::RunBtnClick);
  connect(BrkPtBtn, &QPushButton::clicked, this, &TDebugF::BrkPtBtnClick);
  connect(EndBtn, &QPushButton::clicked, this, &TDebugF::EndBtnClick);
  connect(DebVarBtn, &QPushButton::clicked, this, &TDebugF::DebVarBtnClick);
  connect(DelBarBtn, &QPushButton::clicked, this, &TDebugF::DelBarBtnClick);
  connect(HelpBtn, &QPushButton::clicked, this, [this] {
    if (showHelp) showHelp(QStringLiteral("debugmode"));
  });
}

// show -> activation, then wait for a command; closing the box counts as "Schritt"
DebugAnswer TDebugF::show(Debugger& debugger) {
  m_debugger = &debugger;
  m_answer = {DebugCommand::Step, -1};
  Panel1->setText(toQ(debugger.caption()));
  fillLines();
  fillWatch();
  selectStatementLine();
  Q_EMIT stopped();
  exec();
  m_debugger = nullptr;
  return m_answer;
}

void TDebugF::fillLines() {
  QStringList lines;
  for (const auto& line : m_debugger->lines()) lines << toQ(line);
  DebugMBox->setPlainText(lines.join(QLatin1Char('\n')));
}

void TDebugF::fillWatch() {
  DebVarLBox->clear();
  for (const auto& line : m_debugger->watchLines()) DebVarLBox->addItem(toQ(line));
}

void TDebugF::selectStatementLine() {
  const int line = m_debugger->selectedLine();
  const int start = DebugMBox->lineStart(line);
  if (start < 0) return;
  QTextCursor cursor = DebugMBox->textCursor();
  cursor.setPosition(start);
  cursor.setPosition(start + m_debugger->selectionLength(), QTextCursor::KeepAnchor);
  DebugMBox->setTextCursor(cursor);
  DebugMBox->ensureCursorVisible();
}

void TDebugF::StepBtnClick() {
  m_answer = {DebugCommand::Step, -1};
  accept();
}

void TDebugF::RunBtnClick() {
  m_answer = {DebugCommand::Run, -1};
  accept();
}

void TDebugF::BrkPtBtnClick() {
  m_answer = {DebugCommand::ToggleBreakpoint, DebugMBox->lineOfChar(DebugMBox->textCursor().selectionStart())};
  accept();
}

void TDebugF::EndBtnClick() {
  m_answer = {DebugCommand::End, -1};
  accept();
}

void TDebugF::DebVarBtnClick() {
  if (!m_debugger) return;
  QString selected = DebugMBox->textCursor().selectedText();
  // A selection across lines carries the paragraph separator; only its first line counts.
  selected = selected.section(QChar(0x2029), 0, 0);
  if (m_debugger->addWatch(fromQ(selected))) fillWatch();
}

void TDebugF::DelBarBtnClick() {
  if (!m_debugger) return;
  const int row = DebVarLBox->currentRow();
  if (row < 0) return;
  m_debugger->removeWatch(static_cast<std::size_t>(row));
  fillWatch();
}

}  // namespace kelvaro::gui
