// What the main window shares with its pages and dialogs: the workspace, the user
// interface and the hooks by which one part of the window asks another to act.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "app/editor_request.h"
#include "app/execution_request.h"
#include "ui/user_interface.h"
#include "app/workspace.h"
#include "runtime/hardware_exchange.h"

namespace kelvaro::gui {

struct UnitLine;

struct MainContext {
  MainContext(Workspace& workspace_, UserInterface& ui_) : workspace(workspace_), ui(ui_) {}

  Workspace& workspace;
  UserInterface& ui;

  // The project was replaced or read: every page shows it anew.
  std::function<void()> projectChanged;
  // Opens the help window on a topic ("seitobj", "Inhalt" ...).
  std::function<void(const QString& topic)> showHelp;
  // Opens the object editor modally; true when it was closed with OK.
  std::function<bool(const EditorRequest& request)> editObject;
  // The main timer (autostart, modem polling) stops while a modal editor or a run is open.
  std::function<void(bool running)> setMainTimer;
  // The starts that tool bar, menu and the page "Objekte" share: "PC - Ausführung" and
  // "Visualisierung" (set by the page "Objekte").
  std::function<void()> runOnPc;
  std::function<void()> visualise;
  // Opens the layout editor on the view with this index (set by the layout editor's module).
  // Unset: "Ansicht bearbeiten" says that the editor is not there yet.
  std::function<void(int view)> editViewLayout;
  // Opens the execution window ("Ausführung") modally; set by the execution window's module.
  // Returns the object editor to open when the run ended with a run-time error. Unset: the
  // starts end after their checks with an information box.
  std::function<std::optional<EditorRequest>(ExecutionRequest& request)> openExecutionWindow;
  // Checks the attached control unit before a start (CheckUnit with this mode, reporting its
  // own failures) and puts what it identified into workspace.unit; true when the start may
  // go on. Set by whoever holds the serial line; unset, the starts use the last identification.
  std::function<bool(int mode)> checkUnit;
  // Opens the line to the unit checked last for a run that has the hardware, and keeps it open
  // until the link is released, when the window closes; meanwhile no other command takes the
  // line. Null when the line cannot be opened or is busy. Set by whoever holds the line.
  std::function<std::shared_ptr<StationLink>()> openRunLine;
  // Opens the line to the unit for a dialog that holds it while open (station configuration
  // and test, radio interface), its messages and status through ui; the line is released when
  // the result is destroyed. Null when another command holds the line. Set by the page
  // "Steuereinheit".
  std::function<std::unique_ptr<UnitLine>(UserInterface& ui)> openUnitLine;
};

}  // namespace kelvaro::gui
