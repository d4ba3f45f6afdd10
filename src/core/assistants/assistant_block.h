#pragma once
// The block format every assistant writes: a header line "**--/A{n}/--**Block mit {n} Anweisungen"
// followed by n lines. The header starts with "**", so the compiler skips it; inside a program
// each generated line carries the marker "-&" so that the assistants find their lines again.

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

inline constexpr std::string_view kGeneratedMarker = "-&";

// Statement text a stored line can hold; a longer generated line would be cut on saving and
// compile into something else, so the assistants refuse it instead.
inline constexpr std::size_t kMaxStatementLength = 250;

// "**--/A{n}/--**Block mit {n} Anweisungen".
std::string blockHeader(int count);

// The shutter assistant's group blocks carry "RG" so that it can find and replace them:
// "**--/A{n}/RG--**Block mit {n} Anweisungen".
std::string groupBlockHeader(int count);

// The count n of a block header, or nothing when the line is no header. Only a line that starts
// with "**--/A", digits and "/" is a header: a program line that merely has an "A" in the
// right place ("WENN Aussenlicht …") is not.
std::optional<int> blockCount(std::string_view line);

// A stored program line is one an assistant wrote.
bool isGenerated(std::string_view storedLine);

}  // namespace kelvaro
