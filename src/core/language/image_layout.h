// The byte layout of the control unit's program image, for everything that reads an image:
// offsets in the header and in an object-table entry, the marker sequences and the kind codes
// of the variable table. All 16-bit values in the image are stored high byte first.
#pragma once

#include <cstdint>

namespace kelvaro::image_layout {

// Header, at the image base.
inline constexpr int kHeaderObjectTable = 0;  // object table + 8
inline constexpr int kHeaderSize = 2;         // last byte - base
inline constexpr int kHeaderInit = 4;         // "*INIT" entry + 8, or kNoInit
inline constexpr int kHeaderSunrise = 6;
inline constexpr int kHeaderSunset = 8;
inline constexpr int kTypeTable = 14;         // the type-state table starts here
inline constexpr int kNoInit = 0xFFFE;
inline constexpr int kStateRecord = 17;       // length byte and 16 characters

// Object-table entry, 24 bytes; pointers to an entry are its address + kEntryPointer.
inline constexpr int kEntrySize = 24;
inline constexpr int kEntryPointer = 8;
inline constexpr int kEntryUnit = 0;
inline constexpr int kEntryHardware = 2;
inline constexpr int kEntryKind = 8;
inline constexpr int kEntryFlags = 9;
inline constexpr int kEntryPriority = 10;
inline constexpr int kEntryStart = 11;
inline constexpr int kEntryEnd = 13;
inline constexpr int kEntryState = 15;
inline constexpr int kEntryCt = 17;
inline constexpr int kEntryCodeList = 20;
inline constexpr int kEntryNameRef = 22;
inline constexpr std::uint8_t kFlagActive = 0x02;
inline constexpr std::uint8_t kFlagRunOnReception = 0x04;
inline constexpr std::uint8_t kFlagCodeList = 0x08;
inline constexpr std::uint8_t kFlagInput = 0x10;

// Markers: AA CC AA ends the variable table, AA BB AA the code; the trailer is "XX", the
// program name in 8 characters, one unwritten byte and a blank (the image's last byte).
inline constexpr std::uint8_t kMark = 0xAA;
inline constexpr std::uint8_t kEndVariables = 0xCC;
inline constexpr std::uint8_t kEndCode = 0xBB;
inline constexpr int kTrailerSize = 12;
inline constexpr int kSunTableSize = 104;
inline constexpr std::uint8_t kNameRecord = 0x06;

// Kind codes of the variable table; a state entry has kKindStateFlag set, a literal with
// wildcards kKindWildcard.
inline constexpr std::uint8_t kKindUser = 0x01;
inline constexpr std::uint8_t kKindInteger = 0x02;
inline constexpr std::uint8_t kKindText = 0x06;
inline constexpr std::uint8_t kKindDate = 0x07;
inline constexpr std::uint8_t kKindTime = 0x08;
inline constexpr std::uint8_t kKindDateTime = 0x09;
inline constexpr std::uint8_t kKindStateFlag = 0x80;
inline constexpr std::uint8_t kKindWildcard = 0x40;
inline constexpr int kTextBytes = 102;

// In the image's code a reference below this is a system value: its number minus 16384.
inline constexpr int kSystemValueOffset = 16384;

}  // namespace kelvaro::image_layout
