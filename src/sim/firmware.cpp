// The simulated unit's interpreter of the program image.
#include "firmware.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "language/image_layout.h"
#include "language/token.h"
#include "text/cp1252.h"

namespace kelvaro::sim {

using namespace image_layout;

namespace {

// System values as the image's code numbers them (the number minus 16384).
constexpr int kSysZeit = sys::kZeit, kSysDatum = sys::kDatum, kSysUhrzeit = sys::kUhrzeit, kSysTag = sys::kTag,
              kSysUhrzeit5 = sys::kUhrzeit5, kSysSec5 = sys::kSec5, kSysStopp = sys::kStoppzeit,
              kSysMonat = sys::kMonat, kSysZufall = sys::kZufallszeit, kSysFehlAnz = sys::kObjFehlAnz,
              kSysFehlObj = sys::kFehlerObjekt, kSysAufgang = sys::kSonnenaufgang,
              kSysUntergang = sys::kSonnenuntergang, kSysMonatstag = sys::kMonatstag, kSysJahr = sys::kJahr;
// In the image's code a reference below this is a system value, not a variable's address.
constexpr int kSystemValueLimit = 0x100;
constexpr int kInitLevel = 255, kQueueLevel = 254;
// What one queue run may cost before the rest waits for the next pass, so that a program that
// queues itself for ever does not stop the unit's clock.
constexpr std::uint64_t kQueueStatementsPerPass = 100'000;

bool takesArgument(int system) {
  return system == kSysStopp || system == kSysZufall || system == kSysAufgang || system == kSysUntergang;
}

std::int32_t roundEven(double v) { return static_cast<std::int32_t>(std::nearbyint(v)); }

std::string twoDigits(int v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", v);
  return b;
}

DateTime timeOfDay(DateTime t) { return t - std::floor(t); }

}  // namespace

// An operand's value as the comparisons see it: 'I' integer, 'U' state (with its name), 'S'
// text, 'T' time with its format (the kind code 07 date, 08 time of day, 09 date and time) and
// up to three fields that a literal with "*" leaves open (-1); 'N' nothing.
struct Firmware::Value {
  char letter = 'N';
  std::int32_t integer = 0;
  std::string text;
  int format = 0;
  DateTime time = 0.0;
  std::array<int, 3> fields{-1, -1, -1};
};

bool Firmware::load(std::span<const std::uint8_t> memory, int base, int loadedEnd) {
  unload();
  ImageRead read = readFirmwareImage(memory, base, loadedEnd);
  if (!read.image) {
    log.push_back(read.error);
    return false;
  }
  m_image = std::move(read.image);
  log.push_back("Programm " + m_image->programName + " geladen, " + std::to_string(m_image->objects.size()) +
                " Objekte");
  return true;
}

void Firmware::unload() {
  m_image.reset();
  m_running = false;
  m_objects.clear();
  m_queue.clear();
  m_changed.clear();
  m_outputs.clear();
}

void Firmware::start() {
  if (!m_image) return;
  m_objects.assign(m_image->objects.size(), {});
  for (std::size_t i = 0; i < m_objects.size(); ++i) m_objects[i].active = (m_image->objects[i].flags & kFlagActive) != 0;
  m_queue.clear();
  m_changed.clear();
  m_firstPass = true;
  m_lastSecond = 99;
  m_pendingLevel = 2;
  m_abort = m_ending = false;
  m_modemReady = false;
  m_running = true;
  for (std::size_t i = 0; i < m_objects.size(); ++i) {
    const int ct = m_image->objects[i].ctAddress;
    if (ct != 0) storeTime(ct, m_now);
  }
}

void Firmware::setClockCorrection(int correction) {
  // From now on at the new rate: the time it has shown so far stays.
  m_clockSet = m_now, m_ticksSinceSet = 0;
  m_correction = correction;
}

void Firmware::advanceTo(std::uint64_t nowMs) {
  if (!m_lastMs) m_lastMs = nowMs;
  while (*m_lastMs + kTickMs <= nowMs) {
    *m_lastMs += kTickMs;
    tick();
  }
}

void Firmware::tick() {
  if (m_running) clockPass();
  if (m_ending) m_running = m_ending = false;
  // Counted in ticks from the last setting, so that a week of 10 ms steps does not drift.
  ++m_ticksSinceSet;
  const double rate = 1.0 + (m_correction - kNominalCorrection) / kSecondsPerDay;
  m_now = m_clockSet + static_cast<double>(m_ticksSinceSet * kTickMs) * rate / (kSecondsPerDay * 1000.0);
}

// clockPass -> the 5-second clock, the level it reaches, the objects up to that level
void Firmware::clockPass() {
  const ClockTime t = decodeTime(m_now);
  if (m_firstPass) {
    m_lastSecond = m_clockSecond = t.second;
    m_clockTime = m_now;
    if (m_image->initObject >= 0) {
      int level = kInitLevel;
      runObject(m_image->initObject, level);
    }
    m_lastMinute = m_lastHour = m_lastDay = 255;
    m_pendingLevel = 2;
    m_firstPass = false;
  }
  if (t.second != m_lastSecond && t.second % 5 == 0) {
    m_lastSecond = m_clockSecond = t.second;
    m_clockTime = m_now;
    // The date is looked at only at midnight: the day changes there and nowhere else.
    int day = m_lastDay;
    const bool midnight = t.hour == 0 && t.minute == 0;
    if (midnight) day = decodeDate(m_now).day;
    if (midnight && day != m_lastDay) {
      m_pendingLevel = 16;
      m_lastDay = day, m_lastHour = t.hour, m_lastMinute = t.minute;
    } else if (t.hour != m_lastHour) {
      m_pendingLevel = std::max(m_pendingLevel, 8);
      m_lastHour = t.hour, m_lastMinute = t.minute;
    } else if (t.minute != m_lastMinute) {
      m_pendingLevel = std::max(m_pendingLevel, 4);
      m_lastMinute = t.minute;
    } else {
      m_pendingLevel = std::max(m_pendingLevel, 2);
    }
  }
  int level = m_pendingLevel;
  bool cycled = false;
  // The object table is in ascending priority: the pass ends at the first object above the level.
  for (std::size_t i = 0; i < m_image->objects.size() && level > 0 && m_running; ++i) {
    runObject(static_cast<int>(i), level);
    cycle();
    cycled = true;
  }
  if (!cycled) cycle();
  m_pendingLevel = 1;
}

void Firmware::cycle() {
  runQueue();
  for (const int object : m_changed) report(object);
  m_changed.clear();
}

void Firmware::enqueue(int object) {
  if (object < 0 || static_cast<std::size_t>(object) >= m_objects.size()) return;
  if (m_queue.size() >= kQueueSlots) {
    log.push_back(fromUtf8("Überlauf der Ausführungswarteschlange"));
    return;
  }
  m_queue.push_back(object);
}

void Firmware::runQueue() {
  const std::uint64_t budgetEnd = m_statements + kQueueStatementsPerPass;
  while (!m_queue.empty() && m_running && m_statements < budgetEnd) {
    const int object = m_queue.front();
    m_queue.pop_front();
    int level = kQueueLevel;
    runObject(object, level);
  }
}

// runObject -> one object's program from its start; a priority above the level ends the pass
void Firmware::runObject(int object, int& level) {
  const ImageObject& o = m_image->objects[static_cast<std::size_t>(object)];
  if (o.priority == 0) return;
  if (o.priority > level) {
    level = 0;
    return;
  }
  if (!m_objects[static_cast<std::size_t>(object)].active || o.programEnd == 0) return;
  const FirmwareImage& im = *m_image;
  int pc = o.programStart;
  const int end = o.programEnd;
  std::uint64_t statements = 0;
  while (m_running && !m_abort) {
    pc = nextStatement(pc, end);
    if (pc >= end) break;  // a statement needs its operation byte inside the program
    ++pc;
    if (im.byte(pc) == tok::kLeave) break;
    if (++statements > kStatementLimit) {
      log.push_back("Programm " + o.name + " beendet: Endlosschleife");
      break;
    }
    ++m_statements;
    execute(object, pc, end);
    // A jump may only land inside the object's own program.
    if (pc < o.programStart || pc > end + 1) {
      log.push_back("Programm " + o.name + fromUtf8(" beendet: Sprung außerhalb des Programms"));
      break;
    }
  }
  m_abort = false;
}

// The next statement's BD from pc; the two address bytes of a reference are passed over whole,
// since an address may well end in BD.
int Firmware::nextStatement(int pc, int end) const {
  const FirmwareImage& im = *m_image;
  while (pc <= end && im.byte(pc) != tok::kStatement)
    pc += im.byte(pc) == tok::kSymbolRef || im.byte(pc) == tok::kObjectRef ? 3 : 1;
  return pc;
}

int Firmware::readObject(int& pc, int end) const {
  while (pc <= end && m_image->byte(pc) == tok::kOpen) ++pc;
  if (pc + 2 > end || m_image->byte(pc) != tok::kObjectRef) return -1;
  const int object = m_image->objectAt(m_image->word(pc + 1));
  pc += 3;
  return object;
}

// execute -> one statement; pc is on its operation byte and leaves after its operands or at a jump target
void Firmware::execute(int /*object*/, int& pc, int end) {
  const FirmwareImage& im = *m_image;
  const std::uint8_t op = im.byte(pc);
  int p = pc + 1;
  auto objectState = [&]() -> ObjectState* {
    const int target = readObject(p, end);
    return target < 0 ? nullptr : &m_objects[static_cast<std::size_t>(target)];
  };
  if (op == tok::kAssign) {
    assign(p, end);
  } else if (op == tok::kIf) {
    const int thenAddress = im.word(p), elseAddress = im.word(p + 2);
    // Scanning goes on at the branch itself: the byte before it may be the low byte of the
    // SONST jump's address, and an address ending in BD must not pass for a statement.
    p = condition(p + 4, end, thenAddress) ? thenAddress : elseAddress;
  } else if (op == tok::kGoto) {
    p = im.word(p);
  } else if (op == tok::kStartClock) {
    Operand var;
    while (p <= end && im.byte(p) == tok::kOpen) ++p;
    if (readOperand(p, end, var) && var.address >= 0) {
      const std::uint8_t kind = im.byte(var.address) & 0x3F;
      if (kind == kKindDateTime || kind == kKindTime || kind == kKindDate) storeTime(var.address, m_now);
    }
  } else if (op == tok::kActivate || op == tok::kDeactivate) {
    if (ObjectState* s = objectState()) s->active = op == tok::kActivate;
  } else if (op == tok::kDone) {
    if (ObjectState* s = objectState()) s->switched = false;
  } else if (op == tok::kRun) {
    enqueue(readObject(p, end));
  } else if (op == tok::kSetModem) {
    m_modemReady = true;
  } else if (op == tok::kProgramEnd) {
    // The program goes on to its end, and so does the clock pass; then the unit stops.
    log.push_back("PROGRAMMENDE");
    m_ending = true;
  } else if (op == tok::kAbort) {
    log.push_back("ABBRUCH");
    m_abort = true;
    m_running = false;
  }
  // Everything else (the modem, SMS, queries, the PC's statements without their arguments)
  // has no effect in the simulated unit: scanning goes on with the next statement.
  pc = p;
}

bool Firmware::readOperand(int& pc, int end, Operand& operand) const {
  const FirmwareImage& im = *m_image;
  if (pc + 2 > end || im.byte(pc) != tok::kSymbolRef) return false;
  const int a = im.word(pc + 1);
  pc += 3;
  operand = {};
  if (a < kSystemValueLimit) {
    operand.system = a + kSystemValueOffset;
    if (takesArgument(operand.system) && pc + 3 <= end && im.byte(pc) == tok::kOpen &&
        im.byte(pc + 1) == tok::kSymbolRef) {
      ++pc;
      Operand argument;
      if (readOperand(pc, end, argument)) operand.argument = argument.address, operand.argumentSystem = argument.system;
      if (pc <= end && im.byte(pc) == tok::kClose) ++pc;
    }
  } else if (im.inVariables(a, 2)) {
    operand.address = a;
  } else {
    return false;  // an address outside the variables reads as nothing
  }
  return true;
}

// --- values ------------------------------------------------------------------------------

std::string Firmware::stateName(int typeAddress, int state) const {
  const FirmwareImage& im = *m_image;
  if (state < 0 || state >= im.byte(typeAddress) || !im.inVariables(typeAddress)) return std::to_string(state);
  const int record = typeAddress + 1 + state * kStateRecord;
  const int length = std::min<int>(im.byte(record), 16);
  std::string name;
  for (int k = 0; k < length; ++k) name += static_cast<char>(im.byte(record + 1 + k));
  return name;
}

std::string Firmware::textAt(int address) const {
  const FirmwareImage& im = *m_image;
  const int length = std::min<int>(im.byte(address + 1), kTextBytes);
  std::string text;
  for (int k = 0; k < length; ++k) text += static_cast<char>(im.byte(address + 2 + k));
  return text;
}

Firmware::Value Firmware::valueOf(const Operand& operand) const {
  const FirmwareImage& im = *m_image;
  Value v;
  auto timeValue = [&](int format, DateTime t, std::array<int, 3> fields) {
    v.letter = 'T', v.format = format, v.time = t, v.fields = fields;
    v.text = format == kKindTime ? timeText(t) : format == kKindDate ? dateText(t) : dateTimeText(t);
  };
  auto integer = [&](std::int32_t i) { v.letter = 'I', v.integer = i, v.text = std::to_string(i); };
  if (operand.system >= 0) {
    const DateTime now = m_now;
    const CalendarDate d = decodeDate(now);
    const int s = operand.system;
    if (s == kSysZeit) {
      timeValue(kKindDateTime, now, {});
    } else if (s == kSysDatum) {
      timeValue(kKindDate, std::floor(now), {d.year % 100, d.month, d.day});
    } else if (s == kSysUhrzeit || s == kSysUhrzeit5) {
      const ClockTime c = decodeTime(m_clockTime);
      timeValue(kKindTime, timeOfDay(m_clockTime), {c.hour, c.minute, c.second});
    } else if (s == kSysTag) {
      static const char* const kDays[] = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
      integer(dayOfWeek(now));
      v.text = kDays[(v.integer + 6) % 7];
    } else if (s == kSysSec5) {
      integer(m_clockSecond);
    } else if (s == kSysMonat) {
      integer(d.month);
    } else if (s == kSysMonatstag) {
      integer(d.day);
    } else if (s == kSysJahr) {
      integer(d.year - 2000);
      v.text = twoDigits(v.integer);
    } else if (s == kSysFehlAnz) {
      integer(0);
    } else if (s == kSysFehlObj) {
      v.letter = 'S', v.text = " ";
    } else if (s == kSysStopp || s == kSysZufall || s == kSysAufgang || s == kSysUntergang) {
      const DateTime t = timeOf(operand);
      const ClockTime c = decodeTime(t);
      timeValue(kKindTime, t, {c.hour, c.minute, c.second});
    }
    return v;
  }
  const int a = operand.address;
  const std::uint8_t kindByte = im.byte(a);
  switch (kindByte & 0x3F) {
    case kKindInteger: integer(static_cast<std::int16_t>(im.byte(a + 2) | im.byte(a + 3) << 8)); break;
    case kKindUser:
      v.letter = 'U', v.integer = im.byte(a + 2), v.text = stateName(im.word(a + 4), v.integer);
      break;
    case kKindText: v.letter = 'S', v.text = textAt(a); break;
    case kKindDate:
    case kKindTime:
    case kKindDateTime: {
      std::array<int, 3> fields{};
      for (int k = 0; k < 3; ++k) {
        const std::uint8_t b = im.byte(a + 2 + k);
        // A literal with "*" holds two 4-bit digits a field; an open field is FF.
        if (kindByte & kKindWildcard) fields[k] = b == 0xFF ? -1 : (b >> 4) * 10 + (b & 0x0F);
        else fields[k] = b;
      }
      timeValue(kindByte & 0x3F, timeOf(operand), fields);
      if (kindByte & kKindWildcard) {
        v.text.clear();
        for (int k = 0; k < 3; ++k)
          v.text += (k ? ":" : "") + (fields[k] < 0 ? std::string("**") : twoDigits(fields[k]));
      }
      break;
    }
    default: break;
  }
  return v;
}

DateTime Firmware::timeOf(const Operand& operand) const {
  const FirmwareImage& im = *m_image;
  if (operand.system >= 0) {
    const int s = operand.system;
    const Operand argument{operand.argument, operand.argumentSystem};
    if (s == kSysZeit) return m_now;
    if (s == kSysDatum) return std::floor(m_now);
    if (s == kSysUhrzeit || s == kSysUhrzeit5) return timeOfDay(m_clockTime);
    if (s == kSysSec5) return m_clockSecond * kOneSecond;
    if (argument.address < 0 && argument.system < 0) return 0.0;
    if (s == kSysStopp) return m_now - timeOf(argument);
    if (s == kSysAufgang || s == kSysUntergang) return sunTime(s == kSysAufgang, timeOf(argument));
    if (s == kSysZufall) {
      const DateTime span = timeOf(argument);
      const ClockTime c = decodeTime(span);
      const int minutes = c.hour * 60 + c.minute;
      if (minutes <= 0) return 0.0;
      const int m = static_cast<int>(m_random() % static_cast<unsigned>(minutes));
      const int sec = static_cast<int>(m_random() % 12) * 5;
      return (m * 60 + sec) * kOneSecond;
    }
    return 0.0;
  }
  const int a = operand.address;
  const std::uint8_t kindByte = im.byte(a);
  if (kindByte & kKindWildcard) return 0.0;
  auto at = [&](int k) { return static_cast<int>(im.byte(a + 2 + k)); };
  switch (kindByte & 0x3F) {
    case kKindTime: return encodeTime(at(0) % 24, at(1) % 60, at(2) % 60).value_or(0.0);
    case kKindDate: return encodeDate(2000 + at(0), at(1), at(2)).value_or(0.0);
    case kKindDateTime:
      return encodeDate(2000 + at(0), at(1), at(2)).value_or(0.0) +
             encodeTime(at(3) % 24, at(4) % 60, at(5) % 60).value_or(0.0);
    case kKindText: {
      const std::string text = textAt(a);
      const auto t = text.find('.') == std::string::npos ? parseTime(text)
                     : text.find(':') == std::string::npos ? parseDate(text)
                                                           : parseDateTime(text);
      return t.value_or(0.0);
    }
    default: return 0.0;
  }
}

// sunTime -> the hour and minute of the week the date falls in, from the image's tables
DateTime Firmware::sunTime(bool rise, DateTime date) const {
  const FirmwareImage& im = *m_image;
  const CalendarDate d = decodeDate(date);
  const int dayOfYear = static_cast<int>(std::floor(date) - encodeDate(d.year, 1, 1).value_or(std::floor(date)));
  const int week = std::clamp(dayOfYear / 7, 0, kSunTableSize / 2 - 1);
  const int at = (rise ? im.sunrise : im.sunset) + 2 * week;
  return encodeTime(im.byte(at) % 24, im.byte(at + 1) % 60, 0).value_or(0.0);
}

namespace {

// A text as a number by its digits, every other character counting as 0.
std::int32_t digitsValue(const std::string& text) {
  std::int64_t v = 0;
  for (const char c : text) {
    v = v * 10 + (c >= '0' && c <= '9' ? c - '0' : 0);
    if (v > INT32_MAX) return INT32_MAX;
  }
  return static_cast<std::int32_t>(v);
}

int orderOf(std::int64_t x, std::int64_t y) { return x < y ? -1 : x > y ? 1 : 0; }

}  // namespace

// compare -> 1 true, 0 false, -1 for times of different kinds
int Firmware::compare(const Value& a, const Value& b, std::uint8_t op, const Value* third) const {
  if (op == tok::kWildcardEqual) {
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
    const std::int32_t pos = a.letter == 'S' ? digitsValue(a.text) : a.integer;
    return pos >= 1 && pos <= 7 && static_cast<std::size_t>(pos) <= b.text.size() && b.text[static_cast<std::size_t>(pos - 1)] == '1';
  }
  // Times compare field by field (a field a literal left open with "*" matches any value);
  // dates and times of day by their fields, date-times by their value.
  auto timeOrder = [](const Value& x, const Value& y) {
    if (x.format == kKindDateTime) return x.time < y.time ? -1 : x.time > y.time ? 1 : 0;
    for (int k = 0; k < 3; ++k)
      if (x.fields[k] >= 0 && y.fields[k] >= 0 && x.fields[k] != y.fields[k]) return x.fields[k] < y.fields[k] ? -1 : 1;
    return 0;
  };
  if (op == tok::kBetween) {
    if (!third) return 0;
    const bool times = a.letter == 'T' && b.letter == 'T' && third->letter == 'T' && a.format == b.format &&
                       b.format == third->format;
    auto order = [&](const Value& x, const Value& y) { return times ? timeOrder(x, y) : x.text.compare(y.text); };
    if (order(b, *third) <= 0) return order(b, a) <= 0 && order(a, *third) <= 0;
    return order(a, b) >= 0 || order(a, *third) <= 0;  // a range across midnight
  }
  if (a.letter == 'N' || b.letter == 'N') return 0;
  int order = 0;
  const bool aNumber = a.letter == 'I' || a.letter == 'U', bNumber = b.letter == 'I' || b.letter == 'U';
  if (a.letter == 'T' && b.letter == 'T') {
    if (a.format != b.format) return -1;
    order = timeOrder(a, b);
  } else if ((a.letter == 'T' && bNumber) || (aNumber && b.letter == 'T')) {
    return 0;
  } else if ((aNumber && bNumber) || (a.letter == 'S' && bNumber) || (a.letter == 'I' && b.letter == 'S')) {
    auto number = [](const Value& v) { return v.letter == 'S' ? digitsValue(v.text) : v.integer; };
    order = orderOf(number(a), number(b));
  } else {
    const int c = a.text.compare(b.text);
    order = c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  if (op == tok::kLess) return order < 0;
  if (op == tok::kEqual) return order == 0;
  if (op == tok::kGreater) return order > 0;
  if (op == tok::kNotEqual) return order != 0;
  if (op == tok::kLessEqual) return order <= 0;
  if (op == tok::kGreaterEqual) return order >= 0;
  return 0;
}

// condition -> left to right, ODER and UND without precedence; DANN or the branch ends it
bool Firmware::condition(int pc, int end, int thenAddress) {
  const FirmwareImage& im = *m_image;
  bool result = true;
  enum class Join { None, Or, And } pending = Join::None;
  auto combine = [&](bool value) {
    if (pending == Join::Or) result = result || value;
    else if (pending == Join::And) result = result && value;
    else result = value;
    pending = Join::None;
  };
  auto isComparison = [](std::uint8_t op) {
    return op == tok::kLess || op == tok::kEqual || op == tok::kGreater || (op >= tok::kNotEqual.value && op <= tok::kBetween.value);
  };
  const int stop = thenAddress > pc ? std::min(thenAddress, end + 1) : end + 1;
  while (pc < stop) {
    const std::uint8_t b = im.byte(pc);
    if (b == tok::kThen || b == tok::kStatement) break;
    if (b == tok::kOr) {
      if (result) return true;
      pending = Join::Or;
      ++pc;
    } else if (b == tok::kAnd) {
      pending = Join::And;
      ++pc;
    } else if (b == tok::kFunction) {
      const std::uint8_t f = im.byte(pc + 1);
      pc += 2;
      if (f == tok::kSwitched || f == tok::kActivated || f == tok::kFault) {
        const int object = readObject(pc, stop - 1);
        if (f == tok::kFault) continue;  // the unit keeps no error marks of its own
        const ObjectState* s = object < 0 ? nullptr : &m_objects[static_cast<std::size_t>(object)];
        combine(s && (f == tok::kSwitched ? s->switched : s->active));
      } else if (f == tok::kPcActive) {
        combine(false);  // the unit runs the program, not the PC
      } else if (f == tok::kModemOk) {
        combine(m_modemReady);
      } else if (f == tok::kSmsFault) {
        combine(false);
      }
    } else if (b == tok::kSymbolRef) {
      Operand left, right, third;
      if (!readOperand(pc, stop - 1, left)) break;
      while (pc < stop && im.byte(pc) == tok::kOpen) ++pc;
      if (pc >= stop) break;
      const std::uint8_t op = im.byte(pc);
      if (!isComparison(op)) continue;
      ++pc;
      while (pc < stop && im.byte(pc) == tok::kOpen) ++pc;
      if (!readOperand(pc, stop - 1, right)) {
        combine(false);
        continue;
      }
      std::optional<Value> thirdValue;
      if (op == tok::kBetween) {
        while (pc < stop && (im.byte(pc) == tok::kComma || im.byte(pc) == tok::kOpen || im.byte(pc) == tok::kClose)) ++pc;
        if (!readOperand(pc, stop - 1, third)) {
          combine(false);
          continue;
        }
        thirdValue = valueOf(third);
      }
      combine(compare(valueOf(left), valueOf(right), op, thirdValue ? &*thirdValue : nullptr) == 1);
    } else if (b == tok::kObjectRef) {
      pc += 3;
    } else {
      ++pc;
    }
  }
  return result;
}

// --- assignment --------------------------------------------------------------------------

void Firmware::assign(int& pc, int end) {
  const FirmwareImage& im = *m_image;
  Operand target;
  if (!readOperand(pc, end, target) || target.address < 0) return;
  const int a = target.address;
  const std::uint8_t kind = im.byte(a) & 0x3F;
  auto skipToStatement = [&] { pc = nextStatement(pc, end); };
  if (kind == kKindText) {
    std::string text;
    while (pc <= end && im.byte(pc) != tok::kStatement) {
      Operand o;
      if (im.byte(pc) == tok::kSymbolRef && readOperand(pc, end, o)) text += valueOf(o).text;
      else ++pc;
    }
    storeText(a, text);
    return;
  }
  if (kind == kKindDate || kind == kKindTime || kind == kKindDateTime) {
    DateTime value = 0.0;
    if (im.byte(pc) == tok::kFunction) {
      pc += 2;
      bool minus = false;
      while (pc <= end) {
        const std::uint8_t b = im.byte(pc);
        Operand o;
        if (b == tok::kMinus) {
          minus = true, ++pc;
        } else if (b == tok::kOpen || b == tok::kClose || b == tok::kPlus) {
          ++pc;
        } else if (b == tok::kSymbolRef && readOperand(pc, end, o)) {
          const DateTime t = timeOf(o);
          if (o.system == kSysAufgang || o.system == kSysUntergang) value = t;
          else value += minus ? -t : t;
          minus = false;
        } else {
          break;
        }
      }
    } else {
      Operand o;
      if (!readOperand(pc, end, o)) return;
      value = timeOf(o);
    }
    storeTime(a, value);
    skipToStatement();
    return;
  }
  if (kind != kKindInteger && kind != kKindUser) return;
  const Value current = valueOf({a, -1, -1});
  const std::uint8_t v = im.byte(pc);
  if (v == tok::kNextState || v == tok::kPrevState) {
    std::int32_t next = current.integer + (v == tok::kNextState ? 1 : -1);
    if (kind == kKindUser) {
      const int max = im.byte(a + 3);
      next = next > max ? 0 : next < 0 ? max : next;
    }
    storeNumber(a, next);
  } else if (v == tok::kFirstState || v == tok::kSecondState) {
    storeNumber(a, v == tok::kSecondState ? 1 : 0);
  } else if (v == tok::kSymbolRef) {
    Operand source;
    if (!readOperand(pc, end, source)) return;
    const Value s = valueOf(source);
    if (source.address >= 0 && s.letter == 'S') {
      if (kind == kKindInteger) {
        storeNumber(a, static_cast<std::int32_t>(std::strtol(s.text.c_str(), nullptr, 10)));
      } else {
        const int type = im.word(a + 4);
        for (int k = 0; k < im.byte(type); ++k)
          if (stateName(type, k) == s.text) storeNumber(a, k);
      }
    } else if (s.letter == 'I' || s.letter == 'U') {
      storeNumber(a, s.integer);
    }
  } else if (v == tok::kFunction && im.byte(pc + 1) == tok::kArithmetic) {
    pc += 2;
    double accumulator = 0.0;
    std::uint8_t pendingOp = tok::kPlus.value;
    while (pc <= end && im.byte(pc) != tok::kStatement) {
      const std::uint8_t b = im.byte(pc);
      Operand o;
      if (b == tok::kSymbolRef && readOperand(pc, end, o)) {
        const Value x = valueOf(o);
        const double r = x.letter == 'I' || x.letter == 'U' ? x.integer : 0.0;
        if (pendingOp == tok::kPlus) accumulator += r;
        else if (pendingOp == tok::kMinus) accumulator -= r;
        else if (pendingOp == tok::kTimes) accumulator *= r;
        else accumulator = r == 0.0 ? 0.0 : accumulator / r;  // the unit divides by 0 into 0
      } else {
        if (b == tok::kPlus || b == tok::kMinus || b == tok::kTimes || b == tok::kDivide) pendingOp = b;
        ++pc;
      }
    }
    storeNumber(a, roundEven(accumulator));
  }
  skipToStatement();
}

// --- storing and reporting ---------------------------------------------------------------

int Firmware::ownerOf(int address) const {
  if (!(m_image->byte(address) & kKindStateFlag)) return -1;
  return m_image->objectAt(m_image->word(address - 2));
}

void Firmware::storeNumber(int a, std::int32_t value) {
  FirmwareImage& im = *m_image;
  const std::uint8_t kind = im.byte(a) & 0x3F;
  if (kind == kKindInteger) {
    // The unit keeps 16 bits.
    const auto v = static_cast<std::uint16_t>(value);
    if (im.byte(a + 2) == (v & 0xFF) && im.byte(a + 3) == (v >> 8)) return;
    im.set(a + 2, static_cast<std::uint8_t>(v & 0xFF));
    im.set(a + 3, static_cast<std::uint8_t>(v >> 8));
  } else if (kind == kKindUser) {
    const int max = im.byte(a + 3);
    if (value < 0) value = max;
    if (value > max) value = 0;
    if (im.byte(a + 2) == value) return;
    im.set(a + 2, static_cast<std::uint8_t>(value));
  } else {
    return;
  }
  const int owner = ownerOf(a);
  if (owner >= 0) markChanged(owner);
}

void Firmware::storeText(int a, const std::string& text) {
  FirmwareImage& im = *m_image;
  if (!im.inVariables(a, 2 + kTextBytes)) return;
  if (textAt(a) == text.substr(0, kTextBytes) && im.byte(a + 1) == (text.size() & 0xFF)) return;
  im.set(a + 1, static_cast<std::uint8_t>(text.size() & 0xFF));
  for (int k = 0; k < kTextBytes; ++k)
    im.set(a + 2 + k, static_cast<std::size_t>(k) < text.size() ? static_cast<std::uint8_t>(text[static_cast<std::size_t>(k)]) : 0);
  const int owner = ownerOf(a);
  if (owner >= 0) markChanged(owner);
}

void Firmware::storeTime(int a, DateTime value) {
  FirmwareImage& im = *m_image;
  const std::uint8_t kind = im.byte(a) & 0x3F;
  const CalendarDate d = decodeDate(value);
  const ClockTime c = decodeTime(value);
  std::vector<int> bytes;
  if (kind == kKindTime) bytes = {c.hour, c.minute, c.second};
  else if (kind == kKindDate) bytes = {d.year % 100, d.month, d.day};
  else if (kind == kKindDateTime) bytes = {d.year % 100, d.month, d.day, c.hour, c.minute, c.second};
  if (!im.inVariables(a, 2 + static_cast<int>(bytes.size()))) return;
  // A stored time is a plain value from now on, even where a literal with "*" stood.
  im.set(a, static_cast<std::uint8_t>(im.byte(a) & ~kKindWildcard));
  for (std::size_t k = 0; k < bytes.size(); ++k) im.set(a + 2 + static_cast<int>(k), static_cast<std::uint8_t>(bytes[k]));
}

void Firmware::markChanged(int object) {
  ObjectState& s = m_objects[static_cast<std::size_t>(object)];
  s.switched = true;
  if (!s.changePending) m_changed.push_back(object);
  // A program that changes the value again before it is reported makes it the program's.
  s.fromStation = m_storingFromStation && (!s.changePending || s.fromStation);
  s.changePending = true;
  const int ct = m_image->objects[static_cast<std::size_t>(object)].ctAddress;
  if (ct != 0) storeTime(ct, m_now);
}

std::string Firmware::shownText(int object) const {
  const int a = m_image->objects[static_cast<std::size_t>(object)].stateAddress;
  return a == 0 ? std::string() : valueOf({a, -1, -1}).text;
}

void Firmware::report(int object) {
  ObjectState& state = m_objects[static_cast<std::size_t>(object)];
  state.changePending = false;
  if (onChange) onChange(object, shownText(object), m_now, state.fromStation);
  // What a device reported it has already: it is not sent back to it.
  if (!state.fromStation) queueOutput(object);
  state.fromStation = false;
  if (!m_visualising) return;
  const ImageObject& o = m_image->objects[static_cast<std::size_t>(object)];
  if (o.stateAddress == 0) return;
  const Value v = valueOf({o.stateAddress, -1, -1});
  ValueFrame frame{o.unit, {0xFF}};
  if (v.letter == 'U') {
    frame.data.insert(frame.data.end(), {0, static_cast<std::uint8_t>(v.integer)});
  } else if (v.letter == 'I') {
    // A negative number travels as 32768 plus its magnitude.
    const int raw = v.integer < 0 ? 32768 - v.integer : v.integer;
    frame.data.insert(frame.data.end(), {0, static_cast<std::uint8_t>(raw & 0xFF), static_cast<std::uint8_t>(raw >> 8 & 0xFF)});
  } else if (v.letter == 'S') {
    const std::string text = v.text.substr(0, 200);
    frame.data.push_back(static_cast<std::uint8_t>(text.size()));
    frame.data.insert(frame.data.end(), text.begin(), text.end());
  } else {
    return;
  }
  m_frames.push_back(std::move(frame));
}

void Firmware::setVisualising(bool on) {
  m_visualising = on;
  m_frames.clear();
  if (!on || !m_image || !m_running) return;
  // The PC starts from the project's start values: it hears every value once.
  for (std::size_t i = 0; i < m_image->objects.size(); ++i) {
    if (m_image->objects[i].stateAddress == 0) continue;
    m_objects[i].changePending = false;
    // Only the PC hears this: the devices have their values already.
    m_objects[i].fromStation = true;
    auto saved = onChange;
    onChange = nullptr;
    report(static_cast<int>(i));
    onChange = std::move(saved);
  }
}

std::vector<ValueFrame> Firmware::takeValueFrames() {
  std::vector<ValueFrame> out;
  out.swap(m_frames);
  return out;
}

bool Firmware::fromVisualisation(std::uint16_t unit, std::span<const std::uint8_t> data) {
  if (!m_image || !m_running || data.empty() || data[0] != 0xFF) return false;
  for (std::size_t i = 0; i < m_image->objects.size(); ++i) {
    const ImageObject& o = m_image->objects[i];
    if (o.unit != unit) continue;
    const int a = o.stateAddress;
    const std::uint8_t kind = a == 0 ? 0 : m_image->byte(a) & 0x3F;
    if (kind == kKindUser && data.size() >= 2) storeNumber(a, data[1]);
    if (kind == kKindInteger && data.size() >= 3) storeNumber(a, static_cast<std::int16_t>(data[1] | data[2] << 8));
    // The PC already shows the value it sent: no frame goes back for it, but the object's
    // device is switched as by any other change.
    if (m_objects[i].changePending) {
      m_objects[i].changePending = false;
      std::erase(m_changed, static_cast<int>(i));
      queueOutput(static_cast<int>(i));
    }
    enqueue(static_cast<int>(i));
    return true;
  }
  return false;
}

// --- the devices behind the unit ----------------------------------------------------------

namespace {

constexpr int kLineWired = 1, kLineRadio = 4;
constexpr std::uint8_t kStatusError = 0xFE, kStatusRadioValue = 0xA0;
// From this feature level the unit passes HMS100 temperatures as BCD digits.
constexpr int kFeatureLevelBcd = 120;

std::int32_t signMagnitude(std::span<const std::uint8_t> d, std::size_t low) {
  const std::int32_t v = d[low + 1] * 256 + d[low];
  return (v & 0x8000) != 0 ? -(v & 0x7FFF) : v;
}

std::optional<std::int32_t> bcdTemperature(std::span<const std::uint8_t> d) {
  if (d.size() < 4) return std::nullopt;
  const std::int32_t v = (d[3] & 0xF) * 100 + (d[2] >> 4) * 10 + (d[2] & 0xF);
  return (d[1] & 0x80) != 0 ? -v : v;
}

std::uint8_t low(std::int32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }
std::uint8_t high(std::int32_t v) { return static_cast<std::uint8_t>(v >> 8 & 0xFF); }

}  // namespace

// deviceOf -> the six hardware bytes of the object's entry, in the layout of the unit's type
Firmware::ObjectDevice Firmware::deviceOf(int object) const {
  const std::uint8_t* h = m_image->objects[static_cast<std::size_t>(object)].hardware;
  ObjectDevice d;
  if (!m_fullAddresses) {
    // Receive line, address, channel, then the same for sending.
    d.sends = h[3] >= 1;
    const std::uint8_t* side = d.sends ? h + 3 : h;
    d.address.line = side[0];
    d.address.address[0] = side[1];
    d.channel = h[2] != 0 ? h[2] : h[5];
    return d;
  }
  // Line, address, channel (wired) or second address byte, third address byte, device class,
  // and 1 for a send device, 2 for a receive device.
  d.sends = h[5] == 1;
  d.address.line = h[0];
  d.address.address[0] = h[1];
  if (h[0] == kLineWired) {
    d.channel = h[2];
    return d;
  }
  d.address.address[1] = h[2];
  d.address.address[2] = h[3];
  // The climate sensor's receive entry carries its channel where the third byte would be.
  DeviceAddress sensor = d.address;
  sensor.address[2] = 0;
  if (!d.sends && deviceType && deviceType(sensor) == 551) {
    d.address = sensor;
    d.channel = h[3];
  }
  return d;
}

bool Firmware::listensTo(int object, const DeviceAddress& from) const {
  const std::uint8_t* h = m_image->objects[static_cast<std::size_t>(object)].hardware;
  if (!m_fullAddresses) {
    // Only the first address byte is there: a radio switch and the push-button beside it
    // would look alike, so radio messages reach the objects that receive from radio only.
    if (h[0] == from.line && h[1] == from.address[0]) return true;
    return from.line != kLineRadio && h[3] == from.line && h[4] == from.address[0];
  }
  const ObjectDevice d = deviceOf(object);
  if (d.address.line == 0 || d.address.line != from.line) return false;
  if (from.line == kLineWired) return d.address.address[0] == from.address[0];
  return d.address.address == from.address;
}

std::vector<int> Firmware::codeList(int object) const {
  const ImageObject& o = m_image->objects[static_cast<std::size_t>(object)];
  std::vector<int> codes;
  if (!(o.flags & kFlagCodeList)) return codes;
  const int list = m_image->word(o.entry + kEntryCodeList);
  const int count = m_image->inside(list) ? m_image->byte(list) : 0;
  if (!m_image->inside(list, count + 1)) return codes;
  for (int k = 0; k < count; ++k) codes.push_back(m_image->byte(list + 1 + k));
  return codes;
}

// decodeMessage -> the value a device's message means for one object, by the device's type
std::optional<std::int32_t> Firmware::decodeMessage(int object, const StationMessage& m) const {
  const std::span<const std::uint8_t> d = m.data;
  if (d.empty()) return std::nullopt;
  const ImageObject& o = m_image->objects[static_cast<std::size_t>(object)];
  const ObjectDevice device = deviceOf(object);
  const std::vector<int> codes = codeList(object);
  const bool codeListed = (o.flags & kFlagCodeList) != 0;
  // The unit has no channel-mode setting of its own: an object with a channel takes that
  // channel's part of the message, one without takes the whole byte.
  const int channel = device.channel;
  const bool stateObject = o.kind == 'U';
  auto index = [&](int code) -> std::optional<std::int32_t> {
    for (std::size_t i = 0; i < codes.size(); ++i)
      if (codes[i] == code) return static_cast<std::int32_t>(i);
    return std::nullopt;
  };
  auto byCode = [&](int byte) { return codeListed ? index(byte) : std::optional<std::int32_t>(byte); };
  auto byPosition = [&](int v) -> std::int32_t {
    if (!codeListed) return v;
    const auto i = index(v);
    return i ? *i + 1 : 0;
  };
  // An object that switches one of an MXB2's relays is a relay (1), not one of its inputs.
  const int type = device.sends && m.typeCode == 2 ? 1 : m.typeCode;
  const int s = d[0];
  const bool wiredSwitch = type >= 2 && type <= 4;
  if ((s & 0xC0) == 0xC0) {
    // An input-state message: the inputs as they stand.
    if (d.size() < 2 || type == 301) return std::nullopt;
    const int d1 = d[1];
    if (wiredSwitch || (type == 21 && stateObject)) {
      if (channel > 0) return byPosition((d1 >> std::min(channel - 1, 31)) & 1);
      return byPosition(d1);
    }
    if (type == 8 || (type == 26 && stateObject)) {
      if (type == 8 || device.sends) {
        if (!codeListed) return d1;
        std::optional<std::int32_t> best;
        int distance = 1 << 30;
        for (std::size_t i = 0; i < codes.size(); ++i)
          if (std::abs(codes[i] - d1) < distance) distance = std::abs(codes[i] - d1), best = static_cast<std::int32_t>(i);
        return best;
      }
      if (d.size() < 3 || channel < 1) return std::nullopt;
      return byPosition((d[2] >> std::min(channel - 1, 31)) & 1);
    }
    if (o.kind == 'Z') return d.size() >= 6 ? d[2] * 256 + d1 : d1;
    return std::nullopt;
  }
  // A value message.
  const bool radioValue = s == kStatusRadioValue;
  if (wiredSwitch) {
    if (channel != 0 && (s & 0x3F) != channel) return std::nullopt;
    return d.size() >= 2 ? byCode(d[1]) : std::nullopt;
  }
  if (type == 7) return d.size() >= 2 ? byCode(d[1]) : std::nullopt;
  if (type == 9) return s == channel && d.size() >= 3 ? std::optional<std::int32_t>(d[2] * 256 + d[1]) : std::nullopt;
  if (type == 21 || type == 26) return s == channel && d.size() >= 3 ? std::optional(signMagnitude(d, 1)) : std::nullopt;
  if (!radioValue || d.size() < 2) return std::nullopt;
  if (type == 401) {
    // FS20 push-button commands: for a two-state object the "on" family switches on, the
    // "off" family off; the toggle command 17 means on for any state object.
    const int command = d[1];
    if (!stateObject) return command;
    const int states = m_image->byte(m_image->word(o.stateAddress + 4));
    if (states == 2 && (command == 19 || command == 25 || command == 26 || command == 30 || command == 31)) return 1;
    if (states == 2 && (command == 20 || command == 24)) return 0;
    return command == 17 ? 1 : command;
  }
  if (type == 554 || type == 555 || type == 556 || type == 565) return (d[1] & 3) != 0 ? 1 : 0;
  if (type == 553) return -d[1];
  if (type == 557) return d[1];
  if (type == 552) {
    if (m_featureLevel >= kFeatureLevelBcd) return bcdTemperature(d);
    return d.size() >= 3 ? std::optional(signMagnitude(d, 1)) : std::nullopt;
  }
  if (type == 551) {
    if (channel < 1) return std::nullopt;
    if (m_featureLevel < kFeatureLevelBcd) {
      const auto lowByte = static_cast<std::size_t>(2 * channel - 1);
      return d.size() > lowByte + 1 ? std::optional(signMagnitude(d, lowByte)) : std::nullopt;
    }
    if (channel == 1) return bcdTemperature(d);
    return d.size() >= 5 ? std::optional<std::int32_t>((d[4] & 0xF) * 10 + (d[4] >> 4) * 100 + (d[3] >> 4)) : std::nullopt;
  }
  // The room controller reports its set temperature in half degrees; the object holds tenths.
  if (type == 301 && d.size() >= 4 && d[1] == 'i' && d[2] == 'A') return d[3] * 10 / 2;
  return std::nullopt;
}

void Firmware::fromStation(const StationMessage& message) {
  if (!m_image || !m_running || message.data.empty() || message.data[0] == kStatusError) return;
  const bool inputState = (message.data[0] & 0xC0) == 0xC0;
  for (std::size_t i = 0; i < m_image->objects.size(); ++i) {
    const int object = static_cast<int>(i);
    const ImageObject& o = m_image->objects[i];
    if (o.stateAddress == 0 || !listensTo(object, message.from)) continue;
    const std::optional<std::int32_t> value = decodeMessage(object, message);
    if (!value) continue;
    m_storingFromStation = true;
    storeNumber(o.stateAddress, *value);
    m_storingFromStation = false;
    // The room controller told its own set temperature: nothing goes back to it.
    if (message.typeCode == 301) m_objects[i].switched = false;
    // A value message runs the object's program when it runs on reception; the inputs as they
    // stand only update the value.
    if (!inputState && (o.flags & kFlagRunOnReception)) enqueue(object);
  }
}

// queueOutput -> the object's new value for its send device, in that device type's layout
void Firmware::queueOutput(int object) {
  const ImageObject& o = m_image->objects[static_cast<std::size_t>(object)];
  const ObjectDevice device = deviceOf(object);
  if (!device.sends || device.address.line == 0 || o.stateAddress == 0) return;
  const int type = deviceType ? deviceType(device.address) : 0;
  if (type == 0) return;  // nothing is configured there
  const Value v = valueOf({o.stateAddress, -1, -1});
  std::vector<std::uint8_t> data;
  if (v.letter == 'U') {
    std::int32_t state = v.integer;
    if (o.flags & kFlagCodeList) {
      const std::vector<int> codes = codeList(object);
      if (state < 0 || static_cast<std::size_t>(state) >= codes.size()) return;
      state = codes[static_cast<std::size_t>(state)];
    }
    if (type >= 30) data = {low(state)};
    else data = {low(device.channel), low(state)};
  } else if (v.letter == 'I') {
    const std::int32_t n = v.integer;
    if (type == 301) {
      const std::int32_t halves = n / 10 * 2 + (n % 10 != 0 ? 1 : 0);
      data = {'A', static_cast<std::uint8_t>(std::clamp(halves, 0, 255))};
    } else if (type == 221 && high(n) == 0) {
      data = {low(n)};
    } else if (type >= 200) {
      data = {low(n), high(n), 0};
    } else {
      data = {static_cast<std::uint8_t>(type == 4 || type == 20 ? 0 : high(n)), low(n), 0};
    }
  } else if (v.letter == 'S') {
    const std::string text = v.text.substr(0, type == 9 ? 35 : 248);
    data.push_back(0);
    data.insert(data.end(), text.begin(), text.end());
  } else {
    return;
  }
  m_outputs.push_back({object, device.address, type, std::move(data)});
}

std::vector<StationOutput> Firmware::takeStationOutputs() {
  std::vector<StationOutput> out;
  out.swap(m_outputs);
  return out;
}

}  // namespace kelvaro::sim
