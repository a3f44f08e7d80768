#include "formats/pixel_block.h"

#include <sys/mman.h>

#include <climits>
#include <cstdlib>

#include "image/Image.h"

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

bool attachPixelBlock(Image& image, int bits, std::int64_t tableBytes, int layoutArg, std::int64_t& total) {
  constexpr int kHeader = sizeof(BITMAPINFOHEADER);
  const std::int64_t stride = dibStride(image.width, bits);
  const std::int64_t rowsBytes = stride * image.height;
  total = kHeader + tableBytes + rowsBytes;
  if (total > INT_MAX) return false;
  std::uint8_t* block = allocatePixelBlock(total);
  if (!block) return false;
  image.dib = block;
  image.layout = kLayoutPackedDib;
  image.headerSize = image.paletteOffset = kHeader;
  image.paletteSize = static_cast<int>(tableBytes);
  image.paletteEntrySize = 4;
  image.colorOrder = kColorOrderBgr;
  image.bitsOffset = kHeader + image.paletteSize;
  image.stride = static_cast<int>(stride);
  image.bitsSize = static_cast<int>(rowsBytes);
  image.bitsPerPixel = bits;
  if (layoutArg == kLayoutPackedDib) {
    BITMAPINFOHEADER* h = image.header();
    h->biSize = kHeader;
    h->biWidth = image.width;
    h->biHeight = image.height;
    h->biPlanes = 1;
    h->biBitCount = static_cast<WORD>(bits);
    h->biSizeImage = static_cast<DWORD>(rowsBytes);
  }
  return true;
}

}  // namespace orlim
