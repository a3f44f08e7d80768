#include "image/block_gate.h"

#include <sys/mman.h>

#include "image/Image.h"

namespace orlim {

namespace {

constexpr std::int64_t kHugePage = std::int64_t{2} << 20;

bool pictureDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

int refuseSize(const Image& image, const char* subject, std::int64_t bytes) {
  return image.fail("Cannot hold %s: it needs a block of %lld bytes, more than the %lld a picture can have.", subject,
                    static_cast<long long>(bytes), static_cast<long long>(kLargestPictureBlock));
}

}  // namespace

int shapePictureBlock(const Image& image, const char* subject, std::int64_t width, std::int64_t height, int bits,
                      std::int64_t tableBytes, BlockShape& shape) {
  if (width < 0 || height < 0 || width > INT_MAX || height > INT_MAX || !pictureDepth(bits) || tableBytes < 0 ||
      tableBytes > kLargestPictureBlock)
    return image.fail("Cannot hold %s: %lld x %lld pixels at %d bits per pixel is not a picture size.", subject,
                      static_cast<long long>(width), static_cast<long long>(height), bits);
  // Below 2^31 each, so no product or sum here leaves 64 bits.
  shape.stride = dibStride(width, bits);
  shape.rowsBytes = shape.stride * height;
  shape.total = kInfoHeaderSize + tableBytes + shape.rowsBytes;
  if (shape.total > kLargestPictureBlock) return refuseSize(image, subject, shape.total);
  return 1;
}

PictureBlock newPictureBlock(const Image& image, const char* subject, std::int64_t total, const char* purpose) {
  if (total > kLargestPictureBlock) {
    refuseSize(image, subject, total);
    return nullptr;
  }
  const std::int64_t size = total > 0 ? total : 1;
  PictureBlock block(static_cast<std::uint8_t*>(std::calloc(1, static_cast<std::size_t>(size))));
  if (!block) {
    image.fail("Failed to allocate %lld bytes for %s.", static_cast<long long>(total), purpose);
    return nullptr;
  }
  adviseHugePages(block.get(), size);
  return block;
}

void adviseHugePages(std::uint8_t* block, std::int64_t size) {
  if (!block || size < 2 * kHugePage) return;
  // Only the whole huge pages inside the block; a refusal changes nothing.
  const auto at = reinterpret_cast<std::uintptr_t>(block);
  const auto start = (at + kHugePage - 1) & ~std::uintptr_t(kHugePage - 1);
  const auto end = (at + std::uintptr_t(size)) & ~std::uintptr_t(kHugePage - 1);
  if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace orlim
