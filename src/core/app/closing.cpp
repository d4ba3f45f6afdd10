// The exit command, the close query and the shut-down of the main window.
#include "app/closing.h"

#include "ui/user_interface.h"
#include "text/cp1252.h"

namespace kelvaro {

std::string unsavedChangesWarning() {
  return fromUtf8("Die letzten Änderungen wurden noch nicht gesichert.\rSoll trotzdem beendet werden ?");
}

bool exitCommand(const Project& project, UserInterface& ui, const std::function<void()>& saveAs) {
  if (!project.modified) return false;
  const MessageAnswer answer =
      ui.showMessage({MessageKind::Question, std::string(kExitSaveQuestion), MessageButtons::YesNo});
  if (answer != MessageAnswer::Yes) return false;
  if (saveAs) saveAs();
  return true;
}

bool closeQuery(const Project& project, UserInterface& ui) {
  if (!project.modified) return true;
  return ui.showMessage(destructiveQuestion(unsavedChangesWarning())) == MessageAnswer::Yes;
}

bool shutDown(Project& project, const Settings& settings, IniFile& ini, UserInterface& ui) {
  clearProject(project);
  return saveChangedSettings(settings, ini, ui);
}

}  // namespace kelvaro
