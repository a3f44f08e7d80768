// The viewer's main window: an OrlimWidget at its centre and menus, shortcuts
// and a status bar that reach the control only through the widget's automation
// interface (properties and methods by name, typed accessors, its signals).
// Every action has an object name ("fileOpen", "editCrop", ...) so that a
// script or a test can find and trigger it.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <memory>

#include "Prompts.h"
#include "ViewerSettings.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;

namespace orlim {
class OrlimWidget;
}

namespace orlim::viewer {

class ViewerWindow : public QMainWindow {
  Q_OBJECT
 public:
  // `prompts` answers the questions (dialogs when null).
  explicit ViewerWindow(std::unique_ptr<Prompts> prompts = nullptr);
  ~ViewerWindow() override;

  OrlimWidget& control() const { return *control_; }
  bool openFile(const QString& path);
  // Zoom as the command line gives it: a level step ("-2"), or a percentage ("50%").
  void applyZoomArgument(const QString& zoom);
  void setFit(int autoFit);
  void goToPage(int page);

  // Saves the control's persisted properties and the window's settings.
  void saveSession();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  struct Actions;

  void buildMenus();
  void buildFileMenu();
  void buildEditMenu();
  void buildViewMenu();
  void buildPagesMenu();
  QAction* addAction(QMenu* menu, const char* name, const QString& text, void (ViewerWindow::*slot)(),
                     const QKeySequence& shortcut = {});
  void restoreSession();
  void refreshRecentMenu();
  void updateActions();
  void updateStatus();
  void showPointer(int x, int y);

  // File
  void openDialog();
  void saveAsTiff();
  void saveAsJpeg();
  void saveAsBmp();
  void saveAsPnm();
  void saveAsChosen();
  void saveSelection();
  void save(SaveFormat format, bool selectionOnly);
  bool runSave(SaveFormat format, bool selectionOnly, const QString& path, const SaveOptions& options);
  void showProperties();
  void quit();
  // Edit
  void copy();
  void paste();
  void crop();
  void rotateLeft();
  void rotateRight();
  void rotate180();
  void mirror();
  void flip();
  void gray();
  void negative();
  void resizePicture();
  void addText();
  bool command(const char* method, const QVariantList& args = {});
  // View
  void zoomIn();
  void zoomOut();
  void actualSize();
  void fitWidth();
  void fitImage();
  void toggleDither(bool on);
  void toggleFancyZoom(bool on);
  void toggleScrollBars(bool on);
  void toggleSelectionMode(bool on);
  // Pages
  void firstPage();
  void previousPage();
  void nextPage();
  void lastPage();
  void goToPageDialog();

  bool hasPicture() const;
  bool hasSelection() const;
  bool isDjvu() const;

  std::unique_ptr<Prompts> prompts_;
  OrlimWidget* control_;
  std::unique_ptr<Actions> actions_;
  WindowSettings settings_;
  QLabel* sizeLabel_;
  QLabel* pageLabel_;
  QLabel* zoomLabel_;
  QLabel* pointerLabel_;
};

// zoomPercent of a zoom level: 100 × (z + 1) from 0 up, 100 / (1 − z) below.
double zoomPercent(int level);
// The zoom level at which a picture of `pictureSize` fits `clientSize` by the
// AutoFit value (1 width, 2 whole picture), as the control computes it on a load.
int fitZoomLevel(int autoFit, int clientWidth, int clientHeight, int pictureWidth, int pictureHeight);

}  // namespace orlim::viewer
