// A panel that shows a label and a value, the value in one line or cut into rows.
#pragma once

#include <QFrame>
#include <QString>
#include <QStringList>

#include "elements/element_math.h"

namespace kelvaro::gui {

class TEPanel : public QFrame {
  Q_OBJECT
  Q_PROPERTY(QString LabelText READ labelText WRITE setLabelText)
  Q_PROPERTY(QString ValueText READ valueText WRITE setValueText)
  Q_PROPERTY(int PanelCh READ charsPerRow WRITE setCharsPerRow)
  Q_PROPERTY(int PanelRo READ rows WRITE setRows)

 public:
  explicit TEPanel(QWidget* parent = nullptr);

  QString labelText() const { return m_labelText; }
  void setLabelText(const QString& text);  // repaints
  QString valueText() const { return m_valueText; }
  void setValueText(const QString& text);  // repaints
  // Characters per row; 0 shows the value as one centred line under the label.
  int charsPerRow() const { return m_charsPerRow; }
  void setCharsPerRow(int chars);
  int rows() const { return m_rows; }
  void setRows(int rows);
  // Font height taken from the panel's height and rows.
  bool autoFont() const { return m_autoFont; }
  void setAutoFont(bool on);
  // Where the label and the value lines are painted at the present size and texts.
  PanelBoxes boxes() const;

 Q_SIGNALS:
  void clicked();
  void rightPressed();
  void rightReleased();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QFont paintFont() const;
  QStringList valueLines() const;

  QString m_labelText;
  QString m_valueText;
  int m_charsPerRow = 0;
  int m_rows = 0;
  bool m_autoFont = false;
};

}  // namespace kelvaro::gui
