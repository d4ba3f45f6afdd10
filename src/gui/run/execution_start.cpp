// The execution window as the main window opens it: modal, on the system clock; the copies
// of the types' bitmaps it attached for the run are dropped again afterwards, and a run with the
// hardware holds the line to the unit while the window is open.
#include "run/execution_start.h"

#include <QWidget>

#include "app/sun_settings.h"
#include "astro/sun_times.h"
#include "model/object_types.h"
#include "run/execution_window.h"
#include "screen_fit.h"
#include "time/clock.h"

namespace kelvaro::gui {

void installExecutionWindow(MainContext& context, QWidget* mainWindow) {
  context.openExecutionWindow = [&context, mainWindow](ExecutionRequest& request) -> std::optional<EditorRequest> {
    Workspace& workspace = context.workspace;
    Project& project = workspace.project;
    ExecutionWindowOptions options;
    options.visualisation = request.visualisation;
    options.hardwareControl = request.hardwareControl;
    options.writeProtocol = request.writeProtocol;
    options.trace = workspace.traceMode && !request.visualisation;
    options.traceList = workspace.traceList;
    options.bitmapDirectory = workspace.settings().DIRBMP;
    options.projectFile = workspace.fileName;
    options.showHelp = context.showHelp;
    // SONNENAUFGANG and SONNENUNTERGANG use the ASTRO settings; unusable ones leave the defaults.
    options.engine.sun = sunSettingsFrom(workspace.settings());
    // A caller on the unit's telephone keys the access number; the modem type follows "#CLS".
    options.telephone = telephoneOptions(workspace.settings().REMOTEPW, workspace.settings().MODEMINIT);
    static const SystemClock clock;
    // A run with the hardware holds the line from its first frame to its last; the window
    // goes first, since the session's last command still goes out on the line.
    std::shared_ptr<StationLink> line;
    if ((request.hardwareControl || request.visualisation) && context.openRunLine) line = context.openRunLine();
    options.link = line.get();
    std::optional<EditorRequest> result;
    {
      TIntRunF window(project, request.compiled, clock, context.ui, std::move(options), mainWindow);
      // In the visualisation the main window steps aside while the unit's state is shown.
      const bool hideMain = request.visualisation && mainWindow != nullptr && mainWindow->isVisible();
      if (hideMain) showInPlace(mainWindow, false);
      window.exec();
      if (hideMain) showInPlace(mainWindow, true);
      result = window.editorRequest();
    }
    // The copies of the type's bitmaps belong to the run only.
    for (TPSObj& object : project.objects) keepOwnBitmaps(object);
    return result;
  };
}

}  // namespace kelvaro::gui
