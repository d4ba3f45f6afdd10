// The fields of the sun-time settings window.
#include "app/sun_settings_form.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "astro/sun_times.h"
#include "storage/settings.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

std::string decimalText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  std::string result = text;
  std::replace(result.begin(), result.end(), '.', ',');
  return result;
}

bool isBlankTime(const std::string& text) { return text.find_first_not_of(" :") == std::string::npos; }

}  // namespace

SunSettingsForm sunSettingsForm(const Settings& settings) {
  SunSettingsForm form;
  form.longitude = decimalText(settings.GEOLANG);
  form.latitude = decimalText(settings.GEOBREIT);
  form.sunriseCorrection = settings.SUNRISEK;
  form.sunsetCorrection = settings.SUNSETK;
  form.sunriseEarliest = settings.SUNRISEZ1;
  form.sunriseLatest = settings.SUNRISEZ2;
  form.sunsetEarliest = settings.SUNSETZ1;
  form.sunsetLatest = settings.SUNSETZ2;
  return form;
}

std::optional<double> readDecimal(const std::string& text) {
  std::string t;
  for (char c : text) {
    if (c == ' ') continue;
    t += c == ',' ? '.' : c;
  }
  if (t.empty() || t.size() > 24) return std::nullopt;
  // Only plain decimals: no exponents, hexadecimal numbers, "inf" or "nan".
  if (t.find_first_not_of("+-.0123456789") != std::string::npos) return std::nullopt;
  return parseReal(t);
}

std::optional<std::string> applySunSettingsForm(Settings& settings, const SunSettingsForm& form) {
  const std::optional<double> longitude = readDecimal(form.longitude);
  if (!longitude) return fromUtf8("Die geografische Länge \"") + form.longitude + "\" ist keine Zahl.";
  const std::optional<double> latitude = readDecimal(form.latitude);
  if (!latitude) return "Die geografische Breite \"" + form.latitude + "\" ist keine Zahl.";

  struct Limit {
    const std::string* text;
    std::string Settings::*target;
    const char* label;  // UTF-8
  };
  const Limit limits[] = {
      {&form.sunriseEarliest, &Settings::SUNRISEZ1, "Sonnenaufgang frühestens"},
      {&form.sunriseLatest, &Settings::SUNRISEZ2, "Sonnenaufgang spätestens"},
      {&form.sunsetEarliest, &Settings::SUNSETZ1, "Sonnenuntergang frühestens"},
      {&form.sunsetLatest, &Settings::SUNSETZ2, "Sonnenuntergang spätestens"},
  };
  for (const Limit& limit : limits)
    if (!isBlankTime(*limit.text) && (limit.text->size() > kSunTimeCapacity || !readLimitTime(*limit.text)))
      return fromUtf8(limit.label) + ": \"" + *limit.text + "\" ist keine Uhrzeit.";

  SunSettings check;
  check.longitude = *longitude;
  check.latitude = *latitude;
  if (std::optional<std::string> error = sunSettingsError(check)) return error;

  Settings updated = settings;
  updated.GEOLANG = *longitude;
  updated.GEOBREIT = *latitude;
  updated.SUNRISEK = std::clamp(form.sunriseCorrection, -90, 90);
  updated.SUNSETK = std::clamp(form.sunsetCorrection, -90, 90);
  for (const Limit& limit : limits) updated.*limit.target = isBlankTime(*limit.text) ? std::string() : *limit.text;
  if (updated.GEOLANG != settings.GEOLANG || updated.GEOBREIT != settings.GEOBREIT) updated.PLZ = 0;
  const bool changed = updated.GEOLANG != settings.GEOLANG || updated.GEOBREIT != settings.GEOBREIT ||
                       updated.SUNRISEK != settings.SUNRISEK || updated.SUNSETK != settings.SUNSETK ||
                       updated.SUNRISEZ1 != settings.SUNRISEZ1 || updated.SUNRISEZ2 != settings.SUNRISEZ2 ||
                       updated.SUNSETZ1 != settings.SUNSETZ1 || updated.SUNSETZ2 != settings.SUNSETZ2;
  if (changed) updated.settingsChanged = true;
  settings = std::move(updated);
  return std::nullopt;
}

}  // namespace kelvaro
