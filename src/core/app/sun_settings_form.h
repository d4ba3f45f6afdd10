// The fields of the window "Einstellungen zu Sonnenzeiten" as texts, and what its OK does
// with them, so that the checks of the entries are tested without the window.
#pragma once

#include <optional>
#include <string>

namespace kelvaro {

struct Settings;

struct SunSettingsForm {
  std::string longitude;  // decimal degrees; "," or "." as decimal separator
  std::string latitude;
  int sunriseCorrection = 0;  // minutes, -90 to 90
  int sunsetCorrection = 0;
  // "hh:mm:ss", or blank (the untouched mask "  :  :  ") for no limit.
  std::string sunriseEarliest, sunriseLatest;
  std::string sunsetEarliest, sunsetLatest;
};

// The fields as the window opens: coordinates with a decimal comma ("10,5").
SunSettingsForm sunSettingsForm(const Settings& settings);

// "10,5" or "10.5" -> 10.5; nothing for a text that is no number.
std::optional<double> readDecimal(const std::string& text);

// OK: checks every field and, only when all are good, stores them. A changed coordinate
// selects "Benutzerdefiniert" in the region list, as the position is no region's any more.
// Any change marks the settings for writing back at exit: values confirmed in this window
// must not vanish when nothing else was changed. Returns the message for the first bad
// field, and then stores nothing.
std::optional<std::string> applySunSettingsForm(Settings& settings, const SunSettingsForm& form);

}  // namespace kelvaro
