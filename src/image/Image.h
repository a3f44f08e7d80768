// The in-memory picture: one packed device-independent bitmap block (40-byte
// header, colour table, rows) with a description of it in plain fields, and
// every operation on it. Operations return 1 on success and 0 on failure (the
// message has then gone to errorHandler), or a new malloc'd block / null.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

#include "platform/orlim_api.h"
#include "platform/win_types.h"

// The decoding layer's kept page; its definition lives with the DjVu layer.
struct djvu_halfcoded_image;

namespace orlim {

// One shared buffer for every failure message of the image model and the files.
extern char messageBuffer[1024];

constexpr int kLayoutPackedDib = 5;
constexpr int kRowsBottomUp = 3;
constexpr int kRowsTopDown = 4;
constexpr int kColorOrderBgr = 2;

// Values of `photometric`, numbered as in TIFF.
enum Photometric : int {
  kPhotometricMinIsWhite = 0,  // index 0 is white
  kPhotometricMinIsBlack = 1,  // index 0 is black
  kPhotometricRgb = 2,
  kPhotometricPalette = 3,
};

// The `filter` of resize and resample; any value other than these two weighs the
// covered source pixels by a window peaked at the middle (callers pass 1).
enum ResizeFilter : int { kFilterCenterSample = 0, kFilterWindowed = 1, kFilterAreaAverage = 2 };

// Values of `resolutionUnit`, numbered as in TIFF; 0 when no unit is known.
enum ResolutionUnit : int { kResolutionUnitNone = 1, kResolutionUnitInch = 2, kResolutionUnitCentimeter = 3 };

// Record filled by the IFF probe of DjVu and IW44 files (defined by the DjVu layer).
struct DjvuFileInfo;

class ORLIM_API Image {
 public:
  using ErrorHandler = std::function<void(const char*)>;
  using ProgressHandler = std::function<void(const char* text, int percent, int step)>;
  // How a kept DjVu page is released; installed by the DjVu layer when it makes one,
  // so the image model needs nothing of that layer.
  using DjvuPageReleaser = void (*)(djvu_halfcoded_image*);
  static DjvuPageReleaser djvuPageReleaser;

  Image() = default;
  ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  // --- description fields, in the record's order ---
  djvu_halfcoded_image* djvuPage = nullptr;
  std::uint8_t* dib = nullptr;
  int layout = 0;
  int headerSize = 0;
  int paletteOffset = 0;
  int paletteSize = 0;
  int bitsOffset = 0;
  int bitsSize = 0;
  int paletteEntrySize = 0;
  int stride = 0;
  int rowOrder = 0;
  int colorOrder = 0;
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int fullWidth = 0;
  int fullHeight = 0;
  int sourceBitsPerPixel = 0;
  int xResolution = 0;
  int yResolution = 0;
  int resolutionUnit = 0;
  int photometric = 0;
  int isGray = 0;
  int negative = 0;
  int symmetry = 0;
  int pageCount = 0;
  int pageIndex = 0;
  int transparent = 0;
  COLORREF transparentColor = 0;

  // --- handler fields ---
  ErrorHandler errorHandler;
  int showWarnings = 0;
  ProgressHandler progressHandler;

  // --- record ---
  void reset(bool freeDjvuPage);
  int clone(const Image& from);
  int import(const void* header, int headerLength, const void* colorTable, int colorTableLength, const void* rows,
             int rowsLength, int format);
  // 64-bit: the colour count comes from files and the clipboard unchecked.
  std::int64_t colorTableSize() const;
  int resolutionFromHeader(int& x, int& y) const;
  int isGrayPalette();

  // Formats printf-style into messageBuffer and hands it to errorHandler. Returns 0
  // so that failures can end with `return fail(...)`.
  int fail(const char* format, ...) const __attribute__((format(printf, 2, 3)));
  // Calls progressHandler when one is installed.
  void progress(const char* text, int percent) const;

  BITMAPINFOHEADER* header() const { return reinterpret_cast<BITMAPINFOHEADER*>(dib); }
  std::uint8_t* bits() const { return dib + bitsOffset; }
  RGBQUAD* palette() const { return reinterpret_cast<RGBQUAD*>(dib + paletteOffset); }

  // --- geometry ---
  int flip(bool recordSymmetry);
  int mirror();
  int transpose();
  int rotate90();
  int rotate180();
  int rotate270();
  static int composeSymmetry(int state, int operation);
  int applySymmetry(int state);

  // --- size ---
  int resize(int newWidth, int newHeight, int filter);
  std::uint8_t* resample(const Image& source, int newWidth, int newHeight, int rowsOffset, int filter);
  int Enlarge(int newWidth, int newHeight, int anchor, COLORREF fill);
  std::uint8_t* DIBEnlarge(const Image& source, int newWidth, int newHeight, int anchor, COLORREF fill);

  // --- colour ---
  // The negative operation; named negate() because `negative` is the field that
  // records it and C++ cannot give a field and a method one name.
  int negate();
  int ReversePhotometric();
  int convertToGray();
  std::uint8_t* makeGrayRows(int reserve);
  std::uint8_t* increaseColorDepth(int targetBitsPerPixel);

  // --- regions ---
  std::uint8_t* GetSelection(const RECT& rect);
  int crop(const RECT& rect);
  int insert(const Image& other, int x, int y, const BYTE* colorMap);

  // --- files ---
  int readBmp(const char* path, int layout);
  int writeBmp(const char* path);
  int readPnm(const char* path, int layout);
  int readPnmNumber(std::FILE* file);
  int writePnm(const char* path);
  int readJpeg(const char* path, int depth, int dctMethod, int layout);
  int writeJpeg(const char* path, int quality, int smoothing, int optimizeCoding, int dctMethod, const char* comment);
  int readTiff(const char* path, int page, int layout);
  int writeTiff(const char* path, int compression, int quality, const char* description, const char* software,
                int append);

  // --- DjVu ---
  // `page` (0-based) selects the page of a multi-page document (FORM:DJVM); a
  // single page or IW44 image ignores it.
  int probeDjvuFile(const char* path, DjvuFileInfo& info, int page = 0);
  int loadHalfCodedDjvu(const char* path, int fileKind, int page = 0);
  int renderDjvuPage(int layer, int bits, int zoom, float gamma, int layout, int fileKind);
  int renderDjvuDirect(int bits, int zoom, float gamma, int layout);
  int renderDjvuScaled(int layer, int bits, int zoom, float gamma, int layout);
  static int showDjvuError(const char* message, const char* file, int line);
  static int readFileBytes(void* handle, void* buffer, int length);
};

// Stride in bytes of a row of `width` pixels at `bitsPerPixel`, padded to 4 bytes;
// 64-bit so that callers can check it against the data they hold.
constexpr std::int64_t dibStride(std::int64_t width, std::int64_t bitsPerPixel) {
  return ((width * bitsPerPixel + 31) / 32) * 4;
}

}  // namespace orlim
