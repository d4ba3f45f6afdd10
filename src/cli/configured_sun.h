// The sun-time settings of the ASTRO section of kelvaro.INI, for the commands that need them.
#pragma once

#include "astro/sun_times.h"

namespace kelvaro::cli {

// The defaults when there is no settings file.
SunSettings configuredSunSettings();

}  // namespace kelvaro::cli
