// The zeroed block a reader builds a picture in.
#pragma once

#include <cstdint>

namespace orlim {

class Image;

// calloc(size), with large blocks backed by huge pages where the system offers
// them: a fresh 6000 x 4000 picture otherwise costs tens of thousands of page
// faults, as much time as decoding a good part of it. Free with std::free.
std::uint8_t* allocatePixelBlock(std::int64_t size);

// Lays out a zeroed block for the picture's `width` x `height` at `bits` with
// `tableBytes` of colour table (as a packed DIB: 40-byte header, table, rows
// padded to 4 bytes), attaches it and describes it in the record; with the packed
// layout the header's size fields are written too. The block's size goes to
// `total`. False, with nothing attached, when it cannot be had.
bool attachPixelBlock(Image& image, int bits, std::int64_t tableBytes, int layoutArg, std::int64_t& total);

}  // namespace orlim
