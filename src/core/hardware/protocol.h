// The frame protocol of the control unit and the radio PC interface: building and sending
// frames, receiving them from any byte stream, identifying the attached device, the search
// over ports, the check before every action and the receive slot of the main window.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/serial_line.h"

namespace kelvaro {

class UserInterface;

inline constexpr std::uint8_t kStartByte = 0x81;
inline constexpr int kKindUnit = 201;
inline constexpr int kKindStation = 1;
inline constexpr int kKindRadio = 4;
inline constexpr int kKindValue = 199;  // a received frame whose first data byte is 0xFF
inline constexpr int kModeNoMessage = 900;

// Results of SendFrame besides the byte count.
inline constexpr int kSendNoHandshake = -2;
inline constexpr int kSendRadioNotReady = -3;
inline constexpr int kSendInvalidMode = -4;
// Results of ReceiveFrame besides the byte count.
inline constexpr int kReceiveNothing = -1;
inline constexpr int kReceiveChecksum = -2;
inline constexpr int kReceiveBadLength = -99;

struct FrameHeader {
  std::int32_t Kind = 0;
  std::int32_t Class = 0;
  std::array<std::uint8_t, 3> Address{};
};
inline constexpr FrameHeader kEmptyHeader{};

struct UnitRecord {
  bool HardwareControl = false;
  bool UnitChecked = false;
  bool Connected = false;
  std::string PortName;
  std::string TypeName;
  std::int32_t TypeCode = 0;
  std::int32_t Version = 0;  // hundredths: 351 is 3.51
  std::uint16_t FeatureLevel = 0;
  std::uint16_t DeviceClass = 0;
  std::uint8_t SummerTimeMode = 0;
  std::array<std::uint16_t, 4> Capability{};
};

struct ReceivedFrame {
  int L = 0;
  FrameHeader receiver;
  FrameHeader sender;
  std::array<std::uint8_t, 256> data{};
  std::uint8_t status1 = 0;
  std::uint8_t status2 = 0;
};

// The frame SendFrame writes for this mode, checksum filled; empty for an invalid mode or a
// length that does not make a frame of 6 to 256 bytes from the data given.
std::vector<std::uint8_t> buildFrame(int sendMode, const FrameHeader& header, int L,
                                     std::span<const std::uint8_t> data);

// The decoded firmware version of an identification reply: 53 -> 350, 12 -> 12, 153 -> 351.
int decodeVersion(std::uint8_t versionByte);

// The data bytes ReceiveFrame filled for this frame, status byte first (kinds 1, 199 and 201:
// L - 4; radio frames: the first byte and those from frame byte 12). Bytes beyond them may be
// left from an earlier frame and are never looked at.
std::span<const std::uint8_t> frameData(const ReceivedFrame& frame);

// The feature level of a unit by its identification reply code and decoded version: radio
// interfaces give their version, the unit with radio 120 or 110 by its version, the others none.
int featureLevelOf(int replyCode, int version);

class Protocol {
 public:
  Protocol(SerialLine& line, UserInterface& ui);

  int SendFrame(int lineHandle, int sendMode, const FrameHeader& header, int L, std::span<const std::uint8_t> data);
  int ReceiveFrame(int lineHandle, ReceivedFrame& frame);

  bool IdentifyUnit(std::string_view portName, bool keepOpen);
  // Searches the preferred port, then COM1 ... COM4, then laterPorts in their order.
  bool FindUnit(int preferredPort, int selection, std::span<const std::string> laterPorts = {});
  // portText is the port field, selectedType the text of the type choice.
  bool CheckUnit(int mode, std::string_view portText, std::string_view selectedType);

  // One tick of the main window's receive timer: drops an old frame, takes a new one.
  void receiveTick();
  // Empties the slot.
  void clearSlot() { slot.L = 0; }
  // Waits up to days for a frame in the slot, letting the receive timer run; true when one came.
  bool waitForSlot(double days);
  // Lets the user interface work and notes a pressed "Abbruch".
  void processMessages();

  SerialLine& line() { return m_line; }
  UserInterface& ui() { return m_ui; }

  UnitRecord unit;
  ReceivedFrame slot;  // L 0: empty
  std::uint64_t slotTimeMs = 0;
  bool CancelRequested = false;
  bool receiveTimerRunning = true;

 private:
  bool waitRadioReady();
  SerialLine& m_line;
  UserInterface& m_ui;
  std::optional<std::uint64_t> m_lastRadioMs;
};

}  // namespace kelvaro
