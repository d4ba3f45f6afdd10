// The compiler: all object programs of a project → one token code, the symbol list, the line
// map and the object order. Mode 1 builds code for the PC, mode 9 only the symbol list.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "language/errors.h"
#include "language/line_map.h"
#include "language/symbols.h"
#include "model/project.h"

namespace kelvaro {

enum class CompileMode {
  Run = 1,          // code for the PC: references are symbol numbers, jumps code offsets
  Image = 2,        // code for the control unit (not built here yet)
  SymbolsOnly = 9,  // the symbol list only
};

inline constexpr std::size_t kCodeSize = 32768;
inline constexpr std::size_t kMaxObjects = 1025;
inline constexpr int kMaxOpenIfs = 19;

// What the compiler keeps per object.
struct ObjectCode {
  int codeStart = 0;
  int codeEnd = 0;  // 0 when the object has no code
  std::uint16_t unit = 0;
  int stateSymbol = -1;
  int ctSymbol = -1;
  int hashSymbol = -1;
  std::size_t lineMapFirst = 0;  // its entries in the line map: [first, end)
  std::size_t lineMapEnd = 0;
};

struct CompileResult {
  int code = 0;        // 0 success, else a language error code or -9999
  int object = -1;     // index of the object in error
  int position = 0;    // character position (-10 to -20) or code position (structure errors)
  int line = -1;       // index of the stored program line in error, when known
  std::string name;    // the unknown identifier of -11
};

struct CompileOutput {
  std::vector<std::uint8_t> code;  // kCodeSize bytes, zero beyond the code
  int codeSize = 0;                // the final code position
  SymbolList symbols;
  LineMap lineMap;
  std::vector<ObjectCode> objects;
  std::vector<int> order;  // object indexes by ascending priority, equal ones in project order
  CompileResult result;
};

struct CompileOptions {
  // Called with the object in work (Windows-1252), and with "Initialisierung".
  std::function<void(std::string_view)> progress;
};

// Compiles the project. Changes it as the run requires: automatic selection numbers
// (ObjIDNr 0 → 10000 + index), and in mode 9 the objects' state data and hardware data.
CompileOutput compile(Project& project, const std::vector<std::string>& constants, CompileMode mode,
                      const CompileOptions& options = {});

}  // namespace kelvaro
