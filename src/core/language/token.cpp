// Look-ups in the token table by byte.
#include "language/token.h"

namespace kelvaro {
namespace {

const TokenRow* rowWithBytes(char first, char second) {
  for (const auto& row : kTokenTable)
    if (row.bytes.size() >= 2 && row.bytes[0] == first && row.bytes[1] == second) return &row;
  return nullptr;
}

}  // namespace

const TokenRow* statementRow(char operation) { return rowWithBytes(tok::kStatement, operation); }
const TokenRow* functionRow(char function) { return rowWithBytes(tok::kFunction, function); }

}  // namespace kelvaro
