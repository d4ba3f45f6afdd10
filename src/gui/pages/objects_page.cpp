// The page "Objekte": its controls and their commands.
#include "pages/objects_page.h"

namespace kelvaro::gui {

ObjectsPage::ObjectsPage(MainContext& context, QWidget* parent) : MainPage(context, parent) {}

}  // namespace kelvaro::gui
