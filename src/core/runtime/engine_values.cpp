// The engine's values: numbers, texts and times of operands, and Compare with its pair rules.
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
  std::string text;
  std::string format;  // of a time: "Zeit", "Uhr", "Datum", "Uhrzeit5"
};

DateTime Engine::sunTime(const CodeOperand& operand, bool sunrise) const {
  const DateTime date = operand.argument >= 0 ? timeValue({operand.argument, -1}) : std::floor(m_clock.now());
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
    const DateTime now = m_clock.now();
    auto integer = [](std::int32_t v) { return NumericResult{2, v, static_cast<double>(v)}; };
    auto time = [](DateTime v) { return NumericResult{5, clampToInt(v), v}; };
    switch (n) {
      case sys::kTag: return integer(dayOfWeek(now));
      case sys::kSec5: return integer(clockSecond);
      case sys::kMonat: return integer(decodeDate(now).month);
      case sys::kObjFehlAnz: return integer(objectErrorCount);
      case sys::kMonatstag: return integer(decodeDate(now).day);
      case sys::kJahr: return integer(decodeDate(now).year - 2000);
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
    const DateTime now = m_clock.now();
    switch (n) {
      case sys::kZeit: return dateTimeText(now);
      case sys::kDatum: return dateText(now);
      case sys::kUhrzeit: return timeText(now);
      case sys::kTag: return std::string(kWeekdays[(dayOfWeek(now) + 6) % 7]);
      case sys::kUhrzeit5: return clockText;
      case sys::kRechne: return {};
      case sys::kFehlerObjekt:
        if (objectErrorCount < 1 || !validObject(errorObjectIndex)) return " ";
        return m_project.objects[static_cast<std::size_t>(errorObjectIndex)].Name;
      case sys::kJahr: {
        const int y = decodeDate(now).year - 2000;
        return (y >= 0 && y < 10 ? "0" : "") + std::to_string(y);
      }
      case sys::kStoppzeit:
      case sys::kZufallszeit:
      case sys::kSonnenaufgang:
      case sys::kSonnenuntergang: return timeText(timeValue(operand));
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
  if (t.TypeName == "Uhr") return timeText(t.Value);
  if (t.TypeName == "Datum") return dateText(t.Value);
  return dateTimeText(t.Value);
}

DateTime Engine::timeValue(const CodeOperand& operand) const {
  const int n = operand.number;
  if (isSystemValue(n)) {
    const DateTime now = m_clock.now();
    switch (n) {
      case sys::kZeit: return now;
      case sys::kDatum: return std::floor(now);
      case sys::kUhrzeit: return timeOfDay(now);
      case sys::kUhrzeit5: return timeOfDay(clockTime);
      case sys::kSec5: return clockSecond / kSecondsPerDay;
      case sys::kTag: return dayOfWeek(now);
      case sys::kStoppzeit: return now - (operand.argument >= 0 ? timeValue({operand.argument, -1}) : now);
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

Engine::OperandInfo Engine::describe(const CodeOperand& operand, bool needText) const {
  OperandInfo info;
  const int n = operand.number;
  auto asTime = [&](const char* format) {
    info.letter = 'T';
    info.format = format;
    info.real = timeValue(operand);
    info.integer = clampToInt(info.real);
  };
  if (isSystemValue(n)) {
    switch (n) {
      case sys::kZeit: asTime("Zeit"); break;
      case sys::kDatum: asTime("Datum"); break;
      case sys::kUhrzeit5: asTime("Uhrzeit5"); break;
      case sys::kUhrzeit:
      case sys::kStoppzeit:
      case sys::kZufallszeit:
      case sys::kSonnenaufgang:
      case sys::kSonnenuntergang: asTime("Uhr"); break;
      case sys::kRechne: return info;
      case sys::kFehlerObjekt:
        info.letter = 'S';
        info.text = textValue(operand);
        return info;
      default: {
        const NumericResult v = numericValue(operand);
        info.letter = 'I';
        info.integer = v.integer;
        info.real = v.real;
        if (needText) info.text = textValue(operand);
        return info;
      }
    }
  } else {
    if (!validSymbol(n)) return info;
    const VariableDescriptor& d = m_compiled.symbols[static_cast<std::size_t>(n)].value;
    if (const auto* v = std::get_if<TVarTime>(&d)) {
      asTime(v->TypeName.c_str());
    } else if (const auto* s = std::get_if<TVarStr>(&d)) {
      info.letter = 'S';
      info.text = s->Value;
      info.integer = digitsValue(s->Value);
      info.real = readNumber(s->Value).value_or(0.0);
      return info;
    } else {
      const NumericResult v = numericValue(operand);
      info.letter = v.kind == 3 ? 'R' : v.kind == 1 ? 'U' : 'I';
      info.integer = v.integer;
      info.real = v.real;
      if (needText) info.text = textValue(operand);
      return info;
    }
  }
  if (!needText) return info;
  // A time compared as text is written by its format. The 5-second clock is written as the
  // time of day it holds, so that «UHRZEIT5 = "07:30:00"» can be true.
  if (info.format == "Uhr" || info.format == "Uhrzeit5") info.text = timeText(info.real);
  else if (info.format == "Datum") info.text = dateText(info.real);
  else info.text = dateTimeText(info.real);
  return info;
}

// compare -> the pair of kind letters chooses integers, reals or texts; then the operator
int Engine::compare(const CodeOperand& left, const CodeOperand& right, std::uint8_t op, const CodeOperand& third) const {
  // The texts of numbers are made only when they are compared as texts: conditions on
  // numbers run on every tick of every permanent object.
  const bool special = op == tok::kWildcardEqual || op == tok::kWeekdayEqual || op == tok::kBetween;
  OperandInfo a = describe(left, special);
  OperandInfo b = describe(right, special);
  if (op == tok::kWildcardEqual) {
    // =#: "*" in either text matches any character
    for (std::size_t i = 0; i < a.text.size(); ++i) {
      if (i >= b.text.size()) {
        if (a.text[i] != '*') return 0;
      } else if (a.text[i] != b.text[i] && a.text[i] != '*' && b.text[i] != '*') {
        return 0;
      }
    }
    return 1;
  }
  if (op == tok::kWeekdayEqual) {
    // =+: the left value is a weekday position 1..7 in a mask of "0" and "1"
    const std::int32_t pos = a.integer;
    return pos >= 1 && pos <= 7 && static_cast<std::size_t>(pos) <= b.text.size() &&
                   b.text[static_cast<std::size_t>(pos - 1)] == '1'
               ? 1
               : 0;
  }
  if (op == tok::kBetween) {
    const OperandInfo c = describe(third, true);
    const std::string& x = a.text;
    const std::string& lower = b.text;
    const std::string& upper = c.text;
    if (lower <= upper) return lower <= x && x <= upper ? 1 : 0;
    return x >= lower || x <= upper ? 1 : 0;  // a range across midnight
  }
  constexpr auto pairOf = [](char x, char y) { return (static_cast<int>(x) << 8) | static_cast<int>(y); };
  const int pair = pairOf(a.letter, b.letter);
  enum class As { Integer, Real, Text } as;
  if (a.letter == 'N' || b.letter == 'N') return 0;
  switch (pair) {
    case pairOf('T', 'T'):
      if (a.format != b.format) return -1;
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
  if (as == As::Text) {
    a = describe(left, true);
    b = describe(right, true);
  }
  int order = 0;  // -1 less, 0 equal, 1 greater
  if (as == As::Integer) {
    const std::int32_t x = a.letter == 'R' ? roundEven(a.real) : a.integer;
    const std::int32_t y = b.letter == 'R' ? roundEven(b.real) : b.integer;
    order = x < y ? -1 : x > y ? 1 : 0;
  } else if (as == As::Real) {
    order = a.real < b.real ? -1 : a.real > b.real ? 1 : 0;
  } else {
    const int c = a.text.compare(b.text);
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
