// Reading scenario files: one declaration or event per line, words separated by blanks, a word
// beginning with "#" starts a comment. The first bad line stops the reading with its number and
// what is wrong.
#include "scenario.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "stations.h"
#include "text/text_util.h"

namespace kelvaro::sim {
namespace {

struct TypeName {
  std::string_view word;
  int code;
};
constexpr TypeName kTypeNames[] = {
    {"MXB2", 2}, {"DSP32", 6}, {"MFB1", 7}, {"JAL1", 8}, {"MXSA", 9}, {"40611x", 21}, {"40612x", 26},
};
constexpr int kWiredTypes[] = {2, 3, 4, 6, 7, 8, 9, 21, 26, 101};
constexpr int kRadioTypes[] = {201, 221, 301, 401, 551, 552, 553, 554, 555, 556, 557, 565};

bool contains(std::span<const int> list, int code) { return std::find(list.begin(), list.end(), code) != list.end(); }

// A "#" that begins a word begins the comment; inside a word it is a telephone key (1234#).
std::vector<std::string_view> wordsOf(std::string_view line) {
  for (std::size_t hash = line.find('#'); hash != std::string_view::npos; hash = line.find('#', hash + 1)) {
    if (hash == 0 || line[hash - 1] == ' ' || line[hash - 1] == '\t' || line[hash - 1] == '\r') {
      line = line.substr(0, hash);
      break;
    }
  }
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

std::string quoted(std::string_view word) { return "\"" + std::string(word) + "\""; }

// A plain decimal number, no sign, no blanks.
std::optional<int> digitsOf(std::string_view word) {
  if (word.empty() || word.size() > 9 || !std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return std::stoi(std::string(word));
}

// A byte as decimal or as 0x hexadecimal.
std::optional<std::uint8_t> byteOf(std::string_view word) {
  int v = -1;
  if (word.size() > 2 && word.size() <= 4 && (word.substr(0, 2) == "0x" || word.substr(0, 2) == "0X")) {
    v = 0;
    for (char c : word.substr(2)) {
      const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0) return std::nullopt;
      v = v * 16 + d;
    }
  } else if (const auto d = digitsOf(word)) {
    v = *d;
  }
  if (v < 0 || v > 255) return std::nullopt;
  return static_cast<std::uint8_t>(v);
}

// HH:MM, HH:MM:SS or HH:MM:SS.mmm as milliseconds.
std::optional<std::uint64_t> timeOf(std::string_view word) {
  std::uint64_t ms = 0;
  if (const auto dot = word.find('.'); dot != std::string_view::npos) {
    const auto fraction = word.substr(dot + 1);
    const auto v = digitsOf(fraction);
    if (!v || fraction.size() > 3) return std::nullopt;
    ms = static_cast<std::uint64_t>(*v) * (fraction.size() == 1 ? 100 : fraction.size() == 2 ? 10 : 1);
    word = word.substr(0, dot);
  }
  std::vector<int> parts;
  std::size_t start = 0;
  while (true) {
    const auto colon = word.find(':', start);
    const auto part = word.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start);
    const auto v = digitsOf(part);
    if (!v || part.size() != 2) return std::nullopt;
    parts.push_back(*v);
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }
  if (parts.size() < 2 || parts.size() > 3 || parts[1] > 59 || (parts.size() == 3 && parts[2] > 59)) return std::nullopt;
  if (parts.size() == 2 && ms != 0) return std::nullopt;  // a fraction needs seconds before it
  const std::uint64_t seconds = static_cast<std::uint64_t>(parts[0]) * 3600 + static_cast<std::uint64_t>(parts[1]) * 60 +
                                (parts.size() == 3 ? static_cast<std::uint64_t>(parts[2]) : 0);
  return seconds * 1000 + ms;
}

// "10" for a wired station, "a.b.c" (or "a.b" for a room controller) for a radio device.
std::optional<std::array<std::uint8_t, 3>> addressOf(std::string_view word, bool wired, int type) {
  std::array<std::uint8_t, 3> address{};
  std::size_t count = 0, start = 0;
  while (true) {
    const auto dot = word.find('.', start);
    const auto part = word.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    const auto v = digitsOf(part);
    if (!v || *v > 255 || count == 3) return std::nullopt;
    address[count++] = static_cast<std::uint8_t>(*v);
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  // Station addresses 1 to 3 belong to the unit itself, 254 and 255 to nobody.
  if (wired) return count == 1 && address[0] >= 4 && address[0] <= 253 ? std::optional(address) : std::nullopt;
  return count == (type == 301 ? 2u : 3u) ? std::optional(address) : std::nullopt;
}

class Reader {
 public:
  std::string error;
  Scenario scenario;

  bool line(int number, std::string_view text) {
    m_line = number;
    const auto words = wordsOf(text);
    if (words.empty()) return true;
    if (words[0] == "wired" || words[0] == "radio") return declaration(words);
    if (words[0] == "at" || words[0] == "from") return event(words);
    return fail("unknown keyword " + quoted(words[0]) + " (expected wired, radio, at or from)");
  }

 private:
  bool fail(const std::string& message) {
    error = "line " + std::to_string(m_line) + ": " + message;
    return false;
  }

  bool declaration(const std::vector<std::string_view>& w) {
    // declaration -> (wired | radio) ADDRESS TYPE
    const bool wired = w[0] == "wired";
    if (w.size() != 3) return fail(std::string(w[0]) + " needs an address and a type");
    const int type = scenarioTypeCode(w[2]);
    if (type == 0) return fail("unknown device type " + quoted(w[2]));
    if (wired != contains(kWiredTypes, type))
      return fail("type " + std::to_string(type) + (wired ? " is not a wired station" : " is not a radio device"));
    const auto address = addressOf(w[1], wired, type);
    if (!address)
      return fail("bad address " + quoted(w[1]) +
                  (wired ? " (a station address is 4 to 253)"
                         : type == 301 ? " (a room controller has two address bytes, as 40.1)"
                                       : " (a radio address is three bytes 0 to 255, as 12.34.56)"));
    ScenarioDevice device{type, *address};
    if (scenario.find(device.addressText())) return fail("address " + device.addressText() + " is declared twice");
    scenario.devices.push_back(device);
    return true;
  }

  bool event(const std::vector<std::string_view>& w) {
    // event -> (at | from) TIME ADDRESS ACTION [ARGUMENTS]
    if (w.size() < 4) return fail(std::string(w[0]) + " needs a time, an address and an action");
    const auto time = timeOf(w[1]);
    if (!time) return fail("bad time " + quoted(w[1]) + " (expected HH:MM, HH:MM:SS or HH:MM:SS.mmm)");
    if (w[2] == "modem" || w[2] == "unit" || w[2] == "phone") return lineEvent(*time, w);
    const auto device = scenario.find(w[2]);
    if (!device) return fail("no device declared at address " + quoted(w[2]));
    ScenarioEvent e;
    e.atMs = *time;
    e.device = *device;
    e.line = m_line;
    const ScenarioDevice& d = scenario.devices[*device];
    const std::string_view action = w[3];
    const std::size_t rest = w.size() - 4;
    if (action == "silent" || action == "answers") {
      if (rest != 0) return fail(std::string(action) + " takes nothing after it");
      e.kind = action == "silent" ? ActionKind::Silent : ActionKind::Answers;
    } else if (action == "battery") {
      if (rest != 1 || (w[4] != "low" && w[4] != "ok")) return fail("battery needs low or ok");
      if (d.typeCode != 301 && d.typeCode < 500) return fail("type " + std::to_string(d.typeCode) + " reports no battery");
      e.kind = ActionKind::Battery;
      e.value = w[4] == "low" ? 1 : 0;
    } else if (action == "value") {
      if (rest != 1 && !(rest == 3 && w[5] == "channel")) return fail("value needs a number and optionally channel N");
      const auto v = parseInt(w[4]);
      if (!v) return fail("bad number " + quoted(w[4]));
      e.kind = ActionKind::Value;
      e.value = *v;
      if (rest == 3) {
        const auto c = digitsOf(w[6]);
        if (!c) return fail("bad channel " + quoted(w[6]));
        e.channel = *c;
      }
      // The layout can depend on the unit's feature level: the value must fit both forms.
      DeviceState probe;
      if (!valueMessage(d, probe, e.channel, e.value, 0) || !valueMessage(d, probe, e.channel, e.value, 120))
        return fail("type " + std::to_string(d.typeCode) + " cannot send value " + std::to_string(e.value) +
                    " on channel " + std::to_string(e.channel));
    } else if (action == "input" || action == "sends") {
      if (rest == 0) return fail(std::string(action) + " needs bytes");
      if (action == "input" && (!d.wired() || rest > 2)) return fail("input takes one or two bytes of a wired station");
      for (std::size_t i = 4; i < w.size(); ++i) {
        const auto b = byteOf(w[i]);
        if (!b) return fail("bad byte " + quoted(w[i]) + " (0 to 255, or 0x00 to 0xFF)");
        e.bytes.push_back(*b);
      }
      // 14 bytes fit every layout: a frame to the PC stays far below its 253.
      if (e.bytes.size() > 14) return fail("at most 14 bytes");
      e.kind = action == "input" ? ActionKind::Input : ActionKind::Raw;
    } else if (action == "button") {
      if (rest != 0) return fail("button takes nothing after it");
      if (!d.wired()) return fail("button is for a wired station");
      e.kind = ActionKind::Button;
    } else if (action == "errors") {
      const auto count = rest == 1 ? digitsOf(w[4]) : std::nullopt;
      if (!count || *count > 255) return fail("errors needs a count 0 to 255");
      if (!d.wired()) return fail("errors is for a wired station");
      e.kind = ActionKind::Errors;
      e.value = *count;
    } else {
      return fail("unknown action " + quoted(action) +
                  " (expected value, input, sends, battery, silent, answers, button or errors)");
    }
    scenario.events.push_back(std::move(e));
    return true;
  }

  bool lineEvent(std::uint64_t atMs, const std::vector<std::string_view>& w) {
    // lineEvent -> (at | from) TIME (modem (call | hangup) | unit hangup | phone (call | keys KEYS | hangup))
    const std::string_view subject = w[2], action = w[3];
    LineEvent e{atMs, LineAction::ModemCall, {}, m_line};
    if (subject == "phone" && action == "keys") {
      // What a telephone's keypad sends; 64 keys are more than any command the PC takes.
      constexpr std::string_view kKeys = "0123456789*#ABCD";
      if (w.size() != 5 || w[4].size() > 64 ||
          !std::all_of(w[4].begin(), w[4].end(), [&](char c) { return kKeys.find(c) != std::string_view::npos; }))
        return fail("keys needs up to 64 keys of 0 to 9, *, #, A to D");
      e.kind = LineAction::PhoneKeys;
      e.keys = std::string(w[4]);
    } else {
      const bool call = action == "call" && subject != "unit";
      if (!call && action != "hangup")
        return fail("unknown " + std::string(subject) + " action " + quoted(action) +
                    (subject == "unit"    ? " (expected hangup)"
                     : subject == "phone" ? " (expected call, keys or hangup)"
                                          : " (expected call or hangup)"));
      if (w.size() != 4) return fail(std::string(action) + " takes nothing after it");
      e.kind = subject == "modem"  ? (call ? LineAction::ModemCall : LineAction::ModemHangup)
               : subject == "unit" ? LineAction::UnitHangup
               : call              ? LineAction::PhoneCall
                                   : LineAction::PhoneHangup;
    }
    scenario.lineEvents.push_back(std::move(e));
    return true;
  }

  int m_line = 0;
};

}  // namespace

std::string ScenarioDevice::addressText() const {
  char text[16];
  if (wired()) std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(address[0]));
  else if (typeCode == 301) std::snprintf(text, sizeof text, "%u.%u", address[0], address[1]);
  else std::snprintf(text, sizeof text, "%u.%u.%u", address[0], address[1], address[2]);
  return text;
}

std::optional<std::size_t> Scenario::find(std::string_view addressText) const {
  for (std::size_t i = 0; i < devices.size(); ++i)
    if (devices[i].addressText() == addressText) return i;
  return std::nullopt;
}

int scenarioTypeCode(std::string_view word) {
  for (const auto& t : kTypeNames)
    if (equalsNoCase(t.word, word)) return t.code;
  const auto code = digitsOf(word);
  if (code && (contains(kWiredTypes, *code) || contains(kRadioTypes, *code))) return *code;
  return 0;
}

ScenarioLoad loadScenario(std::string_view text) {
  Reader reader;
  int number = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto end = text.find('\n', start);
    const auto line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!reader.line(++number, line)) return {{}, reader.error};
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  std::stable_sort(reader.scenario.events.begin(), reader.scenario.events.end(),
                   [](const ScenarioEvent& a, const ScenarioEvent& b) { return a.atMs < b.atMs; });
  std::stable_sort(reader.scenario.lineEvents.begin(), reader.scenario.lineEvents.end(),
                   [](const LineEvent& a, const LineEvent& b) { return a.atMs < b.atMs; });
  return {std::move(reader.scenario), {}};
}

}  // namespace kelvaro::sim
