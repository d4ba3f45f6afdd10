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
#include "time/sun_week.h"

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
  // Addresses in the control unit's memory (mode 2).
  int entryAddress = 0;       // its object-table entry
  int stateAddress = 0;       // its state variable; 0 for a Knopf
  int ctAddress = 0;          // its CT variable
  int nameRecordAddress = 0;
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

  // Mode 2: the control unit's memory from address 4096 to 28671 (index = address - 4096).
  std::vector<std::uint8_t> image;
  int imageBase = 0;  // first address of the image
  int imageSize = 0;  // address of its last byte minus the base
  int codeAddressBase = 0;  // start-of-code address: code offset k lies at this + 1 + k
};

struct CompileOptions {
  // Called with the object in work (Windows-1252), and with "Initialisierung".
  std::function<void(std::string_view)> progress;
  // Mode 2: the type code of the control unit (11 puts the image at 0x3000), the program
  // name for the trailer (8 characters) and the weekly sun times of the current year.
  int unitTypeCode = 124;
  std::string programName;
  std::vector<SunWeek> sunTable;
};

// Compiles the project. Changes it as the run requires: automatic selection numbers
// (ObjIDNr 0 → 10000 + index), and in mode 9 the objects' state data and hardware data.
CompileOutput compile(Project& project, const std::vector<std::string>& constants, CompileMode mode,
                      const CompileOptions& options = {});

}  // namespace kelvaro
