// The execution window's decisions that are not the session's: bitmaps, element set-up,
// placement and message lists.
#include "runtime/run_window_support.h"

#include <algorithm>

#include "model/bitmap_search.h"
#include "model/colors.h"
#include "text/text_util.h"

namespace kelvaro {

const std::array<std::string, 3> kMessageListNames = {
    "Zeit\xFC" "berschreitungen", "Batteriemeldungen", "Powerline-Kommunikation"};

// attachTypeBitmaps -> own bitmaps stay, every other state takes the type's
void attachTypeBitmaps(Project& project) {
  for (TPSObj& o : project.objects) {
    if (o.OKind != kKindUser) continue;
    std::vector<StateBitmapEntry> list;
    for (const TypeStateEntry& entry : project.typeStates) {
      const std::size_t colon = entry.entry.find(':');
      if (colon == std::string::npos || std::string_view(entry.entry).substr(0, colon) != o.Typ) continue;
      const std::string state = entry.entry.substr(colon + 1);
      const auto own = std::find_if(o.stateBitmaps.begin(), o.stateBitmaps.end(), [&](const StateBitmapEntry& e) {
        return e.bitmap && e.bitmap->ObjectOwn != 0 && equalsNoCase(e.state, state);
      });
      if (own != o.stateBitmaps.end()) {
        list.push_back(*own);
      } else if (entry.bitmap) {
        list.push_back({state, TBitmapNam{entry.bitmap->BitmapName, entry.bitmap->NoPath, 0}});
      } else {
        list.push_back({state, std::nullopt});
      }
    }
    o.stateBitmaps = std::move(list);
  }
}

ElementSetup elementSetup(const TPSObj& o, ElementKind element) {
  ElementSetup s;
  s.element = element;
  s.label = o.OName;
  s.autoFont = o.AutoSize;
  s.charsPerRow = o.PanelCh;
  s.rows = o.PanelRo;
  s.stretch = o.Stretch;
  if (element == ElementKind::Gauge) {
    s.minValue = o.GgeFrom;
    s.maxValue = o.GgeTo;
    s.valueKind = o.OutpWrtRB == 1 ? 'W' : o.OutpWrtRB == 2 ? 'P' : ' ';
    s.direction = o.GaugeDirRB == 1 ? 1 : 0;
    s.slider = o.OutpRB == 2;
  }
  s.colour = o.GgeCol >= 0 && static_cast<std::size_t>(o.GgeCol) < kColorNames.size() ? o.GgeCol : 2;
  return s;
}

std::int32_t gaugeColour(const TPSObj& object, const ObjectRunState& run) {
  if (run.gaugeColor >= 0 && static_cast<std::size_t>(run.gaugeColor) < kColorNames.size()) return run.gaugeColor;
  return elementSetup(object, ElementKind::Gauge).colour;
}

// bitmapShow -> by visibility, background, the state's bitmap and NoBitMapRB
BitmapShow bitmapShow(const TPSObj& o, const ObjectDisplay& d, bool backgroundShown) {
  if (!d.visible) return BitmapShow::Hidden;
  const bool validState = d.state >= 0 && static_cast<std::size_t>(d.state) < o.stateBitmaps.size();
  if (!validState) return BitmapShow::Unchanged;
  // Without a floor plan behind them the states read better as words than as pictures.
  if (!backgroundShown) return BitmapShow::StateName;
  if (!d.bitmap.empty()) return BitmapShow::Picture;
  switch (o.NoBitMapRB) {
    case 0: return BitmapShow::Hidden;
    case 1: return BitmapShow::StateName;
    default: return BitmapShow::Unchanged;
  }
}

std::string viewBitmapFile(const Project& project, std::string_view view, const std::string& bitmapDirectory,
                           std::string_view projectFile) {
  const int index = findView(project, view);
  if (index < 0) return {};
  const TViewInfo& info = project.views[static_cast<std::size_t>(index)].info;
  return findBitmap(info.BitmapName, info.NoPath, bitmapDirectory, projectFile).path;
}

std::string namePanelText(const TPSObj& object) { return " " + object.OName + " "; }

WindowPlacement executionWindowPlacement(const Project& project) {
  WindowPlacement p;
  if (project.ExeWinStat != 0) {
    p.state = project.ExeWinStat;
  } else if (project.ExeWinPos.width != 0) {
    p.usePosition = true;
    p.position = project.ExeWinPos;
  }
  return p;
}

void storeExecutionWindowPlacement(Project& project, WindowPosition position, std::uint8_t state) {
  position.left = std::max(position.left, 0);
  position.top = std::max(position.top, 0);
  project.ExeWinStat = state;
  project.ExeWinPos = position;
}

// messageListLines -> the objects the chosen list names, in project order
std::vector<std::string> messageListLines(const RunSession& session, MessageList list, DateTime now) {
  std::vector<std::string> lines;
  const Project& project = session.engine().project();
  const auto& run = session.engine().objects();
  for (std::size_t i = 0; i < project.objects.size() && i < run.size(); ++i) {
    const TPSObj& o = project.objects[i];
    const ObjectDisplay& d = session.display(static_cast<int>(i));
    // A sensor has only a receive device: its name is the one to show, not an empty one.
    const std::string& device = o.hardware.deviceCode == 301 || o.SndDev.empty() ? o.RcvDev : o.SndDev;
    switch (list) {
      case MessageList::Timeouts:
        if (d.timeout && now - run[i].lastChange > kRadioTimeout)
          lines.push_back(o.OName + ", letzte Meldung von " + device + ": " + dateTimeText(run[i].lastChange));
        break;
      case MessageList::Batteries:
        if (d.battery) lines.push_back(" Batterie-Warnung von " + device);
        break;
      case MessageList::Powerline:
        if (d.powerlineError) lines.push_back("Kommunikationsfehler aufgetreten bei " + o.OName);
        break;
    }
  }
  return lines;
}

}  // namespace kelvaro
