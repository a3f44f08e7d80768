// The DjVu decoding layer: a flat interface of free functions over plain records.
// A page is decoded once into a djvu_halfcoded_image and then rendered as often as
// needed, any rectangle at any integral reduction, into djvu_pixel_image records.
// No exception leaves these functions: failures go to the layer's error handler
// (djvu_set_error_handler) and the function returns null.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/orlim_api.h"

// --- pixel images ---

constexpr std::uint32_t PIX_BOTTOM_UP = 0x02;  // first stored row is the bottom row
constexpr std::uint32_t PIX_RGB = 0x04;        // colour bytes red, green, blue
constexpr std::uint32_t PIX_BGR = 0x08;        // colour bytes blue, green, red
constexpr std::uint32_t PIX_GRAY = 0x10;       // one gray byte per pixel, 255 white
constexpr std::uint32_t PIX_FROM_MASK = 0x20;  // rendered from the bitonal mask
constexpr std::uint32_t PIX_HAS_DPI = 0x40;    // xdpi and ydpi are valid

// Who owns a pixel image's data, besides the value `data` itself (object allocator).
constexpr std::intptr_t kPixOwnedByHeap = -1;

struct djvu_pixel_image {
  std::uint32_t flags;
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t start;    // offset of the first stored row in data
  std::uint32_t rowsize;  // bytes from one stored row to the next
  std::uint32_t pixsize;  // bytes per pixel
  std::uint8_t* data;
  // -1: data came from the heap (malloc); equal to data: from new[]; anything
  // else: the caller's buffer, never freed here. Pointer-wide so the "equal to
  // data" mark survives on 64-bit machines.
  std::intptr_t ownerMark;
  std::uint32_t xdpi;
  std::uint32_t ydpi;
};

// The layer's heap: plain malloc and friends, so records can be freed by anyone
// who knows the owner mark.
ORLIM_API void* _djvu_malloc(std::size_t size);
ORLIM_API void* _djvu_calloc(std::size_t count, std::size_t size);
ORLIM_API void* _djvu_realloc(void* block, std::size_t size);
ORLIM_API void _djvu_free(void* block);

ORLIM_API void djvu_pixel_image_free(djvu_pixel_image* image);
ORLIM_API djvu_pixel_image* djvu_pixel_image_normalize(djvu_pixel_image* image);
ORLIM_API djvu_pixel_image* djvu_pixel_subsample(djvu_pixel_image* image, int factor);
ORLIM_API djvu_pixel_image* djvu_pixel_rotate(djvu_pixel_image* image, int angle, int width, int height);

// --- decoded pages ---

// Delivers up to `length` bytes into `buffer`; 0 means end of data.
using djvu_read_function = int (*)(void* handle, void* buffer, int length);
// Takes up to `length` bytes; returns how many it took.
using djvu_write_function = int (*)(void* handle, const void* data, int length);

struct djvu_halfcoded_image {
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t scaledWidth;
  std::uint32_t scaledHeight;
  std::int32_t memorySize;
  char* description;  // the library's dump of the page's chunks, owned; may be null
  std::int32_t dpi;
  float gamma;
  void* page;  // the library's decoded page, owned
  // Which page of its document this is (0-based) and how many pages the document
  // has: 0 and 1 for a single page.
  std::int32_t pageIndex;
  std::int32_t pageCount;
};

// Width and height are those of the upright page: a page whose INFO chunk asks
// for a rotation is rendered turned as it asks.
ORLIM_API djvu_halfcoded_image* djvu_halfcoded_image_decode(djvu_read_function read, void* handle);
// Page `pageIndex` (0-based) of the document in the file `path` (a bundle, an
// indirect document's index with its component files beside it, or a single
// page), decoded alone: the library reads the directory and that page's parts.
ORLIM_API djvu_halfcoded_image* djvu_document_page_decode(const char* path, int pageIndex);
ORLIM_API void djvu_halfcoded_image_free(djvu_halfcoded_image* image);

// --- rendering ---

enum djvu_layer {
  DJVU_LAYER_COLOR = 0,
  DJVU_LAYER_BLACKANDWHITE = 1,
  DJVU_LAYER_BACKGROUND = 2,
  DJVU_LAYER_FOREGROUND = 3
};

// Bit 0 of djvu_render_options::flags: treat the request as the whole page.
constexpr std::int32_t DJVU_RENDER_WHOLE_PAGE = 1;

struct djvu_render_options {
  std::int32_t size;  // bytes of this record the caller filled; at most 24 are read
  float gamma;        // display gamma; <= 0 means 2.2
  std::int32_t bits;  // display depth: < 15 216-colour dither, < 24 32768-colour dither
  std::int32_t flags;
  std::int32_t layer;  // djvu_layer
  std::int32_t reserved;
};
static_assert(sizeof(djvu_render_options) == 24);

// Rectangles are inclusive, in pixels of the page reduced by the subsample, y from
// the bottom of the page; results are bottom-up.
ORLIM_API djvu_pixel_image* djvu_render(const djvu_render_options* options, const djvu_halfcoded_image* image,
                                        int subsample, int x0, int y0, int x1, int y1);
// The full-resolution rectangle (x0, y0)-(x1, y1) scaled to outWidth x outHeight and
// turned by `angle` degrees clockwise.
ORLIM_API djvu_pixel_image* djvu_render_scaled(const djvu_render_options* options, const djvu_halfcoded_image* image,
                                               int x0, int y0, int x1, int y1, int angle, int outWidth, int outHeight);
ORLIM_API djvu_render_options* djvu_render_options_default(djvu_render_options* dest, int length);

// --- errors ---

using djvu_error_handler = int (*)(const char* message, const char* file, int line);
ORLIM_API djvu_error_handler djvu_set_error_handler(djvu_error_handler handler);
// Hands (message, source unit, line) to the handler; without one, prints the error
// and ends the process with status 10.
ORLIM_API int djvu_report_error(const char* message, const char* file, int line);
