#include "platform/raster/pen_lines.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/gdi_types.h"

namespace orlim::raster {

namespace {

struct Point64 {
  std::int64_t x, y;
};

// The rows of a round pen tip of the given width, as offsets from the centre pixel.
struct TipRow {
  std::int64_t dy, dxFrom, dxTo;  // dxTo inclusive
};

std::vector<TipRow> roundTip(int width) {
  std::vector<TipRow> rows;
  const int low = -(width / 2);
  const double center = low + (width - 1) / 2.0;
  const double radius2 = (width / 2.0) * (width / 2.0);
  for (int dy = low; dy < low + width; ++dy) {
    int from = 1, to = 0;
    for (int dx = low; dx < low + width; ++dx) {
      const double ex = dx - center, ey = dy - center;
      if (ex * ex + ey * ey <= radius2 + 1e-9) {
        if (from > to) from = dx;
        to = dx;
      }
    }
    if (from <= to) rows.push_back({dy, from, to});
  }
  return rows;
}

class LinePainter {
 public:
  LinePainter(const BlitTarget& target, const LinePen& pen)
      : t_(target), pen_(pen), pattern_(dashPattern(pen.width > 1 ? PS_SOLID : pen.style)) {
    if (pen.width > 1) tip_ = roundTip(pen.width);
  }

  void segment(Point64 a, Point64 b) {
    const std::int64_t dx = b.x - a.x, dy = b.y - a.y;
    const std::int64_t adx = std::abs(dx), ady = std::abs(dy);
    const bool xMajor = adx >= ady;
    const std::int64_t length = xMajor ? adx : ady;
    const bool wide = pen_.width > 1;
    if (length == 0) {
      if (wide) stamp(a.x, a.y);
      return;
    }
    const std::int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const std::int64_t minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const std::int64_t minorLength = xMajor ? ady : adx;
    const std::int64_t majorStart = xMajor ? a.x : a.y, minorStart = xMajor ? a.y : a.x;
    const std::int64_t margin = wide ? pen_.width : 0;
    const std::int64_t low = (xMajor ? t_.clipLeft : t_.clipTop) - margin;
    const std::int64_t high = (xMajor ? t_.clipRight : t_.clipBottom) + margin;
    // Only the steps whose major coordinate can touch the clip rectangle are walked.
    std::int64_t first = majorStep > 0 ? low - majorStart : majorStart - high + 1;
    std::int64_t last = majorStep > 0 ? high - 1 - majorStart : majorStart - low;
    first = std::max<std::int64_t>(first, 0);
    last = std::min(last, wide ? length : length - 1);
    for (std::int64_t step = first; step <= last; ++step) {
      const std::int64_t major = majorStart + majorStep * step;
      // 128-bit: a segment may span the whole 32-bit coordinate range.
      const auto offset = (2 * static_cast<__int128>(step) * minorLength + length) / (2 * length);
      const std::int64_t minor = minorStart + minorStep * static_cast<std::int64_t>(offset);
      const std::int64_t x = xMajor ? major : minor, y = xMajor ? minor : major;
      if (wide)
        stamp(x, y);
      else
        plot(x, y, styleOn(stylePosition_ + step));
    }
    stylePosition_ += length;
  }

 private:
  bool styleOn(std::int64_t position) const {
    if (pattern_.count == 0) return true;
    std::int64_t p = position % pattern_.period;
    for (int i = 0; i < pattern_.count; ++i) {
      if (p < pattern_.runs[i]) return i % 2 == 0;
      p -= pattern_.runs[i];
    }
    return true;
  }

  bool inside(std::int64_t x, std::int64_t y) const {
    return x >= t_.clipLeft && x < t_.clipRight && y >= t_.clipTop && y < t_.clipBottom;
  }

  void plot(std::int64_t x, std::int64_t y, bool on) {
    if (!inside(x, y)) return;
    if (on)
      t_.pixels[y * t_.stride + x] = pen_.color;
    else if (pen_.opaqueGaps)
      t_.pixels[y * t_.stride + x] = pen_.gapColor;
  }

  void stamp(std::int64_t x, std::int64_t y) {
    for (const TipRow& row : tip_) {
      const std::int64_t py = y + row.dy;
      if (py < t_.clipTop || py >= t_.clipBottom) continue;
      const std::int64_t from = std::max(x + row.dxFrom, t_.clipLeft);
      const std::int64_t to = std::min(x + row.dxTo, t_.clipRight - 1);
      Rgb* line = t_.pixels + py * t_.stride;
      for (std::int64_t px = from; px <= to; ++px) line[px] = pen_.color;
    }
  }

  const BlitTarget& t_;
  const LinePen& pen_;
  DashPattern pattern_;
  std::vector<TipRow> tip_;
  std::int64_t stylePosition_ = 0;
};

}  // namespace

DashPattern dashPattern(int style) {
  switch (style) {
    case PS_DASH: return {{18, 6}, 2, 24};
    case PS_DOT: return {{3, 3}, 2, 6};
    case PS_DASHDOT: return {{9, 6, 3, 6}, 4, 24};
    case PS_DASHDOTDOT: return {{9, 3, 3, 3, 3, 3}, 6, 24};
    default: return {};
  }
}

void drawPolyline(const BlitTarget& target, const POINT* points, int count, const LinePen& pen) {
  if (pen.style == PS_NULL || target.clipLeft >= target.clipRight || target.clipTop >= target.clipBottom) return;
  LinePainter painter(target, pen);
  for (int i = 1; i < count; ++i) {
    const Point64 a{points[i - 1].x + target.originX, points[i - 1].y + target.originY};
    const Point64 b{points[i].x + target.originX, points[i].y + target.originY};
    painter.segment(a, b);
  }
}

}  // namespace orlim::raster
