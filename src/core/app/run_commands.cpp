// The starts "PC - Ausführung" and "Visualisierung" of the main window.
#include "app/run_commands.h"

#include "ui/user_interface.h"
#include "app/workspace.h"
#include "hardware/unit_commands.h"
#include "language/errors.h"
#include "model/object_types.h"
#include "text/cp1252.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kelvaro {
namespace {

// The main timer stays stopped for the whole start and runs again on every way out, also
// after a refusal, so that autostart and modem polling never stay dead.
class TimerPause {
 public:
  explicit TimerPause(const RunHooks& hooks) : m_hooks(hooks) {
    if (m_hooks.setMainTimer) m_hooks.setMainTimer(false);
  }
  ~TimerPause() {
    if (m_hooks.setMainTimer) m_hooks.setMainTimer(true);
  }
  TimerPause(const TimerPause&) = delete;
  TimerPause& operator=(const TimerPause&) = delete;

 private:
  const RunHooks& m_hooks;
};

bool projectRunnable(const Project& project, UserInterface& ui) {
  if (project.objects.empty()) {
    showError(ui, "Keine Objekte definiert", MessageButtons::OkHelp, kHelpNoObjects);
    return false;
  }
  if (project.views.empty()) {
    showError(ui, "Keine Ansicht definiert", MessageButtons::OkHelp, kHelpNoViews);
    return false;
  }
  return true;
}

// Compiles with the constants box; on an error opens the editor at the line or says why.
bool compileProject(Workspace& workspace, UserInterface& ui, const RunHooks& hooks, CompileMode mode,
                    CompileOutput& output) {
  Project& project = workspace.project;
  output = compile(project, project.constants, mode);
  const CompileResult& result = output.result;
  if (result.code == 0) return true;
  const bool objectKnown = result.object >= 0 && static_cast<std::size_t>(result.object) < project.objects.size();
  if (result.code == kErrOverflow) {
    showError(ui, fromUtf8("Speicherüberlauf - Programm zu gross"));
  } else if (result.code > kCompileAborted && objectKnown) {
    if (hooks.editObject)
      hooks.editObject(editorRequestForCompileError(output));
    else
      showError(ui, project.objects[static_cast<std::size_t>(result.object)].Name + ": " +
                        languageErrorMessage(result.code, result.name));
  } else {
    showError(ui, std::string(kCompileAbortMessage));
  }
  return false;
}

// Drops the state bitmaps that only repeated the type's, as after every run.
void keepOwnBitmapsEverywhere(Project& project) {
  for (auto& object : project.objects) keepOwnBitmaps(object);
}

ExecutionRequest requestFor(const Workspace& workspace, CompileOutput&& compiled, bool visualisation,
                            bool hardwareControl) {
  ExecutionRequest request;
  request.compiled = std::move(compiled);
  request.visualisation = visualisation;
  request.hardwareControl = hardwareControl;
  request.writeProtocol = hardwareControl && workspace.writeProtocol;
  request.modemClosesLine = workspace.settings().MODEMINIT.find("#CLS") != std::string::npos;
  return request;
}

// Hands over to the execution window; a run-time error it reports opens the editor.
StartResult execute(Workspace& workspace, UserInterface& ui, const RunHooks& hooks, ExecutionRequest& request) {
  if (!hooks.openExecutionWindow) {
    ui.showMessage({MessageKind::Information, fromUtf8("Die Ausführung ist in dieser Version noch nicht verfügbar"),
                    MessageButtons::Ok, 0});
    return StartResult::NotAvailable;
  }
  const std::optional<EditorRequest> editor = hooks.openExecutionWindow(request);
  if (editor && hooks.editObject && editor->object >= 0 &&
      static_cast<std::size_t>(editor->object) < workspace.project.objects.size())
    hooks.editObject(*editor);
  return StartResult::Ran;
}

}  // namespace

EditorRequest editorRequestForCompileError(const CompileOutput& compiled) {
  EditorRequest request;
  const CompileResult& result = compiled.result;
  request.object = result.object;
  request.errorCode = result.code;
  request.errorPosition = result.position;
  request.errorName = result.name;
  request.page = EditorPage::Program;
  if (result.object >= 0 && static_cast<std::size_t>(result.object) < compiled.objects.size()) {
    const ObjectCode& code = compiled.objects[static_cast<std::size_t>(result.object)];
    if (code.lineMapFirst <= code.lineMapEnd && code.lineMapEnd <= compiled.lineMap.size())
      request.lineMap.assign(compiled.lineMap.begin() + static_cast<std::ptrdiff_t>(code.lineMapFirst),
                             compiled.lineMap.begin() + static_cast<std::ptrdiff_t>(code.lineMapEnd));
  }
  return request;
}

StartResult runOnPc(Workspace& workspace, UserInterface& ui, const RunHooks& hooks) {
  // run on the PC
  if (workspace.remoteMode) {
    ui.showMessage({MessageKind::Information, fromUtf8("Diese Aktion ist im Remote-Modus nicht zulässig"),
                    MessageButtons::Ok, 0});
    return StartResult::Refused;
  }
  TimerPause pause(hooks);
  workspace.unit.HardwareControl = workspace.project.Extern;
  if (!projectRunnable(workspace.project, ui)) return StartResult::Refused;

  CompileOutput compiled;
  const bool compiledOk = compileProject(workspace, ui, hooks, CompileMode::Run, compiled);
  if (!compiledOk) {
    keepOwnBitmapsEverywhere(workspace.project);
    return StartResult::CompileFailed;
  }

  const bool hardware = workspace.unit.HardwareControl;
  if (hardware) {
    // Without a check the run would drive whatever answers on the port; a unit that does not
    // answer ends the start, and the user may run without hardware control instead.
    ui.showWait(kConnectingText);
    const bool found = !hooks.checkUnit || hooks.checkUnit(workspace, kCheckUnitAsk);
    ui.closeWait();
    workspace.unit.UnitChecked = found && hooks.checkUnit != nullptr;
    if (!found) {
      keepOwnBitmapsEverywhere(workspace.project);
      return StartResult::UnitFailed;
    }
  }

  ExecutionRequest request = requestFor(workspace, std::move(compiled), false, hardware);
  const StartResult result = execute(workspace, ui, hooks, request);
  keepOwnBitmapsEverywhere(workspace.project);
  return result;
}

StartResult visualiseUnit(Workspace& workspace, UserInterface& ui, const RunHooks& hooks) {
  // visualise the control unit
  TimerPause pause(hooks);
  if (!projectRunnable(workspace.project, ui)) return StartResult::Refused;

  // The visualisation always talks to the unit, whatever the switch on the page says; the
  // switch itself keeps its setting for the next PC execution.
  if (hooks.checkUnit) {
    ui.showWait(kConnectingText);
    const bool found = hooks.checkUnit(workspace, kCheckUnitAsk);
    ui.closeWait();
    if (!found) return StartResult::UnitFailed;
  }
  if (workspace.unit.TypeCode < kFirstProgrammableUnit) {
    showError(ui, fromUtf8("Diese Funktion ist nur mit einer programmierbaren Steuereinheit möglich."),
              MessageButtons::OkHelp, kHelpNoObjects);
    return StartResult::Refused;
  }

  CompileOutput compiled;
  if (!compileProject(workspace, ui, hooks, CompileMode::SymbolsOnly, compiled)) {
    keepOwnBitmapsEverywhere(workspace.project);
    return StartResult::CompileFailed;
  }
  ExecutionRequest request = requestFor(workspace, std::move(compiled), true, true);
  if (hooks.openExecutionWindow && hooks.showMainWindow) hooks.showMainWindow(false);
  const StartResult result = execute(workspace, ui, hooks, request);
  if (hooks.openExecutionWindow && hooks.showMainWindow) hooks.showMainWindow(true);
  keepOwnBitmapsEverywhere(workspace.project);
  return result;
}

std::string scenarioFileFor(std::string_view projectFile) {
  if (projectFile.empty()) return {};
  std::filesystem::path path{std::string(projectFile)};
  path.replace_extension(".scenario");
  return path.string();
}

ScenarioFileRead readScenarioFile(std::string_view path) {
  ScenarioFileRead read;
  read.path = std::string(path);
  std::error_code ec;
  if (read.path.empty() || !std::filesystem::exists(read.path, ec)) return read;
  read.present = true;
  const std::string name = fromUtf8(read.path);
  const auto size = std::filesystem::file_size(read.path, ec);
  if (ec || !std::filesystem::is_regular_file(read.path, ec)) {
    read.error = fromUtf8("Die Szenariodatei ") + name + " kann nicht gelesen werden.";
    return read;
  }
  if (size > kMaxScenarioBytes) {
    read.error = fromUtf8("Die Szenariodatei ") + name + fromUtf8(" ist zu groß für ein Szenario.");
    return read;
  }
  std::ifstream in(read.path, std::ios::binary);
  read.text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in.is_open() || (!in && !in.eof())) {
    read.text.clear();
    read.error = fromUtf8("Die Szenariodatei ") + name + " kann nicht gelesen werden.";
  }
  return read;
}

ScenarioFileRead readScenarioBeside(std::string_view projectFile) {
  return readScenarioFile(scenarioFileFor(projectFile));
}

std::string scenarioProblemMessage(std::string_view path, std::string_view loadError) {
  // The simulator words its complaint "line N: ..."; the user reads the line in German.
  std::string detail(loadError);
  if (detail.starts_with("line ")) detail = "Zeile " + detail.substr(5);
  return fromUtf8("Die Szenariodatei ") + fromUtf8(path) + fromUtf8(" wird nicht verwendet: ") + detail +
         fromUtf8(". Die Ausführung läuft ohne ihre Geräte.");
}

}  // namespace kelvaro
