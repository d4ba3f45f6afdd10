// The page "Typen": its controls and their commands.
#include "pages/types_page.h"

namespace kelvaro::gui {

TypesPage::TypesPage(MainContext& context, QWidget* parent) : MainPage(context, parent) {}

}  // namespace kelvaro::gui
