// The interpreter of the PC code. Statements run straight from the code buffer; every read
// of an operand is checked against the end of the running object's code, the symbol list and
// the run list, so that no byte sequence makes the engine read or write outside them.
//
// The clock timer runs every permanent object every 10 ms, so the paths of the common
// statements (comparisons and arithmetic of numbers, copies, state changes) decide on the
// kinds of their operands first and make no text, take the time once per step, and call the
// window only every few statements or when a debugger is open.
#include "runtime/engine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>

#include "language/line_map.h"
#include "language/token.h"
#include "model/colors.h"
#include "model/type_states.h"
#include "runtime/engine_support.h"
#include "text/cp1252.h"

namespace kelvaro {

using namespace engine_detail;

namespace {

// The alternatives of a variable descriptor, for switches on its index.
constexpr std::size_t kInt = 0, kReal = 1, kTime = 2, kStr = 3, kUser = 4;
static_assert(std::is_same_v<std::variant_alternative_t<kInt, VariableDescriptor>, TVarInt>);
static_assert(std::is_same_v<std::variant_alternative_t<kReal, VariableDescriptor>, TVarReal>);
static_assert(std::is_same_v<std::variant_alternative_t<kTime, VariableDescriptor>, TVarTime>);
static_assert(std::is_same_v<std::variant_alternative_t<kStr, VariableDescriptor>, TVarStr>);
static_assert(std::is_same_v<std::variant_alternative_t<kUser, VariableDescriptor>, TVarUser>);

// A 16-bit number, low byte first, at p.
inline int word(const std::uint8_t* code, int p) { return code[p] | (code[p + 1] << 8); }

bool holdsNumber(std::uint8_t kind) { return kind == kInt || kind == kReal || kind == kUser; }

// -1, 0 or 1 for two cells that hold numbers, by the pair rule: a real with an integer or two
// reals compare as reals; a state with anything, and two integers, as integers.
template <class Cell>
int numberOrder(const Cell& a, const Cell& b) {
  if ((a.kind == kReal && b.kind != kUser) || (a.kind == kInt && b.kind == kReal)) {
    const double x = a.kind == kReal ? a.real : a.integer, y = b.kind == kReal ? b.real : b.integer;
    return x < y ? -1 : x > y ? 1 : 0;
  }
  const std::int32_t x = a.kind == kReal ? roundEven(a.real) : a.integer;
  const std::int32_t y = b.kind == kReal ? roundEven(b.real) : b.integer;
  return x < y ? -1 : x > y ? 1 : 0;
}

// The comparison operators a numeric test knows, and what each makes of an order; -1 for
// any other byte.
int holds(std::uint8_t op, int order) {
  switch (op) {
    case tok::kLess: return order < 0;
    case tok::kEqual: return order == 0;
    case tok::kGreater: return order > 0;
    case tok::kNotEqual: return order != 0;
    case tok::kLessEqual: return order <= 0;
    case tok::kGreaterEqual: return order >= 0;
    default: return -1;
  }
}

bool isComparison(std::uint8_t op) {
  return op == tok::kLess || op == tok::kEqual || op == tok::kGreater || (op >= tok::kNotEqual && op <= tok::kBetween);
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

Engine::Engine(Project& project, CompileOutput& compiled, const Clock& clock, UserInterface& ui,
               EngineOptions options)
    : m_project(project), m_compiled(compiled), m_clock(clock), m_ui(ui), m_options(std::move(options)),
      m_random(m_options.randomSeed) {
  if (!m_options.startProgram) m_options.startProgram = spawnProgram;
  m_objects.resize(project.objects.size());
  m_listed.assign(project.objects.size(), 0);
  for (std::size_t i = 0; i < project.objects.size(); ++i) {
    if (project.objects[i].Name == "*INIT") {
      m_initObject = static_cast<int>(i);
      break;
    }
  }
  m_owner.assign(m_compiled.symbols.size(), -1);
  loadCells();
}

// loadCells -> the packed numbers, from the descriptors
void Engine::loadCells() {
  m_cells.resize(m_compiled.symbols.size());
  for (std::size_t n = 0; n < m_cells.size(); ++n) {
    const VariableDescriptor& d = m_compiled.symbols[n].value;
    ValueCell& c = m_cells[n];
    c = {};
    c.kind = static_cast<std::uint8_t>(d.index());
    if (const auto* v = std::get_if<TVarInt>(&d)) c.integer = v->Value;
    else if (const auto* r = std::get_if<TVarReal>(&d)) c.real = r->Value;
    else if (const auto* u = std::get_if<TVarUser>(&d)) c.integer = u->State, c.maxState = u->MaxState;
  }
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
    requestRefresh(static_cast<int>(i));
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
  loadCells();
  stopFlag = abortFlag = false;
  errorCode = 0;
  m_queue.clear();
  lastSecond = 99;
  clockSecond = 99;
  clockText = "99:99:99";
}

// list -> the object goes on the display refresh's list, once
void Engine::list(int object) {
  auto& listed = m_listed[static_cast<std::size_t>(object)];
  if (listed) return;
  listed = 1;
  m_dirty.push_back(object);
}

void Engine::requestRefresh(int object) {
  if (!validObject(object)) return;
  m_objects[static_cast<std::size_t>(object)].refreshRequest = true;
  list(object);
}

void Engine::takeDirtyObjects(std::vector<int>& into) {
  into.clear();
  into.swap(m_dirty);
  for (int object : into) m_listed[static_cast<std::size_t>(object)] = 0;
}

// markChanged -> switched, change pending and the change time of an object
void Engine::markChanged(int object) {
  if (!validObject(object)) return;
  ObjectRunState& s = m_objects[static_cast<std::size_t>(object)];
  s.switched = true;
  s.changePending = true;
  list(object);
  if (static_cast<std::size_t>(object) < m_compiled.objects.size()) {
    const int ct = m_compiled.objects[static_cast<std::size_t>(object)].ctSymbol;
    if (validSymbol(ct))
      if (auto* t = std::get_if<TVarTime>(&m_compiled.symbols[static_cast<std::size_t>(ct)].value)) t->Value = now();
  }
}

// storeNumber -> setVariable for a symbol known to be in the list; most assignments of a pass
// store what the variable holds already, which is settled here without touching its descriptor
inline int Engine::storeNumber(int symbol, std::int32_t i, double r) {
  const auto n = static_cast<std::size_t>(symbol);
  if (n >= m_cells.size()) loadCells();  // a symbol added to the list since
  const ValueCell& c = m_cells[n];
  switch (c.kind) {
    case kReal:
      if (c.real == r) return 3;
      break;
    case kInt:
      if (c.integer == i) return 2;
      break;
    case kUser:
      if (i < 0) i = c.maxState;
      else if (i > c.maxState) i = 0;
      if (c.integer == i) return 1;
      break;
    default: return -1;
  }
  return storeChange(symbol, i, r);
}

// storeChange -> a new number into the cell and the descriptor, and the owner marked
int Engine::storeChange(int symbol, std::int32_t i, double r) {
  const auto n = static_cast<std::size_t>(symbol);
  ValueCell& c = m_cells[n];
  VariableDescriptor& d = m_compiled.symbols[n].value;
  int kind = -1;
  switch (c.kind) {
    case kReal:
      c.real = r;
      std::get_if<TVarReal>(&d)->Value = r;
      kind = 3;
      break;
    case kInt:
      c.integer = i;
      std::get_if<TVarInt>(&d)->Value = i;
      kind = 2;
      break;
    case kUser:
      c.integer = i;
      std::get_if<TVarUser>(&d)->State = i;
      kind = 1;
      break;
    default: return -1;
  }
  markChanged(n < m_owner.size() ? m_owner[n] : -1);
  return kind;
}

// setVariable -> stores a number by the variable's kind and marks its owner when it changed
int Engine::setVariable(int symbol, std::int32_t i, double r) {
  if (!validSymbol(symbol)) return -1;
  return storeNumber(symbol, i, r);
}

// readArgument -> the "(&arg)" after a system value that takes one
void Engine::readArgument(int& pc, int end, CodeOperand& operand) const {
  if (!systemValueTakesArgument(operand.number)) return;
  const std::uint8_t* code = m_compiled.code.data();
  int p = pc;
  if (p < end && code[p] == tok::kOpen) ++p;
  if (p + 2 < end && code[p] == tok::kSymbolRef) {
    operand.argument = word(code, p + 1);
    p += 3;
    if (p < end && code[p] == tok::kClose) ++p;
    pc = p;
  }
}

// readOperand -> "&" + number, and "(&arg)" after the system values that take one
inline bool Engine::readOperand(int& pc, int end, CodeOperand& operand) const {
  const std::uint8_t* code = m_compiled.code.data();
  if (pc + 2 >= end || code[pc] != tok::kSymbolRef) return false;
  operand.number = word(code, pc + 1);
  operand.argument = -1;
  pc += 3;
  if (operand.number >= kFirstSystemValue) readArgument(pc, end, operand);
  return true;
}

// readObject -> "(%" + index of an object statement or function; -1 for an index outside the run list
bool Engine::readObject(int& pc, int end, int& object) const {
  const std::uint8_t* code = m_compiled.code.data();
  if (pc < end && code[pc] == tok::kOpen) ++pc;
  if (pc + 2 >= end || code[pc] != tok::kObjectRef) return false;
  object = word(code, pc + 1);
  pc += 3;
  if (pc < end && code[pc] == tok::kClose) ++pc;
  if (!validObject(object)) object = -1;
  return true;
}

// realOf -> the number of a symbol as arithmetic takes it; the symbol has a cell
double Engine::realOf(int symbol) const {
  const ValueCell& c = m_cells[static_cast<std::size_t>(symbol)];
  switch (c.kind) {
    case kInt:
    case kUser: return c.integer;
    case kReal: return c.real;
    default: return numericValue({symbol, -1}).real;  // a time, or a text that names a state
  }
}

// What a byte of an arithmetic expression is.
enum class ArithmeticByte : std::uint8_t { Other, Operand, Operator, End };
constexpr std::array<ArithmeticByte, 256> kArithmeticBytes = [] {
  std::array<ArithmeticByte, 256> classes{};
  classes[tok::kSymbolRef] = ArithmeticByte::Operand;
  for (std::uint8_t b : {tok::kPlus, tok::kMinus, tok::kTimes, tok::kDivide}) classes[b] = ArithmeticByte::Operator;
  classes[tok::kStatement] = ArithmeticByte::End;
  return classes;
}();

// arithmetic -> "|" EF and operands combined left to right, without precedence
double Engine::arithmetic(int& pc, int end) const {
  const std::uint8_t* code = m_compiled.code.data();
  const int cells = static_cast<int>(m_cells.size());
  double acc = 0.0;
  std::uint8_t pending = tok::kPlus;
  int p = pc + 2;
  while (p < end) {
    const std::uint8_t b = code[p];
    switch (kArithmeticBytes[b]) {
      case ArithmeticByte::Other: ++p; continue;
      case ArithmeticByte::Operator: pending = b; ++p; continue;
      case ArithmeticByte::End: break;
      case ArithmeticByte::Operand: {
        double v;
        int n;
        if (p + 2 < end && (n = word(code, p + 1)) < cells) {
          v = realOf(n);
          p += 3;
        } else {
          CodeOperand o;
          if (!readOperand(p, end, o)) break;
          v = numericValue(o).real;
        }
        switch (pending) {
          case tok::kPlus: acc += v; break;
          case tok::kMinus: acc -= v; break;
          case tok::kTimes: acc *= v; break;
          default: acc = v == 0.0 ? 0.0 : acc / v; break;
        }
        continue;
      }
    }
    break;
  }
  pc = p;
  return acc;
}

// textExpression -> the texts of the operands joined, cut at the longest text a variable holds
std::string Engine::textExpression(int pc, int end) const {
  const std::uint8_t* code = m_compiled.code.data();
  std::string text;
  while (pc < end && code[pc] != tok::kStatement) {
    if (code[pc] == tok::kSymbolRef) {
      CodeOperand o;
      if (!readOperand(pc, end, o)) break;
      if (text.size() < kMaxTextLength) {
        const std::string part = textValue(o);
        text.append(part, 0, std::min(part.size(), kMaxTextLength - text.size()));
      }
      continue;
    }
    ++pc;
  }
  return text;
}

// timeExpression -> operands added or subtracted; a sun time replaces what was summed up
DateTime Engine::timeExpression(int pc, int end) const {
  const std::uint8_t* code = m_compiled.code.data();
  DateTime acc = 0.0;
  double sign = 1.0;
  if (pc + 1 < end && code[pc] == tok::kFunction && code[pc + 1] == tok::kArithmetic) pc += 2;
  while (pc < end) {
    const std::uint8_t b = code[pc];
    if (b == tok::kOpen || b == tok::kClose || b == tok::kPlus) {
      ++pc;
    } else if (b == tok::kMinus) {
      sign = -1.0;
      ++pc;
    } else if (b == tok::kSymbolRef) {
      CodeOperand o;
      if (!readOperand(pc, end, o)) break;
      const DateTime v = timeValue(o);
      if (o.number == sys::kSonnenaufgang || o.number == sys::kSonnenuntergang) acc = v;
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
  const std::uint8_t* code = m_compiled.code.data();
  if (pc + 2 >= end || code[pc] != tok::kSymbolRef) return runerr::kNoVariable;
  const int target = word(code, pc + 1);
  pc += 3;
  if (!validSymbol(target)) return runerr::kNoVariable;
  if (static_cast<std::size_t>(target) >= m_cells.size()) loadCells();
  const ValueCell& t = m_cells[static_cast<std::size_t>(target)];
  if (t.kind == kStr || t.kind == kTime || pc >= end) return assignOther(target, pc, end);
  // The target holds a number: an integer, a real or a state.
  const std::uint8_t first = code[pc];
  if (first == tok::kFunction) {
    if (pc + 1 >= end || code[pc + 1] != tok::kArithmetic) return runerr::kBadArithmetic;
    const double r = arithmetic(pc, end);
    storeNumber(target, roundEven(r), r);
    return 0;
  }
  if (first == tok::kSymbolRef && pc + 2 < end && word(code, pc + 1) < kFirstSystemValue) {
    // A copy between variables.
    const int source = word(code, pc + 1);
    pc += 3;
    if (!validSymbol(source)) return runerr::kNoVariable;
    if (static_cast<std::size_t>(source) >= m_cells.size()) loadCells();
    const ValueCell& s = m_cells[static_cast<std::size_t>(source)];
    switch (s.kind) {
      case kInt:
      case kUser: storeNumber(target, s.integer, s.integer); return 0;
      case kReal: storeNumber(target, roundEven(s.real), s.real); return 0;
      case kStr: return copyText(target, std::get_if<TVarStr>(&m_compiled.symbols[static_cast<std::size_t>(source)].value)->Value);
      default: return 0;  // a time into a number leaves it unchanged
    }
  }
  switch (first) {
    case tok::kNextState:
    case tok::kPrevState: {
      const int step = first == tok::kNextState ? 1 : -1;
      if (t.kind == kInt) {
        const std::int32_t next = static_cast<std::int32_t>(static_cast<std::uint32_t>(t.integer) + static_cast<std::uint32_t>(step));
        storeNumber(target, next, next);
      } else if (t.kind == kUser) {
        std::int32_t next = t.integer + step;
        if (next > t.maxState) next = 0;
        if (next < 0) next = t.maxState;
        storeNumber(target, next, next);
      }
      return 0;
    }
    case tok::kFirstState: storeNumber(target, 0, 0.0); return 0;
    case tok::kSecondState: storeNumber(target, 1, 1.0); return 0;
    default: return assignOther(target, pc, end);
  }
}

// assignOther -> a text or a time target, a system value copied, a value the engine cannot read
int Engine::assignOther(int target, int& pc, int end) {
  const std::uint8_t* code = m_compiled.code.data();
  VariableDescriptor& d = m_compiled.symbols[static_cast<std::size_t>(target)].value;
  if (auto* s = std::get_if<TVarStr>(&d)) {
    std::string text = textExpression(pc, end);
    if (text != s->Value) {
      s->Value = std::move(text);
      markChanged(owner(target));
    }
    return 0;
  }
  if (auto* t = std::get_if<TVarTime>(&d)) {
    if (pc < end && code[pc] == tok::kFunction) {
      t->Value = timeExpression(pc, end);
      return 0;
    }
    CodeOperand source;
    if (!readOperand(pc, end, source)) return runerr::kBadValue;
    if (!isSystemValue(source.number) && !validSymbol(source.number)) return runerr::kNoVariable;
    t->Value = timeValue(source);
    return 0;
  }
  if (pc >= end || code[pc] != tok::kSymbolRef) return runerr::kBadValue;
  CodeOperand source;
  if (!readOperand(pc, end, source)) return runerr::kBadValue;
  if (!isSystemValue(source.number)) return runerr::kNoVariable;
  switch (source.number) {
    case sys::kTag:
    case sys::kSec5:
    case sys::kMonat:
    case sys::kObjFehlAnz:
    case sys::kMonatstag:
    case sys::kJahr: {
      const std::int32_t v = numericValue(source).integer;
      setVariable(target, v, v);
      break;
    }
    default: break;
  }
  return 0;
}

// copyText -> a text into a number (its reading) or a state (the state it names)
int Engine::copyText(int target, const std::string& text) {
  if (const auto* u = std::get_if<TVarUser>(&m_compiled.symbols[static_cast<std::size_t>(target)].value)) {
    // A state named by a text; a name the type does not have leaves the state alone.
    const std::int32_t k = stateIndex(m_project.typeStates, u->TypeName, text);
    if (k >= 0) setVariable(target, k, k);
  } else {
    const double r = readNumber(text).value_or(0.0);
    setVariable(target, roundEven(r), r);
  }
  return 0;
}

// compareNumbers -> the comparison of two variables that hold numbers, decided without
// making any text; false when either operand is something else
bool Engine::compareNumbers(int left, int right, std::uint8_t op, bool& result) const {
  const auto cells = m_cells.size();
  if (static_cast<std::size_t>(left) >= cells || static_cast<std::size_t>(right) >= cells) return false;
  const ValueCell& a = m_cells[static_cast<std::size_t>(left)];
  const ValueCell& b = m_cells[static_cast<std::size_t>(right)];
  if (!holdsNumber(a.kind) || !holdsNumber(b.kind)) return false;
  const int value = holds(op, numberOrder(a, b));
  if (value < 0) return false;
  result = value == 1;
  return true;
}

// condition -> tests strictly left to right, ODER with a true result ends at once
bool Engine::condition(int pc, int end, int thenAddress) {
  const std::uint8_t* code = m_compiled.code.data();
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
    const std::uint8_t b = code[pc];
    if (b == tok::kThen || b == tok::kStatement) break;
    if (b == tok::kOr) {
      if (result) return true;
      pending = Join::Or;
      ++pc;
    } else if (b == tok::kAnd) {
      pending = Join::And;
      ++pc;
    } else if (b == tok::kFunction) {
      if (pc + 1 >= stop) break;
      const std::uint8_t f = code[pc + 1];
      pc += 2;
      int object = -1;
      switch (f) {
        case tok::kSwitched:
        case tok::kActivated:
        case tok::kFault:
          if (!readObject(pc, stop, object) || object < 0) {
            setError(runerr::kObjectExpected, pc);
            if (f != tok::kFault) combine(false);
            break;
          }
          if (f == tok::kSwitched) combine(m_objects[static_cast<std::size_t>(object)].switched);
          else if (f == tok::kActivated) combine(m_objects[static_cast<std::size_t>(object)].active);
          break;  // FEHLER is not evaluated on the PC
        case tok::kPcActive: combine(true); break;
        case tok::kModemOk: combine(modemReady); break;
        case tok::kSmsFault: combine(false); break;
        default: break;
      }
    } else if (b == tok::kSymbolRef) {
      // The common test: two variables and a comparison, «&a OP &b».
      if (pc + 6 < stop && code[pc + 4] == tok::kSymbolRef) {
        bool value;
        if (compareNumbers(word(code, pc + 1), word(code, pc + 5), code[pc + 3], value)) {
          combine(value);
          pc += 7;
          continue;
        }
      }
      CodeOperand left, right, third;
      if (!readOperand(pc, stop, left)) break;
      while (pc < stop && code[pc] == tok::kOpen) ++pc;
      if (pc >= stop) break;
      const std::uint8_t op = code[pc];
      if (!isComparison(op)) continue;
      ++pc;
      while (pc < stop && code[pc] == tok::kOpen) ++pc;
      if (!readOperand(pc, stop, right)) {
        combine(false);
        continue;
      }
      if (op == tok::kBetween) {
        while (pc < stop && (code[pc] == tok::kComma || code[pc] == tok::kOpen || code[pc] == tok::kClose)) ++pc;
        if (!readOperand(pc, stop, third)) {
          combine(false);
          continue;
        }
      }
      bool value;
      if (!compareNumbers(left.number, right.number, op, value)) value = compare(left, right, op, third) == 1;
      combine(value);
    } else if (b == tok::kObjectRef) {
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
  const std::uint8_t* code = m_compiled.code.data();
  const std::uint8_t op = code[pc];
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
    if (p < end && code[p] == tok::kOpen) ++p;
    if (!readOperand(p, end, o)) return false;
    if (p < end && code[p] == tok::kClose) ++p;
    return true;
  };
  switch (op) {
    case tok::kAssign: {
      errorCode = assign(p, end);
      if (errorCode != 0) errorPosition = statement;
      break;
    }
    case tok::kIf: {
      if (p + 3 >= end) {
        p = end;
        break;
      }
      const int thenAddress = word(code, p);
      const int elseAddress = word(code, p + 2);
      p = condition(p + 4, end, thenAddress) ? thenAddress : elseAddress;
      break;
    }
    case tok::kStartClock: {
      CodeOperand o;
      if (!symbolArgument(o) || !validSymbol(o.number)) {
        setError(runerr::kNoVariable, statement);
      } else if (auto* t = std::get_if<TVarTime>(&m_compiled.symbols[static_cast<std::size_t>(o.number)].value)) {
        t->Value = now();
      } else {
        setError(runerr::kNoTimeVariable, statement);
      }
      break;
    }
    case tok::kInput: {
      CodeOperand prompt, var;
      if (p < end && code[p] == tok::kOpen) ++p;
      if (!readOperand(p, end, prompt)) break;
      if (p < end && code[p] == tok::kComma) ++p;
      if (!readOperand(p, end, var)) break;
      m_host->inputStatement(textValue(prompt), var.number);
      break;
    }
    case tok::kPlay: {
      CodeOperand o;
      if (symbolArgument(o)) {
        const std::string file = textValue(o);
        if (!file.empty() && fileExists(file)) m_ui.playSound(file);
      }
      break;
    }
    case tok::kBeep: {
      CodeOperand o;
      if (symbolArgument(o)) m_ui.beep();
      break;
    }
    case tok::kShow:
    case tok::kHide: {
      const int target = objectStatement(runerr::kBadVisibleObject);
      if (target < 0) break;
      m_objects[static_cast<std::size_t>(target)].visible = op == tok::kShow;
      requestRefresh(target);
      m_host->redrawObject(target);
      break;
    }
    case tok::kActivate:
    case tok::kDeactivate: {
      const int target = objectStatement(runerr::kBadActiveObject);
      if (target >= 0) m_objects[static_cast<std::size_t>(target)].active = op == tok::kActivate;
      break;
    }
    case tok::kLockInput:
    case tok::kUnlockInput: {
      const int target = objectStatement(runerr::kBadInputObject);
      if (target >= 0) m_project.objects[static_cast<std::size_t>(target)].BSInputRB = op == tok::kLockInput ? 2 : 0;
      break;
    }
    case tok::kSetPosition:
    case tok::kGetPosition: {
      const int target = objectStatement(runerr::kObjectExpected);
      if (target < 0) break;
      CodeOperand x, y;
      if (p < end && code[p] == tok::kComma) ++p;
      if (!readOperand(p, end, x)) break;
      if (p < end && code[p] == tok::kComma) ++p;
      if (!readOperand(p, end, y)) break;
      ObjectRunState& s = m_objects[static_cast<std::size_t>(target)];
      if (op == tok::kSetPosition) {
        s.left = numericValue(x).integer;
        s.top = numericValue(y).integer;
        requestRefresh(target);
      } else {
        setVariable(x.number, s.left, s.left);
        setVariable(y.number, s.top, s.top);
      }
      break;
    }
    case tok::kBarColour: {
      const int target = objectStatement(runerr::kObjectExpected);
      if (target < 0) break;
      CodeOperand colour;
      if (p < end && code[p] == tok::kComma) ++p;
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
    case tok::kDone: {
      const int target = objectStatement(runerr::kBadDoneObject);
      if (target >= 0) m_objects[static_cast<std::size_t>(target)].switched = false;
      break;
    }
    case tok::kRun: {
      int target = -1;
      if (readObject(p, end, target)) enqueue(target);
      else setError(runerr::kObjectExpected, statement);
      break;
    }
    case tok::kQuery:
    case tok::kErrorHandler: {
      // Only with the control unit attached; a run without it ignores both.
      int target = -1;
      if (!readObject(p, end, target) || !validObject(target) || !m_host->hardwareAttached()) break;
      if (op == tok::kQuery) m_host->queryObject(target);
      else errorHandlerObject = target;
      break;
    }
    case tok::kStartProgram: {
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
    case tok::kModem:
    case tok::kDial:
    case tok::kModemData: {
      CodeOperand o;
      if (!symbolArgument(o) || !validSymbol(o.number)) break;
      const auto* text = std::get_if<TVarStr>(&m_compiled.symbols[static_cast<std::size_t>(o.number)].value);
      if (!text) break;
      if (op == tok::kModem) {
        m_host->sendModemText(" " + text->Value + "\r");
      } else if (op == tok::kModemData) {
        m_host->sendModemText(" " + text->Value);
      } else {
        const auto comma = text->Value.find(',');
        dialNumber = text->Value.substr(0, comma);
        dialRepeats = 2;
        if (comma != std::string::npos) {
          // Any number may follow the comma ("x,1e300"): held at the int range before the repeat is counted off.
          const std::int32_t count = clampToInt(readNumber(text->Value.substr(comma + 1)).value_or(1.0));
          dialRepeats = count > 0 ? count - 1 : 0;
        }
        m_host->dialStarted();
        m_host->sendModemText(" " + dialNumber + "\r");
      }
      break;
    }
    case tok::kSetModem: modemReady = true; break;
    case tok::kGoto: p = p + 1 < end ? word(code, p) : end; break;
    case tok::kProgramEnd: stopFlag = true; break;
    case tok::kAbort:
      abortFlag = true;
      stopFlag = true;
      break;
    default: break;  // statements of the control unit only, and unknown bytes
  }
  pc = p;
}


// assignNumber -> the common assignments to a variable that holds a number: a copy of another,
// arithmetic, a state value; false, with pc unchanged, for anything else
inline bool Engine::assignNumber(int& pc, int end) {
  const std::uint8_t* code = m_compiled.code.data();
  const int cells = static_cast<int>(m_cells.size());
  if (pc + 3 >= end || code[pc] != tok::kSymbolRef) return false;
  const int target = word(code, pc + 1);
  if (target >= cells || !holdsNumber(m_cells[static_cast<std::size_t>(target)].kind)) return false;
  const int at = pc + 3;
  const std::uint8_t first = code[at];
  if (first == tok::kSymbolRef) {
    if (at + 2 >= end) return false;
    const int source = word(code, at + 1);
    if (source >= cells) return false;
    const ValueCell& s = m_cells[static_cast<std::size_t>(source)];
    if (s.kind == kReal) storeNumber(target, roundEven(s.real), s.real);
    else if (s.kind == kInt || s.kind == kUser) storeNumber(target, s.integer, s.integer);
    else return false;
    pc = at + 3;
  } else if (first == tok::kFunction) {
    if (at + 1 >= end || code[at + 1] != tok::kArithmetic) return false;
    pc = at;
    const double r = arithmetic(pc, end);
    storeNumber(target, roundEven(r), r);
  } else if (first == tok::kFirstState || first == tok::kSecondState) {
    const std::int32_t v = first == tok::kSecondState ? 1 : 0;
    storeNumber(target, v, v);
    pc = at + 1;
  } else if (first == tok::kNextState || first == tok::kPrevState) {
    const ValueCell& t = m_cells[static_cast<std::size_t>(target)];
    const int step = first == tok::kNextState ? 1 : -1;
    if (t.kind == kUser) {
      std::int32_t next = t.integer + step;
      if (next > t.maxState) next = 0;
      if (next < 0) next = t.maxState;
      storeNumber(target, next, next);
    } else if (t.kind == kInt) {
      const std::int32_t next = static_cast<std::int32_t>(static_cast<std::uint32_t>(t.integer) + static_cast<std::uint32_t>(step));
      storeNumber(target, next, next);
    }
    pc = at + 1;
  } else {
    return false;
  }
  errorCode = 0;
  return true;
}

// testNumbers -> a WENN whose condition is one comparison of two variables that hold numbers,
// «&a OP &b DANN»: the address to go on at; -1 for any other condition
inline int Engine::testNumbers(int pc, int end) const {
  const std::uint8_t* code = m_compiled.code.data();
  const int thenAddress = word(code, pc + 1);
  const int at = pc + 5;
  const int stop = thenAddress > at ? std::min(thenAddress, end) : end;
  if (at + 7 >= stop || code[at] != tok::kSymbolRef || code[at + 4] != tok::kSymbolRef || code[at + 7] != tok::kThen)
    return -1;
  const auto cells = m_cells.size();
  const auto left = static_cast<std::size_t>(word(code, at + 1)), right = static_cast<std::size_t>(word(code, at + 5));
  if (left >= cells || right >= cells) return -1;
  const ValueCell &a = m_cells[left], &b = m_cells[right];
  if (!holdsNumber(a.kind) || !holdsNumber(b.kind)) return -1;
  const int result = holds(code[at + 3], numberOrder(a, b));
  if (result < 0) return -1;
  return result ? thenAddress : word(code, pc + 3);
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
  if (m_debugging) m_host->objectStarted(object);
  const std::uint8_t* code = m_compiled.code.data();
  const std::uint64_t limit = m_options.statementLimit;
  std::uint64_t count = 0;
  int pc = oc.codeStart;
  for (;;) {
    // Scan for the next statement. References are stepped over whole, so that a symbol or
    // object number whose byte happens to be BD is never taken for a statement.
    while (pc < end && code[pc] != tok::kStatement) pc += (code[pc] == tok::kSymbolRef || code[pc] == tok::kObjectRef) ? 3 : 1;
    if (pc + 1 >= end) break;
    const int statement = pc;
    ++pc;
    if (code[pc] == tok::kLeave) break;
    // The window's input pump every few statements, so that "Abbruch" works in a long program.
    if ((++statementsRun & (kInputPollStatements - 1)) == 0) m_host->processInput();
    if (abortFlag) break;
    if (m_debugging && !m_host->beforeStatement(object, statement)) {
      stopFlag = true;
      break;
    }
    if (limit != 0 && ++count > limit) {
      m_host->showStatusMessage("Programm " + m_project.objects[static_cast<std::size_t>(object)].Name + " nach " +
                                std::to_string(limit) + " Anweisungen beendet");
      break;
    }
    // Assignments and conditions are nearly all the statements a pass runs; those on numbers
    // take the short way.
    const std::uint8_t op = code[pc];
    if (op == tok::kAssign) {
      ++pc;
      if (!assignNumber(pc, end)) {
        errorCode = assign(pc, end);
        if (errorCode != 0) errorPosition = statement;
      }
    } else if (op == tok::kIf && pc + 4 < end) {
      const int next = testNumbers(pc, end);
      pc = next >= 0 ? next : condition(pc + 5, end, word(code, pc + 1)) ? word(code, pc + 1) : word(code, pc + 3);
    } else {
      execute(object, statement, pc, end);
    }
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

// topLevel -> one step the window or the runner started: the time read once, a fresh queue
// budget, and an allocation failure ends the run with a message instead of the program
template <class Step>
void Engine::topLevel(Step&& step) {
  if (m_inStep) {
    step();
    return;
  }
  m_inStep = true;
  m_queueWork = 0;
  m_now = m_clock.now();
  m_nowFixed = true;
  try {
    step();
  } catch (const std::bad_alloc&) {
    m_clockBusy = m_cycleBusy = false;
    abortFlag = true;
    stopFlag = true;
    m_nowFixed = false;
    showError(m_ui, std::string(kOutOfMemoryMessage));
  }
  m_nowFixed = false;
  m_inStep = false;
}

// runQueue -> first in, first out, including what the queued programs queue
void Engine::runQueue() {
  topLevel([this] { runQueueBounded(); });
}

// runQueueBounded -> the queue until it is empty, the run ends or the step's budget is spent
void Engine::runQueueBounded() {
  while (!m_queue.empty() && !abortFlag && !stopFlag && m_queueWork < kQueueStatementsPerPass) {
    const int object = m_queue.front();
    m_queue.pop_front();
    int level = kQueueLevel;
    const std::uint64_t before = statementsRun;
    runObject(object, level);
    m_queueWork += statementsRun - before + 1;  // a program of no statements costs too
    // The interrupt and the end of a headless run are seen between queued programs too.
    m_host->processInput();
  }
}

// cycle -> the unit's messages, the queue, the display refresh of what changed, the outputs;
// without hardware a cycle with nothing queued and nothing changed does nothing
void Engine::cycle() {
  const bool hardware = m_host->hardwareAttached();
  if (m_cycleBusy || (!hardware && m_queue.empty() && m_dirty.empty())) return;
  topLevel([this, hardware] {
    m_cycleBusy = true;
    if (hardware) m_host->readInputs();
    runQueueBounded();
    if (!m_dirty.empty()) {
      m_host->refreshDisplay();
      // A host that draws nothing leaves the list behind; it is dropped, or it would only grow.
      for (int object : m_dirty) m_listed[static_cast<std::size_t>(object)] = 0;
      m_dirty.clear();
    }
    if (hardware) m_host->writeOutputs();
    m_cycleBusy = false;
  });
}

// clockPass -> raises the level on 5-second, minute, hour and day ticks and runs the due
// objects, each followed by a cycle, so that what one object queues runs before the next
void Engine::clockPass() {
  if (m_clockBusy || stopFlag) return;
  topLevel([this] { clockPassStep(); });
}

void Engine::clockPassStep() {
  m_clockBusy = true;
  const DateTime now = m_now;
  const ClockTime t = decodeTime(now);
  if (firstPass) {
    lastSecond = t.second;
    clockSecond = t.second;
    clockText = kelvaro::timeText(now);
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
    clockText = kelvaro::timeText(now);
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
  bool cycled = false;
  for (std::size_t i = 0; i < m_compiled.order.size() && runLevel > 0 && !abortFlag; ++i) {
    const int object = m_compiled.order[i];
    if (!validObject(object)) continue;
    runObject(object, runLevel);
    cycle();
    cycled = true;
  }
  if (!cycled) cycle();
  pendingLevel = 1;
  m_clockBusy = false;
}

}  // namespace kelvaro
