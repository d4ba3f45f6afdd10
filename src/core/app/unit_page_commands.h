// The rules of the page "Steuereinheit" that are not frames on the line: what the port and
// model choices do to the settings and the unit record, which groups and buttons a model
// offers and the hidden compile-to-file service function.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kelvaro {

struct Workspace;
struct UnitRecord;

// The port choice: the COMPORT setting is an index into it.
inline constexpr std::array<std::string_view, 6> kPortChoices = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6"};

// The model choice: the CONTR setting is an index into it. The blank entry stands for "no
// model chosen".
inline constexpr std::array<std::string_view, 8> kModelChoices = {
    "CU/F-A2", "RFI-RS1", "ELV-RFI", "CU-A2-3.20", "CU-A2-3.00-10", "CU-A2 Ver.2", "CU-A1", " "};

// The type code the model choice gives: 11, 122 to 125 for the control units, 1 for the
// RFI-RS1, 99 for any other entry. The ELV-RFI gets 99 here although its identification
// reply says 2: the page offers it no command of its own.
int modelTypeCode(std::string_view model);

// What the page shows for a type code (of the model choice or of the last identification).
struct UnitPageVisibility {
  bool unitGroups = false;     // "Übertragen zur Steuereinheit", "Konfiguration Steuereinheit", "Aktionen Steuereinheit"
  bool versionInfo = false;    // "Version-&Info"
  bool remote = false;         // "&Remote-Kontrolle", "Remote-&Visualisierung"
  bool radioSettings = false;  // "Einstellungen &Funkschnittstelle"
};
// Programmable units (11 and above) get the groups; the firmware information needs a unit
// above 122, the modem remote functions one above 123; the radio settings exist on the
// CU/F-A2 and the RFI-RS1 from feature level 111 on.
UnitPageVisibility unitPageVisibility(int typeCode, int featureLevel);

// A choice made in the model list: the setting and the unit's type code follow it.
void chooseModel(Workspace& workspace, int index);
// The port or model list is left: its text goes into the unit record. The project counts as
// modified only when the text differs from what the record held, so that merely passing
// through the list asks no needless "save?" at exit.
void leavePortChoice(Workspace& workspace, std::string_view portText);
void leaveModelChoice(Workspace& workspace, std::string_view modelText);
// The unit record as the settings describe it: port and model by their indices. The type
// code follows only a model that differs from the record's, so that what an identification
// found is kept.
void applyUnitSettings(Workspace& workspace);

// A text field of the configuration group changed; the setting follows and is written back
// at exit.
enum class UnitSettingField { ModemInit, ModemConnect, RemotePassword, ClockCorrection };
void editUnitSetting(Workspace& workspace, UnitSettingField field, std::string text);

// The hidden service function: a double click on its field runs the transfer into a file
// only while the field holds exactly this code.
inline constexpr std::string_view kServiceCode = "WARTUNG";
bool isServiceCode(std::string_view fieldText);

// The file the compile-to-file writes for a name chosen in the save dialog: the name is cut
// after its first "." and "SPA" appended ("prog.bin" -> "prog.SPA"). Only the file name is
// looked at, so a dot in a directory name does not cut the path; a name without a dot gets
// ".SPA". Empty for an empty name or one that ends in "/".
std::string imageFileName(std::string_view chosen);

}  // namespace kelvaro
