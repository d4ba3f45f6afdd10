// The project model: the ordered lists of one home installation and the records they own.
// Field names are those of the project file, so reader, writer and editors speak one language.
//
// Those names are short and partly German, as the file has always spelt them:
//   T…         a record type: TPSObj an object of the installation ("PS" the program's own
//              records), TPSContr a station, TPlan a placement, TBitmapNam a chosen bitmap.
//   …RB        the choice of an option group, stored as its index (OutpRB the output form,
//              OutpWrtRB the value display, BSInputRB the screen input, NoBitMapRB what shows
//              without a bitmap, GaugeDirRB the gauge's direction).
//   CtZust     the count of states ("Zustände") of the object's type.
//   ObjTypO    the type class the rules look at (kTypeClass…: general, two states, door, shutter).
//   OKind      the kind letter: number, text, button, user type or undefined (kKind…).
//   HdwTyp     the hardware role of the object; SndDev/RcvDev and Snd/Rcv its send and receive
//              devices and frame addresses.
//   RckMsg     "Bestätigung anfordern": a confirmation ("Rückmeldung") is asked for what is sent.
//   ACode      the execution interval of the object's program ("Ausführungsintervall", 254 none,
//              255 the init object); the compiler and the engine also order programs by it.
//   Activ, SpecSt, ExtActiv, ExtTrans  active at start, listed in the action menu, runs on a
//              received value, converts received values through ExtTransList.
//   Gge…, Panel…  the gauge's range and colour, the text panel's characters and rows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro {

// A bitmap chosen for a type state or for one object's state.
struct TBitmapNam {
  std::string BitmapName;
  std::uint8_t NoPath = 0;     // 1: no directory part, the file lies in the bitmap directory
  std::uint8_t ObjectOwn = 0;  // 1: chosen for this object; 0: a copy of the type's bitmap
};

struct TViewInfo {
  std::string BitmapName;  // background bitmap; empty = none
  std::uint8_t NoPath = 0;
};

// One placement of an object on a view.
struct TPlan {
  std::string ViewName;  // empty = placement not in use
  std::int32_t Left = 10, Top = 10, Width = 80, Height = 50;
  std::int32_t work1 = 0, work2 = 0;  // never stored; free for the execution window
};

struct StateBitmapEntry {
  std::string state;
  std::optional<TBitmapNam> bitmap;
};

// Results of the hardware assignment; recomputed, never stored.
struct HardwareWork {
  std::int32_t deviceCode = 0;
  std::int32_t sendChannel = 0;
  std::int32_t receiveChannel = 0;
  std::int32_t channelMode = 0;
  std::int32_t furtherCount = 0;
  bool timeoutFlag = false;
  bool batteryFlag = false;
};

// A frame header stored with an object: line number, address byte count, four address bytes.
struct ObjectAddress {
  std::int32_t LineNo = 0;  // 0 = no address
  std::int32_t AdrA = 0;
  std::array<std::uint8_t, 4> Adr{};
};

inline constexpr char kKindNumber = 'Z';
inline constexpr char kKindText = 'S';
inline constexpr char kKindButton = 'B';
inline constexpr char kKindUser = 'U';
inline constexpr char kKindUndefined = ' ';

inline constexpr std::uint8_t kACodeNone = 254;

// The type an object holds until one is chosen; the compiler and the run leave such objects out.
inline constexpr std::string_view kUntypedObjectType = "Undefiniert";

struct TPSObj {
  std::string Name;
  std::string OName;
  std::string Typ{kUntypedObjectType};
  std::string StartVal;
  std::string VoiceContr;
  char OKind = kKindUndefined;
  std::string Group;
  std::int32_t HdwTyp = 4;
  std::int32_t CtZust = 0;
  std::int32_t ObjTypO = 0;
  std::uint16_t ObjIDNr = 0;
  bool Activ = true;
  bool visible = true;
  bool InputExec = true;
  bool AutoSize = true;
  bool Beep = false;
  bool SpecSt = false;
  bool ExtActiv = true;
  bool RckMsg = false;
  bool ExtTrans = false;
  bool Stretch = false;
  std::string SndDev;
  std::string RcvDev;
  ObjectAddress Snd;
  ObjectAddress Rcv;
  std::uint8_t ACode = kACodeNone;
  std::vector<StateBitmapEntry> stateBitmaps;  // key +ZBM
  std::vector<std::string> program;            // key *Pgm, each line with its "-" marker
  std::vector<std::string> varDefs;            // key *VarDef
  std::vector<std::string> ExtTransList;
  std::int32_t GgeFrom = 0, GgeTo = 0;
  std::int32_t GgeCol = 2;
  std::int32_t PanelCh = 0, PanelRo = 0;
  std::int32_t OutpRB = 0;
  std::int32_t OutpWrtRB = 1;
  std::int32_t BSInputRB = 0;
  std::int32_t NoBitMapRB = 2;
  std::int32_t GaugeDirRB = 0;
  std::array<TPlan, 3> plans{};
  std::int32_t Extern = 0;

  HardwareWork hardware;  // not stored
};

// The stored fields of an object, listed once. Calls f(key, field...) for each, in the order
// kelvaro-cli's JSON shows them, passing the same field of every object given (const or not),
// so that one call can show a record, compare two or copy one into another:
//   forEachStoredField([&](std::string_view key, const auto& field) { ... }, object);
//   forEachStoredField([](std::string_view, auto& to, const auto& from) { to = from; }, copy, source);
// The key is the field's file key; a field the file spreads over several lines (the name of
// "@Object=", the addresses, "+ZBM", "*Pgm", "*VarDef", "@ExtTransList", "@Plan") has the name
// the JSON gives it. A new stored field goes here, so that the JSON view, the copy command and
// the tests of the file see it.
template <class F, class... Objects>
void forEachStoredField(F&& f, Objects&... o) {
  f("name", o.Name...);
  f("OName", o.OName...);
  f("Typ", o.Typ...);
  f("StartVal", o.StartVal...);
  f("VoiceContr", o.VoiceContr...);
  f("OKind", o.OKind...);
  f("Group", o.Group...);
  f("HdwTyp", o.HdwTyp...);
  f("CtZust", o.CtZust...);
  f("ObjTypO", o.ObjTypO...);
  f("ObjIDNr", o.ObjIDNr...);
  f("Activ", o.Activ...);
  f("visible", o.visible...);
  f("InputExec", o.InputExec...);
  f("AutoSize", o.AutoSize...);
  f("Beep", o.Beep...);
  f("SpecSt", o.SpecSt...);
  f("ExtActiv", o.ExtActiv...);
  f("RckMsg", o.RckMsg...);
  f("ExtTrans", o.ExtTrans...);
  f("Stretch", o.Stretch...);
  f("SndDev", o.SndDev...);
  f("RcvDev", o.RcvDev...);
  f("send", o.Snd...);
  f("receive", o.Rcv...);
  f("ACode", o.ACode...);
  f("stateBitmaps", o.stateBitmaps...);
  f("program", o.program...);
  f("varDefs", o.varDefs...);
  f("ExtTransList", o.ExtTransList...);
  f("GgeFrom", o.GgeFrom...);
  f("GgeTo", o.GgeTo...);
  f("GgeCol", o.GgeCol...);
  f("PanelCh", o.PanelCh...);
  f("PanelRo", o.PanelRo...);
  f("OutpRB", o.OutpRB...);
  f("OutpWrtRB", o.OutpWrtRB...);
  f("BSInputRB", o.BSInputRB...);
  f("NoBitMapRB", o.NoBitMapRB...);
  f("GaugeDirRB", o.GaugeDirRB...);
  f("plans", o.plans...);
  f("Extern", o.Extern...);
}

// One connection of a station.
struct DeviceSlot {
  std::uint8_t CDevArt = 0;  // 0 = slot free
  char COfflB = '\0';        // blank = no offline behaviour; NUL until configured
  std::int32_t CCon = 0;
  std::int32_t CFkt = 0;
  std::int32_t CZAnOn = 0;
  std::int32_t adrLine = 0, adrCount = 0;  // not stored
  std::array<std::uint8_t, 4> adr{};       // only the first byte is stored, as CAdr
  std::int32_t CEIntW1 = 0, CEIntW2 = 0;
  std::string CNam;
};

inline constexpr int kSlotsPerStation = 8;

struct TPSContr {
  std::string CName;
  std::string CKind;
  std::string CMPKind;
  std::int32_t CKindi = 0;
  std::int32_t CLine = 0;
  std::int32_t Reserved = 0;  // not stored
  std::uint8_t CPArt = 0;
  std::uint8_t CPAdrTyp = 0;
  std::int32_t CPLeitg = 0;
  std::int32_t CPAdrA = 0;
  std::array<std::uint8_t, 4> CPAdr{};
  std::array<DeviceSlot, kSlotsPerStation> slots{};
  std::int32_t CPDevAnz = 0;
};

// Switching-group address record used by the station configuration.
struct TDevGr {
  std::uint8_t GroupAdr = 0;
  std::uint8_t Flag = 0;
};

struct ViewEntry {
  std::string name;
  TViewInfo info;
};

struct TypeStateEntry {
  std::string entry;  // type name, ":", state name
  std::optional<TBitmapNam> bitmap;
};

struct WindowPosition {
  std::int32_t left = 0, top = 0, width = 0, height = 0;  // width 0 = no stored position
};

inline constexpr WindowPosition kDefaultExeWinPos{10, 10, 600, 400};

struct Project {
  std::vector<ViewEntry> views;
  std::vector<std::string> types;      // "name;kind", sorted ignoring case
  std::vector<std::string> typeNames;  // the shown type list
  std::vector<TypeStateEntry> typeStates;
  std::vector<std::string> constants;
  std::vector<TPSObj> objects;
  std::vector<TPSContr> stations;
  std::vector<std::string> groupDefs;
  std::vector<std::string> groupNames;

  std::int32_t BackColor = -1;
  std::uint8_t ExeWinStat = 0;
  WindowPosition ExeWinPos;
  bool Extern = false;
  bool modified = false;
};

// Record constructors with the defaults of a new object or station.
TPSObj createObject(std::string_view name);
TPSContr createStation(std::string_view name);

// The list look-ups ignore letter case; -1 when absent.
int findView(const Project& project, std::string_view name);
int findObject(const Project& project, std::string_view name);
int findStation(const Project& project, std::string_view name);
int findTypeState(const Project& project, std::string_view entry);

// Adds a view unless one of that name exists; false when it was there.
bool addView(Project& project, std::string_view name, const TViewInfo& info = {});
// Adds a type entry at its sorted place unless an equal entry exists.
bool addType(Project& project, std::string_view entry);
bool addGroupName(Project& project, std::string_view name);

// Empties every list and resets the project-wide settings.
void clearProject(Project& project);
// Rebuilds the shown type list: the text before the first ";" of each type entry.
void rebuildTypeNames(Project& project);

// The text before the first "." (all of it when there is none).
std::string fileNameStem(std::string_view text);

struct SplitResult {
  std::string left;
  std::string right;  // at most 255 characters
  bool found = false;
};
// Splits at the first separator; both parts empty when it is absent.
SplitResult split(std::string_view text, char separator);

// 1 when the file name has no directory part.
std::uint8_t noPathFlag(std::string_view fileName);

}  // namespace kelvaro
