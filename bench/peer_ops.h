// The editing operations as libvips and imagemagick (Magick++) do them, for the
// benchmark cases that time them beside ours. Kept apart from ORLIM's headers:
// glib's TRUE and FALSE macros clash with the platform records.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orlim::bench {

// A picture the peers start from: rows without padding, one byte per sample
// (3 bands of blue, green, red, or 1 band of gray).
struct PeerPicture {
  const std::uint8_t* bytes;
  int width, height, bands;
};

// The names of the operations both peers have, as the cases name them.
const std::vector<std::string>& peerOperations();

// The eighth-inset rectangle every crop case keeps: left, top, width, height.
struct CropBox {
  int left, top, width, height;
};
inline CropBox innerBox(int w, int h) { return {w / 8, h / 8, w * 7 / 8 - w / 8 + 1, h * 7 / 8 - h / 8 + 1}; }

// Times `operation` on `picture` with `threads` worker threads (0: the library's default).
void runVips(benchmark::State& state, const PeerPicture& picture, const std::string& operation, int threads);
void runMagick(benchmark::State& state, const PeerPicture& picture, const std::string& operation, int threads);

}  // namespace orlim::bench
