// The main window's side of a modem link: the unit's password request and its answer, the end
// of the link from either side, and the request for the unit's project that starts a remote
// visualisation. The main window's receive timer hands the slot here while the link is up.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "hardware/protocol.h"

namespace kelvaro {

class UserInterface;

inline constexpr std::string_view kPasswordCaption = "Kennworteingabe";
inline constexpr std::string_view kWrongPasswordText = "Falsches Kennwort eingegeben";
inline constexpr std::size_t kLinkPasswordLength = 6;

// The password answer: "K", the password upper-cased, cut or padded with blanks to six
// characters, and a closing 0 (sent with L 12).
std::array<std::uint8_t, 8> passwordAnswer(std::string_view password);

// The request for the unit's project: "?", 0, 7, "?", 18, 0 (sent with L 10).
inline constexpr std::array<std::uint8_t, 6> kRemoteVisualisationRequest = {'?', 0, 7, '?', 18, 0};

// Whether the frame is the unit's reply to that request: "?", x, 7, "?", x and eight characters.
bool isProjectReply(const ReceivedFrame& frame);
// The project name in that reply, blanks and what follows a NUL removed; nothing when the frame
// is no such reply, or when the name is empty or could lead out of the project directory.
std::optional<std::string> remoteProjectName(const ReceivedFrame& frame);

class ModemFrames {
 public:
  ModemFrames(Protocol& protocol, UserInterface& ui) : m_protocol(protocol), m_ui(ui) {}

  // The main window's receive tick while ModemLinkUp: takes the link's own frames ("J", "L",
  // "H" and the project reply) from the slot and answers them; leaves every other frame.
  // True when it took one.
  bool handleSlot();

  // "Remote-&Visualisierung": asks the unit for its project; false without a link.
  bool requestRemoteVisualisation();
  // Tells the unit that the PC ends the link ("H", 0); false without a link.
  bool sendEnd();

  // How often the password was asked on this link's requests, and whether the last question
  // went unanswered (cancelled or empty: nothing was sent, the unit stays locked).
  int passwordsAsked() const { return m_passwordsAsked; }
  bool passwordRefused() const { return m_passwordRefused; }

  // The unit named its project: the main window shows the name, loads NAME.SPG and starts the
  // visualisation of the unit.
  std::function<void(const std::string& projectName)> remoteProject;

 private:
  // "Kennworteingabe" until the user enters a password or cancels.
  void askPassword();
  int send(std::span<const std::uint8_t> data, int L);

  Protocol& m_protocol;
  UserInterface& m_ui;
  bool m_asking = false;
  int m_passwordsAsked = 0;
  bool m_passwordRefused = false;
  // When the password was last asked after a wrong one.
  std::optional<std::uint64_t> m_askedAfterWrongMs;
};

}  // namespace kelvaro
