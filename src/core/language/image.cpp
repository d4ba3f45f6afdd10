// Building the control unit's program image in the data buffer.
#include "language/image.h"

#include <cmath>
#include <cstring>

#include "language/errors.h"
#include "language/image_layout.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

using namespace image_layout;

constexpr int kSpaFileSize = 65501;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The two characters at 1-based positions p and p+1, as a number (0 when they are none).
int pairValue(std::string_view text, std::size_t p) {
  if (p + 1 > text.size()) return 0;
  return intOr0(text.substr(p - 1, 2));
}

// The two characters packed as two 4-bit digits; a non-digit counts as 15.
int pairNibbles(std::string_view text, std::size_t p) {
  auto nibble = [&](std::size_t i) { return i <= text.size() && isDigit(text[i - 1]) ? text[i - 1] - '0' : 15; };
  return nibble(p) << 4 | nibble(p + 1);
}

int deviceClass(int deviceCode) {
  if (deviceCode == 26) return 2;
  if (deviceCode == 301) return 131;
  if (deviceCode >= 302 && deviceCode <= 399) return 3;
  if (deviceCode >= 500 && deviceCode <= 600) return 4;
  return 1;
}

}  // namespace

int imageBaseFor(int unitTypeCode) { return unitTypeCode == 11 ? 0x3000 : 0x1000; }

ImageBuilder::ImageBuilder(const Project& project, CompileOutput& out, const CompileOptions& options)
    : m_project(project), m_out(out), m_options(options), m_base(imageBaseFor(options.unitTypeCode)) {
  m_out.imageBase = m_base;
  m_symbolOwner.assign(m_out.symbols.size(), -1);
  m_symbolRole.assign(m_out.symbols.size(), 0);
  for (std::size_t i = 0; i < m_out.objects.size(); ++i) {
    const ObjectCode& oc = m_out.objects[i];
    for (const auto& [symbol, role] : {std::pair{oc.stateSymbol, 'S'}, {oc.ctSymbol, 'C'}, {oc.hashSymbol, '#'}})
      if (symbol >= 0 && static_cast<std::size_t>(symbol) < m_symbolOwner.size()) {
        m_symbolOwner[static_cast<std::size_t>(symbol)] = static_cast<int>(i);
        m_symbolRole[static_cast<std::size_t>(symbol)] = role;
      }
  }
}

bool ImageBuilder::putAt(int address, std::uint8_t byte) {
  if (address < m_base || address > kImageLast) return false;
  m_out.image[static_cast<std::size_t>(address - kDataStart)] = byte;
  return true;
}

bool ImageBuilder::putWordAt(int address, int value) {
  return putAt(address, static_cast<std::uint8_t>((value >> 8) & 0xFF)) &&
         putAt(address + 1, static_cast<std::uint8_t>(value & 0xFF));
}

bool ImageBuilder::put(std::uint8_t byte) { return putAt(m_pos++, byte); }

bool ImageBuilder::putWord(int value) {
  const bool ok = putWordAt(m_pos, value);
  m_pos += 2;
  return ok;
}

bool ImageBuilder::skip(int count) {
  m_pos += count;
  return m_pos - 1 <= kImageLast;
}

bool ImageBuilder::zeros(int count) {
  for (int i = 0; i < count; ++i)
    if (!put(0)) return false;
  return true;
}

int ImageBuilder::entryPointer(int objectIndex) const {
  return m_out.objects[static_cast<std::size_t>(objectIndex)].entryAddress + kEntryPointer;
}

// type-state table -> per type the count of states, then 17 bytes per state
int ImageBuilder::writeTypeStateTable() {
  m_pos = m_base + kTypeTable;
  const auto& list = m_project.typeStates;
  int types = 0;
  std::size_t i = 0;
  while (i < list.size()) {
    const std::string type = list[i].entry.substr(0, list[i].entry.find(':'));
    std::size_t end = i;
    while (end < list.size() && list[end].entry.substr(0, list[end].entry.find(':')) == type) ++end;
    if (++types > kMaxTypes) return kErrOverflow;
    m_typeAddresses.try_emplace(type, m_pos);
    if (!put(static_cast<std::uint8_t>(end - i))) return kErrOverflow;
    for (; i < end; ++i) {
      const std::size_t colon = list[i].entry.find(':');
      const std::string state = colon == std::string::npos ? std::string() : list[i].entry.substr(colon + 1, 16);
      const int record = m_pos;
      if (!put(static_cast<std::uint8_t>(state.size()))) return kErrOverflow;
      for (std::size_t k = 0; k < state.size(); ++k)
        if (!putAt(record + 1 + static_cast<int>(k), static_cast<std::uint8_t>(state[k]))) return kErrOverflow;
      if (!skip(16)) return kErrOverflow;
    }
  }
  return 0;
}

// The date part of a typed literal: three values (or packed digits with "*"), zero fill.
int ImageBuilder::writeDatePart(std::string_view text, const std::string& letter, std::size_t kindAt) {
  std::string value(text);
  if (letter == "D" && value.size() >= 8)  // dd.mm.yy is stored as yy.mm.dd
    value = value.substr(6, 2) + value[5] + value.substr(3, 2) + value[2] + value.substr(0, 2) + value.substr(8);
  const int fill = static_cast<int>(value.size()) - 3;
  const bool wildcard = value.find('*') != std::string::npos;
  if (wildcard) {
    if (value.size() < 8) return kCompileAborted;  // a wildcard needs all three pairs
    m_out.image[kindAt] |= image_layout::kKindWildcard;
    for (std::size_t p : {1u, 4u, 7u})
      if (!put(static_cast<std::uint8_t>(pairNibbles(value, p)))) return kErrOverflow;
  } else {
    for (std::size_t p : {1u, 4u, 7u})
      if (!put(static_cast<std::uint8_t>(pairValue(value, p)))) return kErrOverflow;
  }
  if (fill > 0 && !zeros(fill)) return kErrOverflow;
  if (letter == "T" && !wildcard) {
    for (std::size_t p : {10u, 13u, 16u})
      if (!put(static_cast<std::uint8_t>(pairValue(value, p)))) return kErrOverflow;
    if (fill > 0 && !zeros(fill)) return kErrOverflow;
  }
  return 0;
}

// One entry of the variable table; an object's state is preceded by its table pointer.
int ImageBuilder::writeSymbol(std::size_t n, bool final) {
  const Symbol& symbol = m_out.symbols[n];
  const char role = m_symbolRole[n];
  const int owner = m_symbolOwner[n];
  if (role == '#') {  // the "#" entry is only a name for the state
    m_symbolAddresses[n] = static_cast<std::uint16_t>(m_pos);
    return 0;
  }
  std::uint8_t stateBit = 0;
  if (role == 'S') {
    ObjectCode& oc = m_out.objects[static_cast<std::size_t>(owner)];
    if (m_project.objects[static_cast<std::size_t>(owner)].OKind != kKindButton) {
      if (final ? !putWord(entryPointer(owner)) : !skip(2)) return kErrOverflow;
      oc.stateAddress = m_pos;
    } else {
      oc.stateAddress = 0;
    }
    stateBit = image_layout::kKindStateFlag;
  }
  m_symbolAddresses[n] = static_cast<std::uint16_t>(m_pos);
  if (role == 'C') m_out.objects[static_cast<std::size_t>(owner)].ctAddress = m_pos;

  const std::size_t kindAt = static_cast<std::size_t>(m_pos - kDataStart);
  auto kind = [&](int code, int size) { return put(static_cast<std::uint8_t>(code | stateBit)) && put(static_cast<std::uint8_t>(size)); };
  auto word16LowFirst = [&](int value) {
    return put(static_cast<std::uint8_t>(value & 0xFF)) && put(static_cast<std::uint8_t>((value >> 8) & 0xFF));
  };
  auto textEntry = [&](const std::string& text) {
    if (!put(static_cast<std::uint8_t>(image_layout::kKindText | stateBit)) || !put(static_cast<std::uint8_t>(text.size() & 0xFF)))
      return false;
    for (std::size_t k = 0; k < static_cast<std::size_t>(kTextBytes); ++k)
      if (!put(k < text.size() ? static_cast<std::uint8_t>(text[k]) : 0)) return false;
    return true;
  };

  int error = 0;
  bool ok = true;
  if (const auto* v = std::get_if<TVarInt>(&symbol.value)) {
    ok = kind(image_layout::kKindInteger, 2) && word16LowFirst(v->Value);
  } else if (const auto* r = std::get_if<TVarReal>(&symbol.value)) {
    // What the unit makes of reals is open; it gets the first two bytes of the double.
    std::uint8_t bytes[sizeof(double)];
    std::memcpy(bytes, &r->Value, sizeof bytes);
    ok = kind(image_layout::kKindInteger, 2) && put(bytes[0]) && put(bytes[1]);
  } else if (const auto* u = std::get_if<TVarUser>(&symbol.value)) {
    if (u->TypeName != "Knopf" && u->TypeName != "(Undefiniert)") {
      const auto type = m_typeAddresses.find(u->TypeName);
      ok = kind(image_layout::kKindUser, 1) && put(static_cast<std::uint8_t>(u->State < 0 ? 0 : u->State)) &&
           put(static_cast<std::uint8_t>(u->MaxState)) && putWord(type == m_typeAddresses.end() ? 0 : type->second);
    }
  } else if (const auto* t = std::get_if<TVarTime>(&symbol.value)) {
    if (t->TypeName == "Datum") ok = kind(image_layout::kKindDate, 3) && zeros(3);
    else if (t->TypeName == "Uhr") ok = kind(image_layout::kKindTime, 3) && zeros(3);
    else ok = kind(image_layout::kKindDateTime, 6) && zeros(6);  // start values of times are not transferred
  } else if (const auto* text = std::get_if<TVarStr>(&symbol.value)) {
    const std::string& letter = symbol.key == kConstantKey ? symbol.literalType : std::string();
    if (letter == "I") {
      ok = kind(image_layout::kKindInteger, 2) && word16LowFirst(intOr0(text->Value));
    } else if (!letter.empty() && (letter[0] == 'D' || letter[0] == 'Z')) {
      ok = kind(letter[0] == 'D' ? image_layout::kKindDate : image_layout::kKindTime, 3);
      if (ok) error = writeDatePart(text->Value, letter, kindAt);
    } else {
      ok = textEntry(text->Value);
      if (ok && letter == "T") error = writeDatePart(text->Value, letter, kindAt);
    }
  }
  if (!ok) return kErrOverflow;
  if (error != 0) return error;
  return put(0xFF) ? 0 : kErrOverflow;
}

int ImageBuilder::writeVariableTable(bool final) {
  m_pos = m_variableTableStart;
  for (std::size_t n = 0; n < m_out.symbols.size(); ++n)
    if (const int error = writeSymbol(n, final)) return error;
  if (!put(kMark) || !put(kEndVariables) || !put(kMark)) return kErrOverflow;
  m_out.codeAddressBase = m_pos - 1;
  return 0;
}

int ImageBuilder::writeDataArea() {
  m_out.image.assign(static_cast<std::size_t>(kImageLast + 1 - kDataStart), 0);
  std::fill(m_out.image.begin() + (m_base - kDataStart), m_out.image.end(), 0xFF);
  m_symbolAddresses.assign(m_out.symbols.size(), 0);
  if (const int error = writeTypeStateTable()) return error;
  m_variableTableStart = m_pos + 1;  // one byte stays FF between the tables
  if (const int error = writeVariableTable(false)) return error;
  if (m_out.codeAddressBase + 1 + m_out.codeSize >= kImageLast + 1) return kErrOverflow;
  return 0;
}

// Six bytes telling the unit which station and channel the object talks to.
bool ImageBuilder::writeHardwareAddressing(const TPSObj& object) {
  const HardwareWork& hw = object.hardware;
  const auto byte = [](int v) { return static_cast<std::uint8_t>(v & 0xFF); };
  std::uint8_t b[6];
  if (m_options.unitTypeCode >= 125) {
    const int cls = deviceClass(hw.deviceCode);
    if (object.Snd.LineNo < 1) {
      const int line = object.Rcv.LineNo;
      int kindByte = cls;
      if (line == 1)
        kindByte = hw.deviceCode != 26 ? 1 : hw.receiveChannel != 5 ? 2 : hw.furtherCount < 2 ? 3 : 4;
      b[0] = byte(line);
      b[1] = object.Rcv.Adr[0];
      b[2] = line == 1 ? byte(hw.receiveChannel) : object.Rcv.Adr[1];
      b[3] = line == 4 && hw.deviceCode == 551 ? byte(hw.receiveChannel) : object.Rcv.Adr[2];
      b[4] = byte(kindByte);
      b[5] = 2;
    } else {
      b[0] = byte(object.Snd.LineNo);
      b[1] = object.Snd.Adr[0];
      b[2] = object.Snd.LineNo == 1 ? byte(hw.sendChannel) : object.Snd.Adr[1];
      b[3] = object.Snd.Adr[2];
      b[4] = byte(cls);
      b[5] = 1;
    }
  } else {
    b[0] = byte(object.Rcv.LineNo);
    b[1] = object.Rcv.Adr[0];
    b[2] = byte(hw.receiveChannel);
    b[3] = byte(object.Snd.LineNo);
    b[4] = object.Snd.Adr[0];
    b[5] = byte(hw.sendChannel);
  }
  for (std::uint8_t v : b)
    if (!put(v)) return false;
  return true;
}

int ImageBuilder::finish(const std::vector<int>& objectReferences) {
  if (objectReferences.size() > kMaxObjectReferences) return kErrOverflow;
  const int codeBase = m_out.codeAddressBase;
  // code -> offsets 0 to the final position, then AA BB AA
  m_pos = codeBase + 1;
  for (int k = 0; k <= m_out.codeSize; ++k)
    if (!put(m_out.code[static_cast<std::size_t>(k)])) return kErrOverflow;
  if (!put(kMark) || !put(kEndCode) || !put(kMark)) return kErrOverflow;

  // object table -> 24 bytes per object in object order
  const int tableStart = m_pos;
  int initEntry = -1;
  for (std::size_t k = 0; k < m_out.order.size(); ++k)
    m_out.objects[static_cast<std::size_t>(m_out.order[k])].entryAddress = tableStart + kEntrySize * static_cast<int>(k);
  for (const int index : m_out.order) {
    const TPSObj& object = m_project.objects[static_cast<std::size_t>(index)];
    const ObjectCode& oc = m_out.objects[static_cast<std::size_t>(index)];
    m_pos = oc.entryAddress;
    int start = oc.codeStart + codeBase + 1, end = oc.codeEnd + codeBase;
    if (end < start) start = end = 0;
    if (object.Name == "*INIT") initEntry = oc.entryAddress;
    const std::uint8_t flags = static_cast<std::uint8_t>((object.Activ ? 0x02 : 0) | (object.ExtActiv ? 0x04 : 0) |
                                                         (object.ExtTrans ? 0x08 : 0) | (object.InputExec ? 0x10 : 0));
    if (!putWord(oc.unit) || !writeHardwareAddressing(object) || !put(static_cast<std::uint8_t>(object.OKind)) ||
        !put(flags) || !put(object.ACode) || !putWord(start) || !putWord(end) || !putWord(oc.stateAddress) ||
        !putWord(oc.ctAddress) || !put(0))
      return kErrOverflow;
  }
  m_pos = tableStart + kEntrySize * static_cast<int>(m_out.order.size());
  for (int k = 0; k < 25; ++k)
    if (!putAt(m_pos + k, 0xFF)) return kErrOverflow;
  m_pos += kEntrySize;

  // code lists -> the hardware values of objects that convert their states
  for (const int index : m_out.order) {
    const TPSObj& object = m_project.objects[static_cast<std::size_t>(index)];
    if (!object.ExtTrans) continue;
    if (!putWordAt(m_out.objects[static_cast<std::size_t>(index)].entryAddress + kEntryCodeList, m_pos) ||
        !put(static_cast<std::uint8_t>(object.ExtTransList.size() & 0xFF)))
      return kErrOverflow;
    for (const auto& value : object.ExtTransList)
      if (!put(static_cast<std::uint8_t>(intOr0(value) & 0xFF))) return kErrOverflow;
  }
  // name records, then the references to them
  for (const int index : m_out.order) {
    const std::string& name = m_project.objects[static_cast<std::size_t>(index)].Name;
    m_out.objects[static_cast<std::size_t>(index)].nameRecordAddress = m_pos;
    if (!put(kNameRecord) || !put(static_cast<std::uint8_t>(name.size()))) return kErrOverflow;
    for (char c : name)
      if (!put(static_cast<std::uint8_t>(c))) return kErrOverflow;
  }
  for (const int index : m_out.order) {
    const ObjectCode& oc = m_out.objects[static_cast<std::size_t>(index)];
    if (!putWordAt(oc.entryAddress + kEntryNameRef, m_pos) || !putWord(oc.nameRecordAddress) || !put(0xFE)) return kErrOverflow;
  }

  // sun tables -> hour and minute per week, sunrises then sunsets
  if (!skip(2)) return kErrOverflow;
  const int sunriseTable = m_pos;
  for (int week = 0; week < kSunTableSize / 2; ++week) {
    const SunWeek w = static_cast<std::size_t>(week) < m_options.sunTable.size() ? m_options.sunTable[static_cast<std::size_t>(week)] : SunWeek{};
    if (!put(static_cast<std::uint8_t>(w.riseHour)) || !put(static_cast<std::uint8_t>(w.riseMinute))) return kErrOverflow;
  }
  const int sunsetTable = m_pos;
  for (int week = 0; week < kSunTableSize / 2; ++week) {
    const SunWeek w = static_cast<std::size_t>(week) < m_options.sunTable.size() ? m_options.sunTable[static_cast<std::size_t>(week)] : SunWeek{};
    if (!put(static_cast<std::uint8_t>(w.setHour)) || !put(static_cast<std::uint8_t>(w.setMinute))) return kErrOverflow;
  }

  // trailer -> "XX", the program name in 8 characters, one byte left, a blank
  std::string name = m_options.programName.substr(0, 8);
  name.resize(8, ' ');
  if (!put('X') || !put('X')) return kErrOverflow;
  for (char c : name)
    if (!put(static_cast<std::uint8_t>(c))) return kErrOverflow;
  if (!skip(1) || !put(' ')) return kErrOverflow;
  const int last = m_pos - 1;
  m_out.imageSize = last - m_base;

  if (const int error = writeVariableTable(true)) return error;
  if (!putWordAt(m_base + kHeaderObjectTable, tableStart + kEntryPointer) ||
      !putWordAt(m_base + kHeaderSize, m_out.imageSize) ||
      !putWordAt(m_base + kHeaderInit, initEntry >= 0 ? initEntry + kEntryPointer : kNoInit) ||
      !putWordAt(m_base + kHeaderSunrise, sunriseTable) || !putWordAt(m_base + kHeaderSunset, sunsetTable))
    return kErrOverflow;

  // object references in the code -> the table entries they name
  for (const int p : objectReferences) {
    const int index = m_out.code[static_cast<std::size_t>(p)] | m_out.code[static_cast<std::size_t>(p) + 1] << 8;
    if (index < 0 || static_cast<std::size_t>(index) >= m_out.objects.size()) return kErrSyntax;
    if (!putWordAt(codeBase + 1 + p, entryPointer(index))) return kErrOverflow;
  }
  return 0;
}

int memoryUsePercent(const CompileOutput& out) {
  const double used = std::nearbyint(100.0 * out.imageSize);
  return static_cast<int>(std::nearbyint(used / (kImageLast - out.imageBase)));
}

std::string imageFileBytes(const CompileOutput& out, std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  const bool spa = dot != std::string_view::npos && equalsNoCase(fileName.substr(dot), ".SPA");
  if (spa) {
    std::string bytes(kSpaFileSize, '\0');
    for (int a = out.imageBase; a <= kImageLast; ++a)
      bytes[static_cast<std::size_t>(a)] = static_cast<char>(out.image[static_cast<std::size_t>(a - kDataStart)]);
    return bytes;
  }
  const auto from = out.image.begin() + (out.imageBase - kDataStart);
  return std::string(from, from + out.imageSize + 1);
}

}  // namespace kelvaro
