// The DjVu and IW44 part of `orlim info`.
#pragma once

#include "commands.h"
#include "image/Image.h"

namespace orlim::cli {

// Probes, decodes and describes a DjVu page or IW44 image (page `page`, 0-based, of
// a multi-page document; one it does not have is refused); with a zoom level
// given, renders it and prints the raster's fields through `printDescription`.
int infoDjvu(Image& image, const char* path, int fileType, int page, const int* renderZoom,
             void (*printDescription)(const Image&));

}  // namespace orlim::cli
