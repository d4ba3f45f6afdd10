// The interpreter of the PC code. Statements run straight from the code buffer; every read
// of an operand is checked against the end of the running object's code, the symbol list and
// the run list, so that no byte sequence makes the engine read or write outside them.
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

// readOperand -> "&" + number, and "(&arg)" after the system values that take one
bool Engine::readOperand(int& pc, int end, CodeOperand& operand) const {
  const auto& code = m_compiled.code;
  if (pc + 2 >= end || code[static_cast<std::size_t>(pc)] != tok::kSymbolRef) return false;
  operand.number = code[static_cast<std::size_t>(pc) + 1] | (code[static_cast<std::size_t>(pc) + 2] << 8);
  operand.argument = -1;
  pc += 3;
  if (systemValueTakesArgument(operand.number)) {
    int p = pc;
    if (p < end && code[static_cast<std::size_t>(p)] == tok::kOpen) ++p;
    if (p + 2 < end && code[static_cast<std::size_t>(p)] == tok::kSymbolRef) {
      operand.argument = code[static_cast<std::size_t>(p) + 1] | (code[static_cast<std::size_t>(p) + 2] << 8);
      p += 3;
      if (p < end && code[static_cast<std::size_t>(p)] == tok::kClose) ++p;
      pc = p;
    }
  }
  return true;
}

// readObject -> "(%" + index of an object statement or function; -1 for an index outside the run list
bool Engine::readObject(int& pc, int end, int& object) const {
  const auto& code = m_compiled.code;
  if (pc < end && code[static_cast<std::size_t>(pc)] == tok::kOpen) ++pc;
  if (pc + 2 >= end || code[static_cast<std::size_t>(pc)] != tok::kObjectRef) return false;
  object = code[static_cast<std::size_t>(pc) + 1] | (code[static_cast<std::size_t>(pc) + 2] << 8);
  pc += 3;
  if (pc < end && code[static_cast<std::size_t>(pc)] == tok::kClose) ++pc;
  if (!validObject(object)) object = -1;
  return true;
}

// arithmetic -> "|" EF and operands combined left to right, without precedence
double Engine::arithmetic(int& pc, int end) const {
  const auto& code = m_compiled.code;
  double acc = 0.0;
  std::uint8_t pending = tok::kPlus;
  pc += 2;
  while (pc < end && code[static_cast<std::size_t>(pc)] != tok::kStatement) {
    const std::uint8_t b = code[static_cast<std::size_t>(pc)];
    if (b == tok::kSymbolRef) {
      CodeOperand o;
      if (!readOperand(pc, end, o)) break;
      const double v = numericValue(o).real;
      switch (pending) {
        case tok::kPlus: acc += v; break;
        case tok::kMinus: acc -= v; break;
        case tok::kTimes: acc *= v; break;
        case tok::kDivide: acc = v == 0.0 ? 0.0 : acc / v; break;
      }
      continue;
    }
    if (b == tok::kPlus || b == tok::kMinus || b == tok::kTimes || b == tok::kDivide) pending = b;
    ++pc;
  }
  return acc;
}

// textExpression -> the texts of the operands joined
std::string Engine::textExpression(int pc, int end) const {
  const auto& code = m_compiled.code;
  std::string text;
  while (pc < end && code[static_cast<std::size_t>(pc)] != tok::kStatement) {
    if (code[static_cast<std::size_t>(pc)] == tok::kSymbolRef) {
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
  const auto& code = m_compiled.code;
  DateTime acc = 0.0;
  double sign = 1.0;
  if (pc + 1 < end && code[static_cast<std::size_t>(pc)] == tok::kFunction && code[static_cast<std::size_t>(pc) + 1] == tok::kArithmetic)
    pc += 2;
  while (pc < end) {
    const std::uint8_t b = code[static_cast<std::size_t>(pc)];
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
    if (pc < end && code[static_cast<std::size_t>(pc)] == tok::kFunction) {
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
    case tok::kNextState:
    case tok::kPrevState: {
      const int step = first == tok::kNextState ? 1 : -1;
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
    case tok::kFirstState: setVariable(target.number, 0, 0.0); return 0;
    case tok::kSecondState: setVariable(target.number, 1, 1.0); return 0;
    case tok::kFunction:
      if (pc + 1 < end && code[static_cast<std::size_t>(pc) + 1] == tok::kArithmetic) {
        const double r = arithmetic(pc, end);
        setVariable(target.number, roundEven(r), r);
        return 0;
      }
      return runerr::kBadArithmetic;
    case tok::kSymbolRef: break;
    default: return runerr::kBadValue;
  }
  CodeOperand source;
  if (!readOperand(pc, end, source)) return runerr::kBadValue;
  if (isSystemValue(source.number)) {
    switch (source.number) {
      case sys::kTag:
      case sys::kSec5:
      case sys::kMonat:
      case sys::kObjFehlAnz:
      case sys::kMonatstag:
      case sys::kJahr: {
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
      const std::uint8_t f = code[static_cast<std::size_t>(pc) + 1];
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
      CodeOperand left, right, third;
      if (!readOperand(pc, stop, left)) break;
      while (pc < stop && code[static_cast<std::size_t>(pc)] == tok::kOpen) ++pc;
      if (pc >= stop) break;
      const std::uint8_t op = code[static_cast<std::size_t>(pc)];
      if (!(op == tok::kLess || op == tok::kEqual || op == tok::kGreater || (op >= tok::kNotEqual && op <= tok::kBetween))) continue;
      ++pc;
      while (pc < stop && code[static_cast<std::size_t>(pc)] == tok::kOpen) ++pc;
      if (!readOperand(pc, stop, right)) {
        combine(false);
        continue;
      }
      if (op == tok::kBetween) {
        while (pc < stop && (code[static_cast<std::size_t>(pc)] == tok::kComma || code[static_cast<std::size_t>(pc)] == tok::kOpen ||
                             code[static_cast<std::size_t>(pc)] == tok::kClose))
          ++pc;
        if (!readOperand(pc, stop, third)) {
          combine(false);
          continue;
        }
      }
      combine(compare(left, right, op, third) == 1);
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
    if (p < end && code[static_cast<std::size_t>(p)] == tok::kOpen) ++p;
    if (!readOperand(p, end, o)) return false;
    if (p < end && code[static_cast<std::size_t>(p)] == tok::kClose) ++p;
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
      const int thenAddress = code[static_cast<std::size_t>(p)] | (code[static_cast<std::size_t>(p) + 1] << 8);
      const int elseAddress = code[static_cast<std::size_t>(p) + 2] | (code[static_cast<std::size_t>(p) + 3] << 8);
      p = condition(p + 4, end, thenAddress) ? thenAddress : elseAddress;
      break;
    }
    case tok::kStartClock: {
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
    case tok::kInput: {
      CodeOperand prompt, var;
      if (p < end && code[static_cast<std::size_t>(p)] == tok::kOpen) ++p;
      if (!readOperand(p, end, prompt)) break;
      if (p < end && code[static_cast<std::size_t>(p)] == tok::kComma) ++p;
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
      m_objects[static_cast<std::size_t>(target)].refreshRequest = true;
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
      if (p < end && code[static_cast<std::size_t>(p)] == tok::kComma) ++p;
      if (!readOperand(p, end, x)) break;
      if (p < end && code[static_cast<std::size_t>(p)] == tok::kComma) ++p;
      if (!readOperand(p, end, y)) break;
      ObjectRunState& s = m_objects[static_cast<std::size_t>(target)];
      if (op == tok::kSetPosition) {
        s.left = numericValue(x).integer;
        s.top = numericValue(y).integer;
        s.refreshRequest = true;
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
      if (p < end && code[static_cast<std::size_t>(p)] == tok::kComma) ++p;
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
      // Only with the control unit attached; a headless run has none.
      int target = -1;
      readObject(p, end, target);
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
        const auto comma = text->Value.find(tok::kComma);
        dialNumber = text->Value.substr(0, comma);
        dialRepeats = 2;
        if (comma != std::string::npos)
          dialRepeats = std::max(0, static_cast<int>(readNumber(text->Value.substr(comma + 1)).value_or(1.0)) - 1);
        m_host->sendModemText(" " + dialNumber + "\r");
      }
      break;
    }
    case tok::kSetModem: modemReady = true; break;
    case tok::kGoto:
      p = p + 1 < end ? (code[static_cast<std::size_t>(p)] | (code[static_cast<std::size_t>(p) + 1] << 8)) : end;
      break;
    case tok::kProgramEnd: stopFlag = true; break;
    case tok::kAbort:
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
    while (pc >= 0 && pc < end && code[static_cast<std::size_t>(pc)] != tok::kStatement) {
      const std::uint8_t b = code[static_cast<std::size_t>(pc)];
      pc += (b == tok::kSymbolRef || b == tok::kObjectRef) ? 3 : 1;
    }
    if (pc < 0 || pc + 1 >= end) break;
    const int statement = pc;
    ++pc;
    if (code[static_cast<std::size_t>(pc)] == tok::kLeave) break;
    pollInput();
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

// pollInput -> the window's input pump, every few statements
void Engine::pollInput() {
  if (--m_pollCountdown > 0) return;
  m_pollCountdown = kInputPollStatements;
  m_host->processInput();
}

// topLevel -> one step the window or the runner started: a fresh queue budget, and an
// allocation failure ends the run with a message instead of ending the program
template <class Step>
void Engine::topLevel(Step&& step) {
  if (m_inStep) {
    step();
    return;
  }
  m_inStep = true;
  m_queueWork = 0;
  try {
    step();
  } catch (const std::bad_alloc&) {
    m_clockBusy = m_cycleBusy = false;
    abortFlag = true;
    stopFlag = true;
    showError(m_ui, std::string(kOutOfMemoryMessage));
  }
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
    m_pollCountdown = 1;
    pollInput();
  }
}

// cycle -> queue, then the display refresh (no hardware on this side yet)
void Engine::cycle() {
  if (m_cycleBusy) return;
  topLevel([this] {
    m_cycleBusy = true;
    runQueueBounded();
    m_host->refreshDisplay();
    m_cycleBusy = false;
  });
}

// clockPass -> raises the level on 5-second, minute, hour and day ticks and runs the due objects
void Engine::clockPass() {
  if (m_clockBusy || stopFlag) return;
  topLevel([this] { clockPassStep(); });
}

void Engine::clockPassStep() {
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
