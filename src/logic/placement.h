// Where the settings window goes when the settings button is clicked: beside the main
// window, and on the main window's monitor when that place falls on another one.
#pragma once

#include <vector>

namespace orvgen {

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

struct ScreenPoint {
  int x = 0, y = 0;
  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// The monitor holding the largest part of the rectangle, or the nearest one when none
// holds any part; the index into monitors. Monitors must not be empty.
std::size_t MonitorOfRect(const ScreenRect& rect, const std::vector<ScreenRect>& monitors);

// Left edge plus outer width plus 8, same top: the settings window's place on every click.
ScreenPoint SettingsPlaceBeside(const ScreenRect& mainOuter);

// The place a window of the given size at `place` is shown at, keeping it on the monitor
// of `active` (the main window): moved to the same offset on that monitor when its own
// monitor is another one, then pulled left or up to end at that monitor's edges.
ScreenPoint KeepOnActiveMonitor(ScreenPoint place, int width, int height, const ScreenRect& active,
                                const std::vector<ScreenRect>& monitors);

}  // namespace orvgen
