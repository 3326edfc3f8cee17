#include "symbol/canvas.h"

#include <cstdlib>

namespace codexel {

void TraceLine(Point from, Point to, const std::function<void(Point)>& plot) {
  const int dx = std::abs(to.x - from.x);
  const int dy = std::abs(to.y - from.y);
  const int step_x = to.x < from.x ? -1 : 1;
  const int step_y = to.y < from.y ? -1 : 1;
  const bool x_major = dx >= dy;
  const int major = x_major ? dx : dy;
  const int minor = x_major ? dy : dx;
  Point p = from;
  int error = 2 * minor - major;
  for (int i = 0; i < major; ++i) {
    plot(p);
    if (error > 0) {
      (x_major ? p.y : p.x) += x_major ? step_y : step_x;
      error -= 2 * major;
    }
    error += 2 * minor;
    (x_major ? p.x : p.y) += x_major ? step_x : step_y;
  }
}

void TraceWideLine(Point from, Point to, int width, const std::function<void(Point)>& plot) {
  if (width <= 1) {
    TraceLine(from, to, plot);
    return;
  }
  const bool x_major = std::abs(to.x - from.x) >= std::abs(to.y - from.y);
  TraceLine(from, to, [&](Point p) {
    for (int i = 0; i < width; ++i) {
      const int offset = i - width / 2;
      plot(x_major ? Point{p.x, p.y + offset} : Point{p.x + offset, p.y});
    }
  });
}

}  // namespace codexel
