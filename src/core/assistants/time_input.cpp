#include "assistants/time_input.h"

namespace kelvaro {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isEmptyField(std::string_view text) { return text.find_first_not_of(" :") == std::string_view::npos; }

// The text a time takes in the lines: sunrise and sunset by their two letters.
std::string timeText(std::string_view field) {
  if (field == kSunriseClockText) return "SA";
  if (field == kSunsetClockText) return "SU";
  return std::string(field);
}

}  // namespace

ClockCorrection correctClockInput(std::string_view typed) {
  ClockCorrection result{std::string(kEmptyClockText), -1};
  for (std::size_t i = 0; i < typed.size() && i < result.text.size(); ++i) result.text[i] = typed[i];
  for (char& c : result.text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  std::string& t = result.text;
  auto set = [&](int at, char c) {
    if (t[at] == c) return;
    t[at] = c;
    result.caret = at;
  };
  if (t[0] > '2' && t[0] != 'S') set(0, '2');
  if (t[0] == 'S' && t[1] != 'A' && t[1] != 'U' && t[1] != ' ') set(1, ' ');
  if (t[0] == '2' && t[1] > '3') set(1, '3');
  if (t[3] > '5') set(3, '5');
  if (t[6] > '5') set(6, '5');
  if (t[7] != ' ' && t[7] != '0' && t[7] != '5') set(7, '0');
  return result;
}

std::optional<std::string> leaveClockInput(std::string_view text) {
  if (text.size() != kEmptyClockText.size() || text[2] != ':' || text[5] != ':') return std::nullopt;
  if (text == kEmptyClockText || text == kSunriseClockText || text == kSunsetClockText) return std::string(text);
  std::string t(text);
  for (std::size_t i = 0; i < t.size(); ++i)
    if (t[i] == ' ') t[i] = '0';
  for (int i : {0, 1, 3, 4, 6, 7})
    if (!isDigit(t[i])) return std::nullopt;
  const int hours = (t[0] - '0') * 10 + (t[1] - '0');
  if (hours >= 24 || t[3] >= '6' || t[6] >= '6') return std::nullopt;
  return t;
}

TimeWindowLabels timeWindowLabels(TimeWindowKind kind) {
  switch (kind) {
    case TimeWindowKind::SwitchOn: return {"Einschalten um", "", true};
    case TimeWindowKind::SwitchOff: return {"Ausschalten um", "", true};
    case TimeWindowKind::OnAndOff: return {"Einschalten um", "Ausschalten um", true};
    case TimeWindowKind::Between: return {"Uhrzeit zwischen", "und", true};
    case TimeWindowKind::Duration: return {"Zeitdauer", "", false};
    case TimeWindowKind::Shutter: return {"Rolladen rauf um", "Rolladen runter um", true};
  }
  return {};
}

std::optional<TimeWindowResult> timeWindowResult(TimeWindowKind kind, std::string_view first, std::string_view second,
                                                 const std::array<bool, 7>& days) {
  const bool firstEmpty = isEmptyField(first), secondEmpty = isEmptyField(second);
  if (kind == TimeWindowKind::Shutter ? firstEmpty && secondEmpty : firstEmpty) return std::nullopt;
  TimeWindowResult result;
  if (kind == TimeWindowKind::Duration) {
    result.firstTime = std::string(first);
    return result;
  }
  std::string dayText;
  for (std::size_t i = 0; i < days.size(); ++i) {
    result.dayMask += days[i] ? '1' : '0';
    if (days[i]) dayText += std::string(kWeekdayNames[i]) + " ";
  }
  const bool anyDay = !dayText.empty();
  if (anyDay) result.dayComment = "** Am " + dayText;
  if (kind == TimeWindowKind::Shutter) {
    if (anyDay) result.conditionLine = "WENN TAG =+ \"" + result.dayMask + "\" DANN";
    if (!firstEmpty) result.firstTime = "\"" + timeText(first) + "\"";
    if (!secondEmpty) result.secondTime = "\"" + timeText(second) + "\"";
    return result;
  }
  result.firstTime = timeText(first);
  if (!secondEmpty) result.secondTime = timeText(second);
  result.conditionLine = anyDay
                             ? "WENN TAG =+ \"" + result.dayMask + "\" UND UHRZEIT = \"" + result.firstTime + "\" DANN"
                             : "WENN UHRZEIT = \"" + result.firstTime + "\" DANN";
  return result;
}

}  // namespace kelvaro
