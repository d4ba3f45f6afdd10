// The rule every window opens by: moved, and shrunk where needed, into the free screen area.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "ui/window_placement.h"

namespace kelvaro {
namespace {

std::string text(ScreenRect r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) + "x" +
         std::to_string(r.height);
}

TEST(WindowPlacement, MovesAndShrinksIntoTheArea) {
  // A 1024 x 768 screen with a 32-pixel panel on top.
  const ScreenRect screen{0, 32, 1024, 736};
  const struct {
    int line;
    ScreenRect window, area;
    const char* expected;
  } rows[] = {
      {__LINE__, {100, 100, 600, 400}, screen, "100,100 600x400"},         // inside: stays
      {__LINE__, {150, 50, 720, 1002}, screen, "150,32 720x736"},          // too tall: cut, top kept
      {__LINE__, {900, 700, 600, 400}, screen, "424,368 600x400"},         // below and right: moved back
      {__LINE__, {-300, 10, 600, 400}, screen, "0,32 600x400"},            // left of the screen
      {__LINE__, {2500, 1500, 800, 600}, screen, "224,168 800x600"},       // stored on a larger screen
      {__LINE__, {-50, -50, 1400, 1000}, screen, "0,32 1024x736"},         // larger both ways
      {__LINE__, {10, 10, -5, 300}, screen, "10,32 0x300"},                // a negative width counts as 0
      {__LINE__, {INT_MAX, INT_MIN, 600, 400}, screen, "424,32 600x400"},  // no overflow at the limits
      {__LINE__, {1500, 100, 600, 400}, {1024, 0, 1280, 1024}, "1500,100 600x400"},  // second screen
      {__LINE__, {5000, 5000, 600, 400}, {0, 0, 0, 0}, "5000,5000 600x400"},         // no screen known
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(text(fitIntoArea(row.window, row.area)), row.expected);
  }
}

}  // namespace
}  // namespace kelvaro
