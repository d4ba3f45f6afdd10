// One colour per colour name, in the order of kColorNames.
#include "run/run_colors.h"

#include <array>

#include "model/colors.h"

namespace kelvaro::gui {

QColor colourOfIndex(int index) {
  // Weiß, Schwarz, Blau, Rot, Gelb, Grün, Hellgrau, Grau, Silber, Hellblau, Hellgrün, Pink.
  static const std::array<QRgb, 12> kRgb = {0xFFFFFF, 0x000000, 0x0000FF, 0xFF0000, 0xFFFF00, 0x008000,
                                            0xD3D3D3, 0x808080, 0xC0C0C0, 0x00FFFF, 0x00FF00, 0xFF00FF};
  static_assert(kRgb.size() == kColorNames.size());
  if (index < 0 || static_cast<std::size_t>(index) >= kRgb.size()) return {};
  return QColor::fromRgb(kRgb[static_cast<std::size_t>(index)]);
}

}  // namespace kelvaro::gui
