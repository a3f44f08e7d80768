// Shared body of the file-reader fuzz targets: the input becomes, whole, a file in
// shared memory that the reader opens by name, as the loader would. The reader's
// options are derived from the last byte and the length, so a real file given as a
// seed stays a valid file (and different seeds still try different options).
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "image/Image.h"

namespace orlim::fuzz {

// Eight bits of options that leave every byte of the file in place.
inline int optionsOf(const std::uint8_t* data, std::size_t size) {
  return size > 0 ? (data[size - 1] ^ static_cast<int>(size & 0xff)) : 0;
}

// `read(image, path, options)` runs one reader; a success touches every byte the
// description promises, so that a wrong size shows up under ASan.
template <class Read>
int readFuzzedFile(const char* name, const std::uint8_t* data, std::size_t size, Read read) {
  static const std::string path = std::string("/dev/shm/orlim-fuzz-") + std::to_string(::getpid()) + "." + name;
  const int options = optionsOf(data, size);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  Image image;
  image.showWarnings = options & 1;
  if (read(image, path.c_str(), options)) {
    std::uint8_t sum = 0;
    for (int i = 0; i < image.bitsOffset + image.bitsSize; ++i) sum = static_cast<std::uint8_t>(sum + image.dib[i]);
    volatile std::uint8_t sink = sum;
    (void)sink;
  }
  return 0;
}

}  // namespace orlim::fuzz
