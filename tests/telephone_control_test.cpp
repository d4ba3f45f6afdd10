// The telephone remote control of a run over a scripted line in virtual time: keyed commands and
// the tones that answer them, the watch over calls and dial attempts, the unit's password lock.
#include "runtime/telephone_control.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <utility>

#include "language/compiler.h"
#include "runtime/run_session.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "support/scripted_link.h"

namespace kelvaro {
namespace {

constexpr const char* kAck = "AT+VTS=[2800,2800,15]";
constexpr const char* kError = "AT+VTS=[300,300,80]";
constexpr const char* kLong = "AT+VTS=[2800,2800,80]";

TPSObj numbered(TPSObj o, std::uint16_t selection) {
  o.ObjIDNr = selection;
  return o;
}

// A PC execution with hardware control whose modem is of type 2 and whose access number is 40718.
struct TelephoneRun {
  Project project = test::lampProject({
      numbered(test::lampObject("Licht"), 12),
      numbered(test::programObject("Wert", "Zahl", "0"), 7),
      numbered(test::programObject("Text", "Zeichen", "abc"), 8),
      numbered(test::lampObject("Stufe"), 13),
      test::programObject("Nr", "Zeichen", "0301234"),
      test::programObject("Anruf", "Zahl", "0", {"ANRUFEN(Nr)"}),
  });
  CompileOutput out;
  ManualClock clock{46000.5};  // 12:00:00
  DateTime begin = clock.now();
  test::FakeUserInterface ui;
  test::ScriptedLink link;
  std::unique_ptr<RunSession> session;

  explicit TelephoneRun(int modemType = 2, const char* dialText = "0301234", const char* access = "40718") {
    project.objects[3].InputExec = false;
    project.objects[4].StartVal = dialText;
    project.views = {{"Haus", {}}};
    out = compile(project, project.constants, CompileMode::Run);
    link.clock = &clock;
    RunSessionOptions options;
    options.hardwareControl = true;
    options.link = &link;
    options.telephone = telephoneOptions(access, "AT&F");
    options.telephone.modemType = modemType;
    session = std::make_unique<RunSession>(project, out, clock, ui, std::move(options));
    session->initialise();
    session->start();
    link.sent.clear();
    begin = clock.now();  // the start's poll took its time
  }
  Engine& engine() { return session->engine(); }
  // Runs the object whose program dials ANRUFEN's number.
  void dial() {
    engine().enqueue(findObject(project, "Anruf"));
    engine().runQueue();
  }
  // The unit delivers a modem text; the queue is left for the test to look at.
  void modemText(const std::string& text) {
    std::vector<std::uint8_t> data(text.size() + 1, 0xFE);
    std::copy(text.begin(), text.end(), data.begin() + 1);
    link.incoming.push_back(test::frameToPc(kKindUnit, {2}, data));
    session->exchange()->readInputs();
  }
  // The modem texts sent since the last call, joined by "|", carriage returns dropped.
  std::string sentTexts() {
    std::string all;
    for (const std::string& hex : std::exchange(link.sent, {})) {
      std::istringstream in(hex);
      std::string byte;
      std::string text;
      for (int i = 0; in >> byte; ++i)
        if (i > 6 && byte != "0D") text += static_cast<char>(std::stoi(byte, nullptr, 16));
      all += (all.empty() ? "" : "|") + text;
    }
    return all;
  }
  std::string queue() const {
    std::string s;
    for (const int i : session->engine().queue()) s += project.objects[static_cast<std::size_t>(i)].Name + " ";
    return s;
  }
  // Runs the clock timer every second for the seconds given; each modem text sent is logged
  // with the second it went out.
  std::string runFor(int seconds) {
    std::string log;
    for (int s = 1; s <= seconds; ++s) {
      clock.advanceMs(1000);
      session->clockTimer();
      if (const std::string sent = sentTexts(); !sent.empty())
        log += std::to_string(static_cast<int>(std::lround((clock.now() - begin) * kSecondsPerDay))) + " " + sent + "; ";
    }
    return log;
  }
};

TEST(TelephoneControl, KeyedCommandsAreAnsweredByTones) {
  struct Row {
    int line;
    std::vector<std::string> keyed;
    std::string tones;
    std::string shown;  // Licht Wert Text Stufe
    std::string queued;
    bool authenticated;
  };
  const std::string ack = kAck, error = kError, longTone = kLong;
  const Row rows[] = {
      {__LINE__, {"40718#"}, ack, "aus 0 abc aus", "", true},
      {__LINE__, {"DTMF 4 07 18 #"}, ack, "aus 0 abc aus", "", true},  // only digits, "*" and "#" count
      {__LINE__, {"40719#"}, error, "aus 0 abc aus", "", false},
      {__LINE__, {"12#40718#"}, ack, "aus 0 abc aus", "", true},  // only the last command counts
      {__LINE__, {"40718#", "9*9#"}, ack + "|+++|ATH", "aus 0 abc aus", "", false},
      {__LINE__, {"40718#", "12#"}, ack + "|" + ack, "aus 0 abc aus", "Licht ", true},
      {__LINE__, {"40718#", "99#"}, ack + "|" + error, "aus 0 abc aus", "", true},
      {__LINE__, {"40718#", "0#"}, ack + "|" + error, "aus 0 abc aus", "", true},
      {__LINE__, {"40718#", "*#"}, ack + "|" + error, "aus 0 abc aus", "", true},
      {__LINE__, {"40718#", "7*#"}, ack + "|" + longTone, "aus 0 abc aus", "", true},
      {__LINE__, {"40718#", "7*5#", "7*#"}, ack + "|" + ack + "|" + error, "aus 5 abc aus", "Wert ", true},
      {__LINE__, {"40718#", "12*99#"}, ack + "|" + ack, "an 0 abc aus", "Licht ", true},
      {__LINE__, {"40718#", "12*99#", "12*99#"}, ack + "|" + ack + "|" + ack, "aus 0 abc aus", "Licht Licht ", true},
      {__LINE__, {"40718#", "12*1#"}, ack + "|" + ack, "an 0 abc aus", "Licht ", true},
      {__LINE__, {"40718#", "7*99#"}, ack + "|" + ack, "aus 99 abc aus", "Wert ", true},  // 99 is a number here
      {__LINE__, {"40718#", "13*99#"}, ack + "|" + ack, "aus 0 abc an", "", true},  // not run on input
      {__LINE__, {"40718#", "8*1#"}, ack + "|" + error, "aus 0 abc aus", "", true},  // a text takes no number
      {__LINE__, {"40718#", "12*1*1#"}, ack + "|" + error, "aus 0 abc aus", "", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    TelephoneRun run;
    for (const std::string& text : row.keyed) run.modemText(text);
    EXPECT_EQ(run.sentTexts(), row.tones);
    std::string shown;
    for (int i = 0; i < 4; ++i) shown += run.session->shownText(i) + (i < 3 ? " " : "");
    EXPECT_EQ(shown, row.shown);
    EXPECT_EQ(run.queue(), row.queued);
    EXPECT_EQ(run.session->telephone()->authenticated(), row.authenticated);
  }
}

TEST(TelephoneControl, TonesFollowTheModemTypeAndTheDigitsTheAccessNumber) {
  struct Row {
    int line;
    int modemType;
    std::string tones;  // acknowledge, error, long
  };
  const Row rows[] = {
      {__LINE__, 1, "AT#VTS=[2800,2800,1]|AT#VTS=[300,300,5]|AT#VTS=[2800,2800,15]"},
      {__LINE__, 2, std::string(kAck) + "|" + kError + "|" + kLong},
      {__LINE__, 0, ""},
      {__LINE__, 3, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    TelephoneRun run(row.modemType);
    for (const char* keyed : {"40718#", "1#", "7*#"}) run.modemText(keyed);
    EXPECT_EQ(run.sentTexts(), row.tones);
  }
  // The digits a caller keys are the access number; a field with a password only lets nobody
  // in, not even with "#" alone.
  EXPECT_EQ(telephoneOptions("4071;geheim", "AT#CLS").remotePassword, "40710");
  TelephoneRun locked(2, "0301234", "geheim");
  locked.modemText("#");
  EXPECT_EQ(locked.sentTexts(), kError);
  EXPECT_FALSE(locked.session->telephone()->authenticated());
}

// The 5-second tick hangs up a call idle for 115.776 s, initialises the modem 3.888 s later and
// dials ANRUFEN's number again while repeats are left.
TEST(TelephoneControl, SupervisionHangsUpReinitialisesAndRedials) {
  struct Row {
    int line;
    const char* dialText;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "0301234", "0  0301234; 120 +++|ATH; 125 AT&F; 245  0301234; 365 +++|ATH; 370 AT&F; 490  0301234; 610 +++|ATH; 615 AT&F; "},
      {__LINE__, "0301234,1", "0  0301234; 120 +++|ATH; 125 AT&F; "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    TelephoneRun run(2, row.dialText);
    run.modemText("OK");  // the modem at the unit is there: the supervision runs
    run.dial();
    const std::string dialled = "0 " + run.sentTexts() + "; ";
    EXPECT_EQ(dialled + run.runFor(800), row.expected);
    EXPECT_EQ(run.engine().dialRepeats, 0);
  }

  // Someone answered the call and keyed at 30 s: it is not dialled again, and the idle limit
  // counts from the last command.
  TelephoneRun answered;
  answered.modemText("OK");
  answered.dial();
  answered.runFor(30);
  answered.modemText("40718#");
  answered.sentTexts();
  EXPECT_EQ(answered.runFor(400), "150 +++|ATH; 155 AT&F; ");
  EXPECT_FALSE(answered.session->telephone()->connected());

  // Without the modem's word the supervision stays asleep.
  TelephoneRun silent;
  silent.dial();
  silent.sentTexts();
  EXPECT_EQ(silent.runFor(300), "");
}

TEST(TelephoneControl, ModemTextGoesToTheUnitInFramesOfItsOwn) {
  TelephoneRun run;
  EXPECT_TRUE(run.session->exchange()->sendModemText("+++\r"));
  EXPECT_EQ(run.link.sent, std::vector<std::string>{"81 09 C9 8F 02 01 FE 2B 2B 2B 0D"});
  run.link.sent.clear();
  const std::string longText(300, 'A');
  EXPECT_TRUE(run.session->exchange()->sendModemText(longText));
  ASSERT_EQ(run.link.sent.size(), 2u);
  EXPECT_EQ(run.link.sent[0].substr(0, 6), "81 FD ");  // 248 characters after 0xFE
  EXPECT_EQ(run.link.sent[1].substr(0, 6), "81 39 ");  // the other 52
  EXPECT_EQ(run.sentTexts(), std::string(248, 'A') + "|" + std::string(52, 'A'));
  run.link.sendWorks = false;
  EXPECT_FALSE(run.session->exchange()->sendModemText(longText));
  EXPECT_EQ(run.link.sent.size(), 1u);  // the rest is not sent after a failure
  EXPECT_EQ(run.ui.beeps, 1);
}

// Over a telephone link the unit asking for its password locks the run, and its "H" ends it;
// over a cable neither means anything.
TEST(TelephoneControl, PasswordRequestLocksAndLinkEndAbortsOverAModemLink) {
  struct Row {
    int line;
    bool modemLink;
    std::vector<std::uint8_t> replies;
    bool stop, abort;
    int boxes;
  };
  const Row rows[] = {
      {__LINE__, true, {'J'}, true, false, 1},       {__LINE__, true, {'J', 'J'}, true, false, 1},
      {__LINE__, true, {'H'}, true, true, 0},        {__LINE__, false, {'J', 'H'}, false, false, 0},
      {__LINE__, true, {'L'}, false, false, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    TelephoneRun run;
    run.link.modemLink = row.modemLink;
    for (const std::uint8_t reply : row.replies) run.link.incoming.push_back(test::frameToPc(kKindUnit, {2}, {reply}));
    run.session->exchange()->readInputs();
    EXPECT_EQ(run.engine().stopFlag, row.stop);
    EXPECT_EQ(run.engine().abortFlag, row.abort);
    EXPECT_EQ(run.ui.messageTexts(),
              std::vector<std::string>(static_cast<std::size_t>(row.boxes), "Kein gültiges Kennwort eingegeben - Bearbeitung gesperrt"));
  }
}

}  // namespace
}  // namespace kelvaro
