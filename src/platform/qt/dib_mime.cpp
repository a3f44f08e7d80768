#include "dib_mime.h"

#include <QBuffer>
#include <cstdint>

namespace orlim {

namespace {

constexpr int kFileHeaderSize = 14;

std::uint32_t readLe32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

void writeLe32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Header, masks and colour table of a block: where its rows begin. Values that
// do not add up give 0, and the reader then refuses the file as the control would.
std::uint64_t rowsOffset(const ClipboardBlock& dib) {
  if (dib.size() < 40) return 0;
  const std::uint64_t headerSize = readLe32(dib.data());
  const unsigned bitCount = dib[14] | dib[15] << 8;
  const std::uint32_t compression = readLe32(dib.data() + 16);
  const std::uint64_t used = readLe32(dib.data() + 32);
  const std::uint64_t colors = used ? used : (bitCount <= 8 ? std::uint64_t{1} << bitCount : 0);
  const std::uint64_t masks = headerSize == 40 && compression == 3 ? 12 : 0;
  return headerSize + masks + colors * 4;
}

}  // namespace

ClipboardBlock dibFromBmpFile(const QByteArray& file) {
  if (file.size() <= kFileHeaderSize || file[0] != 'B' || file[1] != 'M') return {};
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.constData());
  return ClipboardBlock(bytes + kFileHeaderSize, bytes + file.size());
}

QByteArray bmpFileFromDib(const ClipboardBlock& dib) {
  QByteArray file(kFileHeaderSize, '\0');
  file[0] = 'B';
  file[1] = 'M';
  writeLe32(file.data() + 2, static_cast<std::uint32_t>(kFileHeaderSize + dib.size()));
  writeLe32(file.data() + 10, static_cast<std::uint32_t>(kFileHeaderSize + rowsOffset(dib)));
  file.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
  return file;
}

QImage imageFromDib(const ClipboardBlock& dib) {
  if (rowsOffset(dib) == 0 || rowsOffset(dib) > dib.size()) return {};
  return QImage::fromData(bmpFileFromDib(dib), "BMP");
}

ClipboardBlock dibFromImage(const QImage& image) {
  if (image.isNull()) return {};
  QByteArray file;
  QBuffer buffer(&file);
  buffer.open(QIODevice::WriteOnly);
  if (!image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP")) return {};
  return dibFromBmpFile(file);
}

}  // namespace orlim
