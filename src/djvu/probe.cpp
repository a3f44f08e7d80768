// The IFF probe of DjVu pages and IW44 images: plain reads and seeks, nothing
// decoded. It tells the form, the INFO data and which image chunks a page carries.
#include <cstdio>
#include <cstring>
#include <memory>

#include "djvu/DjvuFileInfo.h"
#include "djvu/probe_chunks.h"
#include "image/Image.h"

namespace orlim {

namespace probe {

std::uint32_t readBig(std::FILE* file, int n) {
  std::uint32_t value = 0;
  for (int i = 0; i < n; ++i) {
    int c = std::fgetc(file);
    value = (value << 8) | std::uint32_t(c == EOF ? 0 : c);
  }
  return value;
}

long long fileSize(std::FILE* file) {
  const long here = std::ftell(file);
  std::fseek(file, 0, SEEK_END);
  const long long size = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  return size;
}

bool isPageForm(std::uint32_t formType) {
  return formType == iffId("DJVU") || formType == iffId("BM44") || formType == iffId("PM44");
}

}  // namespace probe

namespace {

using FilePtr = std::unique_ptr<std::FILE, decltype(&std::fclose)>;
using probe::readBig;

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

// Walks the chunks after the form header (and INFO) until an unknown chunk or
// `end`. INCL, the link of a document's page to data it shares with other pages
// (a JB2 dictionary of its mask), is passed over.
void scanChunks(std::FILE* file, long long end, DjvuFileInfo& info) {
  for (;;) {
    unsigned char head[8];
    if (std::ftell(file) + 8 > end || std::fread(head, 1, 8, file) != 8) return;
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
    } else if (id != iffId("INCL")) {
      return;
    }
    skipChunk(file, dataStart, size);
  }
}

}  // namespace

int probe::probePageBody(Image& image, std::FILE* f, const char* label, long long end, DjvuFileInfo& info) {
  if (info.formType == iffId("DJVU")) {
    const std::uint32_t id = readBig(f, 4);
    const std::uint32_t size = readBig(f, 4);
    if (id != iffId("INFO")) return image.fail("Error! No INFO chunk in %s!\n", label);
    const long dataStart = std::ftell(f);
    readInfo(f, size, info);
    skipChunk(f, dataStart, size);
  }
  scanChunks(f, end, info);
  return 1;
}

int Image::probeDjvuFile(const char* path, DjvuFileInfo& info, int page) {
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
  const std::uint32_t actual = std::uint32_t(probe::fileSize(f) - afterSize);
  info.formType = readBig(f, 4);
  const bool document = info.formType == iffId("DJVM");
  if (actual != stored && document)
    return fail(
        "Error! The DjVu document %s is cut short or damaged: its FORM chunk says %u bytes, the file holds %u.\n", path,
        stored, actual);
  if (actual != stored)
    return fail("Error! Stored FORM chunk size is %u, but actual file chunk is %u.\n", stored, actual);
  if (document) return probe::probeDocument(*this, f, path, page, info);
  if (info.formType == iffId("DJVI"))
    return fail("Error! %s holds data shared by the pages of a DjVu document (DJVI), not a page!\n", path);
  if (!probe::isPageForm(info.formType)) {
    const std::uint32_t t = info.formType;
    return fail("Error! Unknown secondary identifier: %c%c%c%c\n", char(t >> 24), char(t >> 16), char(t >> 8), char(t));
  }
  info.pageCount = 1;
  return probe::probePageBody(*this, f, path, probe::fileSize(f), info);
}

}  // namespace orlim
