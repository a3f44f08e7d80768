#include "formats/bmp_rle.h"

namespace orlim {

namespace {

class RleCanvas {
 public:
  RleCanvas(int bitsPerPixel, int width, int height, std::int64_t stride, std::uint8_t* rows)
      : bits_(bitsPerPixel), width_(width), height_(height), stride_(stride), rows_(rows) {}

  void put(int index) {
    if (x_ >= 0 && x_ < width_ && y_ >= 0 && y_ < height_) {
      std::uint8_t* row = rows_ + y_ * stride_;
      if (bits_ == 8) {
        row[x_] = static_cast<std::uint8_t>(index);
      } else {
        const int shift = (x_ & 1) ? 0 : 4;
        row[x_ >> 1] = static_cast<std::uint8_t>((row[x_ >> 1] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
      }
    }
    ++x_;
  }
  void endOfLine() {
    x_ = 0;
    ++y_;
  }
  void delta(int dx, int dy) {
    x_ += dx;
    y_ += dy;
  }
  bool pastEnd() const { return y_ >= height_; }

 private:
  int bits_, width_, height_;
  std::int64_t stride_;
  std::uint8_t* rows_;
  std::int64_t x_ = 0, y_ = 0;
};

}  // namespace

bool expandRle(const std::uint8_t* data, std::size_t length, int bitsPerPixel, int width, int height,
               std::int64_t stride, std::uint8_t* rows) {
  RleCanvas canvas(bitsPerPixel, width, height, stride, rows);
  std::size_t pos = 0;
  while (pos + 2 <= length) {
    const int count = data[pos];
    const int value = data[pos + 1];
    pos += 2;
    if (count > 0) {  // encoded run
      for (int i = 0; i < count; ++i) canvas.put(bitsPerPixel == 8 ? value : (i & 1) ? (value & 0x0F) : (value >> 4));
      continue;
    }
    switch (value) {
      case 0: canvas.endOfLine(); break;
      case 1: return true;
      case 2:
        if (pos + 2 > length) return false;
        canvas.delta(data[pos], data[pos + 1]);
        pos += 2;
        break;
      default: {  // absolute run of `value` pixels, padded to 16 bits
        const std::size_t bytes = bitsPerPixel == 8 ? value : (value + 1) / 2;
        if (pos + bytes > length) return false;
        for (int i = 0; i < value; ++i) {
          const int b = bitsPerPixel == 8 ? data[pos + i] : data[pos + i / 2];
          canvas.put(bitsPerPixel == 8 ? b : (i & 1) ? (b & 0x0F) : (b >> 4));
        }
        pos += bytes + (bytes & 1);
        break;
      }
    }
    if (canvas.pastEnd()) return true;
  }
  return canvas.pastEnd();
}

}  // namespace orlim
