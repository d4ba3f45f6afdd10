// The screen colours of the model's colour names (gauge bars, view backgrounds).
#pragma once

#include <QColor>

namespace kelvaro::gui {

// The colour of an index in kColorNames; an invalid colour for an index outside the list.
QColor colourOfIndex(int index);

}  // namespace kelvaro::gui
