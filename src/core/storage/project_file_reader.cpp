// Reading a project file into the model. Reading only adds: names that exist already (ignoring
// case) are skipped, so a second file merges into the first. Whatever the bytes, the reader
// stays inside each line and never throws on content; it ends early only at a key whose number
// the rest of the file would depend on (BackColor, ExeWinStat, ObjIDNr), or when the project
// would outgrow its budget (kMaxProjectCost).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

#include "ui/user_interface.h"
#include "storage/atomic_file.h"
#include "storage/project_file.h"
#include "storage/project_file_format.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {
namespace projectfile {
namespace {

// A value or object name cut to its field, without trailing blanks: key values are read without
// them, so a text that kept them (after the cut, or an object name the label is written from)
// would change on its first save and read.
std::string fieldText(std::string_view value, std::size_t capacity) { return trimRight(shortText(value, capacity)); }

enum class Section {
  None,  // after "@C", after a duplicate object or station, and before the first header
  Init,
  Typs,
  TypState,
  InitList,  // recognised, its lines ignored
  ConstList,
  Station,
  Plan,
  Object,
  SwitchList,  // its lines ignored
  ExtTransList,
  GrpList,
};

struct ExactHeader {
  std::string_view text;
  Section section;
};
constexpr ExactHeader kExactHeaders[] = {
    {"@Init", Section::Init},           {"@Typs", Section::Typs},           {"@TypState", Section::TypState},
    {"@InitList", Section::InitList},   {"@ConstList", Section::ConstList}, {"@Controller", Section::Station},
    {"@ExtTransList", Section::ExtTransList}, {"@GrpList", Section::GrpList},
};

enum class ObjectKey {
  Unknown, OName, OKind, VoiceContr, ObjIDNr, Group, SndDev, RcvDev,
  SndLineNo, SndAdrA, SndAdr, SndAdr2, SndAdr3, SndAdr4,
  RcvLineNo, RcvAdrA, RcvAdr, RcvAdr2, RcvAdr3, RcvAdr4,
  Extern, Typ, StartVal, StateBitmap, ACode, Pgm, VarDef,
};
struct ObjectKeyName {
  std::string_view key;
  ObjectKey id;
};
constexpr ObjectKeyName kObjectKeys[] = {
    {"OName", ObjectKey::OName},         {"OKind", ObjectKey::OKind},         {"VoiceContr", ObjectKey::VoiceContr},
    {"ObjIDNr", ObjectKey::ObjIDNr},     {"Group", ObjectKey::Group},         {"SndDev", ObjectKey::SndDev},
    {"RcvDev", ObjectKey::RcvDev},       {"SndLineNo", ObjectKey::SndLineNo}, {"SndAdrA", ObjectKey::SndAdrA},
    {"SndAdr", ObjectKey::SndAdr},       {"SndAdr2", ObjectKey::SndAdr2},     {"SndAdr3", ObjectKey::SndAdr3},
    {"SndAdr4", ObjectKey::SndAdr4},     {"RcvLineNo", ObjectKey::RcvLineNo}, {"RcvAdrA", ObjectKey::RcvAdrA},
    {"RcvAdr", ObjectKey::RcvAdr},       {"RcvAdr2", ObjectKey::RcvAdr2},     {"RcvAdr3", ObjectKey::RcvAdr3},
    {"RcvAdr4", ObjectKey::RcvAdr4},     {"Extern", ObjectKey::Extern},       {"Typ", ObjectKey::Typ},
    {"StartVal", ObjectKey::StartVal},   {"+ZBM", ObjectKey::StateBitmap},    {"ACode", ObjectKey::ACode},
    {"*Pgm", ObjectKey::Pgm},            {"*VarDef", ObjectKey::VarDef},
};

enum class StationKey {
  Unknown, CName, CKind, CKindi, CMPKind, CLine, CPArt, CPAdrTyp, CPDevAnz, CPLeitg, CPAdrA,
  CPAdr, CPAdr2, CPAdr3, CPAdr4,
};
struct StationKeyName {
  std::string_view key;
  StationKey id;
};
constexpr StationKeyName kStationKeys[] = {
    {"CName", StationKey::CName},     {"CKind", StationKey::CKind},       {"CKindi", StationKey::CKindi},
    {"CMPKind", StationKey::CMPKind}, {"CLine", StationKey::CLine},       {"CPArt", StationKey::CPArt},
    {"CPAdrTyp", StationKey::CPAdrTyp}, {"CPDevAnz", StationKey::CPDevAnz}, {"CPLeitg", StationKey::CPLeitg},
    {"CPAdrA", StationKey::CPAdrA},   {"CPAdr", StationKey::CPAdr},       {"CPAdr2", StationKey::CPAdr2},
    {"CPAdr3", StationKey::CPAdr3},   {"CPAdr4", StationKey::CPAdr4},
};

template <typename Row, std::size_t N>
const Row* findRow(const Row (&rows)[N], std::string_view key) {
  for (const Row& row : rows)
    if (row.key == key) return &row;
  return nullptr;
}

template <typename Row, std::size_t N>
const Row* findRow(const std::array<Row, N>& rows, std::string_view key) {
  for (const Row& row : rows)
    if (row.key == key) return &row;
  return nullptr;
}

// Names seen so far, upper-cased, so that "is it there already?" is one look-up instead of a walk
// through a list that a large file makes a hundred thousand entries long. Filled from the
// model the first time it is asked, then kept up to date by the reader.
class NoCaseIndex {
 public:
  template <typename List, typename Name>
  void fillOnce(const List& list, Name name) {
    if (m_ready) return;
    for (const auto& entry : list) m_names.insert(upperCase(name(entry)));
    m_ready = true;
  }
  bool contains(std::string_view name) const { return m_names.count(upperCase(name)) != 0; }
  // True when the name was new; it is then known.
  bool insert(std::string_view name) { return m_names.insert(upperCase(name)).second; }

 private:
  std::unordered_set<std::string> m_names;
  bool m_ready = false;
};

// A view or state bitmap read from a file: a bare file name lies in the bitmap directory.
void setBitmap(std::string& name, std::uint8_t& noPath, std::string file) {
  noPath = file.empty() ? 0 : noPathFlag(file);
  name = std::move(file);
}

class Reader {
 public:
  Reader(Project& project, std::size_t budget) : m_project(project), m_budget(budget) {}

  ReadOutcome run(std::string_view bytes) {
    m_cost = projectCost(m_project);
    std::size_t pos = 0;
    std::size_t lineNumber = 0;
    ReadOutcome outcome;
    while (pos < bytes.size()) {
      // Lines end in LF; a CR before it (the CR LF this program writes) is not part of the line.
      const std::size_t end = bytes.find('\n', pos);
      std::string_view line = end == std::string_view::npos ? bytes.substr(pos) : bytes.substr(pos, end - pos);
      pos = end == std::string_view::npos ? bytes.size() : end + 1;
      ++lineNumber;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      // A CR inside a line is read as the blank the writer makes of it, so that a text holding
      // one reads the same before and after a save (two names differing only there are one).
      std::string withoutCr;
      if (line.find('\r') != std::string_view::npos) {
        withoutCr.assign(line);
        std::replace(withoutCr.begin(), withoutCr.end(), '\r', ' ');
        line = withoutCr;
      }
      // An empty line holds nothing, not even the character every line begins with; the writer
      // never writes one, and storing them would let a file of line ends fill the memory.
      if (line.empty()) continue;

      const bool goOn = line.front() == '@' ? header(line) : body(line.substr(1, kReadLineLimit));
      if (!goOn) {
        outcome = {ReadStatus::Stopped, lineNumber, m_stopKey, m_tooLarge};
        break;
      }
    }
    finishTypes();
    return outcome;
  }

 private:
  // header -> "@" name; chooses the section the following lines belong to; false ends the load
  bool header(std::string_view line) {
    if (line == "@C") {
      m_section = Section::None;
    } else if (const ExactHeader* h = findExact(line)) {
      m_section = h->section;
    } else if (line == "@Plan") {
      m_section = Section::Plan;
      m_placement = 1;
    } else if (line == "@ContrNext") {
      if (m_section == Section::Station && !appendStation()) return false;
      // The next station begins with its own CName; lines before it belong to none.
      m_station.reset();
      m_section = Section::Station;
    } else if (line.starts_with("@Object")) {
      return startObject(fieldText(line.size() > 8 ? line.substr(8) : std::string_view{}, kShortText64));
    } else if (line.starts_with("@ContObj")) {
      m_section = Section::Object;
    } else if (line.starts_with("@SwitchList")) {
      m_section = Section::SwitchList;
    }
    // Any other header, "@E" among them, leaves the section as it is.
    return true;
  }

  // afford -> true when the project may grow by this much; else the load ends here
  bool afford(std::size_t cost) {
    if (cost > m_budget || m_cost > m_budget - cost) {
      m_tooLarge = true;
      m_stopKey.clear();
      return false;
    }
    m_cost += cost;
    return true;
  }

  // The project shrank (a text field got shorter).
  void refund(std::size_t cost) { m_cost -= std::min(m_cost, cost); }

  static const ExactHeader* findExact(std::string_view line) {
    for (const ExactHeader& h : kExactHeaders)
      if (h.text == line) return &h;
    return nullptr;
  }

  bool startObject(std::string name) {
    m_objectNames.fillOnce(m_project.objects, [](const TPSObj& o) -> std::string_view { return o.Name; });
    if (m_objectNames.contains(name)) {
      // A second block of an existing object changes nothing: its key lines, conversion list
      // and placements all find no current object.
      m_object = kNone;
      m_section = Section::None;
      return true;
    }
    TPSObj object = createObject(name);
    if (!afford(objectCost(object))) return false;
    m_objectNames.insert(name);
    m_project.objects.push_back(std::move(object));
    m_object = m_project.objects.size() - 1;
    m_section = Section::Object;
    return true;
  }

  bool appendStation() {
    if (!m_station) return true;
    m_stationNames.fillOnce(m_project.stations, [](const TPSContr& s) -> std::string_view { return s.CName; });
    if (!m_stationNames.contains(m_station->CName)) {
      if (!afford(stationCost(*m_station))) return false;
      m_stationNames.insert(m_station->CName);
      m_project.stations.push_back(std::move(*m_station));
    }
    m_station.reset();
    return true;
  }

  // Types keep their list sorted; inserting each new one at its place would move the whole
  // list every time, so new ones wait here and join in one merge at the end of the file.
  bool addNewType(std::string_view entry) {
    m_typeNames.fillOnce(m_project.types, [](const std::string& t) -> std::string_view { return t; });
    if (m_typeNames.contains(entry)) return true;
    if (!afford(kLineCost + entry.size())) return false;
    m_typeNames.insert(entry);
    m_newTypes.emplace_back(entry);
    return true;
  }

  void finishTypes() {
    if (m_newTypes.empty()) return;
    const auto before = [](const std::string& a, const std::string& b) { return compareNoCase(a, b) < 0; };
    std::sort(m_newTypes.begin(), m_newTypes.end(), before);
    std::vector<std::string> merged;
    merged.reserve(m_project.types.size() + m_newTypes.size());
    std::merge(std::make_move_iterator(m_project.types.begin()), std::make_move_iterator(m_project.types.end()),
               std::make_move_iterator(m_newTypes.begin()), std::make_move_iterator(m_newTypes.end()),
               std::back_inserter(merged), before);
    m_project.types = std::move(merged);
    m_newTypes.clear();
  }

  // appendLine -> one more entry of a list of lines, if the project can take it
  bool appendLine(std::vector<std::string>& list, std::string_view text) {
    if (!afford(kLineCost + text.size())) return false;
    list.emplace_back(text);
    return true;
  }

  TPSObj* object() { return m_object == kNone ? nullptr : &m_project.objects[m_object]; }

  // body -> the line without its first character; false ends the load
  bool body(std::string_view text) {
    switch (m_section) {
      case Section::None:
      case Section::InitList:
      case Section::SwitchList:
        return true;
      case Section::Init:
        return initLine(text);
      case Section::Typs:
        return trimRight(text).empty() || addNewType(text);
      case Section::TypState:
        return typeStateLine(text);
      case Section::ConstList:
        return appendLine(m_project.constants, text);
      case Section::GrpList:
        return appendLine(m_project.groupDefs, text);
      case Section::ExtTransList:
        if (TPSObj* o = object()) return appendLine(o->ExtTransList, text);
        return true;
      case Section::Plan:
        return placementLine(text);
      case Section::Object:
        return objectLine(text);
      case Section::Station:
        stationLine(text);
        return true;
    }
    return true;
  }

  // initLine -> View | BackColor | ExeWinStat | ExeWinPos | Extern
  bool initLine(std::string_view text) {
    const auto kv = splitKeyLine(text);
    if (!kv) return true;
    if (kv->key == "View") {
      ColumnSplit parts = splitColumn(kv->value, kViewNameColumn);
      // A view without a name could never carry an object: an empty view name in a
      // placement means "not placed".
      m_viewNames.fillOnce(m_project.views, [](const ViewEntry& v) -> std::string_view { return v.name; });
      if (parts.name.empty() || m_viewNames.contains(parts.name)) return true;
      if (!afford(kNamedBitmapCost + parts.name.size() + parts.file.size())) return false;
      m_viewNames.insert(parts.name);
      TViewInfo info;
      setBitmap(info.BitmapName, info.NoPath, std::move(parts.file));
      m_project.views.push_back({std::move(parts.name), std::move(info)});
    } else if (kv->key == "BackColor") {
      const auto n = parseNumber(kv->value);
      if (!n) return stop(kv->key);
      m_project.BackColor = *n;
    } else if (kv->key == "ExeWinStat") {
      const auto n = parseNumber(kv->value);
      if (!n) return stop(kv->key);
      m_project.ExeWinStat = lowByte(*n);
    } else if (kv->key == "ExeWinPos") {
      const auto g = parseGroup(kv->value);
      if (g[0] && g[1] && g[2] && g[3])
        m_project.ExeWinPos = {*g[0], *g[1], *g[2], *g[3]};
      else
        m_project.ExeWinPos = kDefaultExeWinPos;
    } else if (kv->key == "Extern") {
      m_project.Extern = true;
    }
    return true;
  }

  bool typeStateLine(std::string_view text) {
    ColumnSplit parts = splitColumn(text, kTypeStateColumn);
    m_typeStateNames.fillOnce(m_project.typeStates, [](const TypeStateEntry& e) -> std::string_view { return e.entry; });
    if (parts.name.empty() || m_typeStateNames.contains(parts.name)) return true;
    if (!afford(kNamedBitmapCost + parts.name.size() + parts.file.size())) return false;
    m_typeStateNames.insert(parts.name);
    TypeStateEntry entry{std::move(parts.name), std::nullopt};
    if (!parts.file.empty()) {
      entry.bitmap.emplace();
      setBitmap(entry.bitmap->BitmapName, entry.bitmap->NoPath, std::move(parts.file));
    }
    m_project.typeStates.push_back(std::move(entry));
    return true;
  }

  // placementLine -> view name ";" group of four; only the first three of an object count
  bool placementLine(std::string_view text) {
    const std::size_t n = m_placement++;
    TPSObj* o = object();
    if (!o || n < 1 || n > o->plans.size()) return true;
    SplitResult parts = split(text, ';');
    const auto g = parseGroup(parts.right);
    TPlan& plan = o->plans[n - 1];
    const std::size_t before = plan.ViewName.size(), after = parts.left.size();
    if (after > before && !afford(after - before)) return false;
    if (before > after) refund(before - after);
    plan.ViewName = std::move(parts.left);
    plan.Left = g[0].value_or(0);
    plan.Top = g[1].value_or(0);
    plan.Width = g[2].value_or(0);
    plan.Height = g[3].value_or(0);
    return true;
  }

  bool objectLine(std::string_view text) {
    TPSObj* o = object();
    if (!o) return true;  // key lines before any object
    auto kv = splitKeyLine(text);
    if (!kv) return true;
    const std::string_view value = kv->value;

    if (const FlagKey* flag = findRow(kObjectFlags, kv->key)) {
      const bool readsZero = flag->rule != FlagRule::WrittenAsOne;
      const bool readsOne = flag->rule != FlagRule::WrittenAsZero;
      if (readsZero && value == "0") o->*flag->field = false;
      if (readsOne && value == "1") o->*flag->field = true;
      return true;
    }
    if (const NumberKey* number = findRow(kObjectNumbers, kv->key)) {
      o->*number->field = parseNumber(value).value_or(0);
      return true;
    }
    const ObjectKeyName* row = findRow(kObjectKeys, kv->key);
    const std::int32_t n = parseNumber(value).value_or(0);
    switch (row ? row->id : ObjectKey::Unknown) {
      case ObjectKey::Unknown:
        break;
      case ObjectKey::OName:
        return setText(*o, &TPSObj::OName, fieldText(value, kShortText64));
      case ObjectKey::OKind:
        if (!value.empty()) o->OKind = value.front();
        break;
      case ObjectKey::VoiceContr:
        return setText(*o, &TPSObj::VoiceContr, fieldText(value, kShortText64));
      case ObjectKey::ObjIDNr: {
        const auto id = parseNumber(value);
        if (!id) return stop(kv->key);
        // A number outside 0..65535 can only come from an edited or damaged file; like the
        // byte fields it keeps its low bits, so it loads as some number instead of ending
        // the load, and the user can correct it in the object editor.
        o->ObjIDNr = static_cast<std::uint16_t>(static_cast<std::uint32_t>(*id) & 0xFFFFu);
        break;
      }
      case ObjectKey::Group: {
        std::string group = fieldText(value, kShortText32);
        if (!group.empty() && !addGroupName(group)) return false;
        return setText(*o, &TPSObj::Group, std::move(group));
      }
      case ObjectKey::SndDev:
        return setText(*o, &TPSObj::SndDev, fieldText(value, kShortText32));
      case ObjectKey::RcvDev:
        return setText(*o, &TPSObj::RcvDev, fieldText(value, kShortText32));
      case ObjectKey::SndLineNo: o->Snd.LineNo = n; break;
      case ObjectKey::SndAdrA: o->Snd.AdrA = n; break;
      case ObjectKey::SndAdr: o->Snd.Adr[0] = lowByte(n); break;
      case ObjectKey::SndAdr2: o->Snd.Adr[1] = lowByte(n); break;
      case ObjectKey::SndAdr3: o->Snd.Adr[2] = lowByte(n); break;
      case ObjectKey::SndAdr4: o->Snd.Adr[3] = lowByte(n); break;
      case ObjectKey::RcvLineNo: o->Rcv.LineNo = n; break;
      case ObjectKey::RcvAdrA: o->Rcv.AdrA = n; break;
      case ObjectKey::RcvAdr: o->Rcv.Adr[0] = lowByte(n); break;
      case ObjectKey::RcvAdr2: o->Rcv.Adr[1] = lowByte(n); break;
      case ObjectKey::RcvAdr3: o->Rcv.Adr[2] = lowByte(n); break;
      case ObjectKey::RcvAdr4: o->Rcv.Adr[3] = lowByte(n); break;
      case ObjectKey::Extern: o->Extern = n; break;
      case ObjectKey::Typ:
        return setText(*o, &TPSObj::Typ, fieldText(value, kShortText64));
      case ObjectKey::StartVal:
        return setText(*o, &TPSObj::StartVal, fieldText(value, kShortText64));
      case ObjectKey::StateBitmap:
        return stateBitmapLine(*o, value);
      case ObjectKey::ACode: o->ACode = lowByte(n); break;
      case ObjectKey::Pgm:
        if (!afford(kLineCost + value.size() + 1)) return false;
        o->program.emplace_back().reserve(value.size() + 1);
        o->program.back().append(1, '-').append(value);
        break;
      case ObjectKey::VarDef:
        return appendLine(o->varDefs, value);
    }
    return true;
  }

  // setText -> a text field of the object, if the project can take its growth
  bool setText(TPSObj& o, std::string TPSObj::*field, std::string text) {
    const std::size_t before = objectTextCost(o);
    std::string old = std::exchange(o.*field, std::move(text));
    const std::size_t after = objectTextCost(o);
    if (after > before && !afford(after - before)) {
      o.*field = std::move(old);
      return false;
    }
    if (before > after) refund(before - after);
    return true;
  }

  // Every name a Group line brings joins the list, also one that a later line replaces.
  bool addGroupName(const std::string& name) {
    m_groupNames.fillOnce(m_project.groupNames, [](const std::string& g) -> std::string_view { return g; });
    if (m_groupNames.contains(name)) return true;
    if (!afford(kLineCost + name.size())) return false;
    m_groupNames.insert(name);
    m_project.groupNames.push_back(name);
    return true;
  }

  // +ZBM -> state padded to 48, then the object's own bitmap
  bool stateBitmapLine(TPSObj& o, std::string_view value) {
    ColumnSplit parts = splitColumn(value, kStateBitmapColumn);
    if (!afford(kNamedBitmapCost + parts.name.size() + parts.file.size())) return false;
    StateBitmapEntry entry{std::move(parts.name), std::nullopt};
    if (value.size() > kStateBitmapColumn) {
      entry.bitmap.emplace();
      entry.bitmap->ObjectOwn = 1;
      setBitmap(entry.bitmap->BitmapName, entry.bitmap->NoPath, std::move(parts.file));
    }
    o.stateBitmaps.push_back(std::move(entry));
    return true;
  }

  void stationLine(std::string_view text) {
    const auto kv = splitKeyLine(text);
    if (!kv) return;
    const std::string_view value = kv->value;
    if (kv->key == "CName") {
      std::string name = fieldText(value, kShortText32);
      m_stationNames.fillOnce(m_project.stations, [](const TPSContr& s) -> std::string_view { return s.CName; });
      if (m_stationNames.contains(name)) {
        // A station of that name exists: its lines up to the next header are ignored.
        m_station.reset();
        m_section = Section::None;
        return;
      }
      m_station = createStation(name);
      m_station->CPAdrA = 1;  // a station read from a file uses one address byte unless told
      return;
    }
    if (!m_station) return;  // key lines before any CName
    TPSContr& s = *m_station;
    if (const SlotKey* slot = findRow(kSlotKeys, kv->key)) {
      slotLine(s, slot->field, value);
      return;
    }
    const StationKeyName* row = findRow(kStationKeys, kv->key);
    const std::int32_t n = parseNumber(value).value_or(0);
    switch (row ? row->id : StationKey::Unknown) {
      case StationKey::Unknown:
      case StationKey::CName:
        break;
      case StationKey::CKind: s.CKind = value; break;
      case StationKey::CKindi: s.CKindi = n; break;
      case StationKey::CMPKind: s.CMPKind = value; break;
      case StationKey::CLine: s.CLine = n; break;
      case StationKey::CPArt: s.CPArt = lowByte(n); break;
      case StationKey::CPAdrTyp: s.CPAdrTyp = lowByte(n); break;
      case StationKey::CPDevAnz: s.CPDevAnz = n; break;
      case StationKey::CPLeitg: s.CPLeitg = n; break;
      case StationKey::CPAdrA: s.CPAdrA = n; break;
      case StationKey::CPAdr: s.CPAdr[0] = lowByte(n); break;
      case StationKey::CPAdr2: s.CPAdr[1] = lowByte(n); break;
      case StationKey::CPAdr3: s.CPAdr[2] = lowByte(n); break;
      case StationKey::CPAdr4: s.CPAdr[3] = lowByte(n); break;
    }
  }

  // slotLine -> slot digit 1..8, then the value; any other first character names no slot
  static void slotLine(TPSContr& s, SlotField field, std::string_view value) {
    if (value.empty() || value.front() < '1' || value.front() > '0' + kSlotsPerStation) return;
    DeviceSlot& slot = s.slots[static_cast<std::size_t>(value.front() - '1')];
    const std::string_view rest = value.substr(1);
    const std::int32_t n = parseNumber(rest).value_or(0);
    switch (field) {
      case SlotField::CDevArt: slot.CDevArt = lowByte(n); break;
      case SlotField::CAdr: slot.adr[0] = lowByte(n); break;
      case SlotField::CCon: slot.CCon = n; break;
      case SlotField::CFkt: slot.CFkt = n; break;
      case SlotField::CNam: slot.CNam = fieldText(rest, kShortText32); break;
      case SlotField::CZAnOn: slot.CZAnOn = n; break;
      case SlotField::CEIntW1: slot.CEIntW1 = n; break;
      case SlotField::CEIntW2: slot.CEIntW2 = n; break;
      case SlotField::COfflB:
        // A blank behaviour was trimmed away with the value's trailing blanks.
        slot.COfflB = rest.empty() ? ' ' : rest.front();
        break;
    }
  }

  bool stop(std::string_view key) {
    m_stopKey = key;
    m_tooLarge = false;
    return false;
  }

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  Project& m_project;
  const std::size_t m_budget;
  std::size_t m_cost = 0;  // projectCost of the model as it stands
  Section m_section = Section::None;
  NoCaseIndex m_objectNames, m_viewNames, m_typeNames, m_typeStateNames, m_stationNames, m_groupNames;
  std::vector<std::string> m_newTypes;  // read, not yet merged into the sorted list
  std::size_t m_object = kNone;      // index into the objects list; kNone = no current object
  std::optional<TPSContr> m_station;  // read so far; joins the list at "@ContrNext"
  std::size_t m_placement = 0;  // 1-based placement of the next @Plan line
  std::string m_stopKey;
  bool m_tooLarge = false;
};

}  // namespace

ReadOutcome readProjectBytes(Project& project, std::string_view bytes, std::size_t budget) {
  ReadOutcome outcome = Reader(project, budget).run(bytes);
  rebuildTypeNames(project);
  return outcome;
}

}  // namespace projectfile

ReadStatus readProjectText(Project& project, std::string_view bytes) {
  return projectfile::readProjectBytes(project, bytes).status;
}

namespace {

// Project files are a few megabytes at most; anything far larger is not one and would only
// exhaust memory. No smaller than the budget, so that whatever the budget let a project grow
// to is still a file that opens.
constexpr std::uintmax_t kMaxFileBytes = projectfile::kMaxProjectCost;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

enum class FileProblem { None, Absent, Unreadable };

struct FileBytes {
  FileProblem problem = FileProblem::None;
  std::string bytes;
};

// The whole file, or why not: a file that is there but cannot be read completely is told
// apart from one that is not there, and nothing of a partly read file is used.
FileBytes readWholeFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return {FileProblem::Absent, {}};
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxFileBytes) return {FileProblem::Unreadable, {}};
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return {FileProblem::Unreadable, {}};
  FileBytes result;
  result.bytes.reserve(static_cast<std::size_t>(size));
  char buffer[1 << 16];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    if (result.bytes.size() + got > kMaxFileBytes) return {FileProblem::Unreadable, {}};
    result.bytes.append(buffer, got);
  }
  if (std::ferror(file.get())) return {FileProblem::Unreadable, {}};
  return result;
}

std::string_view bareFileName(std::string_view name) {
  const std::size_t slash = name.find_last_of("/\\");
  return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

std::string joinPath(std::string_view directory, std::string_view name) {
  std::string path(directory);
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  path += name;
  return path;
}

}  // namespace

ReadStatus readProject(Project& project, std::string_view fileName, std::string_view projectDir, UserInterface& ui) {
  std::string path(fileName);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) path = joinPath(projectDir, fileName);
  removeStaleTemporary(path);  // what a killed save of this file left beside it

  const FileBytes file = readWholeFile(path);
  if (file.problem != FileProblem::None) {
    // The default definitions are optional: a missing INIT.SPI is no reason to bother anyone.
    if (upperCase(bareFileName(fileName)) == "INIT.SPI") return ReadStatus::MissingSilent;
    if (file.problem == FileProblem::Absent)
      showError(ui, "Datei " + std::string(fileName) + " nicht gefunden");
    else
      showError(ui, "Datei " + std::string(fileName) + " konnte nicht gelesen werden");
    return ReadStatus::Missing;
  }

  const projectfile::ReadOutcome outcome = projectfile::readProjectBytes(project, file.bytes);
  if (outcome.status == ReadStatus::Stopped) {
    // What was read before stays; the user must know that the rest of the file is missing
    // before saving over it.
    const std::string where = "Datei " + std::string(fileName) + ", Zeile " + std::to_string(outcome.line) + ": ";
    if (outcome.tooLarge)
      showError(ui, where + fromUtf8("Das Projekt würde größer als 64 MB. Der Rest der Datei wurde nicht gelesen."));
    else
      showError(ui, where + outcome.key + fromUtf8(" enthält keine gültige Zahl. Der Rest der Datei wurde nicht gelesen."));
  }
  return outcome.status;
}

}  // namespace kelvaro
