// DjVu fixtures made at test time by DjVuLibre's own encoders, and the reference
// renderings of `ddjvu` to compare with.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "djvu/DjvuException.h"
#include "djvu/djvuapi.h"
#include "image/Image.h"
#include "support/test_support.h"

namespace orlim::test {

// True when the DjVuLibre tools and imagemagick are installed.
bool haveDjvuTools();
// ... and the document tools djvm, djvmcvt and djvused.
bool haveDjvuDocumentTools();

// Each maker writes into `dir` and returns the file's path; they throw when a tool fails.
std::string makeBitonalPage(const TempDir& dir, const std::string& name, int width, int height, int dpi = 300);
std::string makePhotoPage(const TempDir& dir, const std::string& name, int width, int height, bool gray = false);
// "AT&T" + the BG44 chunks of a c44 page as extracted by djvuextract (FORM:PM44 or BM44).
std::string makeIw44File(const TempDir& dir, const std::string& name, int width, int height, bool gray);
// Sjbz + FG44 + BG44 assembled by djvumake; the background at a third, the
// foreground colours at a twelfth of the page size.
std::string makeCompoundPage(const TempDir& dir, const std::string& name, int width, int height, int dpi = 300);
// A multi-page document bundled by `djvm -c` from the pages, then edited by the
// djvused script when one is given (rotations, thumbnails, shared annotations).
std::string makeBundle(const TempDir& dir, const std::string& name, const std::vector<std::string>& pages,
                       const std::string& djvusedScript = "");
// The indirect form of a bundle (`djvmcvt -i`) in a folder of its own; returns its index.
std::string makeIndirect(const TempDir& dir, const std::string& bundle, const std::string& folder);
// Runs `djvused -e script -s` on a file.
void editWithDjvused(const std::string& path, const std::string& script);
// A folder of fixtures shared by all tests of the executable (the large page is slow to make).
const TempDir& sharedFixtureDir();
// The 2550 x 3300 compound page of a letter-size scan at 300 dpi, made once.
const std::string& largeCompoundPage();

// A picture as ddjvu renders it: rows top to bottom, `channels` bytes per pixel.
struct Reference {
  int width = 0;
  int height = 0;
  int channels = 0;
  std::vector<std::uint8_t> bytes;
  const std::uint8_t* at(int x, int y) const { return bytes.data() + (std::size_t(y) * width + x) * channels; }
};
// ddjvu -format=ppm|pgm -subsample=s [-mode=...] [-page=N] of a page; mode "" is
// colour, page 0 the first.
Reference ddjvuRender(const std::string& page, int subsample, const std::string& mode, bool gray, int pageNumber = 0);
// Mean absolute difference per channel over the pixels both have: ddjvu may add
// a partly covered last row and column, on the top and right of a page as
// stored, wherever the page's `turn` (quarter turns counter-clockwise) puts them.
double meanDifference(const Reference& ours, const Reference& ref, int turn = 0);
Reference readPnm(const std::string& path);
// ddjvu's rendering of a part of the page at subsample s: width x height from
// column x, row y counted from the bottom of the reduced page.
Reference ddjvuSegment(const std::string& page, int subsample, int width, int height, int x, int y);

// The Image's raster as top-to-bottom rows of the given channel count (BGR turned to RGB).
Reference rasterOf(const Image& image);

// Decodes a file into a kept page with the layer's stream reading from a FILE*.
djvu_halfcoded_image* decodeFile(const std::string& path);

// What the mask path makes of one gray value of the library at reduction q.
std::uint8_t maskTable(std::uint8_t libraryValue, int q, int layer);

// Our raster holds the bottom rows of the page at the reduction (floor of the
// size); ddjvu's picture has the ceiling, at most one row and column more.
inline bool floorOfReferenceSize(const Reference& ours, const Reference& ref) {
  const int extraColumns = ref.width - ours.width, extraRows = ref.height - ours.height;
  return extraColumns >= 0 && extraColumns <= 1 && extraRows >= 0 && extraRows <= 1 && ours.channels == ref.channels;
}

// Compares the rows and columns both have, mapping ddjvu's values through `expect`.
template <typename Expect>
void expectSameAsReference(const Reference& ours, const Reference& ref, Expect expect, const std::string& what) {
  ASSERT_TRUE(floorOfReferenceSize(ours, ref))
      << what << ": ours " << ours.width << "x" << ours.height << "x" << ours.channels << ", ddjvu " << ref.width << "x"
      << ref.height << "x" << ref.channels;
  int mismatches = 0;
  for (int y = 0; y < ours.height && mismatches < 5; ++y) {
    const int refY = ref.height - ours.height + y;
    for (int x = 0; x < ours.width && mismatches < 5; ++x)
      for (int c = 0; c < ours.channels; ++c)
        if (ours.at(x, y)[c] != expect(ref.at(x, refY)[c])) {
          ADD_FAILURE() << what << ": pixel (" << x << "," << y << ") channel " << c << " is " << int(ours.at(x, y)[c])
                        << ", ddjvu gives " << int(ref.at(x, refY)[c]);
          ++mismatches;
        }
  }
}

inline std::uint8_t same(std::uint8_t v) { return v; }

// Rows [first, first + count) counted from the bottom of a raster, as a picture.
inline Reference rowsOf(const Reference& raster, int first, int count) {
  Reference part;
  part.width = raster.width;
  part.height = count;
  part.channels = raster.channels;
  const std::size_t rowBytes = std::size_t(raster.width) * raster.channels;
  const auto begin = raster.bytes.begin() + long(std::size_t(raster.height - first - count) * rowBytes);
  part.bytes.assign(begin, begin + long(count * rowBytes));
  return part;
}

// The library renders IW44 data part by part a unit or two differently from the
// whole page, so each direct strip is compared with the library's own rendering of
// that part (ddjvu -segment): strips of 100 rows, then the remainder, which starts
// one row lower when a single row is left.
inline void expectStripsEqualLibraryParts(const Image& image, const std::string& page, int s, int maxStrips = 1000) {
  const Reference ours = rasterOf(image);
  const int rows = image.height, full = rows / 100;
  std::vector<std::pair<int, int>> strips;
  for (int i = 0; i < full; ++i) strips.push_back({100 * i, 100});
  int d = 100 * full;
  if (rows - 1 == d) --d;
  if (d < rows) strips.push_back({d, rows - d});
  const int step = std::max<int>(1, int(strips.size()) / maxStrips);
  for (std::size_t i = 0; i < strips.size(); i += std::size_t(step)) {
    const auto [first, count] = strips[i];
    const Reference ref = ddjvuSegment(page, s, image.width, count, 0, first);
    expectSameAsReference(rowsOf(ours, first, count), ref, same,
                          "subsample " + std::to_string(s) + " strip at row " + std::to_string(first));
  }
  const Reference last = ddjvuSegment(page, s, image.width, strips.back().second, 0, strips.back().first);
  expectSameAsReference(rowsOf(ours, strips.back().first, strips.back().second), last, same, "last strip");
}

// Collects the decoding layer's reports for one test.
struct LayerErrors {
  LayerErrors();
  ~LayerErrors();
  std::vector<std::string> messages;
  std::vector<std::string> files;
  std::vector<int> lines;
  bool has(const std::string& message) const;
};

// The layer's exception that `f` throws; a test failure when it throws none.
template <typename F>
DjvuException thrownBy(F f) {
  try {
    f();
  } catch (const DjvuException& e) {
    return e;
  }
  ADD_FAILURE() << "nothing thrown";
  return DjvuException("", "", 0);
}

}  // namespace orlim::test
