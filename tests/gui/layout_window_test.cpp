// The layout editor's window on the demo: a shape dragged with the mouse lands in the object's
// placement, Ctrl-clicks with an alignment command from the menu line shapes up, and a sensor's
// menu opens the action assistant. The rules themselves are layout_editor_test's.
#include "assistants/action_form.h"
#include "elements/ext_shape.h"
#include "gui_test_support.h"
#include "layout/layout_window.h"
#include "storage/project_file.h"

using kelvaro::test::child;

namespace {

// The demo project with its bitmaps, in a workspace with the window's context.
struct Demo : kelvaro::test::GuiWorkspace {
  Demo() {
    const std::string dir = KELVARO_SOURCE_DIR "/examples/demo/";
    loaded = kelvaro::readProject(workspace.project, dir + "DEMO.SPG", dir, ui) == kelvaro::ReadStatus::Complete;
    workspace.settings().DIRBMP = dir + "BMP/";
  }
  // The placement of an object on the view "Erdgeschoss", as "left,top".
  QString placement(int object) const {
    for (const kelvaro::TPlan& p : workspace.project.objects[static_cast<std::size_t>(object)].plans)
      if (p.ViewName == "Erdgeschoss") return QStringLiteral("%1,%2").arg(p.Left).arg(p.Top);
    return QStringLiteral("-");
  }
  bool loaded = false;
};

QAction* menuItem(QWidget* menu, const QString& caption) {
  for (QAction* a : menu->actions())
    if (a->text() == caption) return a;
  qFatal("no menu item %s", qPrintable(caption));
}

QMenu* menuOf(QMenuBar* bar, const QString& caption) {
  for (QAction* a : bar->actions())
    if (a->text() == caption && a->menu() != nullptr) return a->menu();
  qFatal("no menu %s", qPrintable(caption));
}

// A height at which the background is free at x 3 and x 7, beside every shape, so that the
// presses there reach the background even after marked shapes moved to those columns.
int freeRow(const kelvaro::gui::TLayoutF& window) {
  for (int y = 0; y < window.canvas()->height(); ++y) {
    bool free = true;
    for (const kelvaro::gui::TExtShape* s : window.shapeWidgets())
      free = free && (y < s->y() || y >= s->y() + s->height());
    if (free) return y;
  }
  qFatal("no free row");
}

}  // namespace

class LayoutWindowTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { kelvaro::test::useSmallScreen(); }

 private Q_SLOTS:
  // A sensor's menu opens the action assistant; a shape dragged with the mouse moves; Ctrl-clicks
  // mark shapes, which the alignment command lines up on every press on the background until
  // Esc; "&Zurück" writes the places back.
  void sensorMenuDragAndAlignReachThePlacements() {
    Demo f;
    QVERIFY(f.loaded);
    kelvaro::gui::TLayoutF window(f.context, 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QStringLiteral("Ansicht bearbeiten : Erdgeschoss"));
    QCOMPARE(window.canvas()->minimumSize(), QSize(600, 400));  // the floor plan behind the shapes
    QCOMPARE(window.canvas()->grab().toImage().pixelColor(2, 398), QColor(0x70, 0xac, 0x54));
    // A sensor's menu opens the action assistant, which sees the placement the shape has now.
    int sensor = -1;
    for (std::size_t i = 0; i < window.shapeWidgets().size() && sensor < 0; ++i)
      if (window.shapeMenu(static_cast<int>(i))->objectName() == QStringLiteral("ObjPopUpSensor"))
        sensor = static_cast<int>(i);
    QVERIFY(sensor >= 0);
    window.editor().shapeDragged(sensor, {4, 5, 60, 40});
    const int object = window.editor().shapes()[static_cast<std::size_t>(sensor)].object;
    QString seen;
    kelvaro::test::onModal<kelvaro::gui::TAppFormF>([&](kelvaro::gui::TAppFormF* assistant) {
      seen = f.placement(object);
      QVERIFY(!window.isVisible());
      assistant->close();
    });
    menuItem(window.shapeMenu(sensor), QStringLiteral("&Funktionen festlegen"))->trigger();
    QCOMPARE(seen, QStringLiteral("4,5"));
    QVERIFY(window.isVisible());
    QCOMPARE(window.shapeWidgets()[static_cast<std::size_t>(sensor)]->geometry(), QRect(4, 5, 60, 40));

    const auto& shapes = window.shapeWidgets();
    QVERIFY(shapes.size() >= 3);
    const int first = window.editor().shapes()[0].object, second = window.editor().shapes()[1].object;
    const int third = window.editor().shapes()[2].object;
    const QString before = f.placement(second);
    const QPoint start = shapes[1]->pos();

    const QPoint grip(shapes[1]->width() / 2, shapes[1]->height() / 2);
    QTest::mousePress(shapes[1], Qt::LeftButton, Qt::NoModifier, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip + QPoint(30, 20)),
                     QPointF(shapes[1]->mapToGlobal(grip) + QPoint(30, 20)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(shapes[1], &move);
    QTest::mouseRelease(shapes[1], Qt::LeftButton, Qt::NoModifier, grip + QPoint(30, 20));
    QCOMPARE(shapes[1]->pos(), start + QPoint(30, 20));
    QCOMPARE(f.placement(second), before);  // written back when the window closes

    QTest::mouseClick(shapes[0], Qt::LeftButton, Qt::ControlModifier, QPoint(2, 2));
    QTest::mouseClick(shapes[2], Qt::LeftButton, Qt::ControlModifier, QPoint(2, 2));
    QVERIFY(shapes[0]->marked() && !shapes[1]->marked() && shapes[2]->marked());
    menuItem(menuOf(window.menuBar(), QStringLiteral("&Positionierung")), QStringLiteral("Ausrichten vertikal"))
        ->trigger();
    QCOMPARE(window.canvas()->cursor().shape(), Qt::SplitHCursor);
    const int y = freeRow(window);
    QTest::mouseClick(window.canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(3, y));
    QTest::mouseClick(window.canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(7, y));
    QTest::keyClick(&window, Qt::Key_Escape);
    QCOMPARE(window.canvas()->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(window.isVisible());
    QCOMPARE(shapes[0]->x(), 7);
    QCOMPARE(shapes[2]->x(), 7);
    QCOMPARE(shapes[1]->pos(), start + QPoint(30, 20));

    menuItem(window.menuBar(), QStringLiteral("&Zurück"))->trigger();
    QCOMPARE(f.placement(second), QStringLiteral("%1,%2").arg(start.x() + 30).arg(start.y() + 20));
    QCOMPARE(f.placement(first).section(QLatin1Char(','), 0, 0), QStringLiteral("7"));
    QCOMPARE(f.placement(third).section(QLatin1Char(','), 0, 0), QStringLiteral("7"));
    QVERIFY(f.workspace.project.modified);
    QVERIFY(f.ui.messages.empty());
  }
};

QTEST_MAIN(LayoutWindowTest)
#include "layout_window_test.moc"
