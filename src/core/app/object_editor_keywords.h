// The entries of the editor's "Anweisung" list: the words of the statement language in the
// mixed case the editor inserts them, with the blanks and brackets a statement needs around them.
#pragma once

#include <string>
#include <vector>

namespace kelvaro {

// Keywords of the token table first, then the words the translator rewrites.
std::vector<std::string> statementKeywords();

}  // namespace kelvaro
