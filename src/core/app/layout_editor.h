// The view layout editor ("Ansicht bearbeiten") without widgets: the shapes that stand for the
// objects placed on one view, their marking, alignment and moving, the object list for placing,
// removal, and the statements a sensor's switch action writes. The window forwards mouse and
// menu events here and draws shapes(); the model is written back on deactivate().
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/shape_geometry.h"
#include "app/workspace.h"
#include "model/project.h"
#include "ui/user_interface.h"

namespace kelvaro {

// A placement as a newly placed object gets it, and the least size a shape opens with, so that
// a placement shrunk to a speck in the file can still be seen and grabbed.
inline constexpr int kNewPlacementLeft = 10, kNewPlacementTop = 10;
inline constexpr int kNewPlacementWidth = 80, kNewPlacementHeight = 50;
inline constexpr int kShapeOpenMinSize = 10;
inline constexpr std::string_view kSwitchTargetPrompt = "Klicken Sie jetzt auf das zu schaltende Objekt";

struct LayoutShape {
  int object = -1;  // index in project.objects
  LayoutRect rect;
  bool marked = false;
  bool sizable = true;  // a user-type object with a background keeps its bitmap's size unless Stretch
  std::optional<TBitmapNam> bitmap;  // the first state's bitmap of a user-type object, on a view with a background
};

enum class LayoutMode { None = 0, RubberBand = 1, AlignLeft = 2, AlignTop = 3, Move = 4 };
enum class SwitchAction { None = 0, On = 1, Off = 2, Toggle = 3 };
// Which menu a shape offers, by the object's HdwTyp.
enum class ShapeMenu { Sensor, Actor, Other };

// What a left press on a shape asks of the window.
enum class ShapePress {
  Drag,           // plain press: the widget drags the shape
  MarkToggled,    // Ctrl: the mark changed, repaint
  EditObject,     // Shift: "&Objekt bearbeiten"
  SwitchWritten,  // a pending switch action wrote its statement; then the drag as usual
};

class LayoutEditor {
 public:
  // background: whether the view has a background bitmap (user-type objects then show theirs).
  LayoutEditor(Project& project, std::string viewName, bool background = false);

  const std::string& viewName() const { return m_view; }
  // "&Ansicht": the editor goes on with another view, the shapes of this one written back.
  void switchView(std::string viewName, bool background);

  // Reads the placements of this view into shapes; writing them back is deactivate(). Every
  // window that looks at the model runs inside runOutside(), which does both around it.
  void activate();
  void deactivate();
  bool active() const { return m_active; }
  void runOutside(const std::function<void()>& otherWindow);

  const std::vector<LayoutShape>& shapes() const { return m_shapes; }
  // The shape of an object, -1 when it is not on the view.
  int shapeOf(int object) const;

  // Mouse on the background.
  void backgroundPress(int x, int y);
  void backgroundMove(int x, int y, bool leftHeld);
  void backgroundRelease(int x, int y);
  LayoutMode mode() const { return m_mode; }
  // The rubber band while it is drawn.
  std::optional<LayoutRect> rubberBand() const;

  // Mouse on a shape.
  ShapePress shapePress(int shape, bool ctrl, bool shift);
  // The widget moved or resized the shape.
  void shapeDragged(int shape, const LayoutRect& rect);
  // The status line while the mouse is over the shape.
  std::string shapeStatus(int shape) const;

  // "Markieren" and "Positionierung".
  void unmarkAll();  // also ends the mode and a pending switch action
  void markAll();
  void alignLeftEdges() { m_mode = LayoutMode::AlignLeft; }  // "Ausrichten vertikal"
  void alignTopEdges() { m_mode = LayoutMode::AlignTop; }    // "Ausrichten horizontal"
  void moveMarked() { m_mode = LayoutMode::Move; }           // "Verschieben"
  void sameWidth() { sameSize(&LayoutRect::width); }    // "Gleiche Breite"
  void sameHeight() { sameSize(&LayoutRect::height); }  // "Gleiche Höhe"
  // Esc (and "A&bbruch"): ends the mode and a pending switch action, hides the object list.
  void escape();

  // "Objekt&liste": the objects that may still be placed here, and placing one.
  std::vector<int> offeredObjects() const;
  void showObjectList() { m_listShown = true; }
  bool objectListShown() const { return m_listShown; }
  bool place(int object);

  // "markierte Objekte &entfernen" and "Objekt aus Ansicht en&tfernen" (which marks the shape
  // first, so the other marked shapes go too).
  void removeMarked();
  void removeFromView(int shape);

  // "&Einschalten", "&Ausschalten", "&Umschalten" on a sensor's shape; the next plain press on
  // a shape writes the statement. The status line then shows kSwitchTargetPrompt.
  void startSwitchAction(int sensorShape, SwitchAction action);
  SwitchAction pendingAction() const { return m_action; }

 private:
  // Every marked shape takes the largest marked size, at least the smallest size a shape opens with.
  void sameSize(int LayoutRect::*size);
  struct Placed {
    bool shown = false;
    int slot = -1;
    LayoutRect rect;
  };
  LayoutShape shapeFor(int object) const;
  void writeShapesBack();

  Project& m_project;
  std::string m_view;
  bool m_background;
  bool m_active = false;
  std::vector<Placed> m_placed;  // per object while active
  std::vector<LayoutShape> m_shapes;
  LayoutMode m_mode = LayoutMode::None;
  int m_pressX = 0, m_pressY = 0, m_lastX = 0, m_lastY = 0;
  SwitchAction m_action = SwitchAction::None;
  int m_sensor = -1;  // the object whose program the pending switch action writes into
  bool m_listShown = false;
};

// Whether an object's type is still undefined: such objects get no shape and are not offered.
bool hasUndefinedType(const TPSObj& object);

// The two lines a switch action inserts into the sensor's program: a block of one statement,
// put before the first line no assistant wrote, so earlier blocks stay on top. Sets ExtActiv.
void insertSwitchStatement(TPSObj& sensor, std::string_view targetName, SwitchAction action);

ShapeMenu shapeMenuOf(const TPSObj& object);

// The sensor menu's condition items ("wenn ein..", "wenn aus..") and what they start.
struct SensorConditionItems {
  bool visible = false;  // two states and no generated line yet
  std::string firstCaption = "wenn ein..", secondCaption = "wenn aus..";
};
SensorConditionItems sensorConditionItems(const TPSObj& object);

// How the action assistant opens: item 0 "&Funktionen festlegen", 1 and 2 the condition items.
struct ActionAssistantStart {
  std::string condition;  // empty: without a condition
  std::string heading;
};
ActionAssistantStart actionAssistantStart(const TPSObj& object, int item);

// "&Schaltzeiten" on an actor: the dialog's caption and whether it runs in shutter mode.
struct SwitchingTimesStart {
  std::string caption;
  bool shutter = false;
};
SwitchingTimesStart switchingTimesStart(const TPSObj& object);

inline constexpr std::string_view kNoViewToEdit =
    "Erstellen Sie zuerst eine Ansicht, dr\xFC" "cken Sie dazu den Knopf [ Neu ]";

// Before the layout editor opens: the symbol compile that sets every object's hardware role
// (which the shape menus go by), and the view to open, which becomes the selected one: the
// requested view, else the first; -1 with kNoViewToEdit when the project has no views.
int prepareLayoutEditing(Workspace& workspace, UserInterface& ui, int requestedView);

// The window caption for a view.
std::string layoutCaption(std::string_view viewName);

}  // namespace kelvaro
