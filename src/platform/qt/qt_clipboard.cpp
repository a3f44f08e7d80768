#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "QtClipboard.h"
#include "dib_mime.h"

namespace orlim {

namespace {

constexpr const char* kBmpType = "image/bmp";
constexpr const char* kPngType = "image/png";

QByteArray pngOf(const QImage& image) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return png;
}

bool isImageFormat(const QString& format) { return format.startsWith(QLatin1String("image/")); }

bool isTextFormat(const QString& format) { return format.startsWith(QLatin1String("text/plain")); }

}  // namespace

QtClipboard::QtClipboard() : previous_(currentClipboard()) { setClipboard(this); }

QtClipboard::~QtClipboard() {
  if (currentClipboard() == this) setClipboard(previous_);
}

// What other programs put there stays unless the control empties the clipboard
// or puts the same kind of data.
void QtClipboard::keepOtherFormats(QMimeData& data) const {
  const QMimeData* present = shown();
  if (!present) return;
  for (const QString& format : present->formats()) {
    // Qt's own image form is made again from the image formats that stay.
    if (format == QLatin1String("application/x-qt-image")) continue;
    if ((dib_ && isImageFormat(format)) || (text_ && isTextFormat(format))) continue;
    data.setData(format, present->data(format));
  }
}

const QMimeData* QtClipboard::shown() const { return QGuiApplication::clipboard()->mimeData(); }

bool QtClipboard::OpenClipboard(Window*) {
  if (open_) return false;
  open_ = true;
  changed_ = false;
  emptied_ = false;
  dib_.reset();
  text_.reset();
  return true;
}

bool QtClipboard::EmptyClipboard() {
  if (!open_) return false;
  changed_ = true;
  emptied_ = true;
  dib_.reset();
  text_.reset();
  return true;
}

bool QtClipboard::SetClipboardData(UINT format, ClipboardBlock block) {
  if (!open_ || (format != CF_DIB && format != CF_TEXT)) return false;
  // Whatever is put there replaces what another program left, as with an empty first.
  changed_ = true;
  (format == CF_DIB ? dib_ : text_) = std::move(block);
  return true;
}

bool QtClipboard::CloseClipboard() {
  if (!open_) return false;
  open_ = false;
  if (!changed_) return true;
  auto* data = new QMimeData;
  if (!emptied_) keepOtherFormats(*data);
  if (dib_) {
    data->setData(kBmpType, bmpFileFromDib(*dib_));
    const QImage image = imageFromDib(*dib_);
    if (!image.isNull()) data->setData(kPngType, pngOf(image));
  }
  if (text_) {
    // A CF_TEXT block ends with its terminating zero.
    const auto* chars = reinterpret_cast<const char*>(text_->data());
    data->setText(QString::fromLocal8Bit(chars, static_cast<qsizetype>(qstrnlen(chars, text_->size()))));
  }
  QGuiApplication::clipboard()->setMimeData(data);
  return true;
}

bool QtClipboard::IsClipboardFormatAvailable(UINT format) const {
  const QMimeData* data = shown();
  if (!data) return false;
  if (format == CF_DIB) return data->hasFormat(kBmpType) || data->hasImage();
  if (format == CF_TEXT) return data->hasText();
  return false;
}

bool QtClipboard::GetClipboardData(UINT format, ClipboardBlock& block) const {
  const QMimeData* data = open_ ? shown() : nullptr;
  if (!data) return false;
  if (format == CF_TEXT && data->hasText()) {
    const QByteArray text = data->text().toLocal8Bit();
    block.assign(text.begin(), text.end());
    block.push_back(0);
    return true;
  }
  if (format != CF_DIB) return false;
  if (data->hasFormat(kBmpType)) {
    block = dibFromBmpFile(data->data(kBmpType));
    if (!block.empty()) return true;
  }
  block = dibFromImage(qvariant_cast<QImage>(data->imageData()));
  return !block.empty();
}

std::vector<UINT> QtClipboard::EnumClipboardFormats() const {
  std::vector<UINT> present;
  if (IsClipboardFormatAvailable(CF_DIB)) present.push_back(CF_DIB);
  if (IsClipboardFormatAvailable(CF_TEXT)) present.push_back(CF_TEXT);
  return present;
}

}  // namespace orlim
