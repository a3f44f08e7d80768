#include "platform/raster/dib_source.h"

#include <bit>
#include <cstring>
#include <limits>

#include "platform/raster/row_kernels.h"

namespace orlim::raster {

namespace {

// Widest DIB side accepted; beyond it the row arithmetic is not trusted.
constexpr std::int64_t kMaxSide = std::int64_t{1} << 28;

std::uint32_t load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace

unsigned DibSource::Channel::expand(std::uint32_t pixel) const {
  if (bits == 0) return 0;
  std::uint32_t v = (pixel & mask) >> shift;
  if (bits >= 8) return (v >> (bits - 8)) & 0xFF;
  // Narrow channels are widened by repeating their bits: 5 bits 10110 -> 10110101.
  unsigned out = 0;
  int filled = 0;
  while (filled < 8) {
    out = (out << bits) | v;
    filled += bits;
  }
  return (out >> (filled - 8)) & 0xFF;
}

DWORD DibSource::open(const BITMAPINFO* info, const void* bits, UINT usage, const std::vector<Rgb>& selectedPalette) {
  if (!info || !bits) return ERROR_INVALID_PARAMETER;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 ||
      h.biHeight == std::numeric_limits<LONG>::min())
    return ERROR_INVALID_PARAMETER;
  if (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS) return ERROR_INVALID_PARAMETER;
  bitCount_ = h.biBitCount;
  width_ = h.biWidth;
  height_ = h.biHeight < 0 ? -std::int64_t{h.biHeight} : h.biHeight;
  if (width_ > kMaxSide || height_ > kMaxSide) return ERROR_INVALID_PARAMETER;
  topDown_ = h.biHeight < 0;
  stride_ = ((width_ * bitCount_ + 31) / 32) * 4;
  bits_ = static_cast<const std::uint8_t*>(bits);
  firstScan_ = 0;
  scanCount_ = height_;
  switch (bitCount_) {
    case 1:
    case 4:
    case 8:
      if (h.biCompression != BI_RGB) return ERROR_INVALID_PARAMETER;
      kind_ = bitCount_ == 1 ? Kind::Indexed1 : bitCount_ == 4 ? Kind::Indexed4 : Kind::Indexed8;
      return readColorTable(info, usage, selectedPalette);
    case 16:
    case 32: return readMasks(info);
    case 24:
      if (h.biCompression != BI_RGB) return ERROR_INVALID_PARAMETER;
      kind_ = Kind::Bgr24;
      return ERROR_SUCCESS;
    default: return ERROR_INVALID_PARAMETER;
  }
}

DWORD DibSource::readColorTable(const BITMAPINFO* info, UINT usage, const std::vector<Rgb>& selectedPalette) {
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const std::uint32_t full = 1u << bitCount_;
  const std::uint32_t entries = (h.biClrUsed == 0 || h.biClrUsed > full) ? full : h.biClrUsed;
  const std::uint8_t* table = reinterpret_cast<const std::uint8_t*>(info) + h.biSize;
  colors_.assign(256, 0);
  for (std::uint32_t i = 0; i < entries; ++i) {
    if (usage == DIB_PAL_COLORS) {
      std::uint16_t index;
      std::memcpy(&index, table + 2 * i, 2);
      colors_[i] = index < selectedPalette.size() ? selectedPalette[index] : 0;
    } else {
      const std::uint8_t* q = table + 4 * i;
      colors_[i] = makeRgb(q[2], q[1], q[0]);
    }
  }
  return ERROR_SUCCESS;
}

DWORD DibSource::readMasks(const BITMAPINFO* info) {
  const BITMAPINFOHEADER& h = info->bmiHeader;
  std::uint32_t masks[3];
  if (h.biCompression == BI_BITFIELDS) {
    // The masks sit right after the 40-byte header, which is also where the
    // larger header versions keep them.
    std::memcpy(masks, reinterpret_cast<const std::uint8_t*>(info) + sizeof(BITMAPINFOHEADER), 12);
  } else if (h.biCompression == BI_RGB) {
    if (bitCount_ == 16) {
      masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else {
      masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
  } else {
    return ERROR_INVALID_PARAMETER;
  }
  Channel* channels[3] = {&red_, &green_, &blue_};
  for (int i = 0; i < 3; ++i) {
    Channel& c = *channels[i];
    c.mask = masks[i];
    if (bitCount_ == 16) c.mask &= 0xFFFF;
    c.shift = c.mask ? std::countr_zero(c.mask) : 0;
    c.bits = c.mask ? 32 - std::countl_zero(c.mask) - c.shift : 0;
  }
  if (bitCount_ == 16) {
    kind_ = Kind::Lookup16;
    lookup16_.resize(65536);
    for (std::uint32_t p = 0; p < 65536; ++p) lookup16_[p] = decodeMasked(p);
  } else {
    const bool standard = red_.mask == 0xFF0000 && green_.mask == 0xFF00 && blue_.mask == 0xFF;
    kind_ = standard ? Kind::Bgrx32 : Kind::Masks32;
  }
  return ERROR_SUCCESS;
}

Rgb DibSource::decodeMasked(std::uint32_t pixel) const {
  return makeRgb(red_.expand(pixel), green_.expand(pixel), blue_.expand(pixel));
}

void DibSource::limitScans(std::int64_t first, std::int64_t count) {
  firstScan_ = first;
  scanCount_ = count;
}

const std::uint8_t* DibSource::scan(std::int64_t y) const {
  const std::int64_t stored = topDown_ ? height_ - 1 - y : y - firstScan_;
  return bits_ + stored * stride_;
}

void DibSource::convert(const std::uint8_t* row, std::int64_t x, std::int64_t count, Rgb* out) const {
  switch (kind_) {
    case Kind::Bgr24: expandBgr24(row + 3 * x, count, out); return;
    case Kind::Bgrx32: {
      const std::uint8_t* p = row + 4 * x;
      for (std::int64_t i = 0; i < count; ++i) out[i] = load32(p + 4 * i) & 0xFFFFFF;
      return;
    }
    case Kind::Indexed8: {
      const std::uint8_t* p = row + x;
      for (std::int64_t i = 0; i < count; ++i) out[i] = colors_[p[i]];
      return;
    }
    case Kind::Indexed1:
      for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t c = x + i;
        out[i] = colors_[(row[c >> 3] >> (7 - (c & 7))) & 1];
      }
      return;
    case Kind::Indexed4:
      for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t c = x + i;
        const std::uint8_t b = row[c >> 1];
        out[i] = colors_[(c & 1) ? (b & 0x0F) : (b >> 4)];
      }
      return;
    case Kind::Lookup16:
      for (std::int64_t i = 0; i < count; ++i) {
        const std::uint8_t* p = row + 2 * (x + i);
        out[i] = lookup16_[p[0] | (p[1] << 8)];
      }
      return;
    case Kind::Masks32:
      for (std::int64_t i = 0; i < count; ++i) out[i] = decodeMasked(load32(row + 4 * (x + i)));
      return;
  }
}

void DibSource::gather(const std::uint8_t* row, const std::int32_t* columns, std::int64_t count, Rgb* out,
                       std::int32_t step) const {
  switch (kind_) {
    case Kind::Indexed1:
      for (std::int64_t i = 0; i < count; ++i) {
        const std::int32_t x = columns[i];
        out[i] = colors_[(row[x >> 3] >> (7 - (x & 7))) & 1];
      }
      return;
    case Kind::Indexed4:
      for (std::int64_t i = 0; i < count; ++i) {
        const std::int32_t x = columns[i];
        const std::uint8_t b = row[x >> 1];
        out[i] = colors_[(x & 1) ? (b & 0x0F) : (b >> 4)];
      }
      return;
    case Kind::Indexed8:
      for (std::int64_t i = 0; i < count; ++i) out[i] = colors_[row[columns[i]]];
      return;
    case Kind::Lookup16:
      for (std::int64_t i = 0; i < count; ++i) {
        const std::uint8_t* p = row + 2 * std::int64_t{columns[i]};
        out[i] = lookup16_[p[0] | (p[1] << 8)];
      }
      return;
    case Kind::Bgr24:
      if (step == 2 && count > 0)
        halveBgr24(row + 3 * std::int64_t{columns[0]}, count, 3 * (width_ - columns[0]), out);
      else
        gatherBgr24(row, columns, count, static_cast<std::int32_t>(width_ - 1), out);
      return;
    case Kind::Bgrx32:
      for (std::int64_t i = 0; i < count; ++i) out[i] = load32(row + 4 * std::int64_t{columns[i]}) & 0xFFFFFF;
      return;
    case Kind::Masks32:
      for (std::int64_t i = 0; i < count; ++i) out[i] = decodeMasked(load32(row + 4 * std::int64_t{columns[i]}));
      return;
  }
}

}  // namespace orlim::raster
