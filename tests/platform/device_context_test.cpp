// The headless device context against independent references: BMP files as
// imagemagick decodes them, pixels read straight from the DIB, area averages
// computed here in floating point, and the dash patterns pens are known to draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "image/fixtures.h"
#include "platform/headless/png_file.h"
#include "platform/raster/SurfaceDeviceContext.h"
#include "support/image_pixels.h"
#include "support/test_support.h"

namespace orlim::test {
namespace {

constexpr std::uint32_t kBlank = 0x123456;

const BITMAPINFO* infoOf(const Image& im) { return reinterpret_cast<const BITMAPINFO*>(im.dib); }

// A BMP file held in memory, drawn straight from its bytes.
struct BmpFile {
  std::vector<std::uint8_t> bytes;
  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(bytes.data() + 14); }
  BITMAPINFO* info() { return reinterpret_cast<BITMAPINFO*>(bytes.data() + 14); }
  const std::uint8_t* bits() const {
    std::uint32_t offset;
    std::memcpy(&offset, bytes.data() + 10, 4);
    return bytes.data() + offset;
  }
  int width() const { return info()->bmiHeader.biWidth; }
  int height() const { return std::abs(info()->bmiHeader.biHeight); }

  // The same picture stored top-down: rows reversed, height negated.
  void makeTopDown() {
    BITMAPINFOHEADER& h = info()->bmiHeader;
    const std::size_t stride = static_cast<std::size_t>(dibStride(h.biWidth, h.biBitCount));
    auto* rows = const_cast<std::uint8_t*>(bits());
    for (int top = 0, bottom = height() - 1; top < bottom; ++top, --bottom)
      std::swap_ranges(rows + top * stride, rows + (top + 1) * stride, rows + bottom * stride);
    h.biHeight = -h.biHeight;
  }
};

// A noisy 37 x 23 picture written by imagemagick with the given options.
BmpFile imagemagickBmp(const TempDir& dir, const std::string& name, const std::string& options,
                       const std::string& format) {
  const std::string path = dir.file(name);
  std::string log;
  const std::string command =
      convertTool() + " -seed 7 -size 37x23 xc:gray +noise Random " + options + " '" + format + ":" + path + "'";
  if (run(command, &log) != 0) ADD_FAILURE() << command << ": " << log;
  return {readFile(path)};
}

// Part of a surface as top-to-bottom RGB, comparable with decodeWithImagemagick.
RgbPicture region(const Surface& s, int left, int top, int width, int height) {
  RgbPicture pic{width, height, {}};
  for (int y = top; y < top + height; ++y)
    for (int x = left; x < left + width; ++x) {
      const std::uint32_t p = s.pixel(x, y);
      pic.rgb.insert(pic.rgb.end(), {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)});
    }
  return pic;
}

int countColor(const Surface& s, std::uint32_t color) {
  return static_cast<int>(std::count(s.pixels().begin(), s.pixels().end(), color));
}

// --- one-to-one drawing against imagemagick ---

struct DepthCase {
  const char* name;
  const char* options;
  const char* format;
  int bits;
  int tolerance;  // 16-bit channels are widened by bit repetition, imagemagick rounds
};

TEST(DeviceContextBlit, OneToOneEqualsImagemagickForEveryDepthAndRowOrder) {
  if (!haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  TempDir dir;
  const DepthCase cases[] = {
      {"d1.bmp", "-monochrome", "BMP3", 1, 0},
      {"d4.bmp", "-colors 16 -type Palette -compress None", "BMP3", 4, 0},
      {"d8.bmp", "-colors 200 -type Palette -compress None", "BMP3", 8, 0},
      {"d555.bmp", "-define bmp:subtype=RGB555", "BMP", 16, 1},
      {"d565.bmp", "-define bmp:subtype=RGB565", "BMP", 16, 1},
      {"d24.bmp", "-type TrueColor", "BMP3", 24, 0},
      {"d32.bmp", "-alpha set -define bmp:format=bmp4 -type TrueColorAlpha", "BMP", 32, 0},
  };
  for (const DepthCase& c : cases) {
    SCOPED_TRACE(c.name);
    BmpFile bmp = imagemagickBmp(dir, c.name, c.options, c.format);
    ASSERT_EQ(bmp.info()->bmiHeader.biBitCount, c.bits);
    const RgbPicture reference = decodeWithImagemagick(dir.file(c.name));
    for (bool topDown : {false, true}) {
      if (topDown) bmp.makeTopDown();
      Surface copied(50, 40, 32, 96, 96, kBlank), stretched(50, 40, 32, 96, 96, kBlank);
      SurfaceDeviceContext dc1(copied), dc2(stretched);
      EXPECT_EQ(dc1.SetDIBitsToDevice(5, 7, 37, 23, 0, 0, 0, 23, bmp.bits(), bmp.info(), DIB_RGB_COLORS), 23);
      EXPECT_EQ(dc2.StretchDIBits(5, 7, 37, 23, 0, 0, 37, 23, bmp.bits(), bmp.info(), DIB_RGB_COLORS, SRCCOPY), 23);
      const int diff = maxChannelDifference(region(copied, 5, 7, 37, 23), reference);
      EXPECT_GE(diff, 0) << "sizes differ";
      EXPECT_LE(diff, c.tolerance);
      EXPECT_EQ(copied.pixels(), stretched.pixels());
      EXPECT_EQ(countColor(copied, kBlank), 50 * 40 - 37 * 23) << "drew outside the destination";
    }
  }
}

// The 16-bit 5-5-5 layout without masks is what BI_RGB means at that depth.
TEST(DeviceContextBlit, SixteenBitWithoutMasksIsFiveFiveFive) {
  const BITMAPINFOHEADER h{40, 4, 1, 1, 16, BI_RGB, 8, 0, 0, 0, 0};
  const std::uint16_t pixels[4] = {0x7C00, 0x03E0, 0x001F, 0x4210};  // red, green, blue, 10000 each
  Surface s(4, 1);
  SurfaceDeviceContext dc(s);
  dc.SetDIBitsToDevice(0, 0, 4, 1, 0, 0, 0, 1, pixels, reinterpret_cast<const BITMAPINFO*>(&h), DIB_RGB_COLORS);
  EXPECT_EQ(s.pixel(0, 0), 0xFF0000u);
  EXPECT_EQ(s.pixel(1, 0), 0x00FF00u);
  EXPECT_EQ(s.pixel(2, 0), 0x0000FFu);
  EXPECT_EQ(s.pixel(3, 0), 0x848484u);
}

// --- source rectangles and scan lines ---

TEST(DeviceContextBlit, SourceRectangleCountsRowsFromTheBottomForBothRowOrders) {
  for (int order : {kRowsBottomUp, kRowsTopDown}) {
    Image im;
    makePicture(im, 20, 15, 24, order, 3);
    Surface s(10, 10, 32, 96, 96, kBlank);
    SurfaceDeviceContext dc(s);
    // Picture rows (from the top) 15 - (4 + 6) = 5 .. 10, columns 3 .. 9.
    dc.SetDIBitsToDevice(1, 2, 7, 6, 3, 4, 0, 15, im.bits(), infoOf(im), DIB_RGB_COLORS);
    Surface t(10, 10, 32, 96, 96, kBlank);
    SurfaceDeviceContext dt(t);
    dt.StretchDIBits(1, 2, 7, 6, 3, 4, 7, 6, im.bits(), infoOf(im), DIB_RGB_COLORS, SRCCOPY);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 7; ++x) {
        ASSERT_EQ(s.pixel(1 + x, 2 + y), seenPixel(im, 3 + x, 5 + y)) << "order " << order << " at " << x << "," << y;
        ASSERT_EQ(t.pixel(1 + x, 2 + y), seenPixel(im, 3 + x, 5 + y));
      }
    EXPECT_EQ(countColor(s, kBlank), 100 - 42);
  }
}

TEST(DeviceContextBlit, ScanLineBandsAddUpToTheWholePicture) {
  Image im;
  makePicture(im, 13, 11, 8, kRowsBottomUp, 5);
  Surface whole(13, 11), banded(13, 11, 32, 96, 96, kBlank);
  SurfaceDeviceContext dw(whole), db(banded);
  dw.SetDIBitsToDevice(0, 0, 13, 11, 0, 0, 0, 11, im.bits(), infoOf(im), DIB_RGB_COLORS);
  // Bands of 3 scan lines from the bottom; the last one asks for more than there is.
  for (int start = 0; start < 11; start += 3)
    EXPECT_EQ(
        db.SetDIBitsToDevice(0, 0, 13, 11, 0, 0, start, 3, im.bits() + start * im.stride, infoOf(im), DIB_RGB_COLORS),
        std::min(3, 11 - start));
  EXPECT_EQ(whole.pixels(), banded.pixels());

  // One band alone draws only its rows: scans 2..4 are picture rows 6..8 from the top.
  Surface one(13, 11, 32, 96, 96, kBlank);
  SurfaceDeviceContext d1(one);
  d1.SetDIBitsToDevice(0, 0, 13, 11, 0, 0, 2, 3, im.bits() + 2 * im.stride, infoOf(im), DIB_RGB_COLORS);
  for (int y = 0; y < 11; ++y) EXPECT_EQ(one.pixel(4, y) == kBlank, y < 6 || y > 8) << y;
  EXPECT_EQ(one.pixel(4, 7), seenPixel(im, 4, 7));
  // A top-down picture is passed whole; the scan range only limits the rows
  // drawn, so a view scrolled down by 2 rows (source row 11 - 6 - 2 = 3 from the
  // bottom, scans 0 .. 8) shows picture rows 2 .. 7 for either row order.
  for (int order : {kRowsBottomUp, kRowsTopDown}) {
    Image pic;
    makePicture(pic, 13, 11, 24, order, 6);
    Surface view(13, 6, 32, 96, 96, kBlank);
    SurfaceDeviceContext dv(view);
    EXPECT_EQ(dv.SetDIBitsToDevice(0, 0, 13, 6, 0, 3, 0, 3 + 6, pic.bits(), infoOf(pic), DIB_RGB_COLORS), 9);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 13; ++x) ASSERT_EQ(view.pixel(x, y), seenPixel(pic, x, 2 + y)) << order;
  }
  // A start beyond the picture draws nothing.
  EXPECT_EQ(d1.SetDIBitsToDevice(0, 0, 13, 11, 0, 0, 11, 3, im.bits(), infoOf(im), DIB_RGB_COLORS), 0);
}

// --- stretching ---

TEST(DeviceContextStretch, EnlargingMakesBlocksOfOnePixelEach) {
  for (int bits : {1, 4, 8, 24, 32}) {
    Image im;
    makePicture(im, 7, 5, bits, kRowsBottomUp, 11);
    Surface s(30, 20);
    SurfaceDeviceContext dc(s);
    dc.SetStretchBltMode(COLORONCOLOR);
    EXPECT_EQ(dc.StretchDIBits(1, 1, 14, 10, 0, 0, 7, 5, im.bits(), infoOf(im), DIB_RGB_COLORS, SRCCOPY), 5);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 14; ++x) ASSERT_EQ(s.pixel(1 + x, 1 + y), seenPixel(im, x / 2, y / 2)) << bits;
    Surface t(30, 20);
    SurfaceDeviceContext dt(t);
    dt.StretchDIBits(0, 0, 21, 15, 0, 0, 7, 5, im.bits(), infoOf(im), DIB_RGB_COLORS, SRCCOPY);
    for (int y = 0; y < 15; ++y)
      for (int x = 0; x < 21; ++x) ASSERT_EQ(t.pixel(x, y), seenPixel(im, x / 3, y / 3)) << bits;
  }
}

TEST(DeviceContextStretch, NearestTakesThePixelUnderEachCenter) {
  Image im;
  makePicture(im, 17, 13, 24, kRowsBottomUp, 2);
  for (auto [dw, dh] : {std::pair{40, 9}, std::pair{6, 30}, std::pair{17, 26}}) {
    Surface s(40, 30);
    SurfaceDeviceContext dc(s);
    dc.SetStretchBltMode(COLORONCOLOR);
    dc.StretchDIBits(0, 0, dw, dh, 0, 0, 17, 13, im.bits(), infoOf(im), DIB_RGB_COLORS, SRCCOPY);
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) {
        // The centre's source position; on a pixel boundary either neighbour is the nearest.
        const double cx = (x + 0.5) * 17 / dw, cy = (y + 0.5) * 13 / dh;
        std::set<std::uint32_t> allowed;
        for (int sx : {int(std::ceil(cx)) - 1, int(std::floor(cx))})
          for (int sy : {int(std::ceil(cy)) - 1, int(std::floor(cy))})
            if (sx >= 0 && sx < 17 && sy >= 0 && sy < 13) allowed.insert(seenPixel(im, sx, sy));
        ASSERT_TRUE(allowed.count(s.pixel(x, y))) << dw << "x" << dh << " at " << x << "," << y;
      }
  }
}

TEST(DeviceContextStretch, FastRowPathsReadUpToTheBlocksLastPixelOnly) {
  // 80 pixels of 24 bits fill rows without padding, so the last pixel ends the block;
  // 80 and 36 are sizes at which a vector loop could run one step too far.
  for (int bits : {24, 8, 32}) {
    Image im;
    makePicture(im, 80, 10, bits, kRowsBottomUp, 14);
    Surface s(40, 5, 32, 96, 96, kBlank);
    SurfaceDeviceContext dc(s);
    dc.SetStretchBltMode(COLORONCOLOR);
    // Columns 9, 11, ... 79: the last one is the block's last pixel (top row, stored last).
    dc.StretchDIBits(0, 0, 36, 5, 9, 0, 72, 10, im.bits(), infoOf(im), DIB_RGB_COLORS, SRCCOPY);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 36; ++x)
        ASSERT_EQ(s.pixel(x, y), seenPixel(im, 9 + 2 * x, 2 * y)) << bits << ": " << x << "," << y;
    EXPECT_EQ(countColor(s, kBlank), 200 - 5 * 36);
    // The one-to-one row expansion reads whole rows up to the same last pixel.
    Surface whole(80, 10);
    SurfaceDeviceContext dw(whole);
    dw.SetDIBitsToDevice(0, 0, 80, 10, 0, 0, 0, 10, im.bits(), infoOf(im), DIB_RGB_COLORS);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 80; ++x) ASSERT_EQ(whole.pixel(x, y), seenPixel(im, x, y)) << bits;
  }
}

TEST(DeviceContextStretch, OppositeSignsMirror) {
  Image im;
  makePicture(im, 6, 4, 24, kRowsBottomUp, 9);
  Surface s(6, 4), t(6, 4);
  SurfaceDeviceContext ds(s), dt(t);
  ds.StretchDIBits(6, 0, -6, 4, 0, 0, 6, 4, im.bits(), infoOf(im), DIB_RGB_COLORS, SRCCOPY);
  dt.StretchDIBits(0, 4, 6, -4, 0, 0, 6, 4, im.bits(), infoOf(im), DIB_RGB_COLORS, SRCCOPY);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(s.pixel(x, y), seenPixel(im, 5 - x, y));
      EXPECT_EQ(t.pixel(x, y), seenPixel(im, x, 3 - y));
    }
}

// The average of the source area under each destination pixel, integrated here
// in floating point.
std::uint32_t areaAverage(const Image& im, double x0, double x1, double y0, double y1) {
  double sum[3] = {}, area = 0;
  for (int y = int(std::floor(y0)); y < y1; ++y)
    for (int x = int(std::floor(x0)); x < x1; ++x) {
      const double w =
          (std::min(x1, x + 1.0) - std::max(x0, double(x))) * (std::min(y1, y + 1.0) - std::max(y0, double(y)));
      if (w <= 0) continue;
      const std::uint32_t p = seenPixel(im, x, y);
      sum[0] += w * (p >> 16 & 255), sum[1] += w * (p >> 8 & 255), sum[2] += w * (p & 255);
      area += w;
    }
  auto channel = [&](int i) { return static_cast<std::uint32_t>(std::lround(sum[i] / area)); };
  return channel(0) << 16 | channel(1) << 8 | channel(2);
}

TEST(DeviceContextStretch, HalftoneAveragesTheSourceArea) {
  for (int bits : {8, 24}) {
    Image im;
    makePicture(im, 13, 11, bits, kRowsBottomUp, 4);
    for (auto [dw, dh] : {std::pair{5, 4}, std::pair{29, 17}, std::pair{13, 5}}) {
      Surface s(30, 20);
      SurfaceDeviceContext dc(s);
      EXPECT_EQ(dc.SetStretchBltMode(HALFTONE), BLACKONWHITE);
      dc.SetBrushOrgEx(0, 0, nullptr);
      dc.StretchDIBits(0, 0, dw, dh, 0, 0, 13, 11, im.bits(), infoOf(im), DIB_RGB_COLORS, SRCCOPY);
      int worst = 0;
      for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
          const std::uint32_t want =
              areaAverage(im, x * 13.0 / dw, (x + 1) * 13.0 / dw, y * 11.0 / dh, (y + 1) * 11.0 / dh);
          const std::uint32_t got = s.pixel(x, y);
          for (int shift : {0, 8, 16})
            worst = std::max(worst, std::abs(int(want >> shift & 255) - int(got >> shift & 255)));
        }
      EXPECT_LE(worst, 1) << bits << " bits to " << dw << "x" << dh;
    }
  }
  // A source rectangle a billion pixels wide around a 4 x 4 picture: one
  // destination pixel covers the picture, and only the picture counts.
  {
    Image tiny;
    makePicture(tiny, 4, 4, 24, kRowsBottomUp, 5);
    Surface s(256, 256, 32, 96, 96, kBlank);
    SurfaceDeviceContext dc(s);
    dc.SetStretchBltMode(HALFTONE);
    dc.StretchDIBits(0, 0, 256, 256, -(1 << 29), -(1 << 29), 1 << 30, 1 << 30, tiny.bits(), infoOf(tiny),
                     DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(countColor(s, kBlank), 256 * 256 - 1);
    EXPECT_EQ(s.pixel(128, 127), areaAverage(tiny, 0, 4, 0, 4));
  }
  // Halving averages each 2 x 2 block exactly.
  Image im;
  makePicture(im, 8, 6, 24, kRowsBottomUp, 8);
  Surface s(4, 3);
  SurfaceDeviceContext dc(s);
  dc.SetStretchBltMode(HALFTONE);
  dc.StretchDIBits(0, 0, 4, 3, 0, 0, 8, 6, im.bits(), infoOf(im), DIB_RGB_COLORS, SRCCOPY);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      std::uint32_t want = 0;
      for (int shift : {0, 8, 16}) {
        int sum = 0;
        for (int k = 0; k < 4; ++k) sum += seenPixel(im, 2 * x + k % 2, 2 * y + k / 2) >> shift & 255;
        want |= static_cast<std::uint32_t>((sum + 2) / 4) << shift;
      }
      EXPECT_EQ(s.pixel(x, y), want);
    }
}

// --- palette displays ---

TEST(DeviceContextPalette, EightBitDisplayShowsOnlyRealizedColors) {
  Image im;
  makePicture(im, 40, 30, 24, kRowsBottomUp, 6);
  Surface s(60, 40, 8);
  SurfaceDeviceContext dc(s);
  EXPECT_EQ(dc.GetDeviceCaps(BITSPIXEL), 8);
  EXPECT_TRUE(dc.GetDeviceCaps(RASTERCAPS) & RC_PALETTE);
  HPALETTE halftone = dc.CreateHalftonePalette();
  HPALETTE previous = dc.SelectPalette(halftone, FALSE);
  ASSERT_NE(previous, nullptr);
  EXPECT_GT(dc.RealizePalette(), 0u);
  dc.FillRect({0, 0, 60, 40}, RGB(37, 200, 90));
  dc.SetStretchBltMode(HALFTONE);
  dc.StretchDIBits(0, 0, 20, 15, 0, 0, 40, 30, im.bits(), infoOf(im), DIB_RGB_COLORS, SRCCOPY);
  dc.SetDIBitsToDevice(20, 10, 40, 30, 0, 0, 0, 30, im.bits(), infoOf(im), DIB_RGB_COLORS);
  const std::set<std::uint32_t> shown(s.display().shownColors().begin(), s.display().shownColors().end());
  std::set<std::uint32_t> used(s.pixels().begin(), s.pixels().end());
  for (std::uint32_t c : used) EXPECT_TRUE(shown.count(c)) << std::hex << c;
  EXPECT_GT(used.size(), 20u) << "a noisy picture should use many palette colours";
  dc.SelectPalette(previous, FALSE);
  EXPECT_TRUE(dc.DeleteObject(halftone));
}

TEST(DeviceContextPalette, PictureColorsRealizedFromItsOwnTableAreExact) {
  Image im;
  makePicture(im, 16, 8, 8, kRowsBottomUp, 12, 100);
  std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + 99 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 100;
  for (int i = 0; i < 100; ++i) {
    const RGBQUAD& q = im.palette()[i];
    lp->palPalEntry[i] = {q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
  }
  // Indices past the 100 colours read black, as a short table leaves them.
  for (int r = 0; r < 8; ++r)
    for (int x = 0; x < 16; ++x) im.bits()[r * im.stride + x] %= 100;
  Surface s(16, 8, 8);
  SurfaceDeviceContext dc(s);
  HPALETTE pal = dc.CreatePalette(lp);
  ASSERT_NE(pal, nullptr);
  HPALETTE old = dc.SelectPalette(pal, FALSE);
  EXPECT_EQ(dc.RealizePalette(), 100u);
  dc.SetDIBitsToDevice(0, 0, 16, 8, 0, 0, 0, 8, im.bits(), infoOf(im), DIB_RGB_COLORS);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(s.pixel(x, y), seenPixel(im, x, y));
  dc.SelectPalette(old, FALSE);
  dc.DeleteObject(pal);
  EXPECT_EQ(dc.liveObjectCount(), 0);
}

TEST(DeviceContextPalette, PaletteIndexColorTableReadsTheSelectedPalette) {
  std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  *lp = {0x300, 3, {{10, 20, 30, 0}}};
  lp->palPalEntry[1] = {40, 50, 60, 0};
  lp->palPalEntry[2] = {70, 80, 90, 0};
  // An 8-bit 3 x 1 DIB whose table holds palette indices 2, 0, 1.
  std::vector<std::uint8_t> dib(40 + 6 + 2 + 4, 0);
  BITMAPINFOHEADER h{40, 3, 1, 1, 8, BI_RGB, 4, 0, 0, 3, 0};
  std::memcpy(dib.data(), &h, 40);
  const std::uint16_t table[3] = {2, 0, 1};
  std::memcpy(dib.data() + 40, table, 6);
  std::uint8_t* pixels = dib.data() + 48;
  pixels[0] = 0, pixels[1] = 1, pixels[2] = 2;
  Surface s(3, 1);
  SurfaceDeviceContext dc(s);
  HPALETTE pal = dc.CreatePalette(lp);
  dc.SelectPalette(pal, FALSE);
  dc.SetDIBitsToDevice(0, 0, 3, 1, 0, 0, 0, 1, pixels, reinterpret_cast<BITMAPINFO*>(dib.data()), DIB_PAL_COLORS);
  EXPECT_EQ(s.pixel(0, 0), 0x46505Au);
  EXPECT_EQ(s.pixel(1, 0), 0x0A141Eu);
  EXPECT_EQ(s.pixel(2, 0), 0x28323Cu);
  // A colour reference may name a palette entry too.
  dc.FillRect({0, 0, 1, 1}, PALETTEINDEX(1));
  EXPECT_EQ(s.pixel(0, 0), 0x28323Cu);
}

TEST(DeviceContextPalette, BackgroundPaletteLeavesTheDisplayColorsAlone) {
  Surface s(2, 1, 8);
  SurfaceDeviceContext dc(s);
  const std::vector<std::uint32_t> before = s.display().shownColors();
  HPALETTE halftone = dc.CreateHalftonePalette();
  HPALETTE old = dc.SelectPalette(halftone, TRUE);
  EXPECT_EQ(dc.RealizePalette(), 0u);
  EXPECT_EQ(s.display().shownColors(), before);
  // Only the 20 reserved colours are shown: a dark orange becomes dark red.
  dc.FillRect({0, 0, 1, 1}, RGB(150, 40, 10));
  EXPECT_EQ(s.pixel(0, 0), 0x800000u);
  dc.SelectPalette(halftone, FALSE);
  EXPECT_EQ(dc.RealizePalette(), 256u);
  dc.FillRect({1, 0, 2, 1}, RGB(150, 40, 10));
  EXPECT_EQ(s.pixel(1, 0), 0x993300u) << "nearest colour of the halftone cube";
  dc.SelectPalette(old, FALSE);
  dc.DeleteObject(halftone);
}

// --- pens ---

// The pixels of row y from x0 on, as a string of '#' (pen), '.' (gap colour) and ' ' (untouched).
std::string rowPattern(const Surface& s, int y, int x0, int n, std::uint32_t pen, std::uint32_t gap) {
  std::string out;
  for (int x = x0; x < x0 + n; ++x) {
    const std::uint32_t p = s.pixel(x, y);
    out += p == pen ? '#' : p == gap ? '.' : ' ';
  }
  return out;
}

TEST(DeviceContextPen, StyledPensDrawTheirDashPatterns) {
  struct Case {
    int style;
    std::string pattern;  // one period
  } cases[] = {
      {PS_SOLID, "########################"},      {PS_DASH, "##################......"},
      {PS_DOT, "###...###...###...###..."},        {PS_DASHDOT, "#########......###......"},
      {PS_DASHDOTDOT, "#########...###...###..."},
  };
  for (const Case& c : cases) {
    Surface s(60, 5, 32, 96, 96, kBlank);
    SurfaceDeviceContext dc(s);
    HPEN pen = dc.CreatePen(c.style, 1, RGB(255, 0, 0));
    HPEN old = dc.SelectObject(pen);
    const POINT line[] = {{2, 2}, {50, 2}};
    EXPECT_TRUE(dc.Polyline(line, 2));
    EXPECT_EQ(rowPattern(s, 2, 2, 48, 0xFF0000, 0xFFFFFF), c.pattern + c.pattern) << c.style;
    EXPECT_EQ(s.pixel(50, 2), kBlank) << "the end point is not drawn";
    EXPECT_EQ(countColor(s, kBlank), 300 - 48);
    dc.SelectObject(old);
    EXPECT_TRUE(dc.DeleteObject(pen));
  }
}

TEST(DeviceContextPen, PatternRunsOnAroundCornersAndTransparentGapsStayUntouched) {
  Surface s(20, 20, 32, 96, 96, kBlank);
  SurfaceDeviceContext dc(s);
  HPEN pen = dc.CreatePen(PS_DOT, 0, RGB(0, 0, 255));
  dc.SelectObject(pen);
  EXPECT_EQ(dc.SetBkMode(TRANSPARENT), OPAQUE);
  const POINT path[] = {{1, 1}, {11, 1}, {11, 15}};
  dc.Polyline(path, 3);
  // Path position p is drawn when p mod 6 < 3: 10 pixels along the top, then down.
  for (int p = 0; p < 24; ++p) {
    const int x = p < 10 ? 1 + p : 11, y = p < 10 ? 1 : 1 + (p - 10);
    EXPECT_EQ(s.pixel(x, y), p % 6 < 3 ? 0x0000FFu : kBlank) << p;
  }
  EXPECT_EQ(countColor(s, kBlank), 400 - 12);
}

TEST(DeviceContextPen, WidePenDrawsSolidAndThick) {
  Surface s(40, 40, 32, 96, 96, kBlank);
  SurfaceDeviceContext dc(s);
  dc.SelectObject(dc.CreatePen(PS_DASH, 3, RGB(0, 128, 0)));
  const POINT box[] = {{10, 10}, {30, 10}, {30, 30}, {10, 30}, {10, 10}};
  dc.Polyline(box, 5);
  for (int x = 10; x <= 30; ++x)
    for (int dy : {-1, 0, 1}) {
      EXPECT_EQ(s.pixel(x, 10 + dy), 0x008000u) << x;
      EXPECT_EQ(s.pixel(x, 30 + dy), 0x008000u) << x;
    }
  EXPECT_EQ(s.pixel(20, 20), kBlank);
  EXPECT_EQ(s.pixel(20, 13), kBlank);
  EXPECT_EQ(s.pixel(20, 7), kBlank);
}

TEST(DeviceContextPen, NullPenAndHugeCoordinates) {
  Surface s(30, 30, 32, 96, 96, kBlank);
  SurfaceDeviceContext dc(s);
  dc.SelectObject(dc.CreatePen(PS_NULL, 1, RGB(0, 0, 0)));
  const POINT line[] = {{0, 5}, {29, 5}};
  dc.Polyline(line, 2);
  EXPECT_EQ(countColor(s, kBlank), 900);
  dc.SelectObject(dc.CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
  const POINT far[] = {{INT_MIN, 7}, {INT_MAX, 7}, {INT_MAX, INT_MIN}};
  dc.Polyline(far, 3);
  EXPECT_EQ(countColor(s, 0), 30);
  EXPECT_FALSE(dc.Polyline(far, 1));
}

// --- fills, clipping, failures ---

TEST(DeviceContext, ClipAndOriginBoundEveryDrawing) {
  Image im;
  makePicture(im, 50, 50, 24);
  Surface s(40, 40, 32, 96, 96, kBlank);
  SurfaceDeviceContext dc(s, POINT{10, 5}, RECT{10, 5, 30, 25});
  dc.FillRect({-100, -100, 100, 100}, RGB(1, 2, 3));
  dc.SetDIBitsToDevice(-5, -5, 50, 50, 0, 0, 0, 50, im.bits(), infoOf(im), DIB_RGB_COLORS);
  dc.StretchDIBits(-30, -30, 100, 100, 0, 0, 50, 50, im.bits(), infoOf(im), DIB_RGB_COLORS, SRCCOPY);
  dc.StretchDIBits(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, 50, 50, im.bits(), infoOf(im), DIB_RGB_COLORS, SRCCOPY);
  const POINT line[] = {{-50, 3}, {100, 3}};
  dc.Polyline(line, 2);
  EXPECT_EQ(countColor(s, kBlank), 1600 - 400);
  EXPECT_EQ(s.pixel(10, 5) == kBlank, false);
  // Logical (0, 0) is surface (10, 5): the one-to-one copy put picture pixel (5, 5) there.
  SurfaceDeviceContext whole(s);
  whole.SetDIBitsToDevice(-5, -5, 50, 50, 0, 0, 0, 50, im.bits(), infoOf(im), DIB_RGB_COLORS);
  EXPECT_EQ(s.pixel(0, 0), seenPixel(im, 5, 5));
}

TEST(DeviceContext, FailuresLeaveTheSystemErrorText) {
  Image im;
  makePicture(im, 4, 4, 24);
  Surface s(8, 8);
  SurfaceDeviceContext dc(s);
  BITMAPINFOHEADER h = *im.header();
  auto blitWith = [&](const BITMAPINFOHEADER& header) {
    return dc.StretchDIBits(0, 0, 8, 8, 0, 0, 4, 4, im.bits(), reinterpret_cast<const BITMAPINFO*>(&header),
                            DIB_RGB_COLORS, SRCCOPY);
  };
  for (auto change :
       {+[](BITMAPINFOHEADER& x) { x.biBitCount = 7; }, +[](BITMAPINFOHEADER& x) { x.biCompression = BI_RLE8; },
        +[](BITMAPINFOHEADER& x) { x.biWidth = 0; }, +[](BITMAPINFOHEADER& x) { x.biHeight = INT_MIN; },
        +[](BITMAPINFOHEADER& x) { x.biSize = 12; }}) {
    BITMAPINFOHEADER bad = h;
    change(bad);
    EXPECT_EQ(blitWith(bad), 0);
    EXPECT_STREQ(dc.GetLastErrorText(), "The parameter is incorrect.");
  }
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 4, 4, 0, 0, 0, 4, nullptr, infoOf(im), DIB_RGB_COLORS), 0);
  EXPECT_EQ(dc.StretchDIBits(0, 0, 4, 4, 0, 0, 4, 4, im.bits(), infoOf(im), DIB_RGB_COLORS, 0x00EE0086), 0);
  EXPECT_STREQ(dc.GetLastErrorText(), "The request is not supported.");
  LOGPALETTE old{0x200, 1, {{1, 2, 3, 0}}};
  EXPECT_EQ(dc.CreatePalette(&old), nullptr);
  EXPECT_EQ(dc.GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(dc.SetStretchBltMode(9), 0);
}

TEST(DeviceContext, ObjectsAreSelectedAndDeletedLikeGdiObjects) {
  Surface s(4, 4);
  SurfaceDeviceContext dc(s);
  HPALETTE halftone = dc.CreateHalftonePalette();
  HPEN pen = dc.CreatePen(PS_DASH, 2, RGB(9, 9, 9));
  EXPECT_EQ(dc.liveObjectCount(), 2);
  HPALETTE stockPalette = dc.SelectPalette(halftone, FALSE);
  HPEN stockPen = dc.SelectObject(pen);
  EXPECT_FALSE(dc.DeleteObject(halftone)) << "a selected palette stays";
  EXPECT_FALSE(dc.DeleteObject(pen)) << "a selected pen stays";
  EXPECT_EQ(dc.SelectPalette(stockPalette, FALSE), halftone);
  EXPECT_EQ(dc.SelectObject(stockPen), pen);
  EXPECT_TRUE(dc.DeleteObject(halftone));
  EXPECT_TRUE(dc.DeleteObject(pen));
  EXPECT_TRUE(dc.DeleteObject(stockPen)) << "stock objects ignore deletion";
  EXPECT_EQ(dc.liveObjectCount(), 0);
  EXPECT_EQ(dc.SelectPalette(halftone, FALSE), nullptr);
  EXPECT_STREQ(dc.GetLastErrorText(), "The handle is invalid.");
  EXPECT_EQ(dc.SelectObject(stockPen), stockPen);
}

TEST(DeviceContext, DeviceCapsDescribeTheSurface) {
  Surface s(64, 48, 16, 120, 144);
  SurfaceDeviceContext dc(s);
  EXPECT_EQ(dc.GetDeviceCaps(BITSPIXEL), 16);
  EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 120);
  EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 144);
  EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 64);
  EXPECT_FALSE(dc.GetDeviceCaps(RASTERCAPS) & RC_PALETTE);
  // A 16-bit display keeps five bits of red and blue and six of green.
  dc.FillRect({0, 0, 1, 1}, RGB(0xFF, 0x87, 0x0C));
  EXPECT_EQ(s.pixel(0, 0), 0xFF8608u);
}

// --- PNG ---

TEST(PngFile, SurfaceReadBackByImagemagickIsTheSame) {
  if (!haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  TempDir dir;
  Image im;
  makePicture(im, 31, 17, 24, kRowsBottomUp, 21);
  Surface s(33, 19, 32, 96, 96, 0x0000FF);
  SurfaceDeviceContext dc(s);
  dc.SetDIBitsToDevice(1, 1, 31, 17, 0, 0, 0, 17, im.bits(), infoOf(im), DIB_RGB_COLORS);
  const std::string path = dir.file("view.png");
  std::string error;
  ASSERT_TRUE(writeSurfacePng(s, path, error)) << error;
  const RgbPicture back = decodeWithImagemagick(path);
  EXPECT_EQ(maxChannelDifference(back, region(s, 0, 0, 33, 19)), 0);

  // A failed write reports and leaves the old file alone.
  EXPECT_FALSE(writePngFile(path, s.pixels().data(), 33, 0, 33, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(writePngFile(dir.file("missing/view.png"), s.pixels().data(), 33, 19, 33, error));
  EXPECT_NE(error.find("missing/view.png"), std::string::npos);
  EXPECT_EQ(decodeWithImagemagick(path).rgb, back.rgb);
}

}  // namespace
}  // namespace orlim::test
