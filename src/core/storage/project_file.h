// Reader and writer of the project file (".SPG"), also used for the default definitions
// ("INIT.SPI") and type libraries (".OTY"). Reading adds to the model, so two reads merge.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/project.h"

namespace kelvaro {

class UserInterface;

enum class ReadStatus {
  Complete,        // the whole file was read
  Stopped,         // a non-numeric BackColor, ExeWinStat or ObjIDNr ended the load there
  MissingSilent,   // "INIT.SPI" does not exist: nothing reported, model unchanged
  Missing,         // the file does not exist or could not be read: the user was told
};

// Adds the content of file bytes to the project (lines ended by CR LF or LF) and rebuilds the
// shown type list. Never fails on content; Stopped keeps what was read up to that line.
ReadStatus readProjectText(Project& project, std::string_view bytes);

// The whole project as file bytes, in writing order, lines ended by CR LF.
std::string projectFileText(const Project& project);

// Reads a file; a name that does not exist as given is looked up in projectDir.
// Rebuilds the shown type list afterwards. Does not touch the modified flag.
// Tells the user itself about Missing ("Datei ... nicht gefunden", or that it could not be
// read) and about Stopped (which line and key ended the load); MissingSilent is INIT.SPI.
ReadStatus readProject(Project& project, std::string_view fileName, std::string_view projectDir, UserInterface& ui);

// Writes the project; a name without directory goes to projectDir. The old file is replaced
// only when the new one was written completely. Clears the modified flag on success.
// Returns the path written, or nothing after telling the user what failed.
std::optional<std::string> writeProject(Project& project, std::string_view fileName, std::string_view projectDir,
                                        UserInterface& ui);

}  // namespace kelvaro
