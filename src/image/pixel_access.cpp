#include "image/pixel_access.h"

#include <sys/mman.h>

namespace orlim::pixels {

Block allocateBlock(std::uint64_t size) {
  if (size > static_cast<std::uint64_t>(kLargestPictureBlock)) return nullptr;
  Block block(static_cast<std::uint8_t*>(std::calloc(1, size > 0 ? static_cast<std::size_t>(size) : 1)));
  adviseHugePages(block.get(), static_cast<std::int64_t>(size));
  return block;
}

std::array<RGBQUAD, 256> paletteEntries(const std::uint8_t* table, std::int64_t tableBytes, int entrySize) {
  std::array<RGBQUAD, 256> entries{};
  if (!table || entrySize < 3 || tableBytes <= 0) return entries;
  for (std::int64_t i = 0; i < 256 && (i + 1) * entrySize <= tableBytes; ++i) {
    const std::uint8_t* e = table + i * entrySize;
    entries[i] = {e[0], e[1], e[2], entrySize > 3 ? e[3] : BYTE{0}};
  }
  return entries;
}

std::array<RGBQUAD, 256> paletteEntries(const Image& im) {
  if (!im.dib || im.paletteSize <= 0) return {};
  return paletteEntries(im.dib + im.paletteOffset, im.paletteSize, im.paletteEntrySize);
}

ChannelMasks channelMasks(const Image& im) {
  ChannelMasks masks;
  if (im.dib && im.paletteSize >= 12) {
    const std::uint8_t* p = im.dib + im.paletteOffset;
    masks.red = load32(p);
    masks.green = load32(p + 4);
    masks.blue = load32(p + 8);
  }
  return masks;
}

}  // namespace orlim::pixels
