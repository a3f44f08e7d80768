// Writing a 32-bit surface as a PNG file (8-bit RGB), so that what a view
// painted can be opened by a person or compared by a reference tool. PNG output
// belongs to the headless backend: the control itself never writes PNG.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/orlim_api.h"

namespace orlim {

class Surface;

// `pixels` are 0x00RRGGBB values (bytes blue, green, red, unused), rows top to
// bottom, `rowPixels` apart. The file is written beside the target under a
// temporary name and renamed into place, so a failed write leaves any old file
// as it was. False with `error` set on failure.
ORLIM_API bool writePngFile(const std::string& path, const std::uint32_t* pixels, int width, int height,
                            std::size_t rowPixels, std::string& error);

// The whole surface, as above.
ORLIM_API bool writeSurfacePng(const Surface& surface, const std::string& path, std::string& error);

}  // namespace orlim
