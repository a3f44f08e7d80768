// Conversions between the clipboard's DIB block and what Qt applications
// exchange: a BMP file (14-byte file header + the block), a PNG, a QImage.
#pragma once

#include <QByteArray>
#include <QImage>

#include "platform/Clipboard.h"

namespace orlim {

// The block behind a BMP file header (the file header's offset decides where
// the rows begin); empty when the bytes are no BMP file.
ClipboardBlock dibFromBmpFile(const QByteArray& file);
// A BMP file of the block: the file header put in front of it.
QByteArray bmpFileFromDib(const ClipboardBlock& dib);
// The block as Qt reads it (null image when Qt cannot).
QImage imageFromDib(const ClipboardBlock& dib);
// A 24-bit bottom-up DIB of any image (empty for a null image).
ClipboardBlock dibFromImage(const QImage& image);

}  // namespace orlim
