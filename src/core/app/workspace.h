// Everything the main window holds besides its controls: the project, the settings, the
// current file and the window-level switches. The commands of the app layer work on it, so
// a test drives them without a window.
#pragma once

#include <string>
#include <vector>

#include "app/startup.h"
#include "hardware/protocol.h"
#include "model/project.h"
#include "storage/ini_file.h"

namespace kelvaro {

struct Workspace {
  Project project;
  AppState app;               // the settings and the start-up results
  IniFile ini;                // the settings file, written back at exit
  std::string workDir;        // the working directory at start
  std::string fileName;       // the current project file; empty before the first save
  UnitRecord unit;            // the attached control unit as last identified
  bool remoteMode = false;    // a remote connection is active
  bool lineLog = false;       // the serial line log is on
  bool reloadPreview = false; // the drawing program was started: reload the view preview
  bool traceMode = false;     // "&Ablaufverfolgung"
  bool writeProtocol = false; // "Protokoll schreiben": hardware traffic of a run goes to the protocol file
  std::vector<std::string> traceList;  // the objects to follow step by step

  Settings& settings() { return app.settings; }
  const Settings& settings() const { return app.settings; }
};

}  // namespace kelvaro
