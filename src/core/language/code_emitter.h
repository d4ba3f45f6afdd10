// Emission of one line's token string into the code buffer. Mode 1 writes symbol numbers
// and object indexes low byte first; mode 2 writes data addresses high byte first.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "language/compiler.h"
#include "language/symbols.h"

namespace kelvaro {

class CodeEmitter {
 public:
  // symbolAddresses: the data address of each symbol (mode 2 only).
  CodeEmitter(CompileMode mode, SymbolList& symbols, std::vector<std::uint8_t>& code,
              std::span<const std::uint16_t> symbolAddresses = {});

  // Appends the line at the code position; 0, -20 for a malformed reference or -9999 when
  // the code buffer is full. Records the type letters of text constants.
  int emitLine(std::string_view tokens);

  int position() const { return m_position; }
  void setPosition(int position) { m_position = position; }
  // Positions of the two bytes after each "%" (mode 2: patched with table addresses).
  const std::vector<int>& objectReferences() const { return m_objectReferences; }

  bool put(std::uint8_t byte);

 private:
  bool putWord(int value, bool highFirst);
  int emitReference(std::string_view tokens, std::size_t at);
  void noteType(int number);

  CompileMode m_mode;
  SymbolList& m_symbols;
  std::vector<std::uint8_t>& m_code;
  std::span<const std::uint16_t> m_symbolAddresses;
  int m_position = 0;
  std::vector<int> m_objectReferences;
  std::string m_lastType;  // type letter of the last reference of the line
  bool m_typing = true;    // no literal is typed after the arithmetic function
};

// Five digits at the given place as a number; -1 when they are not five digits.
int fiveDigits(std::string_view text, std::size_t at);

}  // namespace kelvaro
