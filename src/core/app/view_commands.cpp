// The view commands of the main window and the blank bitmap for the drawing program.
#include "app/view_commands.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "app/project_commands.h"
#include "ui/user_interface.h"
#include "model/bitmap_search.h"
#include "model/colors.h"
#include "model/name_rule.h"
#include "storage/atomic_file.h"
#include "storage/settings.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

constexpr std::string_view kNoViewSelected = "Keine Ansicht ausgew\xE4hlt";
constexpr std::string_view kBitmapFilter = "Bitmap-Bilder|*.BMP";
constexpr std::string_view kNoPaintProgram =
    "Bitte geben Sie zuerst auf der Seite Einstellungen ein Zeichenprogramm an";
constexpr std::string_view kPaintProgramMissing =
    "Das auf der Seite Einstellungen angegebene Zeichenprogramm wurde nicht gefunden";
// Two views of one name could not be told apart by the placements, which name their view.
constexpr std::string_view kViewExists = "Es gibt schon eine Ansicht mit diesem Namen";

// The colours of the 16-colour VGA set come first, so that a simple paint program finds
// black, white and the primaries where it expects them; then a 6x6x6 colour cube and greys.
std::array<std::array<std::uint8_t, 3>, 256> bitmapPalette() {
  std::array<std::array<std::uint8_t, 3>, 256> palette{};
  constexpr std::array<std::array<std::uint8_t, 3>, 16> kVga = {{
      {0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128}, {128, 0, 128}, {0, 128, 128},
      {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0}, {0, 0, 255}, {255, 0, 255},
      {0, 255, 255}, {255, 255, 255},
  }};
  std::size_t i = 0;
  for (const auto& rgb : kVga) palette[i++] = rgb;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        palette[i++] = {static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                        static_cast<std::uint8_t>(b * 51)};
  for (int grey = 0; i < palette.size(); ++grey) {
    const auto level = static_cast<std::uint8_t>(8 + grey * 10);
    palette[i++] = {level, level, level};
  }
  return palette;
}
constexpr std::uint8_t kWhiteIndex = 15;

void putLe16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
void putLe32(std::string& out, std::uint32_t value) {
  putLe16(out, value & 0xFFFF);
  putLe16(out, value >> 16);
}

bool hasView(const Project& project, std::string_view name, int except) {
  for (int i = 0; i < static_cast<int>(project.views.size()); ++i)
    if (i != except && equalsNoCase(project.views[static_cast<std::size_t>(i)].name, name)) return true;
  return false;
}

bool validIndex(const Project& project, int index) {
  return index >= 0 && index < static_cast<int>(project.views.size());
}

// A bare command name is looked for in PATH, as a shell would start it.
std::string searchPath(const std::string& program, const FileExists& exists) {
  if (program.find('/') != std::string::npos) return program;
  const char* path = std::getenv("PATH");
  if (path == nullptr) return program;
  const std::string_view dirs(path);
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string_view::npos) end = dirs.size();
    const std::string_view dir = dirs.substr(start, end - start);
    if (!dir.empty()) {
      const std::string candidate = pathInDirectory(dir, program);
      if (exists(candidate)) return candidate;
    }
    start = end + 1;
  }
  return program;
}

}  // namespace

int viewForCommand(Workspace& workspace, UserInterface& ui, bool selectFirst) {
  const Project& project = workspace.project;
  int& selected = workspace.app.selectedView;
  if (validIndex(project, selected)) return selected;
  if (selectFirst && !project.views.empty()) return selected = 0;
  showError(ui, std::string(kNoViewSelected));
  return -1;
}

std::string viewBitmapPath(const Settings& settings, const TViewInfo& info) {
  if (info.BitmapName.empty()) return {};
  if (info.NoPath == 1) return pathInDirectory(settings.DIRBMP, info.BitmapName);
  return info.BitmapName;
}

bool newView(Workspace& workspace, UserInterface& ui) {
  Project& project = workspace.project;
  std::string name;
  if (!askName(ui, fromUtf8("Bezeichnung für neue Ansicht (z.B. Erdgeschoss):"), name)) return false;
  if (hasView(project, name, -1)) {
    showError(ui, std::string(kViewExists));
    return false;
  }
  project.views.push_back({name, {}});
  project.modified = true;
  workspace.app.selectedView = static_cast<int>(project.views.size()) - 1;
  return true;
}

bool chooseViewBitmap(Workspace& workspace, UserInterface& ui, const FileExists& exists) {
  const int index = viewForCommand(workspace, ui, true);
  if (index < 0) return false;
  Project& project = workspace.project;
  const Settings& s = workspace.settings();
  ViewEntry& view = project.views[static_cast<std::size_t>(index)];

  const std::string current = viewBitmapPath(s, view.info);
  const std::string startDir = !current.empty() && exists(current) ? directoryOf(current) : s.DIRBMP;
  const auto chosen = ui.openFileName("Bild aussuchen", fileDialogFilter(kBitmapFilter), startDir);
  if (!chosen || chosen->empty()) return false;

  // Linux names keep their case, so the directory must match exactly to lie in the bitmap
  // directory; comparing without case would point NoPath 1 at a different directory.
  TViewInfo info;
  if (!s.DIRBMP.empty() && completeDirectory(directoryOf(*chosen)) == completeDirectory(s.DIRBMP)) {
    info.BitmapName = baseNameOf(*chosen);
    info.NoPath = 1;
  } else {
    info.BitmapName = *chosen;
    info.NoPath = 0;
  }
  view.info = info;
  project.modified = true;
  return true;
}

int emptyPlacementsOf(Project& project, std::string_view viewName) {
  int emptied = 0;
  for (auto& object : project.objects)
    for (auto& plan : object.plans)
      if (!plan.ViewName.empty() && plan.ViewName == viewName) {
        plan = TPlan{};
        ++emptied;
      }
  return emptied;
}

int renamePlacements(Project& project, std::string_view oldName, std::string_view newName) {
  int renamed = 0;
  for (auto& object : project.objects)
    for (auto& plan : object.plans)
      if (!plan.ViewName.empty() && plan.ViewName == oldName) {
        plan.ViewName = std::string(newName);
        ++renamed;
      }
  return renamed;
}

bool deleteView(Workspace& workspace, UserInterface& ui) {
  const int index = viewForCommand(workspace, ui, true);
  if (index < 0) return false;
  if (ui.showMessage(destructiveQuestion(fromUtf8("Soll die Ansicht wirklich gelöscht werden?"))) !=
      MessageAnswer::Yes)
    return false;
  Project& project = workspace.project;
  emptyPlacementsOf(project, project.views[static_cast<std::size_t>(index)].name);
  project.views.erase(project.views.begin() + index);
  project.modified = true;
  workspace.app.selectedView = -1;
  return true;
}

bool renameView(Workspace& workspace, UserInterface& ui) {
  const int index = viewForCommand(workspace, ui, false);
  if (index < 0) return false;
  Project& project = workspace.project;
  std::string name = project.views[static_cast<std::size_t>(index)].name;
  if (!askName(ui, "Bitte geben Sie die neue Bezeichnung ein:", name)) return false;
  if (hasView(project, name, index)) {
    showError(ui, std::string(kViewExists));
    return false;
  }
  ViewEntry& view = project.views[static_cast<std::size_t>(index)];
  renamePlacements(project, view.name, name);
  view.name = name;
  project.modified = true;
  return true;
}

int viewToEdit(Workspace& workspace, UserInterface& ui) { return viewForCommand(workspace, ui, true); }

std::string blankBitmapBytes(int width, int height) {
  // blankBitmapBytes -> file header, info header, palette, bottom-up rows padded to 4 bytes
  constexpr std::uint32_t kHeaderSize = 14 + 40 + 256 * 4;
  const auto rowSize = static_cast<std::uint32_t>((width + 3) / 4 * 4);
  const std::uint32_t imageSize = rowSize * static_cast<std::uint32_t>(height);
  std::string out;
  out.reserve(kHeaderSize + imageSize);
  out += "BM";
  putLe32(out, kHeaderSize + imageSize);
  putLe32(out, 0);  // reserved
  putLe32(out, kHeaderSize);
  putLe32(out, 40);
  putLe32(out, static_cast<std::uint32_t>(width));
  putLe32(out, static_cast<std::uint32_t>(height));
  putLe16(out, 1);  // planes
  putLe16(out, 8);  // bits per pixel
  putLe32(out, 0);  // no compression
  putLe32(out, imageSize);
  putLe32(out, 3780);  // 96 dots per inch, in dots per metre
  putLe32(out, 3780);
  putLe32(out, 256);  // colours used
  putLe32(out, 0);    // all colours important
  for (const auto& rgb : bitmapPalette()) {
    out += static_cast<char>(rgb[2]);  // stored as blue, green, red, reserved
    out += static_cast<char>(rgb[1]);
    out += static_cast<char>(rgb[0]);
    out += '\0';
  }
  std::string row(rowSize, '\0');
  std::fill(row.begin(), row.begin() + width, static_cast<char>(kWhiteIndex));
  for (int y = 0; y < height; ++y) out += row;
  return out;
}

std::string paintProgram(const Settings& settings, const std::vector<std::string>& candidates,
                         const FileExists& exists) {
  const std::string program = findPaintProgram(settings.PAINTPATH, candidates, exists);
  return program.empty() ? program : searchPath(program, exists);
}

bool drawViewBitmap(Workspace& workspace, UserInterface& ui, const DrawEnvironment& environment) {
  const int index = viewForCommand(workspace, ui, false);
  if (index < 0) return false;
  Project& project = workspace.project;
  const Settings& s = workspace.settings();

  // The program is checked first, so that no blank bitmap is left behind that nobody draws on.
  const std::string program = paintProgram(s, environment.paintCandidates, environment.exists);
  if (program.empty()) {
    showError(ui, std::string(kNoPaintProgram));
    return false;
  }
  if (!environment.exists(program)) {
    showError(ui, std::string(kPaintProgramMissing));
    return false;
  }

  ViewEntry& view = project.views[static_cast<std::size_t>(index)];
  if (view.info.BitmapName.empty()) {
    const std::string name = view.name + ".bmp";
    const std::string path = pathInDirectory(s.DIRBMP, name);
    // A bitmap of that name may be left over from before "Bild entfernen": it is a drawing
    // of this view, which a blank one must not replace.
    if (!environment.exists(path)) {
      ReplaceOptions options;
      options.createDirectories = true;
      if (!replaceFile(path, blankBitmapBytes(kBlankBitmapWidth, kBlankBitmapHeight), options)) {
        showError(ui, "Datei " + path + " konnte nicht gespeichert werden");
        return false;
      }
    }
    view.info.BitmapName = name;
    view.info.NoPath = 1;
    project.modified = true;
  }

  const std::string file = viewBitmapPath(s, view.info);
  if (!environment.start || !environment.start(program, {file})) {
    showError(ui, std::string(kPaintProgramMissing));
    return false;
  }
  workspace.reloadPreview = true;
  return true;
}

bool removeViewBitmap(Workspace& workspace, UserInterface& ui) {
  const int index = viewForCommand(workspace, ui, false);
  if (index < 0) return false;
  TViewInfo& info = workspace.project.views[static_cast<std::size_t>(index)].info;
  if (info.BitmapName.empty()) return false;
  info = TViewInfo{};
  workspace.project.modified = true;
  return true;
}

ViewPreview selectView(Workspace& workspace, int index, UserInterface* ui, const FileExists& exists) {
  ViewPreview preview;
  if (!validIndex(workspace.project, index)) {
    workspace.app.selectedView = -1;
    return preview;
  }
  workspace.app.selectedView = index;
  const TViewInfo& info = workspace.project.views[static_cast<std::size_t>(index)].info;
  if (info.BitmapName.empty()) return preview;
  const BitmapLocation bitmap =
      findBitmap(info.BitmapName, info.NoPath, workspace.settings().DIRBMP, workspace.fileName, exists);
  preview.label = info.BitmapName;
  if (bitmap.found) {
    preview.path = bitmap.path;
  } else {
    preview.missing = true;
    if (ui != nullptr) showError(*ui, "Bitmap " + bitmap.path + " nicht gefunden.");
  }
  return preview;
}

void finishStartUp(Workspace& workspace, UserInterface& ui, const FileExists& exists) {
  if (!workspace.settings().projectNameLabel.empty()) workspace.fileName = workspace.settings().startFile;
  selectView(workspace, workspace.app.selectedView, &ui, exists);
}

bool setBackColor(Project& project, int index) {
  if (index < -1 || index >= static_cast<int>(kBackColorCount) || index == project.BackColor) return false;
  project.BackColor = index;
  project.modified = true;
  return true;
}

}  // namespace kelvaro
