// JPEG (JFIF) files through libjpeg. The library reports errors by calling an
// exit hook that must not return; both directions replace it with a jump back
// into the call that started the work, so no library error ends the process.
// Functions that run between the mark and a possible jump keep only plain
// locals, so the jump skips no destructor.
#include <cerrno>
#include <climits>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "formats/atomic_file.h"
#include "formats/pixel_block.h"
#include "formats/write_progress.h"
#include "image/Image.h"
#include "image/block_gate.h"
#include "image/resolution.h"

// After the record's header: jpeglib.h needs size_t and FILE declared before it,
// and its TRUE/FALSE macros must not reach the platform's constants.
#include <jpeglib.h>

namespace orlim {

namespace {

// Working memory libjpeg may take beyond our own block: bounds what a damaged
// header can make it allocate (it has no backing store, so more is an error).
constexpr long kJpegWorkingMemory = 1024L * 1024L * 1024L;

// The standard error manager followed by the jump back.
struct JpegErrorContext {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

// Formats the library's current message into messageBuffer; shows nothing.
void keepJpegMessage(j_common_ptr cinfo) {
  char text[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, text);
  std::snprintf(messageBuffer, sizeof messageBuffer, "%s", text);
}

[[noreturn]] void jumpBackOnJpegError(j_common_ptr cinfo) {
  (*cinfo->err->output_message)(cinfo);
  std::longjmp(reinterpret_cast<JpegErrorContext*>(cinfo->err)->jump, 1);
}

void installErrorContext(JpegErrorContext& context) {
  jpeg_std_error(&context.manager);
  context.manager.error_exit = jumpBackOnJpegError;
  context.manager.output_message = keepJpegMessage;
}

// JFIF density unit → resolution unit of the record and the factor to pixels per metre.
struct DensityUnit {
  int resolutionUnit;
  double toPixelsPerMeter;
};

// JFIF density units.
enum JfifUnit : int { kJfifNoUnit = 0, kJfifDotsPerInch = 1, kJfifDotsPerCentimeter = 2 };

DensityUnit densityUnit(int jfifUnit) {
  switch (jfifUnit) {
    case kJfifDotsPerInch: return {kResolutionUnitInch, kPixelsPerMeterPerDpi};
    case kJfifDotsPerCentimeter: return {kResolutionUnitCentimeter, 100.0};
    default: return {kResolutionUnitNone, 0.0};
  }
}

int jfifUnitFor(int resolutionUnit) {
  switch (resolutionUnit) {
    case kResolutionUnitInch: return kJfifDotsPerInch;
    case kResolutionUnitCentimeter: return kJfifDotsPerCentimeter;
    default: return kJfifNoUnit;
  }
}

bool isCmyk(const jpeg_decompress_struct& cinfo) {
  return cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
}

// One 8-bit channel of ink-free light: (255 - ink) scaled by (255 - black).
std::uint8_t lightOf(unsigned ink, unsigned black) {
  return static_cast<std::uint8_t>(((255u - ink) * (255u - black) + 127u) / 255u);
}

// CMYK samples to blue, green, red. Adobe's files store the inks inverted.
void cmykRowToBgr(const std::uint8_t* in, std::uint8_t* out, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
    unsigned c = in[0], m = in[1], y = in[2], k = in[3];
    if (inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    out[0] = lightOf(y, k);
    out[1] = lightOf(m, k);
    out[2] = lightOf(c, k);
  }
}

}  // namespace

// Sets the description fields from the header and chooses what the library
// delivers. Returns 0 when the picture cannot be held (message given).
static int describeJpeg(Image& image, const char* path, jpeg_decompress_struct& cinfo, int depth, int dctMethod) {
  image.width = image.fullWidth = static_cast<int>(cinfo.image_width);
  image.height = image.fullHeight = static_cast<int>(cinfo.image_height);
  image.bitsPerPixel = image.sourceBitsPerPixel = 8 * cinfo.num_components;
  image.negative = image.symmetry = 0;
  image.pageCount = 1;
  image.pageIndex = 0;
  image.resolutionUnit = densityUnit(cinfo.density_unit).resolutionUnit;
  const bool quantize = depth > 0 && depth < 24;
  if (cinfo.num_components != 1 && cinfo.num_components != 3 && !isCmyk(cinfo))
    return image.fail("Unsupported JPEG format. (Components = %d)", cinfo.num_components);
  if (isCmyk(cinfo)) {
    // Converted to RGB here; the two-pass quantiser takes three components only.
    cinfo.out_color_space = JCS_CMYK;
    image.bitsPerPixel = 24;
  } else if (quantize) {
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = 256;
    cinfo.two_pass_quantize = TRUE;
    cinfo.dither_mode = JDITHER_FS;
    image.bitsPerPixel = 8;
  } else if (cinfo.out_color_space == JCS_RGB) {
    // The library delivers the stored byte order itself.
    cinfo.out_color_space = JCS_EXT_BGR;
  }
  cinfo.dct_method = static_cast<J_DCT_METHOD>(dctMethod);
  // Before decompression starts, so that libjpeg's own buffers are not set up for
  // a picture that cannot be held.
  BlockShape shape;
  return shapePictureBlock(image, path, cinfo.image_width, cinfo.image_height, image.bitsPerPixel,
                           image.bitsPerPixel == 24 ? 0 : 1024, shape);
}

// Lays out and attaches the zeroed block once decompression has started.
static int attachJpegBlock(Image& image, const char* path, const jpeg_decompress_struct& cinfo, int layoutArg) {
  const bool rgbOut =
      cinfo.out_color_space == JCS_RGB || cinfo.out_color_space == JCS_EXT_BGR || cinfo.out_color_space == JCS_CMYK;
  const int tableBytes = rgbOut ? (cinfo.quantize_colors ? 1024 : 0) : 1024;
  if (!attachPixelBlock(image, path, image.bitsPerPixel, tableBytes, layoutArg)) return 0;
  if (layoutArg != kLayoutPackedDib) return 1;
  const double factor = densityUnit(cinfo.density_unit).toPixelsPerMeter;
  BITMAPINFOHEADER* h = image.header();
  h->biXPelsPerMeter = roundedResolution(cinfo.X_density * factor);
  h->biYPelsPerMeter = roundedResolution(cinfo.Y_density * factor);
  return 1;
}

// Decodes every scan line straight into its stored row, the top row last.
static int decodeJpegRows(Image& image, jpeg_decompress_struct& cinfo, JSAMPROW cmykRow) {
  const bool inverted = cinfo.saw_Adobe_marker;
  while (cinfo.output_scanline < cinfo.output_height) {
    std::uint8_t* row = image.bits() + std::int64_t(image.height - 1 - cinfo.output_scanline) * image.stride;
    JSAMPROW target = cmykRow ? cmykRow : row;
    const JDIMENSION got = jpeg_read_scanlines(&cinfo, &target, 1);
    if (got != 1) {
      image.reset(true);
      return image.fail("Expected one scan line, but got %d.", static_cast<int>(got));
    }
    if (cmykRow) cmykRowToBgr(cmykRow, row, cinfo.output_width, inverted);
  }
  return 1;
}

static void fillJpegColorTable(Image& image, const jpeg_decompress_struct& cinfo) {
  if (image.paletteSize == 0) {
    image.photometric = kPhotometricRgb;
    return;
  }
  RGBQUAD* table = image.palette();
  if (!cinfo.colormap) {
    for (int i = 0; i < 256; ++i) {
      const auto v = static_cast<BYTE>(i);
      table[i] = RGBQUAD{v, v, v, 0};
    }
    image.isGray = 1;
    image.photometric = kPhotometricMinIsBlack;
    return;
  }
  const int colors = cinfo.actual_number_of_colors < 256 ? cinfo.actual_number_of_colors : 256;
  if (cinfo.out_color_components == 3) {
    for (int i = 0; i < colors; ++i)
      table[i] = RGBQUAD{cinfo.colormap[2][i], cinfo.colormap[1][i], cinfo.colormap[0][i], 0};
    image.photometric = kPhotometricPalette;
    return;
  }
  for (int i = 0; i < colors; ++i)
    table[i] = RGBQUAD{cinfo.colormap[0][i], cinfo.colormap[0][i], cinfo.colormap[0][i], 0};
  image.isGray = image.isGrayPalette();
}

// Everything between reading the header and finishing; a library error jumps
// out of here back into readJpeg.
static int decodeJpeg(Image& image, const char* path, jpeg_decompress_struct& cinfo, int depth, int dctMethod,
                      int layoutArg) {
  jpeg_read_header(&cinfo, TRUE);
  if (!describeJpeg(image, path, cinfo, depth, dctMethod)) return 0;
  jpeg_start_decompress(&cinfo);
  JSAMPROW cmykRow = nullptr;
  if (cinfo.out_color_space == JCS_CMYK)
    cmykRow = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                         cinfo.output_width * cinfo.output_components, 1)[0];
  if (!attachJpegBlock(image, path, cinfo, layoutArg)) return 0;
  if (!decodeJpegRows(image, cinfo, cmykRow)) return 0;
  image.rowOrder = kRowsBottomUp;
  const DensityUnit unit = densityUnit(cinfo.density_unit);
  auto dotsPerInch = [&](UINT16 density) {
    return density > 1 ? roundedResolution(density * unit.toPixelsPerMeter * 0.0254) : 0;
  };
  image.xResolution = dotsPerInch(cinfo.X_density);
  image.yResolution = dotsPerInch(cinfo.Y_density);
  fillJpegColorTable(image, cinfo);
  jpeg_finish_decompress(&cinfo);
  return 1;
}

int Image::readJpeg(const char* path, int depth, int dctMethod, int layoutArg) {
  reset(true);
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return fail("Failed to open %s.", path);
  jpeg_decompress_struct cinfo{};
  JpegErrorContext errors;
  installErrorContext(errors);
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return fail("Failed to set up JPEG error handling.");
  }
  cinfo.err = &errors.manager;
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kJpegWorkingMemory;
  jpeg_stdio_src(&cinfo, file);
  const int result = decodeJpeg(*this, path, cinfo, depth, dctMethod, layoutArg);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(file);
  if (!result) reset(true);
  return result;
}

namespace {

// The rows the compressor reads: the image's own, or a converted copy.
struct JpegSource {
  std::uint8_t* copy = nullptr;  // owned converted block, or null
  const std::uint8_t* rows = nullptr;
  std::int64_t stride = 0;
  int components = 0;
};

}  // namespace

// Picks or builds the rows to compress (gray rows for bitmaps, a 24-bit copy
// for indexed colour). 0 when the depth cannot be saved or a copy failed.
static int chooseJpegSource(Image& image, JpegSource& source) {
  switch (image.bitsPerPixel) {
    case 1:
      image.progress("Converting to gray scale...", 0);
      source.copy = image.makeGrayRows(0);
      if (!source.copy) return 0;
      source.rows = source.copy;
      source.stride = dibStride(image.width, 8);
      source.components = 1;
      return 1;
    case 8:
      if (image.isGray) {
        image.progress("Reversing the photometric...", 0);
        if (image.photometric == kPhotometricMinIsWhite && !image.ReversePhotometric()) return 0;
        source.rows = image.bits();
        source.stride = image.stride;
        source.components = 1;
        return 1;
      }
      [[fallthrough]];
    case 4:
    case 16:
      image.progress("Increasing the color depth...", 0);
      source.copy = image.increaseColorDepth(24);
      if (!source.copy) return 0;
      source.rows = source.copy + image.headerSize;
      source.stride = dibStride(image.width, 24);
      source.components = 3;
      return 1;
    case 24:
      source.rows = image.bits();
      source.stride = image.stride;
      source.components = 3;
      return 1;
    default: return image.fail("JPEG saving not supported for this color depth.");
  }
}

static void setJpegParameters(const Image& image, jpeg_compress_struct& cinfo, const JpegSource& source, int quality,
                              int smoothing, int optimizeCoding, int dctMethod) {
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = source.components;
  cinfo.in_color_space = source.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  // Our rows are blue-green-red; the library reads them so without a copy.
  if (source.components == 3 && image.colorOrder == kColorOrderBgr) cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_quality(&cinfo, (quality < 0 || quality > 100) ? 75 : quality, TRUE);
  cinfo.smoothing_factor = (smoothing < 0 || smoothing > 100) ? 0 : smoothing;
  cinfo.dct_method = static_cast<J_DCT_METHOD>(dctMethod);
  cinfo.optimize_coding = optimizeCoding ? TRUE : FALSE;
  if (image.xResolution > 1 || image.yResolution > 1) {
    auto density = [](int v) { return static_cast<UINT16>(v < 0 ? 0 : v > 65535 ? 65535 : v); };
    cinfo.density_unit = static_cast<UINT8>(jfifUnitFor(image.resolutionUnit));
    cinfo.X_density = density(image.xResolution);
    cinfo.Y_density = density(image.yResolution);
  }
}

// Compresses every row, the picture's top row first; a library error jumps out
// of here back into writeJpeg.
static void encodeJpeg(Image& image, jpeg_compress_struct& cinfo, std::FILE* out, const JpegSource& source, int quality,
                       int smoothing, int optimizeCoding, int dctMethod, const char* comment) {
  jpeg_stdio_dest(&cinfo, out);
  setJpegParameters(image, cinfo, source, quality, smoothing, optimizeCoding, dctMethod);
  jpeg_start_compress(&cinfo, TRUE);
  if (comment && comment[0])
    jpeg_write_marker(&cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(comment),
                      static_cast<unsigned>(std::strlen(comment)));
  RowProgress progress(image, "Creating JPEG image...");
  while (cinfo.next_scanline < cinfo.image_height) {
    const std::int64_t stored = image.height - 1 - std::int64_t{cinfo.next_scanline};
    JSAMPROW row = const_cast<JSAMPROW>(source.rows + stored * source.stride);
    jpeg_write_scanlines(&cinfo, &row, 1);
    progress.rowWritten();
  }
  jpeg_finish_compress(&cinfo);
}

int Image::writeJpeg(const char* path, int quality, int smoothing, int optimizeCoding, int dctMethod,
                     const char* comment) {
  if (!dib) return fail("There is no picture to save as %s.", path);
  if (rowOrder == kRowsTopDown && !flip(false)) return 0;
  JpegSource source;
  if (!chooseJpegSource(*this, source)) return 0;
  std::uint8_t* const volatile ownedCopy = source.copy;

  AtomicFile out;
  if (!out.begin(path)) {
    std::free(ownedCopy);
    return fail("Failed to open %s.", path);
  }
  // The library hands over 4 KB at a time; gather them into few writes.
  std::setvbuf(out.stream(), nullptr, _IOFBF, std::size_t{1} << 20);
  jpeg_compress_struct cinfo{};
  JpegErrorContext errors;
  installErrorContext(errors);
  cinfo.err = &errors.manager;
  if (setjmp(errors.jump)) {
    // The library's message is in messageBuffer already.
    jpeg_destroy_compress(&cinfo);
    out.abandon();
    std::free(ownedCopy);
    if (errorHandler) errorHandler(messageBuffer);
    return 0;
  }
  jpeg_create_compress(&cinfo);
  encodeJpeg(*this, cinfo, out.stream(), source, quality, smoothing, optimizeCoding, dctMethod, comment);
  jpeg_destroy_compress(&cinfo);
  std::free(ownedCopy);
  if (!out.commit()) return fail("Failed to write %s: %s.", path, std::strerror(errno));
  return 1;
}

}  // namespace orlim
