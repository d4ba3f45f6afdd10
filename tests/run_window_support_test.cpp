// The execution window's own decisions: type bitmaps for a run, element set-up, what a
// bitmap element shows and the stored window place (the message lists are tested with the
// run session that fills them).
#include <gtest/gtest.h>

#include "model/object_types.h"
#include "runtime/run_window_support.h"
#include "support/project_builder.h"

namespace kelvaro {
namespace {

TypeStateEntry typeState(const char* entry, const char* bitmap) {
  TypeStateEntry e{entry, std::nullopt};
  if (bitmap) e.bitmap = TBitmapNam{bitmap, 1, 0};
  return e;
}

TEST(RunWindowBitmaps, OwnBitmapsStayAndEveryOtherStateTakesTheTypes) {
  Project p;
  p.typeStates = {typeState("Rolllade:oben", "OBEN.BMP"), typeState("Rolllade:halb", nullptr),
                  typeState("Rolllade:unten", "UNTEN.BMP"), typeState("Lampe:aus", "AUS.BMP")};
  TPSObj o = createObject("Rollo");
  o.Typ = "Rolllade";
  o.OKind = kKindUser;
  // As a file leaves it: only the own bitmap of the last state, so its index is off by two.
  o.stateBitmaps = {{"unten", TBitmapNam{"MEIN.BMP", 1, 1}}};
  TPSObj number = createObject("Zahl");
  number.Typ = "Zahl";
  number.OKind = kKindNumber;
  p.objects = {o, number};

  attachTypeBitmaps(p);
  EXPECT_EQ(test::stateBitmapText(p.objects[0].stateBitmaps), "oben=OBEN.BMP/1/0 halb= unten=MEIN.BMP/1/1");
  EXPECT_TRUE(p.objects[1].stateBitmaps.empty());
  // After the run only the own bitmap is left, as before.
  keepOwnBitmaps(p.objects[0]);
  EXPECT_EQ(test::stateBitmapText(p.objects[0].stateBitmaps), "unten=MEIN.BMP/1/1");
}

TEST(RunWindowBitmaps, WhatABitmapElementShows) {
  TPSObj o = createObject("Lampe");
  o.stateBitmaps = {{"aus", TBitmapNam{"AUS.BMP", 1, 0}}, {"an", std::nullopt}};
  struct Row {
    int line;
    bool visible;
    int state;
    const char* bitmap;
    bool background;
    int noBitmap;
    BitmapShow expected;
  };
  const Row rows[] = {
      {__LINE__, false, 0, "AUS.BMP", true, 2, BitmapShow::Hidden},
      {__LINE__, true, 0, "AUS.BMP", true, 2, BitmapShow::Picture},
      {__LINE__, true, 0, "AUS.BMP", false, 2, BitmapShow::StateName},  // no floor plan behind
      {__LINE__, true, 1, "", true, 0, BitmapShow::Hidden},             // "keine Anzeige"
      {__LINE__, true, 1, "", true, 1, BitmapShow::StateName},          // "Ausgabefenster"
      {__LINE__, true, 1, "", true, 2, BitmapShow::Unchanged},          // "keine Änderung"
      {__LINE__, true, 2, "", true, 1, BitmapShow::Unchanged},          // no such state
      {__LINE__, true, -1, "", true, 1, BitmapShow::Unchanged},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    o.NoBitMapRB = r.noBitmap;
    ObjectDisplay d;
    d.visible = r.visible;
    d.state = r.state;
    d.bitmap = r.bitmap;
    EXPECT_EQ(bitmapShow(o, d, r.background), r.expected);
  }
}

TEST(RunWindowElements, GaugeSetUpFromTheObject) {
  TPSObj o = createObject("Temp");
  o.OName = "Temperatur";
  o.GgeFrom = -10;
  o.GgeTo = 40;
  o.GaugeDirRB = 1;
  o.GgeCol = 3;
  struct Row {
    int line;
    std::int32_t outp, outpWrt;
    char kind;
    bool slider;
  };
  const Row rows[] = {{__LINE__, 1, 0, ' ', false}, {__LINE__, 1, 1, 'W', false}, {__LINE__, 2, 2, 'P', true}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    o.OutpRB = r.outp;
    o.OutpWrtRB = r.outpWrt;
    const ElementSetup s = elementSetup(o, ElementKind::Gauge);
    EXPECT_EQ(s.label + " " + std::to_string(s.minValue) + ".." + std::to_string(s.maxValue) + " direction " +
                  std::to_string(s.direction) + " colour " + std::to_string(s.colour),
              "Temperatur -10..40 direction 1 colour 3");
    EXPECT_EQ(s.valueKind, r.kind);
    EXPECT_EQ(s.slider, r.slider);
  }
  // BALKENFARBE wins over the object's own colour; an index off the list falls back to blue.
  ObjectRunState run;
  EXPECT_EQ(gaugeColour(o, run), 3);
  run.gaugeColor = 5;
  EXPECT_EQ(gaugeColour(o, run), 5);
  run.gaugeColor = -1;
  o.GgeCol = 99;
  EXPECT_EQ(gaugeColour(o, run), 2);
}

TEST(RunWindowPlacement, StoredStateThenPositionThenNothing) {
  Project p;
  EXPECT_FALSE(executionWindowPlacement(p).usePosition);
  p.ExeWinPos = {20, 30, 640, 480};
  WindowPlacement w = executionWindowPlacement(p);
  EXPECT_TRUE(w.usePosition);
  EXPECT_EQ(w.position.width, 640);
  p.ExeWinStat = kWindowMaximized;
  w = executionWindowPlacement(p);
  EXPECT_FALSE(w.usePosition);
  EXPECT_EQ(w.state, kWindowMaximized);

  // A window pushed past the left edge keeps its size in the file.
  storeExecutionWindowPlacement(p, {-8, -8, 700, 500}, kWindowNormal);
  EXPECT_EQ(p.ExeWinStat, kWindowNormal);
  const WindowPosition& r = p.ExeWinPos;
  EXPECT_EQ((std::vector<int>{r.left, r.top, r.width, r.height}), (std::vector<int>{0, 0, 700, 500}));
}

TEST(RunWindowViews, BackgroundFileWithAndWithoutPath) {
  Project p;
  p.views = {{"EG", {"EG.BMP", 1}}, {"OG", {"/bilder/OG.BMP", 0}}, {"Leer", {}}};
  EXPECT_EQ(viewBitmapFile(p, "eg", "/bmp/"), "/bmp/EG.BMP");
  EXPECT_EQ(viewBitmapFile(p, "OG", "/bmp/"), "/bilder/OG.BMP");
  EXPECT_EQ(viewBitmapFile(p, "Leer", "/bmp/"), "");
  EXPECT_EQ(viewBitmapFile(p, "Keller", "/bmp/"), "");
}

}  // namespace
}  // namespace kelvaro
