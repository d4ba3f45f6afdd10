// What the main window hands to the execution window after its checks and the compile, and
// what comes back: the object editor to open after a run-time error.
#pragma once

#include "language/compiler.h"

namespace kelvaro {

struct ExecutionRequest {
  CompileOutput compiled;        // compiled for PC execution or for visualisation
  bool visualisation = false;    // "Visualisierung" of the control unit instead of "PC - Ausführung"
  bool hardwareControl = false;  // "Hardware-Steuerung übernehmen"
  bool writeProtocol = false;    // "Protokoll schreiben"
  bool modemClosesLine = false;  // the modem initialisation string contains "#CLS"
};

}  // namespace kelvaro
