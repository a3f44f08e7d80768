// Feeds arbitrary bytes to the BMP reader through a file, as the loader would.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "image/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/dev/shm/orlim-fuzz-bmp-" + std::to_string(::getpid()) + ".bmp";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  orlim::Image image;
  if (image.readBmp(path.c_str(), 5)) {
    // Touch every byte the description promises, so a wrong size shows up under ASan.
    std::uint8_t sum = 0;
    for (int i = 0; i < image.bitsOffset + image.bitsSize; ++i) sum = static_cast<std::uint8_t>(sum + image.dib[i]);
    volatile std::uint8_t sink = sum;
    (void)sink;
  }
  return 0;
}
