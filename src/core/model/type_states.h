// Look-ups in the type-state list ("type:state" entries). Type names compare exactly; state
// names on their first 20 characters after trailing blanks are removed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/project.h"

namespace kelvaro {

inline constexpr std::string_view kMaxStatePseudo = "*max";
inline constexpr std::size_t kStateCompareLength = 20;

// 0-based index of the state among the type's states; "*max" gives the last one; -1 if absent.
std::int32_t stateIndex(const std::vector<TypeStateEntry>& list, std::string_view type, std::string_view state);
// 1-based position of the matching entry in the whole list; the list's length when absent.
std::int32_t statePosition(const std::vector<TypeStateEntry>& list, std::string_view type, std::string_view state);
// Number of runs of equal type names up to and including the type's first entry; the
// number of runs when the type is absent.
std::int32_t typeOrdinal(const std::vector<TypeStateEntry>& list, std::string_view type);
// The state k entries after the type's first entry, if that entry still belongs to the type.
std::string stateAt(const std::vector<TypeStateEntry>& list, std::string_view type, std::int32_t k);

// The states of a type in list order.
std::vector<std::string> statesOf(const std::vector<TypeStateEntry>& list, std::string_view type);

}  // namespace kelvaro
