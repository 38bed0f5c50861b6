#include <gtest/gtest.h>

#include <vector>

#include "placement.h"

namespace orvgen {
namespace {

TEST(SettingsPlacement, BesideTheMainWindowWithAGapOfEight) {
  EXPECT_EQ(SettingsPlaceBeside({100, 50, 428, 345}), (ScreenPoint{436, 50}));
  EXPECT_EQ(SettingsPlaceBeside({-20, -5, 308, 290}), (ScreenPoint{316, -5}));
}

TEST(SettingsPlacement, MonitorOfARectangle) {
  const std::vector<ScreenRect> two{{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}};
  EXPECT_EQ(MonitorOfRect({1800, 10, 2100, 200}, two), 1u);  // more of it on the right one
  EXPECT_EQ(MonitorOfRect({1700, 10, 2000, 200}, two), 0u);
  EXPECT_EQ(MonitorOfRect({4000, 10, 4300, 200}, two), 1u);  // on none: the nearest
  EXPECT_EQ(MonitorOfRect({-500, -300, -100, -10}, two), 0u);
}

TEST(SettingsPlacement, KeepsTheWindowOnTheActiveMonitor) {
  const std::vector<ScreenRect> one{{0, 0, 1024, 768}};
  const std::vector<ScreenRect> two{{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}};
  const std::vector<ScreenRect> stacked{{0, 0, 1920, 1080}, {0, 1080, 1920, 2160}};
  const int w = 297, h = 215;
  const struct {
    const char* what;
    std::vector<ScreenRect> monitors;
    ScreenRect active;
    ScreenPoint place, shown;
  } cases[] = {
      {"one monitor, inside", one, {100, 100, 428, 395}, {436, 100}, {436, 100}},
      {"one monitor, past the right edge: never moved", one, {800, 100, 1128, 395}, {1136, 100}, {1136, 100}},
      {"two monitors, same monitor", two, {100, 100, 428, 395}, {436, 100}, {436, 100}},
      // Mostly on the right monitor: same offset on the left one (1940 - 1920 = 20).
      {"two monitors, spills onto the right one", two, {1600, 200, 1932, 500}, {1940, 200}, {20, 200}},
      // The moved place would pass the active monitor's bottom edge: pulled up to end there.
      {"stacked, pulled up", stacked, {100, 900, 428, 1195}, {100, 2000}, {100, 1080 - h}},
      // Active window on the right monitor, settings computed past it onto nothing: nearest is right.
      {"right monitor edge", two, {3500, 100, 3832, 400}, {3840, 100}, {3840, 100}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KeepOnActiveMonitor(c.place, w, h, c.active, c.monitors), c.shown) << c.what;
  }
}

TEST(SettingsPlacement, PulledLeftToEndAtTheActiveMonitorsRightEdge) {
  // A narrow left monitor: the offset carried over would pass its right edge.
  const std::vector<ScreenRect> monitors{{0, 0, 800, 600}, {800, 0, 2720, 1080}};
  const ScreenPoint shown = KeepOnActiveMonitor({1400, 50}, 297, 215, {500, 50, 790, 300}, monitors);
  EXPECT_EQ(shown, (ScreenPoint{800 - 297, 50}));
}

}  // namespace
}  // namespace orvgen
