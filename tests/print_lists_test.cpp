// The printed lists: whole item sequences of both lists, and where the page layout breaks.
#include "app/print_lists.h"

#include <gtest/gtest.h>

#include "app/station_layout.h"
#include "hardware/station_config.h"
#include "support/project_builder.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

// Every letter 1 unit wide, lines 10 high: X = 10, H = 10.
class FixedMeasure : public PrintMeasure {
 public:
  explicit FixedMeasure(double height) : m_height(height) {}
  double textWidth(const std::string& text) const override { return static_cast<double>(text.size()); }
  double lineHeight() const override { return 10; }
  double pageWidth() const override { return 200; }
  double pageHeight() const override { return m_height; }

 private:
  double m_height;
};

Project printProject() {
  TPSContr wired = createStation("Flur");
  setStationType(wired, *stationType(2));
  wired.CPAdr[0] = 12;
  wired.slots[4].CNam = "FlurLicht";
  wired.slots[4].CFkt = 2;
  wired.slots[4].adr[0] = 5;
  wired.slots[4].CCon = 3;
  wired.slots[0].CNam = "FlurTaste";
  wired.slots[0].CFkt = 1;
  TPSContr radio = test::deviceStation("Funk", "FS20 Schaltaktor", 4, 2);

  TPSObj lamp = test::lampObject("Licht", {"WENN Licht = an", "DANN Funk EINSCHALTEN"});
  lamp.program.push_back("-&ENDEWENN");
  lamp.OName = "Flurlicht";
  lamp.ACode = 2;
  lamp.plans[0].ViewName = "Haus";
  lamp.plans[2].ViewName = "Keller";
  lamp.Activ = false;
  lamp.visible = false;
  lamp.Beep = true;
  lamp.AutoSize = false;
  lamp.Stretch = true;
  lamp.SpecSt = true;
  lamp.VoiceContr = "Licht an";
  lamp.Group = "Unten";
  lamp.ObjIDNr = 9999;
  lamp.SndDev = "FlurLicht";
  lamp.RcvDev = "Funk";

  TPSObj idle = test::lampObject("Leer");  // no program lines, a number the compiler gave
  idle.OName = "Leer";
  idle.InputExec = false;
  idle.ExtActiv = false;
  idle.ObjIDNr = 10000;
  idle.SndDev = "FlurTaste";  // an input channel used as output: the list shows what is stored

  Project project = test::lampProject({lamp, idle});
  project.stations = {wired, radio};
  return project;
}

TEST(PrintListsTest, ObjectListHasEveryLineOfEachChosenSection) {
  const Project project = printProject();
  EXPECT_EQ(toUtf8(printItemsText(printItems(project, {}))),
            "T Liste Objekte\n"
            "== new entry\n"
            "L Objekt: Licht   Flurlicht\n"
            "L Typ: Lampe\n"
            "--- 2\n"
            "B Definitionen:\n"
            "  Darstellung in Ansicht Haus, Keller\n"
            "  Deaktiviert beim Start\n"
            "  Unsichtbar beim Start\n"
            "  Ton beim Umschalten\n"
            "  Ausführung bei Bildschirmeingabe\n"
            "  Keine Schriftgrössenanpassung bei Panel-Ausgabe\n"
            "  Grössenanpassung Bitmap aktiviert\n"
            "  In Aktionsmenü aktiviert\n"
            "  Text für Aktionsmenü (Sprachsteuerung): Licht an\n"
            "  Programmausführung bei Hardwareeingabe aktiviert\n"
            "  Offline Schaltgruppe : Unten\n"
            "  Nummer für Telefon-Fernsteuerung : 9999\n"
            "--- 1\n"
            "B Objektprogramm wird alle 5 Sekunden aktiviert\n"
            "  WENN Licht = an\n"
            "  DANN Funk EINSCHALTEN\n"
            "  &ENDEWENN\n"
            "--- 1\n"
            "  Zugewiesene Hardware für Licht\n"
            "  Ausgabe : \n"
            "  Flur Adresse 12 Anschluss 5\n"
            "  Eingabe : Funk Adresse 11131113-1113 Anschluss 1\n"
            "  \n"
            "  \n"
            "  \n"
            "--- 8\n"
            "== new entry\n"
            "L Objekt: Leer   Leer\n"
            "L Typ: Lampe\n"
            "--- 2\n"
            "B Definitionen:\n"
            "--- 1\n"
            "  Zugewiesene Hardware für Leer\n"
            "  Ausgabe : \n"
            "  Flur Adresse 12 Anschluss 1\n"
            "  \n"
            "  \n"
            "  \n"
            "--- 8\n");
}

TEST(PrintListsTest, ObjectListLeavesOutUntickedSectionsAndOtherObjects) {
  const Project project = printProject();
  PrintChoice choice;
  choice.definitions = false;
  choice.hardware = false;
  choice.only = "licht";
  EXPECT_EQ(printItemsText(printItems(project, choice)),
            "T Liste Objekte\n== new entry\nL Objekt: Licht   Flurlicht\nL Typ: Lampe\n--- 2\n--- 1\n"
            "B Objektprogramm wird alle 5 Sekunden aktiviert\n  WENN Licht = an\n  DANN Funk EINSCHALTEN\n"
            "  &ENDEWENN\n  \n  \n--- 8\n");
}

TEST(PrintListsTest, ModuleListShowsChannelsOfflineGroupsAndConnectedObjects) {
  const Project project = printProject();
  PrintChoice choice;
  choice.kind = PrintKind::Modules;
  EXPECT_EQ(printItemsText(printItems(project, choice)),
            "T Liste Module\n"
            "== new entry\n"
            "L Signalstation Flur des Typs MXB2\n"
            "L Adresse 12\n"
            "--- 2\n"
            "  Modul 1: Eingabe an Anschluss 1 als Taster\n"
            "  Modul 5: Ausgabe an Anschluss 5 als Offline-Umschalter verbunden mit Objekt Licht\n"
            "     Offline-Adresse: 5   Offline-Anschluss: 3\n"
            "  \n  \n--- 8\n"
            "== new entry\n"
            "L Signalstation Funk des Typs FS20 Schaltaktor\n"
            "L Adresse 11131113-1113\n"
            "--- 2\n"
            "  Modul 1: Ausgabe an Anschluss 1\n"
            "  \n  \n--- 8\n");
}

// Page 100 high, H 10: a line is drawn while Y before it is at most 71 (Y after it, 81, is
// beyond 100 - 2H = 80): eight lines at 1, 11, ..., 71 fit on a page.
// An entry starts a new page when Y is beyond 100 - 6H = 40.
TEST(PrintListsTest, PageBreaksFollowTheLineAndEntryRules) {
  // n plain lines, then an entry if asked, as "items on each page / top of the last item".
  const auto layout = [](int n, bool entryAfter, double pageHeight = 100) {
    std::vector<PrintItem> items;
    for (int i = 0; i < n; ++i) items.push_back({PrintItemKind::Text, PrintStyle::Plain, "x" + std::to_string(i), 1});
    if (entryAfter) {
      items.push_back({PrintItemKind::EntryStart, PrintStyle::Plain, {}, 1});
      items.push_back({PrintItemKind::Text, PrintStyle::Large, "next", 1});
    }
    const std::vector<PrintPage> pages = layoutPages(items, FixedMeasure(pageHeight));
    std::string text;
    for (const PrintPage& page : pages) text += std::to_string(page.size()) + " ";
    return text + "/ " + std::to_string(static_cast<int>(pages.back().back().y));
  };
  EXPECT_EQ(layout(7, false), "7 / 61");
  EXPECT_EQ(layout(8, false), "8 / 71");  // the break after the last line leaves no empty page
  EXPECT_EQ(layout(9, false), "8 1 / 1");
  EXPECT_EQ(layout(3, true), "4 / 31");   // Y = 31 after three lines: not beyond 40, the entry stays
  EXPECT_EQ(layout(4, true), "4 1 / 1");  // Y = 41: the entry goes to the next page
  EXPECT_EQ(layout(8, true), "8 1 / 1");  // the line break already gave a fresh page
  // A page 101 high: Y reaching a limit exactly (81 = 101 - 2H, 41 = 101 - 6H) is not beyond it.
  EXPECT_EQ(layout(9, false, 101), "9 / 81");
  EXPECT_EQ(layout(4, true, 101), "5 / 41");
}

TEST(PrintListsTest, RulesEndAtHalfWidthOrRightMarginAndTakeALine) {
  const std::vector<PrintItem> items = {{PrintItemKind::Title, PrintStyle::Large, "T", 1},
                                        {PrintItemKind::Rule, PrintStyle::Plain, {}, 1},
                                        {PrintItemKind::Rule, PrintStyle::Plain, {}, 8}};
  const std::vector<PrintPage> pages = layoutPages(items, FixedMeasure(300));
  ASSERT_EQ(pages.size(), 1u);
  // Each item as "x,y-x2 pen": the left margin is ten letters W.
  std::string text;
  for (const PlacedItem& item : pages[0])
    text += std::to_string(static_cast<int>(item.x)) + "," + std::to_string(static_cast<int>(item.y)) + "-" +
            std::to_string(static_cast<int>(item.x2)) + " " + std::to_string(item.penWidth) + "\n";
  EXPECT_EQ(text, "10,1-0 1\n10,11-100 1\n10,21-190 8\n");
}

}  // namespace
}  // namespace kelvaro
