// What the execution window needs beside the run session: the state bitmaps a run shows, how
// each object's element is set up and what a bitmap element shows, where the window opens,
// and the lines of the message lists. The widgets only follow what these functions decide.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/project.h"
#include "runtime/run_session.h"

namespace kelvaro {

// Before a run every state of a user-type object gets the type's state bitmap unless the
// object chose one of its own, in the type's state order, so that a state number indexes
// its bitmap. keepOwnBitmaps drops the copies again after the run.
void attachTypeBitmaps(Project& project);

// How the element of an object is set up when its view is built.
struct ElementSetup {
  ElementKind element = ElementKind::None;
  std::string label;  // OName: panel label, gauge header, button caption, image hint
  // Gauges.
  std::int32_t minValue = 0, maxValue = 0;
  char valueKind = ' ';       // ' ' none, 'W' value, 'P' percent
  std::int32_t direction = 0;  // 0 horizontal, 1 vertical
  bool slider = false;
  std::int32_t colour = 2;     // index in kColorNames
  // Panels.
  std::int32_t charsPerRow = 0, rows = 0;
  bool autoFont = true;
  // Bitmap elements.
  bool stretch = false;
};
ElementSetup elementSetup(const TPSObj& object, ElementKind element);

// The colour index a gauge's bar shows: the one BALKENFARBE set, else the object's own.
std::int32_t gaugeColour(const TPSObj& object, const ObjectRunState& run);

// What the bitmap element of a state object shows after a display refresh.
enum class BitmapShow {
  Hidden,     // nothing: not visible, "keine Anzeige", or a missing file
  Picture,    // the state's bitmap
  StateName,  // the state's name in the element's text panel
  Unchanged,  // "keine Änderung": whatever it showed before stays
};
BitmapShow bitmapShow(const TPSObj& object, const ObjectDisplay& display, bool backgroundShown);

// The background bitmap file of a view: the stored name, in the bitmap directory when it
// was stored without a path; "" when the view has none.
std::string viewBitmapFile(const Project& project, std::string_view view, const std::string& bitmapDirectory,
                           std::string_view projectFile = {});

// The text of the name panel a right press shows on an element.
std::string namePanelText(const TPSObj& object);

// Window states as ExeWinStat stores them.
inline constexpr std::uint8_t kWindowNormal = 0;
inline constexpr std::uint8_t kWindowMinimized = 1;
inline constexpr std::uint8_t kWindowMaximized = 2;

struct WindowPlacement {
  std::uint8_t state = kWindowNormal;
  bool usePosition = false;  // place the window at `position`
  WindowPosition position;
};
// Where the execution window opens: the stored state when it is not normal, else the stored
// position when it has a width, else wherever the system puts it.
WindowPlacement executionWindowPlacement(const Project& project);
// Stores the window's place back. A window pushed past the screen's left or top edge is
// stored at 0, since the file form cannot hold a negative number and would lose the size.
void storeExecutionWindowPlacement(Project& project, WindowPosition position, std::uint8_t state);

// The message lists of the window "Meldungen".
enum class MessageList { Timeouts = 0, Batteries = 1, Powerline = 2 };
extern const std::array<std::string, 3> kMessageListNames;
// 57.6 minutes: a radio device silent longer than this has timed out.
inline constexpr DateTime kRadioTimeout = 0.04;
std::vector<std::string> messageListLines(const RunSession& session, MessageList list, DateTime now);

}  // namespace kelvaro
