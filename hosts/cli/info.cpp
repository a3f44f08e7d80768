// `orlim info FILE`: reads a picture as the control's loader would and prints
// its description fields.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands.h"
#include "control/autofit.h"
#include "image/Image.h"
#include "info_djvu.h"

namespace orlim::cli {

namespace {

void printDescription(const Image& image) {
  const struct {
    const char* name;
    int value;
  } fields[] = {
      {"layout", image.layout},
      {"headerSize", image.headerSize},
      {"paletteOffset", image.paletteOffset},
      {"paletteSize", image.paletteSize},
      {"bitsOffset", image.bitsOffset},
      {"bitsSize", image.bitsSize},
      {"paletteEntrySize", image.paletteEntrySize},
      {"stride", image.stride},
      {"rowOrder", image.rowOrder},
      {"colorOrder", image.colorOrder},
      {"width", image.width},
      {"height", image.height},
      {"bitsPerPixel", image.bitsPerPixel},
      {"fullWidth", image.fullWidth},
      {"fullHeight", image.fullHeight},
      {"sourceBitsPerPixel", image.sourceBitsPerPixel},
      {"xResolution", image.xResolution},
      {"yResolution", image.yResolution},
      {"resolutionUnit", image.resolutionUnit},
      {"photometric", image.photometric},
      {"isGray", image.isGray},
      {"negative", image.negative},
      {"symmetry", image.symmetry},
      {"pageCount", image.pageCount},
      {"pageIndex", image.pageIndex},
  };
  for (const auto& f : fields) std::printf("%s = %d\n", f.name, f.value);
}

}  // namespace

int runInfo(const Args& args) {
  std::string file;
  int page = 1;  // from 1, as CurrentPage and `orlim show --page` count
  int renderZoom = 0;
  bool render = false;
  bool wellFormed = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--page" && i + 1 < args.size()) {
      char* end = nullptr;
      const long value = std::strtol(args[++i].c_str(), &end, 10);
      wellFormed = wellFormed && *end == '\0' && value >= 1 && value <= INT_MAX;
      page = wellFormed ? static_cast<int>(value) : 1;
    } else if (args[i] == "--render" && i + 1 < args.size()) {
      render = true;
      renderZoom = std::atoi(args[++i].c_str());
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      if (args[i] != "--page" && args[i] != "--render")
        std::fprintf(stderr, "orlim info: unknown option '%s'\n", args[i].c_str());
      wellFormed = false;
    } else if (file.empty()) {
      file = args[i];
    } else {
      wellFormed = false;
    }
  }
  if (file.empty() || !wellFormed) {
    std::fprintf(stderr,
                 "usage: orlim info [--page N] [--render ZOOM] FILE\n"
                 "       pages count from 1, as CurrentPage does\n");
    return 2;
  }
  const char* path = file.c_str();
  Image image;
  image.errorHandler = [](const char* text) { std::fprintf(stderr, "%s\n", text); };
  int ok = 0;
  const int fileType = classifyExtension(path);
  switch (fileType) {
    case kFileDjvu:
    case kFileIw44: return infoDjvu(image, path, fileType, page - 1, render ? &renderZoom : nullptr, printDescription);
    case kFileBmp: ok = image.readBmp(path, kLayoutPackedDib); break;
    case kFilePnm: ok = image.readPnm(path, kLayoutPackedDib); break;
    case kFileJpeg: ok = image.readJpeg(path, 24, 0, kLayoutPackedDib); break;
    case kFileTiff: ok = image.readTiff(path, page - 1, kLayoutPackedDib); break;
    default: std::fprintf(stderr, "File type not recognized!\n"); return 1;
  }
  if (!ok) return 1;
  if (page > image.pageCount) {
    std::fprintf(stderr, "orlim: %s has %d page(s); there is no page %d.\n", path, image.pageCount, page);
    return 1;
  }
  std::printf("file = %s\n", path);
  printDescription(image);
  return 0;
}

}  // namespace orlim::cli
