// The sun-time parameters taken from the settings file's ASTRO section. It sits above both
// the settings and the sun computation, which know nothing of each other.
#pragma once

#include <string>
#include <vector>

#include "astro/sun_times.h"
#include "storage/settings.h"

namespace kelvaro {

// Takes the values of the settings. A limit text of nothing but blanks and colons, like the
// untouched field "  :  :  ", means no limit; any other text that does not read as a time of day ("hh:mm:ss"
// or "hh:mm", blanks around a field allowed) counts as no limit too, and a message saying so
// is added to problems. Problems of the coordinates (see sunSettingsError) are added as well.
SunSettings sunSettingsFrom(const Settings& settings, std::vector<std::string>* problems = nullptr);

}  // namespace kelvaro
