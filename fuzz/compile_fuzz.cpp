// Fuzz target for the compiler. The input describes a whole project in the records of
// project_records.h. The project is compiled in mode 1 and mode 9 and the results are checked
// against what the execution engine, the object editor and the image builder rely on.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "project_records.h"
#include "language/compiler.h"
#include "language/errors.h"
#include "model/project.h"

namespace kelvaro::fuzz {
namespace {

std::string describe(const CompileResult& r) {
  return "result " + std::to_string(r.code) + " object " + std::to_string(r.object) + " position " +
         std::to_string(r.position) + " line " + std::to_string(r.line) + " name \"" + shown(r.name) + "\"";
}

bool isLanguageError(int code) {
  switch (code) {
    case kErrString: case kErrUnknownName: case kErrNumberRange: case kErrSyntax:
    case kErrTooManyIfs: case kErrThenMissing: case kErrElseWithoutIf: case kErrThenWithoutIf:
    case kErrEndIfWithoutIf: case kErrEndIfMissing: case kErrSequence:
      return true;
    default:
      return false;
  }
}

bool isStructureError(int code) { return code <= kErrTooManyIfs && code >= kErrSequence; }

void checkResult(const Project& p, const CompileOutput& out) {
  const CompileResult& r = out.result;
  const std::string d = describe(r);
  check(r.code == 0 || isLanguageError(r.code) || r.code == kErrOverflow || r.code == kCompileAborted,
        "the result is 0, a language error, -9999 or the abort", d);
  check(out.symbols.size() <= kMaxSymbols, "the symbol list stays within its limit", d);
  check(out.objects.size() == p.objects.size(), "one code record per object", d);
  if (r.code == 0) {
    check(r.object == -1 && r.line == -1, "a success names no object", d);
    return;
  }
  check(r.object >= -1 && r.object < static_cast<int>(p.objects.size()), "the failing object is in range or -1", d);
  if (r.object == -1) {
    check(r.code == kCompileAborted || r.code == kErrOverflow, "only the abort and an overflow name no object", d);
    return;
  }
  const auto& program = p.objects[static_cast<std::size_t>(r.object)].program;
  check(r.line >= -1 && r.line < static_cast<int>(program.size()), "the failing line is in the program or -1", d);
  if (isLanguageError(r.code)) check(r.line >= 0, "a language error names its line", d);
  if (r.code == kErrString || r.code == kErrUnknownName || r.code == kErrNumberRange)
    check(r.position >= 1, "a translation error has a character position from 1 on", d);
  if (isStructureError(r.code)) {
    const ObjectCode& oc = out.objects[static_cast<std::size_t>(r.object)];
    check(oc.codeStart <= r.position && r.position <= oc.codeEnd, "a structure error lies in the object's code", d);
  }
}

void checkRunOutput(const Project& p, const CompileOutput& out) {
  checkResult(p, out);
  const std::string d = describe(out.result);
  check(out.codeSize >= 0 && static_cast<std::size_t>(out.codeSize) <= kCodeSize, "the code size is in the buffer", d);
  if (out.result.code != 0) return;
  check(out.code.size() == kCodeSize, "mode 1 hands over the whole code buffer", d);

  // Objects follow each other in project order; one without code takes no room.
  int position = 0;
  for (std::size_t i = 0; i < out.objects.size(); ++i) {
    const ObjectCode& oc = out.objects[i];
    const std::string o = d + " object " + std::to_string(i);
    check(oc.codeStart == position, "each object's code starts where the previous one ended", o);
    check(oc.codeEnd == 0 || oc.codeStart < oc.codeEnd, "codeStart <= codeEnd, or codeEnd 0 without code", o);
    if (oc.codeEnd != 0) {
      check(oc.codeEnd >= oc.codeStart + 2 && out.code[static_cast<std::size_t>(oc.codeEnd - 2)] == 0xBD &&
                out.code[static_cast<std::size_t>(oc.codeEnd - 1)] == 0xFC,
            "an object's code ends with VERLASSEN", o);
      position = oc.codeEnd;
    }
    check(oc.lineMapFirst <= oc.lineMapEnd && oc.lineMapEnd <= out.lineMap.size(), "the object's line-map range", o);
    // A program of labels only has code (its closing VERLASSEN) but no line-map entry.
    check(oc.codeEnd != 0 || oc.lineMapFirst == oc.lineMapEnd, "an object with line-map entries has code", o);
    const bool counted = p.objects[i].Typ != "Undefiniert" && p.objects[i].Name != "*INIT";
    for (int symbol : {oc.stateSymbol, oc.ctSymbol, oc.hashSymbol})
      check(counted ? symbol >= 0 && static_cast<std::size_t>(symbol) < out.symbols.size() : symbol == -1,
            "an object's own symbols exist exactly when it has them", o);
    for (std::size_t e = oc.lineMapFirst; e < oc.lineMapEnd; ++e) {
      const LineMapEntry& entry = out.lineMap[e];
      check(entry.codePosition >= oc.codeStart && entry.codePosition < oc.codeEnd,
            "a line-map entry lies in its object's code", o);
      check(entry.line >= 0 && static_cast<std::size_t>(entry.line) < p.objects[i].program.size(),
            "a line-map entry names a line of the program", o);
    }
  }
  check(out.codeSize == position, "the code ends with the last object's code", d);
  for (std::size_t e = 1; e < out.lineMap.size(); ++e)
    check(out.lineMap[e - 1].codePosition <= out.lineMap[e].codePosition, "the line map ascends in code position", d);
  for (std::size_t k = static_cast<std::size_t>(out.codeSize); k < out.code.size(); ++k)
    check(out.code[k] == 0, "the buffer is zero behind the code", d);

  // The order is a permutation, ascending by priority, equal priorities in project order.
  check(out.order.size() == p.objects.size(), "the order holds every object", d);
  std::vector<bool> seen(p.objects.size(), false);
  for (std::size_t k = 0; k < out.order.size(); ++k) {
    const int index = out.order[k];
    check(index >= 0 && static_cast<std::size_t>(index) < p.objects.size() && !seen[static_cast<std::size_t>(index)],
          "the order is a permutation", d);
    seen[static_cast<std::size_t>(index)] = true;
    if (k > 0) {
      const auto& a = p.objects[static_cast<std::size_t>(out.order[k - 1])];
      const auto& b = p.objects[static_cast<std::size_t>(index)];
      check(a.ACode < b.ACode || (a.ACode == b.ACode && out.order[k - 1] < index),
            "the order is a stable sort by priority", d);
    }
  }
}

void checkSymbolsOutput(const Project& p, const CompileOutput& out) {
  checkResult(p, out);
  const std::string d = describe(out.result);
  check(out.code.empty() && out.codeSize == 0 && out.lineMap.empty(), "mode 9 builds no code", d);
  check(out.result.code == 0 || out.result.code == kErrOverflow || out.result.code == kCompileAborted,
        "mode 9 translates nothing, so it fails only by a limit or the abort", d);
  if (out.result.code != 0) return;
  for (std::size_t i = 0; i < p.objects.size(); ++i) {
    std::int32_t states = 0;
    for (const auto& e : p.typeStates)
      if (e.entry.find(':') != std::string::npos && e.entry.substr(0, e.entry.find(':')) == p.objects[i].Typ) ++states;
    check(p.objects[i].CtZust == states && p.objects[i].stateBitmaps.size() == static_cast<std::size_t>(states),
          "mode 9 gives each object the states of its type", d + " object " + std::to_string(i));
  }
}

bool sameOutput(const CompileOutput& a, const CompileOutput& b) {
  if (a.result.code != b.result.code || a.result.object != b.result.object || a.result.position != b.result.position ||
      a.result.line != b.result.line || a.result.name != b.result.name || a.codeSize != b.codeSize ||
      a.code != b.code || a.symbols.size() != b.symbols.size() || a.order != b.order ||
      a.lineMap.size() != b.lineMap.size())
    return false;
  for (std::size_t n = 0; n < a.symbols.size(); ++n)
    if (a.symbols[n].key != b.symbols[n].key || a.symbols[n].literalType != b.symbols[n].literalType) return false;
  for (std::size_t n = 0; n < a.lineMap.size(); ++n)
    if (a.lineMap[n].codePosition != b.lineMap[n].codePosition || a.lineMap[n].line != b.lineMap[n].line) return false;
  return true;
}

}  // namespace
}  // namespace kelvaro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvaro;
  using namespace kelvaro::fuzz;
  const Project source = projectFromRecords(std::string_view(reinterpret_cast<const char*>(data), size));

  Project run = source;
  const CompileOutput out = compile(run, run.constants, CompileMode::Run);
  checkRunOutput(run, out);
  // The second compile only for small projects: the large ones would slow the search down.
  std::size_t lines = 0;
  for (const auto& o : source.objects) lines += o.program.size();
  if (lines <= 400 && source.objects.size() <= 64) {
    Project again = source;
    check(sameOutput(out, compile(again, again.constants, CompileMode::Run)), "compiling twice gives the same output",
          describe(out.result));
  }

  Project symbols = source;
  checkSymbolsOutput(symbols, compile(symbols, symbols.constants, CompileMode::SymbolsOnly));
  return 0;
}
