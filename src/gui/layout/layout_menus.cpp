// The layout editor's menus: the menu bar, the background's context menu and the menu of a
// shape, which depends on the object's hardware role.
#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QWidget>

#include "app/object_commands.h"
#include "assistants/action_form.h"
#include "assistants/switching_times_form.h"
#include "elements/ext_shape.h"
#include "layout/layout_window.h"
#include "new_object_dialog.h"
#include "qt_text.h"
#include "where_used_window.h"

namespace kelvaro::gui {

void TLayoutF::buildMenus() {
  const auto add = [this](QMenu* menu, const char* caption, const std::function<void()>& command) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    connect(action, &QAction::triggered, this, command);
    return action;
  };
  const auto marking = [this, add](QMenu* menu) {
    add(menu, "Markierung entfernen", [this] {
      m_editor.unmarkAll();
      StatusBar->clearMessage();
      syncShapes();
    });
    add(menu, "Alles markieren", [this] {
      m_editor.markAll();
      syncShapes();
    });
  };
  const auto positioning = [this, add](QMenu* menu, const char* alignLeftCaption) {
    add(menu, alignLeftCaption, [this] {
      m_editor.alignLeftEdges();
      syncShapes();
    });
    add(menu, "Ausrichten horizontal", [this] {
      m_editor.alignTopEdges();
      syncShapes();
    });
    add(menu, "Gleiche Breite", [this] {
      m_editor.sameWidth();
      syncShapes();
    });
    add(menu, "Gleiche Höhe", [this] {
      m_editor.sameHeight();
      syncShapes();
    });
    add(menu, "Verschieben", [this] {
      m_editor.moveMarked();
      syncShapes();
    });
  };

  QAction* newObjectAction = MainMenu1->addAction(QStringLiteral("&Neues Objekt"));
  connect(newObjectAction, &QAction::triggered, this, &TLayoutF::newObject);
  QMenu* objects = MainMenu1->addMenu(QStringLiteral("&Objekte"));
  add(objects, "Objekt&liste", [this] {
    m_editor.showObjectList();
    fillObjectList();
    LayObjPnl->show();
  });
  add(objects, "markierte Objekte &entfernen", [this] {
    m_editor.removeMarked();
    rebuildShapes();
  });
  marking(MainMenu1->addMenu(QStringLiteral("&Markieren")));
  QMenu* position = MainMenu1->addMenu(QStringLiteral("&Positionierung"));
  position->setObjectName(QStringLiteral("PositionMenu"));
  positioning(position, "Ausrichten vertikal");
  QMenu* views = MainMenu1->addMenu(QStringLiteral("&Ansicht"));
  const Project& project = m_context.workspace.project;
  for (std::size_t v = 0; v < project.views.size(); ++v)
    connect(views->addAction(toQ(project.views[v].name)), &QAction::triggered, this,
            [this, v] { showView(static_cast<int>(v)); });
  add(MainMenu1->addMenu(QStringLiteral("&Hilfe")), "&Hilfe", [this] {
    if (m_context.showHelp) m_context.showHelp(QStringLiteral("LayoutWin"));
  });
  connect(MainMenu1->addAction(QStringLiteral("&Zurück")), &QAction::triggered, this, &QDialog::accept);

  PopupMenu = new QMenu(this);
  PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
  add(PopupMenu, "Neues Objekt", [this] { newObject(); });
  marking(PopupMenu);
  positioning(PopupMenu, "Ausrichten vertikal");
}

QMenu* TLayoutF::shapeMenu(int shape) {
  if (shape < 0 || static_cast<std::size_t>(shape) >= m_editor.shapes().size()) return nullptr;
  m_currentShape = shape;
  const int object = m_editor.shapes()[static_cast<std::size_t>(shape)].object;
  const TPSObj& o = m_context.workspace.project.objects[static_cast<std::size_t>(object)];
  if (m_shapeMenu) m_shapeMenu->deleteLater();
  m_shapeMenu = new QMenu(this);
  const auto add = [this](const QString& caption, const std::function<void()>& command) {
    QAction* action = m_shapeMenu->addAction(caption);
    if (command) connect(action, &QAction::triggered, this, command);
    return action;
  };
  const ShapeMenu kind = shapeMenuOf(o);
  if (kind == ShapeMenu::Sensor) {
    m_shapeMenu->setObjectName(QStringLiteral("ObjPopUpSensor"));
    add(QStringLiteral("&Funktionen festlegen"), [this, object] { openActions(object, 0); });
    const SensorConditionItems conditions = sensorConditionItems(o);
    if (conditions.visible) {
      add(toQ(conditions.firstCaption), [this, object] { openActions(object, 1); });
      add(toQ(conditions.secondCaption), [this, object] { openActions(object, 2); });
    }
    const auto switchAction = [this, shape](SwitchAction action) {
      m_editor.startSwitchAction(shape, action);
      showStatus(std::string(kSwitchTargetPrompt));
      setModeCursor();
    };
    add(QStringLiteral("&Einschalten"), [switchAction] { switchAction(SwitchAction::On); });
    add(QStringLiteral("&Ausschalten"), [switchAction] { switchAction(SwitchAction::Off); });
    add(QStringLiteral("&Umschalten"), [switchAction] { switchAction(SwitchAction::Toggle); });
  } else if (kind == ShapeMenu::Actor) {
    m_shapeMenu->setObjectName(QStringLiteral("ObjPopUpAktor"));
    add(QStringLiteral("&Schaltzeiten"), [this, object] { openSwitchingTimes(object); });
  } else {
    m_shapeMenu->setObjectName(QStringLiteral("ObjPopUpAll"));
  }
  add(QStringLiteral("&Objekt bearbeiten"), [this, object] { editObject(object); });
  add(QStringLiteral("Objekt aus Ansicht en&tfernen"), [this, shape] {
    m_editor.removeFromView(shape);
    rebuildShapes();
  });
  add(QStringLiteral("A&bbruch"), [this] {
    m_editor.escape();
    LayObjPnl->hide();
    syncShapes();
  });
  add(QStringLiteral("Objekt umbe&nennen"), [this, shape] { renameObjectOf(shape); });
  add(QStringLiteral("Objekt &löschen"), [this, shape] { deleteObjectOf(shape); });
  add(QStringLiteral("Bezüge"), [this, shape] { whereUsedOf(shape); });
  return m_shapeMenu;
}

void TLayoutF::openActions(int object, int item) {
  outside([&] {
    Project& project = m_context.workspace.project;
    TPSObj& o = project.objects[static_cast<std::size_t>(object)];
    const ActionAssistantStart start = actionAssistantStart(o, item);
    TAppFormF window(project, m_context.ui, o.Name, start.condition, o.program, toQ(start.heading), {}, this);
    window.showHelp = m_context.showHelp;
    if (window.exec() != QDialog::Accepted) return;
    window.applyTo(o.program);
    project.modified = true;
  });
}

void TLayoutF::openSwitchingTimes(int object) {
  outside([&] {
    Project& project = m_context.workspace.project;
    TPSObj& o = project.objects[static_cast<std::size_t>(object)];
    const SwitchingTimesStart start = switchingTimesStart(o);
    TSTimesF window(project, m_context.ui, o.Name, start.shutter ? SwitchTimesKind::Shutter : SwitchTimesKind::Switchable,
                    o.program, this);
    window.setWindowTitle(toQ(start.caption));
    window.showHelp = m_context.showHelp;
    if (window.exec() != QDialog::Accepted) return;
    window.assistant().apply(o.program, o.ACode);
    project.modified = true;
  });
}

void TLayoutF::editObject(int object) {
  if (!m_context.editObject) return;
  outside([&] {
    EditorRequest request;
    request.object = object;
    m_context.workspace.project.modified = true;
    m_context.editObject(request);
  });
}

void TLayoutF::renameObjectOf(int shape) {
  const int object = m_editor.shapes()[static_cast<std::size_t>(shape)].object;
  outside([&] { renameObject(m_context.workspace.project, m_context.ui, object); });
}

void TLayoutF::deleteObjectOf(int shape) {
  const int object = m_editor.shapes()[static_cast<std::size_t>(shape)].object;
  outside([&] { deleteObject(m_context.workspace.project, m_context.ui, object); });
}

void TLayoutF::whereUsedOf(int shape) {
  const int object = m_editor.shapes()[static_cast<std::size_t>(shape)].object;
  const std::string name = m_context.workspace.project.objects[static_cast<std::size_t>(object)].Name;
  outside([&] { showWhereUsed(m_context, name, this); });
}

void TLayoutF::newObject() {
  const bool background = !m_context.workspace.project.views[static_cast<std::size_t>(m_view)].info.BitmapName.empty();
  outside([&] { runNewObjectDialog(m_context, toQ(m_editor.viewName()), !background, this); });
}

}  // namespace kelvaro::gui
