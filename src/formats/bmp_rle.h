// Expansion of run-length-compressed bitmap rows (RLE8 and RLE4) into plain rows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orlim {

// Expands `data` (an RLE8 stream when bitsPerPixel is 8, RLE4 when 4) into
// `rows`, which holds `height` stored rows of `stride` bytes and is zeroed by the
// caller. Pixels that fall outside the picture are dropped. False when the
// stream ends before the picture's end-of-bitmap mark or its last row.
bool expandRle(const std::uint8_t* data, std::size_t length, int bitsPerPixel, int width, int height,
               std::int64_t stride, std::uint8_t* rows);

}  // namespace orlim
