// The zeroed block a reader builds a picture in.
#pragma once

#include <cstdint>

namespace orlim {

class Image;

// Lays out a zeroed block for the picture's `width` x `height` at `bits` with
// `tableBytes` of colour table (as a packed DIB: 40-byte header, table, rows
// padded to 4 bytes) through the picture-block gate, attaches it and describes it
// in the record; with the packed layout the header's size fields are written too.
// 0, with nothing attached and the gate's message given (naming `path`), when it
// cannot be had.
int attachPixelBlock(Image& image, const char* path, int bits, std::int64_t tableBytes, int layoutArg);

}  // namespace orlim
