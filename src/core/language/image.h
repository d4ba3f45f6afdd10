// The control unit's program image: header, type-state table, variable table, code, object
// table, code lists, names, sun tables and trailer, all 16-bit values high byte first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "language/compiler.h"
#include "model/project.h"

namespace kelvaro {

inline constexpr int kDataStart = 4096;   // first address the data buffer holds
inline constexpr int kImageLast = 28671;  // last usable address (0x6FFF)
inline constexpr int kMaxTypes = 64;
inline constexpr std::size_t kMaxObjectReferences = 1026;

// 0x3000 for the oldest control unit (type code 11), 0x1000 for every other.
int imageBaseFor(int unitTypeCode);

class ImageBuilder {
 public:
  ImageBuilder(const Project& project, CompileOutput& out, const CompileOptions& options);

  // Before the final emission: fills the area with FF, writes the type-state table and the
  // variable table, which gives every symbol its address and fixes the start of the code.
  // 0, -9999 when it does not fit, or the abort code for a literal that cannot be encoded.
  int writeDataArea();
  // The data address of each symbol, for the emission.
  const std::vector<std::uint16_t>& symbolAddresses() const { return m_symbolAddresses; }

  // After the final emission: code, object table, code lists, names, sun tables, trailer,
  // the second writing of the variable table, the header and the object references.
  int finish(const std::vector<int>& objectReferences);

 private:
  bool put(std::uint8_t byte);
  bool putWord(int value);
  bool putAt(int address, std::uint8_t byte);
  bool putWordAt(int address, int value);
  bool skip(int count);
  bool zeros(int count);
  int writeTypeStateTable();
  int writeVariableTable(bool final);
  int writeSymbol(std::size_t n, bool final);
  int writeDatePart(std::string_view text, const std::string& letter, std::size_t kindAt);
  bool writeHardwareAddressing(const TPSObj& object);
  int entryPointer(int objectIndex) const;

  const Project& m_project;
  CompileOutput& m_out;
  const CompileOptions& m_options;
  int m_base;
  int m_pos = 0;                  // next address to write
  int m_variableTableStart = 0;
  std::vector<std::uint16_t> m_symbolAddresses;
  std::unordered_map<std::string, int> m_typeAddresses;  // first table address of each type
  std::vector<int> m_symbolOwner;  // object index owning a state, CT or # symbol, else -1
  std::vector<char> m_symbolRole;  // 'S' state, 'C' CT, '#' hash, 0 other
};

// Memory use in percent as the control-unit page shows it.
int memoryUsePercent(const CompileOutput& out);

// The bytes of an image file: ".SPA" (any case) gives 65501 bytes indexed by address, any
// other extension the image from its base to its last byte.
std::string imageFileBytes(const CompileOutput& out, std::string_view fileName);

}  // namespace kelvaro
