// libFuzzer target: arbitrary bytes go through the IFF probe, the decoder and the
// strip renderer (at a reduction that keeps the raster small), by every layer.
// Multi-page documents (bundles, seeded with the corpus documents) are opened at a
// page the last byte picks and, as the control does, decoded only when the probe
// took them; single pages reach the decoder whatever the probe said.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "control/autofit.h"
#include "djvu/DjvuFileInfo.h"
#include "djvu/djvuapi.h"
#include "image/Image.h"

namespace {

int ignoreError(const char*, const char*, int) { return 1; }

const std::string& scratchPath() {
  static const std::string path = "/dev/shm/orlim-fuzz-djvu-" + std::to_string(::getpid()) + ".djvu";
  return path;
}

// A zoom at which the page fits in about 256 x 256 pixels, with a reduction that
// is a multiple of 4: one the library renders at directly (a prime reduction
// beyond 15 renders the page at full size and scales it, slowly).
int smallZoom(const djvu_halfcoded_image& page) {
  const std::uint32_t larger = std::max(page.width, page.height);
  const int reduction = int((larger / 256 + 3) / 4 * 4);
  return reduction > 1 ? 1 - reduction : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  djvu_set_error_handler(ignoreError);
  std::FILE* file = std::fopen(scratchPath().c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  orlim::Image image;
  orlim::DjvuFileInfo info;
  const int wantedPage = size > 0 ? data[size - 1] % 8 : 0;
  const bool probed = image.probeDjvuFile(scratchPath().c_str(), info, wantedPage);
  const bool document = size >= 16 && std::memcmp(data + 12, "DJVM", 4) == 0;
  if (document && !probed) return 0;
  if (!image.loadHalfCodedDjvu(scratchPath().c_str(), orlim::kFileDjvu, probed ? info.pageIndex : 0)) return 0;
  djvu_set_error_handler(ignoreError);  // the load installed the Image's own
  const djvu_halfcoded_image& page = *image.djvuPage;
  // Pages claiming huge sizes are decoded but not rendered: the raster alone would
  // be gigabytes.
  if (std::uint64_t(page.width) * page.height > 40000000ull) return 0;
  const int layer = size > 20 ? data[size / 2] % 4 : 0;
  const int bits = size > 21 && (data[size / 3] & 1) ? 8 : 24;
  image.renderDjvuPage(layer, bits, smallZoom(page), 2.2f, orlim::kLayoutPackedDib, orlim::kFileDjvu);
  djvu_pixel_image* corner = djvu_render(nullptr, &page, 1, 0, 0, 63, 63);
  djvu_pixel_image_free(corner);
  return 0;
}
