// The view layout editor's rules without a window: which placements become shapes and go back,
// the object list and placing, marking and the positioning commands, removal, and the lines a
// sensor's switch action writes.
#include <gtest/gtest.h>

#include "app/layout_editor.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

TPSObj placed(const char* name, std::vector<TPlan> plans) {
  TPSObj o = test::lampObject(name);
  for (std::size_t i = 0; i < plans.size(); ++i) o.plans[i] = plans[i];
  return o;
}

TPlan at(const char* view, int left, int top, int width, int height) { return TPlan{view, left, top, width, height}; }

// "left,top,widthxheight"
std::string rectText(const LayoutRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.width) + "x" +
         std::to_string(r.height);
}

// Every shape as "Name@left,top,widthxheight" with "*" when marked.
std::string shapesText(const LayoutEditor& editor, const Project& project) {
  std::string text;
  for (const auto& s : editor.shapes())
    text += (text.empty() ? "" : " ") + project.objects[static_cast<std::size_t>(s.object)].Name + "@" +
            rectText(s.rect) + (s.marked ? "*" : "");
  return text;
}

std::string planText(const TPlan& p) { return p.ViewName + "@" + rectText({p.Left, p.Top, p.Width, p.Height}); }

TEST(LayoutEditor, ActivationPlacingAndDeactivationKeepTheModelCurrent) {
  TPSObj untyped = placed("Neu", {at("Flur", 1, 1, 30, 30)});
  untyped.Typ = std::string(kUntypedObjectType);
  Project project = test::lampProject({
      placed("Lampe", {at("Keller", 5, 5, 20, 20), at("flur", 100, 40, 4, 4)}),  // a speck, in the second slot
      placed("Voll", {at("A", 0, 0, 9, 9), at("B", 0, 0, 9, 9), at("C", 0, 0, 9, 9)}),
      placed("Frei", {at("Keller", 1, 2, 3, 4)}),
      untyped,
      placed("Tor", {}),
  });
  LayoutEditor editor(project, "Flur");
  editor.activate();
  EXPECT_EQ(shapesText(editor, project), "Lampe@100,40,10x10");  // no shape for an untyped object

  // Not offered: already here, on three other views, without a type.
  EXPECT_EQ(editor.offeredObjects(), (std::vector<int>{2, 4}));
  EXPECT_FALSE(editor.place(1));
  editor.shapeDragged(0, {120, 60, 10, 10});
  ASSERT_TRUE(editor.place(2));
  EXPECT_EQ(shapesText(editor, project), "Lampe@120,60,10x10 Frei@10,10,80x50");
  EXPECT_EQ(planText(project.objects[2].plans[1]), "Flur@10,10,80x50");

  project.modified = false;
  editor.shapeDragged(1, {30, 35, 90, 55});
  editor.deactivate();
  EXPECT_TRUE(editor.shapes().empty());
  EXPECT_EQ(planText(project.objects[0].plans[1]), "flur@120,60,10x10");
  EXPECT_EQ(planText(project.objects[0].plans[0]), "Keller@5,5,20x20");
  // On a view it is not on, the first object is offered like any other.
  EXPECT_EQ(LayoutEditor(project, "Garten").offeredObjects(), (std::vector<int>{0, 2, 4}));
  EXPECT_EQ(planText(project.objects[2].plans[1]), "Flur@30,35,90x55");
  EXPECT_EQ(planText(project.objects[3].plans[0]), "Flur@1,1,30x30");
  EXPECT_TRUE(project.modified);

  // Another window in between sees the model written back and may change it.
  editor.activate();
  editor.runOutside([&] { project.objects[0].plans[1].Left = 7; });
  EXPECT_EQ(shapesText(editor, project), "Lampe@7,60,10x10 Frei@30,35,90x55");
}

TEST(LayoutEditor, OpeningAndSwitchingViews) {
  Workspace workspace;
  test::FakeUserInterface ui;
  workspace.project = test::lampProject({placed("Lampe", {at("Keller", 5, 5, 20, 20), at("Flur", 7, 8, 30, 40)})});
  workspace.project.views.clear();
  EXPECT_EQ(prepareLayoutEditing(workspace, ui, 0), -1);
  EXPECT_EQ(ui.messageTexts(),
            (std::vector<std::string>{"Erstellen Sie zuerst eine Ansicht, drücken Sie dazu den Knopf [ Neu ]"}));
  workspace.project.views = {{"Keller", {}}, {"Flur", {}}};
  EXPECT_EQ(prepareLayoutEditing(workspace, ui, 1), 1);
  EXPECT_EQ(prepareLayoutEditing(workspace, ui, 5), 0);  // a stale index opens the first view
  EXPECT_EQ(workspace.app.selectedView, 0);
  EXPECT_EQ(layoutCaption("Keller"), "Ansicht bearbeiten : Keller");

  LayoutEditor editor(workspace.project, "Keller");
  editor.activate();
  editor.shapeDragged(0, {50, 60, 20, 20});
  editor.switchView("Flur", false);
  EXPECT_EQ(shapesText(editor, workspace.project), "Lampe@7,8,30x40");
  EXPECT_EQ(planText(workspace.project.objects[0].plans[0]), "Keller@50,60,20x20");
}

// Dragging a shape by its edges or body, from a 20,30 40x50 shape: the zone grabbed (Left, Right,
// Top, Bottom, Move) and the rectangle, "=" where the previous one is kept.
TEST(ShapeGeometry, ZonesAndDrags) {
  const auto drag = [](int x, int y, bool sizable, int dx, int dy) {
    const LayoutRect start{20, 30, 40, 50}, previous{1, 2, 3, 4};
    const ShapeZone zone = shapeZoneAt(x, y, start.width, start.height, sizable);
    const LayoutRect r = shapeDragRect(zone, start, dx, dy, previous);
    return std::string(1, "-LRTBM"[zone]) + " " + (r == previous ? "=" : rectText(r));
  };
  EXPECT_EQ(drag(2, 20, true, 10, 99), "L 30,30,30x50");
  EXPECT_EQ(drag(2, 20, true, 36, 0), "L =");  // narrower than 5
  EXPECT_EQ(drag(34, 2, true, 7, 7), "R 20,30,47x50");
  EXPECT_EQ(drag(20, 3, true, 0, -10), "T 20,20,40x60");
  EXPECT_EQ(drag(20, 44, true, 0, -80), "B 20,30,40x5");  // above the top: the least height
  EXPECT_EQ(drag(20, 43, true, -25, 4), "M -5,34,40x50");
  EXPECT_EQ(drag(2, 2, false, 3, 4), "M 23,34,40x50");  // not sizable: always moved
}

TEST(LayoutEditor, MarkingAndPositioning) {
  Project project = test::lampProject({placed("A", {at("V", 20, 20, 30, 10)}), placed("B", {at("V", 50, 80, 60, 40)}),
                                       placed("C", {at("V", 200, 200, 10, 70)})});
  LayoutEditor editor(project, "V");
  editor.activate();

  // Rubber band from the bottom right up: top-left corners strictly inside are marked.
  editor.backgroundPress(150, 150);
  editor.backgroundMove(20, 10, true);
  EXPECT_EQ(editor.rubberBand(), (LayoutRect{20, 10, 130, 140}));
  editor.backgroundRelease(20, 10);
  EXPECT_EQ(editor.mode(), LayoutMode::None);
  EXPECT_EQ(shapesText(editor, project), "A@20,20,30x10 B@50,80,60x40* C@200,200,10x70");
  EXPECT_EQ(editor.shapePress(2, true, false), ShapePress::MarkToggled);

  // "Ausrichten vertikal" keeps aligning on every press until Esc.
  editor.alignLeftEdges();
  editor.backgroundPress(40, 0);
  editor.backgroundPress(15, 0);
  EXPECT_EQ(shapesText(editor, project), "A@20,20,30x10 B@15,80,60x40* C@15,200,10x70*");
  editor.escape();
  editor.backgroundPress(5, 5);  // a rubber band again, no move
  editor.backgroundRelease(6, 6);

  editor.alignTopEdges();
  editor.backgroundPress(0, 33);
  editor.escape();
  editor.sameWidth();
  editor.sameHeight();
  EXPECT_EQ(shapesText(editor, project), "A@20,20,30x10 B@15,33,60x70* C@15,33,60x70*");

  editor.moveMarked();
  editor.backgroundPress(100, 100);
  editor.backgroundMove(110, 95, true);
  editor.backgroundMove(130, 90, false);  // button up: no move
  editor.backgroundMove(131, 92, true);
  EXPECT_EQ(shapesText(editor, project), "A@20,20,30x10 B@26,30,60x70* C@26,30,60x70*");

  editor.unmarkAll();
  EXPECT_EQ(editor.mode(), LayoutMode::None);
  editor.markAll();
  editor.removeFromView(0);  // with the other marked shapes
  EXPECT_EQ(shapesText(editor, project), "");
  EXPECT_EQ(project.objects[1].plans[0].ViewName, "");
  editor.deactivate();
  EXPECT_EQ(planText(project.objects[1].plans[0]), "@50,80,60x40");  // removed: not written back
}

TEST(LayoutEditor, SwitchActionsWriteOneStatementBlocksAtTheTop) {
  TPSObj sensor = test::lampObject("Taster", {"WENN Taster = an DANN", "ENDEWENN"});
  sensor.ExtActiv = false;
  sensor.plans[0] = at("V", 0, 0, 20, 20);
  Project project =
      test::lampProject({sensor, placed("Licht", {at("V", 50, 0, 20, 20)}), placed("Flur", {at("V", 90, 0, 20, 20)})});
  project.objects[1].OName = "Deckenlicht";
  LayoutEditor editor(project, "V");
  editor.activate();

  EXPECT_EQ(editor.shapePress(1, false, false), ShapePress::Drag);  // nothing pending
  editor.startSwitchAction(0, SwitchAction::On);
  EXPECT_EQ(editor.shapeStatus(1), "Licht (Deckenlicht)  EINSCHALTEN");
  EXPECT_EQ(editor.shapePress(1, false, false), ShapePress::SwitchWritten);
  EXPECT_EQ(editor.shapeStatus(1), "Licht (Deckenlicht)");
  editor.startSwitchAction(0, SwitchAction::Toggle);
  EXPECT_EQ(editor.shapePress(0, false, true), ShapePress::EditObject);  // Shift does not take the target
  EXPECT_EQ(editor.shapePress(2, false, false), ShapePress::SwitchWritten);
  editor.startSwitchAction(0, SwitchAction::Off);
  editor.escape();
  EXPECT_EQ(editor.shapePress(2, false, false), ShapePress::Drag);

  // Each block goes before the first line no assistant wrote, so the earlier one stays first.
  EXPECT_EQ(project.objects[0].program, (std::vector<std::string>{
                                            "-&**--/A1/--**Block mit 1 Anweisungen",
                                            "-&Licht EINSCHALTEN",
                                            "-&**--/A1/--**Block mit 1 Anweisungen",
                                            "-&Flur UMSCHALTEN",
                                            "-WENN Taster = an DANN",
                                            "-ENDEWENN",
                                        }));
  EXPECT_TRUE(project.objects[0].ExtActiv);
  EXPECT_TRUE(project.modified);
}

TEST(LayoutEditor, ShapeMenusAndTheAssistantsTheyOpen) {
  const struct {
    int line;
    int hdwTyp, states, typeClass;
    bool generated;
    const char* expected;  // menu; conditions offered; their captions; conditions of items 1 | 2; shutter times
  } kRows[] = {
      {__LINE__, 0, 2, 1, false, "S;1;wenn ausgeschaltet/wenn eingeschaltet; AUSGESCHALTET | EINGESCHALTET ;0"},
      {__LINE__, 0, 2, 2, true, "S;0;wenn geöffnet/wenn geschlossen; GEOEFFNET | GESCHLOSSEN ;0"},
      {__LINE__, 1, 2, 3, false, "A;1;wenn ein../wenn aus..;|;1"},
      {__LINE__, 4, 0, 0, false, "O;0;wenn ein../wenn aus..;|;0"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.line);
    TPSObj o = test::lampObject("K", {"EINSCHALTEN"});
    if (row.generated) o.program.push_back("-&K AUSSCHALTEN");
    o.HdwTyp = row.hdwTyp;
    o.CtZust = row.states;
    o.ObjTypO = row.typeClass;
    const SensorConditionItems items = sensorConditionItems(o);
    const std::string text = std::string(1, "SAO"[static_cast<int>(shapeMenuOf(o))]) + ";" +
                             (items.visible ? "1" : "0") + ";" + items.firstCaption + "/" + items.secondCaption + ";" +
                             actionAssistantStart(o, 1).condition + "|" + actionAssistantStart(o, 2).condition + ";" +
                             (switchingTimesStart(o).shutter ? "1" : "0");
    EXPECT_EQ(toUtf8(text), row.expected);
  }
  // The headings name the object by its display name, with the condition where an item has one.
  TPSObj sensor = test::lampObject("K");
  sensor.OName = "Knopf";
  sensor.ObjTypO = 1;
  EXPECT_EQ(toUtf8(actionAssistantStart(sensor, 0).heading + "|" + actionAssistantStart(sensor, 2).heading + "|" +
                   switchingTimesStart(sensor).caption),
            "Aktion bei Betätigung von Knopf|WENN Knopf  EINGESCHALTET |Schaltzeiten für Knopf");
}

}  // namespace
}  // namespace kelvaro
