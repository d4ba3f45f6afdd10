// The rules behind the station dialog and the page "E/A-Module" that need no line: what the
// channel panel's OK stores and which object it connects, the address checks with their
// messages, the offline group addresses and the battery list. The dialogs bind controls to
// these; the line sequences (read, write, address on the line) build on hardware/station_config.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/station_config.h"
#include "model/project.h"

namespace kelvaro {

class UserInterface;

// The channel panel's controls as OK finds them.
struct ChannelPanel {
  std::string CEBez;  // the channel name; empty takes the chosen object's name
  int CECBox = 0;     // function: 0 "Ein/Aus", 1 "Umschalter", 2 "Offline-Umschalter"
  int CESBox1 = 0, CESBox2 = 0, CESBox3 = 0, CESBox4 = 0, CESBox5 = 0, CESBox6 = 0, CESBox7 = 0;
  bool CECkBox = false;  // offline operation
  std::string ObjCB;     // the object to connect; empty for none
};

// OK of the channel panel for slot k (1 to 8) of the station: names the channel, connects the
// chosen object by the station's type code, takes the channel from every other object (one
// information message each) and stores the panel's fields by type. Marks the project modified.
void storeChannel(Project& project, TPSContr& station, int k, const ChannelPanel& panel, UserInterface& ui);
// What the channel panel shows when it opens on slot k (1 to 8): the reverse of storeChannel,
// a value kept as sign and magnitude (40611x, 40612x) as the negative number, the values of
// the next two slots where the type keeps them, and the object connected to the channel.
ChannelPanel channelPanelFor(const Project& project, const TPSContr& station, int k);

// A value the user typed into an address field, and the message that refused it.
struct AddressCheck {
  int value = 0;                       // what the field holds afterwards
  std::optional<std::string> message;  // shown when the entry was refused
};
// "Neue Adresse :": 0 (the next free one) or 4 to 253; anything else goes back to 0.
AddressCheck checkNewStationAddress(int value);
// The lowest address 4 to 253 no wired station of the project holds; nothing when all are taken.
std::optional<int> nextFreeStationAddress(const Project& project);
// "Gruppen-Adresse": 0 (none) or 4 to 254; 1 to 3 are refused except for "MXSA", whose group
// address field means something else. A refused value goes back to 0.
AddressCheck checkGroupAddress(int value, std::string_view typeText);
// "Gruppen-Anschluß": 1 to 8.
bool validGroupPort(int value);
// The radio address as typed, by the device's form; the message when it does not fit.
std::optional<std::string> checkRadioAddress(RadioAddressFormat format, std::string_view text);

// "&Gruppenadressen setzen": gives every channel whose object has an offline group the group's
// address (lowest free from 4 per line) and port 1. Shows the doubles it ignores; returns the
// memo lines and marks the project modified. Too few addresses: the message, no memo lines,
// and the project as it was.
std::vector<std::string> generateGroupAddresses(Project& project, UserInterface& ui);

// The battery list of the page: " Batterie-Warnung von " + the station's name for every
// station a marked object is connected to, or "Keine Batteriewarnungen vorhanden".
std::vector<std::string> batteryListLines(const Project& project);

}  // namespace kelvaro
