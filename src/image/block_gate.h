// The one gate every new picture block passes, whoever builds it (the readers,
// the DjVu strip renderer, the import of a bitmap): its size is worked out in
// 64-bit arithmetic and held against one limit, and a refusal or a failed
// allocation is reported in one form.
#pragma once

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace orlim {

class Image;

// The info header at the start of every block (and of a BMP file's block).
constexpr int kInfoHeaderSize = 40;
// Sizes and offsets inside a block are ints in the record.
constexpr std::int64_t kLargestPictureBlock = INT_MAX;

struct FreeDeleter {
  void operator()(std::uint8_t* p) const { std::free(p); }
};
// A block under construction; released into the Image only when complete.
using PictureBlock = std::unique_ptr<std::uint8_t, FreeDeleter>;

// The layout of a packed block: info header, `tableBytes` of colour table or
// masks, then rows padded to 4 bytes.
struct BlockShape {
  std::int64_t stride = 0;
  std::int64_t rowsBytes = 0;
  std::int64_t total = 0;
};

// Works out the block of a `width` x `height` picture at `bits` per pixel (a
// reduced rendering may have no rows or columns; a reader refuses those itself). 0,
// after "Cannot hold <subject>: ..." went to the image's error handler, when the
// size is not a picture's or the block would pass the limit.
int shapePictureBlock(const Image& image, const char* subject, std::int64_t width, std::int64_t height, int bits,
                      std::int64_t tableBytes, BlockShape& shape);

// A zeroed block of `total` bytes, large ones backed by huge pages where the
// system offers them (a fresh 6000 x 4000 picture otherwise costs tens of
// thousands of page faults). Null after the gate's message when `total` passes
// the limit, or after "Failed to allocate %lld bytes for <purpose>.".
PictureBlock newPictureBlock(const Image& image, const char* subject, std::int64_t total,
                             const char* purpose = "the image");

// Asks for huge pages under the whole 2 MB pages of a block of `size` bytes;
// small blocks and a refusal change nothing.
void adviseHugePages(std::uint8_t* block, std::int64_t size);

}  // namespace orlim
