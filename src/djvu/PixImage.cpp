#include "djvu/PixImage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "djvu/DjvuException.h"

using orlim::DjvuException;
using orlim::kUnitPixImage;

void* _djvu_malloc(std::size_t size) { return std::malloc(size ? size : 1); }
void* _djvu_calloc(std::size_t count, std::size_t size) { return std::calloc(count ? count : 1, size ? size : 1); }
void* _djvu_realloc(void* block, std::size_t size) { return std::realloc(block, size ? size : 1); }
void _djvu_free(void* block) { std::free(block); }

namespace {

[[noreturn]] void fail(const char* message, int line) { throw DjvuException(message, kUnitPixImage, line); }

bool isGray(const djvu_pixel_image& image) { return image.flags & PIX_GRAY; }
bool ownedByNew(const djvu_pixel_image& image) {
  return image.data && image.ownerMark == reinterpret_cast<std::intptr_t>(image.data);
}
std::size_t outputPixsize(const djvu_pixel_image& image) { return isGray(image) ? 1 : 3; }
std::size_t packedSize(const djvu_pixel_image& image) { return std::size_t(image.rowsize) * image.height; }

}  // namespace

void PixImage::attach(djvu_pixel_image* record) {
  image_ = record;
  check();
  const djvu_pixel_image& im = *record;
  capacity_ = 0;
  if (im.data && im.height > 0)
    capacity_ = im.start + std::size_t(im.pixsize) * im.width + std::size_t(im.height - 1) * im.rowsize;
}

void PixImage::check() const {
  const djvu_pixel_image& im = *image_;
  if (!isGray(im) && im.pixsize < 3) fail("Color Pixel images must have pixsize greater than 2", 216);
  if ((im.flags & PIX_RGB) && (im.flags & PIX_BGR)) fail("The image can not be both RGB and BGR", 220);
  if (!isGray(im) && !(im.flags & (PIX_RGB | PIX_BGR))) fail("Pixel images must be one of GRAY, RGB, or BGR", 223);
  if (isGray(im) && im.pixsize == 0) fail("Gray Pixel images must have pixsize greater than 0", 212);
  if (std::uint64_t(im.rowsize) < std::uint64_t(im.pixsize) * im.width)
    fail("Rowsize must be at least w*pixsize.", 227);
  if (im.height && im.width && !im.data) fail("No Pixel Image Data Is Present", 229);
}

void PixImage::reserve(std::size_t bytes) {
  if (capacity_ >= bytes) return;
  djvu_pixel_image& im = *image_;
  if (!im.data) {
    im.data = static_cast<std::uint8_t*>(_djvu_malloc(bytes));
    if (!im.data) fail("_djvu_malloc failed", 175);
  } else if (im.ownerMark == kPixOwnedByHeap) {
    auto* grown = static_cast<std::uint8_t*>(_djvu_realloc(im.data, bytes));
    if (!grown) fail("_djvu_realloc failed", 180);
    // The rows keep their offset: move them to the front so that start can be 0.
    if (im.start) std::memmove(grown, grown + im.start, capacity_ - std::min<std::size_t>(capacity_, im.start));
    im.data = grown;
  } else if (ownedByNew(im)) {
    auto* fresh = static_cast<std::uint8_t*>(_djvu_malloc(bytes));
    if (!fresh) fail("_djvu_malloc failed", 185);
    if (capacity_ > im.start) std::memcpy(fresh, im.data + im.start, capacity_ - im.start);
    delete[] im.data;
    im.data = fresh;
  } else {
    fail("Can only increase the size of internally generated images", 194);
  }
  im.start = 0;
  im.ownerMark = kPixOwnedByHeap;
  capacity_ = bytes;
}

void PixImage::copyTo(djvu_pixel_image* dest) {
  djvu_pixel_image& src = *image_;
  const std::size_t outPix = outputPixsize(src);
  const std::size_t outRow = outPix * src.width;
  if (dest != image_) {
    dest->flags = src.flags;
    dest->width = src.width;
    dest->height = src.height;
    if (!dest->data) {
      dest->data = static_cast<std::uint8_t*>(_djvu_malloc(outRow * src.height));
      if (!dest->data) fail("Failed to allocate memory", 401);
      dest->ownerMark = kPixOwnedByHeap;
    }
  }
  const std::uint8_t* in = src.data ? src.data + src.start : nullptr;
  std::uint8_t* out = dest->data;
  const bool swapRgb = src.flags & PIX_RGB;
  if (in && out) {
    if (swapRgb || src.pixsize != outPix) {
      for (std::uint32_t y = 0; y < src.height; ++y) {
        const std::uint8_t* s = in + std::size_t(y) * src.rowsize;
        std::uint8_t* d = out + y * outRow;
        for (std::uint32_t x = 0; x < src.width; ++x, s += src.pixsize, d += outPix) {
          if (outPix == 1) {
            d[0] = s[0];
          } else {
            std::uint8_t p0 = s[0], p1 = s[1], p2 = s[2];
            d[0] = swapRgb ? p2 : p0;
            d[1] = p1;
            d[2] = swapRgb ? p0 : p2;
          }
        }
      }
    } else if (src.rowsize != outRow) {
      for (std::uint32_t y = 0; y < src.height; ++y)
        std::memmove(out + y * outRow, in + std::size_t(y) * src.rowsize, outRow);
    } else if (in != out) {
      std::memmove(out, in, outRow * src.height);
    }
  }
  const std::uint32_t flags = src.flags;
  const std::uint32_t xdpi = src.xdpi, ydpi = src.ydpi;
  dest->start = 0;
  dest->pixsize = std::uint32_t(outPix);
  dest->rowsize = std::uint32_t(outRow);
  if (swapRgb) dest->flags = (dest->flags & ~PIX_RGB) | PIX_BGR;
  if (!(flags & PIX_BOTTOM_UP)) {
    if (out && dest->height > 1) {
      std::vector<std::uint8_t> row(outRow);
      for (std::uint32_t y = 0; y < dest->height / 2; ++y) {
        std::uint8_t* a = out + y * outRow;
        std::uint8_t* b = out + std::size_t(dest->height - 1 - y) * outRow;
        std::memcpy(row.data(), a, outRow);
        std::memcpy(a, b, outRow);
        std::memcpy(b, row.data(), outRow);
      }
    }
    dest->flags |= PIX_BOTTOM_UP;
  }
  if ((flags & PIX_HAS_DPI) && xdpi && ydpi) {
    dest->xdpi = xdpi;
    dest->ydpi = ydpi;
    dest->flags |= PIX_HAS_DPI;
  }
  if (dest == image_) capacity_ = std::max(capacity_, packedSize(*dest));
}

void PixImage::mirrorRows() {
  djvu_pixel_image& im = *image_;
  if (!im.data) return;
  const std::size_t pix = im.pixsize;
  std::vector<std::uint8_t> tmp(pix);
  for (std::uint32_t y = 0; y < im.height; ++y) {
    std::uint8_t* row = im.data + im.start + std::size_t(y) * im.rowsize;
    for (std::uint32_t l = 0, r = im.width ? im.width - 1 : 0; l < r; ++l, --r) {
      std::memcpy(tmp.data(), row + l * pix, pix);
      std::memcpy(row + l * pix, row + r * pix, pix);
      std::memcpy(row + r * pix, tmp.data(), pix);
    }
  }
}

void PixImage::rotate90() { quarterTurn(true); }
void PixImage::rotate270() { quarterTurn(false); }

// The picture is turned band by band: a band of columns from one side is turned
// into a temporary buffer, the rest is packed to the front of the buffer, and the
// turned band goes behind it, where it belongs in the result. The rest is itself a
// picture whose turn fills the front, so the next pass simply repeats.
void PixImage::quarterTurn(bool clockwise) {
  djvu_pixel_image& im = *image_;
  if (!im.width || !im.height || !im.data) return;
  normalize();
  const std::size_t pix = im.pixsize;
  const std::size_t height = im.height;
  std::size_t remaining = im.width;
  const std::size_t bandLimit = std::max<std::size_t>(1, kTurnBufferLimit / (pix * height));
  std::vector<std::uint8_t> band(std::min(remaining, bandLimit) * height * pix);
  std::uint8_t* data = im.data;
  while (remaining > 0) {
    const std::size_t b = std::min(remaining, bandLimit);
    const std::size_t firstColumn = clockwise ? 0 : remaining - b;
    const std::size_t rowBytes = remaining * pix;
    // Band row t holds result row (remaining - b + t).
    for (std::size_t y = 0; y < height; ++y) {
      const std::uint8_t* srcRow = data + y * rowBytes;
      for (std::size_t c = 0; c < b; ++c) {
        const std::size_t x = firstColumn + c;
        const std::size_t resultRow = clockwise ? remaining - 1 - x : x;
        const std::size_t resultCol = clockwise ? y : height - 1 - y;
        const std::size_t t = resultRow - (remaining - b);
        std::memcpy(band.data() + (t * height + resultCol) * pix, srcRow + x * pix, pix);
      }
    }
    const std::size_t keptBytes = (remaining - b) * pix;
    const std::size_t keptOffset = clockwise ? b * pix : 0;
    for (std::size_t y = 0; y < height; ++y)
      std::memmove(data + y * keptBytes, data + y * rowBytes + keptOffset, keptBytes);
    std::memcpy(data + keptBytes * height, band.data(), b * height * pix);
    remaining -= b;
  }
  std::swap(im.width, im.height);
  im.rowsize = std::uint32_t(im.width * pix);
  if (im.flags & PIX_HAS_DPI) std::swap(im.xdpi, im.ydpi);
}

void PixImage::releaseOwnedData() {
  djvu_pixel_image& im = *image_;
  if (im.ownerMark == kPixOwnedByHeap) {
    _djvu_free(im.data);
  } else if (ownedByNew(im)) {
    delete[] im.data;
  } else {
    return;  // the caller's buffer stays attached
  }
  im.data = nullptr;
  im.ownerMark = 0;
  im.start = 0;
  capacity_ = 0;
}

void PixImage::transform(int angle, int newWidth, int newHeight) {
  int turn = ((angle % 360) + 360) % 360;
  if (turn % 90) fail("Can only transform 90,180, and 270 degrees.", 1200);
  djvu_pixel_image& im = *image_;
  if (newWidth <= 0 || newHeight <= 0) {
    im.width = std::uint32_t(std::max(newWidth, 0));
    im.height = std::uint32_t(std::max(newHeight, 0));
    im.rowsize = im.width * im.pixsize;
    releaseOwnedData();
    return;
  }
  normalize();
  reserve(outputPixsize(im) * std::size_t(newWidth) * std::size_t(newHeight));
  if (!im.width || !im.height) {
    im.width = std::uint32_t(newWidth);
    im.height = std::uint32_t(newHeight);
    im.rowsize = im.width * im.pixsize;
    return;
  }
  std::uint32_t targetW = std::uint32_t(newWidth), targetH = std::uint32_t(newHeight);
  if (turn == 90 || turn == 270) std::swap(targetW, targetH);
  while (im.width != targetW || im.height != targetH) {
    const bool quarterPending = turn == 90 || turn == 270;
    if (quarterPending && im.width == targetW) {
      turn == 270 ? rotate270() : rotate90();
      turn = 0;
      std::swap(targetW, targetH);
    } else if (!quarterPending && im.height != targetH && im.width <= targetW) {
      // Heights are scaled as the widths of the turned picture.
      turn == 180 ? rotate90() : rotate270();
      turn = 90;
      std::swap(targetW, targetH);
    } else {
      scaleRowsTo(int(targetW));
    }
  }
  if (turn == 90) {
    rotate90();
  } else if (turn == 180) {
    im.flags ^= PIX_BOTTOM_UP;
    mirrorRows();
    normalize();
  } else if (turn == 270) {
    rotate270();
  }
}

void PixImage::scaleRowsTo(int newWidth) {
  djvu_pixel_image& im = *image_;
  const int width = int(im.width);
  const int pix = int(im.pixsize);
  const int up = (newWidth - 1) / width + 1;
  const int down = std::max(1, width / newWidth);
  const bool enlarge = down < 2;
  const int midWidth = enlarge ? width * up : (width + down - 1) / down;
  const bool resample = width * up != newWidth * down && newWidth > 1;
  const std::size_t newRow = std::size_t(newWidth) * pix;
  reserve(std::max(newRow, std::size_t(im.rowsize)) * im.height);
  std::vector<std::uint8_t> mid(std::size_t(midWidth) * pix), out(newRow);
  std::uint8_t* data = im.data + im.start;
  const bool grows = newRow > im.rowsize;
  for (std::uint32_t i = 0; i < im.height; ++i) {
    // Growing rows are rewritten from the last, shrinking ones from the first, so
    // that no row is overwritten before it is read.
    const std::uint32_t y = grows ? im.height - 1 - i : i;
    const std::uint8_t* row = data + std::size_t(y) * im.rowsize;
    if (enlarge)
      upsampleRow(row, width, pix, up, mid.data());
    else
      downsampleRow(row, width, pix, down, mid.data());
    if (resample) {
      const std::int64_t span = std::int64_t(width - 1) * up * 256 / down;
      for (int j = 0; j < newWidth; ++j) {
        const std::int64_t w = j == 0 ? 0 : j * span / (newWidth - 1);
        const int k = std::min(int(w >> 8), midWidth - 1);
        const int f = int(w & 255);
        const int k1 = std::min(k + 1, midWidth - 1);
        for (int c = 0; c < pix; ++c) {
          const int a = mid[std::size_t(k) * pix + c];
          out[std::size_t(j) * pix + c] =
              std::uint8_t(f ? (a * (256 - f) + mid[std::size_t(k1) * pix + c] * f) >> 8 : a);
        }
      }
    } else {
      std::memcpy(out.data(), mid.data(), std::min(newRow, mid.size()));
    }
    std::memcpy(data + y * newRow, out.data(), newRow);
  }
  if (im.flags & PIX_HAS_DPI)
    im.xdpi =
        std::uint32_t((std::uint64_t(width) + std::uint64_t(newWidth) * im.xdpi * 2) / (std::uint64_t(width) * 2));
  im.width = std::uint32_t(newWidth);
  im.rowsize = std::uint32_t(newRow);
  normalize();
}

void PixImage::subsample(int factor) {
  if (factor < 1) fail("Non-posative scale specified in djvu_pixel_subsample", 2322);
  if (factor == 1) return;
  djvu_pixel_image& im = *image_;
  const std::uint32_t outW = (im.width + factor - 1) / factor;
  const std::uint32_t outH = (im.height + factor - 1) / factor;
  const std::size_t pix = im.pixsize;
  if (im.data && outW && outH) {
    std::uint8_t* data = im.data + im.start;
    std::vector<std::uint32_t> sums(outW * pix);
    std::vector<std::uint32_t> counts(outW);
    for (std::uint32_t oy = 0; oy < outH; ++oy) {
      std::fill(sums.begin(), sums.end(), 0);
      std::fill(counts.begin(), counts.end(), 0);
      const std::uint32_t yEnd = std::min<std::uint32_t>(im.height, (oy + 1) * factor);
      for (std::uint32_t y = oy * factor; y < yEnd; ++y) {
        const std::uint8_t* row = data + std::size_t(y) * im.rowsize;
        for (std::uint32_t x = 0; x < im.width; ++x) {
          const std::uint32_t ox = x / factor;
          ++counts[ox];
          for (std::size_t c = 0; c < pix; ++c) sums[ox * pix + c] += row[x * pix + c];
        }
      }
      std::uint8_t* outRow = data + std::size_t(oy) * im.rowsize;
      for (std::uint32_t ox = 0; ox < outW; ++ox)
        for (std::size_t c = 0; c < pix; ++c) outRow[ox * pix + c] = std::uint8_t(sums[ox * pix + c] / counts[ox]);
    }
  }
  im.width = outW;
  im.height = outH;
  if (im.flags & PIX_HAS_DPI) {
    im.xdpi = (factor - 1 + 2 * im.xdpi) / (2 * factor);
    im.ydpi = (factor - 1 + 2 * im.ydpi) / (2 * factor);
  }
}

djvu_pixel_image* PixImage::detach() {
  djvu_pixel_image* record = image_;
  djvu_pixel_image& im = *record;
  const std::size_t need = packedSize(im);
  if (im.data && capacity_ > need) {
    const bool fromNew = ownedByNew(im);
    std::uint8_t* fresh = nullptr;
    if (fromNew && (im.start || capacity_ >= 2 * need)) fresh = static_cast<std::uint8_t*>(_djvu_malloc(need));
    if (fresh) {
      std::memcpy(fresh, im.data + im.start, need);
      delete[] im.data;
      im.data = fresh;
      im.ownerMark = kPixOwnedByHeap;
    } else {
      if (im.start) std::memmove(im.data, im.data + im.start, need);
      if (im.ownerMark == kPixOwnedByHeap) {
        if (auto* shrunk = static_cast<std::uint8_t*>(_djvu_realloc(im.data, need))) im.data = shrunk;
      }
    }
    im.start = 0;
  }
  image_ = nullptr;
  capacity_ = 0;
  return record;
}

void downsampleRow(const std::uint8_t* in, int width, int pixsize, int factor, std::uint8_t* out) {
  for (int x0 = 0, o = 0; x0 < width; x0 += factor, ++o) {
    const int n = std::min(factor, width - x0);
    for (int c = 0; c < pixsize; ++c) {
      int sum = 0;
      for (int k = 0; k < n; ++k) sum += in[(x0 + k) * pixsize + c];
      out[o * pixsize + c] = std::uint8_t(sum / n);
    }
  }
}

// Interpolating enlargement by 2 and 3 keeps the mean of each source pixel; where
// a value would leave 0..255 the pixel is replicated instead. At the row ends the
// missing neighbour is taken to be the pixel itself.
void upsampleRow(const std::uint8_t* in, int width, int pixsize, int factor, std::uint8_t* out) {
  if (factor <= 0) fail("Illegal upsample value", 658);
  for (int x = 0; x < width; ++x) {
    const std::uint8_t* p = in + x * pixsize;
    const std::uint8_t* left = x > 0 ? p - pixsize : p;
    const std::uint8_t* right = x + 1 < width ? p + pixsize : p;
    std::uint8_t* o = out + std::size_t(x) * factor * pixsize;
    int values[3][8] = {};
    bool replicate = factor > 3 || factor == 1 || pixsize > 8;
    for (int c = 0; c < pixsize && !replicate; ++c) {
      const int v = p[c], a = left[c], b = right[c];
      if (factor == 2) {
        const int d = v + ((a - b) >> 2);
        values[0][c] = d;
        values[1][c] = 2 * v - d;
      } else {
        const int e = (9 * v + 3 * a - b) / 5, f = (9 * v + 3 * b - a) / 5;
        values[0][c] = e;
        values[1][c] = 3 * v - e - f;
        values[2][c] = f;
      }
      for (int k = 0; k < factor; ++k) replicate |= values[k][c] < 0 || values[k][c] > 255;
    }
    for (int k = 0; k < factor; ++k)
      for (int c = 0; c < pixsize; ++c) o[k * pixsize + c] = replicate ? p[c] : std::uint8_t(values[k][c]);
  }
}

// --- entry points over PixImage ---

namespace {

template <typename Operation>
djvu_pixel_image* runOnPixels(djvu_pixel_image* image, Operation operation) {
  if (!image) return nullptr;
  try {
    PixImage pix;
    pix.attach(image);
    operation(pix);
    pix.normalize();
    return pix.detach();
  } catch (const DjvuException& e) {
    e.report();
  } catch (const std::bad_alloc&) {
    djvu_report_error("Out of memory", kUnitPixImage, 0);
  }
  return nullptr;
}

}  // namespace

void djvu_pixel_image_free(djvu_pixel_image* image) {
  if (!image) return;
  if (image->ownerMark == kPixOwnedByHeap) {
    _djvu_free(image->data);
  } else if (image->data && image->ownerMark == reinterpret_cast<std::intptr_t>(image->data)) {
    delete[] image->data;
  } else if (image->data || image->ownerMark) {
    djvu_report_error("djvu_pixel_image_free: pixel image was not allocated by djvuapi", orlim::kUnitLibdjvu, 1083);
    return;
  }
  delete image;
}

djvu_pixel_image* djvu_pixel_image_normalize(djvu_pixel_image* image) {
  return runOnPixels(image, [](PixImage&) {});
}

djvu_pixel_image* djvu_pixel_subsample(djvu_pixel_image* image, int factor) {
  return runOnPixels(image, [factor](PixImage& pix) { pix.subsample(factor); });
}

djvu_pixel_image* djvu_pixel_rotate(djvu_pixel_image* image, int angle, int width, int height) {
  if (((angle % 360) + 360) % 90) {
    djvu_report_error("Can only rotate 0,90,180, and 270 degrees", orlim::kUnitImageio, 328);
    return nullptr;
  }
  return runOnPixels(image, [&](PixImage& pix) { pix.transform(angle, std::abs(width), std::abs(height)); });
}
