// The control's road from a DjVu page to the Image's raster: decode once into the
// kept page, then render it strip by strip at the asked reduction, layer, depth
// and gamma into a packed bottom-up DIB.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "djvu/djvuapi.h"
#include "image/Image.h"
#include "image/block_gate.h"
#include "image/resolution.h"

namespace orlim {

namespace {

constexpr int kDirectStripRows = 100;
constexpr int kScaledMinStripRows = 10;
// From this zoom on, even the colour layer takes the scaled path.
constexpr int kScaledZoom = -12;

// The Image whose errorHandler shows the decoding layer's errors while one of its
// DjVu operations runs.
Image* errorTarget = nullptr;

class ErrorTargetScope {
 public:
  explicit ErrorTargetScope(Image* image) : previous_(errorTarget) {
    errorTarget = image;
    djvu_set_error_handler(&Image::showDjvuError);
  }
  ~ErrorTargetScope() { errorTarget = previous_; }
  ErrorTargetScope(const ErrorTargetScope&) = delete;
  ErrorTargetScope& operator=(const ErrorTargetScope&) = delete;

 private:
  Image* previous_;
};

using PicturePtr = std::unique_ptr<djvu_pixel_image, decltype(&djvu_pixel_image_free)>;
PicturePtr own(djvu_pixel_image* picture) { return PicturePtr(picture, &djvu_pixel_image_free); }

int reductionOf(int zoom) { return zoom < 0 ? 1 - zoom : 1; }

void appendBounded(const char* text) {
  const std::size_t used = std::strlen(messageBuffer);
  std::snprintf(messageBuffer + used, sizeof messageBuffer - used, "%s", text ? text : "");
}

// Writes a rendered strip into the raster from raster row `firstRow` (counted from
// the bottom of the picture) upward, clipped to the raster.
void copyStrip(Image& image, const djvu_pixel_image& strip, int firstRow) {
  const int bytesPerPixel = image.bitsPerPixel / 8;
  const int columns = std::min<int>(int(strip.width), image.width);
  if (firstRow < 0) return;
  const int rows = std::min<int>(int(strip.height), image.height - firstRow);
  const bool swapRgb = strip.flags & PIX_RGB;
  for (int r = 0; r < rows; ++r) {
    const int fromBottom = firstRow + r;
    const int stored = image.rowOrder == kRowsBottomUp ? fromBottom : image.height - 1 - fromBottom;
    std::uint8_t* out = image.bits() + std::size_t(stored) * image.stride;
    const std::uint8_t* in = strip.data + strip.start + std::size_t(r) * strip.rowsize;
    if (int(strip.pixsize) == bytesPerPixel && !swapRgb) {
      std::memcpy(out, in, std::size_t(columns) * bytesPerPixel);
      continue;
    }
    for (int x = 0; x < columns; ++x, in += strip.pixsize, out += bytesPerPixel) {
      if (bytesPerPixel == 1) {
        out[0] = in[0];
      } else if (strip.pixsize < 3) {
        out[0] = out[1] = out[2] = in[0];
      } else {
        out[0] = swapRgb ? in[2] : in[0];
        out[1] = in[1];
        out[2] = swapRgb ? in[0] : in[2];
      }
    }
  }
}

djvu_render_options renderOptions(int layer, int bits, float gamma) {
  djvu_render_options options;
  djvu_render_options_default(&options, sizeof options);
  if (bits > 0 && bits <= 24 && layer != DJVU_LAYER_BLACKANDWHITE) options.bits = bits;
  options.layer = layer >= 0 && layer <= 3 ? layer : 0;
  if (gamma >= 0.1f && gamma <= 10.0f) options.gamma = gamma;
  return options;
}

}  // namespace

int Image::showDjvuError(const char* message, const char* file, int line) {
  std::memset(messageBuffer, 0, sizeof messageBuffer);
  std::snprintf(messageBuffer, sizeof messageBuffer, "DjVu error!\n\nLine: %d\nFile: ", line);
  appendBounded(file);
  appendBounded("\nCause: ");
  appendBounded(message);
  if (errorTarget && errorTarget->errorHandler) errorTarget->errorHandler(messageBuffer);
  return 1;  // the box's OK
}

int Image::readFileBytes(void* handle, void* buffer, int length) {
  if (!handle || length <= 0) return 0;
  return int(std::fread(buffer, 1, std::size_t(length), static_cast<std::FILE*>(handle)));
}

// True when the file is a multi-page document (FORM:DJVM): a bundle or the index
// of an indirect document.
static bool isDjvuDocument(std::FILE* file) {
  unsigned char head[16];
  const bool document = std::fread(head, 1, sizeof head, file) == sizeof head && !std::memcmp(head, "AT&TFORM", 8) &&
                        !std::memcmp(head + 12, "DJVM", 4);
  std::rewind(file);
  return document;
}

int Image::loadHalfCodedDjvu(const char* path, int /*fileKind*/, int page) {
  ErrorTargetScope scope(this);
  reset(true);
  std::FILE* file = std::fopen(path, "rb");
  djvu_halfcoded_image* decoded = nullptr;
  if (file && isDjvuDocument(file))
    decoded = djvu_document_page_decode(path, page);  // the library reads only what the page needs
  else if (file)
    decoded = djvu_halfcoded_image_decode(&Image::readFileBytes, file);
  if (file) std::fclose(file);
  if (!decoded) return fail("Failed to load half coded image.");
  djvuPageReleaser = &djvu_halfcoded_image_free;
  djvuPage = decoded;
  width = int(decoded->width);
  height = int(decoded->height);
  pageCount = decoded->pageCount;
  pageIndex = decoded->pageIndex;
  return 1;
}

int Image::renderDjvuPage(int layer, int bits, int zoom, float gamma, int layout, int /*fileKind*/) {
  if (!djvuPage) return fail("No DjVu page to render.");
  if (layer == DJVU_LAYER_COLOR && zoom > kScaledZoom) return renderDjvuDirect(bits, zoom, gamma, layout);
  return renderDjvuScaled(layer, bits, zoom, gamma, layout);
}

// Depth, resolution and row order come from the page's two bottom rows at full size.
static int learnFromSample(Image& image, const djvu_render_options& options) {
  const djvu_halfcoded_image& page = *image.djvuPage;
  const int W = int(page.width);
  PicturePtr sample = own(djvu_render_scaled(&options, &page, 0, 0, W - 1, 1, 0, W, 2));
  if (!sample) return image.fail("Failed to render sample area.");
  image.bitsPerPixel = image.sourceBitsPerPixel = int(sample->pixsize) * 8;
  const bool hasDpi = sample->flags & PIX_HAS_DPI;
  image.xResolution = hasDpi ? clampedResolution(sample->xdpi) : 0;
  image.yResolution = hasDpi ? clampedResolution(sample->ydpi) : 0;
  image.rowOrder = (sample->flags & PIX_BOTTOM_UP) ? kRowsBottomUp : kRowsTopDown;
  return 1;
}

// The description of the page reduced by f; returns the block's size in bytes.
static std::int64_t describeRaster(Image& image, int f) {
  const djvu_halfcoded_image& page = *image.djvuPage;
  image.fullWidth = int(page.width);
  image.fullHeight = int(page.height);
  image.width = image.fullWidth / f;
  image.height = image.fullHeight / f;
  image.paletteSize = image.bitsPerPixel == 24 ? 0 : (1 << image.bitsPerPixel) * 4;
  image.headerSize = image.paletteOffset = 40;
  image.bitsOffset = 40 + image.paletteSize;
  const std::int64_t stride = dibStride(image.width, image.bitsPerPixel);
  const std::int64_t bitsSize = stride * image.height;
  image.stride = int(stride);
  image.bitsSize = bitsSize > INT32_MAX ? 0 : int(bitsSize);
  image.paletteEntrySize = 4;
  image.colorOrder = kColorOrderBgr;
  image.resolutionUnit = kResolutionUnitInch;
  image.pageCount = page.pageCount;
  image.pageIndex = page.pageIndex;
  image.layout = kLayoutPackedDib;
  image.negative = image.symmetry = 0;
  image.photometric = image.bitsPerPixel == 8 ? kPhotometricMinIsBlack : kPhotometricRgb;
  image.isGray = image.bitsPerPixel == 8;
  return 40 + image.paletteSize + bitsSize;
}

static void writeHeaderAndRamp(Image& image) {
  if (image.bitsPerPixel == 8) {
    RGBQUAD* ramp = image.palette();
    for (int i = 0; i < 256; ++i) ramp[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
  }
  BITMAPINFOHEADER& header = *image.header();
  header.biSize = 40;
  header.biWidth = image.width;
  header.biHeight = image.rowOrder == kRowsBottomUp ? image.height : -image.height;
  header.biPlanes = 1;
  header.biBitCount = WORD(image.bitsPerPixel);
  header.biCompression = 0;
  header.biSizeImage = DWORD(image.bitsSize);
  header.biXPelsPerMeter = pixelsPerMeterFromDpi(image.xResolution);
  header.biYPelsPerMeter = pixelsPerMeterFromDpi(image.yResolution);
}

// Set-up shared by both paths: an empty raster of the reduced page with its header.
static int prepareDjvuRaster(Image& image, const djvu_render_options& options, int f) {
  image.reset(false);
  if (!learnFromSample(image, options)) return 0;
  describeRaster(image, f);
  BlockShape shape;
  if (!shapePictureBlock(image, "the DjVu page", image.width, image.height, image.bitsPerPixel, image.paletteSize,
                         shape))
    return 0;
  image.dib = newPictureBlock(image, "the DjVu page", shape.total).release();
  if (!image.dib) return 0;
  writeHeaderAndRamp(image);
  return 1;
}

int Image::renderDjvuDirect(int bits, int zoom, float gamma, int /*layout*/) {
  ErrorTargetScope scope(this);
  const djvu_render_options options = renderOptions(DJVU_LAYER_COLOR, bits, gamma);
  const int f = reductionOf(zoom);
  if (!prepareDjvuRaster(*this, options, f)) return 0;
  const djvu_halfcoded_image* page = djvuPage;
  // At least two columns and rows are asked for; the copy keeps what the raster holds.
  const int x1 = std::max(width - 1, 1);
  const int n = int(page->height) / (kDirectStripRows * f);
  for (int i = 0; i < n; ++i) {
    const int y0 = kDirectStripRows * i;
    PicturePtr strip = own(djvu_render(&options, page, f, 0, y0, x1, y0 + kDirectStripRows - 1));
    if (!strip) return fail("Failed to render strip %d of %d.", i + 1, n);
    copyStrip(*this, *strip, y0);
  }
  // A lone last row is rendered with the row below it: a rectangle has two rows.
  int d = kDirectStripRows * n;
  if (height - 1 == d) --d;
  if (d >= height) return 1;
  d = std::max(d, 0);
  PicturePtr last = own(djvu_render(&options, page, f, 0, d, x1, std::max(height - 1, d + 1)));
  if (!last) return fail("Failed to render the last strip.");
  copyStrip(*this, *last, d);
  return 1;
}

int Image::renderDjvuScaled(int layer, int bits, int zoom, float gamma, int /*layout*/) {
  ErrorTargetScope scope(this);
  const djvu_render_options options = renderOptions(layer, bits, gamma);
  const int f = reductionOf(zoom);
  if (!prepareDjvuRaster(*this, options, f)) return 0;
  const djvu_halfcoded_image* page = djvuPage;
  const int k = std::max(kScaledMinStripRows, kDirectStripRows / f);
  const int pageRows = k * f;
  const int n = int(page->height) / pageRows;
  const int w = width;
  const int x1 = std::max(w * f - 1, 1);
  for (int i = 0; i < n; ++i) {
    PicturePtr strip =
        own(djvu_render_scaled(&options, page, 0, i * pageRows, x1, i * pageRows + pageRows - 1, 0, w, k));
    if (!strip) return fail("Failed to render strip %d of %d.", i + 1, n);
    copyStrip(*this, *strip, i * k);
  }
  // The last strip covers a multiple of f rows where the rows already done allow
  // it (never reaching below the first row), and never has a single row.
  int d = n * k;
  const int t = height;
  const int e = (t - d) % f;
  if (e != 0 && f - e <= d) d -= f - e;
  if (t - d == 1 && d > 0) --d;
  if (d >= t) return 1;
  PicturePtr last = own(djvu_render_scaled(&options, page, 0, d * f, x1, t * f - 1, 0, w, t - d));
  if (!last) return fail("Failed to render the last strip.");
  copyStrip(*this, *last, d);
  return 1;
}

}  // namespace orlim
