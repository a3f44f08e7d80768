// What the IFF probe of a DjVu or IW44 file learns without decoding anything:
// the form type, the INFO data of a page and a summary of its image chunks.
#pragma once

#include <cstdint>

namespace orlim {

// The first header of one kind of IW44 chunk, and how many chunks of that kind the
// scan met.
struct Iw44ChunkSummary {
  std::uint8_t count;
  std::uint8_t majorVersion;
  std::uint8_t minorVersion;
  std::uint16_t width;
  std::uint16_t height;
  std::uint8_t chromaDelay;
};

// Chunk identifiers compared as the big-endian value of their four characters.
constexpr std::uint32_t iffId(const char (&id)[5]) {
  return (std::uint32_t(std::uint8_t(id[0])) << 24) | (std::uint32_t(std::uint8_t(id[1])) << 16) |
         (std::uint32_t(std::uint8_t(id[2])) << 8) | std::uint32_t(std::uint8_t(id[3]));
}

// Bits of DjvuFileInfo::chunkMask.
constexpr std::uint32_t kChunkSjbz = 1;
constexpr std::uint32_t kChunkBG44 = 2;
constexpr std::uint32_t kChunkFG44 = 4;
constexpr std::uint32_t kChunkPM44 = 8;
constexpr std::uint32_t kChunkBM44 = 16;

struct DjvuFileInfo {
  std::uint32_t formType;
  std::uint16_t infoWidth;
  std::uint16_t infoHeight;
  std::uint8_t infoMinorVersion;
  std::uint8_t infoMajorVersion;
  std::uint16_t infoDpi;
  std::uint8_t infoGamma;
  std::uint32_t chunkMask;
  // BG44, FG44, PM44, BM44, in this order.
  Iw44ChunkSummary bg44;
  Iw44ChunkSummary fg44;
  Iw44ChunkSummary pm44;
  Iw44ChunkSummary bm44;
  // A multi-page document (FORM:DJVM) sets documentForm and describes in the
  // fields above the form of the page it probed; a single page or IW44 image
  // leaves it 0, with one page.
  std::uint32_t documentForm;
  bool indirect;           // the pages are files beside the document's index
  std::int32_t pageCount;  // pages of the document
  std::int32_t pageIndex;  // the page probed, 0-based
};

}  // namespace orlim
