// Number groups, padded columns and key lines of the project file.
#include "storage/project_file_format.h"

#include <algorithm>
#include <charconv>

#include "text/text_util.h"

namespace kelvaro::projectfile {

std::optional<std::int32_t> parseNumber(std::string_view text) { return parseInt(text); }

std::uint8_t lowByte(std::int32_t value) { return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFFu); }

void appendGroup(std::string& out, const NumberGroup& numbers) {
  for (const std::int32_t n : numbers) {
    const std::int32_t held = std::clamp<std::int32_t>(n, -9999, 99999);
    char digits[8];
    const auto [ptr, ec] = std::to_chars(digits, digits + sizeof digits, held);
    const auto length = static_cast<std::size_t>(ptr - digits);
    out.append(kGroupFieldWidth - length, '0');  // the blanks of right alignment, written as "0"
    out.append(digits, length);
  }
}

std::array<std::optional<std::int32_t>, kGroupFields> parseGroup(std::string_view text) {
  std::array<std::optional<std::int32_t>, kGroupFields> fields{};
  for (std::size_t i = 0; i < kGroupFields; ++i) {
    const std::size_t at = i * kGroupFieldWidth;
    if (at >= text.size()) continue;
    std::string_view field = text.substr(at, kGroupFieldWidth);
    // The writer fills a negative number's field with "0" before its sign ("000-8"): read
    // those, and leading blanks, as the padding they are, so that the number comes back.
    const std::size_t sign = field.find_first_not_of("0 ");
    if (sign != std::string_view::npos && field[sign] == '-') field.remove_prefix(sign);
    else if (const std::size_t digit = field.find_first_not_of(' '); digit != std::string_view::npos)
      field.remove_prefix(digit);
    fields[i] = parseNumber(field);
  }
  return fields;
}

void appendPadded(std::string& out, std::string_view name, std::size_t column) {
  out += name;
  if (name.size() < column) out.append(column - name.size(), ' ');
}

ColumnSplit splitColumn(std::string_view text, std::size_t column) {
  ColumnSplit parts;
  parts.name = trimRight(text.substr(0, column));
  if (text.size() > column) parts.file = trimRight(text.substr(column));
  return parts;
}

std::optional<KeyLine> splitKeyLine(std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  std::string_view value = line.substr(eq + 1);
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  if (value == ";") value = {};
  return KeyLine{line.substr(0, eq), value};
}

bool offlineBehaviourWritten(char c) { return c != ' ' && c != '\0' && c != '\r' && c != '\n'; }

std::size_t objectTextCost(const TPSObj& o) {
  static const std::size_t defaultTyp = TPSObj{}.Typ.size();
  std::size_t cost = o.Name.size() + std::max(o.OName.size(), o.Name.size()) + o.VoiceContr.size() +
                     o.Group.size() + o.SndDev.size() + o.RcvDev.size() + std::max(o.Typ.size(), defaultTyp) +
                     o.StartVal.size();
  for (const TPlan& plan : o.plans) cost += plan.ViewName.size();
  return cost;
}

std::size_t objectCost(const TPSObj& o) {
  std::size_t cost = kObjectBaseCost + objectTextCost(o);
  for (const StateBitmapEntry& b : o.stateBitmaps)
    cost += kNamedBitmapCost + b.state.size() + (b.bitmap ? b.bitmap->BitmapName.size() : 0);
  // A program line without its marker is written empty and comes back as "-".
  for (const std::string& line : o.program) cost += kLineCost + std::max<std::size_t>(line.size(), 1);
  for (const std::string& v : o.varDefs) cost += kLineCost + v.size();
  for (const std::string& e : o.ExtTransList) cost += kLineCost + e.size();
  return cost;
}

std::size_t stationCost(const TPSContr& s) {
  std::size_t cost = kStationBaseCost + s.CName.size() + s.CKind.size() + s.CMPKind.size();
  for (const DeviceSlot& slot : s.slots) cost += slot.CNam.size();
  return cost;
}

std::size_t projectCost(const Project& p) {
  std::size_t cost = kProjectBaseCost;
  for (const ViewEntry& v : p.views) cost += kNamedBitmapCost + v.name.size() + v.info.BitmapName.size();
  for (const std::string& t : p.types) cost += kLineCost + t.size();
  for (const TypeStateEntry& e : p.typeStates)
    cost += kNamedBitmapCost + e.entry.size() + (e.bitmap ? e.bitmap->BitmapName.size() : 0);
  for (const std::string& c : p.constants) cost += kLineCost + c.size();
  for (const TPSObj& o : p.objects) cost += objectCost(o);
  for (const TPSContr& s : p.stations) cost += stationCost(s);
  for (const std::string& g : p.groupDefs) cost += kLineCost + g.size();
  for (const std::string& g : p.groupNames) cost += kLineCost + g.size();  // never written, but held
  return cost;
}

}  // namespace kelvaro::projectfile
