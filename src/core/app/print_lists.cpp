// The printed lists' content and page layout. Texts are Windows-1252 like the project's.
#include "app/print_lists.h"

#include <algorithm>

#include "app/station_layout.h"
#include "hardware/station_config.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {

namespace {

class ItemWriter {
 public:
  explicit ItemWriter(std::vector<PrintItem>& items) : m_items(items) {}
  void line(std::string text, PrintStyle style = PrintStyle::Plain) {
    m_items.push_back({PrintItemKind::Text, style, std::move(text), 1});
  }
  void bold(std::string text) { line(std::move(text), PrintStyle::BoldUnderlined); }
  void large(std::string text) { line(std::move(text), PrintStyle::Large); }
  void rule(int penWidth = 1) { m_items.push_back({PrintItemKind::Rule, PrintStyle::Plain, {}, penWidth}); }
  void title(std::string text) { m_items.push_back({PrintItemKind::Title, PrintStyle::Large, std::move(text), 1}); }
  void entryStart() { m_items.push_back({PrintItemKind::EntryStart, PrintStyle::Plain, {}, 1}); }

 private:
  std::vector<PrintItem>& m_items;
};

std::string number(long long value) { return std::to_string(value); }

// The text after "Objektprogramm " for the object's execution interval.
std::string activationText(std::uint8_t code) {
  switch (code) {
    case 1: return fromUtf8("läuft permanent");
    case 2: return "wird alle 5 Sekunden aktiviert";
    case 4: return "wird jede Minute aktiviert";
    case 8: return "wird jede volle Stunde aktiviert";
    case 16: return fromUtf8("wird täglich um 24:00:00 Uhr aktiviert");
    case 254: return "nicht zeitgesteuert aktiviert";
    default: return {};  // the init object (255) runs once at the start: no interval to name
  }
}

bool isWired(const TPSContr& station) { return stationTypeCode(station) < 200; }

std::string stationAddress(const TPSContr& station) {
  return "Adresse " + (isWired(station) ? number(station.CPAdr[0]) : radioAddressText(station));
}

// The station and slot (1 to 8) whose channel carries the device name; slot 0 when none does.
std::pair<const TPSContr*, int> findChannel(const Project& project, const std::string& device) {
  for (const TPSContr& station : project.stations)
    for (int k = 0; k < kSlotsPerStation; ++k)
      if (station.slots[k].CNam == device) return {&station, k + 1};
  return {nullptr, 0};
}

// "Ausgabe : " or "Eingabe : " with the station, its address and the port. A wired station's
// name goes on a line of its own: its channel names are often long.
void hardwareLines(ItemWriter& out, const Project& project, const std::string& label, const std::string& device) {
  const auto [station, slot] = findChannel(project, device);
  if (station == nullptr) {
    // The device names a channel no station has (any longer): say so rather than hide it.
    out.line(label + device);
    return;
  }
  const std::string address = stationAddress(*station) + " Anschluss " + number(slot);
  if (isWired(*station)) {
    out.line(label);
    out.line(station->CName + " " + address);
  } else {
    out.line(label + station->CName + " " + address);
  }
}

void objectEntry(ItemWriter& out, const Project& project, const TPSObj& o, const PrintChoice& choice) {
  out.entryStart();
  out.large("Objekt: " + o.Name + "   " + o.OName);
  out.large("Typ: " + o.Typ);
  out.rule(2);

  if (choice.definitions) {
    out.bold("Definitionen:");
    std::string views;
    for (const TPlan& plan : o.plans) {
      if (plan.ViewName.empty()) continue;
      if (!views.empty()) views += ", ";
      views += plan.ViewName;
    }
    if (!views.empty()) out.line("Darstellung in Ansicht " + views);
    if (!o.Activ) out.line("Deaktiviert beim Start");
    if (!o.visible) out.line("Unsichtbar beim Start");
    if (o.Beep) out.line("Ton beim Umschalten");
    if (o.InputExec) out.line(fromUtf8("Ausführung bei Bildschirmeingabe"));
    if (!o.AutoSize) out.line(fromUtf8("Keine Schriftgrössenanpassung bei Panel-Ausgabe"));
    if (o.Stretch) out.line(fromUtf8("Grössenanpassung Bitmap aktiviert"));
    if (o.SpecSt) out.line(fromUtf8("In Aktionsmenü aktiviert"));
    if (!o.VoiceContr.empty()) out.line(fromUtf8("Text für Aktionsmenü (Sprachsteuerung): ") + o.VoiceContr);
    if (o.ExtActiv) out.line(fromUtf8("Programmausführung bei Hardwareeingabe aktiviert"));
    if (!o.Group.empty()) out.line("Offline Schaltgruppe : " + o.Group);
    // 0 means "number it automatically" and 10000 on are numbers the compiler gave: neither is
    // a number the user could dial.
    if (o.ObjIDNr > 0 && o.ObjIDNr < 10000) out.line(fromUtf8("Nummer für Telefon-Fernsteuerung : ") + number(o.ObjIDNr));
  }

  if (choice.program && !o.program.empty()) {
    out.rule();
    out.bold("Objektprogramm " + activationText(o.ACode));
    for (const std::string& line : o.program) out.line(line.empty() ? std::string() : line.substr(1));
  }

  if (choice.hardware && (!o.SndDev.empty() || !o.RcvDev.empty())) {
    out.rule();
    out.line(fromUtf8("Zugewiesene Hardware für ") + o.Name);
    if (!o.SndDev.empty()) hardwareLines(out, project, "Ausgabe : ", o.SndDev);
    if (!o.RcvDev.empty()) hardwareLines(out, project, "Eingabe : ", o.RcvDev);
    out.line({});
  }

  out.line({});
  out.line({});
  out.rule(8);
}

// The object a channel drives (output) or is driven by (input); empty when none.
std::string connectedObject(const Project& project, const std::string& channel, bool output) {
  if (channel.empty()) return {};
  for (const TPSObj& o : project.objects)
    if ((output ? o.SndDev : o.RcvDev) == channel) return o.Name;
  return {};
}

// Channel functions as the panel stores them (0 "Ein/Aus", 1 "Umschalter", 2 "Offline-Umschalter"),
// worded for what an output does and for what kind of switch drives an input.
std::string functionText(int function, bool output) {
  if (output) return function == 2 ? "Offline-Umschalter" : "Ein/Aus-Funktion";
  switch (function) {
    case 1: return "Taster";
    case 2: return "Schalter";
    default: return "Ein/Aus-Schalter";
  }
}

std::string sensorText(int function) {
  static const char* const kSensors[] = {"Temperatur PT1000", "Widerstandswert", "D\xE4mmerungssensor (1k - 500k)",
                                         "Sonnensensor (50 - 5k)", "Spannungssensor (1-10 Volt)"};
  return function >= 0 && function < 5 ? kSensors[function] : "Widerstandswert";
}

std::string soundText(int function) {
  static const char* const kSounds[] = {"Hoch", "Tief", "Hoch-Tief", "Tief-Hoch", "Sirene"};
  return function >= 1 && function <= 5 ? kSounds[function - 1] : "Akustisches Standard-Signal";
}

// The settings a station type has beyond its channels, from the slots the channel panel
// stores them in.
void typeSettings(ItemWriter& out, const TPSContr& s, int typeCode) {
  const auto& sl = s.slots;
  switch (typeCode) {
    case 9:  // the sensor inputs
      for (int k = 0; k < 2; ++k)
        if (!sl[k].CNam.empty())
          out.line("Sensor " + number(k + 1) + " : " + sensorText(sl[k].CFkt) + "   Empfindlichkeit " +
                   number(sl[k].CEIntW1) + "   Korr.-Wert " + number(sl[k].CEIntW2));
      break;
    case 26:  // the shutter control on the output pair
      out.line(sl[4].CNam.empty() ? "Rollladensteuerung" : "Rollladensteuerung mit Sensor");
      out.line(sl[0].CFkt == 1 ? "Steuerung \xFC" "ber Rollladenschalter" : "Steuerung \xFC" "ber Multitaster");
      out.line("Gesamtlaufzeit : " + number(sl[0].CEIntW1));
      break;
    case 8:
      out.line("Rollladensteuerung");
      out.line("Zeitbasis (20 = 1 sec.) : " + number(sl[0].CEIntW1));
      out.line("Gesamtlaufzeit : " + number(sl[0].CEIntW2));
      break;
    case 7:  // the push patterns spread over slots 1 to 3
      out.line("Multifunktionstaster");
      out.line("1 x kurz : " + number(sl[0].CEIntW1));
      out.line("kurz-lang : " + number(sl[0].CEIntW2));
      out.line("lang : " + number(sl[1].CEIntW1));
      out.line("2 x kurz : " + number(sl[1].CEIntW2));
      out.line("loslassen : " + number(sl[2].CEIntW1));
      break;
    case 6: out.line("LCD-Anzeige 32-stellig   " + soundText(sl[0].CFkt)); break;
    default: break;
  }
}

void stationEntry(ItemWriter& out, const Project& project, const TPSContr& s) {
  const int typeCode = stationTypeCode(s);
  out.entryStart();
  out.large("Signalstation " + s.CName + " des Typs " + s.CKind);
  out.large(stationAddress(s));
  out.rule(2);
  const PanelLayout& layout = panelLayout(typeCode);
  for (int k = 0; k < kSlotsPerStation; ++k) {
    const DeviceSlot& slot = s.slots[k];
    if (layout.slotKinds[k] == 0 || slot.CNam.empty()) continue;
    const bool output = layout.slotKinds[k] == 2;
    std::string text = "Modul " + number(k + 1) + ": " + (output ? "Ausgabe" : "Eingabe") + " an Anschluss " +
                       number(k + 1);
    if (layout.function) text += " als " + functionText(slot.CFkt, output);
    const std::string object = connectedObject(project, slot.CNam, output);
    if (!object.empty()) text += " verbunden mit Objekt " + object;
    out.line(text);
    if (layout.groupFields && slot.adr[0] != 0)
      out.line("   Offline-Adresse: " + number(slot.adr[0]) + "   Offline-Anschluss: " + number(slot.CCon));
  }
  typeSettings(out, s, typeCode);
  out.line({});
  out.line({});
  out.rule(8);
}

}  // namespace

std::vector<PrintItem> printItems(const Project& project, const PrintChoice& choice) {
  std::vector<PrintItem> items;
  ItemWriter out(items);
  if (choice.kind == PrintKind::Objects) {
    out.title("Liste Objekte");
    for (const TPSObj& o : project.objects)
      if (choice.only.empty() || equalsNoCase(o.Name, choice.only)) objectEntry(out, project, o, choice);
  } else {
    out.title("Liste Module");
    for (const TPSContr& s : project.stations)
      if (choice.only.empty() || equalsNoCase(s.CName, choice.only)) stationEntry(out, project, s);
  }
  return items;
}

std::string printItemsText(const std::vector<PrintItem>& items) {
  std::string text;
  for (const PrintItem& item : items) {
    switch (item.kind) {
      case PrintItemKind::Title: text += "T " + item.text; break;
      case PrintItemKind::Rule: text += "--- " + number(item.penWidth); break;
      case PrintItemKind::EntryStart: text += "== new entry"; break;
      case PrintItemKind::Text:
        text += item.style == PrintStyle::Large ? "L " : item.style == PrintStyle::BoldUnderlined ? "B " : "  ";
        text += item.text;
        break;
    }
    text += '\n';
  }
  return text;
}

std::vector<PrintPage> layoutPages(const std::vector<PrintItem>& items, const PrintMeasure& measure) {
  const double x = 10 * measure.textWidth("W");
  const double h = measure.lineHeight();
  const double width = measure.pageWidth();
  const double height = measure.pageHeight();
  std::vector<PrintPage> pages(1);
  double y = 1;
  auto newPage = [&] {
    pages.emplace_back();
    y = 1;
  };
  for (const PrintItem& item : items) {
    switch (item.kind) {
      case PrintItemKind::EntryStart:
        // Only when the page already holds something: a fresh page stays the entry's page.
        if (y > height - 6 * h && !pages.back().empty()) newPage();
        break;
      case PrintItemKind::Rule: {
        const double end = item.penWidth == 1 ? width / 2 : std::max(x, width - x);
        pages.back().push_back({PrintItemKind::Rule, PrintStyle::Plain, {}, x, y, end, item.penWidth});
        y += h;
        break;
      }
      case PrintItemKind::Title:
      case PrintItemKind::Text:
        pages.back().push_back({item.kind, item.style, item.text, x, y, 0, 1});
        // The title takes its line too, so the first entry's header is not drawn over it.
        y += h;
        if (y > height - 2 * h) newPage();
        break;
    }
  }
  // A break after the very last line leaves an empty page that nobody wants printed.
  if (pages.size() > 1 && pages.back().empty()) pages.pop_back();
  return pages;
}

}  // namespace kelvaro
