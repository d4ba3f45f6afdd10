// The symbol list of a compile run: every variable, object state and literal constant of the
// project with its number (its position). Literal constants carry the key "Konst".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/project.h"
#include "model/variables.h"

namespace kelvaro {

inline constexpr std::string_view kConstantKey = "Konst";
inline constexpr std::size_t kMaxSymbols = 4097;

struct Symbol {
  std::string key;  // "OBJECT.VARIABLE" in upper case, or "Konst"
  VariableDescriptor value;
  std::string literalType;  // type letter given to a text constant by the emission; empty = none
};

class SymbolList {
 public:
  std::size_t size() const { return m_symbols.size(); }
  bool full() const { return m_symbols.size() >= kMaxSymbols; }
  const Symbol& operator[](std::size_t n) const { return m_symbols[n]; }
  Symbol& operator[](std::size_t n) { return m_symbols[n]; }
  const std::vector<Symbol>& all() const { return m_symbols; }

  // The first symbol with this key, ignoring case; -1 when absent.
  int find(std::string_view key) const;
  // The "Konst" text symbol holding exactly this text, or the "Konst" integer of this value.
  int findText(std::string_view text) const;
  int findInteger(std::int32_t value) const;

  // Appends a symbol and returns its number; -1 when the list is full.
  int append(std::string key, VariableDescriptor value);

  void clear();

 private:
  std::vector<Symbol> m_symbols;
  std::unordered_map<std::string, int> m_byKey;  // upper-case key → first number
  std::unordered_map<std::string, int> m_texts;
  std::unordered_map<std::int32_t, int> m_integers;
};

// Creates the symbol of a variable (object, name, type name, start text). Nothing when
// no symbol is made ("*INIT"); -1 when the list is full; -2 when a time start value does not read.
int createVariable(SymbolList& symbols, const std::vector<TypeStateEntry>& typeStates, std::string_view object,
                   std::string_view name, std::string_view type, std::string_view start);
inline constexpr int kSymbolListFull = -1;
inline constexpr int kBadTimeValue = -2;
inline constexpr int kNoSymbol = -3;

// The kind names used in dumps: "Int", "Real", "Str", "Time", "User".
std::string_view symbolKindName(const VariableDescriptor& value);

}  // namespace kelvaro
