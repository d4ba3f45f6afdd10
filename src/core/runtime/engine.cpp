// The interpreter of the PC code. Statements run straight from the code buffer; every read
// of an operand is checked against the end of the running object's code, the symbol list and
// the run list, so that no byte sequence makes the engine read or write outside them.
#include "runtime/engine.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "language/line_map.h"
#include "language/token.h"
#include "model/colors.h"
#include "model/type_states.h"
#include "text/cp1252.h"

extern char** environ;

namespace kelvaro {
namespace {

constexpr std::uint8_t kBD = 0xBD;
constexpr std::uint8_t kPipe = 0x7C;
constexpr std::uint8_t kArith = 0xEF;

enum SystemValue : int {
  kZeit = 16395, kDatum, kUhrzeit, kTag, kUhrzeit5, kSec5, kRechne, kStoppzeit, kMonat, kZufallszeit,
  kObjFehlAnz, kFehlerObjekt, kSonnenaufgang, kSonnenuntergang, kMonatstag, kJahr,
};

bool isSystemValue(int n) { return n >= kFirstSystemValue && n <= kLastSystemValue; }
bool takesArgument(int n) { return n == kStoppzeit || n == kZufallszeit || n == kSonnenaufgang || n == kSonnenuntergang; }

constexpr std::string_view kWeekdays[] = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};

std::int32_t clampToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

// Rounded to the nearest integer, halves to the even one.
std::int32_t roundEven(double v) { return clampToInt(std::nearbyint(v)); }

std::string realText(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", std::clamp(decimals, 0, 15), value);
  return buf;
}

std::string trimmed(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return std::string(t);
}

// A text read as a decimal number (a comma counts as the point); nothing when it does not read.
std::optional<double> readNumber(std::string_view text) {
  std::string t = trimmed(text);
  if (t.empty()) return std::nullopt;
  std::replace(t.begin(), t.end(), ',', '.');
  char* stop = nullptr;
  const double v = std::strtod(t.c_str(), &stop);
  if (stop != t.c_str() + t.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

// The integer of a text compared as a number: its digits, every other character a "0".
std::int32_t digitsValue(std::string_view text) {
  long long v = 0;
  for (char c : text) {
    v = v * 10 + ((c >= '0' && c <= '9') ? c - '0' : 0);
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(v);
}

// A text as a time: a time of day without ".", a date without ":", else date and time.
DateTime textTime(std::string_view text) {
  const std::string t = trimmed(text);
  std::optional<DateTime> v;
  if (t.find('.') == std::string::npos) v = parseTime(t);
  else if (t.find(':') == std::string::npos) v = parseDate(t);
  else v = parseDateTime(t);
  return v.value_or(0.0);
}

DateTime timeOfDay(DateTime v) { return v - std::floor(v); }

bool fileExists(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string_view runtimeErrorLine(int code) {
  switch (code) {
    case runerr::kNoVariable: return "2011 - Keine Variable\r";
    case runerr::kNoTimeVariable: return "2012 - Keine Zeitvariable bei Startuhr\r";
    case runerr::kNoTextVariable: return "2013 - Keine Stringvariable bei Programmaufruf\r";
    case runerr::kObjectExpected: return "2111 - Objekt erwartet\r";
    default: return {};
  }
}

std::vector<std::string> splitCommandLine(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, inWord = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (c == ' ' && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

bool spawnProgram(const std::vector<std::string>& words) {
  // Programs started earlier are collected once they have ended, so that they do not linger
  // as zombies for the rest of the run. Only our own children are waited for.
  static std::vector<pid_t> started;
  std::erase_if(started, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
  if (words.empty()) return false;
  std::vector<char*> argv;
  for (const auto& w : words) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  started.push_back(pid);
  return true;
}

// What Compare needs of one operand.
struct Engine::OperandInfo {
  char letter = 'N';  // I integer, U state, R real, S text, T time, N nothing
  std::int32_t integer = 0;
  double real = 0.0;
  std::string text;
  std::string format;  // of a time: "Zeit", "Uhr", "Datum", "Uhrzeit5"
};

Engine::Engine(Project& project, CompileOutput& compiled, const Clock& clock, UserInterface& ui,
               EngineOptions options)
    : m_project(project), m_compiled(compiled), m_clock(clock), m_ui(ui), m_options(std::move(options)),
      m_random(m_options.randomSeed) {
  if (!m_options.startProgram) m_options.startProgram = spawnProgram;
  m_objects.resize(project.objects.size());
  for (std::size_t i = 0; i < project.objects.size(); ++i) {
    if (project.objects[i].Name == "*INIT") {
      m_initObject = static_cast<int>(i);
      break;
    }
  }
  m_owner.assign(m_compiled.symbols.size(), -1);
}

int Engine::owner(int symbol) const {
  return validSymbol(symbol) && static_cast<std::size_t>(symbol) < m_owner.size() ? m_owner[static_cast<std::size_t>(symbol)] : -1;
}

// reset -> the engine's state at every "Start"
void Engine::reset() {
  firstPass = true;
  m_queue.clear();
  modemReady = false;
  dialRepeats = 0;
  errorObjectIndex = -1;
  errorHandlerObject = -1;
  objectErrorCount = 0;
}

// startOfRun -> every object's run-time fields and the time variables' start values
void Engine::startOfRun() {
  const DateTime now = m_clock.now();
  m_owner.assign(m_compiled.symbols.size(), -1);
  for (std::size_t i = 0; i < m_objects.size(); ++i) {
    ObjectRunState& s = m_objects[i];
    const TPSObj& o = m_project.objects[i];
    s.switched = s.fromHardware = s.changePending = false;
    s.refreshRequest = true;
    s.active = o.Activ;
    s.visible = o.visible;
    s.lastChange = now;
    s.left = o.plans[0].Left;
    s.top = o.plans[0].Top;
    s.gaugeColor = -1;
    if (i < m_compiled.objects.size()) {
      const ObjectCode& oc = m_compiled.objects[i];
      if (validSymbol(oc.stateSymbol)) m_owner[static_cast<std::size_t>(oc.stateSymbol)] = static_cast<int>(i);
      if (validSymbol(oc.ctSymbol))
        if (auto* t = std::get_if<TVarTime>(&m_compiled.symbols[static_cast<std::size_t>(oc.ctSymbol)].value)) t->Value = now;
    }
  }
  for (std::size_t n = 0; n < m_compiled.symbols.size(); ++n) {
    auto* t = std::get_if<TVarTime>(&m_compiled.symbols[n].value);
    if (!t || t->Value != 0.0) continue;
    if (t->TypeName == "Datum") t->Value = std::floor(now);
    else if (t->TypeName == "Uhr") t->Value = timeOfDay(now);
    else t->Value = now;
  }
  stopFlag = abortFlag = false;
  errorCode = 0;
  m_queue.clear();
  lastSecond = 99;
  clockSecond = 99;
  clockText = "99:99:99";
}

// markChanged -> switched, change pending and the change time of an object
void Engine::markChanged(int object) {
  if (!validObject(object)) return;
  ObjectRunState& s = m_objects[static_cast<std::size_t>(object)];
  s.switched = true;
  s.changePending = true;
  if (static_cast<std::size_t>(object) < m_compiled.objects.size()) {
    const int ct = m_compiled.objects[static_cast<std::size_t>(object)].ctSymbol;
    if (validSymbol(ct))
      if (auto* t = std::get_if<TVarTime>(&m_compiled.symbols[static_cast<std::size_t>(ct)].value)) t->Value = m_clock.now();
  }
}

// setVariable -> stores a number by the variable's kind and marks its owner when it changed
int Engine::setVariable(int symbol, std::int32_t i, double r) {
  if (!validSymbol(symbol)) return -1;
  VariableDescriptor& d = m_compiled.symbols[static_cast<std::size_t>(symbol)].value;
  if (auto* v = std::get_if<TVarReal>(&d)) {
    if (v->Value != r) {
      v->Value = r;
      markChanged(owner(symbol));
    }
    return 3;
  }
  if (auto* v = std::get_if<TVarInt>(&d)) {
    if (v->Value != i) {
      v->Value = i;
      markChanged(owner(symbol));
    }
    return 2;
  }
  if (auto* v = std::get_if<TVarUser>(&d)) {
    if (i < 0) i = v->MaxState;
    else if (i > v->MaxState) i = 0;
    if (v->State != i) {
      v->State = i;
      markChanged(owner(symbol));
    }
    return 1;
  }
  return -1;
}

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
      case kTag: return integer(dayOfWeek(now));
      case kSec5: return integer(clockSecond);
      case kMonat: return integer(decodeDate(now).month);
      case kObjFehlAnz: return integer(objectErrorCount);
      case kMonatstag: return integer(decodeDate(now).day);
      case kJahr: return integer(decodeDate(now).year - 2000);
      case kRechne: return {};
      case kFehlerObjekt: return {4, -1, -1.0};
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
      case kZeit: return dateTimeText(now);
      case kDatum: return dateText(now);
      case kUhrzeit: return timeText(now);
      case kTag: return std::string(kWeekdays[(dayOfWeek(now) + 6) % 7]);
      case kUhrzeit5: return clockText;
      case kRechne: return {};
      case kFehlerObjekt:
        if (objectErrorCount < 1 || !validObject(errorObjectIndex)) return " ";
        return m_project.objects[static_cast<std::size_t>(errorObjectIndex)].Name;
      case kJahr: {
        const int y = decodeDate(now).year - 2000;
        return (y >= 0 && y < 10 ? "0" : "") + std::to_string(y);
      }
      case kStoppzeit:
      case kZufallszeit:
      case kSonnenaufgang:
      case kSonnenuntergang: return timeText(timeValue(operand));
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
      case kZeit: return now;
      case kDatum: return std::floor(now);
      case kUhrzeit: return timeOfDay(now);
      case kUhrzeit5: return timeOfDay(clockTime);
      case kSec5: return clockSecond / kSecondsPerDay;
      case kTag: return dayOfWeek(now);
      case kStoppzeit: return now - (operand.argument >= 0 ? timeValue({operand.argument, -1}) : now);
      case kZufallszeit: return randomTime(operand);
      case kSonnenaufgang: return sunTime(operand, true);
      case kSonnenuntergang: return sunTime(operand, false);
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
      case kZeit: asTime("Zeit"); break;
      case kDatum: asTime("Datum"); break;
      case kUhrzeit5: asTime("Uhrzeit5"); break;
      case kUhrzeit:
      case kStoppzeit:
      case kZufallszeit:
      case kSonnenaufgang:
      case kSonnenuntergang: asTime("Uhr"); break;
      case kRechne: return info;
      case kFehlerObjekt:
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
  const bool special = op == 0xC7 || op == 0xC8 || op == 0xC9;
  OperandInfo a = describe(left, special);
  OperandInfo b = describe(right, special);
  if (op == 0xC7) {
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
  if (op == 0xC8) {
    // =+: the left value is a weekday position 1..7 in a mask of "0" and "1"
    const std::int32_t pos = a.integer;
    return pos >= 1 && pos <= 7 && static_cast<std::size_t>(pos) <= b.text.size() &&
                   b.text[static_cast<std::size_t>(pos - 1)] == '1'
               ? 1
               : 0;
  }
  if (op == 0xC9) {
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
    case '<': result = order < 0; break;
    case '=': result = order == 0; break;
    case '>': result = order > 0; break;
    case 0xC4: result = order != 0; break;
    case 0xC5: result = order <= 0; break;
    case 0xC6: result = order >= 0; break;
    default: result = false;
  }
  return result ? 1 : 0;
}

// readOperand -> "&" + number, and "(&arg)" after the system values that take one
bool Engine::readOperand(int& pc, int end, CodeOperand& operand) const {
  const auto& code = m_compiled.code;
  if (pc + 2 >= end || code[static_cast<std::size_t>(pc)] != '&') return false;
  operand.number = code[static_cast<std::size_t>(pc) + 1] | (code[static_cast<std::size_t>(pc) + 2] << 8);
  operand.argument = -1;
  pc += 3;
  if (takesArgument(operand.number)) {
    int p = pc;
    if (p < end && code[static_cast<std::size_t>(p)] == '(') ++p;
    if (p + 2 < end && code[static_cast<std::size_t>(p)] == '&') {
      operand.argument = code[static_cast<std::size_t>(p) + 1] | (code[static_cast<std::size_t>(p) + 2] << 8);
      p += 3;
      if (p < end && code[static_cast<std::size_t>(p)] == ')') ++p;
      pc = p;
    }
  }
  return true;
}

// readObject -> "(%" + index of an object statement or function; -1 for an index outside the run list
bool Engine::readObject(int& pc, int end, int& object) const {
  const auto& code = m_compiled.code;
  if (pc < end && code[static_cast<std::size_t>(pc)] == '(') ++pc;
  if (pc + 2 >= end || code[static_cast<std::size_t>(pc)] != '%') return false;
  object = code[static_cast<std::size_t>(pc) + 1] | (code[static_cast<std::size_t>(pc) + 2] << 8);
  pc += 3;
  if (pc < end && code[static_cast<std::size_t>(pc)] == ')') ++pc;
  if (!validObject(object)) object = -1;
  return true;
}

// arithmetic -> "|" EF and operands combined left to right, without precedence
double Engine::arithmetic(int& pc, int end) const {
  const auto& code = m_compiled.code;
  double acc = 0.0;
  char pending = '+';
  pc += 2;
  while (pc < end && code[static_cast<std::size_t>(pc)] != kBD) {
    const std::uint8_t b = code[static_cast<std::size_t>(pc)];
    if (b == '&') {
      CodeOperand o;
      if (!readOperand(pc, end, o)) break;
      const double v = numericValue(o).real;
      switch (pending) {
        case '+': acc += v; break;
        case '-': acc -= v; break;
        case '*': acc *= v; break;
        case '/': acc = v == 0.0 ? 0.0 : acc / v; break;
      }
      continue;
    }
    if (b == '+' || b == '-' || b == '*' || b == '/') pending = static_cast<char>(b);
    ++pc;
  }
  return acc;
}

// textExpression -> the texts of the operands joined
std::string Engine::textExpression(int pc, int end) const {
  const auto& code = m_compiled.code;
  std::string text;
  while (pc < end && code[static_cast<std::size_t>(pc)] != kBD) {
    if (code[static_cast<std::size_t>(pc)] == '&') {
      CodeOperand o;
      if (!readOperand(pc, end, o)) break;
      text += textValue(o);
      continue;
    }
    ++pc;
  }
  return text;
}

// timeExpression -> operands added or subtracted; a sun time replaces what was summed up
DateTime Engine::timeExpression(int pc, int end) const {
  const auto& code = m_compiled.code;
  DateTime acc = 0.0;
  double sign = 1.0;
  if (pc + 1 < end && code[static_cast<std::size_t>(pc)] == kPipe && code[static_cast<std::size_t>(pc) + 1] == kArith)
    pc += 2;
  while (pc < end) {
    const std::uint8_t b = code[static_cast<std::size_t>(pc)];
    if (b == '(' || b == ')' || b == '+') {
      ++pc;
    } else if (b == '-') {
      sign = -1.0;
      ++pc;
    } else if (b == '&') {
      CodeOperand o;
      if (!readOperand(pc, end, o)) break;
      const DateTime v = timeValue(o);
      if (o.number == kSonnenaufgang || o.number == kSonnenuntergang) acc = v;
      else acc += sign * v;
      sign = 1.0;
    } else {
      break;
    }
  }
  return acc;
}

// assign -> «var := value» by the kind of the target; returns the new error code
int Engine::assign(int& pc, int end) {
  CodeOperand target;
  if (!readOperand(pc, end, target) || !validSymbol(target.number)) return runerr::kNoVariable;
  const auto& code = m_compiled.code;
  VariableDescriptor& d = m_compiled.symbols[static_cast<std::size_t>(target.number)].value;
  if (auto* s = std::get_if<TVarStr>(&d)) {
    std::string text = textExpression(pc, end);
    if (text != s->Value) {
      s->Value = std::move(text);
      markChanged(owner(target.number));
    }
    return 0;
  }
  if (auto* t = std::get_if<TVarTime>(&d)) {
    if (pc < end && code[static_cast<std::size_t>(pc)] == kPipe) {
      t->Value = timeExpression(pc, end);
      return 0;
    }
    CodeOperand source;
    if (!readOperand(pc, end, source)) return runerr::kBadValue;
    if (!isSystemValue(source.number) && !validSymbol(source.number)) return runerr::kNoVariable;
    t->Value = timeValue(source);
    return 0;
  }
  if (pc >= end) return runerr::kBadValue;
  const std::uint8_t first = code[static_cast<std::size_t>(pc)];
  switch (first) {
    case 0xB6:
    case 0xB7: {
      const int step = first == 0xB6 ? 1 : -1;
      if (auto* v = std::get_if<TVarInt>(&d)) {
        const std::int32_t next = static_cast<std::int32_t>(static_cast<std::uint32_t>(v->Value) + static_cast<std::uint32_t>(step));
        setVariable(target.number, next, next);
      } else if (auto* u = std::get_if<TVarUser>(&d)) {
        std::int32_t next = u->State + step;
        if (next > u->MaxState) next = 0;
        if (next < 0) next = u->MaxState;
        setVariable(target.number, next, next);
      }
      return 0;
    }
    case 0xB8: setVariable(target.number, 0, 0.0); return 0;
    case 0xB9: setVariable(target.number, 1, 1.0); return 0;
    case kPipe:
      if (pc + 1 < end && code[static_cast<std::size_t>(pc) + 1] == kArith) {
        const double r = arithmetic(pc, end);
        setVariable(target.number, roundEven(r), r);
        return 0;
      }
      return runerr::kBadArithmetic;
    case '&': break;
    default: return runerr::kBadValue;
  }
  CodeOperand source;
  if (!readOperand(pc, end, source)) return runerr::kBadValue;
  if (isSystemValue(source.number)) {
    switch (source.number) {
      case kTag:
      case kSec5:
      case kMonat:
      case kObjFehlAnz:
      case kMonatstag:
      case kJahr: {
        const std::int32_t v = numericValue(source).integer;
        setVariable(target.number, v, v);
        break;
      }
      default: break;
    }
    return 0;
  }
  if (!validSymbol(source.number)) return runerr::kNoVariable;
  const VariableDescriptor& s = m_compiled.symbols[static_cast<std::size_t>(source.number)].value;
  const bool targetUser = std::holds_alternative<TVarUser>(d);
  if (const auto* text = std::get_if<TVarStr>(&s)) {
    if (const auto* u = std::get_if<TVarUser>(&d)) {
      // A state named by a text; a name the type does not have leaves the state alone.
      const std::int32_t k = stateIndex(m_project.typeStates, u->TypeName, text->Value);
      if (k >= 0) setVariable(target.number, k, k);
    } else {
      const double r = readNumber(text->Value).value_or(0.0);
      setVariable(target.number, roundEven(r), r);
    }
    return 0;
  }
  // Numbers between the numeric kinds. A real target takes integers and reals as well, so
  // that «Wert := 5» stores 5 in a real variable instead of doing nothing.
  std::optional<double> value;
  if (const auto* v = std::get_if<TVarInt>(&s)) value = v->Value;
  else if (const auto* v = std::get_if<TVarUser>(&s)) value = v->State;
  else if (const auto* v = std::get_if<TVarReal>(&s)) value = v->Value;
  if (value && (targetUser || std::holds_alternative<TVarInt>(d) || std::holds_alternative<TVarReal>(d)))
    setVariable(target.number, roundEven(*value), *value);
  return 0;
}

// condition -> tests strictly left to right, ODER with a true result ends at once
bool Engine::condition(int pc, int end, int thenAddress) {
  const auto& code = m_compiled.code;
  bool result = true;
  enum class Join { None, Or, And } pending = Join::None;
  auto combine = [&](bool value) {
    if (pending == Join::Or) result = result || value;
    else if (pending == Join::And) result = result && value;
    else result = value;
    pending = Join::None;
  };
  const int stop = thenAddress > pc ? std::min(thenAddress, end) : end;
  while (pc < stop) {
    const std::uint8_t b = code[static_cast<std::size_t>(pc)];
    if (b == 0xBF || b == kBD) break;
    if (b == 0xC2) {
      if (result) return true;
      pending = Join::Or;
      ++pc;
    } else if (b == 0xC3) {
      pending = Join::And;
      ++pc;
    } else if (b == kPipe) {
      if (pc + 1 >= stop) break;
      const std::uint8_t f = code[static_cast<std::size_t>(pc) + 1];
      pc += 2;
      int object = -1;
      switch (f) {
        case 0xE7:
        case 0xEA:
        case 0xE9:
          if (!readObject(pc, stop, object) || object < 0) {
            setError(runerr::kObjectExpected, pc);
            if (f != 0xE9) combine(false);
            break;
          }
          if (f == 0xE7) combine(m_objects[static_cast<std::size_t>(object)].switched);
          else if (f == 0xEA) combine(m_objects[static_cast<std::size_t>(object)].active);
          break;  // FEHLER is not evaluated on the PC
        case 0xE8: combine(true); break;
        case 0xEB: combine(modemReady); break;
        case 0xF1: combine(false); break;
        default: break;
      }
    } else if (b == '&') {
      CodeOperand left, right, third;
      if (!readOperand(pc, stop, left)) break;
      while (pc < stop && code[static_cast<std::size_t>(pc)] == '(') ++pc;
      if (pc >= stop) break;
      const std::uint8_t op = code[static_cast<std::size_t>(pc)];
      if (!(op == '<' || op == '=' || op == '>' || (op >= 0xC4 && op <= 0xC9))) continue;
      ++pc;
      while (pc < stop && code[static_cast<std::size_t>(pc)] == '(') ++pc;
      if (!readOperand(pc, stop, right)) {
        combine(false);
        continue;
      }
      if (op == 0xC9) {
        while (pc < stop && (code[static_cast<std::size_t>(pc)] == ',' || code[static_cast<std::size_t>(pc)] == '(' ||
                             code[static_cast<std::size_t>(pc)] == ')'))
          ++pc;
        if (!readOperand(pc, stop, third)) {
          combine(false);
          continue;
        }
      }
      combine(compare(left, right, op, third) == 1);
    } else if (b == '%') {
      pc += 3;
    } else {
      ++pc;
    }
  }
  return result;
}

void Engine::setError(int code, int position) {
  errorCode = code;
  if (code != 0) errorPosition = position;
}

// execute -> one statement; pc is on its operation byte and leaves after its operands or at a jump target
void Engine::execute(int /*object*/, int statement, int& pc, int end) {
  const auto& code = m_compiled.code;
  const std::uint8_t op = code[static_cast<std::size_t>(pc)];
  int p = pc + 1;
  auto objectStatement = [&](int badCode) -> int {
    int target = -1;
    if (!readObject(p, end, target) || target < 0) {
      setError(badCode, statement);
      return -1;
    }
    return target;
  };
  auto symbolArgument = [&](CodeOperand& o) -> bool {
    if (p < end && code[static_cast<std::size_t>(p)] == '(') ++p;
    if (!readOperand(p, end, o)) return false;
    if (p < end && code[static_cast<std::size_t>(p)] == ')') ++p;
    return true;
  };
  switch (op) {
    case 0xB4: {
      errorCode = assign(p, end);
      if (errorCode != 0) errorPosition = statement;
      break;
    }
    case 0xBE: {
      if (p + 3 >= end) {
        p = end;
        break;
      }
      const int thenAddress = code[static_cast<std::size_t>(p)] | (code[static_cast<std::size_t>(p) + 1] << 8);
      const int elseAddress = code[static_cast<std::size_t>(p) + 2] | (code[static_cast<std::size_t>(p) + 3] << 8);
      p = condition(p + 4, end, thenAddress) ? thenAddress : elseAddress;
      break;
    }
    case 0xCE: {
      CodeOperand o;
      if (!symbolArgument(o) || !validSymbol(o.number)) {
        setError(runerr::kNoVariable, statement);
      } else if (auto* t = std::get_if<TVarTime>(&m_compiled.symbols[static_cast<std::size_t>(o.number)].value)) {
        t->Value = m_clock.now();
      } else {
        setError(runerr::kNoTimeVariable, statement);
      }
      break;
    }
    case 0xD0: {
      CodeOperand prompt, var;
      if (p < end && code[static_cast<std::size_t>(p)] == '(') ++p;
      if (!readOperand(p, end, prompt)) break;
      if (p < end && code[static_cast<std::size_t>(p)] == ',') ++p;
      if (!readOperand(p, end, var)) break;
      m_host->inputStatement(textValue(prompt), var.number);
      break;
    }
    case 0xD1: {
      CodeOperand o;
      if (symbolArgument(o)) {
        const std::string file = textValue(o);
        if (!file.empty() && fileExists(file)) m_ui.playSound(file);
      }
      break;
    }
    case 0xD2: {
      CodeOperand o;
      if (symbolArgument(o)) m_ui.beep();
      break;
    }
    case 0xD3:
    case 0xD4: {
      const int target = objectStatement(runerr::kBadVisibleObject);
      if (target < 0) break;
      m_objects[static_cast<std::size_t>(target)].visible = op == 0xD3;
      m_objects[static_cast<std::size_t>(target)].refreshRequest = true;
      m_host->redrawObject(target);
      break;
    }
    case 0xD5:
    case 0xD6: {
      const int target = objectStatement(runerr::kBadActiveObject);
      if (target >= 0) m_objects[static_cast<std::size_t>(target)].active = op == 0xD5;
      break;
    }
    case 0xD7:
    case 0xD8: {
      const int target = objectStatement(runerr::kBadInputObject);
      if (target >= 0) m_project.objects[static_cast<std::size_t>(target)].BSInputRB = op == 0xD7 ? 2 : 0;
      break;
    }
    case 0xDA:
    case 0xDB: {
      const int target = objectStatement(runerr::kObjectExpected);
      if (target < 0) break;
      CodeOperand x, y;
      if (p < end && code[static_cast<std::size_t>(p)] == ',') ++p;
      if (!readOperand(p, end, x)) break;
      if (p < end && code[static_cast<std::size_t>(p)] == ',') ++p;
      if (!readOperand(p, end, y)) break;
      ObjectRunState& s = m_objects[static_cast<std::size_t>(target)];
      if (op == 0xDA) {
        s.left = numericValue(x).integer;
        s.top = numericValue(y).integer;
        s.refreshRequest = true;
      } else {
        setVariable(x.number, s.left, s.left);
        setVariable(y.number, s.top, s.top);
      }
      break;
    }
    case 0xDE: {
      const int target = objectStatement(runerr::kObjectExpected);
      if (target < 0) break;
      CodeOperand colour;
      if (p < end && code[static_cast<std::size_t>(p)] == ',') ++p;
      if (!readOperand(p, end, colour)) break;
      const std::string name = textValue(colour);
      for (std::size_t c = 0; c < kColorNames.size(); ++c) {
        if (upperCase(kColorNames[c]) == upperCase(name)) {
          m_objects[static_cast<std::size_t>(target)].gaugeColor = static_cast<int>(c);
          m_host->redrawObject(target);
          break;
        }
      }
      break;
    }
    case 0xDF: {
      const int target = objectStatement(runerr::kBadDoneObject);
      if (target >= 0) m_objects[static_cast<std::size_t>(target)].switched = false;
      break;
    }
    case 0xE0: {
      int target = -1;
      if (readObject(p, end, target)) enqueue(target);
      else setError(runerr::kObjectExpected, statement);
      break;
    }
    case 0xE1:
    case 0xE2: {
      // Only with the control unit attached; a headless run has none.
      int target = -1;
      readObject(p, end, target);
      break;
    }
    case 0xE6: {
      CodeOperand o;
      if (!symbolArgument(o) || !validSymbol(o.number)) {
        setError(runerr::kNoVariable, statement);
        break;
      }
      const auto* text = std::get_if<TVarStr>(&m_compiled.symbols[static_cast<std::size_t>(o.number)].value);
      if (!text) {
        setError(runerr::kNoTextVariable, statement);
        break;
      }
      m_options.startProgram(splitCommandLine(text->Value));
      break;
    }
    case 0xEC:
    case 0xED:
    case 0xEE: {
      CodeOperand o;
      if (!symbolArgument(o) || !validSymbol(o.number)) break;
      const auto* text = std::get_if<TVarStr>(&m_compiled.symbols[static_cast<std::size_t>(o.number)].value);
      if (!text) break;
      if (op == 0xEC) {
        m_host->sendModemText(" " + text->Value + "\r");
      } else if (op == 0xEE) {
        m_host->sendModemText(" " + text->Value);
      } else {
        const auto comma = text->Value.find(',');
        dialNumber = text->Value.substr(0, comma);
        dialRepeats = 2;
        if (comma != std::string::npos)
          dialRepeats = std::max(0, static_cast<int>(readNumber(text->Value.substr(comma + 1)).value_or(1.0)) - 1);
        m_host->sendModemText(" " + dialNumber + "\r");
      }
      break;
    }
    case 0xF0: modemReady = true; break;
    case 0xFA:
      p = p + 1 < end ? (code[static_cast<std::size_t>(p)] | (code[static_cast<std::size_t>(p) + 1] << 8)) : end;
      break;
    case 0xFD: stopFlag = true; break;
    case 0xFE:
      abortFlag = true;
      stopFlag = true;
      break;
    default: break;  // statements of the control unit only, and unknown bytes
  }
  pc = p;
}

// runObject -> one object's program from its code start to VERLASSEN or its code end
void Engine::runObject(int object, int& level) {
  if (!validObject(object)) return;
  const std::uint8_t priority = m_project.objects[static_cast<std::size_t>(object)].ACode;
  if (priority == 0) return;
  if (priority > level) {
    level = 0;
    return;
  }
  if (!m_objects[static_cast<std::size_t>(object)].active) return;
  if (static_cast<std::size_t>(object) >= m_compiled.objects.size()) return;
  const ObjectCode& oc = m_compiled.objects[static_cast<std::size_t>(object)];
  if (oc.codeEnd == 0) return;
  const int end = std::min(oc.codeEnd, static_cast<int>(m_compiled.code.size()));
  if (oc.codeStart < 0 || oc.codeStart >= end) return;
  m_host->objectStarted(object);
  const auto& code = m_compiled.code;
  std::uint64_t count = 0;
  int pc = oc.codeStart;
  for (;;) {
    // Scan for the next statement. References are stepped over whole, so that a symbol or
    // object number whose byte happens to be BD is never taken for a statement.
    while (pc >= 0 && pc < end && code[static_cast<std::size_t>(pc)] != kBD) {
      const std::uint8_t b = code[static_cast<std::size_t>(pc)];
      pc += (b == '&' || b == '%') ? 3 : 1;
    }
    if (pc < 0 || pc + 1 >= end) break;
    const int statement = pc;
    ++pc;
    if (code[static_cast<std::size_t>(pc)] == 0xFC) break;
    m_host->processInput();
    if (abortFlag) break;
    if (!m_host->beforeStatement(object, statement)) {
      stopFlag = true;
      break;
    }
    ++statementsRun;
    if (m_options.statementLimit != 0 && ++count > m_options.statementLimit) {
      m_host->showStatusMessage("Programm " + m_project.objects[static_cast<std::size_t>(object)].Name +
                                " nach " + std::to_string(m_options.statementLimit) + " Anweisungen beendet");
      break;
    }
    execute(object, statement, pc, end);
  }
  if (errorCode != 0) reportError(object);
}

// reportError -> the runtime error box; OK goes on, Cancel ends the run
void Engine::reportError(int object) {
  errorObject = object;
  std::string text = "Laufzeitfehler\r";
  text += runtimeErrorLine(errorCode);
  text += "Programm " + m_project.objects[static_cast<std::size_t>(object)].Name + " in Zeile ";
  if (static_cast<std::size_t>(object) < m_compiled.objects.size()) {
    const ObjectCode& oc = m_compiled.objects[static_cast<std::size_t>(object)];
    const int line = lineAtCodePosition(m_compiled.lineMap, errorPosition, oc.lineMapFirst, oc.lineMapEnd);
    if (line >= 0) text += std::to_string(line + 1);
  }
  if (showError(m_ui, text, MessageButtons::OkCancel) == MessageAnswer::Cancel) {
    abortFlag = true;
    stopFlag = true;
  } else {
    errorCode = 0;
  }
}

// enqueue -> appends to the execution queue; the 256th waiting object is dropped
void Engine::enqueue(int object) {
  if (m_options.visualisation || !validObject(object)) return;
  if (m_queue.size() >= kQueueSlots) {
    m_host->showStatusMessage("\xDC" "berlauf der Ausf\xFChrungswarteschlange");
    return;
  }
  m_queue.push_back(object);
}

// runQueue -> first in, first out, including what the queued programs queue
void Engine::runQueue() {
  while (!m_queue.empty() && !abortFlag) {
    const int object = m_queue.front();
    m_queue.pop_front();
    int level = kQueueLevel;
    runObject(object, level);
  }
}

// cycle -> queue, then the display refresh (no hardware on this side yet)
void Engine::cycle() {
  if (m_cycleBusy) return;
  m_cycleBusy = true;
  runQueue();
  m_host->refreshDisplay();
  m_cycleBusy = false;
}

// clockPass -> raises the level on 5-second, minute, hour and day ticks and runs the due objects
void Engine::clockPass() {
  if (m_clockBusy || stopFlag) return;
  m_clockBusy = true;
  const DateTime now = m_clock.now();
  const ClockTime t = decodeTime(now);
  if (firstPass) {
    lastSecond = t.second;
    clockSecond = t.second;
    clockText = timeText(now);
    clockTime = now;
    if (m_initObject >= 0 && !m_options.visualisation) {
      int level = kInitLevel;
      runObject(m_initObject, level);
    }
    lastMinute = lastHour = lastDay = kUnsetClockField;
    pendingLevel = 2;
    firstPass = false;
  }
  if (t.second != lastSecond && t.second % 5 == 0) {
    lastSecond = t.second;
    clockSecond = t.second;
    clockText = timeText(now);
    clockTime = now;
    bool dayChanged = false;
    int day = lastDay;
    if (t.hour == 0 && t.minute == 0) {
      day = decodeDate(now).day;
      dayChanged = day != lastDay;
    }
    if (dayChanged) {
      pendingLevel = 16;
      lastDay = day;
      lastHour = t.hour;
      lastMinute = t.minute;
    } else if (t.hour != lastHour) {
      pendingLevel = std::max(pendingLevel, 8);
      lastHour = t.hour;
      lastMinute = t.minute;
    } else if (t.minute != lastMinute) {
      pendingLevel = std::max(pendingLevel, 4);
      lastMinute = t.minute;
    } else {
      pendingLevel = std::max(pendingLevel, 2);
    }
    if (modemReady) m_host->modemSupervision();
  }
  runLevel = m_options.visualisation ? 0 : pendingLevel;
  for (std::size_t i = 0; i < m_compiled.order.size() && runLevel > 0 && !abortFlag; ++i) {
    const int object = m_compiled.order[i];
    if (!validObject(object)) continue;
    runObject(object, runLevel);
  }
  cycle();
  pendingLevel = 1;
  m_clockBusy = false;
}

}  // namespace kelvaro
