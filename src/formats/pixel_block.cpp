#include "formats/pixel_block.h"

#include "image/Image.h"
#include "image/block_gate.h"

namespace orlim {

int attachPixelBlock(Image& image, const char* path, int bits, std::int64_t tableBytes, int layoutArg) {
  BlockShape shape;
  if (!shapePictureBlock(image, path, image.width, image.height, bits, tableBytes, shape)) return 0;
  PictureBlock block = newPictureBlock(image, path, shape.total);
  if (!block) return 0;
  image.dib = block.release();
  image.layout = kLayoutPackedDib;
  image.headerSize = image.paletteOffset = kInfoHeaderSize;
  image.paletteSize = static_cast<int>(tableBytes);
  image.paletteEntrySize = 4;
  image.colorOrder = kColorOrderBgr;
  image.bitsOffset = kInfoHeaderSize + image.paletteSize;
  image.stride = static_cast<int>(shape.stride);
  image.bitsSize = static_cast<int>(shape.rowsBytes);
  image.bitsPerPixel = bits;
  if (layoutArg == kLayoutPackedDib) {
    BITMAPINFOHEADER* h = image.header();
    h->biSize = kInfoHeaderSize;
    h->biWidth = image.width;
    h->biHeight = image.height;
    h->biPlanes = 1;
    h->biBitCount = static_cast<WORD>(bits);
    h->biSizeImage = static_cast<DWORD>(shape.rowsBytes);
  }
  return 1;
}

}  // namespace orlim
