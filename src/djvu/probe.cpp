// The IFF probe of DjVu pages and IW44 images: plain reads and seeks, nothing
// decoded. It tells the form, the INFO data and which image chunks a page carries.
#include <cstdio>
#include <cstring>
#include <memory>

#include "djvu/DjvuFileInfo.h"
#include "image/Image.h"

namespace orlim {

namespace {

using FilePtr = std::unique_ptr<std::FILE, decltype(&std::fclose)>;

// Reads n big-endian bytes; missing bytes read as zero.
std::uint32_t readBig(std::FILE* file, int n) {
  std::uint32_t value = 0;
  for (int i = 0; i < n; ++i) {
    int c = std::fgetc(file);
    value = (value << 8) | std::uint32_t(c == EOF ? 0 : c);
  }
  return value;
}

// Moves to the end of a chunk whose data starts at `dataStart`, skipping the pad
// byte that follows data ending at an odd position.
void skipChunk(std::FILE* file, long dataStart, std::uint32_t size) {
  long long end = (long long)dataStart + size;
  if (end & 1) ++end;
  std::fseek(file, long(end), SEEK_SET);
}

void readInfo(std::FILE* file, std::uint32_t size, DjvuFileInfo& info) {
  info.infoWidth = std::uint16_t(readBig(file, 2));
  info.infoHeight = std::uint16_t(readBig(file, 2));
  info.infoMinorVersion = std::uint8_t(readBig(file, 1));
  info.infoMajorVersion = std::uint8_t(readBig(file, 1));
  if (size > 6) {
    const std::uint32_t le = readBig(file, 2);  // stored little-endian
    info.infoDpi = std::uint16_t(((le & 0xFF) << 8) | (le >> 8));
  }
  if (size > 8) info.infoGamma = std::uint8_t(readBig(file, 1));
}

void readIw44Header(std::FILE* file, Iw44ChunkSummary& summary) {
  readBig(file, 2);  // serial number and slice count
  summary.majorVersion = std::uint8_t(readBig(file, 1));
  summary.minorVersion = std::uint8_t(readBig(file, 1));
  summary.width = std::uint16_t(readBig(file, 2));
  summary.height = std::uint16_t(readBig(file, 2));
  summary.chromaDelay = std::uint8_t(readBig(file, 1));
}

// The summary and mask bit of an IW44 chunk kind; null for other chunks.
Iw44ChunkSummary* iw44Summary(std::uint32_t id, DjvuFileInfo& info, std::uint32_t& bit) {
  if (id == iffId("BG44")) return bit = kChunkBG44, &info.bg44;
  if (id == iffId("FG44")) return bit = kChunkFG44, &info.fg44;
  if (id == iffId("PM44")) return bit = kChunkPM44, &info.pm44;
  if (id == iffId("BM44")) return bit = kChunkBM44, &info.bm44;
  return nullptr;
}

// Walks the chunks after the form header (and INFO) until an unknown chunk or the
// end of the file.
void scanChunks(std::FILE* file, DjvuFileInfo& info) {
  for (;;) {
    unsigned char head[8];
    if (std::fread(head, 1, 8, file) != 8) return;
    const std::uint32_t id = (std::uint32_t(head[0]) << 24) | (head[1] << 16) | (head[2] << 8) | head[3];
    const std::uint32_t size = (std::uint32_t(head[4]) << 24) | (head[5] << 16) | (head[6] << 8) | head[7];
    const long dataStart = std::ftell(file);
    std::uint32_t bit = 0;
    if (id == iffId("Sjbz")) {
      info.chunkMask |= kChunkSjbz;
    } else if (Iw44ChunkSummary* summary = iw44Summary(id, info, bit)) {
      if (summary->count == 0) readIw44Header(file, *summary);
      if (summary->count < 255) ++summary->count;
      info.chunkMask |= bit;
    } else {
      return;
    }
    skipChunk(file, dataStart, size);
  }
}

}  // namespace

int Image::probeDjvuFile(const char* path, DjvuFileInfo& info) {
  FilePtr file(std::fopen(path, "rb"), &std::fclose);
  if (!file) return fail("Could not open %s!\n", path);
  std::FILE* f = file.get();
  std::memset(&info, 0, sizeof info);
  char tag[4];
  if (std::fread(tag, 1, 4, f) != 4 || std::memcmp(tag, "AT&T", 4) != 0)
    return fail("No preamble. %s is not a valid DjVu or IW44 file!\n", path);
  if (std::fread(tag, 1, 4, f) != 4 || std::memcmp(tag, "FORM", 4) != 0) return fail("No FORM chunk found!\n");
  const std::uint32_t stored = readBig(f, 4);
  const long afterSize = std::ftell(f);
  std::fseek(f, 0, SEEK_END);
  const std::uint32_t actual = std::uint32_t(std::ftell(f) - afterSize);
  if (actual != stored)
    return fail("Error! Stored FORM chunk size is %u, but actual file chunk is %u.\n", stored, actual);
  std::fseek(f, afterSize, SEEK_SET);
  info.formType = readBig(f, 4);
  if (info.formType != iffId("DJVU") && info.formType != iffId("BM44") && info.formType != iffId("PM44")) {
    const std::uint32_t t = info.formType;
    return fail("Error! Unknown secondary identifier: %c%c%c%c\n", char(t >> 24), char(t >> 16), char(t >> 8), char(t));
  }
  if (info.formType == iffId("DJVU")) {
    const std::uint32_t id = readBig(f, 4);
    const std::uint32_t size = readBig(f, 4);
    if (id != iffId("INFO")) return fail("Error! No INFO chunk in %s!\n", path);
    const long dataStart = std::ftell(f);
    readInfo(f, size, info);
    skipChunk(f, dataStart, size);
  }
  scanChunks(f, info);
  return 1;
}

}  // namespace orlim
