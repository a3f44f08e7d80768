// Feeds arbitrary bytes to the PNM reader through a file, as the loader would.
#include "fuzz_file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return orlim::fuzz::readFuzzedFile("pnm", data, size,
                                     [](orlim::Image& image, const char* path, int) { return image.readPnm(path, 5); });
}
