// Reads the colour of one pixel of an Image as a viewer would see it, for
// comparing pictures with what reference tools decode.
#pragma once

#include <array>
#include <cstdint>

#include "image/Image.h"
#include "support/test_support.h"

namespace orlim::test {

// Red, green, blue of the pixel at column x, row y counted from the top of the
// picture as seen (whatever the storage order). 16-bit pixels are scaled to 8 bits.
std::array<std::uint8_t, 3> rgbAt(const Image& image, int x, int y);

// The whole picture as top-to-bottom RGB rows, comparable with decodeWithImagemagick.
RgbPicture toRgb(const Image& image);

// Largest difference of any channel between two pictures of the same size; -1 when
// the sizes differ.
int maxChannelDifference(const RgbPicture& a, const RgbPicture& b);

}  // namespace orlim::test
