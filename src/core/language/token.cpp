// Look-ups in the token table by byte, and the token text of a row.
#include "language/token.h"

namespace kelvaro {
namespace {

// Row index + 1 of each byte of one kind; 0 where the byte is no token of that kind.
template <TokenKind Kind>
constexpr std::array<std::uint8_t, 256> indexOf() {
  std::array<std::uint8_t, 256> index{};
  for (std::size_t i = 0; i < kTokenTable.size(); ++i)
    if (kTokenTable[i].kind == Kind) index[kTokenTable[i].byte] = static_cast<std::uint8_t>(i + 1);
  return index;
}
static_assert(kTokenTable.size() < 255);

constexpr auto kStatementIndex = indexOf<TokenKind::Statement>();

const TokenRow* rowAt(std::uint8_t slot) { return slot == 0 ? nullptr : &kTokenTable[slot - 1u]; }

}  // namespace

const TokenRow* statementRow(std::uint8_t operation) { return rowAt(kStatementIndex[operation]); }

std::string tokenText(const TokenRow& row) {
  std::string text;
  switch (row.kind) {
    case TokenKind::Statement: text = {tok::kStatement.ch(), static_cast<char>(row.byte)}; break;
    case TokenKind::ConditionFunction: text = {tok::kFunction.ch(), static_cast<char>(row.byte)}; break;
    case TokenKind::SystemValue: text = tok::kSymbolRef.ch() + std::to_string(row.number); break;
    default: text = std::string(1, static_cast<char>(row.byte)); break;
  }
  if (row.operand == Operand::ElseJump) text.append(3, tok::kPlaceholder.ch());
  return text;
}

}  // namespace kelvaro
