// Renders a label from arbitrary text and settings and stamps it into a small
// picture of a chosen depth and row order, as AddText would.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/Image.h"
#include "label/TextLabel.h"

namespace {

constexpr std::size_t kSettingsBytes = 8;
constexpr std::size_t kLongestText = 200;

void makePicture(orlim::Image& im, int bits, bool topDown, int width, int height) {
  const int entries = bits <= 8 ? 1 << bits : 0;
  const int stride = static_cast<int>(orlim::dibStride(width, bits));
  orlim::BITMAPINFOHEADER header{40,
                                 width,
                                 topDown ? -height : height,
                                 1,
                                 static_cast<orlim::WORD>(bits),
                                 0,
                                 static_cast<orlim::DWORD>(stride * height),
                                 0,
                                 0,
                                 0,
                                 0};
  std::string table(entries * 4, '\0'), rows(stride * height, '\x5a');
  for (int i = 0; i < entries; ++i)
    table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<char>(i * 255 / (entries - 1));
  im.import(&header, 40, table.data(), entries * 4, rows.data(), static_cast<int>(rows.size()), 5);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSettingsBytes || size > kSettingsBytes + kLongestText) return 0;
  orlim::TextLabel label;
  label.TextAlign = data[0] % 4;  // 3 only persisted data can hold
  label.TextOrientation = data[1] % 3;
  label.TextPosition = data[2] % 9;
  label.TextAnchor = data[3] % 11;
  label.TextOffsetX = data[4] % 40;
  label.TextOffsetY = data[5] % 40;
  label.font.lfHeight = static_cast<std::int8_t>(data[6]) % 40;
  label.font.lfWeight = data[7] & 1 ? 700 : 400;
  label.font.lfItalic = (data[7] >> 1) & 1;
  label.font.lfUnderline = (data[7] >> 2) & 1;
  label.font.lfStrikeOut = (data[7] >> 3) & 1;
  label.TextTransparentBackground = (data[7] >> 4) & 1;
  label.TextContent.assign(reinterpret_cast<const char*>(data + kSettingsBytes), size - kSettingsBytes);
  label.labelFileName = "file.tif";
  if (!orlim::renderLabel(label, [] { return orlim::LabelTime{2026, 12, 6, 9, 5, 3}; })) return 0;
  static const int depths[] = {1, 4, 8, 24, 32};
  orlim::Image picture;
  makePicture(picture, depths[(data[7] >> 5) % 5], data[0] & 0x80, 120, 60);
  orlim::insertLabel(label, picture);
  return 0;
}
