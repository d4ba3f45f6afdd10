// The program image as the simulated control unit reads it: the header, the object table and
// the places its entries point to, checked once when the program is taken over, so that the
// interpreter never follows an address out of the image. Everything else (variables, code) is
// read from the image bytes while the program runs, through the checked accessors below.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kelvaro::sim {

// One entry of the object table (24 bytes).
struct ImageObject {
  int entry = 0;               // address of the entry
  std::uint16_t unit = 0;      // the unit number the visualisation addresses it by
  std::uint8_t hardware[6]{};  // line, addresses and channels of its devices
  char kind = 0;               // "U", "Z", "S", "B", ...
  std::uint8_t flags = 0;      // 0x02 active, 0x04 run on reception, 0x08 code list, 0x10 input
  std::uint8_t priority = 0;
  int programStart = 0;        // both 0 when the object has no code
  int programEnd = 0;
  int stateAddress = 0;        // 0 for a Knopf
  int ctAddress = 0;
  std::string name;            // Windows-1252
};

// A validated image. Addresses are the control unit's own.
struct FirmwareImage {
  std::vector<std::uint8_t> memory;  // 0x10000 bytes, a working copy the program changes
  int base = 0;
  int last = 0;          // address of the image's last byte
  int objectTable = 0;   // address of the first entry
  int codeFirst = 0;     // first code byte (the byte after AA CC AA)
  int codeEnd = 0;       // address of the AA BB AA that ends the code
  int sunrise = 0;       // the two weekly tables, 104 bytes each
  int sunset = 0;
  int initObject = -1;   // index of "*INIT" in objects, -1 without
  std::vector<ImageObject> objects;  // in table order: ascending priority
  std::string programName;

  // Bounds-checked reads: 0xFF / 0xFFFF outside the image.
  bool inside(int address, int count = 1) const { return address >= base && count >= 0 && address + count - 1 <= last; }
  std::uint8_t byte(int address) const { return inside(address) ? memory[static_cast<std::size_t>(address)] : 0xFF; }
  int word(int address) const { return byte(address) << 8 | byte(address + 1); }
  // Variables live between the type table and the code; only there may a program write.
  bool inVariables(int address, int count = 1) const {
    return address >= base + 14 && count >= 0 && address + count - 1 < codeFirst - 3;
  }
  void set(int address, std::uint8_t value) {
    if (inVariables(address)) memory[static_cast<std::size_t>(address)] = value;
  }
  // The object whose entry + 8 this pointer is; -1 for none.
  int objectAt(int pointer) const;
};

struct ImageRead {
  std::optional<FirmwareImage> image;
  std::string error;  // why it was refused (German, as the unit's log shows it)
};

// Checks and reads the image the unit was loaded with: memory is the unit's whole 64 KiB,
// base the load address, loadedEnd one past the last byte that actually arrived.
ImageRead readFirmwareImage(std::span<const std::uint8_t> memory, int base, int loadedEnd);

}  // namespace kelvaro::sim
