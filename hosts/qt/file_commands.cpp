// File menu: open, save in the four formats (whole picture or selection), the
// control's property sheet, quit.
#include <orlim/OrlimWidget.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "ViewerWindow.h"
#include "file_types.h"

namespace orlim::viewer {

void ViewerWindow::openDialog() {
  OpenRequest request;
  request.folder = control_->property(QStringLiteral("InitialOpenDir")).toString();
  request.filterIndex = settings_.openFilterIndex;
  const std::optional<OpenAnswer> answer = prompts_->openFile(this, request);
  if (!answer) return;
  settings_.openFilterIndex = answer->filterIndex;
  openFile(answer->path);
}

void ViewerWindow::saveAsTiff() { save(SaveFormat::Tiff, false); }
void ViewerWindow::saveAsJpeg() { save(SaveFormat::Jpeg, false); }
void ViewerWindow::saveAsBmp() { save(SaveFormat::Bmp, false); }
void ViewerWindow::saveAsPnm() { save(SaveFormat::Pnm, false); }
void ViewerWindow::saveAsChosen() { save(SaveFormat::Tiff, false); }
void ViewerWindow::saveSelection() { save(SaveFormat::Tiff, true); }

void ViewerWindow::save(SaveFormat format, bool selectionOnly) {
  if (!hasPicture() || (selectionOnly && !hasSelection())) return;
  const QString title = selectionOnly ? tr("Save selection as") : tr("Save as");
  const QString folder = QFileInfo(control_->picture()).absolutePath();
  const QString path = prompts_->saveFile(this, title, folder, format);
  if (path.isEmpty()) return;
  const std::optional<SaveOptions> options =
      prompts_->saveOptions(this, format, control_->property("ImageDepth").toInt());
  if (!options) return;
  // Appending a page to an existing TIFF is what the user asked for, not an overwrite.
  const bool appending = format == SaveFormat::Tiff && options->appendPage;
  if (QFileInfo::exists(path) && !appending && !prompts_->confirmOverwrite(this, path)) return;
  if (!runSave(format, selectionOnly, path, *options))
    prompts_->error(this, tr("The picture could not be saved to %1.").arg(QDir::toNativeSeparators(path)));
}

bool ViewerWindow::runSave(SaveFormat format, bool selectionOnly, const QString& path, const SaveOptions& o) {
  const QString prefix = selectionOnly ? QStringLiteral("SaveSelectionAs") : QStringLiteral("SaveAs");
  QVariantList args{path};
  QString method;
  switch (format) {
    case SaveFormat::Tiff:
      method = prefix + QStringLiteral("Tiff");
      args << o.tiffCompression << o.jpegQuality << o.comment << o.appendPage;
      break;
    case SaveFormat::Jpeg:
      // No smoothing, optimised Huffman tables, the accurate integer DCT.
      method = prefix + QStringLiteral("Jpeg");
      args << o.jpegQuality << 0 << true << 0 << o.comment;
      break;
    case SaveFormat::Bmp: method = prefix + QStringLiteral("Bmp"); break;
    case SaveFormat::Pnm: method = prefix + QStringLiteral("Pnm"); break;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const QVariant result = control_->call(method, args);
  QApplication::restoreOverrideCursor();
  return result.toBool();
}

void ViewerWindow::showProperties() {
  // The control's own property sheet, through its "Properties" verb.
  control_->doVerb(QStringLiteral("Properties"));
  updateActions();
  updateStatus();
}

void ViewerWindow::quit() { close(); }

}  // namespace orlim::viewer
