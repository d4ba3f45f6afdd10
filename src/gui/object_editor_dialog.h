// The object editor "Objektdefinition" as the main window opens it.
#pragma once

#include <QWidget>

#include "main_context.h"

namespace kelvaro::gui {

// Opens the editor modally on request.object; true when it was closed with OK.
bool runObjectEditor(MainContext& context, const EditorRequest& request, QWidget* parent);

}  // namespace kelvaro::gui
