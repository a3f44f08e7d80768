#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "fixtures.h"

namespace orlim {
namespace {

using test::makePicture;

struct Case {
  int bits;
  int rowOrder;
};

// Imagemagick's operation for each of ours, as seen on screen. On bottom-up rows
// rotate90 turns counter-clockwise; on top-down rows it turns the other way.
TEST(Transforms, MatchImagemagickOnEveryDepthAndRowOrder) {
  if (!test::haveTool("convert")) GTEST_SKIP() << "imagemagick missing";
  const Case cases[] = {{1, kRowsBottomUp},  {4, kRowsBottomUp}, {8, kRowsBottomUp},
                        {24, kRowsBottomUp}, {1, kRowsTopDown},  {24, kRowsTopDown}};
  for (const Case& c : cases) {
    const bool bottomUp = c.rowOrder == kRowsBottomUp;
    const struct {
      const char* name;
      int (*apply)(Image&);
      std::string reference;
    } ops[] = {
        {"flip", [](Image& im) { return im.flip(true); }, "-flip"},
        {"mirror", [](Image& im) { return im.mirror(); }, "-flop"},
        {"rotate90", [](Image& im) { return im.rotate90(); }, bottomUp ? "-rotate -90" : "-rotate 90"},
        {"rotate180", [](Image& im) { return im.rotate180(); }, "-rotate 180"},
        {"rotate270", [](Image& im) { return im.rotate270(); }, bottomUp ? "-rotate 90" : "-rotate -90"},
    };
    for (const auto& op : ops) {
      test::TempDir dir;
      Image im;
      makePicture(im, 37, 19, c.bits, c.rowOrder, 7 + c.bits);
      const test::RgbPicture expected = test::imagemagickResult(im, dir, op.reference);
      ASSERT_EQ(op.apply(im), 1);
      test::expectSamePicture(
          expected, test::seenRgb(im),
          std::string(op.name) + " at " + std::to_string(c.bits) + " bits, order " + std::to_string(c.rowOrder));
    }
  }
}

// The definition of transposition, pixel by pixel on stored rows.
std::uint32_t storedPixel(const Image& im, int x, int r) {
  const std::uint8_t* row = im.dib + im.bitsOffset + std::int64_t{r} * im.stride;
  switch (im.bitsPerPixel) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
    case 8: return row[x];
    case 24: return row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
    default: return row[4 * x] | (row[4 * x + 1] << 8) | (row[4 * x + 2] << 16) | (std::uint32_t{row[4 * x + 3]} << 24);
  }
}

TEST(Transforms, TransposeMovesEveryPixelAndKeepsPaddingClear) {
  const struct {
    int w, h, bits;
  } sizes[] = {{9, 2, 1}, {70, 45, 1}, {33, 17, 4}, {67, 40, 8}, {45, 70, 24}, {35, 33, 32}, {1, 1, 1}};
  for (const auto& s : sizes) {
    Image before, im;
    makePicture(before, s.w, s.h, s.bits, kRowsTopDown, s.w * 31 + s.bits);
    before.xResolution = 300;
    before.yResolution = 150;
    im.clone(before);
    ASSERT_EQ(im.transpose(), 1);
    const std::string what = std::to_string(s.w) + "x" + std::to_string(s.h) + "@" + std::to_string(s.bits);
    ASSERT_EQ(im.width, s.h) << what;
    ASSERT_EQ(im.height, s.w) << what;
    EXPECT_EQ(im.fullWidth, s.h);
    EXPECT_EQ(im.stride, ((s.h * s.bits + 31) / 32) * 4) << what;
    EXPECT_EQ(im.bitsSize, im.stride * s.w);
    EXPECT_EQ(im.xResolution, 150);
    EXPECT_EQ(im.yResolution, 300);
    EXPECT_EQ(im.symmetry, 7);
    EXPECT_EQ(im.header()->biWidth, s.h);
    EXPECT_EQ(im.header()->biHeight, -s.w);
    EXPECT_EQ(im.header()->biXPelsPerMeter, 2835);
    EXPECT_EQ(im.header()->biYPelsPerMeter, 3780);
    EXPECT_EQ(im.header()->biSizeImage, static_cast<DWORD>(im.bitsSize));
    EXPECT_EQ(std::memcmp(im.dib + 40, before.dib + 40, before.paletteSize), 0) << "colour table kept";
    int wrong = 0;
    for (int i = 0; i < s.w; ++i)
      for (int j = 0; j < s.h; ++j) wrong += storedPixel(im, j, i) != storedPixel(before, i, j);
    EXPECT_EQ(wrong, 0) << what;
    if (s.bits < 8) {
      // Every bit after the last pixel of a row is clear.
      for (int r = 0; r < im.height; ++r) {
        const std::uint8_t* row = im.dib + im.bitsOffset + r * im.stride;
        for (int b = s.h * s.bits; b < im.stride * 8; ++b)
          ASSERT_EQ((row[b / 8] >> (7 - b % 8)) & 1, 0) << what << " row " << r << " bit " << b;
      }
    }
  }
}

TEST(Transforms, RoundTripsComeBackToTheStart) {
  for (int bits : {1, 4, 8, 24, 32}) {
    Image start, im;
    makePicture(start, 13, 29, bits, kRowsBottomUp, bits);
    im.clone(start);
    for (int k = 0; k < 4; ++k) ASSERT_EQ(im.rotate90(), 1);
    EXPECT_EQ(test::pixelBytes(im), test::pixelBytes(start)) << bits;
    EXPECT_EQ(im.width, 13);
    EXPECT_EQ(im.symmetry, 0);

    ASSERT_EQ(im.rotate90(), 1);
    ASSERT_EQ(im.rotate270(), 1);
    EXPECT_EQ(test::pixelBytes(im), test::pixelBytes(start)) << bits;
    EXPECT_EQ(im.symmetry, 0);

    im.mirror();
    EXPECT_EQ(im.symmetry, 5);
    EXPECT_NE(test::pixelBytes(im), test::pixelBytes(start));
    im.mirror();
    EXPECT_EQ(test::pixelBytes(im), test::pixelBytes(start)) << bits;
    EXPECT_EQ(im.symmetry, 0);

    im.flip(false);
    EXPECT_EQ(im.rowOrder, kRowsTopDown);
    EXPECT_EQ(im.header()->biHeight, -29);
    EXPECT_EQ(im.symmetry, 0);
    im.flip(false);
    EXPECT_EQ(im.rowOrder, kRowsBottomUp);
    EXPECT_EQ(im.header()->biHeight, 29);
    EXPECT_EQ(test::rowsOf(im), test::rowsOf(start)) << bits;
  }
}

TEST(Transforms, MirrorClearsPaddingOfPackedRows) {
  for (int bits : {1, 4}) {
    Image im;
    makePicture(im, 11, 3, bits);
    for (int r = 0; r < 3; ++r) std::memset(im.dib + im.bitsOffset + r * im.stride + 2, 0xFF, im.stride - 2);
    ASSERT_EQ(im.mirror(), 1);
    for (int r = 0; r < 3; ++r) {
      const std::uint8_t* row = im.dib + im.bitsOffset + r * im.stride;
      for (int b = 11 * bits; b < im.stride * 8; ++b) ASSERT_EQ((row[b / 8] >> (7 - b % 8)) & 1, 0) << bits;
    }
  }
}

// The stored pixel (x, r) of a picture in symmetry state `state` is the upright
// picture's stored pixel at the position returned, for an upright picture of w x h
// stored pixels: the plain geometry of the eight states.
std::pair<int, int> sourceOf(int state, int x, int r, int w, int h) {
  switch (state) {
    case 1: return {r, h - 1 - x};          // transposed, then mirrored: a quarter turn
    case 2: return {w - 1 - r, x};          // transposed, then flipped: the other quarter turn
    case 3: return {w - 1 - x, h - 1 - r};  // a half turn
    case 4: return {x, h - 1 - r};          // rows reversed
    case 5: return {w - 1 - x, r};          // each row reversed
    case 6: return {w - 1 - r, h - 1 - x};  // reflected in the other diagonal
    case 7: return {r, x};                  // transposed
    default: return {x, r};
  }
}

void expectInState(const Image& im, const Image& upright, int state, const std::string& what) {
  const bool transposed = state == 1 || state == 2 || state == 6 || state == 7;
  ASSERT_EQ(im.width, transposed ? upright.height : upright.width) << what;
  ASSERT_EQ(im.height, transposed ? upright.width : upright.height) << what;
  int wrong = 0;
  for (int r = 0; r < im.height; ++r)
    for (int x = 0; x < im.width; ++x) {
      const auto [sx, sr] = sourceOf(state, x, r, upright.width, upright.height);
      wrong += storedPixel(im, x, r) != storedPixel(upright, sx, sr);
    }
  EXPECT_EQ(wrong, 0) << what;
}

void runOperation(Image& im, int op) {
  if (op == 4) im.flip(true);
  if (op == 5) im.mirror();
  if (op == 7) im.transpose();
}

TEST(Transforms, ApplySymmetryPutsEveryPixelWhereItsStateSays) {
  for (int state = 0; state < 8; ++state) {
    Image upright, im;
    makePicture(upright, 7, 5, 24, kRowsBottomUp, 3);
    im.clone(upright);
    EXPECT_EQ(im.applySymmetry(state), 1);
    EXPECT_EQ(im.symmetry, state);
    expectInState(im, upright, state, "state " + std::to_string(state));
  }
}

TEST(Transforms, ComposeSymmetryMatchesComposingTheTransformations) {
  for (int state = 0; state < 8; ++state) {
    for (int op : {4, 5, 7}) {
      Image upright, composed;
      makePicture(upright, 5, 3, 8, kRowsBottomUp, 11);
      composed.clone(upright);
      composed.applySymmetry(state);
      runOperation(composed, op);
      const int expected = Image::composeSymmetry(state, op);
      ASSERT_GE(expected, 0);
      EXPECT_EQ(composed.symmetry, expected);
      expectInState(composed, upright, expected, std::to_string(state) + " then " + std::to_string(op));
    }
    EXPECT_EQ(Image::composeSymmetry(0, state), state);
  }
  EXPECT_EQ(Image::composeSymmetry(8, 4), -1);
  EXPECT_EQ(Image::composeSymmetry(-1, 4), -1);
  EXPECT_EQ(Image::composeSymmetry(3, 8), -1);
}

TEST(Transforms, RefusalsLeaveThePictureAlone) {
  test::MessageLog log;
  Image im;
  makePicture(im, 9, 4, 16);
  log.attach(im);
  const auto rows = test::rowsOf(im);
  EXPECT_EQ(im.transpose(), 0);
  EXPECT_EQ(log.last(), "Operation not supported for this color depth");
  EXPECT_EQ(im.mirror(), 0);
  EXPECT_EQ(log.last(), "Operation not supported for this color depth");
  EXPECT_EQ(im.rotate90(), 0);
  EXPECT_EQ(im.width, 9);
  EXPECT_EQ(im.symmetry, 0);
  EXPECT_EQ(test::rowsOf(im), rows);

  EXPECT_EQ(im.applySymmetry(8), 0);
  EXPECT_EQ(log.last(), "Unknown symmetry state: 8");
  // A failing step ends the sequence quietly.
  log.messages.clear();
  EXPECT_EQ(im.applySymmetry(3), 1);
  EXPECT_EQ(im.symmetry, 4);

  Image single;
  makePicture(single, 5, 1, 8);
  const auto one = test::rowsOf(single);
  EXPECT_EQ(single.flip(true), 1);
  EXPECT_EQ(single.symmetry, 4);
  EXPECT_EQ(test::rowsOf(single), one);

  // Without the packed layout the transposing states are not applied.
  Image plain;
  makePicture(plain, 4, 3, 8);
  plain.layout = 0;
  EXPECT_EQ(plain.applySymmetry(7), 1);
  EXPECT_EQ(plain.width, 4);
  EXPECT_EQ(plain.symmetry, 0);

  Image empty;
  log.attach(empty);
  EXPECT_EQ(empty.transpose(), 0);
  EXPECT_EQ(empty.mirror(), 0);
  EXPECT_EQ(empty.flip(true), 1);
}

}  // namespace
}  // namespace orlim
