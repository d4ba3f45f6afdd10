// The printed lists: what the object list and the module list say, line by line, and where
// each line lands on which page. The painter (Qt) only measures and draws; every rule about
// content, margins and page breaks lives here, where a fixed-width measure can test it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/project.h"

namespace kelvaro {

enum class PrintKind { Objects, Modules };  // "Objektdefinitionen" / "Hardware"

// The choices of the dialog "Drucken".
struct PrintChoice {
  PrintKind kind = PrintKind::Objects;
  bool definitions = true;  // "Allgemeine Definitionen"
  bool program = true;      // "Steuerungsprogramm"
  bool hardware = true;     // "Hardware zum Objekt"
  // "nur markierten Eintrag": the name of the selected object or station; empty for all.
  std::string only;
};

enum class PrintStyle { Plain, BoldUnderlined, Large };  // Large: font size + 2, bold

enum class PrintItemKind {
  Text,          // one line of text, then the next line
  Rule,          // a horizontal rule, then the next line
  Title,         // the list's title in the large font
  EntryStart,    // a new object or station: it begins on a new page unless six lines are left
};

struct PrintItem {
  PrintItemKind kind = PrintItemKind::Text;
  PrintStyle style = PrintStyle::Plain;
  std::string text;  // Windows-1252
  int penWidth = 1;  // rules: 1 thin (to half the page width), 2 after a header, 8 after an entry

  bool operator==(const PrintItem&) const = default;
};

// The items of the chosen list, in order. "only" naming no object or station gives the title
// alone.
std::vector<PrintItem> printItems(const Project& project, const PrintChoice& choice);

// The items as text, one per line, for tests and the CLI's --text: "T " title, "L " large,
// "B " bold and underlined, "  " plain, "--- n" a rule of pen width n, "== new entry".
std::string printItemsText(const std::vector<PrintItem>& items);

// What the page layout needs to know of the font and the page, in device units.
class PrintMeasure {
 public:
  virtual ~PrintMeasure() = default;
  // Width of a text in the normal print font.
  virtual double textWidth(const std::string& text) const = 0;
  // Height of a line: the height of "W" in the normal print font.
  virtual double lineHeight() const = 0;
  virtual double pageWidth() const = 0;
  virtual double pageHeight() const = 0;
};

struct PlacedItem {
  PrintItemKind kind = PrintItemKind::Text;  // Text, Rule or Title
  PrintStyle style = PrintStyle::Plain;
  std::string text;
  double x = 0;   // text: left edge; rule: start
  double y = 0;   // text: top of the line; rule: its height on the page
  double x2 = 0;  // rule: end
  int penWidth = 1;
};

using PrintPage = std::vector<PlacedItem>;

// Places the items on pages. Left margin X = 10 × the width of "W", line height H = the height
// of "W"; every page starts at Y = 1. After a line Y grows by H, and when Y is then beyond the
// page height − 2 × H the next line goes to a new page. An entry starts on a new page when Y is
// beyond the page height − 6 × H. The thin rule ends at half the page width, the thick ones
// at the right margin (as wide as the left one).
std::vector<PrintPage> layoutPages(const std::vector<PrintItem>& items, const PrintMeasure& measure);

}  // namespace kelvaro
