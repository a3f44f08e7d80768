// Rendering a kept page: a rectangle at an integral reduction, by layer, with the
// display's gamma and dither, into a bottom-up djvu_pixel_image.
#include <libdjvu/ddjvuapi.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "djvu/DjvuException.h"
#include "djvu/PixImage.h"
#include "djvu/ddjvu_session.h"
#include "djvu/djvuapi.h"

using orlim::DdjvuPage;
using orlim::DjvuException;
using orlim::kUnitLibdjvu;

namespace {

[[noreturn]] void fail(const char* message, int line) { throw DjvuException(message, kUnitLibdjvu, line); }

// The library renders at `library`; a remaining factor is averaged afterwards.
struct SubsampleSplit {
  int library;
  int rest;
};

SubsampleSplit splitSubsample(int s) {
  if (s <= 12) return {s, 1};
  for (int q = 12; q >= 2; --q)
    if (s % q == 0) return {q, s / q};
  return {s, 1};
}

djvu_render_options takeOptions(const djvu_render_options* given) {
  djvu_render_options options;
  djvu_render_options_default(&options, sizeof options);
  if (given && given->size > 0)
    std::memcpy(&options, given, std::min<std::size_t>(std::size_t(given->size), sizeof options));
  if (!(options.gamma > 0)) options.gamma = 2.2f;
  if (options.bits < 1) options.bits = 24;
  return options;
}

// ddjvu dithers for 8..14 bits to the 216-colour cube and for 15..23 bits to
// 32768 colours.
int ditherBits(int bits) { return bits < 15 ? 8 : bits < 24 ? 15 : 24; }

using FormatPtr = std::unique_ptr<ddjvu_format_t, decltype(&ddjvu_format_release)>;

FormatPtr makeFormat(ddjvu_format_style_t style, const djvu_render_options& options) {
  FormatPtr format(ddjvu_format_create(style, 0, nullptr), &ddjvu_format_release);
  if (!format) throw std::bad_alloc();
  ddjvu_format_set_row_order(format.get(), 0);    // bottom row first
  ddjvu_format_set_y_direction(format.get(), 0);  // y counted from the bottom
  // The float gamma is taken at its decimal value: 2.2f is not exactly 2.2, and the
  // library would then correct colours that need no correction.
  ddjvu_format_set_gamma(format.get(), std::round(double(options.gamma) * 1e6) / 1e6);
  ddjvu_format_set_ditherbits(format.get(), ditherBits(options.bits));
  return format;
}

// Where the request lies in the page as the library renders it (at `library`).
struct LibraryArea {
  ddjvu_rect_t page;
  ddjvu_rect_t part;
};

// The reduced page counts a last, partly covered pixel on its right and top. A
// page turned by its INFO chunk would carry that pixel to its left or bottom,
// where the picture starts: it is reduced to whole pixels only, as ddjvu does.
LibraryArea libraryArea(const djvu_halfcoded_image& image, int s, SubsampleSplit split, int x0, int y0, int x1,
                        int y1) {
  const int q = split.library, rest = split.rest;
  const bool turned = ddjvu_page_get_rotation(DdjvuPage::pageOf(image.page)) != DDJVU_ROTATE_0;
  const int partial = turned ? 0 : q - 1;
  const int pageW = std::max(1, int((image.width + partial) / q)),
            pageH = std::max(1, int((image.height + partial) / q));
  const int lastX = int(image.width) / s, lastY = int(image.height) / s;
  // A split reduction carries the caller's rectangle out by the remaining factor,
  // so the averaged result covers exactly the place asked for.
  int left = std::max(0, x0) * rest, bottom = std::max(0, y0) * rest;
  int right = (std::min(x1, lastX) + 1) * rest, top = (std::min(y1, lastY) + 1) * rest;
  right = std::min(right, pageW);
  top = std::min(top, pageH);
  if (right <= left || top <= bottom) fail("Invalid rectangle specified.", 876);
  return {{0, 0, unsigned(pageW), unsigned(pageH)}, {left, bottom, unsigned(right - left), unsigned(top - bottom)}};
}

djvu_pixel_image* newHeapPicture(std::uint32_t width, std::uint32_t height, std::uint32_t pixsize,
                                 std::uint32_t rowsize, std::uint32_t flags) {
  auto* picture = new djvu_pixel_image{};
  picture->data = static_cast<std::uint8_t*>(_djvu_malloc(std::size_t(rowsize) * height));
  if (!picture->data) {
    delete picture;
    throw std::bad_alloc();
  }
  picture->ownerMark = kPixOwnedByHeap;
  picture->width = width;
  picture->height = height;
  picture->pixsize = pixsize;
  picture->rowsize = rowsize;
  picture->flags = flags;
  return picture;
}

ddjvu_render_mode_t colorMode(int layer) {
  switch (layer) {
    case DJVU_LAYER_COLOR: return DDJVU_RENDER_COLOR;
    case DJVU_LAYER_BACKGROUND: return DDJVU_RENDER_BACKGROUND;
    case DJVU_LAYER_FOREGROUND: return DDJVU_RENDER_FOREGROUND;
    default: fail("Unrecognized layer", 932);
  }
}

djvu_pixel_image* renderColor(const void* kept, const LibraryArea& area, const djvu_render_options& options) {
  const ddjvu_render_mode_t mode = colorMode(options.layer);
  const auto w = area.part.w, h = area.part.h;
  std::unique_ptr<djvu_pixel_image, decltype(&djvu_pixel_image_free)> picture(
      newHeapPicture(w, h, 3, 3 * w, PIX_BGR | PIX_BOTTOM_UP), &djvu_pixel_image_free);
  FormatPtr format = makeFormat(DDJVU_FORMAT_BGR24, options);
  if (DdjvuPage::render(kept, mode, area.page, area.part, format.get(), 3 * w, reinterpret_cast<char*>(picture->data)))
    return picture.release();
  if (options.layer == DJVU_LAYER_COLOR) fail("djvu_render: djvu image is corrupted", 963);
  // A page without this layer shows white in its place.
  picture.reset(newHeapPicture(w, h, 1, w + 1, PIX_GRAY | PIX_BOTTOM_UP));
  std::memset(picture->data, 255, std::size_t(w + 1) * h);
  return picture.release();
}

// The library hands the mask out as gray values 255 - round(i * 255 / (g - 1)) of
// its g levels (g = q * q + 1 at reduction q); each is mapped back to its level and
// through the layer's table.
void applyMaskTable(std::uint8_t* pixels, std::size_t count, int q, int layer) {
  const int g = q > 1 ? std::min(q * q + 1, 256) : 2;
  std::uint8_t table[256];
  for (int v = 0; v < 256; ++v) {
    const int level = ((255 - v) * (g - 1) + 127) / 255;
    table[v] =
        layer == DJVU_LAYER_BLACKANDWHITE ? (level == g - 1 ? 0 : 255) : std::uint8_t((g - 1 - level) * 255 / (g - 1));
  }
  for (std::size_t i = 0; i < count; ++i) pixels[i] = table[pixels[i]];
}

djvu_pixel_image* renderMask(const void* kept, const LibraryArea& area, const djvu_render_options& options, int q) {
  const auto w = area.part.w, h = area.part.h;
  std::unique_ptr<djvu_pixel_image, decltype(&djvu_pixel_image_free)> picture(
      newHeapPicture(w, h, 1, w, PIX_GRAY | PIX_FROM_MASK | PIX_BOTTOM_UP), &djvu_pixel_image_free);
  FormatPtr format = makeFormat(DDJVU_FORMAT_GREY8, options);
  if (!DdjvuPage::render(kept, DDJVU_RENDER_MASKONLY, area.page, area.part, format.get(), w,
                         reinterpret_cast<char*>(picture->data)))
    fail("djvu_render: djvu image is corrupted", 1000);
  applyMaskTable(picture->data, std::size_t(w) * h, q, options.layer);
  return picture.release();
}

bool allPixelsGray(const djvu_pixel_image& picture) {
  for (std::uint32_t y = 0; y < picture.height; ++y) {
    const std::uint8_t* p = picture.data + picture.start + std::size_t(y) * picture.rowsize;
    for (std::uint32_t x = 0; x < picture.width; ++x, p += 3)
      if (p[0] != p[1] || p[1] != p[2]) return false;
  }
  return true;
}

void reportCaught() {
  try {
    throw;
  } catch (const DjvuException& e) {
    e.report();
  } catch (const std::bad_alloc&) {
    djvu_report_error("Out of memory", kUnitLibdjvu, 0);
  }
}

}  // namespace

djvu_pixel_image* djvu_render(const djvu_render_options* given, const djvu_halfcoded_image* image, int s, int x0,
                              int y0, int x1, int y1) {
  djvu_pixel_image* picture = nullptr;
  try {
    if (s < 1) fail("Non-posative subsample value", 859);
    const SubsampleSplit split = splitSubsample(s);
    if (!image) fail("djvu_render: djvu_halfcoded_image is required", 873);
    if (x1 <= x0 || y1 <= y0) fail("Invalid rectangle specified.", 876);
    djvu_render_options options = takeOptions(given);
    const int W = int(image->width), H = int(image->height);
    if (!(options.flags & DJVU_RENDER_WHOLE_PAGE) && x0 == 0 && y0 == 0 && x1 == W / s && y1 == H / s)
      options.flags |= DJVU_RENDER_WHOLE_PAGE;
    if (!image->page) fail("djvu_render: djvu_halfcoded_image is corrupted", 914);
    const LibraryArea area = libraryArea(*image, s, split, x0, y0, x1, y1);
    const bool bitonal = ddjvu_page_get_type(DdjvuPage::pageOf(image->page)) == DDJVU_PAGETYPE_BITONAL;
    if (options.layer == DJVU_LAYER_BLACKANDWHITE || bitonal)
      picture = renderMask(image->page, area, options, split.library);
    else
      picture = renderColor(image->page, area, options);
    const bool whole = (options.flags & DJVU_RENDER_WHOLE_PAGE) ||
                       (x0 == 0 && y0 == 0 && x1 == (W + s - 1) / s && y1 == (H + s - 1) / s);
    const bool madeGray = (picture->flags & PIX_BGR) && whole && allPixelsGray(*picture);
    if (madeGray) picture->flags ^= PIX_BGR | PIX_GRAY;
    if (image->dpi > 0) {
      // At the library's reduction; the averaging below carries it the rest.
      const int q = split.library;
      picture->flags |= PIX_HAS_DPI;
      picture->xdpi = picture->ydpi = std::uint32_t((q + 2 * image->dpi) / (2 * q));
    }
    if (split.rest > 1 || madeGray) {
      PixImage pix;
      pix.attach(picture);
      pix.subsample(split.rest);
      pix.normalize();
      pix.detach();
    }
    return picture;
  } catch (...) {
    djvu_pixel_image_free(picture);
    reportCaught();
  }
  return nullptr;
}

djvu_pixel_image* djvu_render_scaled(const djvu_render_options* options, const djvu_halfcoded_image* image, int x0,
                                     int y0, int x1, int y1, int angle, int outWidth, int outHeight) {
  if (outWidth == 0 || outHeight == 0) return nullptr;
  const long w = long(x1) - x0 + 1, h = long(y1) - y0 + 1;
  const int turn = ((angle % 360) + 360) % 360;
  const bool crosswise = turn == 90 || turn == 270;
  const long matchW = std::abs(crosswise ? outHeight : outWidth), matchH = std::abs(crosswise ? outWidth : outHeight);
  int r = 1;
  for (int i = 15; i >= 2 && w > 0 && h > 0; --i) {
    if (w % (i * matchW) == 0 && h % (i * matchH) == 0) {
      r = i;
      break;
    }
  }
  djvu_pixel_image* picture = djvu_render(options, image, r, x0 / r, y0 / r, x1 / r, y1 / r);
  if (!picture) return nullptr;
  if (!djvu_pixel_rotate(picture, angle, outWidth, outHeight)) {
    djvu_pixel_image_free(picture);
    return nullptr;
  }
  if (picture->flags & PIX_HAS_DPI) {
    const long dpi = image->dpi;
    picture->xdpi = std::uint32_t((w + dpi * matchW * 2) / (w * 2));
    picture->ydpi = std::uint32_t((h + dpi * matchH * 2) / (h * 2));
    if (!picture->xdpi || !picture->ydpi) picture->flags &= ~PIX_HAS_DPI;
  }
  return picture;
}
