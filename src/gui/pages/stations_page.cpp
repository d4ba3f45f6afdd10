// The page "E/A-Module": its controls and their commands.
#include "pages/stations_page.h"

namespace kelvaro::gui {

StationsPage::StationsPage(MainContext& context, QWidget* parent) : MainPage(context, parent) {}

}  // namespace kelvaro::gui
