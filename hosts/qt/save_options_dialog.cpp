#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>

#include "SaveOptionsDialog.h"
#include "file_types.h"

namespace orlim::viewer {

SaveOptionsDialog::SaveOptionsDialog(QWidget* parent, SaveFormat format, int depth) : QDialog(parent) {
  setWindowTitle(format == SaveFormat::Tiff ? tr("TIFF options") : tr("JPEG options"));
  auto* form = new QFormLayout(this);
  if (format == SaveFormat::Tiff) {
    compression_ = new QComboBox(this);
    for (const auto& [value, name] : tiffCompressionsFor(depth)) compression_->addItem(name, value);
    form->addRow(tr("&Compression:"), compression_);
  }
  quality_ = new QSpinBox(this);
  quality_->setRange(0, 100);
  quality_->setValue(75);
  form->addRow(tr("JPEG &quality:"), quality_);
  comment_ = new QLineEdit(this);
  form->addRow(tr("C&omment:"), comment_);
  if (format == SaveFormat::Tiff) {
    append_ = new QCheckBox(tr("&Append as a page to an existing file"), this);
    form->addRow(append_);
    // The quality only means something for JPEG compression.
    const auto follow = [this] { quality_->setEnabled(compression_->currentData().toInt() == 7); };
    connect(compression_, &QComboBox::currentIndexChanged, this, follow);
    follow();
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

SaveOptions SaveOptionsDialog::options() const {
  SaveOptions o;
  if (compression_) o.tiffCompression = compression_->currentData().toInt();
  o.jpegQuality = quality_->value();
  o.comment = comment_->text();
  o.appendPage = append_ && append_->isChecked();
  return o;
}

}  // namespace orlim::viewer
