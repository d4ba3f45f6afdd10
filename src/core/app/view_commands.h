// The commands of the page "Ansichten": views with their background bitmaps, the placements
// that name them, the blank bitmap handed to the drawing program, and the background colour.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/startup.h"
#include "app/workspace.h"

namespace kelvaro {

class UserInterface;

inline constexpr int kBlankBitmapWidth = 600;
inline constexpr int kBlankBitmapHeight = 400;

// Starts a program with arguments without waiting for it; false when it could not start.
using ProgramStarter = std::function<bool(const std::string& program, const std::vector<std::string>& arguments)>;

// The view a command works on, or -1 after "Keine Ansicht ausgewählt". With selectFirst a
// missing selection falls back to the first view (and selects it) when there is one.
int viewForCommand(Workspace& workspace, UserInterface& ui, bool selectFirst);

// Where a view's bitmap lies: inside the bitmap directory for NoPath 1, else as stored.
// Empty when the view has none.
std::string viewBitmapPath(const Settings& settings, const TViewInfo& info);

// "&Neu": asks the name and appends the view without a bitmap; the new view is selected.
bool newView(Workspace& workspace, UserInterface& ui);

// "&Bild aussuchen": picks the view's bitmap in a file dialog.
bool chooseViewBitmap(Workspace& workspace, UserInterface& ui, const FileExists& exists = regularFileExists);

// Empties every placement that names the view (exactly, letter case counts); the objects
// stay. Returns how many placements were emptied.
int emptyPlacementsOf(Project& project, std::string_view viewName);
// Every placement naming oldName (exactly) names newName afterwards.
int renamePlacements(Project& project, std::string_view oldName, std::string_view newName);

// "&Löschen": after the question removes the view and empties its placements.
bool deleteView(Workspace& workspace, UserInterface& ui);

// "&Umbenennen": asks the new name; the placements follow it.
bool renameView(Workspace& workspace, UserInterface& ui);

// The view whose layout "&Ansicht bearbeiten" opens, or -1 after the message.
int viewToEdit(Workspace& workspace, UserInterface& ui);

// A 256-colour bitmap file (8 bits per pixel with a palette), every pixel white.
std::string blankBitmapBytes(int width, int height);

// The drawing program to start: the configured one, else a known image editor on this
// machine; a name without directory is looked up in PATH. Empty when there is none.
std::string paintProgram(const Settings& settings, const std::vector<std::string>& candidates,
                         const FileExists& exists);

struct DrawEnvironment {
  ProgramStarter start;
  FileExists exists = regularFileExists;
  std::vector<std::string> paintCandidates = defaultPaintCandidates();
};

// "Bild &zeichnen": gives a view without bitmap a blank one (view name + ".bmp" in the bitmap
// directory) and starts the drawing program on the view's bitmap. The preview is reloaded
// when the window is next shown (workspace.reloadPreview).
bool drawViewBitmap(Workspace& workspace, UserInterface& ui, const DrawEnvironment& environment);

// "Bild &entfernen": the view keeps no bitmap.
bool removeViewBitmap(Workspace& workspace, UserInterface& ui);

struct ViewPreview {
  std::string path;     // the bitmap to show; empty when there is none to show
  std::string label;    // the file name shown under the preview (ShowName)
  bool missing = false; // the view names a bitmap that is not there
};

// What selecting the view shows; the bitmap is looked for as findBitmap does, beside the
// current project file too. A missing one is reported as "Bitmap <path> nicht gefunden."
// when ui is given. Start-up selects the first view through this as well, with the message.
ViewPreview selectView(Workspace& workspace, int index, UserInterface* ui,
                       const FileExists& exists = regularFileExists);

// After startUp: the project it read under a name becomes the file "Speichern" writes to,
// and the view it selected is shown as a selection by the user is, so that a missing bitmap
// of the first view is reported at start just as one of any other view is when chosen.
void finishStartUp(Workspace& workspace, UserInterface& ui, const FileExists& exists = regularFileExists);

// The background colour of the views: an index into the first ten colour names, -1 none.
bool setBackColor(Project& project, int index);

}  // namespace kelvaro
