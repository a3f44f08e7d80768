// Toolbox for djvu_pixel_image records: validation, one normal form (bottom-up,
// BGR or gray, packed rows), buffer growth and compaction, mirroring, quarter
// turns in bounded memory, scaling and integral reduction. Errors are thrown as
// DjvuException; the layer's entry points catch and report them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "djvu/djvuapi.h"

class PixImage {
 public:
  // Remembers and checks the record; the capacity is what its rows span.
  void attach(djvu_pixel_image* record);
  void check() const;
  // Makes the buffer hold at least `bytes` bytes (heap-owned afterwards, start 0).
  void reserve(std::size_t bytes);
  // Writes the normal form of the attached picture into `dest` (which may be the
  // attached record itself).
  void copyTo(djvu_pixel_image* dest);
  void normalize() { copyTo(image_); }
  void mirrorRows();
  void rotate90();   // clockwise
  void rotate270();  // counter-clockwise
  // Scales to newWidth x newHeight, then turns by `angle` degrees clockwise.
  void transform(int angle, int newWidth, int newHeight);
  // Reduces by an integral factor, averaging each factor x factor block.
  void subsample(int factor);
  // Compacts the buffer and forgets the record, which is returned.
  djvu_pixel_image* detach();

  std::size_t capacity() const { return capacity_; }

  // Largest temporary buffer a quarter turn may use.
  static constexpr std::size_t kTurnBufferLimit = 0x400000;

 private:
  void quarterTurn(bool clockwise);
  void scaleRowsTo(int newWidth);
  void releaseOwnedData();

  djvu_pixel_image* image_ = nullptr;
  std::size_t capacity_ = 0;
};

// Row scaling helpers, per channel over `pixsize`-byte pixels.
void downsampleRow(const std::uint8_t* in, int width, int pixsize, int factor, std::uint8_t* out);
void upsampleRow(const std::uint8_t* in, int width, int pixsize, int factor, std::uint8_t* out);
