#include "platform/raster/display_colors.h"

#include <algorithm>
#include <limits>

namespace orlim::raster {

namespace {

const std::vector<Rgb>& vgaColors() {
  static const std::vector<Rgb> colors = {
      makeRgb(0, 0, 0),       makeRgb(128, 0, 0),   makeRgb(0, 128, 0),   makeRgb(128, 128, 0),
      makeRgb(0, 0, 128),     makeRgb(128, 0, 128), makeRgb(0, 128, 128), makeRgb(192, 192, 192),
      makeRgb(128, 128, 128), makeRgb(255, 0, 0),   makeRgb(0, 255, 0),   makeRgb(255, 255, 0),
      makeRgb(0, 0, 255),     makeRgb(255, 0, 255), makeRgb(0, 255, 255), makeRgb(255, 255, 255)};
  return colors;
}

std::vector<Rgb> initialColors(int bitsPerPixel) {
  if (bitsPerPixel <= 1) return {makeRgb(0, 0, 0), makeRgb(255, 255, 255)};
  if (bitsPerPixel <= 4) return vgaColors();
  if (bitsPerPixel <= 8) return reservedSystemColors();
  return {};
}

unsigned squaredDistance(Rgb a, Rgb b) {
  const int dr = static_cast<int>(redOf(a)) - static_cast<int>(redOf(b));
  const int dg = static_cast<int>(greenOf(a)) - static_cast<int>(greenOf(b));
  const int db = static_cast<int>(blueOf(a)) - static_cast<int>(blueOf(b));
  return static_cast<unsigned>(dr * dr + dg * dg + db * db);
}

// 5-6-5 quantisation as a 16-bit display holds it, widened back by bit replication.
Rgb quantize565(Rgb c) {
  const unsigned r = redOf(c) >> 3, g = greenOf(c) >> 2, b = blueOf(c) >> 3;
  return makeRgb((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
}

}  // namespace

const std::vector<Rgb>& reservedSystemColors() {
  static const std::vector<Rgb> colors = {
      makeRgb(0, 0, 0),       makeRgb(128, 0, 0),     makeRgb(0, 128, 0),     makeRgb(128, 128, 0),
      makeRgb(0, 0, 128),     makeRgb(128, 0, 128),   makeRgb(0, 128, 128),   makeRgb(192, 192, 192),
      makeRgb(192, 220, 192), makeRgb(166, 202, 240), makeRgb(255, 251, 240), makeRgb(160, 160, 164),
      makeRgb(128, 128, 128), makeRgb(255, 0, 0),     makeRgb(0, 255, 0),     makeRgb(255, 255, 0),
      makeRgb(0, 0, 255),     makeRgb(255, 0, 255),   makeRgb(0, 255, 255),   makeRgb(255, 255, 255)};
  return colors;
}

const std::vector<Rgb>& halftonePaletteColors() {
  static const std::vector<Rgb> colors = [] {
    const std::vector<Rgb>& reserved = reservedSystemColors();
    std::vector<Rgb> c(reserved.begin(), reserved.begin() + 10);
    for (unsigned r = 0; r < 6; ++r)
      for (unsigned g = 0; g < 6; ++g)
        for (unsigned b = 0; b < 6; ++b) c.push_back(makeRgb(r * 51, g * 51, b * 51));
    // Grays between the cube's six levels, so gray pictures keep their tones.
    for (unsigned v :
         {8u, 17u, 25u, 34u, 42u, 59u, 68u, 76u, 85u, 93u, 110u, 119u, 136u, 144u, 170u, 178u, 187u, 212u, 221u, 238u})
      c.push_back(makeRgb(v, v, v));
    c.insert(c.end(), reserved.begin() + 10, reserved.end());
    return c;
  }();
  return colors;
}

DisplayColors::DisplayColors(int bitsPerPixel) : bitsPerPixel_(bitsPerPixel), shown_(initialColors(bitsPerPixel)) {}

Rgb DisplayColors::nearestShown(Rgb c) const {
  Rgb best = 0;
  unsigned bestDistance = std::numeric_limits<unsigned>::max();
  for (Rgb s : shown_) {
    const unsigned d = squaredDistance(c, s);
    if (d < bestDistance) {
      bestDistance = d;
      best = s;
      if (d == 0) break;
    }
  }
  return best;
}

Rgb DisplayColors::map(Rgb c) const {
  c &= 0xFFFFFF;
  if (hasPalette()) return nearestShown(c);
  if (bitsPerPixel_ <= 16) return quantize565(c);
  return c;
}

void DisplayColors::buildLookup() {
  lookup_.resize(32768);
  for (unsigned i = 0; i < 32768; ++i) {
    const unsigned r = i >> 10, g = (i >> 5) & 31, b = i & 31;
    lookup_[i] = nearestShown(makeRgb((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2)));
  }
}

void DisplayColors::mapRow(Rgb* pixels, std::int64_t count) {
  if (!hasPalette()) {
    if (bitsPerPixel_ <= 16)
      for (std::int64_t i = 0; i < count; ++i) pixels[i] = quantize565(pixels[i]);
    return;
  }
  if (lookup_.empty()) buildLookup();
  for (std::int64_t i = 0; i < count; ++i) {
    const Rgb c = pixels[i];
    pixels[i] = lookup_[((c >> 9) & 0x7C00) | ((c >> 6) & 0x3E0) | ((c >> 3) & 0x1F)];
  }
}

unsigned DisplayColors::realize(const std::vector<Rgb>& logical) {
  if (bitsPerPixel_ != 8) return 0;
  std::vector<Rgb> shown = reservedSystemColors();
  unsigned taken = 0;
  for (Rgb c : logical) {
    if (shown.size() >= 256) break;
    ++taken;
    c &= 0xFFFFFF;
    if (std::find(shown.begin(), shown.end(), c) == shown.end()) shown.push_back(c);
  }
  // Each paint realises its palette again; the lookup table stays while the colours do.
  if (shown != shown_) {
    shown_ = std::move(shown);
    lookup_.clear();
  }
  return taken;
}

}  // namespace orlim::raster
