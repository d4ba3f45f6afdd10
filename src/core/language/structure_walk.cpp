// The structure walk and sequence check over an object's code.
#include "language/structure_walk.h"

#include <bitset>
#include <initializer_list>

#include "language/token.h"
#include "language/translator.h"

namespace kelvaro {
namespace {

using ByteSet = std::bitset<256>;

ByteSet setOf(std::initializer_list<int> bytes) {
  ByteSet s;
  for (int b : bytes) s.set(static_cast<std::size_t>(b & 0xFF));
  return s;
}

ByteSet withRange(ByteSet s, int from, int to) {
  for (int b = from; b <= to; ++b) s.set(static_cast<std::size_t>(b));
  return s;
}

// The admissible next bytes after each kind of token.
const ByteSet kStatementStart = setOf({0xBD});
const ByteSet kAssignmentStart = setOf({'&'});
const ByteSet kAfterAssignmentValue =
    setOf({'&', '(', ')', '*', '+', ',', '-', '.', '/', 0x7C, 0xB6, 0xB7, 0xB8, 0xB9, 0xBD});
const ByteSet kConditionStart = setOf({'&', 0x7C});
const ByteSet kAfterConditionValue = withRange(setOf({'&', '(', ')', '<', '=', '>', 0xBF}), 0xC2, 0xC9);
const ByteSet kAfterOperator = setOf({'&', '(', ')', 0x7C});
const ByteSet kAfterTruthFunction = setOf({0xBF, 0xC2, 0xC3});
const ByteSet kAfterFunction = setOf({'%', '&', '(', ')', 0xEF});
// MODEMOK takes no argument, yet may also be written with its empty parentheses.
const ByteSet kAfterModemOk = kAfterFunction | kAfterTruthFunction;
// A closing parenthesis may follow an object argument: GESCHALTET(x), AKTIVIEREN(x).
const ByteSet kAfterConditionObject = withRange(setOf({'<', '=', '>', ')', 0xBF}), 0xC2, 0xC9);
const ByteSet kAfterStatementObject = setOf({0xBD, ')'});
const ByteSet kObjectArgument = setOf({'%'});
const ByteSet kReferenceArgument = setOf({'&'});
const ByteSet kAfterReferenceArgument = setOf({')', 0xBD});
const ByteSet kAfterFirstCallArgument = setOf({',', ')', 0xBD});
const ByteSet kAfterLoneArithmetic = withRange(setOf({'&', 0xBD}), '(', '/');

bool is(std::uint8_t byte, char token) { return byte == static_cast<std::uint8_t>(token); }

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
      if (is(b, tok::kStatement) && m_inCondition) return {kErrThenMissing, p};
      if (!m_allowed.test(b) && !is(b, tok::kElse) && !is(b, tok::kEndIf)) return {kErrSequence, p};
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
    if (p >= m_in.end || !is(at(p), '(')) return p;
    int depth = 0;
    while (p < m_in.end) {
      const std::uint8_t b = at(p);
      if (is(b, tok::kSymbolRef) || is(b, tok::kObjectRef)) {
        p += 3;
        continue;
      }
      ++p;
      if (is(b, '(')) ++depth;
      if (is(b, ')') && --depth == 0) break;
    }
    return p < m_in.end ? p : m_in.end;
  }

  WalkResult visit(std::uint8_t b, int& p) {
    switch (b) {
      case 0xBD: return statement(p);
      case '&': return reference(p);
      case '%':
        if (!has(p, 3)) return {kErrSequence, p};
        m_allowed = m_inCondition ? kAfterConditionObject : kAfterStatementObject;
        p += 3;
        return {};
      case '<': case '=': case '>':
      case 0xC2: case 0xC3: case 0xC4: case 0xC5: case 0xC6: case 0xC7: case 0xC8: case 0xC9:
        m_allowed = kAfterOperator;
        ++p;
        return {};
      case 0xBF: return then(p);
      case 0xC0: return otherwise(p);
      case 0xC1: return endIf(p);
      case 0x7C: return function(p);
      case 0xEF:
        if (!has(p, 3)) return {kErrSequence, p};
        m_allowed = kAfterLoneArithmetic;
        p += 3;
        return {};
      case ')':
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
      case 0xB4:
        m_inAssignment = true;
        m_allowed = kAssignmentStart;
        p += 2;
        return {};
      case 0xBE:
        if (!has(p, 6)) return {kErrSequence, p};
        if (static_cast<int>(m_levels.size()) >= kMaxOpenIfs) return {kErrTooManyIfs, p};
        m_levels.push_back({p + 2, 0});
        m_inCondition = true;
        m_allowed = kConditionStart;
        p += 6;
        return {};
      case 0xFA:
        if (!has(p, 4)) return {kErrSequence, p};
        resolveGoto(p);
        m_allowed = kStatementStart;
        p += 4;
        return {};
      case 0xCE:  // STARTUHR and its five bytes "(" "&" lo hi ")"
        if (!has(p, 7)) return {kErrSequence, p};
        m_allowed = kStatementStart;
        p += 7;
        return {};
      case 0xD0: case 0xD1: case 0xD2: case 0xD3: case 0xD4: case 0xD7: case 0xD8: case 0xDE:
        p = skipArguments(p + 2);
        m_allowed = kStatementStart;
        return {};
      case 0xDA: case 0xDB:
        p = skipArguments(p + 2);
        return {};
      case 0xD5: case 0xD6: case 0xDF: case 0xE0: case 0xE1: case 0xE2:
        p += 2;
        if (p < m_in.end && is(at(p), '(')) ++p;
        m_allowed = kObjectArgument;
        return {};
      case 0xE6: case 0xEC: case 0xED: case 0xEE: case 0x82:
        p += 2;
        if (p < m_in.end && is(at(p), '(')) ++p;
        m_callStatement = op;
        m_callArguments = 0;
        // The control unit's code carries no arguments of the PC-only STARTWIN.
        m_allowed = p < m_in.end && is(at(p), tok::kStatement) && op == 0xE6 ? kStatementStart : kReferenceArgument;
        return {};
      case 0x83: case 0xF0: case 0xFC: case 0xFD: case 0xFE:
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
    } else if (m_callStatement == 0xED) {
      // ANRUFEN(a,b): the second argument comes as the group "," "&" lo hi.
      m_allowed = kAfterFirstCallArgument;
      if (++m_callArguments == 1 && p < m_in.end && is(at(p), ',') && has(p, 4) && is(at(p + 1), '&')) {
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
    if (!has(p, 4)) return {kErrSequence, p};
    m_code[static_cast<std::size_t>(p)] = 0xBD;
    m_code[static_cast<std::size_t>(p + 1)] = static_cast<std::uint8_t>(tok::kGoto);
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
      case 0xE8: case 0xF1:
        m_allowed = kAfterTruthFunction;
        break;
      case 0xEB:
        m_allowed = kAfterModemOk;
        break;
      case 0xE7: case 0xE9: case 0xEA: case 0xEF:
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
    m_code[static_cast<std::size_t>(p + 1)] = static_cast<std::uint8_t>(tok::kLeave);
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
