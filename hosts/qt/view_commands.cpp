// View and Pages menus: zoom steps, the AutoFit values, DjVu layer and the
// display switches, page turning.
#include <orlim/OrlimWidget.h>

#include <algorithm>

#include "ViewerWindow.h"

namespace orlim::viewer {

double zoomPercent(int level) { return level >= 0 ? 100.0 * (level + 1) : 100.0 / (1 - level); }

int fitZoomLevel(int autoFit, int clientWidth, int clientHeight, int pictureWidth, int pictureHeight) {
  if (clientWidth <= 0 || clientHeight <= 0 || autoFit == OrlimWidget::kAutoFitNone) return 0;
  const int fitWidth = -((pictureWidth - 1) / clientWidth);
  const int fitHeight = -((pictureHeight - 1) / clientHeight);
  int level = autoFit == OrlimWidget::kAutoFitWidth ? fitWidth : std::min(fitWidth, fitHeight);
  // The control never picks the reduction factors 14, 15 or an odd one above 16.
  if (level == -13 || level == -14)
    level = -15;
  else if (level < -15)
    level = 2 * ((level - 1) / 2) - 1;
  return level;
}

void ViewerWindow::zoomIn() { control_->setZoomLevel(control_->zoomLevel() + 1); }
void ViewerWindow::zoomOut() { control_->setZoomLevel(control_->zoomLevel() - 1); }
void ViewerWindow::actualSize() { setFit(OrlimWidget::kAutoFitNone); }
void ViewerWindow::fitWidth() { setFit(OrlimWidget::kAutoFitWidth); }
void ViewerWindow::fitImage() { setFit(OrlimWidget::kAutoFitImage); }

// AutoFit is what the control applies at each load; the viewer applies it to the
// shown picture at once too, with the control's arithmetic.
void ViewerWindow::setFit(int autoFit) {
  control_->setAutoFit(autoFit);
  if (hasPicture())
    control_->setZoomLevel(
        fitZoomLevel(autoFit, control_->width(), control_->height(), control_->imageWidth(), control_->imageHeight()));
  updateActions();
  updateStatus();
}

void ViewerWindow::applyZoomArgument(const QString& zoom) {
  if (zoom.endsWith(QLatin1Char('%'))) {
    const double percent = zoom.chopped(1).toDouble();
    if (percent <= 0) return;
    // The nearest step: 100 × (z + 1) upwards, 100 / (1 − z) downwards.
    control_->setZoomLevel(percent >= 100 ? static_cast<int>(percent / 100 + 0.5) - 1
                                          : 1 - static_cast<int>(100 / percent + 0.5));
  } else {
    bool ok = false;
    const int level = zoom.toInt(&ok);
    if (ok) control_->setZoomLevel(level);
  }
  updateStatus();
}

void ViewerWindow::toggleDither(bool on) { control_->setDither(on); }
void ViewerWindow::toggleFancyZoom(bool on) { control_->setFancyZoom(on); }
void ViewerWindow::toggleScrollBars(bool on) { control_->setProperty(QStringLiteral("ScrollBars"), on); }
void ViewerWindow::toggleSelectionMode(bool on) {
  control_->setViewMode(on ? OrlimWidget::kSelectionMode : OrlimWidget::kPanMode);
}

void ViewerWindow::goToPage(int page) {
  if (!hasPicture() || page == control_->currentPage()) return;
  control_->setCurrentPage(std::clamp(page, 1, std::max(1, control_->pages())));
  updateActions();
  updateStatus();
}

void ViewerWindow::firstPage() { goToPage(1); }
void ViewerWindow::previousPage() { goToPage(control_->currentPage() - 1); }
void ViewerWindow::nextPage() { goToPage(control_->currentPage() + 1); }
void ViewerWindow::lastPage() { goToPage(control_->pages()); }

void ViewerWindow::goToPageDialog() {
  if (const std::optional<int> page = prompts_->page(this, control_->currentPage(), control_->pages())) goToPage(*page);
}

}  // namespace orlim::viewer
