#include "formats/pixel_block.h"

#include <sys/mman.h>

#include <cstdlib>

namespace orlim {

namespace {

constexpr std::int64_t kHugePage = std::int64_t{2} << 20;

}  // namespace

std::uint8_t* allocatePixelBlock(std::int64_t size) {
  if (size <= 0) size = 1;
  auto* block = static_cast<std::uint8_t*>(std::calloc(1, static_cast<std::size_t>(size)));
  if (block && size >= 2 * kHugePage) {
    // Only the whole huge pages inside the block; a refusal changes nothing.
    const auto start = (reinterpret_cast<std::uintptr_t>(block) + kHugePage - 1) & ~std::uintptr_t(kHugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(block) + size) & ~std::uintptr_t(kHugePage - 1);
    if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
  }
  return block;
}

}  // namespace orlim
