// The menus, their shortcuts and the window-wide keys (arrows scroll).
#include <orlim/OrlimWidget.h>

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include "ViewerWindow.h"
#include "window_actions.h"

namespace orlim::viewer {

QAction* ViewerWindow::addAction(QMenu* menu, const char* name, const QString& text, void (ViewerWindow::*slot)(),
                                 const QKeySequence& shortcut) {
  QAction* action = menu ? menu->addAction(text) : new QAction(text, this);
  if (!menu) QWidget::addAction(action);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(shortcut);
  connect(action, &QAction::triggered, this, slot);
  return action;
}

void ViewerWindow::buildMenus() {
  buildFileMenu();
  buildEditMenu();
  buildViewMenu();
  buildPagesMenu();
  // Arrow keys scroll by a tenth of the window, wherever the focus is.
  const auto scroller = [this](const char* name, Qt::Key key, int dx, int dy) {
    auto* action = new QAction(this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    QWidget::addAction(action);
    connect(action, &QAction::triggered, this, [this, dx, dy] {
      if (dx) control_->setScrollPosX(control_->scrollPosX() + dx * std::max(1, control_->width() / 10));
      if (dy) control_->setScrollPosY(control_->scrollPosY() + dy * std::max(1, control_->height() / 10));
    });
    actions_->needPicture << action;
  };
  scroller("scrollLeft", Qt::Key_Left, -1, 0);
  scroller("scrollRight", Qt::Key_Right, 1, 0);
  scroller("scrollUp", Qt::Key_Up, 0, -1);
  scroller("scrollDown", Qt::Key_Down, 0, 1);
}

void ViewerWindow::buildFileMenu() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  addAction(file, "fileOpen", tr("&Open…"), &ViewerWindow::openDialog, QKeySequence::Open);
  actions_->recentMenu = file->addMenu(tr("Open &Recent"));
  actions_->recentMenu->setObjectName(QStringLiteral("fileRecent"));
  file->addSeparator();
  actions_->needPicture << addAction(file, "fileSaveAs", tr("&Save as…"), &ViewerWindow::saveAsChosen,
                                     QKeySequence::Save)
                        << addAction(file, "fileSaveTiff", tr("Save as &TIFF…"), &ViewerWindow::saveAsTiff)
                        << addAction(file, "fileSaveJpeg", tr("Save as &JPEG…"), &ViewerWindow::saveAsJpeg)
                        << addAction(file, "fileSaveBmp", tr("Save as &BMP…"), &ViewerWindow::saveAsBmp)
                        << addAction(file, "fileSavePnm", tr("Save as &PNM…"), &ViewerWindow::saveAsPnm);
  actions_->needSelection << addAction(file, "fileSaveSelection", tr("Save se&lection as…"),
                                       &ViewerWindow::saveSelection, QKeySequence(tr("Ctrl+Shift+S")));
  file->addSeparator();
  addAction(file, "fileProperties", tr("Propert&ies…"), &ViewerWindow::showProperties, QKeySequence(tr("Alt+Return")));
  file->addSeparator();
  addAction(file, "fileQuit", tr("&Quit"), &ViewerWindow::quit, QKeySequence::Quit);
}

void ViewerWindow::refreshRecentMenu() {
  QMenu* menu = actions_->recentMenu;
  menu->clear();
  for (const QString& path : settings_.recentFiles) {
    QAction* item = menu->addAction(QFileInfo(path).fileName());
    item->setToolTip(path);
    item->setData(path);
    connect(item, &QAction::triggered, this, [this, path] { openFile(path); });
  }
  menu->setEnabled(!settings_.recentFiles.isEmpty());
}

void ViewerWindow::buildEditMenu() {
  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  actions_->needPicture << addAction(edit, "editCopy", tr("&Copy"), &ViewerWindow::copy, QKeySequence::Copy);
  addAction(edit, "editPaste", tr("&Paste"), &ViewerWindow::paste, QKeySequence::Paste);
  edit->addSeparator();
  actions_->needSelection << addAction(edit, "editCrop", tr("C&rop to selection"), &ViewerWindow::crop,
                                       QKeySequence(tr("Ctrl+Shift+X")));
  edit->addSeparator();
  actions_->needPicture << addAction(edit, "editRotateLeft", tr("Rotate &left"), &ViewerWindow::rotateLeft,
                                     QKeySequence(tr("Ctrl+L")))
                        << addAction(edit, "editRotateRight", tr("Rotate ri&ght"), &ViewerWindow::rotateRight,
                                     QKeySequence(tr("Ctrl+R")))
                        << addAction(edit, "editRotate180", tr("Rotate &180°"), &ViewerWindow::rotate180)
                        << addAction(edit, "editMirror", tr("&Mirror"), &ViewerWindow::mirror)
                        << addAction(edit, "editFlip", tr("&Flip"), &ViewerWindow::flip)
                        << addAction(edit, "editGray", tr("&Gray"), &ViewerWindow::gray)
                        << addAction(edit, "editNegative", tr("&Negative"), &ViewerWindow::negative);
  edit->addSeparator();
  actions_->needPicture << addAction(edit, "editResize", tr("Re&size…"), &ViewerWindow::resizePicture)
                        << addAction(edit, "editAddText", tr("Add &text…"), &ViewerWindow::addText,
                                     QKeySequence(tr("Ctrl+T")));
}

void ViewerWindow::buildViewMenu() {
  QMenu* view = menuBar()->addMenu(tr("&View"));
  QAction* in = addAction(view, "viewZoomIn", tr("Zoom &in"), &ViewerWindow::zoomIn, QKeySequence(Qt::Key_Plus));
  in->setShortcuts({QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal), QKeySequence::ZoomIn});
  QAction* out = addAction(view, "viewZoomOut", tr("Zoom &out"), &ViewerWindow::zoomOut, QKeySequence(Qt::Key_Minus));
  out->setShortcuts({QKeySequence(Qt::Key_Minus), QKeySequence::ZoomOut});
  actions_->needPicture << in << out;
  view->addSeparator();
  actions_->fit = new QActionGroup(this);
  const auto fitItem = [&](const char* name, const QString& text, void (ViewerWindow::*slot)(),
                           const QKeySequence& key) {
    QAction* a = addAction(view, name, text, slot, key);
    a->setCheckable(true);
    actions_->fit->addAction(a);
  };
  fitItem("viewActualSize", tr("&Actual size"), &ViewerWindow::actualSize, QKeySequence(tr("Ctrl+0")));
  fitItem("viewFitWidth", tr("Fit &width"), &ViewerWindow::fitWidth, QKeySequence(tr("Ctrl+W")));
  fitItem("viewFitImage", tr("Fit &image"), &ViewerWindow::fitImage, QKeySequence(tr("Ctrl+F")));
  view->addSeparator();
  QMenu* layers = view->addMenu(tr("DjVu &layer"));
  actions_->layer = new QActionGroup(this);
  const char* layerNames[] = {"viewLayerColor", "viewLayerBlackAndWhite", "viewLayerBackground", "viewLayerForeground"};
  const QString layerTexts[] = {tr("&Colour"), tr("&Black and white"), tr("Back&ground"), tr("&Foreground")};
  for (int i = 0; i < 4; ++i) {
    QAction* a = layers->addAction(layerTexts[i]);
    a->setObjectName(QString::fromLatin1(layerNames[i]));
    a->setCheckable(true);
    actions_->layer->addAction(a);
    connect(a, &QAction::triggered, this, [this, i] { control_->setDjvuLayer(i); });
  }
  view->addSeparator();
  const auto toggle = [&](const char* name, const QString& text, void (ViewerWindow::*slot)(bool)) {
    QAction* a = view->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  actions_->dither = toggle("viewDither", tr("&Dither"), &ViewerWindow::toggleDither);
  actions_->fancyZoom = toggle("viewFancyZoom", tr("Fancy &zoom"), &ViewerWindow::toggleFancyZoom);
  actions_->scrollBars = toggle("viewScrollBars", tr("&Scroll bars"), &ViewerWindow::toggleScrollBars);
  view->addSeparator();
  actions_->selectionMode =
      toggle("viewSelectionMode", tr("S&elect with the mouse"), &ViewerWindow::toggleSelectionMode);
  actions_->selectionMode->setShortcut(QKeySequence(tr("Ctrl+E")));
  actions_->needPicture << actions_->selectionMode;
}

void ViewerWindow::buildPagesMenu() {
  QMenu* pages = menuBar()->addMenu(tr("&Pages"));
  actions_->needPages
      << addAction(pages, "pageFirst", tr("&First page"), &ViewerWindow::firstPage, QKeySequence(Qt::Key_Home))
      << addAction(pages, "pagePrevious", tr("&Previous page"), &ViewerWindow::previousPage,
                   QKeySequence(Qt::Key_PageUp))
      << addAction(pages, "pageNext", tr("&Next page"), &ViewerWindow::nextPage, QKeySequence(Qt::Key_PageDown))
      << addAction(pages, "pageLast", tr("&Last page"), &ViewerWindow::lastPage, QKeySequence(Qt::Key_End))
      << addAction(pages, "pageGoTo", tr("&Go to page…"), &ViewerWindow::goToPageDialog, QKeySequence(tr("Ctrl+G")));
}

}  // namespace orlim::viewer
