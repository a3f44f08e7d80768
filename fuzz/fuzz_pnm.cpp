// Feeds arbitrary bytes to the PNM reader through a file, as the loader would.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "image/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/dev/shm/orlim-fuzz-pnm-" + std::to_string(::getpid()) + ".pnm";
  // The first byte picks the reader's options; the rest is the file.
  const int options = size > 0 ? data[0] : 0;
  if (size > 0) {
    ++data;
    --size;
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  orlim::Image image;
  image.showWarnings = options & 1;
  [[maybe_unused]] const int depth = (options & 2) ? 8 : 24;
  [[maybe_unused]] const int page = (options >> 2) & 3;
  if (image.readPnm(path.c_str(), 5)) {
    // Touch every byte the description promises, so a wrong size shows up under ASan.
    std::uint8_t sum = 0;
    for (int i = 0; i < image.bitsOffset + image.bitsSize; ++i) sum = static_cast<std::uint8_t>(sum + image.dib[i]);
    volatile std::uint8_t sink = sum;
    (void)sink;
  }
  return 0;
}
