// Binds the main window's "open the execution window" to TIntRunF.
#pragma once

#include <QWidget>

#include "main_context.h"

namespace kelvaro::gui {

// Sets context.openExecutionWindow: runs the request in a modal execution window over the
// workspace's project and returns the object editor to open after a run-time error.
void installExecutionWindow(MainContext& context, QWidget* mainWindow);

}  // namespace kelvaro::gui
