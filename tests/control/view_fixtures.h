// Fixtures of the view tests: pictures made by imagemagick and DjVuLibre, and
// reading back what the headless window shows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "control_harness.h"
#include "support/test_support.h"

namespace orlim::test {

// `convert OPTIONS PREFIX:path`, e.g. viewPicture(dir, "a.bmp", "-size 30x20 gradient:red-blue", "BMP3:").
inline std::string viewPicture(const TempDir& dir, const std::string& name, const std::string& options,
                               const std::string& prefix = "") {
  const std::string path = dir.file(name);
  std::string output;
  if (run(convertTool() + " " + options + " '" + prefix + path + "'", &output) != 0) ADD_FAILURE() << output;
  return path;
}

// A DjVu photo page (IW44 background only) of the given size.
inline std::string djvuPhotoPage(const TempDir& dir, const std::string& name, int width, int height) {
  const std::string ppm = viewPicture(
      dir, name + ".ppm",
      "-size " + std::to_string(width) + "x" + std::to_string(height) + " plasma:fractal -seed 7 -blur 0x2");
  const std::string page = dir.file(name + ".djvu");
  std::string output;
  if (run("c44 '" + ppm + "' '" + page + "'", &output) != 0) ADD_FAILURE() << output;
  return page;
}

// ddjvu's rendering of a page reduced by `subsample`, as RGB.
inline RgbPicture ddjvuReduced(const TempDir& dir, const std::string& page, int subsample) {
  const std::string out = dir.file("ref" + std::to_string(subsample) + ".ppm");
  std::string output;
  if (run("ddjvu -format=ppm -subsample=" + std::to_string(subsample) + " '" + page + "' '" + out + "'", &output) != 0)
    ADD_FAILURE() << output;
  return decodeWithImagemagick(out);
}

inline std::uint32_t rgbOf(const RgbPicture& p, int x, int y) {
  const std::uint8_t* q = &p.rgb[(static_cast<std::size_t>(y) * p.width + x) * 3];
  return (std::uint32_t{q[0]} << 16) | (std::uint32_t{q[1]} << 8) | q[2];
}

inline std::uint32_t shown(const ControlHarness& h, int x, int y) { return h.window.surface().pixel(x, y); }

// Counts window pixels of the area (left, top, width, height) that differ by more
// than `tolerance` in a channel from the picture pixel `source(x, y)` gives.
template <typename Source>
int countMismatches(const ControlHarness& h, int left, int top, int width, int height, int tolerance, Source source) {
  int bad = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t a = shown(h, left + x, top + y), b = source(x, y);
      for (int shift : {0, 8, 16}) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > tolerance || -d > tolerance) {
          ++bad;
          break;
        }
      }
    }
  return bad;
}

inline void loadInto(ControlHarness& h, const std::string& path) {
  h.forget();
  ASSERT_EQ(h.set("Picture", Variant::fromString(path)), S_OK);
  h.window.DeliverPendingPaint();
  ASSERT_TRUE(h.control.hasPicture()) << path;
}

inline void paint(ControlHarness& h) {
  for (int i = 0; i < 4 && h.window.DeliverPendingPaint(); ++i) {
  }
}

inline int countOf(const std::vector<std::string>& log, const std::string& line) {
  return static_cast<int>(std::count(log.begin(), log.end(), line));
}

}  // namespace orlim::test
