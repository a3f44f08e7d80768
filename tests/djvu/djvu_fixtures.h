// DjVu fixtures made at test time by DjVuLibre's own encoders, and the reference
// renderings of `ddjvu` to compare with.
#pragma once

#include <gtest/gtest.h>

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

// Each maker writes into `dir` and returns the file's path; they throw when a tool fails.
std::string makeBitonalPage(const TempDir& dir, const std::string& name, int width, int height, int dpi = 300);
std::string makePhotoPage(const TempDir& dir, const std::string& name, int width, int height, bool gray = false);
// "AT&T" + the BG44 chunks of a c44 page as extracted by djvuextract (FORM:PM44 or BM44).
std::string makeIw44File(const TempDir& dir, const std::string& name, int width, int height, bool gray);
// Sjbz + FG44 + BG44 assembled by djvumake; the background at a third, the
// foreground colours at a twelfth of the page size.
std::string makeCompoundPage(const TempDir& dir, const std::string& name, int width, int height, int dpi = 300);
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
// ddjvu -format=ppm|pgm -subsample=s [-mode=...] of a page; mode "" is colour.
Reference ddjvuRender(const std::string& page, int subsample, const std::string& mode, bool gray);
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
