// Blue-green-red rows to red-green-blue ones and back (the same swap), shared
// by the readers and writers of the formats that store red first.
#pragma once

#include <cstdint>

namespace orlim {

// Swaps the first and third byte of each of `pixels` 3-byte pixels from `in`
// into `out` (not the same row).
void swapRedBlue(const std::uint8_t* in, std::uint8_t* out, std::int64_t pixels);

}  // namespace orlim
