// Feeds arbitrary bytes to the TIFF reader through a file, as the loader would.
#include "fuzz_file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return orlim::fuzz::readFuzzedFile("tif", data, size, [](orlim::Image& image, const char* path, int options) {
    return image.readTiff(path, (options >> 2) & 3, 5);
  });
}
