// The compile run: symbols, constants pass, emission, structure walk, line map, object order.
#include "language/compiler.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <span>

#include "language/code_emitter.h"
#include "language/image.h"
#include "language/program_lines.h"
#include "language/structure_walk.h"
#include "language/token.h"
#include "language/translator.h"
#include "model/hardware_assignment.h"
#include "model/object_types.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

constexpr std::string_view kInitObject = "*INIT";

// One translated line, kept from the first emission for the final one.
struct TranslatedLine {
  int line = 0;  // index in the stored program
  std::string tokens;
  bool label = false;
  int offset = 0;  // character position of the line's start in the program text
};

struct VarDefColumns {
  std::string name, type, start;
};

// A variable definition: name, type and start value in columns of 20 characters.
VarDefColumns varDefColumns(std::string_view entry) {
  auto column = [&](std::size_t from) {
    return from < entry.size() ? trimRight(entry.substr(from, 20)) : std::string();
  };
  return {column(0), column(20), column(40)};
}

// "1234" read as hexadecimal digits: the selection number as the unit knows it.
std::uint16_t unitNumber(std::uint16_t objIdNr, std::size_t index) {
  if (objIdNr == 0 || objIdNr > 9999) return static_cast<std::uint16_t>(0xA000 + index);
  std::uint16_t unit = 0;
  for (char c : std::to_string(objIdNr)) unit = static_cast<std::uint16_t>(unit * 16 + (c - '0'));
  return unit;
}

// The line of the label that does not fit the label table any more.
int labelOverflowLine(const std::vector<std::string>& program) {
  std::size_t labels = 0;
  for (std::size_t i = 0; i < program.size(); ++i) {
    const std::string text = trimLeft(statementText(program[i]));
    if (!isSkippedLine(text) && text.back() == ':' && ++labels > kMaxLabels) return static_cast<int>(i);
  }
  return -1;
}

class CompileRun {
 public:
  CompileRun(Project& project, const std::vector<std::string>& constants, CompileMode mode,
             const CompileOptions& options)
      : m_project(project), m_constants(constants), m_mode(mode), m_options(options), m_objectIndex(project.objects) {}

  CompileOutput run() {
    m_out.objects.resize(m_project.objects.size());
    if (m_project.objects.size() > kMaxObjects) return fail(kErrOverflow, -1, 0);
    if (m_mode != CompileMode::SymbolsOnly) m_out.code.assign(kCodeSize, 0);
    if (!createSymbols()) return std::move(m_out);
    if (m_mode == CompileMode::SymbolsOnly) return std::move(m_out);
    if (!collectConstants() || !firstEmission()) return std::move(m_out);
    progress("Initialisierung");
    if (m_mode == CompileMode::Image) {
      m_image.emplace(m_project, m_out, m_options);
      if (const int error = m_image->writeDataArea()) return fail(error, -1, 0);
    }
    if (!finalEmission()) return std::move(m_out);
    buildOrder();
    if (m_image)
      if (const int error = m_image->finish(m_objectReferences)) return fail(error, -1, 0);
    return std::move(m_out);
  }

 private:
  CompileOutput fail(int code, int object, int position, int line = -1, std::string name = {}) {
    m_out.result = {code, object, position, line, std::move(name)};
    return std::move(m_out);
  }
  bool failed(int code, int object, int position, int line = -1, std::string name = {}) {
    m_out.result = {code, object, position, line, std::move(name)};
    return false;
  }

  void progress(std::string_view text) const {
    if (m_options.progress) m_options.progress(text);
  }

  // createSymbols -> each object's unit number, its state, CT and # symbols and its own variables,
  // so that every name a program line may use has a symbol before any line is translated
  bool createSymbols() {
    for (std::size_t i = 0; i < m_project.objects.size(); ++i) {
      TPSObj& object = m_project.objects[i];
      ObjectCode& oc = m_out.objects[i];
      oc.unit = unitNumber(object.ObjIDNr, i);
      if (object.Typ != kUntypedObjectType && object.Name != kInitObject) {
        oc.ctSymbol = makeVariable(i, "CT", "Zeit", "0");
        oc.stateSymbol = makeVariable(i, object.Name, object.Typ, object.StartVal);
        oc.hashSymbol = makeVariable(i, "#", object.Typ, object.StartVal);
        if (m_out.result.code != 0) return false;
      }
      if (m_mode == CompileMode::SymbolsOnly) {
        syncStateBitmaps(object, m_project.typeStates, object.Typ);
        assignHardware(object, m_project.stations);
        continue;
      }
      for (const auto& entry : object.varDefs) {
        const VarDefColumns v = varDefColumns(entry);
        makeVariable(i, v.name, v.type, v.start);
        if (m_out.result.code != 0) return false;
      }
    }
    return true;
  }

  int makeVariable(std::size_t object, std::string_view name, std::string_view type, std::string_view start) {
    const int number =
        createVariable(m_out.symbols, m_project.typeStates, m_project.objects[object].Name, name, type, start);
    if (number == kSymbolListFull) failed(kErrOverflow, static_cast<int>(object), 0);
    if (number == kBadTimeValue) failed(kCompileAborted, -1, 0);
    return number;
  }

  // Labels, then every line of the object through the translator; the line offsets give
  // the error position within the whole program text.
  bool translateObject(std::size_t index, Pass pass, std::vector<TranslatedLine>* keep) {
    const TPSObj& object = m_project.objects[index];
    const auto labels = collectLabels(object.program);
    if (!labels) return failed(kErrOverflow, static_cast<int>(index), 0, labelOverflowLine(object.program));
    TranslatorContext context{m_objectIndex, object.Name, m_out.symbols, m_constants, *labels, pass};
    int offset = 0;
    for (std::size_t n = 0; n < object.program.size(); ++n) {
      const std::string text = statementText(object.program[n]);
      const int lineLength = static_cast<int>(trimLeft(text).size()) + 3;
      if (isSkippedLine(text)) {
        offset += lineLength;
        continue;
      }
      Translation t = translateLine(text, context);
      if (t.result < 0)
        return failed(t.result, static_cast<int>(index), offset + t.position, static_cast<int>(n), std::move(t.name));
      if (keep) keep->push_back({static_cast<int>(n), std::move(t.tokens), t.result == kResultLabel, offset});
      offset += lineLength;
    }
    return true;
  }

  // collectConstants -> gives objects without a usable ID their selection number and turns every
  // literal and number the lines use into a constant symbol
  bool collectConstants() {
    for (std::size_t i = 0; i < m_project.objects.size(); ++i) {
      TPSObj& object = m_project.objects[i];
      if (object.ObjIDNr == 0 || object.ObjIDNr >= 10000) object.ObjIDNr = static_cast<std::uint16_t>(10000 + i);
      progress(object.Name);
      if (!translateObject(i, Pass::Collect, nullptr)) return false;
    }
    return true;
  }

  // firstEmission -> translates every line with all symbols known and emits it once, so that a
  // language error is reported before the image is laid out around the code's size
  bool firstEmission() {
    m_lines.resize(m_project.objects.size());
    CodeEmitter emitter(m_mode, m_out.symbols, m_out.code);
    for (std::size_t i = 0; i < m_project.objects.size(); ++i) {
      m_out.objects[i].codeStart = emitter.position();
      m_out.objects[i].codeEnd = 0;
      if (!translateObject(i, Pass::Resolve, &m_lines[i])) return false;
      for (const auto& line : m_lines[i]) {
        if (line.label) continue;
        if (const int error = emitter.emitLine(line.tokens)) return emissionFailed(error, i, line, emitter);
      }
    }
    m_out.codeSize = emitter.position();
    return true;
  }

  // A malformed reference is a language error and names the line by its text position; a
  // full buffer names the code position where it ran out.
  bool emissionFailed(int error, std::size_t object, const TranslatedLine& line, const CodeEmitter& emitter) {
    const int position = error == kErrSyntax ? line.offset + 1 : emitter.position();
    return failed(error, static_cast<int>(object), position, line.line);
  }

  // finalEmission -> emits the code again at its final addresses with the line map, closes each
  // object with VERLASSEN, patches its jumps in the structure walk and assigns its hardware
  bool finalEmission() {
    std::fill(m_out.code.begin(), m_out.code.end(), 0);
    m_out.lineMap.clear();
    std::span<const std::uint16_t> addresses;
    if (m_image) addresses = m_image->symbolAddresses();
    CodeEmitter emitter(m_mode, m_out.symbols, m_out.code, addresses);
    for (std::size_t i = 0; i < m_project.objects.size(); ++i) {
      ObjectCode& oc = m_out.objects[i];
      oc.codeStart = emitter.position();
      oc.lineMapFirst = m_out.lineMap.size();
      for (const auto& line : m_lines[i]) {
        if (line.label) continue;
        m_out.lineMap.push_back({emitter.position(), line.line});
        if (const int error = emitter.emitLine(line.tokens)) return emissionFailed(error, i, line, emitter);
      }
      oc.lineMapEnd = m_out.lineMap.size();
      if (!m_lines[i].empty()) {
        if (!emitter.put(tok::kStatement) || !emitter.put(tok::kLeave))
          return failed(kErrOverflow, static_cast<int>(i), emitter.position(), m_lines[i].back().line);
        oc.codeEnd = emitter.position();
        const WalkResult walk =
            walkStructure({m_out.code, oc.codeStart, oc.codeEnd, m_out.lineMap, oc.lineMapFirst, oc.lineMapEnd,
                           m_mode == CompileMode::Image, m_out.codeAddressBase});
        if (walk.code != 0)
          return failed(walk.code, static_cast<int>(i), walk.position,
                        lineAtCodePosition(m_out.lineMap, walk.position, oc.lineMapFirst, oc.lineMapEnd));
      }
      assignHardware(m_project.objects[i], m_project.stations);
    }
    m_out.codeSize = emitter.position();
    m_objectReferences = emitter.objectReferences();
    return true;
  }

  // buildOrder -> the clock's run order: ascending priority, equal priorities in project order
  void buildOrder() {
    m_out.order.resize(m_project.objects.size());
    for (std::size_t i = 0; i < m_out.order.size(); ++i) m_out.order[i] = static_cast<int>(i);
    std::stable_sort(m_out.order.begin(), m_out.order.end(), [this](int a, int b) {
      return m_project.objects[static_cast<std::size_t>(a)].ACode < m_project.objects[static_cast<std::size_t>(b)].ACode;
    });
  }

  Project& m_project;
  const std::vector<std::string>& m_constants;
  CompileMode m_mode;
  const CompileOptions& m_options;
  ObjectIndex m_objectIndex;
  CompileOutput m_out;
  std::vector<std::vector<TranslatedLine>> m_lines;
  std::optional<ImageBuilder> m_image;
  std::vector<int> m_objectReferences;
};

}  // namespace

CompileOutput compile(Project& project, const std::vector<std::string>& constants, CompileMode mode,
                      const CompileOptions& options) {
  try {
    return CompileRun(project, constants, mode, options).run();
  } catch (const std::exception&) {
    // An unforeseen fault ends the run with the abort message, never with a crash.
    CompileOutput out;
    out.result.code = kCompileAborted;
    return out;
  }
}

}  // namespace kelvaro
