// The colours a display of a given depth can show, and the mapping of any drawn
// colour onto them: a palette display (8 bits or fewer) shows only its realised
// palette (the 20 reserved system colours plus the foreground logical palette),
// a 16-bit display keeps 5-6-5 bits, deeper displays show every colour.
// Colours here are 0x00RRGGBB, the byte order of a 32-bit DIB pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/orlim_api.h"

namespace orlim::raster {

using Rgb = std::uint32_t;  // 0x00RRGGBB

constexpr Rgb makeRgb(unsigned r, unsigned g, unsigned b) { return (r << 16) | (g << 8) | b; }
constexpr unsigned redOf(Rgb c) { return (c >> 16) & 0xFF; }
constexpr unsigned greenOf(Rgb c) { return (c >> 8) & 0xFF; }
constexpr unsigned blueOf(Rgb c) { return c & 0xFF; }

// The 20 colours a palette display always reserves (the first ten and the last ten
// of the system palette).
ORLIM_API const std::vector<Rgb>& reservedSystemColors();
// The 256-entry halftone palette: the reserved colours, a 6x6x6 colour cube and
// extra grays.
ORLIM_API const std::vector<Rgb>& halftonePaletteColors();

class ORLIM_API DisplayColors {
 public:
  explicit DisplayColors(int bitsPerPixel);

  int bitsPerPixel() const { return bitsPerPixel_; }
  // True when drawn colours are changed on the way to the display.
  bool mapsColors() const { return bitsPerPixel_ <= 16; }
  // True for a display whose colours come from a realised palette.
  bool hasPalette() const { return bitsPerPixel_ <= 8; }
  // The colours a palette display can show now.
  const std::vector<Rgb>& shownColors() const { return shown_; }

  // The colour the display shows for `c` (nearest shown colour on a palette display).
  Rgb map(Rgb c) const;
  // map() for a run of pixels; on palette displays through a 15-bit lookup table.
  void mapRow(Rgb* pixels, std::int64_t count);

  // Realises a foreground logical palette on an 8-bit display: the reserved colours
  // and then the palette's other colours, 256 at most. Returns the number of
  // logical entries taken (0 on displays without a realisable palette).
  unsigned realize(const std::vector<Rgb>& logical);

 private:
  Rgb nearestShown(Rgb c) const;
  void buildLookup();

  int bitsPerPixel_;
  std::vector<Rgb> shown_;
  std::vector<Rgb> lookup_;  // 32768 entries, built on first use after a change
};

}  // namespace orlim::raster
