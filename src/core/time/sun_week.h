// One week of the control unit's sun table: the sunrise and sunset times it switches by. The
// sun computation fills it and the program image stores it, so it lives below both.
#pragma once

namespace kelvaro {

struct SunWeek {
  int riseHour = 0, riseMinute = 0, setHour = 0, setMinute = 0;
};

}  // namespace kelvaro
