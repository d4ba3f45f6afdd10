// Windows-1252 is the one character set of project texts in memory; these are the only
// conversions to and from UTF-8 and the only upper-casing the program uses.
#pragma once

#include <string>
#include <string_view>

namespace kelvaro {

// Windows-1252 bytes → UTF-8. Bytes that code page leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 control of the same number, so nothing is lost.
std::string toUtf8(std::string_view cp1252);

// UTF-8 → Windows-1252. Characters the code page cannot hold, and malformed UTF-8,
// become "?" so that a text never grows or breaks the fixed-width columns of the files.
std::string fromUtf8(std::string_view utf8);

// Upper case by Windows-1252 character: a-z, the accented letters à-þ (not ÷), š, œ, ž, ÿ.
// ß has no single-byte capital and stays ß.
char upperChar(char c);
std::string upperCase(std::string_view cp1252);

}  // namespace kelvaro
