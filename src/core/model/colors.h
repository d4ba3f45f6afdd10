// The colour names whose indices the model stores (GgeCol, BackColor).
#pragma once

#include <array>
#include <string_view>

namespace kelvaro {

// In Windows-1252: "Weiß" and "Grün" carry single-byte umlauts.
inline constexpr std::array<std::string_view, 12> kColorNames = {
    "Wei\xDF", "Schwarz", "Blau", "Rot", "Gelb", "Gr\xFCn", "Hellgrau", "Grau", "Silber", "Hellblau", "Hellgr\xFCn", "Pink",
};

// Background colours of views use the first ten names.
inline constexpr std::size_t kBackColorCount = 10;

}  // namespace kelvaro
