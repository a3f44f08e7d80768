#include "platform/raster/dib_blit.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>
#include <vector>

namespace orlim::raster {

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

// For each destination index, the run of source-rectangle indices it covers and
// their shares. Only indices within `available` count (so absurd rectangles
// cost no more than the DIB has pixels).
struct AxisTaps {
  std::vector<std::size_t> start;        // weights of index i: start[i] .. start[i+1]-1
  std::vector<std::int64_t> firstIndex;  // source-rectangle index of the first of them
  std::vector<std::uint32_t> weight;
  std::vector<std::uint64_t> total;  // sum of the weights of index i
  std::size_t count(std::size_t i) const { return start[i + 1] - start[i]; }
};

AxisTaps averageTaps(Span span, std::int64_t srcLength, std::int64_t destLength, bool flip, Span available) {
  const std::int64_t g = std::gcd(srcLength, destLength);
  AxisTaps a;
  a.start.reserve(static_cast<std::size_t>(span.end - span.begin) + 1);
  for (std::int64_t i = span.begin; i < span.end; ++i) {
    a.start.push_back(a.weight.size());
    const std::int64_t d = flip ? destLength - 1 - i : i;
    // Destination index d covers [d*s, (d+1)*s) in units where a source pixel is destLength wide.
    const std::int64_t from = d * srcLength, to = (d + 1) * srcLength;
    const std::int64_t first = std::max(from / destLength, available.begin);
    const std::int64_t last = std::min((to - 1) / destLength, available.end - 1);
    std::uint64_t total = 0;
    for (std::int64_t j = first; j <= last; ++j) {
      const std::int64_t overlap = std::min(to, (j + 1) * destLength) - std::max(from, j * destLength);
      a.weight.push_back(static_cast<std::uint32_t>(overlap / g));
      total += a.weight.back();
    }
    a.firstIndex.push_back(first);
    a.total.push_back(total);
  }
  a.start.push_back(a.weight.size());
  return a;
}

// The source-rectangle indices any destination index reads.
Span readIndices(const AxisTaps& a) {
  Span read{std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min()};
  for (std::size_t i = 0; i + 1 < a.start.size(); ++i) {
    if (a.count(i) == 0) continue;
    read.begin = std::min(read.begin, a.firstIndex[i]);
    read.end = std::max(read.end, a.firstIndex[i] + static_cast<std::int64_t>(a.count(i)));
  }
  return read;
}

// Adds one source row, weighted by `rowWeight`, to the red, green and blue sums
// of every destination pixel; `line[j - first]` is the pixel of source-rectangle index j.
void addWeightedRow(const AxisTaps& xs, const Rgb* line, std::int64_t first, std::uint64_t rowWeight,
                    std::uint64_t* sums) {
  for (std::size_t c = 0; c + 1 < xs.start.size(); ++c, sums += 3) {
    const std::size_t taps = xs.count(c);
    if (taps == 0) continue;
    const Rgb* pixels = line + (xs.firstIndex[c] - first);
    const std::uint32_t* weights = xs.weight.data() + xs.start[c];
    // The weights of one destination pixel add up to at most 2^24: 32 bits hold 255 times that.
    std::uint32_t red = 0, green = 0, blue = 0;
    for (std::size_t n = 0; n < taps; ++n) {
      const Rgb p = pixels[n];
      red += weights[n] * redOf(p), green += weights[n] * greenOf(p), blue += weights[n] * blueOf(p);
    }
    sums[0] += rowWeight * red, sums[1] += rowWeight * green, sums[2] += rowWeight * blue;
  }
}

}  // namespace

void copyDib(const BlitTarget& t, const DibSource& source, std::int64_t xDest, std::int64_t yDest, std::int64_t width,
             std::int64_t height, std::int64_t xSrc, std::int64_t ySrc) {
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
  const AxisTaps xs = averageTaps(cols, s.srcWidth, s.destWidth, s.flipX, columnsInDib);
  const AxisTaps ys = averageTaps(rows, s.srcHeight, s.destHeight, s.flipY, rowsInDib);
  if (xs.weight.empty() || ys.weight.empty()) return;
  const std::int64_t count = cols.end - cols.begin;
  // The DIB columns any destination pixel reads, converted once per source row.
  const Span read = readIndices(xs);
  const std::int64_t minX = s.xSrc + read.begin;
  std::vector<Rgb> line(static_cast<std::size_t>(read.end - read.begin));
  std::vector<std::uint64_t> sums(static_cast<std::size_t>(count) * 3);
  for (std::int64_t r = 0; r < rows.end - rows.begin; ++r) {
    const std::uint64_t rowTotal = ys.total[r];
    if (rowTotal == 0) continue;
    std::fill(sums.begin(), sums.end(), 0);
    for (std::size_t k = 0; k < ys.count(r); ++k) {
      const std::int64_t scan = s.ySrc + s.srcHeight - 1 - (ys.firstIndex[r] + static_cast<std::int64_t>(k));
      source.convert(source.scan(scan), minX, read.end - read.begin, line.data());
      addWeightedRow(xs, line.data(), read.begin, ys.weight[ys.start[r] + k], sums.data());
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

}  // namespace orlim::raster
