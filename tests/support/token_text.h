// Token strings and code as short readable texts: printable ASCII as it is, other bytes as [XX].
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro::test {

std::string tokenText(std::string_view bytes);
std::string codeText(const std::vector<std::uint8_t>& code, int from, int to);

}  // namespace kelvaro::test
