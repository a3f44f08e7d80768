// Edit menu: each command is one method of the control, called by name.
#include <orlim/OrlimWidget.h>

#include "ViewerWindow.h"

namespace orlim::viewer {

bool ViewerWindow::command(const char* method, const QVariantList& args) {
  const bool done = control_->call(QString::fromLatin1(method), args).toBool();
  updateActions();
  updateStatus();
  return done;
}

void ViewerWindow::copy() {
  if (!command("CopyToClipboard")) prompts_->error(this, tr("The picture could not be copied to the clipboard."));
}

void ViewerWindow::paste() {
  if (!command("PasteFromClipboard")) prompts_->error(this, tr("The clipboard holds no picture to paste."));
}

void ViewerWindow::crop() { command("CropImage"); }
// RotateImage turns the stored rows: 90 is a quarter turn counter-clockwise for
// the bottom-up rows every reader but an oriented TIFF or a top-down BMP gives.
void ViewerWindow::rotateLeft() { command("RotateImage", {90.0}); }
void ViewerWindow::rotateRight() { command("RotateImage", {270.0}); }
void ViewerWindow::rotate180() { command("RotateImage", {180.0}); }
void ViewerWindow::mirror() { command("MirrorImage"); }
void ViewerWindow::flip() { command("FlipImage"); }
void ViewerWindow::gray() { command("GrayImage"); }
void ViewerWindow::negative() { command("NegativeImage"); }

void ViewerWindow::resizePicture() {
  const std::optional<ResizeRequest> request =
      prompts_->resize(this, ResizeRequest{control_->imageWidth(), control_->imageHeight(), 1});
  if (!request) return;
  command("ResizeImage", {request->width, request->height, request->filter});
}

void ViewerWindow::addText() {
  // The control's own text dialog; only its OK (IDOK, 1) stamps the label. A
  // dialog that could not be shown (-1) is no agreement either.
  constexpr int kIdOk = 1;
  if (control_->call(QStringLiteral("TextOptions"), {false}).toInt() != kIdOk) return;
  command("AddText", {false, false});
}

}  // namespace orlim::viewer
