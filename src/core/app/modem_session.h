// A telephone link run without the windows: the modem window's two timers and the main
// window's receive tick with the link's own frames, one 100 ms pass at a time, and the moment
// the link is open for commands. The unit says nothing when it accepts a password, so the link
// counts as open once the unit has been quiet for a while after the link came up or after its
// last password request. The headless modem commands and the program transfer over the
// telephone both dial through here.
#pragma once

#include <cstdint>
#include <functional>

namespace kelvaro {

class ModemConnection;
class ModemFrames;
class Protocol;

// The unit's silence after which the link is open: longer than a wrong-password reply or a new
// request takes over the slowest link.
inline constexpr std::uint64_t kModemQuietMs = 4320;

enum class ModemEvent {
  LinkUp,         // CONNECT: the link's frames start
  WrongPassword,  // the unit's "L", told before it asks again
  EndedByUnit,    // the unit's "H"
  Open,           // quiet long enough: commands may go
};

enum class ModemOpenResult { Open, NoLink, Refused, Ended, TimedOut };

class ModemSession {
 public:
  // waitTick waits one timer period (100 ms, in whatever time the line runs on).
  ModemSession(ModemConnection& connection, ModemFrames& frames, Protocol& protocol,
               std::function<void()> waitTick);

  // Told of each event as it happens, before the frame that follows it is answered.
  std::function<void(ModemEvent)> onEvent;

  // One pass: a timer period, the modem window's timers, and while the link is up the main
  // window's receive tick. Frames that are not the link's own are dropped: nobody here shows
  // them.
  void tick();

  // Dials the connection's number and runs passes until the link is open, the dial failed (the
  // connection has told why), the unit refused or ended the link, or limitMs have passed.
  ModemOpenResult dialAndOpen(std::uint64_t limitMs);

  bool open() const { return m_open; }
  bool everConnected() const { return m_everConnected; }
  bool endedByUnit() const { return m_endedByUnit; }
  // Open after at least one password request whose last answer was sent.
  bool passwordAccepted() const;

 private:
  std::uint64_t nowMs() const;

  ModemConnection& m_connection;
  ModemFrames& m_frames;
  Protocol& m_protocol;
  std::function<void()> m_waitTick;
  bool m_wasConnected = false;
  bool m_everConnected = false;
  bool m_open = false;
  bool m_endedByUnit = false;
  std::uint64_t m_quietSince = 0;
};

}  // namespace kelvaro
