// The devices behind the simulated control unit: scenario files, and the frames the devices
// send and take, read back with the PC's own receive and decoding code.
#include <gtest/gtest.h>


#include "runtime/station_messages.h"
#include "scenario.h"
#include "serial_fixture.h"
#include "text/hex_text.h"

namespace kelvaro::test {
namespace {

// The scenario as one line: devices, then "ms address action value/channel bytes" per event.
std::string summary(const sim::Scenario& s) {
  static const char* const kActions[] = {"value", "input", "battery", "silent", "answers", "sends", "button", "errors"};
  std::string text;
  for (const auto& d : s.devices) text += d.addressText() + ":" + std::to_string(d.typeCode) + " ";
  for (const auto& e : s.events)
    text += "| " + std::to_string(e.atMs) + " " + s.devices[e.device].addressText() + " " +
            kActions[static_cast<int>(e.kind)] + " " + std::to_string(e.value) + "/" + std::to_string(e.channel) +
            (e.bytes.empty() ? "" : " " + hexBytes(e.bytes)) + " ";
  static const char* const kLineActions[] = {"modem call", "modem hangup", "unit hangup",
                                             "phone call", "phone keys",   "phone hangup"};
  for (const auto& e : s.lineEvents)
    text += "| " + std::to_string(e.atMs) + " " + kLineActions[static_cast<int>(e.kind)] + " " + e.keys + " ";
  return text;
}

TEST(SimDevices, ScenarioLinesAndTheirMessages) {
  const std::string devices = "wired 10 MXB2\nradio 1.2.3 401\nradio 40.1 301\nradio 33.0.0 551\n";
  struct Row {
    int line;
    std::string text;
    std::string expected;  // summary, or the message
  } kRows[] = {
      {__LINE__, "# only a comment\n\n  wired 4 2 # trailing\r\nradio 0.0.255 565", "4:2 0.0.255:565 "},
      {__LINE__, devices + "at 01:00 1.2.3 value 19\nat 00:00:10 40.1 value 215\nfrom 00:00:10 10 silent",
       "10:2 1.2.3:401 40.1:301 33.0.0:551 | 10000 40.1 value 215/1 | 10000 10 silent 0/1 | 3600000 1.2.3 value 19/1 "},
      {__LINE__, devices + "at 00:05:00.25 33.0.0 battery low\nat 00:05:00.250 33.0.0 value 456 channel 2",
       "10:2 1.2.3:401 40.1:301 33.0.0:551 | 300250 33.0.0 battery 1/1 | 300250 33.0.0 value 456/2 "},
      {__LINE__, devices + "at 00:01 10 input 3 0x80\nat 00:02 1.2.3 sends 0xA0 17\nat 00:03 10 answers",
       "10:2 1.2.3:401 40.1:301 33.0.0:551 | 60000 10 input 0/1 03 80 | 120000 1.2.3 sends 0/1 A0 11 "
       "| 180000 10 answers 0/1 "},
      {__LINE__, devices + "at 00:01 10 button\nat 00:02 10 errors 255",
       "10:2 1.2.3:401 40.1:301 33.0.0:551 | 60000 10 button 0/1 | 120000 10 errors 255/1 "},
      {__LINE__, "at 00:02 phone keys 1234#*AD #9\nat 00:01 modem call\nat 00:01 unit hangup",
       "| 60000 modem call  | 60000 unit hangup  | 120000 phone keys 1234#*AD "},
      {__LINE__, "at 00:01 phone keys 12x", "line 1: keys needs up to 64 keys of 0 to 9, *, #, A to D"},
      {__LINE__, "at 00:01 unit call", "line 1: unknown unit action \"call\" (expected hangup)"},
      {__LINE__, "at 00:01 phone ring", "line 1: unknown phone action \"ring\" (expected call, keys or hangup)"},
      {__LINE__, "at 00:01 modem hangup now", "line 1: hangup takes nothing after it"},
      {__LINE__, "wired 10 2\nstation 11 2", "line 2: unknown keyword \"station\" (expected wired, radio, at or from)"},
      {__LINE__, "wired 10", "line 1: wired needs an address and a type"},
      {__LINE__, "wired 10 FS20", "line 1: unknown device type \"FS20\""},
      {__LINE__, "wired 10 401", "line 1: type 401 is not a wired station"},
      {__LINE__, "radio 1.2.3 MXB2", "line 1: type 2 is not a radio device"},
      {__LINE__, "wired 3 2", "line 1: bad address \"3\" (a station address is 4 to 253)"},
      {__LINE__, "radio 1.2.3 301", "line 1: bad address \"1.2.3\" (a room controller has two address bytes, as 40.1)"},
      {__LINE__, "radio 1.256.3 401",
       "line 1: bad address \"1.256.3\" (a radio address is three bytes 0 to 255, as 12.34.56)"},
      {__LINE__, "wired 10 2\nwired 10 9", "line 2: address 10 is declared twice"},
      {__LINE__, devices + "at 1:00 10 silent", "line 5: bad time \"1:00\" (expected HH:MM, HH:MM:SS or HH:MM:SS.mmm)"},
      {__LINE__, devices + "at 00:60 10 silent",
       "line 5: bad time \"00:60\" (expected HH:MM, HH:MM:SS or HH:MM:SS.mmm)"},
      {__LINE__, devices + "at 00:01 11 silent", "line 5: no device declared at address \"11\""},
      {__LINE__, devices + "at 00:01 10", "line 5: at needs a time, an address and an action"},
      {__LINE__, devices + "at 00:01 10 blink",
       "line 5: unknown action \"blink\" (expected value, input, sends, battery, silent, answers, button or errors)"},
      {__LINE__, devices + "at 00:01 1.2.3 button", "line 5: button is for a wired station"},
      {__LINE__, devices + "at 00:01 10 errors 256", "line 5: errors needs a count 0 to 255"},
      {__LINE__, devices + "at 00:01 40.1 errors 1", "line 5: errors is for a wired station"},
      {__LINE__, devices + "at 00:01 10 silent now", "line 5: silent takes nothing after it"},
      {__LINE__, devices + "at 00:01 10 battery low", "line 5: type 2 reports no battery"},
      {__LINE__, devices + "at 00:01 10 value 1.5", "line 5: bad number \"1.5\""},
      {__LINE__, devices + "at 00:01 10 value 256", "line 5: type 2 cannot send value 256 on channel 1"},
      {__LINE__, devices + "at 00:01 33.0.0 value 20 channel 3", "line 5: type 551 cannot send value 20 on channel 3"},
      {__LINE__, devices + "at 00:01 1.2.3 input 1", "line 5: input takes one or two bytes of a wired station"},
      {__LINE__, devices + "at 00:01 10 sends 0x1G", "line 5: bad byte \"0x1G\" (0 to 255, or 0x00 to 0xFF)"},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    const auto load = sim::loadScenario(r.text);
    EXPECT_EQ(load.ok() ? summary(load.scenario) : load.error, r.expected);
  }
}

// The PC side: a unit identified on COM1 with a scenario started at the time of identification.
struct Installation : SerialFixture {
  Installation(int replyCode, std::uint8_t versionByte, const std::string& scenario) : unit(config(replyCode, versionByte)) {
    devices["COM1"] = &unit;
    EXPECT_TRUE(protocol.IdentifyUnit("COM1", true));
    const auto load = sim::loadScenario(scenario);
    EXPECT_EQ(load.error, "");
    unit.setScenario(load.scenario, clock.monotonicMs());
  }
  static sim::UnitConfig config(int replyCode, std::uint8_t versionByte) {
    sim::UnitConfig c;
    c.replyCode = replyCode;
    c.versionByte = versionByte;
    return c;
  }
  // Every frame that has arrived by now: sender, data and what the PC's decoders make of it
  // for this object (nothing without one).
  std::string received(const StationObject* object = nullptr) {
    std::string text;
    ReceivedFrame frame;
    while (protocol.ReceiveFrame(line.LineHandle, frame) > 0) {
      const auto data = frameData(frame);
      text += std::to_string(frame.sender.Kind) + " " + std::to_string(frame.sender.Address[0]) + "." +
              std::to_string(frame.sender.Address[1]) + "." + std::to_string(frame.sender.Address[2]) + " | " +
              hexBytes(data) + (object ? " |" : "");
      if (!object) {
      } else if (classifyMessage(data) == MessageClass::InputState) {
        const auto s = decodeInputState(data, *object);
        text += s.value ? " in " + std::to_string(*s.value) : " in -";
      } else {
        const auto m = decodeValueMessage(data, *object, protocol.unit.FeatureLevel);
        text += m.value ? " " + std::to_string(*m.value) : " -";
        if (m.batteryLow) text += " battery";
        if (m.acknowledge) text += " ack";
      }
      text += "; ";
    }
    return text;
  }
  std::string received(const StationObject& object) { return received(&object); }
  // Sends data with this kind, address and mode and gives what came back within waitMs.
  std::string ask(int kind, std::uint8_t address, int sendMode, std::vector<std::uint8_t> data,
                  std::uint64_t waitMs = 200) {
    const FrameHeader header{kind, 1, {address, 0, 0}};
    EXPECT_EQ(protocol.SendFrame(line.LineHandle, sendMode, header, static_cast<int>(data.size()) + 4, data),
              static_cast<int>(data.size()) + 6);
    clock.advanceMs(waitMs);
    return received();
  }
  sim::ControlUnit unit;
};

StationObject object(int type, char kind, int channel = 1, int stateCount = 0) {
  StationObject o;
  o.typeCode = type;
  o.kind = kind;
  o.channel = channel;
  o.channelMode = 1;
  o.stateCount = stateCount;
  return o;
}

TEST(SimDevices, DevicesSendTheirMessagesAtTheirTimeInThePcsLayout) {
  const std::string hms = "radio 33.0.0 551\nradio 34.0.0 552\n";
  struct Row {
    int line;
    int replyCode;
    std::uint8_t versionByte;  // 153: version 3.51, feature level 120 on a unit with radio
    std::string scenario;      // events at 00:00:10 (and later ones that must not have come yet)
    StationObject object;
    std::string expected;
  } kRows[] = {
      {__LINE__, 15, 153, "radio 1.2.3 401\nat 00:00:10 1.2.3 value 19\nat 00:00:11 1.2.3 value 20", object(401, 'U', 1, 2),
       "4 1.2.3 | A0 13 | 1; "},
      {__LINE__, 15, 153, hms + "at 00:00:10 34.0.0 battery low\nat 00:00:10 34.0.0 value -235", object(552, 'Z'),
       "4 34.0.0 | 60 | - battery; 4 34.0.0 | A0 80 35 02 00 | -235; "},
      {__LINE__, 14, 53, hms + "at 00:00:10 34.0.0 value -235", object(552, 'Z'), "4 34.0.0 | A0 EB 80 | -235; "},
      {__LINE__, 15, 153, hms + "at 00:00:10 33.0.0 value 215\nat 00:00:10 33.0.0 value 456 channel 2", object(551, 'Z', 2),
       "4 33.0.0 | A0 00 15 02 00 | 0; 4 33.0.0 | A0 00 15 62 45 | 456; "},
      {__LINE__, 14, 53, hms + "at 00:00:10 33.0.0 value 456 channel 2", object(551, 'Z', 2),
       "4 33.0.0 | A0 00 00 C8 01 | 456; "},
      {__LINE__, 15, 153, "radio 40.1 301\nat 00:00:10 40.1 value 215", object(301, 'Z'), "4 40.1.0 | A0 69 41 2B | 215; "},
      {__LINE__, 14, 53, "wired 10 MXB2\nat 00:00:10 10 value 1 channel 2", object(2, 'U', 2), "1 10.0.0 | 42 01 | 1 ack; "},
      {__LINE__, 14, 53, "wired 12 40611x\nat 00:00:10 12 value -50", object(21, 'Z'), "1 12.0.0 | 01 32 80 | -50; "},
      {__LINE__, 14, 53, "wired 10 MXB2\nat 00:00:10 10 input 2", object(2, 'U', 2), "1 10.0.0 | C0 02 | in 1; "},
      // A silent radio device sends nothing: the PC only notices the silence.
      {__LINE__, 15, 153, "radio 1.2.3 401\nfrom 00:00:09 1.2.3 silent\nat 00:00:10 1.2.3 value 19", object(401, 'U'), ""},
  };
  for (const auto& r : kRows) {
    SCOPED_TRACE(r.line);
    Installation f(r.replyCode, r.versionByte, r.scenario);
    f.clock.advanceMs(9990);
    EXPECT_EQ(f.received(r.object), "");
    f.clock.advanceMs(60);
    EXPECT_EQ(f.received(r.object), r.expected);
  }
}

TEST(SimDevices, DevicesKeepWhatThePcSendsAndTheUnitReportsASilentStationTwice) {
  Installation f(15, 153, "wired 10 MXB2\nwired 11 MXB2\nradio 1.2.3 221\nradio 40.1 301\nat 00:00:10 10 input 1\n"
                          "from 00:01 11 silent");
  EXPECT_EQ(f.ask(1, 10, 2, {2, 1}), "");
  f.clock.advanceMs(10000);
  EXPECT_EQ(f.received(object(2, 'U')), "1 10.0.0 | C0 01 | in 1; ");  // the input event
  EXPECT_EQ(f.ask(1, 10, 0, {0xC0, 0}), "1 10.0.0 | C0 01; ");
  // Every station answers a poll or a probe to the whole line; the radio devices stay out.
  EXPECT_EQ(f.ask(1, 0, 0, {0xC0, 0}), "1 10.0.0 | C0 01; 1 11.0.0 | C0 00 00; ");
  EXPECT_EQ(f.ask(1, 0, 1, {0x80, 0}), "1 10.0.0 | 83 02; 1 11.0.0 | 83 02; ");
  EXPECT_EQ(
      f.unit.stations().dumpText(),
      "device 10 type 2 silent 0 battery 0 received 2\n  got 02 01\n  got C0 00\n"
      "device 11 type 2 silent 0 battery 0 received 0\n"
      "device 1.2.3 type 221 silent 0 battery 0 received 0\ndevice 40.1 type 301 silent 0 battery 0 received 0\n");

  // Silent from one minute on: an output to it brings two reports, as the PC's filter needs
  // to take it as a failure.
  f.clock.advanceMs(60000);
  EXPECT_EQ(f.ask(1, 11, 2, {2, 1}), "1 11.0.0 | FE 0B 02; 1 11.0.0 | FE 0B 02; ");
}

// The station dialogs' commands: a read returns the blocks the PC decodes, a write lands at
// position i + 2, the special configuration is kept apart, a new address moves the station, a
// reset is counted, and the answers to a line search come one station after another.
TEST(SimDevices, StationsAnswerTheConfigurationCommands) {
  Installation f(14, 53, "wired 10 40611x\nwired 11 MXB2\n");
  // A new 40611x: type 21, version 1.20, group port 1 at write indexes 3, 6, 9 and 14.
  EXPECT_EQ(f.ask(1, 10, 0, {0x88, 0}),
            "1 10.0.0 | C7 00 15 78 00 00 01 00 00 01 00 00 01 00 00 00 00 01 00 00 00 00; ");
  std::vector<std::uint8_t> settings{0x87, 6};
  for (std::uint8_t i = 1; i <= 17; ++i) settings.push_back(static_cast<std::uint8_t>(0x10 + i));
  EXPECT_EQ(f.ask(1, 10, 21, settings), "");
  EXPECT_EQ(f.ask(1, 10, 21, {0x87, 5, 1, 0x40}), "");
  EXPECT_EQ(f.ask(1, 10, 0, {0x88, 0}),
            "1 10.0.0 | C7 00 15 78 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F 20 21 00; ");

  // The MXB2 moves from 11 to 20 and reports from there; an address of the unit's own is ignored.
  EXPECT_EQ(f.ask(1, 11, 2, {0x8D, 20, 0}), "1 20.0.0 | 80 02 78; ");
  EXPECT_EQ(f.ask(1, 20, 2, {0x8D, 3, 0}), "");
  EXPECT_EQ(f.ask(1, 11, 1, {0x80, 0}), "1 11.0.0 | FE 0B 00; 1 11.0.0 | FE 0B 00; ");
  EXPECT_EQ(f.ask(1, 20, 1, {0x80, 0}), "1 20.0.0 | 83 02; ");
  // A configuration command to the whole line reaches no station.
  EXPECT_EQ(f.ask(1, 0, 2, {0x8D, 30, 0}), "");
  EXPECT_EQ(f.ask(1, 10, 0, {0x8B, 0}), "");
  // The second station's answer to a search comes 50 ms after the first one's.
  EXPECT_EQ(f.ask(1, 0, 1, {0x80, 0}, 45), "1 10.0.0 | 83 15; ");
  f.clock.advanceMs(50);
  EXPECT_EQ(f.received(), "1 20.0.0 | 83 02; ");
  EXPECT_EQ(f.unit.stations().configurationText(),
            "station 10 resets 1 errors off threshold 0 count 0 special 01 40\n"
            "  block 0 15 78 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F 20 21 00\n"
            "  block 1 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
            "station 20 was 11 resets 0 errors off threshold 0 count 0 special -\n"
            "  block 0 02 78 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 00 01 00\n"
            "  block 1 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n");
}

// The radio part of a CU/F-A2: the central code is read with the serial number and written
// only with its check byte and at its address. A radio PC interface has no wired line.
TEST(SimDevices, TheRadioPartKeepsTheCentralCode) {
  const auto code = [](int c) {
    return "4 201.0.0 | 84 54 01 " + hexBytes(std::vector<std::uint8_t>{static_cast<std::uint8_t>(c)}) +
           " 00 00 12 34 56 78; ";
  };
  Installation f(15, 53, "");
  EXPECT_EQ(f.ask(4, 0xC9, 900, {0x84, 0x54, 1, 7}), code(1));
  EXPECT_EQ(f.ask(4, 0xC9, 900, {0x83, 0x54, 1, 1, 100}), "");  // the check byte of 1, not of 100
  EXPECT_EQ(f.ask(4, 0xC9, 900, {0x84, 0x54, 1, 7}), code(1));
  EXPECT_EQ(f.ask(4, 0xC9, 900, {0x83, 0x31, 1, 1, 100}), "");
  EXPECT_EQ(f.ask(4, 0xC9, 900, {0x83, 'R', 2, 1, 7}), "");  // the right check byte, the wrong address
  EXPECT_EQ(f.ask(4, 0xC9, 900, {0x84, 0x54, 1, 7}), code(100));
  EXPECT_NE(f.unit.dumpText().find("radio part code 100 serial 305419896 hidden 1\n"), std::string::npos);
  Installation radioInterface(1, 53, "wired 10 MXB2");
  EXPECT_EQ(radioInterface.ask(1, 10, 1, {0x80, 0}), "");
}

}  // namespace
}  // namespace kelvaro::test
