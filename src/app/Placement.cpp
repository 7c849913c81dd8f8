#include "app/Placement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace nimbrel {

namespace {

ScreenRect Intersection(const ScreenRect& a, const ScreenRect& b) {
  ScreenRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

// How far apart two rectangles are: the squared length of the shortest
// step between them, 0 when they overlap. 64-bit: stored places may be far out.
int64_t DistanceSquared(const ScreenRect& a, const ScreenRect& b) {
  const int64_t dx = std::max<int64_t>({0, int64_t{b.left} - a.right, int64_t{a.left} - b.right});
  const int64_t dy = std::max<int64_t>({0, int64_t{b.top} - a.bottom, int64_t{a.top} - b.bottom});
  return dx * dx + dy * dy;
}

// The nearest area; among overlapping ones, the one sharing the most.
const ScreenRect& Nearest(const ScreenRect& window, const std::vector<ScreenRect>& areas) {
  const ScreenRect* best = &areas.front();
  int64_t bestDistance = std::numeric_limits<int64_t>::max();
  int64_t bestShared = -1;
  for (const ScreenRect& area : areas) {
    const int64_t distance = DistanceSquared(window, area);
    const ScreenRect shared = Intersection(window, area);
    const int64_t sharedArea = int64_t{shared.Width()} * shared.Height();
    if (distance < bestDistance || (distance == bestDistance && sharedArea > bestShared)) {
      best = &area;
      bestDistance = distance;
      bestShared = sharedArea;
    }
  }
  return *best;
}

// `start` moved the least so that [start, start + length) lies in [low, high);
// at `low` when it can't.
int Into(int start, int length, int low, int high) {
  if (length >= high - low) return low;
  return std::clamp(start, low, high - length);
}

}  // namespace

bool TitleBarReachable(const ScreenRect& window, int titleHeight, const std::vector<ScreenRect>& workAreas) {
  const ScreenRect bar{window.left, window.top, window.right, window.top + std::max(titleHeight, 1)};
  const int wantWidth = std::min(kTitleGrip, bar.Width());
  const int wantHeight = (bar.Height() + 1) / 2;
  return std::any_of(workAreas.begin(), workAreas.end(), [&](const ScreenRect& area) {
    const ScreenRect shared = Intersection(bar, area);
    return shared.Width() >= std::max(wantWidth, 1) && shared.Height() >= wantHeight;
  });
}

ScreenPoint PlaceOnScreen(ScreenPoint stored, int width, int height, int titleHeight,
                          const std::vector<ScreenRect>& workAreas) {
  if (workAreas.empty()) return stored;
  // No screen lies this far out; kept within it, the window's right and
  // bottom edges can't overflow.
  constexpr int kFar = 1 << 28;
  width = std::clamp(width, 0, kFar);
  height = std::clamp(height, 0, kFar);
  const int x = std::clamp(stored.x, -kFar, kFar);
  const int y = std::clamp(stored.y, -kFar, kFar);
  const ScreenRect window{x, y, x + width, y + height};
  if (x == stored.x && y == stored.y && TitleBarReachable(window, titleHeight, workAreas)) return stored;
  const ScreenRect& area = Nearest(window, workAreas);
  return {Into(window.left, window.Width(), area.left, area.right),
          Into(window.top, window.Height(), area.top, area.bottom)};
}

}  // namespace nimbrel
