// The memo's line queries (see ext_memo.h).
#include "elements/ext_memo.h"

#include <algorithm>
#include <QTextCursor>

namespace kelvaro::gui {

int memoLineStart(const QString& text, int line) {
  if (line < 0) return -1;
  qsizetype start = 0;
  for (int current = 0; current < line; ++current) {
    const qsizetype lineBreak = text.indexOf(QLatin1Char('\n'), start);
    if (lineBreak < 0) return -1;
    start = lineBreak + 1;
  }
  return static_cast<int>(start);
}

int memoLineOfChar(const QString& text, int charIndex) {
  const qsizetype end = std::clamp<qsizetype>(charIndex, 0, text.size());
  return static_cast<int>(QStringView(text).left(end).count(QLatin1Char('\n')));
}

int memoLineLength(const QString& text, int line) {
  const int start = memoLineStart(text, line);
  if (start < 0) return 0;
  const qsizetype lineBreak = text.indexOf(QLatin1Char('\n'), start);
  return static_cast<int>((lineBreak < 0 ? text.size() : lineBreak) - start);
}

TExtMemo::TExtMemo(QWidget* parent) : QPlainTextEdit(parent) {
  // Lines are the text's lines, not the wrapped screen lines.
  setLineWrapMode(QPlainTextEdit::NoWrap);
}

int TExtMemo::lineStart(int line) const { return memoLineStart(toPlainText(), line); }

int TExtMemo::lineOfChar(int charIndex) const { return memoLineOfChar(toPlainText(), charIndex); }

int TExtMemo::lineLength(int line) const { return memoLineLength(toPlainText(), line); }

void TExtMemo::gotoLine(int line) {
  const int start = lineStart(line);
  if (start < 0) return;
  QTextCursor cursor = textCursor();
  cursor.setPosition(start);
  setTextCursor(cursor);
  ensureCursorVisible();
}

}  // namespace kelvaro::gui
