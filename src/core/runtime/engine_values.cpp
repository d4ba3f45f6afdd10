// The engine's values: numbers, texts and times of operands, and Compare with its pair rules.
// Compare settles the kinds of both operands first and makes only the form it compares in:
// a number from a text, a text from a time, never all of them for every test.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "model/type_states.h"
#include "runtime/engine.h"
#include "runtime/engine_support.h"
#include "text/cp1252.h"

namespace kelvaro {

using namespace engine_detail;

// What Compare needs of one operand.
struct Engine::OperandInfo {
  char letter = 'N';  // I integer, U state, R real, S text, T time, N nothing
  std::int32_t integer = 0;
  double real = 0.0;
  const std::string* format = nullptr;  // of a time: "Zeit", "Uhr", "Datum", "Uhrzeit5"
  const std::string* text = nullptr;    // of a text, or once made
  bool numbersFromText = false;         // a text variable: its integer and real come from its text
  std::string own;                      // a text made for the comparison
};

namespace {

const std::string kZeitFormat = "Zeit", kUhrFormat = "Uhr", kDatumFormat = "Datum", kUhrzeit5Format = "Uhrzeit5";

}  // namespace

DateTime Engine::sunTime(const CodeOperand& operand, bool sunrise) const {
  const DateTime date = operand.argument >= 0 ? timeValue({operand.argument, -1}) : std::floor(now());
  const SunTimesResult r = SunTimes(std::floor(date), m_options.applySummerTime, m_options.sun);
  const auto& event = sunrise ? r.sunrise : r.sunset;
  return event ? timeOfDay(event->time) : 0.0;
}

DateTime Engine::randomTime(const CodeOperand& operand) const {
  const ClockTime span = decodeTime(operand.argument >= 0 ? timeValue({operand.argument, -1}) : 0.0);
  const int minutes = span.hour * 60 + span.minute;
  if (minutes <= 0) return 0.0;
  const int minute = std::uniform_int_distribution<int>(0, minutes - 1)(m_random);
  const int second = 5 * std::uniform_int_distribution<int>(0, 11)(m_random);
  return (minute * 60.0 + second) / kSecondsPerDay;
}

NumericResult Engine::numericValue(const CodeOperand& operand) const {
  const int n = operand.number;
  if (isSystemValue(n)) {
    const DateTime t = now();
    auto integer = [](std::int32_t v) { return NumericResult{2, v, static_cast<double>(v)}; };
    auto time = [](DateTime v) { return NumericResult{5, clampToInt(v), v}; };
    switch (n) {
      case sys::kTag: return integer(dayOfWeek(t));
      case sys::kSec5: return integer(clockSecond);
      case sys::kMonat: return integer(decodeDate(t).month);
      case sys::kObjFehlAnz: return integer(objectErrorCount);
      case sys::kMonatstag: return integer(decodeDate(t).day);
      case sys::kJahr: return integer(decodeDate(t).year - 2000);
      case sys::kRechne: return {};
      case sys::kFehlerObjekt: return {4, -1, -1.0};
      default: return time(timeValue(operand));
    }
  }
  if (!validSymbol(n)) return {};
  const VariableDescriptor& d = m_compiled.symbols[static_cast<std::size_t>(n)].value;
  if (const auto* v = std::get_if<TVarReal>(&d)) return {3, roundEven(v->Value), v->Value};
  if (const auto* v = std::get_if<TVarInt>(&d)) return {2, v->Value, static_cast<double>(v->Value)};
  if (const auto* v = std::get_if<TVarUser>(&d)) return {1, v->State, static_cast<double>(v->State)};
  if (const auto* v = std::get_if<TVarTime>(&d)) return {5, clampToInt(v->Value), v->Value};
  // A text counts as the number of the state it names, in whichever type has that state first.
  const auto& text = std::get<TVarStr>(d).Value;
  for (const auto& e : m_project.typeStates) {
    const auto colon = e.entry.find(':');
    if (colon == std::string::npos) continue;
    const std::string type = e.entry.substr(0, colon);
    const std::int32_t k = stateIndex(m_project.typeStates, type, text);
    if (k >= 0) return {4, k, static_cast<double>(k)};
  }
  return {4, -1, -1.0};
}

std::string Engine::textValue(const CodeOperand& operand) const {
  const int n = operand.number;
  if (isSystemValue(n)) {
    const DateTime t = now();
    switch (n) {
      case sys::kZeit: return dateTimeText(t);
      case sys::kDatum: return dateText(t);
      case sys::kUhrzeit: return kelvaro::timeText(t);
      case sys::kTag: return std::string(kWeekdays[(dayOfWeek(t) + 6) % 7]);
      case sys::kUhrzeit5: return clockText;
      case sys::kRechne: return {};
      case sys::kFehlerObjekt:
        if (objectErrorCount < 1 || !validObject(errorObjectIndex)) return " ";
        return m_project.objects[static_cast<std::size_t>(errorObjectIndex)].Name;
      case sys::kJahr: {
        const int y = decodeDate(t).year - 2000;
        return (y >= 0 && y < 10 ? "0" : "") + std::to_string(y);
      }
      case sys::kStoppzeit:
      case sys::kZufallszeit:
      case sys::kSonnenaufgang:
      case sys::kSonnenuntergang: return kelvaro::timeText(timeValue(operand));
      default: return std::to_string(numericValue(operand).integer);
    }
  }
  if (!validSymbol(n)) return {};
  const VariableDescriptor& d = m_compiled.symbols[static_cast<std::size_t>(n)].value;
  if (const auto* v = std::get_if<TVarUser>(&d)) return stateAt(m_project.typeStates, v->TypeName, v->State);
  if (const auto* v = std::get_if<TVarInt>(&d)) return std::to_string(v->Value);
  if (const auto* v = std::get_if<TVarReal>(&d)) return realText(v->Value, v->Decimals);
  if (const auto* v = std::get_if<TVarStr>(&d)) return v->Value;
  const auto& t = std::get<TVarTime>(d);
  if (t.TypeName == "Uhr") return kelvaro::timeText(t.Value);
  if (t.TypeName == "Datum") return dateText(t.Value);
  return dateTimeText(t.Value);
}

DateTime Engine::timeValue(const CodeOperand& operand) const {
  const int n = operand.number;
  if (isSystemValue(n)) {
    const DateTime t = now();
    switch (n) {
      case sys::kZeit: return t;
      case sys::kDatum: return std::floor(t);
      case sys::kUhrzeit: return timeOfDay(t);
      case sys::kUhrzeit5: return timeOfDay(clockTime);
      case sys::kSec5: return clockSecond / kSecondsPerDay;
      case sys::kTag: return dayOfWeek(t);
      case sys::kStoppzeit: return t - (operand.argument >= 0 ? timeValue({operand.argument, -1}) : t);
      case sys::kZufallszeit: return randomTime(operand);
      case sys::kSonnenaufgang: return sunTime(operand, true);
      case sys::kSonnenuntergang: return sunTime(operand, false);
      default: return 0.0;
    }
  }
  if (!validSymbol(n)) return 0.0;
  const VariableDescriptor& d = m_compiled.symbols[static_cast<std::size_t>(n)].value;
  if (const auto* v = std::get_if<TVarTime>(&d)) return v->Value;
  if (const auto* v = std::get_if<TVarStr>(&d)) return textTime(v->Value);
  if (const auto* v = std::get_if<TVarReal>(&d)) return v->Value;
  return 0.0;
}

// formattedTime -> a time written by its format; the last few are kept, since a condition
// such as «UHRZEIT SPAETER "18:00"» writes the same time on every test of a pass
const std::string& Engine::formattedTime(double value, const std::string& format) const {
  for (const auto& cached : m_timeTexts)
    if (cached.value == value && cached.format == format) return cached.text;
  std::rotate(m_timeTexts.rbegin(), m_timeTexts.rbegin() + 1, m_timeTexts.rend());
  TimeText& slot = m_timeTexts.front();
  slot.value = value;
  slot.format = format;
  // The 5-second clock is written as the time of day it holds, so that «UHRZEIT5 = "07:30:00"»
  // can be true.
  if (format == kUhrFormat || format == kUhrzeit5Format) slot.text = kelvaro::timeText(value);
  else if (format == kDatumFormat) slot.text = dateText(value);
  else slot.text = dateTimeText(value);
  return slot.text;
}

// describe -> the kind letter of an operand and its numbers; its text comes from textOf
Engine::OperandInfo Engine::describe(const CodeOperand& operand) const {
  OperandInfo info;
  const int n = operand.number;
  auto asTime = [&](const std::string& format) {
    info.letter = 'T';
    info.format = &format;
    info.real = timeValue(operand);
    info.integer = clampToInt(info.real);
  };
  if (isSystemValue(n)) {
    switch (n) {
      case sys::kZeit: asTime(kZeitFormat); break;
      case sys::kDatum: asTime(kDatumFormat); break;
      case sys::kUhrzeit5: asTime(kUhrzeit5Format); break;
      case sys::kUhrzeit:
      case sys::kStoppzeit:
      case sys::kZufallszeit:
      case sys::kSonnenaufgang:
      case sys::kSonnenuntergang: asTime(kUhrFormat); break;
      case sys::kRechne: break;
      case sys::kFehlerObjekt: info.letter = 'S'; break;
      default: {
        const NumericResult v = numericValue(operand);
        info.letter = 'I';
        info.integer = v.integer;
        info.real = v.real;
        break;
      }
    }
    return info;
  }
  if (!validSymbol(n)) return info;
  const VariableDescriptor& d = m_compiled.symbols[static_cast<std::size_t>(n)].value;
  if (const auto* v = std::get_if<TVarTime>(&d)) {
    asTime(v->TypeName);
  } else if (const auto* s = std::get_if<TVarStr>(&d)) {
    info.letter = 'S';
    info.text = &s->Value;
    info.numbersFromText = true;
  } else {
    const NumericResult v = numericValue(operand);
    info.letter = v.kind == 3 ? 'R' : v.kind == 1 ? 'U' : 'I';
    info.integer = v.integer;
    info.real = v.real;
  }
  return info;
}

// textOf -> the operand as a text: a time by its format, a number or state as the views show it
const std::string& Engine::textOf(OperandInfo& info, const CodeOperand& operand) const {
  if (info.text) return *info.text;
  // A copy: the next time made for the same comparison may take the cached one's place.
  if (info.letter == 'T') info.own = formattedTime(info.real, *info.format);
  else if (info.letter != 'N') info.own = textValue(operand);
  info.text = &info.own;
  return *info.text;
}

// compare -> the pair of kind letters chooses integers, reals or texts; then the operator
int Engine::compare(const CodeOperand& left, const CodeOperand& right, std::uint8_t op, const CodeOperand& third) const {
  OperandInfo a = describe(left);
  OperandInfo b = describe(right);
  // The numbers of a text: its digits as an integer, its reading as a decimal number.
  auto integerOf = [](const OperandInfo& x) { return x.numbersFromText ? digitsValue(*x.text) : x.integer; };
  if (op == tok::kWildcardEqual) {
    // =#: "*" in either text matches any character
    const std::string& x = textOf(a, left);
    const std::string& y = textOf(b, right);
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (i >= y.size()) {
        if (x[i] != '*') return 0;
      } else if (x[i] != y[i] && x[i] != '*' && y[i] != '*') {
        return 0;
      }
    }
    return 1;
  }
  if (op == tok::kWeekdayEqual) {
    // =+: the left value is a weekday position 1..7 in a mask of "0" and "1"
    const std::int32_t pos = integerOf(a);
    const std::string& mask = textOf(b, right);
    return pos >= 1 && pos <= 7 && static_cast<std::size_t>(pos) <= mask.size() && mask[static_cast<std::size_t>(pos - 1)] == '1'
               ? 1
               : 0;
  }
  if (op == tok::kBetween) {
    OperandInfo c = describe(third);
    const std::string& x = textOf(a, left);
    const std::string& lower = textOf(b, right);
    const std::string& upper = textOf(c, third);
    if (lower <= upper) return lower <= x && x <= upper ? 1 : 0;
    return x >= lower || x <= upper ? 1 : 0;  // a range across midnight
  }
  constexpr auto pairOf = [](char x, char y) { return (static_cast<int>(x) << 8) | static_cast<int>(y); };
  const int pair = pairOf(a.letter, b.letter);
  enum class As { Integer, Real, Text } as;
  if (a.letter == 'N' || b.letter == 'N') return 0;
  switch (pair) {
    case pairOf('T', 'T'):
      if (*a.format != *b.format) return -1;
      as = As::Text;
      break;
    case pairOf('U', 'T'):
    case pairOf('I', 'T'):
    case pairOf('T', 'U'):
    case pairOf('T', 'I'): return 0;
    case pairOf('U', 'U'):
    case pairOf('U', 'I'):
    case pairOf('U', 'R'):
    case pairOf('R', 'U'):
    case pairOf('S', 'I'): as = As::Integer; break;
    case pairOf('U', 'S'):
    case pairOf('T', 'S'):
    case pairOf('S', 'T'): as = As::Text; break;
    case pairOf('I', 'R'):
    case pairOf('S', 'R'):
    case pairOf('T', 'R'): as = As::Real; break;
    default:
      as = (a.letter == 'I' || a.letter == 'U') ? As::Integer : a.letter == 'R' ? As::Real : As::Text;
      break;
  }
  int order = 0;  // -1 less, 0 equal, 1 greater
  if (as == As::Integer) {
    const std::int32_t x = a.letter == 'R' ? roundEven(a.real) : integerOf(a);
    const std::int32_t y = b.letter == 'R' ? roundEven(b.real) : integerOf(b);
    order = x < y ? -1 : x > y ? 1 : 0;
  } else if (as == As::Real) {
    auto realOf = [](const OperandInfo& v) { return v.numbersFromText ? readNumber(*v.text).value_or(0.0) : v.real; };
    const double x = realOf(a), y = realOf(b);
    order = x < y ? -1 : x > y ? 1 : 0;
  } else {
    const int c = textOf(a, left).compare(textOf(b, right));
    order = c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  bool result = false;
  switch (op) {
    case tok::kLess: result = order < 0; break;
    case tok::kEqual: result = order == 0; break;
    case tok::kGreater: result = order > 0; break;
    case tok::kNotEqual: result = order != 0; break;
    case tok::kLessEqual: result = order <= 0; break;
    case tok::kGreaterEqual: result = order >= 0; break;
    default: result = false;
  }
  return result ? 1 : 0;
}

}  // namespace kelvaro
