#include "control/autofit.h"

#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace orlim {

int classifyExtension(const char* path) {
  if (!path) return kFileNone;
  const char* dot = std::strrchr(path, '.');
  if (!dot) return kFileNone;
  struct Entry {
    const char* extension;
    int code;
  };
  static constexpr Entry kTable[] = {
      {".djvu", kFileDjvu}, {".djv", kFileDjvu},  {".iw44", kFileIw44}, {".iw4", kFileIw44},
      {".bmp", kFileBmp},   {".ppm", kFilePnm},   {".pgm", kFilePnm},   {".pbm", kFilePnm},
      {".jpg", kFileJpeg},  {".jpeg", kFileJpeg}, {".tif", kFileTiff},  {".tiff", kFileTiff},
  };
  for (const Entry& e : kTable)
    if (strcasecmp(dot, e.extension) == 0) return e.code;
  return kFileNone;
}

namespace {

// Steps that fit `size` pixels into `client` pixels: -((size - 1) / client),
// truncating toward zero, computed in 64 bits so no size overflows.
std::int64_t fitSteps(std::int64_t size, std::int64_t client) { return -((size - 1) / client); }

std::int64_t avoidAwkwardFactors(std::int64_t zoom) {
  if (zoom == -13 || zoom == -14) return -15;
  if (zoom < -15) return 2 * ((zoom - 1) / 2) - 1;
  return zoom;
}

}  // namespace

int autoFitZoomLevel(int autoFit, int clientWidth, int clientHeight, int imageWidth, int imageHeight, int currentZoom) {
  if (clientWidth <= 0 || clientHeight <= 0) return 0;
  const std::int64_t fitW = fitSteps(imageWidth, clientWidth);
  const std::int64_t fitH = fitSteps(imageHeight, clientHeight);
  std::int64_t zoom;
  switch (autoFit) {
    case kAutoFitNone: zoom = 0; break;
    case kAutoFitWidth: zoom = fitW; break;
    case kAutoFitImage: zoom = std::min(fitW, fitH); break;
    default: return currentZoom;
  }
  zoom = avoidAwkwardFactors(zoom);
  return static_cast<int>(std::clamp<std::int64_t>(zoom, INT32_MIN, INT32_MAX));
}

}  // namespace orlim
