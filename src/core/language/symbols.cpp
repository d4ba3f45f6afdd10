// The symbol list and the creation of variables from their type and start text.
#include "language/symbols.h"

#include <cmath>
#include <cstdlib>

#include "model/type_states.h"
#include "text/cp1252.h"
#include "text/text_util.h"
#include "time/date_time.h"

namespace kelvaro {

int SymbolList::find(std::string_view key) const {
  const auto it = m_byKey.find(upperCase(key));
  return it == m_byKey.end() ? -1 : it->second;
}

int SymbolList::findText(std::string_view text) const {
  const auto it = m_texts.find(std::string(text));
  return it == m_texts.end() ? -1 : it->second;
}

int SymbolList::findInteger(std::int32_t value) const {
  const auto it = m_integers.find(value);
  return it == m_integers.end() ? -1 : it->second;
}

int SymbolList::append(std::string key, VariableDescriptor value) {
  if (full()) return -1;
  const int number = static_cast<int>(m_symbols.size());
  m_byKey.try_emplace(upperCase(key), number);
  if (key == kConstantKey) {
    if (const auto* text = std::get_if<TVarStr>(&value)) m_texts.try_emplace(text->Value, number);
    if (const auto* integer = std::get_if<TVarInt>(&value)) m_integers.try_emplace(integer->Value, number);
  }
  m_symbols.push_back({std::move(key), std::move(value), {}});
  return number;
}

void SymbolList::clear() {
  m_symbols.clear();
  m_byKey.clear();
  m_texts.clear();
  m_integers.clear();
}

namespace {

// "Zahl": a comma becomes a point; with a point a real with its count of decimals.
VariableDescriptor numberVariable(std::string_view start) {
  std::string text(start);
  for (char& c : text)
    if (c == ',') c = '.';
  const std::size_t point = text.find('.');
  if (point == std::string::npos) return TVarInt{intOr0(text), -1};
  TVarReal real;
  real.Decimals = static_cast<std::int32_t>(text.size() - point - 1);
  if (const std::optional<double> value = parseReal(text)) real.Value = *value;
  return real;
}

std::optional<DateTime> timeValue(std::string_view type, std::string_view start) {
  if (start.empty() || start == "0") return 0.0;  // "0": the start of every object's CT time
  if (type == "Uhr") return parseTime(start);
  if (type == "Datum") return parseDate(start);
  if (const auto both = parseDateTime(start)) return both;
  if (const auto date = parseDate(start)) return date;
  return parseTime(start);
}

}  // namespace

int createVariable(SymbolList& symbols, const std::vector<TypeStateEntry>& typeStates, std::string_view object,
                   std::string_view name, std::string_view type, std::string_view start) {
  const std::string key = upperCase(object) + "." + upperCase(name);
  if (type == "Zahl") return symbols.append(key, numberVariable(start));
  if (type == "Zeichen") return symbols.append(key, TVarStr{"", std::string(start), -1});
  if (type == "Zeit" || type == "Uhr" || type == "Datum") {
    const auto value = timeValue(type, start);
    if (!value) return kBadTimeValue;
    return symbols.append(key, TVarTime{std::string(type), *value});
  }
  if (name == "*INIT") return kNoSymbol;
  TVarUser user;
  user.TypeName = shortText(type, kShortText32);
  user.State = stateIndex(typeStates, type, start);
  user.MaxState = stateIndex(typeStates, type, kMaxStatePseudo);
  return symbols.append(key, user);
}

std::string_view symbolKindName(const VariableDescriptor& value) {
  switch (value.index()) {
    case 0: return "Int";
    case 1: return "Real";
    case 2: return "Time";
    case 3: return "Str";
    default: return "User";
  }
}

}  // namespace kelvaro
