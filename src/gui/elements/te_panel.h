// A panel that shows a label and a value, the value in one line or cut into rows.
#pragma once

#include <QFrame>
#include <QString>

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

 Q_SIGNALS:
  void clicked();
  void rightPressed();
  void rightReleased();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString m_labelText;
  QString m_valueText;
  int m_charsPerRow = 0;
  int m_rows = 0;
  bool m_autoFont = false;
};

}  // namespace kelvaro::gui
