// The name rule for objects, states, projects and other user-named items.
#pragma once

#include <string>
#include <string_view>

namespace kelvaro {

class UserInterface;

inline constexpr std::size_t kMaxNameLength = 32;

enum class NameCheck { Valid, TooLong, Invalid };

// 1 to 32 characters, a letter first, then letters A-Z and digits only (after upper-casing).
NameCheck checkName(std::string_view name);

// Applies the rule and tells the user what is wrong; true when the name is valid.
bool validName(UserInterface& ui, std::string_view name);

// Asks for a name in the input box "Eingabe" until the entry obeys the rule. Trailing blanks
// are removed. False when the user cancels or leaves the entry empty; name keeps its value then.
bool askName(UserInterface& ui, std::string_view prompt, std::string& name);

}  // namespace kelvaro
