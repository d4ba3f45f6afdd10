// The page "Steuereinheit": its controls and their commands.
#include "pages/control_unit_page.h"

namespace kelvaro::gui {

ControlUnitPage::ControlUnitPage(MainContext& context, QWidget* parent) : MainPage(context, parent) {}

}  // namespace kelvaro::gui
