// The station dialog's and the page "E/A-Module"'s rules that need no line.
#include "app/station_rules.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "app/station_layout.h"
#include "text/text_util.h"
#include "ui/user_interface.h"

namespace kelvaro {

namespace {

constexpr int kLowestAddress = 4;
constexpr int kHighestStationAddress = 253;
constexpr int kHighestGroupAddress = 254;
// Offline groups get addresses below this one; the rest stay for the user's own groups.
constexpr int kGroupAddressLimit = 125;
constexpr std::size_t kGroupNameWidth = 25;
constexpr int kLines = 4;

// The station's type code; one stored without it counts as the type its model text names.
int typeCodeOf(const TPSContr& station) {
  if (station.CKindi != 0) return station.CKindi;
  const StationType* t = stationTypeByText(station.CKind);
  return t ? t->code : 0;
}

// Values the station takes as a byte with the sign in bit 7.
std::int32_t signMagnitude(int v) { return v < 0 ? 128 + std::abs(v) : v; }

void inform(UserInterface& ui, std::string text) {
  ui.showMessage({MessageKind::Information, std::move(text), MessageButtons::Ok, 0});
}

// Connects the object to the channel by the station's type; false when the type connects nothing.
bool connectObject(TPSObj& object, const TPSContr& station, int type, const std::string& channel) {
  switch (type) {
    case 2:
    case 3:
    case 4:
    case 9:
    case 10:
    case 21:
    case 26: (object.HdwTyp != 0 ? object.SndDev : object.RcvDev) = channel; return true;
    case 5:
    case 6:
    case 8: object.SndDev = channel; return true;
    case 7: return false;
    default:
      if (type > 700) return false;
      (station.CPArt == 2 ? object.SndDev : object.RcvDev) = channel;
      return true;
  }
}

// The slot fields the panel stores for the station's type.
void storeSlotFields(TPSContr& station, int k, int type, const std::string& name, const ChannelPanel& p) {
  DeviceSlot& s = station.slots[static_cast<std::size_t>(k - 1)];
  const char offlineMark = p.CECkBox ? 'X' : ' ';
  auto groupAndValues = [&](int values) {
    s.adr[0] = static_cast<std::uint8_t>(p.CESBox1);
    s.CCon = p.CESBox2;
    if (values >= 1) s.CEIntW1 = p.CESBox3;
    if (values >= 2) s.CEIntW2 = p.CESBox4;
  };
  switch (type) {
    case 2:
    case 3:
    case 4:
    case 9:
      s.CNam = name;
      s.CFkt = p.CECBox;
      groupAndValues(1);
      if (s.CDevArt == 2) {
        s.CEIntW2 = p.CESBox4;
        if (type != 9) s.COfflB = offlineMark;
      } else {
        s.CDevArt = 1;
      }
      station.CPDevAnz = 8;
      break;
    case 21:
    case 26:
      s.CNam = name;
      s.CFkt = p.CECBox;
      groupAndValues(type == 26 ? 1 : 0);
      if (s.CDevArt == 2) {
        if (type == 21) s.CEIntW1 = p.CESBox3;
        else station.slots[0].CFkt = 1;
        s.CEIntW2 = signMagnitude(p.CESBox4);
        s.COfflB = offlineMark;
      }
      station.CPDevAnz = 8;
      break;
    case 5:
    case 8:
      s.CNam = station.CName;
      groupAndValues(2);
      station.CPDevAnz = 8;
      break;
    case 6:
      s.CNam = station.CName;
      s.CFkt = p.CECBox;
      station.CPDevAnz = 1;
      break;
    case 7:
      s.CNam = station.CName;
      groupAndValues(2);
      // The push-button's further patterns live in the next two slots.
      if (k + 1 <= kSlotsPerStation) {
        station.slots[static_cast<std::size_t>(k)].CEIntW1 = p.CESBox5;
        station.slots[static_cast<std::size_t>(k)].CEIntW2 = p.CESBox6;
      }
      if (k + 2 <= kSlotsPerStation) station.slots[static_cast<std::size_t>(k + 1)].CEIntW1 = p.CESBox7;
      station.CPDevAnz = 1;
      break;
    case 101:
      s.CNam = station.CName;
      groupAndValues(1);
      s.CFkt = p.CECBox;
      break;
    case 551: s.CNam = name; break;
    default:
      station.slots[0].CNam = station.CName;
      station.CPDevAnz = 1;
      break;
  }
}

}  // namespace

void storeChannel(Project& project, TPSContr& station, int k, const ChannelPanel& panel, UserInterface& ui) {
  // storeChannel -> name, connection, other connections dropped, slot fields
  if (k < 1 || k > kSlotsPerStation) return;
  const int objectIndex = panel.ObjCB.empty() ? -1 : findObject(project, panel.ObjCB);
  std::string name = panel.CEBez;
  if (name.empty() && objectIndex >= 0) name = project.objects[static_cast<std::size_t>(objectIndex)].Name;
  name = shortText(name, kShortText32);

  const int type = typeCodeOf(station);
  if (objectIndex >= 0 && !name.empty() &&
      connectObject(project.objects[static_cast<std::size_t>(objectIndex)], station, type, name)) {
    for (std::size_t i = 0; i < project.objects.size(); ++i) {
      TPSObj& other = project.objects[i];
      if (static_cast<int>(i) == objectIndex || (other.RcvDev != name && other.SndDev != name)) continue;
      if (other.RcvDev == name) other.RcvDev.clear();
      if (other.SndDev == name) other.SndDev.clear();
      inform(ui, "Die vorher bestehende Zuordnung dieses Anschlusses zum Objekt " + other.Name + " wurde gel\xF6scht");
    }
  }
  storeSlotFields(station, k, type, name, panel);
  project.modified = true;
}

ChannelPanel channelPanelFor(const Project& project, const TPSContr& station, int k) {
  const auto slot = [&station](int n) -> const DeviceSlot& {
    return station.slots[static_cast<std::size_t>(std::clamp(n, 1, kSlotsPerStation) - 1)];
  };
  const auto signedValue = [](int stored) { return stored > 128 && stored < 256 ? -(stored - 128) : stored; };
  const DeviceSlot& d = slot(k);
  const int code = stationTypeCode(station);
  ChannelPanel p;
  p.CEBez = d.CNam;
  p.CECBox = std::clamp(d.CFkt, 0, 2);
  p.CESBox1 = d.adr[0];
  p.CESBox2 = d.CCon;
  p.CESBox3 = d.CEIntW1;
  p.CESBox4 = code == 21 || code == 26 ? signedValue(d.CEIntW2) : d.CEIntW2;
  p.CESBox5 = slot(k + 1).CEIntW1;
  p.CESBox6 = slot(k + 1).CEIntW2;
  p.CESBox7 = slot(k + 2).CEIntW1;
  p.CECkBox = d.COfflB == 'X';
  if (!d.CNam.empty()) {
    const auto connected = std::find_if(project.objects.begin(), project.objects.end(),
                                        [&](const TPSObj& o) { return o.SndDev == d.CNam || o.RcvDev == d.CNam; });
    if (connected != project.objects.end()) p.ObjCB = connected->Name;
  }
  return p;
}

AddressCheck checkNewStationAddress(int value) {
  if (value == 0 || (value >= kLowestAddress && value <= kHighestStationAddress)) return {value, std::nullopt};
  return {0,
          "Adressen zwischen 1 und 3 werden intern verwendet,\rdie gr\xF6\xDF"
          "te zul\xE4ssige Adresse ist 253"};
}

std::optional<int> nextFreeStationAddress(const Project& project) {
  std::array<bool, kHighestStationAddress + 1> taken{};
  for (const TPSContr& s : project.stations)
    if (!isRadioStation(s)) taken[s.CPAdr[0] <= kHighestStationAddress ? s.CPAdr[0] : 0] = true;
  for (int a = kLowestAddress; a <= kHighestStationAddress; ++a)
    if (!taken[static_cast<std::size_t>(a)]) return a;
  return std::nullopt;
}

AddressCheck checkGroupAddress(int value, std::string_view typeText) {
  const bool low = value >= 1 && value < kLowestAddress;
  if (value < 0 || value > kHighestGroupAddress || (low && typeText != "MXSA"))
    return {0, "Gruppenadressen m\xFCssen zwischen 4 und 254 liegen"};
  return {value, std::nullopt};
}

bool validGroupPort(int value) { return value >= 1 && value <= 8; }

std::optional<std::string> checkRadioAddress(RadioAddressFormat format, std::string_view text) {
  auto digits = [](std::string_view t, char low, char high) {
    return !t.empty() && std::all_of(t.begin(), t.end(), [&](char c) { return c >= low && c <= high; });
  };
  switch (format) {
    case RadioAddressFormat::None: return std::nullopt;
    case RadioAddressFormat::Number: {
      const auto v = parseInt(text);
      if (v && *v >= kLowestAddress && *v <= 65535) return std::nullopt;
      return "Adresse muss zwischen 4 und 65535 liegen";
    }
    case RadioAddressFormat::FS20:
      if (text.size() == 13 && text[8] == '-' && digits(text.substr(0, 8), '1', '4') &&
          digits(text.substr(9), '1', '4'))
        return std::nullopt;
      return "Adresse ung\xFCltig - siehe Bedienungsanleitung des Ger\xE4tes";
    case RadioAddressFormat::CodeDash:
      if (text.size() >= 6 && text.size() <= 8 && text[4] == '-' && digits(text.substr(0, 4), '0', '9') &&
          digits(text.substr(5), '0', '9') && std::stoi(std::string(text.substr(5))) <= 255)
        return std::nullopt;
      return "Adresse ung\xFCltig - Das Format f\xFCr dieses Ger\xE4t ist 9999-99";
    case RadioAddressFormat::FourDigits:
      if (text.size() == 4 && digits(text, '0', '9')) return std::nullopt;
      return "Adresse ung\xFCltig - 4 Stellen von 0000-9999 erforderlich";
  }
  return std::nullopt;
}

std::vector<std::string> generateGroupAddresses(Project& project, UserInterface& ui) {
  // generateGroupAddresses -> groups per channel, then addresses per line, then the memo.
  // Works on a copy of the stations: a run that runs out of addresses leaves every channel's
  // group address and port as they were instead of half cleared.
  std::vector<TPSContr> stations = project.stations;
  std::vector<std::array<std::string, kSlotsPerStation>> groupOf(stations.size());

  for (std::size_t si = 0; si < stations.size(); ++si) {
    if (isRadioStation(stations[si])) continue;  // offline groups are a Powerline matter
    for (int k = 0; k < kSlotsPerStation; ++k) {
      DeviceSlot& slot = stations[si].slots[static_cast<std::size_t>(k)];
      std::string& group = groupOf[si][static_cast<std::size_t>(k)];
      if (slot.CNam.empty()) continue;
      for (const TPSObj& o : project.objects) {
        if ((o.SndDev != slot.CNam && o.RcvDev != slot.CNam) || trimRight(o.Group).empty()) continue;
        if (!group.empty()) {
          inform(ui, slot.CNam + " bei Objekt " + o.Name + " wegen Doppelbelegung ignoriert");
          continue;
        }
        group = o.Group;
        slot.adr[0] = 0;
        slot.CCon = -1;
      }
    }
  }

  struct Group {
    std::string name;  // padded to 25
    TDevGr address;
  };
  std::vector<Group> groups;
  for (int line = 1; line <= kLines; ++line) {
    auto onLine = [&](std::size_t si) { return stations[si].CLine == line && !isRadioStation(stations[si]); };
    std::array<bool, kGroupAddressLimit> used{};
    for (std::size_t si = 0; si < stations.size(); ++si)
      for (int k = 0; k < kSlotsPerStation; ++k) {
        const int a = stations[si].slots[static_cast<std::size_t>(k)].adr[0];
        if (onLine(si) && groupOf[si][static_cast<std::size_t>(k)].empty() && a >= kLowestAddress &&
            a < kGroupAddressLimit)
          used[static_cast<std::size_t>(a)] = true;
      }
    auto keyOf = [](std::string key) {
      key.resize(std::max(key.size(), kGroupNameWidth), ' ');
      return key;
    };
    auto findGroup = [&](const std::string& key) {
      return std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.name == key; });
    };
    // A group that an earlier line gave an address keeps it here too, so no new group of this
    // line may take that address as well.
    for (std::size_t si = 0; si < stations.size(); ++si)
      for (int k = 0; k < kSlotsPerStation && onLine(si); ++k) {
        const std::string& group = groupOf[si][static_cast<std::size_t>(k)];
        if (group.empty()) continue;
        const auto it = findGroup(keyOf(group));
        if (it != groups.end()) used[it->address.GroupAdr] = true;
      }
    for (std::size_t si = 0; si < stations.size(); ++si) {
      if (!onLine(si)) continue;
      for (int k = 0; k < kSlotsPerStation; ++k) {
        const std::string& group = groupOf[si][static_cast<std::size_t>(k)];
        if (group.empty()) continue;
        DeviceSlot& slot = stations[si].slots[static_cast<std::size_t>(k)];
        const std::string key = keyOf(group);
        auto it = findGroup(key);
        if (it == groups.end()) {
          int a = kLowestAddress;
          while (a < kGroupAddressLimit && used[static_cast<std::size_t>(a)]) ++a;
          if (a == kGroupAddressLimit) {
            ui.showMessage({MessageKind::Warning, "Nicht gen\xFCgend freie Adressen f\xFCr Gruppen vorhanden",
                            MessageButtons::Ok, 0});
            return {};
          }
          used[static_cast<std::size_t>(a)] = true;
          groups.push_back({key, {static_cast<std::uint8_t>(a), 1}});
          it = groups.end() - 1;
        }
        slot.adr[0] = it->address.GroupAdr;
        slot.CCon = it->address.Flag;
      }
    }
  }

  project.stations = std::move(stations);
  project.modified = true;
  std::vector<std::string> memo{"Adressen f\xFCr Schaltgruppen:"};
  for (const Group& g : groups)
    memo.push_back(g.name + std::to_string(g.address.GroupAdr) + "/" + std::to_string(g.address.Flag));
  return memo;
}

std::vector<std::string> batteryListLines(const Project& project) {
  std::vector<std::string> lines;
  for (const TPSContr& station : project.stations) {
    const bool marked = std::any_of(project.objects.begin(), project.objects.end(), [&](const TPSObj& o) {
      if (!o.hardware.batteryFlag) return false;
      return std::any_of(station.slots.begin(), station.slots.end(), [&](const DeviceSlot& s) {
        return !s.CNam.empty() && (s.CNam == o.SndDev || s.CNam == o.RcvDev);
      });
    });
    if (marked) lines.push_back(" Batterie-Warnung von " + station.CName);
  }
  if (lines.empty()) lines.emplace_back("Keine Batteriewarnungen vorhanden");
  return lines;
}

}  // namespace kelvaro
