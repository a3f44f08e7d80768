#include "platform/headless/png_file.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/raster/SurfaceDeviceContext.h"

namespace orlim {

namespace {

struct PngFailure {
  char message[256] = {};
};

void onPngError(png_structp png, png_const_charp message) {
  auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
  std::snprintf(failure->message, sizeof failure->message, "%s", message);
  png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// The mode the target keeps when it exists, or a new file's usual mode.
mode_t modeForTarget(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Encodes into an open stream. Kept free of objects with destructors, since
// libpng leaves it by longjmp on errors.
bool encode(std::FILE* file, const std::uint32_t* pixels, int width, int height, std::size_t rowPixels,
            const png_byte** rows, PngFailure& failure) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, onPngError, onPngWarning);
  if (!png) {
    std::snprintf(failure.message, sizeof failure.message, "cannot start the PNG encoder");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    if (!info) std::snprintf(failure.message, sizeof failure.message, "cannot start the PNG encoder");
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Snapshots are written often and read by tools: favour speed over size.
  png_set_compression_level(png, 3);
  png_write_info(png, info);
  // The rows are little-endian 0x00RRGGBB words: bytes blue, green, red, filler.
  png_set_bgr(png);
  png_set_filler(png, 0, PNG_FILLER_AFTER);
  for (int y = 0; y < height; ++y) rows[y] = reinterpret_cast<const png_byte*>(pixels + y * rowPixels);
  png_write_rows(png, const_cast<png_bytepp>(rows), static_cast<png_uint_32>(height));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool writePngFile(const std::string& path, const std::uint32_t* pixels, int width, int height, std::size_t rowPixels,
                  std::string& error) {
  if (!pixels || width <= 0 || height <= 0 || rowPixels < static_cast<std::size_t>(width)) {
    error = "Cannot write " + path + ": the surface is empty.";
    return false;
  }
  std::string temp = path + ".tmpXXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    error = "Cannot create a temporary file beside " + path + ": " + std::strerror(errno);
    return false;
  }
  ::fchmod(fd, modeForTarget(path));
  std::FILE* file = ::fdopen(fd, "wb");
  if (!file) {
    error = "Cannot write " + path + ": " + std::strerror(errno);
    ::close(fd);
    std::remove(temp.c_str());
    return false;
  }
  std::vector<const png_byte*> rows(static_cast<std::size_t>(height));
  PngFailure failure;
  bool ok = encode(file, pixels, width, height, rowPixels, rows.data(), failure);
  if (!ok) error = "Cannot write " + path + ": " + failure.message;
  ok = (std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0) && ok;
  if (std::fclose(file) != 0) ok = false;
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) {
    if (error.empty()) error = "Cannot write " + path + ": " + std::strerror(errno);
    std::remove(temp.c_str());
  }
  return ok;
}

bool writeSurfacePng(const Surface& surface, const std::string& path, std::string& error) {
  return writePngFile(path, surface.pixels().data(), surface.width(), surface.height(),
                      static_cast<std::size_t>(surface.width()), error);
}

}  // namespace orlim
