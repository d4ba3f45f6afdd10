// The run session: what the window would show, clicks, the input dialog, the status line,
// views and the commands Start, Stop, Ende and Abbruch.
#include <gtest/gtest.h>

#include <memory>

#include "language/compiler.h"
#include "runtime/run_session.h"
#include "runtime/run_window_support.h"
#include "support/fake_user_interface.h"
#include "support/project_builder.h"
#include "support/temp_dir.h"
#include "text/cp1252.h"

namespace kelvaro {
namespace {

DateTime at(int h, int mi, int s) { return *encodeDate(2026, 6, 15) + *encodeTime(h, mi, s); }

// An object placed on the view "Haus".
TPSObj object(const char* name, const char* type, const char* start, std::uint8_t priority,
              std::vector<std::string> lines = {}) {
  TPSObj o = test::programObject(name, type, start, std::move(lines), priority);
  o.plans[0].ViewName = "Haus";
  return o;
}

struct Session {
  Project project;
  CompileOutput out;
  ManualClock clock{at(10, 0, 2)};
  test::FakeUserInterface ui;
  std::unique_ptr<RunSession> session;
  std::vector<std::pair<std::string, std::string>> shown;  // object, text

  explicit Session(std::vector<TPSObj> objects, RunSessionOptions options = {}) {
    project.views = {{"Haus", {}}, {"Garten", {}}};
    project.typeStates = {{"Lampe:aus", {}}, {"Lampe:an", {}}, {"Tuer:offen", {}}, {"Tuer:zu", {}}};
    project.objects = std::move(objects);
    out = compile(project, project.constants, CompileMode::Run);
    EXPECT_EQ(out.result.code, 0);
    session = std::make_unique<RunSession>(project, out, clock, ui, std::move(options));
    session->onShownChange = [this](int o, const std::string& text) {
      shown.emplace_back(project.objects[static_cast<std::size_t>(o)].Name, text);
    };
    session->initialise();
    session->start();
  }
  int index(const char* name) const { return findObject(project, name); }
  std::string text(const char* name) const { return session->shownText(index(name)); }
  void ticks(int n) {
    for (int i = 0; i < n; ++i) {
      session->clockTimer();
      clock.advanceMs(10);
    }
  }
};

TEST(RunSessionDisplay, WhatEachKindShows) {
  TPSObj real = object("Temp", "Zahl", "21.50", 254);
  real.OutpRB = 1;  // a gauge
  Session s({object("Lampe", "Lampe", "an", 254), object("Zahl", "Zahl", "7", 254), real,
             object("Text", "Zeichen", "Hallo", 254), object("Knopf", "Knopf", "", 254)});
  EXPECT_EQ(s.text("Lampe") + " " + s.text("Zahl") + " " + s.text("Temp") + " " + s.text("Text"), "an 7 21.50 Hallo");
  const ObjectDisplay& lamp = s.session->display(s.index("Lampe"));
  EXPECT_EQ(lamp.element, ElementKind::Bitmap);
  EXPECT_TRUE(lamp.shown);
  EXPECT_EQ(lamp.state, 1);
  EXPECT_EQ(s.session->display(s.index("Temp")).element, ElementKind::Gauge);
  EXPECT_DOUBLE_EQ(s.session->display(s.index("Temp")).gaugeValue, 21.5);
  EXPECT_EQ(s.session->display(s.index("Knopf")).element, ElementKind::Button);
  EXPECT_TRUE(s.shown.empty());  // the start values are no changes
}

// On a view whose background is there, a bitmap element shows the file chosen for its
// current state, the first state as well; a chosen file that is missing hides the element.
TEST(RunSessionDisplay, TheBitmapOfTheCurrentState) {
  struct Row {
    int line;
    const char* start;
    bool filesThere;
    const char* bitmap;
  };
  const Row rows[] = {
      {__LINE__, "aus", true, "aus.bmp"},
      {__LINE__, "an", true, "an.bmp"},
      {__LINE__, "aus", false, "aus.bmp"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    test::TempDir dir;
    test::writeFile(dir.file("haus.bmp"), "BM");
    if (row.filesThere) {
      test::writeFile(dir.file("aus.bmp"), "BM");
      test::writeFile(dir.file("an.bmp"), "BM");
    }
    TPSObj lamp = object("Lampe", "Lampe", row.start, 254);
    lamp.stateBitmaps = {{"aus", TBitmapNam{"aus.bmp", 1, 1}}, {"an", TBitmapNam{"an.bmp", 1, 1}}};
    RunSessionOptions options;
    options.bitmapDirectory = dir.path().string() + "/";
    Session s({lamp}, options);
    s.project.views[0].info = {"haus.bmp", 1};
    s.session->showView("Haus");
    const ObjectDisplay& d = s.session->display(0);
    EXPECT_EQ(d.bitmap, dir.file(row.bitmap));
    EXPECT_EQ(d.visible, row.filesThere);
  }
}

TEST(RunSessionDisplay, AChangeIsStampedBeepsAndReportedOnce) {
  TPSObj lamp = object("Lampe", "Lampe", "aus", 254);
  lamp.Beep = true;
  Session s({lamp, object("Schalter", "Zahl", "0", 1, {"Lampe EINSCHALTEN"})});
  s.ticks(1);
  EXPECT_EQ(s.ui.beeps, 1);
  EXPECT_EQ(s.shown, (std::vector<std::pair<std::string, std::string>>{{"Lampe", "an"}}));
  EXPECT_TRUE(s.session->display(0).outputPending);
  EXPECT_DOUBLE_EQ(s.session->engine().objects()[0].lastChange, at(10, 0, 2));
  EXPECT_FALSE(s.session->engine().objects()[0].changePending);
  s.ticks(10);  // switched on again and again: no change, no beep
  EXPECT_EQ(s.ui.beeps, 1);
  EXPECT_EQ(s.shown.size(), 1u);
}

// The refresh works from the objects marked since the last one: an unchanged object is not
// redrawn, a changed one once in each cycle that changed it, however often it changed.
TEST(RunSessionDisplay, OnlyChangedObjectsAreRedrawnOncePerCycle) {
  Session s({object("A", "Zahl", "0", 1, {"A:=A+1", "A:=A+1"}), object("B", "Zahl", "0", 254),
             object("C", "Zahl", "0", 1, {"A:=A+1"})});
  std::vector<int> redrawn(3, 0);
  s.session->onRefresh = [&](int object) { ++redrawn[static_cast<std::size_t>(object)]; };
  s.ticks(1);  // the first cycle draws every object once
  EXPECT_EQ(redrawn, (std::vector<int>{2, 1, 1}));
  redrawn.assign(3, 0);
  s.ticks(1);  // A changes in A's cycle and again in C's; B and C show what they showed
  EXPECT_EQ(redrawn, (std::vector<int>{2, 0, 0}));
  EXPECT_EQ(s.text("A"), "6");
}

TEST(RunSessionClick, ByScreenInputModeAndActivity) {
  struct Row {
    int line;
    int inputMode;
    bool inputExec;
    bool active;
    const char* expectedState;
    bool queued;
    bool dialog;
  };
  const Row rows[] = {
      {__LINE__, 0, true, true, "offen", true, false},  // toggles, wrapping from the last state
      {__LINE__, 0, false, true, "offen", false, false},
      {__LINE__, 1, true, true, "zu", false, true},    // the value menu opens
      {__LINE__, 2, true, true, "zu", false, false},   // no screen input
      {__LINE__, 0, true, false, "zu", false, false},  // deactivated: nothing
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    TPSObj door = object("Tuer", "Tuer", "zu", 254, {"Zaehler:=Zaehler+1"});
    door.BSInputRB = row.inputMode;
    door.InputExec = row.inputExec;
    door.Activ = row.active;
    Session s({door, object("Zaehler", "Zahl", "0", 254)});
    s.session->click(0);
    EXPECT_EQ(s.text("Tuer"), row.expectedState);
    EXPECT_EQ(s.session->engine().queue().size(), row.queued ? 1u : 0u);
    EXPECT_EQ(s.session->input().has_value(), row.dialog);
    if (row.dialog) {
      EXPECT_EQ(s.session->input()->choices, (std::vector<std::string>{"offen", "zu"}));
      s.session->postInput("offen");
      EXPECT_EQ(s.text("Tuer"), "offen");
      EXPECT_FALSE(s.session->input().has_value());
      EXPECT_EQ(s.session->engine().queue().size(), 1u);
    }
    s.ticks(1);
    EXPECT_EQ(s.text("Zaehler"), row.queued || row.dialog ? "1" : "0");
  }
}

TEST(RunSessionClick, ButtonsSwitchAndQueue) {
  TPSObj button = object("Klingel", "Knopf", "", 254, {"Zaehler:=Zaehler+1"});
  button.Beep = true;
  Session s({button, object("Zaehler", "Zahl", "0", 254)});
  s.clock.set(at(11, 0, 0));
  s.session->click(0);
  EXPECT_EQ(s.ui.beeps, 1);
  EXPECT_TRUE(s.session->engine().objects()[0].switched);
  EXPECT_EQ(s.session->engine().symbolText(s.out.objects[0].ctSymbol), "15.06.26 11:00:00");
  s.ticks(1);
  EXPECT_EQ(s.text("Zaehler"), "1");
}

TEST(RunSessionInput, EntriesByKind) {
  struct Row {
    int line;
    const char* type;
    const char* start;
    const char* entry;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "Zahl", "5", "42", "42"},
      {__LINE__, "Zahl", "5", "4x", "5"},  // unreadable: no change
      {__LINE__, "Zahl", "1.25", "2,5", "2.50"},
      {__LINE__, "Zeichen", "a", "Text mit Blank", "Text mit Blank"},
      {__LINE__, "Zahl", "5", "1e999", "5"},
      {__LINE__, "Zahl", "5", "2147483648", "5"},
      {__LINE__, "Zahl", "5", "-2147483648", "-2147483648"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    TPSObj o = object("O", row.type, row.start, 254, {"Zaehler:=Zaehler+1"});
    Session s({o, object("Zaehler", "Zahl", "0", 254)});
    s.session->click(0);
    ASSERT_TRUE(s.session->input().has_value());
    EXPECT_EQ(s.session->input()->prompt, "O");
    s.session->postInput(row.entry);
    EXPECT_EQ(s.text("O"), row.expected);
    s.ticks(1);
    EXPECT_EQ(s.text("Zaehler"), std::string(row.expected) == row.start ? "0" : "1");
  }
}

TEST(RunSessionStatus, MessagesLiveFourPointThreeTwoSeconds) {
  Session s({object("O", "Zahl", "0", 254)});
  s.session->showStatusMessage("\xDC" "berlauf der Ausf\xFChrungswarteschlange");
  EXPECT_TRUE(s.session->statusShown());
  s.ticks(430);  // 4.30 s
  EXPECT_TRUE(s.session->statusShown());
  s.ticks(5);  // 4.35 s
  EXPECT_FALSE(s.session->statusShown());
}

TEST(RunSessionViews, PositionsGoBackIntoTheSlotOfTheViewLeft) {
  TPSObj lamp = object("Lampe", "Lampe", "aus", 254);
  lamp.plans[1].ViewName = "Garten";
  lamp.plans[1].Left = 300;
  lamp.plans[1].Top = 200;
  Session s({lamp, object("Mover", "Zahl", "77", 254, {"SETZEPOSITION(Lampe,Mover,Mover)"})});
  EXPECT_EQ(s.session->viewName(), "Haus");
  EXPECT_TRUE(s.session->display(1).shown);  // every object on the view is placed, not only the first
  s.session->showView("Garten");
  EXPECT_EQ(s.session->engine().objects()[0].left, 300);
  EXPECT_EQ(s.session->display(0).slot, 1);
  EXPECT_FALSE(s.session->display(1).shown);
  s.session->engine().enqueue(1);
  s.ticks(1);
  EXPECT_EQ(s.session->engine().objects()[0].left, 77);
  s.session->openViewChoice();
  ASSERT_TRUE(s.session->input().has_value());
  EXPECT_EQ(s.session->input()->choices, (std::vector<std::string>{"Haus", "Garten"}));
  s.session->postInput("Haus");
  EXPECT_EQ(s.session->viewName(), "Haus");
  EXPECT_EQ(s.project.objects[0].plans[1].Left, 77);
  EXPECT_EQ(s.project.objects[0].plans[1].Top, 77);
  EXPECT_EQ(s.session->engine().objects()[0].left, s.project.objects[0].plans[0].Left);
  EXPECT_EQ(s.session->display(0).slot, 0);
}

TEST(RunSessionCommands, StopStartEndAndAbort) {
  Session s({object("P", "Zahl", "0", 1, {"P:=P+1"}), object("*INIT", "Undefiniert", "", 255, {"Z:=Z+1"}),
             object("Z", "Zahl", "0", 254)});
  s.ticks(3);
  EXPECT_EQ(s.text("P") + " " + s.text("Z"), "3 1");
  EXPECT_TRUE(s.session->running());
  s.session->stop();
  EXPECT_EQ(toUtf8(s.session->caption()), "Haus [Ausführung gestoppt]");
  s.ticks(3);
  EXPECT_EQ(s.text("P"), "3");
  s.session->start();  // runs *INIT again
  s.ticks(2);
  EXPECT_EQ(s.text("P") + " " + s.text("Z"), "5 2");
  EXPECT_EQ(s.session->caption(), "Haus");
  s.session->end();
  EXPECT_TRUE(s.session->closing());
  s.ticks(2);
  EXPECT_EQ(s.text("P"), "5");
  EXPECT_FALSE(s.session->running());

  Session a({object("P", "Zahl", "0", 1, {"P:=P+1"})});
  a.session->abort();
  EXPECT_TRUE(a.session->engine().abortFlag);
  EXPECT_TRUE(a.session->closing());
  EXPECT_FALSE(a.session->running());
}

// The output line's wording is checked where the hardware exchange writes it; here its length limit, and
// that the input line is written under hardware control only.
TEST(RunSessionProtocol, LinesAndOnlyWithHardwareControl) {
  EXPECT_EQ(RunSession::protocolOutputLine(at(0, 0, 0), "X", std::string(80, '7')).size(),
            std::string("15.06.26 00:00:00: Ausgabe von X -> ").size() + 64);
  test::TempDir dir;
  for (bool hardware : {false, true}) {
    SCOPED_TRACE(hardware);
    RunSessionOptions options;
    options.hardwareControl = hardware;
    options.writeProtocol = true;
    options.protocolPath = dir.file(hardware ? "WITH.TXT" : "WITHOUT.TXT");
    Session s({object("Lampe", "Lampe", "aus", 254)}, options);
    EXPECT_EQ(s.session->protocolOpen(), hardware);
    s.session->protocolInput(0, "an");
    s.session.reset();
    EXPECT_EQ(test::readFile(options.protocolPath), hardware ? "15.06.26 10:00:02: Eingabe f\xFCr Lampe <- an\r\n" : "");
  }
  RunSessionOptions visualise;
  visualise.visualisation = visualise.hardwareControl = true;
  EXPECT_EQ(Session({object("Lampe", "Lampe", "aus", 254)}, visualise).session->caption(), "Haus [Visualisierung]");
}

TEST(RunSessionInput, TheInputStatementAsksAndTheEntryQueuesTheOwnerABadSymbolIsRefused) {
  Session s({object("Frage", "Zahl", "0", 254, {"EINGABE(\"Wert eingeben\",Ziel)"}),
             object("Ziel", "Zahl", "3", 254, {"Zaehler:=Zaehler+1"}), object("Zaehler", "Zahl", "0", 254)});
  s.session->engine().enqueue(0);
  s.ticks(1);
  ASSERT_TRUE(s.session->input().has_value());
  EXPECT_EQ(s.session->input()->prompt, "Wert eingeben");
  EXPECT_EQ(s.session->input()->mode, InputMode::Integer);
  EXPECT_EQ(s.session->input()->value, "3");
  EXPECT_EQ(s.session->input()->owner, 1);
  s.session->postInput("12");
  s.ticks(1);
  EXPECT_EQ(s.text("Ziel"), "12");
  EXPECT_EQ(s.text("Zaehler"), "1");
  EXPECT_TRUE(s.ui.messages.empty());
  s.session->inputStatement("Wert", 999);  // no such symbol
  ASSERT_EQ(s.ui.messages.size(), 1u);
  EXPECT_EQ(s.ui.messages[0].text, "Falsche Parameter bei Anweisung >Eingabe<");
  EXPECT_FALSE(s.session->input().has_value());
}

TEST(RunSessionActions, ItemsForSpecialObjectsActLikeAClickOrQueue) {
  TPSObj lamp = object("Lampe", "Lampe", "aus", 254);
  lamp.SpecSt = true;
  lamp.VoiceContr = "Licht an oder aus";
  TPSObj hidden = object("Zaehler", "Zahl", "0", 254, {"Zaehler:=Zaehler+1"});
  hidden.SpecSt = true;
  hidden.plans[0].ViewName.clear();  // on no view: the item queues the object
  Session s({lamp, hidden, object("Ohne", "Zahl", "0", 254)});
  EXPECT_EQ(s.session->actionItems(),
            (std::vector<std::pair<std::string, int>>{{"Licht an oder aus", 0}, {"Zaehler", 1}}));
  s.session->actionClick(0);
  EXPECT_EQ(s.text("Lampe"), "an");
  s.session->actionClick(1);
  s.session->actionClick(5);  // no such item
  s.ticks(1);
  EXPECT_EQ(s.text("Zaehler"), "1");
}

// The timeout list of the execution window names the device that reports: the receiver of a
// 301 device, else the sender.
TEST(RunSessionSupervision, ARadioDeviceSilentForAnHourTimesOutOnce) {
  struct Row {
    int line;
    int device;
    const char* listed;  // the timeout list's line, "" when it does not time out
  };
  const Row rows[] = {
      {__LINE__, 301, "Fuehler Bad, letzte Meldung von Empfang: 15.06.26 10:00:02"},
      {__LINE__, 551, "Fuehler Bad, letzte Meldung von Sender: 15.06.26 10:00:02"},
      {__LINE__, 599, "Fuehler Bad, letzte Meldung von Sender: 15.06.26 10:00:02"},
      {__LINE__, 600, ""},
      {__LINE__, 550, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const bool timesOut = *row.listed != '\0';
    TPSObj sensor = object("Fuehler", "Zahl", "0", 254);
    sensor.OName = "Fuehler Bad";
    sensor.SndDev = "Sender";
    sensor.RcvDev = "Empfang";
    Session s({sensor, object("Ohne", "Zahl", "0", 254)});
    s.project.objects[0].hardware.deviceCode = row.device;
    s.clock.set(at(10, 57, 0));  // 57 minutes: not yet
    s.session->supervisionTimer();
    EXPECT_FALSE(s.session->display(0).timeout);
    for (int minute = 0; minute < 12; ++minute) {
      s.clock.set(at(10, 58, 30) + minute * 60 * kOneSecond);
      s.session->supervisionTimer();
    }
    EXPECT_EQ(s.session->display(0).timeout, timesOut);
    EXPECT_EQ(s.ui.beeps, timesOut ? 1 : 0);
    EXPECT_EQ(s.session->caption(),
              timesOut ? "Haus [Ausf\xFChrung aktiv] Zeit\xFC" "berschreitung bei Fuehler Bad" : "Haus");
    const auto listed = messageListLines(*s.session, MessageList::Timeouts, s.clock.now());
    EXPECT_EQ(listed, timesOut ? std::vector<std::string>{row.listed} : std::vector<std::string>{});
    EXPECT_TRUE(messageListLines(*s.session, MessageList::Batteries, s.clock.now()).empty());
  }
}

}  // namespace
}  // namespace kelvaro
