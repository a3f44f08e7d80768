// A device-independent bitmap as the blits read it: the header checked, the
// colours resolved, rows addressed by their scan number counted from the bottom
// row, and pixels converted to 0x00RRGGBB.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi_types.h"
#include "platform/raster/display_colors.h"

namespace orlim::raster {

class DibSource {
 public:
  // Checks the header and reads the colour table (RGBQUAD colours, or for
  // DIB_PAL_COLORS indices into `selectedPalette`). ERROR_SUCCESS or the error.
  DWORD open(const BITMAPINFO* info, const void* bits, UINT usage, const std::vector<Rgb>& selectedPalette);
  // Only scan lines first .. first + count - 1 (inside the DIB) are drawn. A
  // bottom-up DIB's bits start at scan line `first` (a band); a top-down DIB's
  // bits are the whole DIB from its top row, as the view passes them.
  void limitScans(std::int64_t first, std::int64_t count);

  std::int64_t width() const { return width_; }
  std::int64_t height() const { return height_; }
  bool indexed() const { return bitCount_ <= 8; }
  // The scan lines held: scanBegin() .. scanEnd() - 1, inside the DIB.
  std::int64_t scanBegin() const { return firstScan_; }
  std::int64_t scanEnd() const { return firstScan_ + scanCount_; }
  bool hasScan(std::int64_t y) const { return y >= firstScan_ && y < firstScan_ + scanCount_; }
  // The stored row of scan line y (y counted from the bottom row; hasScan(y)).
  const std::uint8_t* scan(std::int64_t y) const;

  // Changes every colour-table colour (palette displays map them once here).
  template <class Map>
  void mapColorTable(Map map) {
    for (Rgb& c : colors_) c = map(c);
  }

  // Pixels x .. x + count - 1 of a row.
  void convert(const std::uint8_t* row, std::int64_t x, std::int64_t count, Rgb* out) const;
  // Pixels columns[0 .. count - 1] of a row; `step` is the constant difference
  // of consecutive columns, 0 when they vary (a hint for faster loops).
  void gather(const std::uint8_t* row, const std::int32_t* columns, std::int64_t count, Rgb* out,
              std::int32_t step = 0) const;

 private:
  enum class Kind { Indexed1, Indexed4, Indexed8, Lookup16, Bgr24, Bgrx32, Masks32 };
  struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    unsigned expand(std::uint32_t pixel) const;
  };

  DWORD readColorTable(const BITMAPINFO* info, UINT usage, const std::vector<Rgb>& selectedPalette);
  DWORD readMasks(const BITMAPINFO* info);
  Rgb decodeMasked(std::uint32_t pixel) const;

  Kind kind_ = Kind::Bgr24;
  int bitCount_ = 0;
  std::int64_t width_ = 0;
  std::int64_t height_ = 0;
  std::int64_t stride_ = 0;
  bool topDown_ = false;
  const std::uint8_t* bits_ = nullptr;
  std::int64_t firstScan_ = 0;
  std::int64_t scanCount_ = 0;
  std::vector<Rgb> colors_;    // 256 entries for indexed DIBs (missing ones black)
  std::vector<Rgb> lookup16_;  // 65536 entries for 16-bit DIBs
  Channel red_, green_, blue_;
};

}  // namespace orlim::raster
