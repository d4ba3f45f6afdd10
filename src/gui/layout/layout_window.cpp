// The layout editor's window (see layout_window.h); its menus are in layout_menus.cpp.
#include "layout/layout_window.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "model/bitmap_search.h"
#include "elements/ext_shape.h"
#include "qt_text.h"
#include "run/run_colors.h"
#include "runtime/run_window_support.h"

namespace kelvaro::gui {

// The view's background and the rubber band; mouse events go to the window.
class LayoutCanvas : public QWidget {
 public:
  LayoutCanvas(TLayoutF& window, LayoutEditor& editor, const QPixmap& background, QWidget* parent)
      : QWidget(parent), m_window(window), m_editor(editor), m_background(background) {
    setMouseTracking(true);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    if (!m_background.isNull()) painter.drawPixmap(0, 0, m_background);
    if (const auto band = m_editor.rubberBand()) {
      painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(band->left, band->top, band->width, band->height);
    }
  }
  void mousePressEvent(QMouseEvent* e) override {
    m_window.canvasPressed(e->position().toPoint(), e->button(), e->globalPosition().toPoint());
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    m_window.canvasMoved(e->position().toPoint(), (e->buttons() & Qt::LeftButton) != 0);
  }
  void mouseReleaseEvent(QMouseEvent* e) override { m_window.canvasReleased(e->position().toPoint(), e->button()); }

 private:
  TLayoutF& m_window;
  LayoutEditor& m_editor;
  const QPixmap& m_background;
};

namespace {

bool viewHasBackground(const Project& project, int view) {
  return !project.views[static_cast<std::size_t>(view)].info.BitmapName.empty();
}

}  // namespace

TLayoutF::TLayoutF(MainContext& context, int view, QWidget* parent)
    : QDialog(parent),
      m_context(context),
      m_view(view),
      m_editor(context.workspace.project, context.workspace.project.views[static_cast<std::size_t>(view)].name,
               viewHasBackground(context.workspace.project, view)) {
  setObjectName(QStringLiteral("LayoutF"));
  setWindowFlag(Qt::WindowMinMaxButtonsHint);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
  layout->setMenuBar(MainMenu1);

  auto* middle = new QHBoxLayout;
  m_scroll = new QScrollArea(this);
  m_canvas = new LayoutCanvas(*this, m_editor, m_background, m_scroll);
  m_canvas->setObjectName(QStringLiteral("LayoutCanvas"));
  m_scroll->setWidget(m_canvas);
  m_scroll->setWidgetResizable(true);
  middle->addWidget(m_scroll, 1);
  LayObjPnl = new QWidget(this);
  LayObjPnl->setObjectName(QStringLiteral("LayObjPnl"));
  auto* listLayout = new QVBoxLayout(LayObjPnl);
  LayObjLB = new QListWidget(LayObjPnl);
  LayObjLB->setObjectName(QStringLiteral("LayObjLB"));
  listLayout->addWidget(LayObjLB);
  connect(LayObjLB, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { placeListed(LayObjLB->row(item)); });
  LayObjPnl->setFixedWidth(180);
  LayObjPnl->hide();
  middle->addWidget(LayObjPnl);
  layout->addLayout(middle, 1);
  StatusBar = new QStatusBar(this);
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  StatusBar->setSizeGripEnabled(false);
  layout->addWidget(StatusBar);

  const Project& project = context.workspace.project;
  const QColor back = colourOfIndex(project.BackColor);
  if (project.BackColor >= 0 && back.isValid()) {
    QPalette palette = m_canvas->palette();
    palette.setColor(QPalette::Window, back);
    m_canvas->setPalette(palette);
    m_canvas->setAutoFillBackground(true);
  }
  buildMenus();

  // Where the run window was last: the editor shows the same plan at the same place.
  const WindowPlacement p = executionWindowPlacement(project);
  if (p.usePosition) {
    move(p.position.left, p.position.top);
    resize(std::max(p.position.width, 100), std::max(p.position.height, 80));
  } else {
    resize(640, 480);
  }
  if (p.state == kWindowMaximized) setWindowState(Qt::WindowMaximized);
  showView(view);
}

TLayoutF::~TLayoutF() { m_editor.deactivate(); }

QWidget* TLayoutF::canvas() const { return m_canvas; }

void TLayoutF::showView(int view) {
  Project& project = m_context.workspace.project;
  if (view < 0 || static_cast<std::size_t>(view) >= project.views.size()) return;
  m_view = view;
  m_context.workspace.app.selectedView = view;
  m_editor.switchView(project.views[static_cast<std::size_t>(view)].name, viewHasBackground(project, view));
  setWindowTitle(toQ(layoutCaption(m_editor.viewName())));
  loadBackground();
  if (!m_editor.active()) m_editor.activate();
  LayObjPnl->hide();
  rebuildShapes();
}

void TLayoutF::loadBackground() {
  const Project& project = m_context.workspace.project;
  m_background = QPixmap();
  const TViewInfo& info = project.views[static_cast<std::size_t>(m_view)].info;
  // Found as the page "Ansichten" finds it, so that the editor shows the picture of its preview.
  const BitmapLocation found =
      findBitmap(info.BitmapName, info.NoPath, m_context.workspace.settings().DIRBMP, m_context.workspace.fileName);
  if (found.found) m_background.load(toQ(found.path));
  m_canvas->setMinimumSize(m_background.isNull() ? QSize(0, 0) : m_background.size());
  m_canvas->update();
}

void TLayoutF::rebuildShapes() {
  for (TExtShape* w : m_shapeWidgets) w->deleteLater();
  m_shapeWidgets.clear();
  m_currentShape = -1;
  const Project& project = m_context.workspace.project;
  for (const LayoutShape& s : m_editor.shapes()) {
    const TPSObj& o = project.objects[static_cast<std::size_t>(s.object)];
    auto* w = new TExtShape(m_canvas);
    w->setObjectName(toQ(o.Name));
    w->setText(toQ(o.Name));
    w->setToolTip(toQ(o.OName));
    w->setSizable(s.sizable);
    w->setGeometry(s.rect.left, s.rect.top, s.rect.width, s.rect.height);
    if (s.bitmap) {
      const BitmapLocation found = findBitmap(s.bitmap->BitmapName, s.bitmap->NoPath,
                                              m_context.workspace.settings().DIRBMP, m_context.workspace.fileName);
      if (found.found) w->SetBitMap(toQ(found.path));
    }
    connect(w, &TExtShape::selected, this, &TLayoutF::shapeSelected);
    connect(w, &TExtShape::ctrlSelected, this, &TLayoutF::shapeCtrlSelected);
    connect(w, &TExtShape::shiftSelected, this,
            [this](TExtShape* shape) {
              if (const int index = indexOf(shape); index >= 0)
                editObject(m_editor.shapes()[static_cast<std::size_t>(index)].object);
            });
    connect(w, &TExtShape::rightPressed, this, &TLayoutF::shapeRightPressed);
    connect(w, &TExtShape::mouseMoved, this, [this](TExtShape* shape, QPoint) { shapeMouseMoved(shape); });
    connect(w, &TExtShape::geometryDragged, this, &TLayoutF::shapeGeometryDragged);
    w->show();
    m_shapeWidgets.push_back(w);
  }
  syncShapes();
}

void TLayoutF::syncShapes() {
  const auto& shapes = m_editor.shapes();
  for (std::size_t i = 0; i < shapes.size() && i < m_shapeWidgets.size(); ++i) {
    const LayoutRect& r = shapes[i].rect;
    // A shape that is not sizable keeps its bitmap's size.
    if (m_shapeWidgets[i]->sizable() || !m_shapeWidgets[i]->hasBitmap())
      m_shapeWidgets[i]->setGeometry(r.left, r.top, r.width, r.height);
    else
      m_shapeWidgets[i]->move(r.left, r.top);
    m_shapeWidgets[i]->setMarked(shapes[i].marked);
  }
  setModeCursor();
  m_canvas->update();
}

int TLayoutF::indexOf(const TExtShape* shape) const {
  const auto it = std::find(m_shapeWidgets.begin(), m_shapeWidgets.end(), shape);
  return it == m_shapeWidgets.end() ? -1 : static_cast<int>(it - m_shapeWidgets.begin());
}

void TLayoutF::setModeCursor() {
  // The cursor tells which command the next press carries out.
  if (m_editor.pendingAction() != SwitchAction::None) {
    m_canvas->setCursor(Qt::CrossCursor);
    return;
  }
  switch (m_editor.mode()) {
    case LayoutMode::AlignLeft: m_canvas->setCursor(Qt::SplitHCursor); break;
    case LayoutMode::AlignTop: m_canvas->setCursor(Qt::SplitVCursor); break;
    case LayoutMode::Move: m_canvas->setCursor(Qt::SizeAllCursor); break;
    case LayoutMode::None:
    case LayoutMode::RubberBand: m_canvas->unsetCursor(); break;
  }
}

void TLayoutF::showStatus(const std::string& text) { StatusBar->showMessage(toQ(text)); }

void TLayoutF::outside(const std::function<void()>& otherWindow) {
  m_editor.runOutside([&] {
    hide();
    otherWindow();
    show();
  });
  loadBackground();
  rebuildShapes();
}

void TLayoutF::canvasPressed(QPoint pos, Qt::MouseButton button, QPoint globalPos) {
  if (button == Qt::RightButton) {
    PopupMenu->popup(globalPos);
    return;
  }
  if (button != Qt::LeftButton) return;
  m_editor.backgroundPress(pos.x(), pos.y());
  syncShapes();
}

void TLayoutF::canvasMoved(QPoint pos, bool leftHeld) {
  const bool moving = m_editor.mode() == LayoutMode::Move && leftHeld;
  m_editor.backgroundMove(pos.x(), pos.y(), leftHeld);
  if (moving) syncShapes();
  if (m_editor.mode() == LayoutMode::RubberBand) m_canvas->update();
}

void TLayoutF::canvasReleased(QPoint pos, Qt::MouseButton button) {
  if (button != Qt::LeftButton) return;
  m_editor.backgroundRelease(pos.x(), pos.y());
  syncShapes();
}

void TLayoutF::shapeSelected(TExtShape* shape) {
  const int index = indexOf(shape);
  m_currentShape = index;
  if (m_editor.shapePress(index, false, false) == ShapePress::SwitchWritten) {
    showStatus(m_editor.shapeStatus(index));
    setModeCursor();
  }
}

void TLayoutF::shapeCtrlSelected(TExtShape* shape) {
  m_editor.shapePress(indexOf(shape), true, false);
  syncShapes();
}

void TLayoutF::shapeRightPressed(TExtShape* shape, QPoint globalPos) {
  m_currentShape = indexOf(shape);
  if (QMenu* menu = shapeMenu(m_currentShape)) menu->popup(globalPos);
}

void TLayoutF::shapeMouseMoved(TExtShape* shape) {
  const int index = indexOf(shape);
  m_currentShape = index;
  showStatus(m_editor.shapeStatus(index));
}

void TLayoutF::shapeGeometryDragged(TExtShape* shape, QRect geometry) {
  m_editor.shapeDragged(indexOf(shape), {geometry.x(), geometry.y(), geometry.width(), geometry.height()});
}

void TLayoutF::fillObjectList() {
  LayObjLB->clear();
  const Project& project = m_context.workspace.project;
  for (const int object : m_editor.offeredObjects())
    LayObjLB->addItem(toQ(project.objects[static_cast<std::size_t>(object)].Name));
}

void TLayoutF::placeListed(int row) {
  const std::vector<int> offered = m_editor.offeredObjects();
  if (row < 0 || static_cast<std::size_t>(row) >= offered.size()) return;
  if (!m_editor.place(offered[static_cast<std::size_t>(row)])) return;
  LayObjPnl->hide();
  rebuildShapes();
}

void TLayoutF::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    // Esc ends the mode, not the window.
    m_editor.escape();
    LayObjPnl->hide();
    StatusBar->clearMessage();
    syncShapes();
    return;
  }
  if (event->key() == Qt::Key_F1) {
    if (m_context.showHelp) m_context.showHelp(QStringLiteral("LayoutWin"));
    return;
  }
  QDialog::keyPressEvent(event);
}

void TLayoutF::done(int result) {
  if (!m_placementRestored) {
    m_placementRestored = true;
    std::uint8_t state = kWindowNormal;
    if (isMaximized()) state = kWindowMaximized;
    else if (isMinimized()) state = kWindowMinimized;
    const QRect frame = frameGeometry();
    storeExecutionWindowPlacement(m_context.workspace.project, {frame.left(), frame.top(), width(), height()}, state);
  }
  m_editor.deactivate();
  QDialog::done(result);
}

void installLayoutEditor(MainContext& context, QWidget* mainWindow) {
  context.editViewLayout = [&context, mainWindow](int view) {
    const int index = prepareLayoutEditing(context.workspace, context.ui, view);
    if (index < 0) return;
    TLayoutF window(context, index, mainWindow);
    window.exec();
    if (context.projectChanged) context.projectChanged();
  };
}

}  // namespace kelvaro::gui
