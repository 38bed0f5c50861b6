#include "placement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace orvgen {
namespace {

std::int64_t Overlap(const ScreenRect& a, const ScreenRect& b) {
  const std::int64_t w = std::min(a.right, b.right) - std::max(a.left, b.left);
  const std::int64_t h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return (w > 0 && h > 0) ? w * h : 0;
}

// Squared distance between two rectangles (0 when they touch or overlap).
std::int64_t Distance2(const ScreenRect& a, const ScreenRect& b) {
  const std::int64_t dx = std::max({0, b.left - a.right, a.left - b.right});
  const std::int64_t dy = std::max({0, b.top - a.bottom, a.top - b.bottom});
  return dx * dx + dy * dy;
}

}  // namespace

std::size_t MonitorOfRect(const ScreenRect& rect, const std::vector<ScreenRect>& monitors) {
  std::size_t best = 0;
  std::int64_t bestOverlap = 0;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const std::int64_t o = Overlap(rect, monitors[i]);
    if (o > bestOverlap) {
      bestOverlap = o;
      best = i;
    }
  }
  if (bestOverlap > 0) return best;
  std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const std::int64_t d = Distance2(rect, monitors[i]);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

ScreenPoint SettingsPlaceBeside(const ScreenRect& mainOuter) {
  return ScreenPoint{mainOuter.left + mainOuter.Width() + 8, mainOuter.top};
}

ScreenPoint KeepOnActiveMonitor(ScreenPoint place, int width, int height, const ScreenRect& active,
                                const std::vector<ScreenRect>& monitors) {
  if (monitors.empty()) return place;
  const ScreenRect rect{place.x, place.y, place.x + width, place.y + height};
  const ScreenRect& own = monitors[MonitorOfRect(rect, monitors)];
  const ScreenRect& target = monitors[MonitorOfRect(active, monitors)];
  if (own == target) return place;
  ScreenPoint moved{target.left + (place.x - own.left), target.top + (place.y - own.top)};
  if (moved.x + width > target.right) moved.x = target.right - width;
  if (moved.y + height > target.bottom) moved.y = target.bottom - height;
  return moved;
}

}  // namespace orvgen
