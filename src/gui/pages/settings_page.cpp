// The page "Einstellungen": its controls and their commands.
#include "pages/settings_page.h"

namespace kelvaro::gui {

SettingsPage::SettingsPage(MainContext& context, QWidget* parent) : MainPage(context, parent) {}

}  // namespace kelvaro::gui
