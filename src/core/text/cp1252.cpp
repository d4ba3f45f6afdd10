// Windows-1252 ↔ UTF-8 and upper case; the table covers 0x80..0x9F, the rest equals Latin-1.
#include "text/cp1252.h"

#include <array>
#include <cstdint>

namespace kelvaro {
namespace {

// Unicode code points of 0x80..0x9F; undefined bytes keep their C1 value.
constexpr std::array<char32_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t codePointOf(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return kHighTable[b - 0x80];
  return b;
}

int byteOf(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (std::size_t i = 0; i < kHighTable.size(); ++i)
    if (kHighTable[i] == cp) return static_cast<int>(0x80 + i);
  return -1;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string toUtf8(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size() + cp1252.size() / 8);
  for (char c : cp1252) appendUtf8(out, codePointOf(static_cast<unsigned char>(c)));
  return out;
}

std::string fromUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    char32_t cp = 0;
    bool ok = length != 0 && i + length <= utf8.size();
    if (ok) {
      cp = length == 1 ? lead : lead & (0x7F >> length);
      for (std::size_t k = 1; k < length; ++k) {
        const auto cont = static_cast<unsigned char>(utf8[i + k]);
        if ((cont & 0xC0) != 0x80) { ok = false; break; }
        cp = (cp << 6) | (cont & 0x3F);
      }
    }
    if (!ok) {  // skip one byte of a broken sequence
      out += '?';
      ++i;
      continue;
    }
    const int b = byteOf(cp);
    out += b < 0 ? '?' : static_cast<char>(b);
    i += length;
  }
  return out;
}

char upperChar(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<char>(b - 32);
  switch (b) {
    case 0x9A: return static_cast<char>(0x8A);  // š → Š
    case 0x9C: return static_cast<char>(0x8C);  // œ → Œ
    case 0x9E: return static_cast<char>(0x8E);  // ž → Ž
    case 0xFF: return static_cast<char>(0x9F);  // ÿ → Ÿ
    default: return c;
  }
}

std::string upperCase(std::string_view cp1252) {
  std::string out(cp1252);
  for (char& c : out) c = upperChar(c);
  return out;
}

}  // namespace kelvaro
