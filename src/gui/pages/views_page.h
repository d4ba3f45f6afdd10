// The page "Ansichten" of the main window: the views, a preview of the selected view's
// bitmap, the background colour and the view commands.
#pragma once

#include "app/view_commands.h"
#include "pages/main_page.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace kelvaro::gui {

class ViewsPage : public MainPage {
  Q_OBJECT

 public:
  ViewsPage(MainContext& context, QWidget* parent);

  QString caption() const override { return QStringLiteral("Ansichten"); }
  QString helpTopic() const override { return QStringLiteral("seitAnsicht"); }
  void refresh() override;

  // How "Bild zeichnen" starts the drawing program; tests put a recorder here.
  void setProgramStarter(ProgramStarter starter) { m_starter = std::move(starter); }

  void newClicked();
  void chooseBitmapClicked();
  void deleteClicked();
  void editClicked();
  void renameClicked();
  void drawClicked();
  void removeBitmapClicked();

 protected:
  bool event(QEvent* event) override;

 private:
  void fillList();
  void rowChanged(int row);
  void showSelected(bool report);
  void backColorChosen(int index);

  QListWidget* m_list = nullptr;
  QLabel* m_preview = nullptr;
  QLabel* m_showName = nullptr;
  QComboBox* m_backColor = nullptr;
  QPushButton* m_editButton = nullptr;
  ProgramStarter m_starter;
  bool m_filling = false;
};

}  // namespace kelvaro::gui
