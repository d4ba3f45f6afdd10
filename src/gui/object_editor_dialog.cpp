// The object editor dialog as the main window opens it: binds the editor's hooks to the
// objects page's commands, so no other window needs to know about them.
#include "object_editor_dialog.h"

#include "app/object_commands.h"
#include "object_editor/obj_def_form.h"

namespace kelvaro::gui {

bool runObjectEditor(MainContext& context, const EditorRequest& request, QWidget* parent) {
  Project& project = context.workspace.project;
  if (request.object < 0 || static_cast<std::size_t>(request.object) >= project.objects.size()) return false;
  const std::size_t objectsBefore = project.objects.size();
  ObjectEditorHooks hooks;
  hooks.removeAuxiliaryObject = [&project](std::string_view statement) { kelvaro::removeAuxiliaryObject(project, statement); };
  TObjDefF dialog(context, request, std::move(hooks), parent);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  // Deleting generated statements may have removed auxiliary objects, even when cancelled.
  if (project.objects.size() != objectsBefore && context.projectChanged) context.projectChanged();
  return accepted;
}

}  // namespace kelvaro::gui
