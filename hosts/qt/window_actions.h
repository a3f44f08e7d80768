// The window's actions that change with the picture (enabled, checked, texts).
#pragma once

#include <QList>

#include "ViewerWindow.h"

class QAction;
class QActionGroup;
class QMenu;

namespace orlim::viewer {

struct ViewerWindow::Actions {
  QMenu* recentMenu = nullptr;
  QList<QAction*> needPicture;    // disabled without a picture
  QList<QAction*> needSelection;  // disabled without a selection
  QList<QAction*> needPages;      // disabled with one page or none
  QActionGroup* fit = nullptr;    // AutoFit 0, 1, 2
  QActionGroup* layer = nullptr;  // DjvuLayer 0 to 3
  QAction* dither = nullptr;
  QAction* fancyZoom = nullptr;
  QAction* scrollBars = nullptr;
  QAction* selectionMode = nullptr;
};

}  // namespace orlim::viewer
