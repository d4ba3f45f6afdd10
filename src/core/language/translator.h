// The line translator: one program line → its token string, rewritten in a fixed order
// (constants, upper case, word rewriting, literals, keywords, operators, assignment, labels,
// names, numbers, arithmetic), each rewrite working on the result of the one before.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "language/errors.h"
#include "language/program_lines.h"
#include "language/symbols.h"
#include "model/project.h"

namespace kelvaro {

enum class Pass {
  Collect,  // unknown literals and numbers become new constants
  Resolve,  // every literal and number must already be known
};

inline constexpr int kResultStatement = 0;
inline constexpr int kResultLabel = 1;

// Stands for the first ":=" of an assignment while names and numbers are resolved, so that
// the arithmetic wrapper can find where the value starts; no program text can contain it.
inline constexpr char kAssignMarker = '\x01';

// Object names → index, ignoring case; built once per compile run.
class ObjectIndex {
 public:
  explicit ObjectIndex(const std::vector<TPSObj>& objects);
  int find(std::string_view name) const;  // -1 when absent
  std::size_t size() const { return m_count; }

 private:
  std::unordered_map<std::string, int> m_index;
  std::size_t m_count = 0;
};

struct TranslatorContext {
  const ObjectIndex& objects;
  std::string_view objectName;  // the object whose program this is
  SymbolList& symbols;
  const std::vector<std::string>& constants;
  const std::vector<Label>& labels;
  Pass pass = Pass::Resolve;
};

struct Translation {
  std::string tokens;
  int result = kResultStatement;  // 0 statement, 1 label, negative = error code
  int position = 0;               // 1-based character position of an error in the rewritten line
  std::string name;               // the unknown identifier of -11 (at most 64 characters)
};

Translation translateLine(std::string_view line, TranslatorContext& context);

// "&" or "%" and a number as five digits with leading zeros.
std::string referenceText(char prefix, int number);

}  // namespace kelvaro
