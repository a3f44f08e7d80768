// The innermost pixel loops of the blits, kept apart so that the widest
// instructions the processor has can be used for them.
#pragma once

#include <cstdint>

namespace orlim::raster {

// `count` 24-bit pixels (blue, green, red bytes) to 0x00RRGGBB words.
void expandBgr24(const std::uint8_t* source, std::int64_t count, std::uint32_t* out);

// The 24-bit pixels at `columns` to 0x00RRGGBB words; `lastColumn` is the row's
// last pixel, which is read byte by byte so nothing past the row is touched.
void gatherBgr24(const std::uint8_t* row, const std::int32_t* columns, std::int64_t count, std::int32_t lastColumn,
                 std::uint32_t* out);

// Every other 24-bit pixel from `source` on, `count` of them; `available` is the
// number of row bytes from `source` to the end of the row (nothing beyond is read).
void halveBgr24(const std::uint8_t* source, std::int64_t count, std::int64_t available, std::uint32_t* out);

}  // namespace orlim::raster
