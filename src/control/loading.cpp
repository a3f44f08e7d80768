// Loading a picture by path, pages of multi-page files, the automatic zoom, and
// the re-render of a kept DjVu page (or a JPEG file) at another depth or zoom.
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "control/OrlimCtrl.h"
#include "module/OrlimModule.h"
#include "platform/Application.h"

namespace orlim {

namespace {

constexpr float kDjvuGamma = 2.2f;

// The folder of a path: everything before its last separator ("/", or "\" as
// paths written for other systems use), empty when it has none.
std::string folderOf(const std::string& path) {
  const auto separator = path.find_last_of("/\\");
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

}  // namespace

void COrlimCtrl::notifyImageProperties() {
  for (DISPID id : {dispidImageWidth, dispidImageHeight, dispidImageDepth, dispidImageResX, dispidImageResY,
                    dispidPages, dispidCurrentPage})
    BoundPropertyChanged(id);
}

void COrlimCtrl::loadPicture(const std::string& path) {
  CWaitCursor wait;
  if (path.empty()) {
    clearView(TRUE);
    notifyImageProperties();
    InvalidateControl();
    return;
  }
  if (!queryFileExists(path.c_str())) {
    showControlError("Could not find file " + path + "!");
    SetModifiedFlag();
    return;
  }
  const int rememberedPage = currentPage;
  if (hasPicture()) clearView(FALSE);  // the reader empties the image itself
  picturePath = path;
  fileType = classifyExtension(path.c_str());
  int djvuPage = rememberedPage;  // a multi-page DjVu document opens at the page kept, as a TIFF does
  if (fileType == kFileDjvu || fileType == kFileIw44)
    classifyDjvuFile(picturePath.c_str(), fileType, djvuKind, djvuPage);

  const char* file = picturePath.c_str();
  bool recognized = true;
  int loaded = 0;
  switch (fileType) {
    case kFileDjvu:
    case kFileIw44:
      currentPage = rememberedPage;
      loaded = image.loadHalfCodedDjvu(file, fileType, djvuPage);
      if (loaded) {
        applyAutoFit();  // from the full page size the open step left
        loaded = renderKeptPage(targetDepth(), zoomLevel);
      }
      break;
    case kFileBmp:
      loaded = image.readBmp(file, kLayoutPackedDib);
      applyAutoFit();
      break;
    case kFilePnm:
      loaded = image.readPnm(file, kLayoutPackedDib);
      applyAutoFit();
      break;
    case kFileJpeg:
      loaded = image.readJpeg(file, targetDepth(), 0, kLayoutPackedDib);
      applyAutoFit();
      break;
    case kFileTiff:
      currentPage = rememberedPage;
      loaded = image.readTiff(file, currentPage, kLayoutPackedDib);
      applyAutoFit();
      break;
    default:
      // Nothing was read: whatever the image held stays.
      showControlError("File type not recognized!");
      recognized = false;
      break;
  }
  if (!recognized || loaded) {
    notifyImageProperties();
  } else {
    // A reader that fails half way (a JPEG whose data breaks off) may leave what it
    // had set up; a failed load leaves no picture.
    if (hasPicture()) image.reset(true);
    showControlError("Failed to load " + picturePath);
  }

  moduleState().initialOpenDir = folderOf(picturePath);
  scrollPosX = scrollPosY = 0;
  updateScrollBars(scrollBars);
  for (DISPID id : {dispidScrollPosX, dispidScrollPosY, dispidScrollRangeX, dispidScrollRangeY})
    BoundPropertyChanged(id);
  InvalidateControl(nullptr, TRUE);
  if (Window* window = GetWindow()) window->UpdateWindow();
  SetModifiedFlag();
}

void COrlimCtrl::applyAutoFit() {
  RECT client{};
  GetClientRect(client);
  zoomLevel = autoFitZoomLevel(autoFit, client.right - client.left, client.bottom - client.top, image.width,
                               image.height, zoomLevel);
}

int COrlimCtrl::renderKeptPage(int depth, int zoom) {
  const int layer = djvuKind == kDjvuLayered ? djvuLayer : kLayerColor;
  int renderZoom = fancyZoom ? zoom : 0;
  // A reduction beyond the page's larger side leaves nothing to render; limiting
  // it there keeps the renderer's strip arithmetic far from overflow.
  const int pageSide = std::max({image.width, image.height, image.fullWidth, image.fullHeight, 1});
  renderZoom = std::max(renderZoom, 1 - pageSide);
  return image.renderDjvuPage(layer, depth, renderZoom, kDjvuGamma, kLayoutPackedDib, fileType);
}

void COrlimCtrl::reapplyEdits(int symmetry, int negative, int gray) {
  if (symmetry) image.applySymmetry(symmetry);
  if (negative) image.negate();
  if (gray) image.convertToGray();
}

BOOL COrlimCtrl::reRender(int depth, int zoom) {
  CWaitCursor wait;
  const int symmetry = image.symmetry, negative = image.negative, gray = image.isGray;
  int rendered = 0;
  if (fileType == kFileDjvu || fileType == kFileIw44) {
    zoomLevel = zoom;
    if (!image.djvuPage) return FALSE;
    rendered = renderKeptPage(depth, zoom);
  } else if (fileType == kFileJpeg) {
    if (!hasPicture()) return FALSE;
    // The reader empties its image first; reading beside the shown picture keeps
    // it when the file has gone or changed.
    Image reread;
    reread.errorHandler = image.errorHandler;
    rendered = reread.readJpeg(picturePath.c_str(), depth, 0, kLayoutPackedDib) && image.clone(reread);
  } else {
    return FALSE;  // nothing to get the picture from again
  }
  if (!rendered) {
    showControlError("Failed to re-render the image!");
    return FALSE;
  }
  reapplyEdits(symmetry, negative, gray);
  return TRUE;
}

void COrlimCtrl::reRenderCurrent() {
  if (!image.djvuPage) return;
  CWaitCursor wait;
  const int symmetry = image.symmetry, negative = image.negative, gray = image.isGray;
  if (renderKeptPage(targetDepth(), zoomLevel)) reapplyEdits(symmetry, negative, gray);
}

void COrlimCtrl::clearView(BOOL releaseImage) {
  if (!hasPicture()) return;
  CWaitCursor wait;
  if (releaseImage) image.reset(true);
  viewMode = kPanMode;
  fileType = kFileNone;
  picturePath.clear();
  forceErase = FALSE;
  dragging = noErase = hScrollNeeded = vScrollNeeded = FALSE;
  dragStartX = dragStartY = dragX = dragY = 0;
  scrollPosX = scrollPosY = 0;
  drawWidth = drawHeight = visibleLeft = visibleTop = visibleWidth = visibleHeight = originX = originY = 0;
  pageStepX = pageStepY = lineStepX = lineStepY = 0;
  currentPage = 0;
  overlayShown = FALSE;
  overlayRect = RECT{};
  hasSelection = FALSE;
  selection = RECT{};
  updateScrollBars(scrollBars);
  InvalidateControl(nullptr, TRUE);
}

// ---- pages and folder ----

LONG COrlimCtrl::GetPages() const { return hasPicture() ? image.pageCount : 0; }

LONG COrlimCtrl::GetCurrentPage() {
  currentPage = image.pageIndex;
  return currentPage < INT32_MAX ? currentPage + 1 : currentPage;
}

void COrlimCtrl::SetCurrentPage(LONG value) {
  // In 64 bits so that no value overflows; never below the first page, also when
  // there is no picture and hence no page count.
  const std::int64_t wanted = static_cast<std::int64_t>(value) - 1;
  const std::int64_t last = static_cast<std::int64_t>(image.pageCount) - 1;
  currentPage = static_cast<int>(std::max<std::int64_t>(0, std::min(last, std::max<std::int64_t>(0, wanted))));
  SetModifiedFlag();
  const std::string path = picturePath;  // the load resets picturePath on its way
  loadPicture(path);
}

std::string COrlimCtrl::GetInitialOpenDir() const { return moduleState().initialOpenDir; }

void COrlimCtrl::SetInitialOpenDir(const std::string& value) {
  moduleState().initialOpenDir = value;
  SetModifiedFlag();
}

// ---- zoom ----

double zoomPercent(int zoom) {
  return zoom >= 0 ? 100.0 * (static_cast<double>(zoom) + 1.0) : 100.0 / (1.0 - static_cast<double>(zoom));
}

void aspectCorrected(double base, int xResolution, int yResolution, double& fx, double& fy) {
  fx = fy = base;
  const double rx = xResolution, ry = yResolution;
  if (rx != ry && rx > 0 && ry > 0) {
    if (ry < rx)
      fy = base * rx / ry;
    else
      fx = base * ry / rx;
  }
}

namespace {

int clampToInt(double value) {
  if (!(value >= -2147483648.0)) return INT32_MIN;
  if (value > 2147483647.0) return INT32_MAX;
  return static_cast<int>(value);
}

}  // namespace

void COrlimCtrl::SetZoomLevel(LONG value) {
  previousZoomLevel = zoomLevel;
  zoomLevel = value;
  if (fileType < kFileDjvu || fileType > kFileTiff) return;
  if ((fileType == kFileDjvu || fileType == kFileIw44) && fancyZoom && (previousZoomLevel < 0 || zoomLevel < 0)) {
    reRenderCurrent();
    previousZoomLevel = zoomLevel;
  }
  // Keep the centre of the view where it was.
  const double ratio = zoomPercent(zoomLevel) / zoomPercent(previousZoomLevel);
  const std::int64_t halfX = std::min(clientWidth, drawWidth) / 2, halfY = std::min(clientHeight, drawHeight) / 2;
  scrollPosX = clampToInt(std::floor((static_cast<double>(halfX + scrollPosX)) * ratio - clientWidth / 2 + 0.5));
  scrollPosY = clampToInt(std::floor((static_cast<double>(halfY + scrollPosY)) * ratio - clientHeight / 2 + 0.5));
  updateScrollBars(scrollBars);
  InvalidateControl(nullptr, TRUE);
  for (DISPID id : {dispidZoomLevel, dispidScrollRangeX, dispidScrollRangeY}) BoundPropertyChanged(id);
  SetModifiedFlag();
}

}  // namespace orlim
