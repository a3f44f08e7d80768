#include <orlim/OrlimWidget.h>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "ViewerWindow.h"
#include "window_actions.h"

namespace orlim::viewer {

ViewerWindow::ViewerWindow(std::unique_ptr<Prompts> prompts)
    : prompts_(prompts ? std::move(prompts) : std::make_unique<QtPrompts>()),
      control_(new OrlimWidget(this)),
      actions_(std::make_unique<Actions>()),
      sizeLabel_(new QLabel(this)),
      pageLabel_(new QLabel(this)),
      zoomLabel_(new QLabel(this)),
      pointerLabel_(new QLabel(this)) {
  setWindowTitle(QStringLiteral("ORLIM Viewer"));
  setCentralWidget(control_);
  setAcceptDrops(true);
  resize(900, 700);
  for (QLabel* label : {sizeLabel_, pageLabel_, zoomLabel_, pointerLabel_}) statusBar()->addPermanentWidget(label);
  buildMenus();
  restoreSession();

  // Every change notification may change what the menus and the status bar show.
  connect(control_, &OrlimWidget::propertyChanged, this, [this] {
    updateActions();
    updateStatus();
  });
  // A selection pulled with the mouse or set by SelectionRectangle is announced by
  // no property change, only by the paint that shows it.
  // A rubber band ends inside the control's own mouse handling: look again once
  // that has returned.
  const auto refreshSoon = [this] {
    updateActions();
    updateStatus();
    QTimer::singleShot(0, this, [this] {
      updateActions();
      updateStatus();
    });
  };
  connect(control_, &OrlimWidget::paint, this, refreshSoon);
  connect(control_, &OrlimWidget::mouseUp, this, refreshSoon);
  connect(control_, &OrlimWidget::mouseMove, this, [this](int, int, int x, int y) { showPointer(x, y); });
  // The control loads a file dropped on it itself; it is then a recent file too.
  connect(control_, &OrlimWidget::filesDropped, this, [this](const QString& path) {
    settings_.recentFiles = withRecentFile(settings_.recentFiles, path);
    refreshRecentMenu();
  });
  updateActions();
  updateStatus();
}

ViewerWindow::~ViewerWindow() = default;

bool ViewerWindow::openFile(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  control_->setPicture(absolute);
  const bool opened = hasPicture() && control_->picture() == absolute;
  if (opened) {
    settings_.recentFiles = withRecentFile(settings_.recentFiles, absolute);
    refreshRecentMenu();
    setWindowTitle(QFileInfo(absolute).fileName() + QStringLiteral(" - ORLIM Viewer"));
  }
  updateActions();
  updateStatus();
  return opened;
}

// ---- session ----

void ViewerWindow::restoreSession() {
  settings_ = loadWindowSettings();
  if (!settings_.geometry.isEmpty()) restoreGeometry(settings_.geometry);
  control_->loadProperties(controlPropertiesPath());
  refreshRecentMenu();
}

void ViewerWindow::saveSession() {
  settings_.geometry = saveGeometry();
  saveWindowSettings(settings_);
  QDir().mkpath(configFolder());
  control_->saveProperties(controlPropertiesPath());
}

void ViewerWindow::closeEvent(QCloseEvent* event) {
  saveSession();
  event->accept();
}

// ---- dropped files (on the window's frame, menus or status bar; the control takes its own) ----

namespace {
QString firstLocalFile(const QMimeData* data) {
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) return url.toLocalFile();
  return {};
}
}  // namespace

void ViewerWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!firstLocalFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void ViewerWindow::dropEvent(QDropEvent* event) {
  const QString path = firstLocalFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  openFile(path);
}

// ---- state ----

bool ViewerWindow::hasPicture() const { return control_->imageWidth() > 0; }

bool ViewerWindow::hasSelection() const {
  const auto at = [this](const char* name) { return control_->property(QString::fromLatin1(name)).toInt(); };
  return at("ImageSelectionLeft") < at("ImageSelectionRight") && at("ImageSelectionTop") < at("ImageSelectionBottom");
}

bool ViewerWindow::isDjvu() const {
  const QString suffix = QFileInfo(control_->picture()).suffix().toLower();
  return hasPicture() && (suffix == QLatin1String("djvu") || suffix == QLatin1String("djv"));
}

void ViewerWindow::updateActions() {
  const bool picture = hasPicture();
  const bool selection = picture && hasSelection();
  for (QAction* a : actions_->needPicture) a->setEnabled(picture);
  for (QAction* a : actions_->needSelection) a->setEnabled(selection);
  for (QAction* a : actions_->needPages) a->setEnabled(picture && control_->pages() > 1);
  actions_->layer->setEnabled(isDjvu());
  const auto check = [](QActionGroup* group, int value) {
    const QList<QAction*> items = group->actions();
    if (value >= 0 && value < items.size()) items[value]->setChecked(true);
  };
  check(actions_->fit, control_->autoFit());
  check(actions_->layer, control_->djvuLayer());
  actions_->dither->setChecked(control_->dither());
  actions_->fancyZoom->setChecked(control_->fancyZoom());
  actions_->scrollBars->setChecked(control_->scrollBars());
  actions_->selectionMode->setChecked(control_->viewMode() == OrlimWidget::kSelectionMode);
}

// ---- status bar ----

void ViewerWindow::updateStatus() {
  if (!hasPicture()) {
    for (QLabel* label : {sizeLabel_, pageLabel_, zoomLabel_, pointerLabel_}) label->clear();
    return;
  }
  const auto value = [this](const char* name) { return control_->property(QString::fromLatin1(name)).toInt(); };
  sizeLabel_->setText(QStringLiteral("%1 × %2, %3 bit, %4 × %5 dpi")
                          .arg(control_->imageWidth())
                          .arg(control_->imageHeight())
                          .arg(value("ImageDepth"))
                          .arg(value("ImageResX"))
                          .arg(value("ImageResY")));
  pageLabel_->setText(QStringLiteral("%1 / %2").arg(control_->currentPage()).arg(control_->pages()));
  zoomLabel_->setText(QString::number(zoomPercent(control_->zoomLevel()), 'f', 1).remove(QRegularExpression("\\.0$")) +
                      QLatin1Char('%'));
}

void ViewerWindow::showPointer(int x, int y) {
  const auto value = [this](const char* name) { return control_->property(QString::fromLatin1(name)).toInt(); };
  if (!hasPicture()) return;
  // The visible part of the picture in picture pixels, drawn at the zoom factor and
  // centred in the client area when it is narrower than that.
  const double factor = zoomPercent(control_->zoomLevel()) / 100.0;
  const int left = value("ImageVisibleLeft"), top = value("ImageVisibleTop");
  const double drawnWidth = (value("ImageVisibleRight") - left + 1) * factor;
  const double drawnHeight = (value("ImageVisibleBottom") - top + 1) * factor;
  const double offsetX = std::max(0.0, (value("ClientWidth") - drawnWidth) / 2);
  const double offsetY = std::max(0.0, (value("ClientHeight") - drawnHeight) / 2);
  const int px = left + static_cast<int>(std::floor((x - offsetX) / factor));
  const int py = top + static_cast<int>(std::floor((y - offsetY) / factor));
  if (px < 0 || py < 0 || px >= control_->imageWidth() || py >= control_->imageHeight()) {
    pointerLabel_->clear();
    return;
  }
  pointerLabel_->setText(QStringLiteral("%1, %2").arg(px).arg(py));
}

}  // namespace orlim::viewer
