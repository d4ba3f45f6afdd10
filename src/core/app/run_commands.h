// The two starts of the main window, "PC - Ausführung" and "Visualisierung": their checks,
// the compile, the unit check and the hand-over to the execution window. Everything the GUI
// supplies comes in through hooks, so a test drives a whole start without a window.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/editor_request.h"
#include "app/execution_request.h"
#include "language/compiler.h"

namespace kelvaro {

class UserInterface;
struct Workspace;

inline constexpr int kHelpNoObjects = 1001;
inline constexpr int kHelpNoViews = 1002;
// CheckUnit's mode for the starts: a unit of another type than the chosen one is questioned.
inline constexpr int kCheckUnitAsk = 1;
// Type codes from here on are control units that hold a program; below are radio interfaces.
inline constexpr int kFirstProgrammableUnit = 11;

struct RunHooks {
  // The main window's timer: stopped during a start, running again afterwards.
  std::function<void(bool running)> setMainTimer;
  // Hides the main window while the visualisation is open (false) and shows it again (true).
  std::function<void(bool visible)> showMainWindow;
  // Identifies the attached unit (CheckUnit with the given mode), fills workspace.unit and
  // reports the failure itself; true when the start may go on. Unset: no check can be made,
  // the last identification in workspace.unit stands.
  std::function<bool(Workspace& workspace, int mode)> checkUnit;
  // Opens the execution window modally; the object editor to open after a run-time error.
  // Unset: the starts end after the compile with an information box.
  std::function<std::optional<EditorRequest>(ExecutionRequest& request)> openExecutionWindow;
  // Opens the object editor at a compile or run-time error.
  std::function<bool(const EditorRequest& request)> editObject;
};

enum class StartResult {
  Refused,        // remote mode, no objects or no views, or not a programmable unit
  CompileFailed,  // the compiler reported an error
  UnitFailed,     // the control unit did not answer properly
  NotAvailable,   // no execution window in this build
  Ran,            // the execution window was open and is closed again
};

// The object editor request for a failed compile: the failing object on the page
// "Programmierung" with the error and the object's part of the line map.
EditorRequest editorRequestForCompileError(const CompileOutput& compiled);

StartResult runOnPc(Workspace& workspace, UserInterface& ui, const RunHooks& hooks);
StartResult visualiseUnit(Workspace& workspace, UserInterface& ui, const RunHooks& hooks);

// The scenario of the built-in simulated unit: the file beside the project with the same name
// and the extension ".scenario" (DEMO.SPG -> DEMO.scenario), read when a run starts against the
// simulator so that its devices behave as the installation's would.
std::string scenarioFileFor(std::string_view projectFile);
struct ScenarioFileRead {
  std::string path;
  bool present = false;  // false: no such file, the simulator runs without devices
  std::string text;
  std::string error;  // the German message when the file is there but cannot be read
};
// At most this many bytes: a scenario is a short text, a larger file is no scenario.
inline constexpr std::size_t kMaxScenarioBytes = 1 << 20;
// Reads a scenario file: not present, its text, or the German message why it cannot be read.
ScenarioFileRead readScenarioFile(std::string_view path);
ScenarioFileRead readScenarioBeside(std::string_view projectFile);
// The message for a scenario the simulator refused ("line N: ..."), naming the file and the
// line, and saying that the run goes on without it.
std::string scenarioProblemMessage(std::string_view path, std::string_view loadError);

}  // namespace kelvaro
