#include "platform/headless/dib_blit.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace orlim::headless {

namespace {

struct Span {
  std::int64_t begin = 0, end = 0;  // indices begin .. end - 1
  bool empty() const { return begin >= end; }
};

// The destination indices 0 .. length-1 starting at surface position `start`
// that fall inside the clip interval [low, high).
Span visibleSpan(std::int64_t start, std::int64_t length, std::int64_t low, std::int64_t high) {
  return {std::max<std::int64_t>(0, low - start), std::min(length, high - start)};
}

// Source index under the centre of destination index i (ties go down).
std::int64_t nearestIndex(std::int64_t i, std::int64_t srcLength, std::int64_t destLength, bool flip) {
  if (flip) i = destLength - 1 - i;
  return ((2 * i + 1) * srcLength - 1) / (2 * destLength);
}

// The constant difference of consecutive columns, or 0.
std::int32_t uniformStep(const std::vector<std::int32_t>& columns) {
  if (columns.size() < 2) return 0;
  const std::int32_t step = columns[1] - columns[0];
  for (std::size_t i = 2; i < columns.size(); ++i)
    if (columns[i] - columns[i - 1] != step) return 0;
  return step;
}

Rgb* rowAt(const BlitTarget& t, std::int64_t surfaceY) { return t.pixels + surfaceY * t.stride; }

// One source pixel's share of a destination pixel.
struct Tap {
  std::int64_t source;  // column or scan line in the DIB
  std::uint64_t weight;
};

// For each destination index, the source pixels it covers and their shares.
// Only indices into the source rectangle within `available` count (so absurd
// rectangles cost no more than the DIB has pixels); `toSource` turns such an
// index into a DIB coordinate.
struct AxisTaps {
  std::vector<std::size_t> start;  // taps of index i: start[i] .. start[i+1]-1
  std::vector<Tap> taps;
  std::vector<std::uint64_t> total;  // sum of the weights of index i
};

template <class ToSource>
AxisTaps averageTaps(Span span, std::int64_t srcLength, std::int64_t destLength, bool flip, Span available,
                     ToSource toSource) {
  const std::int64_t g = std::gcd(srcLength, destLength);
  AxisTaps a;
  a.start.reserve(static_cast<std::size_t>(span.end - span.begin) + 1);
  for (std::int64_t i = span.begin; i < span.end; ++i) {
    a.start.push_back(a.taps.size());
    const std::int64_t d = flip ? destLength - 1 - i : i;
    // Destination index d covers [d*s, (d+1)*s) in units where a source pixel is destLength wide.
    const std::int64_t from = d * srcLength, to = (d + 1) * srcLength;
    std::uint64_t total = 0;
    const std::int64_t last = std::min((to - 1) / destLength, available.end - 1);
    for (std::int64_t j = std::max(from / destLength, available.begin); j <= last; ++j) {
      const std::int64_t overlap = std::min(to, (j + 1) * destLength) - std::max(from, j * destLength);
      const std::uint64_t weight = static_cast<std::uint64_t>(overlap / g);
      a.taps.push_back({toSource(j), weight});
      total += weight;
    }
    a.total.push_back(total);
  }
  a.start.push_back(a.taps.size());
  return a;
}

}  // namespace

void copyDib(const BlitTarget& t, const DibSource& source, std::int64_t xDest, std::int64_t yDest,
             std::int64_t width, std::int64_t height, std::int64_t xSrc, std::int64_t ySrc) {
  const std::int64_t left = xDest + t.originX, top = yDest + t.originY;
  Span cols = visibleSpan(left, width, t.clipLeft, t.clipRight);
  cols.begin = std::max(cols.begin, -xSrc);
  cols.end = std::min(cols.end, source.width() - xSrc);
  const Span rows = visibleSpan(top, height, t.clipTop, t.clipBottom);
  if (cols.empty() || rows.empty()) return;
  const std::int64_t count = cols.end - cols.begin;
  for (std::int64_t r = rows.begin; r < rows.end; ++r) {
    const std::int64_t y = ySrc + height - 1 - r;
    if (y < 0 || y >= source.height() || !source.hasScan(y)) continue;
    Rgb* out = rowAt(t, top + r) + left + cols.begin;
    source.convert(source.scan(y), xSrc + cols.begin, count, out);
    if (t.mapping) t.mapping->mapRow(out, count);
  }
}

void stretchNearest(const BlitTarget& t, const DibSource& source, const StretchRects& s) {
  const std::int64_t left = s.xDest + t.originX, top = s.yDest + t.originY;
  const Span cols = visibleSpan(left, s.destWidth, t.clipLeft, t.clipRight);
  const Span rows = visibleSpan(top, s.destHeight, t.clipTop, t.clipBottom);
  if (cols.empty() || rows.empty()) return;
  // Precomputed column map; the columns that fall inside the DIB are one run.
  std::vector<std::int32_t> columns;
  std::int64_t first = -1;
  for (std::int64_t i = cols.begin; i < cols.end; ++i) {
    const std::int64_t x = s.xSrc + nearestIndex(i, s.srcWidth, s.destWidth, s.flipX);
    if (x >= 0 && x < source.width()) {
      if (first < 0) first = i;
      columns.push_back(static_cast<std::int32_t>(x));
    } else if (first >= 0) {
      break;
    }
  }
  if (columns.empty()) return;
  const auto count = static_cast<std::int64_t>(columns.size());
  const std::int32_t step = uniformStep(columns);
  const Rgb* previous = nullptr;
  std::int64_t previousScan = -1;
  for (std::int64_t r = rows.begin; r < rows.end; ++r) {
    const std::int64_t y = s.ySrc + s.srcHeight - 1 - nearestIndex(r, s.srcHeight, s.destHeight, s.flipY);
    if (y < 0 || y >= source.height() || !source.hasScan(y)) {
      previous = nullptr;
      continue;
    }
    Rgb* out = rowAt(t, top + r) + left + first;
    if (previous && y == previousScan) {
      // Enlarging repeats a source row: copy the row just drawn.
      std::memcpy(out, previous, static_cast<std::size_t>(count) * sizeof(Rgb));
    } else {
      source.gather(source.scan(y), columns.data(), count, out, step);
      if (t.mapping) t.mapping->mapRow(out, count);
    }
    previous = out;
    previousScan = y;
  }
}

void stretchAverage(const BlitTarget& t, const DibSource& source, const StretchRects& s) {
  // Exact weights stay below 2^56 per sum while each axis has at most 2^24 units
  // per destination pixel; absurd ratios beyond that are sampled instead.
  constexpr std::int64_t kMaxUnits = std::int64_t{1} << 24;
  if (s.srcWidth / std::gcd(s.srcWidth, s.destWidth) > kMaxUnits ||
      s.srcHeight / std::gcd(s.srcHeight, s.destHeight) > kMaxUnits) {
    stretchNearest(t, source, s);
    return;
  }
  const std::int64_t left = s.xDest + t.originX, top = s.yDest + t.originY;
  const Span cols = visibleSpan(left, s.destWidth, t.clipLeft, t.clipRight);
  const Span rows = visibleSpan(top, s.destHeight, t.clipTop, t.clipBottom);
  if (cols.empty() || rows.empty()) return;
  // Source rectangle columns j are DIB columns xSrc + j; rows k (from the top)
  // are scan lines ySrc + srcHeight - 1 - k.
  const Span columnsInDib{-s.xSrc, source.width() - s.xSrc};
  const Span rowsInDib{s.ySrc + s.srcHeight - source.scanEnd(), s.ySrc + s.srcHeight - source.scanBegin()};
  const AxisTaps xs = averageTaps(cols, s.srcWidth, s.destWidth, s.flipX, columnsInDib,
                                  [&](std::int64_t j) { return s.xSrc + j; });
  const AxisTaps ys = averageTaps(rows, s.srcHeight, s.destHeight, s.flipY, rowsInDib,
                                  [&](std::int64_t k) { return s.ySrc + s.srcHeight - 1 - k; });
  if (xs.taps.empty() || ys.taps.empty()) return;
  std::int64_t minX = xs.taps.front().source, maxX = minX;
  for (const Tap& tap : xs.taps) minX = std::min(minX, tap.source), maxX = std::max(maxX, tap.source);
  const std::int64_t count = cols.end - cols.begin;
  std::vector<Rgb> line(static_cast<std::size_t>(maxX - minX + 1));
  std::vector<std::uint64_t> sums(static_cast<std::size_t>(count) * 3);
  for (std::int64_t r = 0; r < rows.end - rows.begin; ++r) {
    const std::uint64_t rowTotal = ys.total[r];
    if (rowTotal == 0) continue;
    std::fill(sums.begin(), sums.end(), 0);
    for (std::size_t k = ys.start[r]; k < ys.start[r + 1]; ++k) {
      source.convert(source.scan(ys.taps[k].source), minX, maxX - minX + 1, line.data());
      const std::uint64_t wy = ys.taps[k].weight;
      for (std::int64_t c = 0; c < count; ++c) {
        std::uint64_t red = 0, green = 0, blue = 0;
        for (std::size_t n = xs.start[c]; n < xs.start[c + 1]; ++n) {
          const Rgb p = line[static_cast<std::size_t>(xs.taps[n].source - minX)];
          const std::uint64_t wx = xs.taps[n].weight;
          red += wx * redOf(p), green += wx * greenOf(p), blue += wx * blueOf(p);
        }
        std::uint64_t* sum = &sums[static_cast<std::size_t>(c) * 3];
        sum[0] += wy * red, sum[1] += wy * green, sum[2] += wy * blue;
      }
    }
    Rgb* out = rowAt(t, top + rows.begin + r) + left + cols.begin;
    for (std::int64_t c = 0; c < count; ++c) {
      const std::uint64_t total = xs.total[c] * rowTotal;
      if (total == 0) continue;
      const std::uint64_t* sum = &sums[static_cast<std::size_t>(c) * 3];
      out[c] = makeRgb(static_cast<unsigned>((sum[0] + total / 2) / total),
                       static_cast<unsigned>((sum[1] + total / 2) / total),
                       static_cast<unsigned>((sum[2] + total / 2) / total));
    }
    if (t.mapping) t.mapping->mapRow(out, count);
  }
}

}  // namespace orlim::headless
