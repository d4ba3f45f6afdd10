// The rules of the page "Einstellungen": which edits are written back at exit, what leaving
// the page completes, the constants box, the protocol file, the postal region and the
// switches of the serial line log.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro {

struct Workspace;
struct Settings;
struct Project;
class UserInterface;

// The path fields of the page, each with its "Durchsuchen" button.
enum class SettingsPath { BitmapDirectory, ProjectDirectory, DefaultDefinitions, Autostart, PaintProgram };

std::string settingsPath(const Settings& settings, SettingsPath field);

// A path field edited or chosen: stored in the settings. Every field but the drawing program
// marks the settings for writing back at exit; the drawing program is taken as it is and
// only written when something else changed too.
void setSettingsPath(Settings& settings, SettingsPath field, std::string text);

// Leaving the page: both directories end in a separator, so that a file name can be put
// behind them. Returns whether a directory was completed (the page then shows it anew).
bool leaveSettingsPage(Settings& settings);

// What a "Durchsuchen" dialog's chosen file gives the field: the directory of the file for
// the two directories (with its separator), the name alone for a default-definitions file in
// the project directory, else the whole path.
std::string browsedPath(const Settings& settings, SettingsPath field, std::string_view chosenFile);

// The constants box holds one definition per line; a final line break ends the last line
// and starts none. Carriage returns of pasted Windows text are dropped.
std::vector<std::string> constantsFromText(std::string_view text);
std::string constantsText(const std::vector<std::string>& constants);

// The constants box is left: its lines become the project's constants; the project counts as
// modified when they differ. Returns whether they did.
bool leaveConstantsBox(Project& project, std::vector<std::string> lines);

inline constexpr std::string_view kProtocolFileName = "PROTOCOL.TXT";
// "Protokolldatei &löschen": deletes the protocol file of the runs in directory (the working
// directory). A file that is not there needs no deleting; one that stays shows "Datei konnte
// nicht gelöscht werden". True when no protocol file is left.
bool deleteProtocolFile(std::string_view directory, UserInterface& ui);

// The postal region chosen by its index in the region list: the PLZ setting follows, and a
// region with coordinates sets longitude and latitude. The settings are not marked changed:
// the region alone is not worth rewriting the file for.
void chooseRegion(Settings& settings, int index);

// Ctrl+Q in the constants box: the label " Leitungsprotokoll " shows or hides, and the line
// log is on exactly while it shows. Returns the label's new visibility.
bool toggleLineLogLabel(Workspace& workspace, bool labelVisible);
// A double click on the port label of the page "Steuereinheit" toggles the line log; the
// label's caption says whether it is on.
void toggleLineLog(Workspace& workspace);
std::string_view portLabelCaption(bool lineLogOn);

}  // namespace kelvaro
