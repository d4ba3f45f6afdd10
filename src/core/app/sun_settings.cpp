// Reading the ASTRO settings into sun-time parameters.
#include "app/sun_settings.h"

namespace kelvaro {
namespace {

bool isBlankTemplate(std::string_view text) {
  return text.find_first_not_of(" :") == std::string_view::npos;
}

struct LimitField {
  const std::string* text;
  std::optional<DateTime>* target;
  const char* label;
};

}  // namespace

SunSettings sunSettingsFrom(const Settings& settings, std::vector<std::string>* problems) {
  SunSettings s;
  s.longitude = settings.GEOLANG;
  s.latitude = settings.GEOBREIT;
  s.sunriseCorrection = settings.SUNRISEK;
  s.sunsetCorrection = settings.SUNSETK;
  const LimitField limits[] = {
      {&settings.SUNRISEZ1, &s.earliestSunrise, "Fr\xFChester Sonnenaufgang"},
      {&settings.SUNRISEZ2, &s.latestSunrise, "Sp\xE4tester Sonnenaufgang"},
      {&settings.SUNSETZ1, &s.earliestSunset, "Fr\xFChester Sonnenuntergang"},
      {&settings.SUNSETZ2, &s.latestSunset, "Sp\xE4tester Sonnenuntergang"},
  };
  for (const LimitField& limit : limits) {
    if (isBlankTemplate(*limit.text)) continue;
    *limit.target = readLimitTime(*limit.text);
    if (!*limit.target && problems)
      problems->push_back(std::string(limit.label) + " \"" + *limit.text + "\" ist keine Uhrzeit und bleibt unbeachtet");
  }
  if (problems)
    if (auto error = sunSettingsError(s)) problems->push_back(std::move(*error));
  return s;
}

}  // namespace kelvaro
