#include "assistant_arguments.h"

#include "assistants/time_input.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro::cli {

std::optional<std::string> clockField(const std::string& typed, bool sunTimes) {
  std::string text = upperCase(fromUtf8(typed));
  if (text.size() > 1 && text[1] == ':') text = "0" + text;  // 7:30 as the field shows it, 07:30
  if (sunTimes && text == "SA") return std::string(kSunriseClockText);
  if (sunTimes && text == "SU") return std::string(kSunsetClockText);
  const std::string full = text.size() == 5 ? text + ":00" : text;
  if (full.size() != kEmptyClockText.size() || full.find(' ') != std::string::npos) return std::nullopt;
  if (correctClockInput(full).text != full) return std::nullopt;
  const std::optional<std::string> left = leaveClockInput(full);
  if (!left || *left == kEmptyClockText) return std::nullopt;
  return left;
}

std::optional<int> weekdayIndex(const std::string& text) {
  const std::string name = fromUtf8(text);
  for (std::size_t i = 0; i < kWeekdayNames.size(); ++i)
    if (equalsNoCase(name, kWeekdayNames[i]) || (name.size() == 2 && equalsNoCase(name, kWeekdayNames[i].substr(0, 2))))
      return static_cast<int>(i);
  return std::nullopt;
}

}  // namespace kelvaro::cli
