#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QSpinBox>

#include "Prompts.h"
#include "SaveOptionsDialog.h"
#include "file_types.h"

namespace orlim::viewer {

std::optional<OpenAnswer> QtPrompts::openFile(QWidget* parent, const OpenRequest& request) {
  const QStringList filters = toQtNameFilters(QString::fromLatin1(kOpenFilter));
  QFileDialog dialog(parent, QObject::tr("Open"), request.folder);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(filters);
  const int index =
      request.filterIndex >= 1 && request.filterIndex <= filters.size() ? request.filterIndex : filters.size();
  dialog.selectNameFilter(filters[index - 1]);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return OpenAnswer{dialog.selectedFiles().first(), static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1};
}

QString QtPrompts::saveFile(QWidget* parent, const QString& title, const QString& folder, SaveFormat& format) {
  QFileDialog dialog(parent, title, folder);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  // Overwriting is asked by the viewer itself, after the options.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilters(saveNameFilters());
  dialog.selectNameFilter(saveNameFilter(format));
  dialog.setDefaultSuffix(defaultExtension(format));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    const int i = static_cast<int>(saveNameFilters().indexOf(filter));
    if (i >= 0) dialog.setDefaultSuffix(defaultExtension(static_cast<SaveFormat>(i)));
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString path = dialog.selectedFiles().first();
  const int chosen = static_cast<int>(saveNameFilters().indexOf(dialog.selectedNameFilter()));
  format = formatOfPath(path).value_or(chosen >= 0 ? static_cast<SaveFormat>(chosen) : format);
  return path;
}

std::optional<SaveOptions> QtPrompts::saveOptions(QWidget* parent, SaveFormat format, int depth) {
  if (format != SaveFormat::Tiff && format != SaveFormat::Jpeg) return SaveOptions{};
  SaveOptionsDialog dialog(parent, format, depth);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.options();
}

bool QtPrompts::confirmOverwrite(QWidget* parent, const QString& path) {
  return QMessageBox::question(
             parent, QObject::tr("Save"),
             QObject::tr("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(path).fileName())) ==
         QMessageBox::Yes;
}

std::optional<ResizeRequest> QtPrompts::resize(QWidget* parent, const ResizeRequest& current) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QObject::tr("Resize"));
  auto* form = new QFormLayout(&dialog);
  auto* width = new QSpinBox(&dialog);
  auto* height = new QSpinBox(&dialog);
  for (QSpinBox* box : {width, height}) box->setRange(1, 1 << 16);
  width->setValue(current.width);
  height->setValue(current.height);
  auto* filter = new QComboBox(&dialog);
  filter->addItems(
      {QObject::tr("Nearest (centre sample)"), QObject::tr("Smooth (weighted)"), QObject::tr("Box (plain average)")});
  filter->setCurrentIndex(current.filter);
  form->addRow(QObject::tr("&Width:"), width);
  form->addRow(QObject::tr("&Height:"), height);
  form->addRow(QObject::tr("&Filter:"), filter);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return ResizeRequest{width->value(), height->value(), filter->currentIndex()};
}

std::optional<int> QtPrompts::page(QWidget* parent, int current, int pages) {
  bool ok = false;
  const int page = QInputDialog::getInt(parent, QObject::tr("Go to page"), QObject::tr("Page (1 to %1):").arg(pages),
                                        current, 1, pages, 1, &ok);
  return ok ? std::optional<int>(page) : std::nullopt;
}

void QtPrompts::error(QWidget* parent, const QString& text) { QMessageBox::critical(parent, QString(), text); }

}  // namespace orlim::viewer
