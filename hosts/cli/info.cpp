// `orlim info FILE`: reads a picture as the control's loader would and prints
// its description fields.
#include <CLI/CLI.hpp>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "control/autofit.h"
#include "image/Image.h"
#include "info_djvu.h"
#include "option_values.h"

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

struct InfoOptions {
  std::string file;
  int page = 1;  // from 1, as CurrentPage and `orlim show --page` count
  int renderZoom = 0;
  bool render = false;
};

int runInfo(const InfoOptions& options) {
  const int page = options.page;
  int renderZoom = options.renderZoom;
  const char* path = options.file.c_str();
  Image image;
  image.errorHandler = [](const char* text) { std::fprintf(stderr, "%s\n", text); };
  int ok = 0;
  const int fileType = classifyExtension(path);
  switch (fileType) {
    case kFileDjvu:
    case kFileIw44:
      return infoDjvu(image, path, fileType, page - 1, options.render ? &renderZoom : nullptr, printDescription);
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

}  // namespace

Command declareInfo(CLI::App& orlim) {
  auto options = std::make_shared<InfoOptions>();
  CLI::App* info = orlim.add_subcommand("info", "print the description of a picture file (pages count from 1)");
  info->add_option("--page", options->page, "the TIFF or DjVu page, counted from 1 as CurrentPage counts (default 1)")
      ->option_text("N")
      ->transform(pageNumber(INT_MAX));
  const CLI::Option* render =
      info->add_option("--render", options->renderZoom, "also render a DjVu page at the zoom level ZOOM")
          ->option_text("ZOOM")
          ->transform(wholeNumber(INT_MIN, INT_MAX));
  info->add_option("FILE", options->file, "the picture file: BMP, PNM, JPEG, TIFF or DjVu")->required();
  return {info, [options, render] {
            options->render = render->count() > 0;
            return runInfo(*options);
          }};
}

}  // namespace orlim::cli
