// `orlim sample FILE.bmp`: writes the bundled sample, a 24-bit picture with
// gradients and bars, so the demo needs no file from outside.
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "platform/win_types.h"

namespace orlim::cli {

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

void putLe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xFF;
}

// Blue-green-red bytes of the sample at (x, y), y counted from the top.
void samplePixel(int x, int y, std::uint8_t* bgr) {
  const double cx = x - kWidth / 2.0, cy = y - kHeight / 2.0;
  const bool ring = std::fabs(std::sqrt(cx * cx + cy * cy) - 90) < 12;
  const bool bar = y >= kHeight - 40 && (x / 50) % 2 == 0;
  bgr[0] = static_cast<std::uint8_t>(255 * y / (kHeight - 1));
  bgr[1] = static_cast<std::uint8_t>(ring ? 255 : 128 - 128 * y / kHeight);
  bgr[2] = static_cast<std::uint8_t>(255 * x / (kWidth - 1));
  if (bar) bgr[0] = bgr[1] = bgr[2] = 0;
}

int writeSample(const std::string& path) {
  const int stride = (kWidth * 3 + 3) & ~3;
  std::vector<std::uint8_t> file(54 + static_cast<std::size_t>(stride) * kHeight);
  file[0] = 'B';
  file[1] = 'M';
  putLe32(&file[2], static_cast<std::uint32_t>(file.size()));
  putLe32(&file[10], 54);
  BITMAPINFOHEADER h{};
  h.biSize = 40;
  h.biWidth = kWidth;
  h.biHeight = kHeight;
  h.biPlanes = 1;
  h.biBitCount = 24;
  h.biSizeImage = static_cast<DWORD>(stride * kHeight);
  h.biXPelsPerMeter = h.biYPelsPerMeter = 3780;
  std::memcpy(&file[14], &h, sizeof h);
  for (int row = 0; row < kHeight; ++row)  // bottom-up: stored row 0 is the bottom
    for (int x = 0; x < kWidth; ++x) samplePixel(x, kHeight - 1 - row, &file[54 + row * stride + x * 3]);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size()) {
    std::fprintf(stderr, "orlim: cannot write %s\n", path.c_str());
    if (out) std::fclose(out);
    return 1;
  }
  return std::fclose(out) == 0 ? 0 : 1;
}

}  // namespace

Command declareSample(CLI::App& orlim) {
  auto path = std::make_shared<std::string>();
  CLI::App* sample = orlim.add_subcommand("sample", "write the bundled sample picture");
  sample->add_option("FILE.bmp", *path, "the BMP file to write")->required();
  return {sample, [path] { return writeSample(*path); }};
}

}  // namespace orlim::cli
