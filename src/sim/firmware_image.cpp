// Reading and checking the program image the simulated unit was loaded with.
#include "firmware_image.h"

#include <algorithm>

#include "language/image.h"
#include "language/image_layout.h"
#include "text/cp1252.h"

namespace kelvaro::sim {

using namespace image_layout;

int FirmwareImage::objectAt(int pointer) const {
  const int entry = pointer - kEntryPointer;
  if (entry < objectTable || (entry - objectTable) % kEntrySize != 0) return -1;
  const auto index = static_cast<std::size_t>((entry - objectTable) / kEntrySize);
  return index < objects.size() ? static_cast<int>(index) : -1;
}

namespace {

// The log line: the reason (written here in UTF-8), with the object's name where one is at fault.
ImageRead refuse(std::string_view why, const std::string& name = {}) {
  std::string text = fromUtf8("Programm abgewiesen: ") + fromUtf8(why);
  if (!name.empty()) text += " (" + name + ")";
  return {std::nullopt, std::move(text)};
}

bool marker(const FirmwareImage& im, int at, std::uint8_t middle) {
  return im.byte(at) == kMark && im.byte(at + 1) == middle && im.byte(at + 2) == kMark;
}

}  // namespace

ImageRead readFirmwareImage(std::span<const std::uint8_t> memory, int base, int loadedEnd) {
  if (memory.size() < 0x10000) return refuse("Speicher unvollständig");
  if (base != imageBaseFor(11) && base != imageBaseFor(0)) return refuse("falsche Ladeadresse");
  FirmwareImage im;
  im.memory.assign(memory.begin(), memory.begin() + 0x10000);
  im.base = base;
  loadedEnd = std::min(loadedEnd, kImageLast + 1);
  if (loadedEnd - base < kTypeTable + 1) return refuse("Programm zu kurz");
  im.last = base + kTypeTable;  // enough to read the header
  const int size = im.word(base + kHeaderSize);
  if (size < kTypeTable || base + size > kImageLast) return refuse("Programmkopf ungültig (Größe)");
  if (base + size >= loadedEnd) return refuse("Programm unvollständig übertragen");
  im.last = base + size;
  // The trailer closes every image: a header that points elsewhere is no image of ours.
  const int trailer = im.last - (kTrailerSize - 1);
  if (im.byte(trailer) != 'X' || im.byte(trailer + 1) != 'X' || im.byte(im.last) != ' ')
    return refuse("Programmkopf ungültig (Ende)");
  for (int i = 0; i < 8; ++i) im.programName += static_cast<char>(im.byte(trailer + 2 + i));

  im.objectTable = im.word(base + kHeaderObjectTable) - kEntryPointer;
  if (!im.inside(im.objectTable - 3, 3) || !marker(im, im.objectTable - 3, kEndCode))
    return refuse("Objekttabelle außerhalb des Programms");
  im.codeEnd = im.objectTable - 3;
  im.sunrise = im.word(base + kHeaderSunrise);
  im.sunset = im.word(base + kHeaderSunset);
  if (!im.inside(im.sunrise, kSunTableSize) || !im.inside(im.sunset, kSunTableSize) || im.sunrise < im.objectTable ||
      im.sunset < im.objectTable)
    return refuse("Sonnentabellen außerhalb des Programms");

  // The entries run until the 24 bytes of FF after the last; a unit number is never FFFF.
  for (int entry = im.objectTable; im.inside(entry, kEntrySize) && im.word(entry) != 0xFFFF; entry += kEntrySize) {
    ImageObject o;
    o.entry = entry;
    o.unit = static_cast<std::uint16_t>(im.word(entry + kEntryUnit));
    for (int k = 0; k < 6; ++k) o.hardware[k] = im.byte(entry + kEntryHardware + k);
    o.kind = static_cast<char>(im.byte(entry + kEntryKind));
    o.flags = im.byte(entry + kEntryFlags);
    o.priority = im.byte(entry + kEntryPriority);
    o.programStart = im.word(entry + kEntryStart);
    o.programEnd = im.word(entry + kEntryEnd);
    o.stateAddress = im.word(entry + kEntryState);
    o.ctAddress = im.word(entry + kEntryCt);
    const int nameRef = im.word(entry + kEntryNameRef);
    const int record = im.word(nameRef);
    if (!im.inside(nameRef, 2) || !im.inside(record, 2) || im.byte(record) != kNameRecord ||
        !im.inside(record + 2, im.byte(record + 1)))
      return refuse("Objektname außerhalb des Programms");
    for (int k = 0; k < im.byte(record + 1); ++k) o.name += static_cast<char>(im.byte(record + 2 + k));
    im.objects.push_back(std::move(o));
  }
  if (!im.inside(im.objectTable + static_cast<int>(im.objects.size()) * kEntrySize, kEntrySize))
    return refuse("Objekttabelle ohne Ende");

  // The first object of the project that has code starts at the first code byte; the
  // variable table's AA CC AA stands right before it.
  im.codeFirst = im.codeEnd;
  for (const auto& o : im.objects)
    if (o.programStart != 0 || o.programEnd != 0) im.codeFirst = std::min(im.codeFirst, o.programStart);
  if (im.codeFirst < base + kTypeTable + 3 || !marker(im, im.codeFirst - 3, kEndVariables))
    return refuse("Codeadresse außerhalb des Codes");
  for (const auto& o : im.objects) {
    if (o.programStart == 0 && o.programEnd == 0) continue;
    if (o.programStart < im.codeFirst || o.programEnd >= im.codeEnd || o.programEnd < o.programStart)
      return refuse("Codeadresse außerhalb des Codes", o.name);
  }
  for (const auto& o : im.objects)
    if ((o.stateAddress != 0 && !im.inVariables(o.stateAddress, 2)) || (o.ctAddress != 0 && !im.inVariables(o.ctAddress, 2)))
      return refuse("Variablenadresse außerhalb der Variablen", o.name);
  const int init = im.word(base + kHeaderInit);
  if (init != kNoInit) {
    im.initObject = im.objectAt(init);
    if (im.initObject < 0) return refuse("*INIT-Eintrag außerhalb der Objekttabelle");
  }
  return {std::move(im), {}};
}

}  // namespace kelvaro::sim
