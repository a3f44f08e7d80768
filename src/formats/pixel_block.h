// The zeroed block a reader builds a picture in.
#pragma once

#include <cstdint>

namespace orlim {

// calloc(size), with large blocks backed by huge pages where the system offers
// them: a fresh 6000 x 4000 picture otherwise costs tens of thousands of page
// faults, as much time as decoding a good part of it. Free with std::free.
std::uint8_t* allocatePixelBlock(std::int64_t size);

}  // namespace orlim
