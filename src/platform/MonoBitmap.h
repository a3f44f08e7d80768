// A monochrome bitmap as the text rasteriser draws on it: rows top to bottom,
// each padded to 4 bytes like a DIB row, one bit per pixel with the leftmost pixel
// in the high bit. A set bit is ink (the text colour), a clear bit background;
// the padding bits stay clear.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/orlim_api.h"

namespace orlim {

class ORLIM_API MonoBitmap {
 public:
  // Sizes must be checked by the caller; a non-positive size gives an empty bitmap.
  MonoBitmap(int width, int height)
      : width_(width > 0 && height > 0 ? width : 0),
        height_(width > 0 && height > 0 ? height : 0),
        stride_(((static_cast<std::int64_t>(width_) + 31) / 32) * 4),
        bits_(static_cast<std::size_t>(stride_ * height_), 0) {}

  int width() const { return width_; }
  int height() const { return height_; }
  std::int64_t stride() const { return stride_; }
  const std::uint8_t* row(int y) const { return bits_.data() + y * stride_; }

  bool ink(int x, int y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_ && (row(y)[x >> 3] & (0x80 >> (x & 7)));
  }
  void setInk(int x, int y) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) bits_[y * stride_ + (x >> 3)] |= 0x80 >> (x & 7);
  }

 private:
  int width_;
  int height_;
  std::int64_t stride_;
  std::vector<std::uint8_t> bits_;
};

}  // namespace orlim
