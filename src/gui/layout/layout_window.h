// The layout editor "Ansicht bearbeiten": the view's background with one shape per placed
// object. The widgets draw and pass the mouse and the menus on to LayoutEditor, which holds
// the rules and writes the placements back into the project.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <vector>

#include "app/layout_editor.h"
#include "main_context.h"

class QListWidget;
class QMenu;
class QMenuBar;
class QScrollArea;
class QStatusBar;

namespace kelvaro::gui {

class TExtShape;
class LayoutCanvas;

class TLayoutF : public QDialog {
  Q_OBJECT

 public:
  // Opens on the view with this index (a valid one; prepareLayoutEditing picks it).
  TLayoutF(MainContext& context, int view, QWidget* parent = nullptr);
  ~TLayoutF() override;

  LayoutEditor& editor() { return m_editor; }
  const std::vector<TExtShape*>& shapeWidgets() const { return m_shapeWidgets; }
  QWidget* canvas() const;
  QMenuBar* menuBar() const { return MainMenu1; }
  QStatusBar* statusBar() const { return StatusBar; }
  QListWidget* objectList() const { return LayObjLB; }
  // The menu a right press on a shape opens (tests trigger its items).
  QMenu* shapeMenu(int shape);
  // The window's context menu on the background.
  QMenu* backgroundMenu() const { return PopupMenu; }
  // "&Ansicht": the editor goes on with the view of this index.
  void showView(int view);

  // From the canvas.
  void canvasPressed(QPoint pos, Qt::MouseButton button, QPoint globalPos);
  void canvasMoved(QPoint pos, bool leftHeld);
  void canvasReleased(QPoint pos, Qt::MouseButton button);

 public Q_SLOTS:
  void done(int result) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void buildMenus();
  void loadBackground();
  // New shape widgets for the editor's shapes (after activation, placing, removal).
  void rebuildShapes();
  // The widgets take the editor's rectangles and marks (after a positioning command).
  void syncShapes();
  int indexOf(const TExtShape* shape) const;
  void setModeCursor();
  void showStatus(const std::string& text);
  // Every command that opens another window: the model is current while it is open.
  void outside(const std::function<void()>& otherWindow);
  void fillObjectList();
  void placeListed(int row);

  void shapeSelected(TExtShape* shape);
  void shapeCtrlSelected(TExtShape* shape);
  void shapeRightPressed(TExtShape* shape, QPoint globalPos);
  void shapeMouseMoved(TExtShape* shape);
  void shapeGeometryDragged(TExtShape* shape, QRect geometry);

  // Object commands on the current shape.
  void editObject(int object);
  void renameObjectOf(int shape);
  void deleteObjectOf(int shape);
  void whereUsedOf(int shape);
  void newObject();
  // The assistants on a shape's object: item 0 "&Funktionen festlegen", 1 and 2 the conditions.
  void openActions(int object, int item);
  void openSwitchingTimes(int object);

  MainContext& m_context;
  int m_view;
  LayoutEditor m_editor;
  QPixmap m_background;
  std::vector<TExtShape*> m_shapeWidgets;
  int m_currentShape = -1;
  bool m_placementRestored = false;
  QMenuBar* MainMenu1 = nullptr;
  QStatusBar* StatusBar = nullptr;
  QScrollArea* m_scroll = nullptr;
  LayoutCanvas* m_canvas = nullptr;
  QWidget* LayObjPnl = nullptr;
  QListWidget* LayObjLB = nullptr;
  QMenu* PopupMenu = nullptr;
  QMenu* m_shapeMenu = nullptr;
};

// Sets context.editViewLayout: the editor opens modally on a view of the page "Ansichten".
void installLayoutEditor(MainContext& context, QWidget* mainWindow);

}  // namespace kelvaro::gui
