// A plain-text memo with the line queries the editors use to place the caret.
#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace kelvaro::gui {

// Line queries on a text with "\n" line breaks; lines count from 0.
// Index of the first character of line, -1 when there is no such line.
int memoLineStart(const QString& text, int line);
// Line holding the character index (past the end: the last line).
int memoLineOfChar(const QString& text, int charIndex);
// Length of line without its break, 0 when there is no such line.
int memoLineLength(const QString& text, int line);

class TExtMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TExtMemo(QWidget* parent = nullptr);

  int lineStart(int line) const;
  int lineOfChar(int charIndex) const;
  int lineLength(int line) const;
  // Puts the caret at the start of line and shows it.
  void gotoLine(int line);
};

}  // namespace kelvaro::gui
