// Station messages in a run, decoded and encoded per station type, with hand-computed frames.
#include "runtime/station_messages.h"

#include <gtest/gtest.h>

#include "runtime/station_outputs.h"
#include "text/hex_text.h"

namespace kelvaro {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Codes = std::vector<std::optional<std::int32_t>>;
const Codes kShutterCodes{253, 4, 252};

StationObject station(std::int32_t type, char kind, std::int32_t channel = 0, std::int32_t mode = 0,
                      std::int32_t bit = 0, bool extTrans = false) {
  return {.typeCode = type, .channel = channel, .bitNumber = bit, .channelMode = mode, .extTrans = extTrans,
          .codes = extTrans ? kShutterCodes : Codes{}, .kind = kind, .stateCount = 2, .hdwTyp = 0};
}

std::string valueText(const std::optional<std::int32_t>& v) { return v ? std::to_string(*v) : "-"; }

std::string summary(const ValueMessage& m) {
  return valueText(m.value) + (m.acknowledge ? " ack" : "") + (m.radioSeen ? " seen" : "") +
         (m.batteryLow ? " battery" : "") + (m.thermostatValue ? " thermostat" : "") + (m.protocolLine ? " log" : "");
}

TEST(StationMessages, ValueMessagesPerStationType) {
  struct Row { int line; StationObject object; Bytes data; int level; const char* expected; };
  const Row rows[] = {
      {__LINE__, station(2, 'U', 2, 1), {0x42, 1}, 0, "1 ack log"},
      {__LINE__, station(2, 'U', 1, 1), {0x42, 1}, 0, "-"},  // channel 2's message, object on channel 1
      {__LINE__, station(3, 'U', 1, 0, 0, true), {0x01, 252}, 0, "2 log"},
      {__LINE__, station(2, 'U', 1, 0, 0, true), {0x01, 251}, 0, "- log"},
      {__LINE__, station(7, 'Z'), {0x05, 9}, 0, "9 log"},
      {__LINE__, station(9, 'Z', 1), {1, 0x10, 0x02}, 0, "528 log"},
      {__LINE__, station(9, 'Z', 2), {1, 0x10, 0x02}, 0, "- log"},
      {__LINE__, station(21, 'Z', 2), {2, 0xEB, 0x80}, 0, "-235 log"},
      {__LINE__, station(26, 'Z', 1), {1, 0xEB}, 0, "- log"},
      {__LINE__, station(401, 'U'), {0xA0, 19}, 0, "1 log"},
      {__LINE__, station(401, 'U'), {0xA0, 24}, 0, "0 log"},
      {__LINE__, station(401, 'U'), {0xA0, 17}, 0, "1 log"},
      {__LINE__, station(401, 'Z'), {0xA0, 19}, 0, "19 log"},
      {__LINE__, station(401, 'U'), {0x80, 19}, 0, "- log"},
      {__LINE__, station(552, 'Z'), {0xA0, 0x80, 0x35, 0x02}, 120, "-235 seen log"},
      {__LINE__, station(552, 'Z'), {0xA0, 0x80, 0x35, 0x02}, 110, "13696 seen log"},
      {__LINE__, station(552, 'Z'), {0xA0, 0xEB, 0x80}, 110, "-235 seen log"},
      {__LINE__, station(552, 'Z'), {0xA0, 0x80, 0x35}, 120, "- seen log"},
      {__LINE__, station(551, 'Z', 1), {0xA0, 0x80, 0x35, 0x02}, 120, "-235 seen log"},
      {__LINE__, station(551, 'Z', 2), {0xA0, 0, 0, 0x50, 0x56}, 120, "565 seen log"},
      {__LINE__, station(551, 'Z', 2), {0xA0, 0, 0, 0x35, 0x02}, 110, "565 seen log"},
      {__LINE__, station(551, 'Z', 3), {0xA0, 0, 0, 0x35, 0x02}, 110, "- seen log"},
      {__LINE__, station(553, 'Z'), {0xA0, 7}, 120, "-7 seen log"},
      {__LINE__, station(554, 'U'), {0xA0, 2}, 120, "1 seen log"},
      {__LINE__, station(565, 'U'), {0xA0, 4}, 120, "0 seen log"},
      {__LINE__, station(557, 'Z'), {0xA0, 42}, 120, "42 seen log"},
      {__LINE__, station(557, 'Z'), {0x60, 42}, 120, "- seen battery log"},
      {__LINE__, station(301, 'Z'), {0xA0, 'i', 'A', 43}, 120, "215 seen thermostat log"},
      {__LINE__, station(301, 'Z'), {0xA0, 'i', 'A'}, 120, "- seen log"},
      {__LINE__, station(201, 'U'), {0xA0, 1}, 120, "-"},
      {__LINE__, station(557, 'Z'), {}, 120, "-"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(summary(decodeValueMessage(r.data, r.object, r.level)), r.expected);
  }
}

TEST(StationMessages, InputStateMessagesPerStationType) {
  StationObject actor = station(8, 'U', 0, 0, 0, true);
  actor.hdwTyp = 1;
  struct Row { int line; StationObject object; Bytes data; const char* value; const char* logged; bool mark; };
  const Row rows[] = {
      {__LINE__, station(2, 'U', 2, 1), {0xC0, 0b10}, "1", "-", false},
      {__LINE__, station(2, 'U', 1, 1), {0xC0, 0b10}, "0", "-", false},
      {__LINE__, station(2, 'U', 2, 1, 2), {0xC0, 0b100}, "1", "-", false},
      {__LINE__, station(2, 'U', 1, 1, 0, true), {0xC0, 1}, "0", "-", false},  // code 1 not in the list
      {__LINE__, station(2, 'U', 1, 0), {0xC0, 7}, "7", "-", false},
      {__LINE__, station(21, 'U', 2), {0xC0, 0b10}, "1", "-", false},
      {__LINE__, actor, {0xC1, 250}, "2", "250", false},
      {__LINE__, station(26, 'U', 2), {0xC0, 0, 0b10}, "1", "2", false},
      {__LINE__, station(26, 'U', 2), {0xC0, 0}, "-", "-", false},
      {__LINE__, station(9, 'U', 0, 0, 2), {0xC0, 0b10}, "1", "-", false},
      {__LINE__, station(9, 'U'), {0xC0, 0b10}, "-", "-", false},
      {__LINE__, station(301, 'Z'), {0xC4}, "-", "-", true},
      {__LINE__, station(301, 'Z'), {0xC5, 0}, "-", "-", false},
      {__LINE__, station(26, 'Z'), {0xC0, 0x10}, "16", "-", false},
      {__LINE__, station(26, 'Z'), {0xC0, 0x10, 0x02, 0, 0, 0}, "528", "-", false},
      {__LINE__, station(26, 'Z'), {0xC0}, "-", "-", false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    const InputState s = decodeInputState(r.data, r.object);
    EXPECT_EQ(valueText(s.value), r.value);
    EXPECT_EQ(valueText(s.protocolValue), r.logged);
    EXPECT_EQ(s.thermostatMark, r.mark);
  }
}

TEST(StationMessages, ErrorReportActsOnTheSecondEqualReport) {
  ErrorReportFilter filter;
  struct Row { int line; Bytes data; bool acts; };
  const Row rows[] = {
      {__LINE__, {0xFE, 12, 0x81}, false}, {__LINE__, {0xFE, 12}, false},  // too short: no change
      {__LINE__, {0xFE, 12, 1}, true},     {__LINE__, {0xFE, 12, 1}, false},  // the pair was forgotten
      {__LINE__, {0xFE, 13, 1}, false},    {__LINE__, {0xFE, 12, 1}, false},
      {__LINE__, {0xFE, 12, 1}, true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    const auto failure = filter.take(r.data);
    EXPECT_EQ(failure.value_or(StationFailure{}), (r.acts ? StationFailure{12, 1} : StationFailure{}));
  }
  EXPECT_EQ(stationNotAnsweringText("Keller"), "Signalstation Keller reagiert nicht");
}

TEST(StationMessages, OutputsPerKindAndStationType) {
  const std::string longText(40, 'A');
  std::string longHex = "00";
  for (int i = 0; i < 35; ++i) longHex += " 41";
  struct Row { int line; StationObject object; std::int32_t number; std::string_view text; std::string expected; };
  const Row rows[] = {
      {__LINE__, station(301, 'Z'), 215, "", "41 2B"},
      {__LINE__, station(301, 'Z'), 210, "", "41 2A"},
      {__LINE__, station(301, 'Z'), 9000, "", "41 FF"},
      {__LINE__, station(221, 'Z'), 100, "", "64"},
      {__LINE__, station(221, 'Z'), 300, "", "2C 01 00"},
      {__LINE__, station(9, 'Z'), 528, "", "02 10 00"},
      {__LINE__, station(4, 'Z'), 528, "", "00 10 00"},
      {__LINE__, station(201, 'U'), 1, "", "01"},
      {__LINE__, station(1, 'U', 2, 1), 1, "", "02 01"},
      {__LINE__, station(1, 'U', 2, 0), 1, "", "00 01"},
      {__LINE__, station(26, 'U', 1, 1, 0, true), 2, "", "01 FC"},
      {__LINE__, station(26, 'U', 1, 1, 0, true), 3, "", "-"},
      {__LINE__, station(6, 'S'), 0, "Hi", "00 48 69"},
      {__LINE__, station(9, 'S'), 0, longText, longHex},  // the measuring station shows 35 characters
      {__LINE__, station(0, 'Z'), 1, "", "-"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    const auto out = encodeOutput(r.object, ObjectAddress{1, 1, {12, 0, 0, 0}}, {r.number, r.text});
    EXPECT_EQ(out ? hexBytes(out->data) : "-", r.expected);
    if (out) {
      EXPECT_EQ(out->sendMode, r.object.typeCode);
      EXPECT_EQ(out->header.Address[0], 12);
    }
  }
  const auto vis = encodeVisualisationOutput(station(0, 'Z'), unitNumberOf(1234, 7), {528, ""});
  ASSERT_TRUE(vis);
  EXPECT_EQ(hexBytes(vis->data) + " to " + std::to_string(vis->header.Kind) + "/" + std::to_string(vis->header.Address[0]) +
                " mode " + std::to_string(vis->sendMode),
            "FF 10 02 to 18/52 mode 900");
  EXPECT_EQ(hexBytes(acknowledgement(station(2, 'U', 2, 1), {}).data), "89 02");
}

TEST(StationMessages, FramesAndVisualisationValuesNeverReadPastTheirData) {
  ReceivedFrame f;
  f.data.fill(0x55);  // left from an earlier frame
  struct Row { int line; int kind; int L; std::size_t count; };
  const Row rows[] = {{__LINE__, 1, 6, 2}, {__LINE__, 199, 4, 0}, {__LINE__, 4, 12, 3}, {__LINE__, 4, 8, 1}, {__LINE__, 7, 20, 0}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    f.receiver.Kind = r.kind;
    f.L = r.L;
    EXPECT_EQ(frameData(f).size(), r.count);
  }
  struct Vis { int line; Bytes data; char kind; std::string expected; };
  const Vis values[] = {
      {__LINE__, {0xFF, 2, 'H', 'i'}, 'S', "Hi"}, {__LINE__, {0xFF, 5, 'H'}, 'S', "-"},
      {__LINE__, {0xFF, 0, 3}, 'U', "3"},         {__LINE__, {0xFF, 0}, 'U', "-"},
      {__LINE__, {0xFF, 0, 0x01, 0x80}, 'Z', "-1"}, {__LINE__, {0xFF, 0, 0x00, 0x80}, 'Z', "32768"},
      {__LINE__, {0xFF, 0, 0x01}, 'Z', "-"},
  };
  for (const auto& v : values) {
    SCOPED_TRACE(v.line);
    const auto value = decodeVisualisationValue(v.data, v.kind);
    const std::string text = !value ? "-" : value->index() == 0 ? std::to_string(std::get<0>(*value)) : std::get<1>(*value);
    EXPECT_EQ(text, v.expected);
  }
  EXPECT_EQ(unitNumberOf(0, 5), 0xA005);
  EXPECT_EQ(unitNumberOf(10000, 2), 0xA002);
  EXPECT_EQ(unitNumberOf(9009, 2), 0x9009);  // inner and trailing zeros keep their places
  EXPECT_TRUE(matchesSender({1, 1, {12, 9, 9, 0}}, {1, 1, {12, 0, 0}}));
  EXPECT_FALSE(matchesSender({4, 1, {12, 0, 0, 0}}, {1, 1, {12, 0, 0}}) ||  // other line
               matchesSender({4, 2, {12, 7, 0, 0}}, {4, 3, {12, 8, 0}}));  // second address byte
}

}  // namespace
}  // namespace kelvaro
