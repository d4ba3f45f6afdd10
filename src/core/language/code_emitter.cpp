// Token strings → code bytes.
#include "language/code_emitter.h"

#include "language/token.h"

namespace kelvaro {

int fiveDigits(std::string_view text, std::size_t at) {
  if (at + 5 > text.size()) return -1;
  int value = 0;
  for (std::size_t i = at; i < at + 5; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

CodeEmitter::CodeEmitter(CompileMode mode, SymbolList& symbols, std::vector<std::uint8_t>& code,
                         std::span<const std::uint16_t> symbolAddresses)
    : m_mode(mode), m_symbols(symbols), m_code(code), m_symbolAddresses(symbolAddresses) {}

bool CodeEmitter::put(std::uint8_t byte) {
  if (m_position < 0 || static_cast<std::size_t>(m_position) >= m_code.size()) return false;
  m_code[static_cast<std::size_t>(m_position++)] = byte;
  return true;
}

bool CodeEmitter::putWord(int value, bool highFirst) {
  const auto low = static_cast<std::uint8_t>(value & 0xFF);
  const auto high = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  return highFirst ? put(high) && put(low) : put(low) && put(high);
}

void CodeEmitter::noteType(int number) {
  if (number >= kFirstSystemValue) {
    const char letter = systemValueRow(number).typeLetter;
    m_lastType = letter == '-' ? std::string() : std::string(1, letter);
    return;
  }
  Symbol& symbol = m_symbols[static_cast<std::size_t>(number)];
  if (symbol.key == kConstantKey && std::holds_alternative<TVarStr>(symbol.value)) {
    if (!m_typing || m_lastType.empty()) return;
    std::string letter = m_lastType;
    if (letter == "?") {
      const auto& text = std::get<TVarStr>(symbol.value).Value;
      const bool colon = text.find(':') != std::string::npos, point = text.find('.') != std::string::npos;
      letter = colon && point ? "T" : colon ? "Z" : point ? "D" : "?";
    }
    symbol.literalType = letter;
    return;
  }
  std::visit(
      [this](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, TVarInt>) m_lastType = "I";
        else if constexpr (std::is_same_v<T, TVarReal>) m_lastType = "R";
        else if constexpr (std::is_same_v<T, TVarTime>) m_lastType = v.TypeName;
        else if constexpr (std::is_same_v<T, TVarUser>) m_lastType = v.TypeName;
        else m_lastType.clear();
      },
      symbol.value);
}

int CodeEmitter::emitReference(std::string_view tokens, std::size_t at) {
  const int number = fiveDigits(tokens, at + 1);
  if (number < 0) return kErrSyntax;
  const bool image = m_mode == CompileMode::Image;
  bool ok = put(static_cast<std::uint8_t>(tok::kSymbolRef));
  if (static_cast<std::size_t>(number) < m_symbols.size()) {
    const int value = image && static_cast<std::size_t>(number) < m_symbolAddresses.size()
                          ? m_symbolAddresses[static_cast<std::size_t>(number)]
                          : number;
    ok = ok && putWord(value, image);
  } else if (number >= kFirstSystemValue && number <= kLastSystemValue) {
    int value = number;
    if (image) {
      value = number - 16384;
      if (value == 13) value = 15;  // the unit knows the clock time only as UHRZEIT5
    }
    ok = ok && putWord(value, image);
  } else {
    return kErrSyntax;
  }
  if (!ok) return kErrOverflow;
  noteType(number);
  return 0;
}

int CodeEmitter::emitLine(std::string_view tokens) {
  m_lastType.clear();
  m_typing = true;
  std::size_t i = 0;
  while (i < tokens.size()) {
    const char c = tokens[i];
    if (c == tok::kSymbolRef) {
      if (const int error = emitReference(tokens, i)) return error;
      i += 6;
      continue;
    }
    if (c == tok::kObjectRef) {
      const int index = fiveDigits(tokens, i + 1);
      if (index < 0) return kErrSyntax;
      if (!put(tok::kObjectRef)) return kErrOverflow;
      m_objectReferences.push_back(m_position);
      if (!putWord(index, false)) return kErrOverflow;
      i += 6;
      continue;
    }
    if (c == tok::kStatement && i + 1 < tokens.size()) {
      const char op = tokens[i + 1];
      if (!put(static_cast<std::uint8_t>(c)) || !put(static_cast<std::uint8_t>(op))) return kErrOverflow;
      i += 2;
      if (op == tok::kIf) {
        for (int k = 0; k < 4; ++k)
          if (!put(tok::kPlaceholder)) return kErrOverflow;
      } else if (op == tok::kGoto) {
        const int line = fiveDigits(tokens, i);
        if (line < 0) return kErrSyntax;
        if (!putWord(line, false)) return kErrOverflow;
        i += 5;
      } else if (m_mode == CompileMode::Image) {
        const TokenRow* row = statementRow(op);
        if (row && row->pcOnly) return 0;  // the control unit does not get the arguments
      }
      continue;
    }
    if (c == tok::kFunction && i + 1 < tokens.size() && tokens[i + 1] == tok::kArithmetic) m_typing = false;
    if (!put(static_cast<std::uint8_t>(c))) return kErrOverflow;
    ++i;
  }
  return 0;
}

}  // namespace kelvaro
