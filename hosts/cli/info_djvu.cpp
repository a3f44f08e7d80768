#include "info_djvu.h"

#include <cstdio>

#include "control/OrlimCtrl.h"
#include "control/autofit.h"
#include "djvu/DjvuFileInfo.h"
#include "djvu/djvuapi.h"

namespace orlim::cli {

namespace {

// The page kind that decides whether the layer choice applies.
int djvuKindOf(std::uint32_t chunkMask) {
  switch (chunkMask) {
    case kChunkSjbz | kChunkBG44 | kChunkFG44:
    case kChunkPM44: return kDjvuLayered;
    case kChunkSjbz:
    case kChunkBM44: return kDjvuBitonalOrGray;
    case kChunkBG44: return kDjvuBackgroundOnly;
    default: return kDjvuOtherKind;
  }
}

void printFourCc(const char* name, std::uint32_t id) {
  std::printf("%s = %c%c%c%c\n", name, char(id >> 24), char(id >> 16), char(id >> 8), char(id));
}

void printSummary(const char* name, const Iw44ChunkSummary& s) {
  std::printf("%s = count %d, version %d.%d, %dx%d, chroma delay %d\n", name, s.count, s.majorVersion, s.minorVersion,
              s.width, s.height, s.chromaDelay);
}

void printProbe(const DjvuFileInfo& info) {
  printFourCc("formType", info.formType);
  std::printf("infoWidth = %d\ninfoHeight = %d\n", info.infoWidth, info.infoHeight);
  std::printf("infoVersion = %d.%d\n", info.infoMajorVersion, info.infoMinorVersion);
  std::printf("infoDpi = %d\ninfoGamma = %d\nchunkMask = %u\n", info.infoDpi, info.infoGamma, info.chunkMask);
  printSummary("bg44", info.bg44);
  printSummary("fg44", info.fg44);
  printSummary("pm44", info.pm44);
  printSummary("bm44", info.bm44);
  const bool page = info.formType == iffId("DJVU");
  // The form, not the extension, says what the file is.
  std::printf("fileType = %d\ndjvuKind = %d\n", page ? kFileDjvu : kFileIw44, djvuKindOf(info.chunkMask));
}

}  // namespace

int infoDjvu(Image& image, const char* path, int fileType, int page, const int* renderZoom,
             void (*printDescription)(const Image&)) {
  DjvuFileInfo info;
  if (!image.probeDjvuFile(path, info, page)) return 1;
  if (page != info.pageIndex) {
    std::fprintf(stderr, "orlim: %s has %d page(s); there is no page %d.\n", path, info.pageCount, page + 1);
    return 1;
  }
  std::printf("file = %s\n", path);
  printProbe(info);
  std::printf("pageCount = %d\npageIndex = %d\n", info.pageCount, info.pageIndex);
  if (!image.loadHalfCodedDjvu(path, fileType, info.pageIndex)) return 1;
  const djvu_halfcoded_image& decoded = *image.djvuPage;
  std::printf("pageWidth = %u\npageHeight = %u\ndpi = %d\ngamma = %g\n", decoded.width, decoded.height, decoded.dpi,
              double(decoded.gamma));
  std::printf("description =\n%s", decoded.description ? decoded.description : "");
  if (!renderZoom) return 0;
  if (!image.renderDjvuPage(DJVU_LAYER_COLOR, 24, *renderZoom, 2.2f, kLayoutPackedDib, fileType)) return 1;
  printDescription(image);
  return 0;
}

}  // namespace orlim::cli
