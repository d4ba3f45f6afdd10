// The view layout editor's rules.
#include "app/layout_editor.h"

#include <algorithm>

#include "assistants/assistant_block.h"
#include "language/compiler.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

constexpr int kSlots = 3;

bool onView(const TPlan& plan, std::string_view view) {
  return !plan.ViewName.empty() && equalsNoCase(plan.ViewName, view);
}

std::string_view switchWord(SwitchAction action) {
  switch (action) {
    case SwitchAction::On: return " EINSCHALTEN";
    case SwitchAction::Off: return " AUSSCHALTEN";
    case SwitchAction::Toggle: return " UMSCHALTEN";
    case SwitchAction::None: break;
  }
  return {};
}

}  // namespace

bool hasUndefinedType(const TPSObj& object) { return object.Typ == kUntypedObjectType || object.Typ == "(Undefiniert)"; }

LayoutEditor::LayoutEditor(Project& project, std::string viewName, bool background)
    : m_project(project), m_view(std::move(viewName)), m_background(background) {}

LayoutShape LayoutEditor::shapeFor(int object) const {
  // shape for object: its placement, opened at least 10 x 10
  const TPSObj& o = m_project.objects[static_cast<std::size_t>(object)];
  LayoutShape shape;
  shape.object = object;
  shape.rect = m_placed[static_cast<std::size_t>(object)].rect;
  shape.rect.width = std::max(shape.rect.width, kShapeOpenMinSize);
  shape.rect.height = std::max(shape.rect.height, kShapeOpenMinSize);
  if (o.OKind == kKindUser && m_background) {
    shape.sizable = o.Stretch;
    if (!o.stateBitmaps.empty() && o.stateBitmaps.front().bitmap) shape.bitmap = o.stateBitmaps.front().bitmap;
  }
  return shape;
}

void LayoutEditor::activate() {
  // activate: the first slot naming this view, for every object
  m_placed.assign(m_project.objects.size(), Placed{});
  m_shapes.clear();
  for (std::size_t i = 0; i < m_project.objects.size(); ++i) {
    const auto& plans = m_project.objects[i].plans;
    for (int s = 0; s < kSlots; ++s) {
      const TPlan& plan = plans[static_cast<std::size_t>(s)];
      if (!onView(plan, m_view)) continue;
      m_placed[i] = {true, s, {plan.Left, plan.Top, plan.Width, plan.Height}};
      break;
    }
  }
  for (std::size_t i = 0; i < m_project.objects.size(); ++i)
    if (m_placed[i].shown && !hasUndefinedType(m_project.objects[i])) m_shapes.push_back(shapeFor(static_cast<int>(i)));
  m_active = true;
}

void LayoutEditor::writeShapesBack() {
  for (const auto& shape : m_shapes) m_placed[static_cast<std::size_t>(shape.object)].rect = shape.rect;
}

void LayoutEditor::deactivate() {
  // deactivate: shapes into the objects, objects into their slots
  if (!m_active) return;
  writeShapesBack();
  m_shapes.clear();
  for (std::size_t i = 0; i < m_placed.size() && i < m_project.objects.size(); ++i) {
    const Placed& p = m_placed[i];
    if (!p.shown) continue;
    TPlan& plan = m_project.objects[i].plans[static_cast<std::size_t>(p.slot)];
    const LayoutRect stored{plan.Left, plan.Top, plan.Width, plan.Height};
    if (stored == p.rect) continue;
    plan.Left = p.rect.left;
    plan.Top = p.rect.top;
    plan.Width = p.rect.width;
    plan.Height = p.rect.height;
    m_project.modified = true;
  }
  m_placed.clear();
  m_active = false;
  m_mode = LayoutMode::None;
  m_action = SwitchAction::None;
  m_sensor = -1;
}

void LayoutEditor::runOutside(const std::function<void()>& otherWindow) {
  // The other window sees and may change the model, and the object list with it.
  const bool wasActive = m_active;
  deactivate();
  otherWindow();
  if (wasActive) activate();
}

void LayoutEditor::switchView(std::string viewName, bool background) {
  const bool wasActive = m_active;
  deactivate();
  m_view = std::move(viewName);
  m_background = background;
  m_listShown = false;
  if (wasActive) activate();
}

int LayoutEditor::shapeOf(int object) const {
  for (std::size_t s = 0; s < m_shapes.size(); ++s)
    if (m_shapes[s].object == object) return static_cast<int>(s);
  return -1;
}

void LayoutEditor::backgroundPress(int x, int y) {
  // background press: start a rubber band, or align the marked shapes to the press
  m_pressX = m_lastX = x;
  m_pressY = m_lastY = y;
  switch (m_mode) {
    case LayoutMode::None: m_mode = LayoutMode::RubberBand; break;
    case LayoutMode::AlignLeft:
      for (auto& s : m_shapes)
        if (s.marked) s.rect.left = x;
      break;
    case LayoutMode::AlignTop:
      for (auto& s : m_shapes)
        if (s.marked) s.rect.top = y;
      break;
    case LayoutMode::RubberBand:
    case LayoutMode::Move: break;
  }
}

void LayoutEditor::backgroundMove(int x, int y, bool leftHeld) {
  if (m_mode == LayoutMode::Move && leftHeld) {
    for (auto& s : m_shapes) {
      if (!s.marked) continue;
      s.rect.left += x - m_lastX;
      s.rect.top += y - m_lastY;
    }
  }
  m_lastX = x;
  m_lastY = y;
}

std::optional<LayoutRect> LayoutEditor::rubberBand() const {
  if (m_mode != LayoutMode::RubberBand) return std::nullopt;
  return LayoutRect{std::min(m_pressX, m_lastX), std::min(m_pressY, m_lastY), std::abs(m_lastX - m_pressX),
                    std::abs(m_lastY - m_pressY)};
}

void LayoutEditor::backgroundRelease(int x, int y) {
  // rubber band release: mark every shape whose top-left corner lies strictly inside
  if (m_mode != LayoutMode::RubberBand) return;
  m_lastX = x;
  m_lastY = y;
  const LayoutRect band = *rubberBand();
  for (auto& s : m_shapes)
    if (s.rect.left > band.left && s.rect.left < band.left + band.width && s.rect.top > band.top &&
        s.rect.top < band.top + band.height)
      s.marked = true;
  m_mode = LayoutMode::None;
}

ShapePress LayoutEditor::shapePress(int shape, bool ctrl, bool shift) {
  if (shape < 0 || static_cast<std::size_t>(shape) >= m_shapes.size()) return ShapePress::Drag;
  if (ctrl) {
    m_shapes[static_cast<std::size_t>(shape)].marked = !m_shapes[static_cast<std::size_t>(shape)].marked;
    return ShapePress::MarkToggled;
  }
  if (shift) return ShapePress::EditObject;
  if (m_action == SwitchAction::None || m_sensor < 0) return ShapePress::Drag;
  const TPSObj& target = m_project.objects[static_cast<std::size_t>(m_shapes[static_cast<std::size_t>(shape)].object)];
  insertSwitchStatement(m_project.objects[static_cast<std::size_t>(m_sensor)], target.Name, m_action);
  m_project.modified = true;
  m_action = SwitchAction::None;
  m_sensor = -1;
  return ShapePress::SwitchWritten;
}

void LayoutEditor::shapeDragged(int shape, const LayoutRect& rect) {
  if (shape >= 0 && static_cast<std::size_t>(shape) < m_shapes.size()) m_shapes[static_cast<std::size_t>(shape)].rect = rect;
}

std::string LayoutEditor::shapeStatus(int shape) const {
  if (shape < 0 || static_cast<std::size_t>(shape) >= m_shapes.size()) return {};
  const TPSObj& o = m_project.objects[static_cast<std::size_t>(m_shapes[static_cast<std::size_t>(shape)].object)];
  std::string text = o.Name + " (" + o.OName + ")";
  if (m_action != SwitchAction::None) text += " " + std::string(switchWord(m_action));
  return text;
}

void LayoutEditor::unmarkAll() {
  for (auto& s : m_shapes) s.marked = false;
  m_mode = LayoutMode::None;
  m_action = SwitchAction::None;
  m_sensor = -1;
}

void LayoutEditor::markAll() {
  for (auto& s : m_shapes) s.marked = true;
}

void LayoutEditor::sameSize(int LayoutRect::*size) {
  int largest = kShapeOpenMinSize;
  for (const auto& s : m_shapes)
    if (s.marked) largest = std::max(largest, s.rect.*size);
  for (auto& s : m_shapes)
    if (s.marked) s.rect.*size = largest;
}

void LayoutEditor::escape() {
  m_mode = LayoutMode::None;
  m_action = SwitchAction::None;
  m_sensor = -1;
  m_listShown = false;
}

std::vector<int> LayoutEditor::offeredObjects() const {
  // object list: not on this view, a free slot, a type
  std::vector<int> offered;
  for (std::size_t i = 0; i < m_project.objects.size(); ++i) {
    const TPSObj& o = m_project.objects[i];
    if (hasUndefinedType(o)) continue;
    const bool here = std::any_of(o.plans.begin(), o.plans.end(), [&](const TPlan& p) { return onView(p, m_view); });
    const auto used = std::count_if(o.plans.begin(), o.plans.end(), [](const TPlan& p) { return !p.ViewName.empty(); });
    if (!here && used < kSlots) offered.push_back(static_cast<int>(i));
  }
  return offered;
}

bool LayoutEditor::place(int object) {
  // placing: the first free slot, at 10, 10 with 80 x 50, then the shapes anew
  const std::vector<int> offered = offeredObjects();
  if (std::find(offered.begin(), offered.end(), object) == offered.end()) return false;
  const bool wasActive = m_active;
  deactivate();
  for (TPlan& plan : m_project.objects[static_cast<std::size_t>(object)].plans) {
    if (!plan.ViewName.empty()) continue;
    plan = TPlan{};
    plan.ViewName = m_view;
    plan.Left = kNewPlacementLeft;
    plan.Top = kNewPlacementTop;
    plan.Width = kNewPlacementWidth;
    plan.Height = kNewPlacementHeight;
    break;
  }
  m_project.modified = true;
  m_listShown = false;
  if (wasActive) activate();
  return true;
}

void LayoutEditor::removeMarked() {
  // removal: the slot of this view is emptied, the object stays in the project
  std::vector<LayoutShape> kept;
  for (const auto& s : m_shapes) {
    if (!s.marked) {
      kept.push_back(s);
      continue;
    }
    Placed& p = m_placed[static_cast<std::size_t>(s.object)];
    m_project.objects[static_cast<std::size_t>(s.object)].plans[static_cast<std::size_t>(p.slot)].ViewName.clear();
    p.shown = false;
    m_project.modified = true;
  }
  m_shapes = std::move(kept);
}

void LayoutEditor::removeFromView(int shape) {
  if (shape < 0 || static_cast<std::size_t>(shape) >= m_shapes.size()) return;
  m_shapes[static_cast<std::size_t>(shape)].marked = true;
  removeMarked();
}

void LayoutEditor::startSwitchAction(int sensorShape, SwitchAction action) {
  if (sensorShape < 0 || static_cast<std::size_t>(sensorShape) >= m_shapes.size()) return;
  m_sensor = m_shapes[static_cast<std::size_t>(sensorShape)].object;
  m_action = action;
}

void insertSwitchStatement(TPSObj& sensor, std::string_view targetName, SwitchAction action) {
  // switch action: a one-statement block before the first line no assistant wrote
  auto& program = sensor.program;
  const auto at = std::find_if(program.begin(), program.end(),
                               [](const std::string& line) { return line.size() < 2 || line[1] != '&'; });
  const std::string statement = std::string(kGeneratedMarker) + std::string(targetName) + std::string(switchWord(action));
  const auto inserted = program.insert(at, statement);
  program.insert(inserted, std::string(kGeneratedMarker) + blockHeader(1));
  sensor.ExtActiv = true;
}

ShapeMenu shapeMenuOf(const TPSObj& object) {
  if (object.HdwTyp == 0) return ShapeMenu::Sensor;
  if (object.HdwTyp == 1) return ShapeMenu::Actor;
  return ShapeMenu::Other;
}

SensorConditionItems sensorConditionItems(const TPSObj& object) {
  SensorConditionItems items;
  // Once an assistant has written into the program, a second condition block would compete
  // with it, so the quick conditions are only offered on an untouched two-state sensor.
  items.visible = object.CtZust == 2 && std::none_of(object.program.begin(), object.program.end(), [](const std::string& l) {
                    return l.size() >= 2 && l[1] == '&';
                  });
  if (object.ObjTypO == 1) {
    items.firstCaption = "wenn ausgeschaltet";
    items.secondCaption = "wenn eingeschaltet";
  } else if (object.ObjTypO == 2) {
    items.firstCaption = fromUtf8("wenn geöffnet");
    items.secondCaption = "wenn geschlossen";
  }
  return items;
}

ActionAssistantStart actionAssistantStart(const TPSObj& object, int item) {
  ActionAssistantStart start;
  if (item == 1 || item == 2) {
    if (object.ObjTypO == 1) start.condition = item == 1 ? " AUSGESCHALTET " : " EINGESCHALTET ";
    if (object.ObjTypO == 2) start.condition = item == 1 ? " GEOEFFNET " : " GESCHLOSSEN ";
  }
  start.heading = start.condition.empty() ? fromUtf8("Aktion bei Betätigung von ") + object.OName
                                          : "WENN " + object.OName + " " + start.condition;
  return start;
}

SwitchingTimesStart switchingTimesStart(const TPSObj& object) {
  return {fromUtf8("Schaltzeiten für ") + object.OName, object.ObjTypO == 3};
}

int prepareLayoutEditing(Workspace& workspace, UserInterface& ui, int requestedView) {
  Project& project = workspace.project;
  if (project.views.empty()) {
    ui.showMessage({MessageKind::Error, std::string(kNoViewToEdit), MessageButtons::Ok});
    return -1;
  }
  // Only the symbols: a program with errors must not keep the user from arranging the view.
  compile(project, project.constants, CompileMode::SymbolsOnly);
  const bool valid = requestedView >= 0 && static_cast<std::size_t>(requestedView) < project.views.size();
  return workspace.app.selectedView = valid ? requestedView : 0;
}

std::string layoutCaption(std::string_view viewName) { return "Ansicht bearbeiten : " + std::string(viewName); }

}  // namespace kelvaro
