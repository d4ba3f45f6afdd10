// Built from the token table, so the list offers exactly the words the translator knows.
#include "app/object_editor_keywords.h"

#include <array>
#include <string_view>

#include "language/token.h"

namespace kelvaro {
namespace {

// Rewritten words that are no token of their own (assignment and comparison forms).
constexpr std::array<std::string_view, 22> kRewrittenWords = {
    " einschalten", " ausschalten", " umschalten", " oeffnen", " schliessen", " runterfahren",
    " rauffahren", " hochfahren", " wie ", " gleichschalten ", " eingeschaltet", " ausgeschaltet",
    " geoeffnet", " geschlossen", " offen", " gedrueckt", " ist ", " ist nicht ", " gleich ",
    " ungleich ", " groesser ", " kleiner ",
};

std::string mixedCase(std::string_view keyword) {
  std::string word;
  for (char c : keyword) word += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  const std::size_t first = word.find_first_not_of('*');
  if (first != std::string::npos && word[first] >= 'a' && word[first] <= 'z') word[first] = static_cast<char>(word[first] - 'a' + 'A');
  return word;
}

}  // namespace

std::vector<std::string> statementKeywords() {
  std::vector<std::string> list;
  for (const auto& row : keywordRows()) {
    std::string word = mixedCase(row.keyword);
    switch (row.kind) {
      case TokenKind::ConditionPart:
        // Parts of a condition stand between other words and stay in lower case.
        for (char& c : word) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        word = " " + word + " ";
        break;
      case TokenKind::Statement:
        if (row.keyword == "WENN") word = "wenn ";
        else if (inParentheses(row.operand)) word += "(";
        else if (row.operand == Operand::JumpTarget) word += " ";
        break;
      case TokenKind::ConditionFunction:
        if (objectFirst(row.operand)) word += "(";
        break;
      case TokenKind::SystemValue:
        // Sun times take the date in brackets.
        if (row.keyword == "SONNENAUFGANG" || row.keyword == "SONNENUNTERGANG") word += "(";
        break;
      default:  // state values; the other kinds are no words of the list
        break;
    }
    list.push_back(word);
  }
  for (auto w : kRewrittenWords) list.emplace_back(w);
  return list;
}

}  // namespace kelvaro
