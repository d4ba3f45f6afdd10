// The page "Typen" of the main window: the object types, their ordered states with a
// standard bitmap each, and the import of type libraries.
#pragma once

#include "app/type_editor.h"
#include "pages/main_page.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace kelvaro::gui {

class TypesPage : public MainPage {
  Q_OBJECT

 public:
  TypesPage(MainContext& context, QWidget* parent);

  QString caption() const override { return QStringLiteral("Typen"); }
  QString helpTopic() const override { return QStringLiteral("seittypen"); }
  void refresh() override;
  void leavePage() override;

  // The dialog "Typ bearbeiten"; the tests put a scripted one in its place.
  void setTypeDialog(TypeDialog dialog) { m_typeDialog = std::move(dialog); }
  const TypeEditorState& editorState() const { return m_state; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void fillTypes();
  void fillStates();
  // Shows the selected state's bitmap; report tells the user about a missing file.
  void showPreview(bool report);

  void typeChosen(int row);
  void stateChosen(int row);
  void newTypeClicked();
  void deleteTypeClicked();
  void editTypeClicked();
  void libraryClicked();
  void newStateClicked();
  void deleteStateClicked();
  void bitmapClicked();
  void removeBitmapClicked();
  void moveClicked(int direction);

  TypeEditorState m_state;
  TypeDialog m_typeDialog;

  QListWidget* m_types = nullptr;
  QListWidget* m_states = nullptr;
  QLabel* m_preview = nullptr;
  QLabel* m_bitmapName = nullptr;
  QPushButton* m_removeBitmap = nullptr;
};

}  // namespace kelvaro::gui
