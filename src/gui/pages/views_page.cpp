// The page "Ansichten": its controls and their commands.
#include "pages/views_page.h"

namespace kelvaro::gui {

ViewsPage::ViewsPage(MainContext& context, QWidget* parent) : MainPage(context, parent) {}

}  // namespace kelvaro::gui
