// The structure walk and sequence check over an object's code.
#include "language/structure_walk.h"

#include <bitset>
#include <initializer_list>

#include "language/token.h"
#include "language/translator.h"

namespace kelvaro {
namespace {

using ByteSet = std::bitset<256>;

ByteSet setOf(std::initializer_list<TokenByte> bytes) {
  ByteSet s;
  for (TokenByte b : bytes) s.set(b.value);
  return s;
}

ByteSet withRange(ByteSet s, int from, int to) {
  for (int b = from; b <= to; ++b) s.set(static_cast<std::size_t>(b));
  return s;
}

using namespace tok;

// The admissible next bytes after each kind of token.
const ByteSet kStatementStart = setOf({kStatement});
const ByteSet kAssignmentStart = setOf({kSymbolRef});
const ByteSet kAfterAssignmentValue = setOf({kSymbolRef, kOpen, kClose, kTimes, kPlus, kComma, kMinus, kPoint, kDivide,
                                             kFunction, kNextState, kPrevState, kFirstState, kSecondState, kStatement});
const ByteSet kConditionStart = setOf({kSymbolRef, kFunction});
const ByteSet kComparisons = setOf({kLess, kEqual, kGreater, kNotEqual, kLessEqual, kGreaterEqual, kWildcardEqual,
                                    kWeekdayEqual, kBetween});
const ByteSet kAfterConditionValue = setOf({kSymbolRef, kOpen, kClose, kThen, kOr, kAnd}) | kComparisons;
const ByteSet kAfterOperator = setOf({kSymbolRef, kOpen, kClose, kFunction});
const ByteSet kAfterTruthFunction = setOf({kThen, kOr, kAnd});
const ByteSet kAfterFunction = setOf({kObjectRef, kSymbolRef, kOpen, kClose, kArithmetic});
// MODEMOK takes no argument, yet may also be written with its empty parentheses.
const ByteSet kAfterModemOk = kAfterFunction | kAfterTruthFunction;
// A closing parenthesis may follow an object argument: GESCHALTET(x), AKTIVIEREN(x).
const ByteSet kAfterConditionObject = setOf({kClose, kThen, kOr, kAnd}) | kComparisons;
const ByteSet kAfterStatementObject = setOf({kStatement, kClose});
const ByteSet kObjectArgument = setOf({kObjectRef});
const ByteSet kReferenceArgument = setOf({kSymbolRef});
const ByteSet kAfterReferenceArgument = setOf({kClose, kStatement});
const ByteSet kAfterFirstCallArgument = setOf({kComma, kClose, kStatement});
// "(" to "/": the operators and separators of an expression.
const ByteSet kAfterLoneArithmetic = withRange(setOf({kSymbolRef, kStatement}), kOpen, kDivide);

bool is(std::uint8_t byte, TokenByte token) { return byte == token; }

struct IfLevel {
  int addressPosition = 0;  // the four address bytes after BD BE
  int elseJump = 0;         // the two address bytes of the SONST jump; 0 = none
};

class StructureWalk {
 public:
  explicit StructureWalk(const WalkInput& in) : m_in(in), m_code(in.code) {}

  WalkResult run() {
    int p = m_in.start;
    m_allowed = kStatementStart;
    while (p < m_in.end) {
      const std::uint8_t b = m_code[static_cast<std::size_t>(p)];
      if (is(b, kStatement) && m_inCondition) return {kErrThenMissing, p};
      if (!m_allowed.test(b) && !is(b, kElse) && !is(b, kEndIf)) return {kErrSequence, p};
      const WalkResult step = visit(b, p);
      if (step.code != 0) return step;
    }
    if (!m_levels.empty()) return {kErrEndIfMissing, m_in.end};
    return {};
  }

 private:
  bool has(int p, int count) const { return p + count <= m_in.end; }
  std::uint8_t at(int p) const { return m_code[static_cast<std::size_t>(p)]; }

  void writeAddress(int position, int target) {
    const int value = m_in.absoluteAddresses ? m_in.codeAddressBase + 1 + target : target;
    const auto low = static_cast<std::uint8_t>(value & 0xFF), high = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    m_code[static_cast<std::size_t>(position)] = m_in.absoluteAddresses ? high : low;
    m_code[static_cast<std::size_t>(position + 1)] = m_in.absoluteAddresses ? low : high;
  }

  // Skips a parenthesised argument list token by token; references are three bytes.
  int skipArguments(int p) const {
    if (p >= m_in.end || !is(at(p), kOpen)) return p;
    int depth = 0;
    while (p < m_in.end) {
      const std::uint8_t b = at(p);
      if (is(b, kSymbolRef) || is(b, kObjectRef)) {
        p += 3;
        continue;
      }
      ++p;
      if (is(b, kOpen)) ++depth;
      if (is(b, kClose) && --depth == 0) break;
    }
    return p < m_in.end ? p : m_in.end;
  }

  WalkResult visit(std::uint8_t b, int& p) {
    if (kComparisons.test(b) || b == kOr || b == kAnd) {
      m_allowed = kAfterOperator;
      ++p;
      return {};
    }
    switch (b) {
      case kStatement: return statement(p);
      case kSymbolRef: return reference(p);
      case kObjectRef:
        if (!has(p, 3)) return {kErrSequence, p};
        m_allowed = m_inCondition ? kAfterConditionObject : kAfterStatementObject;
        p += 3;
        return {};
      case kThen: return then(p);
      case kElse: return otherwise(p);
      case kEndIf: return endIf(p);
      case kFunction: return function(p);
      case kArithmetic:
        if (!has(p, 3)) return {kErrSequence, p};
        m_allowed = kAfterLoneArithmetic;
        p += 3;
        return {};
      case kClose:
        if (m_inCondition) m_allowed = kAfterConditionObject;
        ++p;
        return {};
      default:
        ++p;  // leaves the admissible set as it is
        return {};
    }
  }

  WalkResult statement(int& p) {
    if (!has(p, 2)) return {kErrSequence, p};
    const std::uint8_t op = at(p + 1);
    m_inAssignment = false;
    m_callStatement = 0;
    switch (op) {
      case kAssign:
        m_inAssignment = true;
        m_allowed = kAssignmentStart;
        p += 2;
        return {};
      case kIf:
        if (!has(p, 6)) return {kErrSequence, p};
        if (static_cast<int>(m_levels.size()) >= kMaxOpenIfs) return {kErrTooManyIfs, p};
        m_levels.push_back({p + 2, 0});
        m_inCondition = true;
        m_allowed = kConditionStart;
        p += 6;
        return {};
      case kGoto:
        if (!has(p, 4)) return {kErrSequence, p};
        resolveGoto(p);
        m_allowed = kStatementStart;
        p += 4;
        return {};
      case kStartClock:  // STARTUHR and its five bytes "(" "&" lo hi ")"
        if (!has(p, 7)) return {kErrSequence, p};
        m_allowed = kStatementStart;
        p += 7;
        return {};
      case kInput: case kPlay: case kBeep: case kShow: case kHide: case kLockInput: case kUnlockInput: case kBarColour:
        p = skipArguments(p + 2);
        m_allowed = kStatementStart;
        return {};
      case kSetPosition: case kGetPosition:
        p = skipArguments(p + 2);
        return {};
      case kActivate: case kDeactivate: case kDone: case kRun: case kQuery: case kErrorHandler:
        p += 2;
        if (p < m_in.end && is(at(p), kOpen)) ++p;
        m_allowed = kObjectArgument;
        return {};
      case kStartProgram: case kModem: case kDial: case kModemData: case kSendSms:
        p += 2;
        if (p < m_in.end && is(at(p), kOpen)) ++p;
        m_callStatement = op;
        m_callArguments = 0;
        // The control unit's code carries no arguments of the PC-only STARTWIN.
        m_allowed = p < m_in.end && is(at(p), kStatement) && op == kStartProgram ? kStatementStart : kReferenceArgument;
        return {};
      case kInitModem: case kSetModem: case kLeave: case kProgramEnd: case kAbort:
        p += 2;
        return {};
      default:
        return {kErrSequence, p + 1};  // no such statement
    }
  }

  WalkResult reference(int& p) {
    if (!has(p, 3)) return {kErrSequence, p};
    p += 3;
    if (m_inAssignment) {
      m_allowed = kAfterAssignmentValue;
    } else if (m_callStatement == kDial) {
      // ANRUFEN(a,b): the second argument comes as the group "," "&" lo hi.
      m_allowed = kAfterFirstCallArgument;
      if (++m_callArguments == 1 && p < m_in.end && is(at(p), kComma) && has(p, 4) && is(at(p + 1), kSymbolRef)) {
        p += 4;
        m_allowed = kAfterReferenceArgument;
        m_callStatement = 0;
      }
    } else if (m_callStatement != 0) {
      m_allowed = kAfterReferenceArgument;
      m_callStatement = 0;
    } else {
      m_allowed = kAfterConditionValue;
    }
    return {};
  }

  WalkResult then(int& p) {
    if (!m_inCondition || m_levels.empty()) return {kErrThenWithoutIf, p};
    writeAddress(m_levels.back().addressPosition, p + 1);
    m_inCondition = false;
    m_allowed = kStatementStart;
    ++p;
    return {};
  }

  WalkResult otherwise(int& p) {
    if (m_levels.empty()) return {kErrElseWithoutIf, p};
    // A SONST before its DANN, or a second SONST in one WENN, would leave a jump address that no
    // later byte fills in.
    if (m_inCondition || m_levels.back().elseJump != 0) return {kErrElseWithoutThen, p};
    if (!has(p, 4)) return {kErrSequence, p};
    m_code[static_cast<std::size_t>(p)] = kStatement;
    m_code[static_cast<std::size_t>(p + 1)] = kGoto;
    m_levels.back().elseJump = p + 2;
    writeAddress(m_levels.back().addressPosition + 2, p + 4);
    m_allowed = kStatementStart;
    p += 4;
    return {};
  }

  WalkResult endIf(int& p) {
    if (m_levels.empty()) return {kErrEndIfWithoutIf, p};
    const IfLevel level = m_levels.back();
    m_levels.pop_back();
    writeAddress(level.elseJump != 0 ? level.elseJump : level.addressPosition + 2, p + 1);
    m_allowed = kStatementStart;
    ++p;
    return {};
  }

  WalkResult function(int& p) {
    if (!has(p, 2)) {
      ++p;
      return {};
    }
    switch (at(p + 1)) {
      case kPcActive: case kSmsFault:
        m_allowed = kAfterTruthFunction;
        break;
      case kModemOk:
        m_allowed = kAfterModemOk;
        break;
      case kSwitched: case kFault: case kActivated: case kArithmetic:
        m_allowed = kAfterFunction;
        break;
      default:
        ++p;  // not a function: a byte like any other
        return {};
    }
    p += 2;
    return {};
  }

  // GEHEZU: the code of the first line at or after the label's line, or VERLASSEN.
  void resolveGoto(int p) {
    const int labelLine = at(p + 2) | (at(p + 3) << 8);
    for (std::size_t i = m_in.lineMapFirst; i < m_in.lineMapEnd && i < m_in.lineMap.size(); ++i)
      if (m_in.lineMap[i].line >= labelLine) {
        writeAddress(p + 2, m_in.lineMap[i].codePosition);
        return;
      }
    m_code[static_cast<std::size_t>(p + 1)] = kLeave;
  }

  const WalkInput& m_in;
  std::vector<std::uint8_t>& m_code;
  ByteSet m_allowed;
  std::vector<IfLevel> m_levels;
  bool m_inCondition = false;
  bool m_inAssignment = false;
  std::uint8_t m_callStatement = 0;
  int m_callArguments = 0;
};

}  // namespace

WalkResult walkStructure(const WalkInput& input) { return StructureWalk(input).run(); }

}  // namespace kelvaro
