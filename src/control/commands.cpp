// The editing and saving commands of the automation interface: thin steps
// around the image operations, the writers and the text label. Commands that
// need the true pixels run inside the full-resolution bracket, because the view
// may hold a reduced or device-depth rendering of a DjVu page or JPEG file.
#include <cmath>
#include <cstring>

#include "control/OrlimCtrl.h"
#include "label/maintain_size.h"
#include "platform/Application.h"

namespace orlim {

namespace {

// The identification text every saved TIFF file carries.
constexpr const char* kTiffSoftware = "Orlim 2.8";

// The file name of a path, without its folders.
std::string fileNameOf(const std::string& path) {
  const auto separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

BOOL asBool(int result) { return result ? TRUE : FALSE; }

}  // namespace

// ---- the full-resolution bracket ----

void COrlimCtrl::fullResolutionForWork() {
  workZoomLevel = zoomLevel;
  workReRendered = FALSE;
  if (dither || fancyZoom) workReRendered = reRender(24, 0);
}

void COrlimCtrl::restoreDisplayResolution() {
  zoomLevel = workZoomLevel;
  // After an edit that made the picture kind 3 the re-render declines quietly.
  if (workReRendered) reRender(targetDepth(), workZoomLevel);
  workReRendered = FALSE;
}

void COrlimCtrl::markGridEdited() {
  fileType = kFileBmp;  // no longer its file: never re-rendered or read again
  SetModifiedFlag();
  InvalidateControl();
}

// ---- edits of the raster as shown ----

BOOL COrlimCtrl::FlipImage() {
  if (!hasPicture()) return FALSE;
  CWaitCursor wait;
  const int result = image.flip(true);
  if (result) InvalidateControl();
  return asBool(result);
}

BOOL COrlimCtrl::MirrorImage() {
  if (!hasPicture()) return FALSE;
  CWaitCursor wait;
  const int result = image.mirror();
  if (result) InvalidateControl();
  return asBool(result);
}

BOOL COrlimCtrl::NegativeImage() {
  if (!hasPicture()) return FALSE;
  CWaitCursor wait;
  const int result = image.negate();
  if (result) InvalidateControl();
  return asBool(result);
}

BOOL COrlimCtrl::GrayImage() {
  if (!hasPicture()) return FALSE;
  CWaitCursor wait;
  const int result = image.convertToGray();
  if (result) {
    SetModifiedFlag();
    InvalidateControl();
  }
  return asBool(result);
}

BOOL COrlimCtrl::RotateImage(float degrees) {
  if (!hasPicture()) return FALSE;
  CWaitCursor wait;
  const double rounded = std::floor(static_cast<double>(degrees) + 0.5);
  // Not a number, infinite, or beyond an integer: no quarter turn is meant.
  if (!std::isfinite(rounded) || rounded < -2147483648.0 || rounded > 2147483647.0) return FALSE;
  int quarter = static_cast<int>(rounded) % 360;
  if (quarter < 0) quarter += 360;
  int result = 0;
  switch (quarter) {
    case 0: return TRUE;
    case 90:
      result = image.rotate90();
      updateScrollBars(scrollBars);
      break;
    case 180: result = image.rotate180(); break;
    case 270:
      result = image.rotate270();
      updateScrollBars(scrollBars);
      break;
    default: return FALSE;
  }
  InvalidateControl();
  if (Window* window = GetWindow()) window->UpdateWindow();
  return asBool(result);
}

// ---- edits of the true pixels ----

BOOL COrlimCtrl::ResizeImage(LONG newWidth, LONG newHeight, LONG method) {
  if (!hasPicture() || newWidth <= 0 || newHeight <= 0) return FALSE;
  fullResolutionForWork();
  int result = 0;
  {
    CWaitCursor wait;
    result = image.resize(newWidth, newHeight, method);
    if (result) {
      fileType = kFileBmp;
      updateScrollBars(scrollBars);
      InvalidateControl();
    }
  }
  restoreDisplayResolution();
  return asBool(result);
}

BOOL COrlimCtrl::CropImage() {
  fullResolutionForWork();
  bool cropped = false;
  {
    CWaitCursor wait;
    // Without a selection there is nothing to keep; `selection` then holds no rectangle.
    cropped = hasPicture() && hasSelection && image.crop(selection);
    if (cropped) {
      selection = RECT{};
      hasSelection = FALSE;
      markGridEdited();
    } else {
      showControlError("Failed to crop the image!");
    }
  }
  restoreDisplayResolution();
  return cropped ? TRUE : FALSE;
}

// ---- saving ----

BOOL COrlimCtrl::saveWholePicture(const std::function<int(Image&)>& write) {
  if (!hasPicture()) return FALSE;
  fullResolutionForWork();
  int result = 0;
  {
    CWaitCursor wait;
    result = write(image);
  }
  restoreDisplayResolution();
  return asBool(result);
}

BOOL COrlimCtrl::saveSelection(const std::function<int(Image&)>& write) {
  if (!hasPicture() || !hasSelection) return FALSE;
  fullResolutionForWork();
  int result = 0;
  {
    CWaitCursor wait;
    Image part;
    part.errorHandler = image.errorHandler;
    part.showWarnings = image.showWarnings;
    const int cloned = part.clone(image);
    part.djvuPage = nullptr;  // the shown picture keeps its decoded page
    if (cloned && part.crop(selection)) result = write(part);
    part.reset(false);
  }
  restoreDisplayResolution();
  return asBool(result);
}

BOOL COrlimCtrl::SaveAsBmp(const std::string& path) {
  return saveWholePicture([&](Image& picture) { return picture.writeBmp(path.c_str()); });
}

BOOL COrlimCtrl::SaveAsPnm(const std::string& path) {
  return saveWholePicture([&](Image& picture) { return picture.writePnm(path.c_str()); });
}

BOOL COrlimCtrl::SaveAsJpeg(const std::string& path, LONG quality, LONG smooth, BOOL optimizeHuffman, LONG dctMethod,
                            const std::string& comment) {
  return saveWholePicture([&](Image& picture) {
    return picture.writeJpeg(path.c_str(), quality, smooth, optimizeHuffman, dctMethod, comment.c_str());
  });
}

BOOL COrlimCtrl::SaveAsTiff(const std::string& path, LONG compression, LONG quality, const std::string& comment,
                            BOOL append) {
  return saveWholePicture([&](Image& picture) {
    return picture.writeTiff(path.c_str(), compression, quality, comment.c_str(), kTiffSoftware, append);
  });
}

BOOL COrlimCtrl::SaveSelectionAsBmp(const std::string& path) {
  return saveSelection([&](Image& picture) { return picture.writeBmp(path.c_str()); });
}

BOOL COrlimCtrl::SaveSelectionAsPnm(const std::string& path) {
  return saveSelection([&](Image& picture) { return picture.writePnm(path.c_str()); });
}

BOOL COrlimCtrl::SaveSelectionAsJpeg(const std::string& path, LONG quality, LONG smooth, BOOL optimizeHuffman,
                                     LONG dctMethod, const std::string& comment) {
  return saveSelection([&](Image& picture) {
    return picture.writeJpeg(path.c_str(), quality, smooth, optimizeHuffman, dctMethod, comment.c_str());
  });
}

BOOL COrlimCtrl::SaveSelectionAsTiff(const std::string& path, std::int16_t compression, LONG quality,
                                     const std::string& comment, BOOL append) {
  const int widened = compression;  // a short widened with its sign
  return saveSelection([&](Image& picture) {
    return picture.writeTiff(path.c_str(), widened, quality, comment.c_str(), kTiffSoftware, append);
  });
}

// ---- the text label ----

namespace {

// The resolution a picture carries, in its fields and in its bitmap header.
struct Resolution {
  int x, y, unit;
  LONG xPerMeter = 0, yPerMeter = 0;
};

bool hasDibHeader(const Image& picture) {
  return picture.dib && picture.layout == kLayoutPackedDib && picture.headerSize >= 40;
}

Resolution resolutionOf(const Image& picture) {
  Resolution r{picture.xResolution, picture.yResolution, picture.resolutionUnit};
  if (hasDibHeader(picture)) {
    BITMAPINFOHEADER h;
    std::memcpy(&h, picture.dib, sizeof h);
    r.xPerMeter = h.biXPelsPerMeter;
    r.yPerMeter = h.biYPelsPerMeter;
  }
  return r;
}

void putBack(const Resolution& r, Image& picture) {
  picture.xResolution = r.x;
  picture.yResolution = r.y;
  picture.resolutionUnit = r.unit;
  if (!hasDibHeader(picture)) return;
  BITMAPINFOHEADER h;
  std::memcpy(&h, picture.dib, sizeof h);
  h.biXPelsPerMeter = r.xPerMeter;
  h.biYPelsPerMeter = r.yPerMeter;
  std::memcpy(picture.dib, &h, sizeof h);
}

}  // namespace

BOOL COrlimCtrl::AddText(BOOL, BOOL maintainSize) {
  if (!hasPicture()) return FALSE;
  // No text: nothing to stamp, and the picture is left exactly as it is.
  if (textLabel.TextContent.empty()) return FALSE;
  CWaitCursor wait;
  fullResolutionForWork();
  const BOOL result = stampLabel(maintainSize);
  textLabel.labelImage.reset(true);
  restoreDisplayResolution();
  return result;
}

BOOL COrlimCtrl::stampLabel(BOOL maintainSize) {
  const std::string shownName = fileNameOf(picturePath);
  textLabel.labelFileName = shownName.c_str();
  const int rendered = renderLabel(textLabel);
  textLabel.labelFileName = nullptr;
  if (!rendered) {
    showControlError("Failed to create the text label!");
    return FALSE;
  }
  const Resolution resolution = resolutionOf(image);
  const int width = image.width, height = image.height;
  if (maintainSize) {
    const Image& label = textLabel.labelImage;
    const SizeKeepingResize shrink =
        sizeKeepingResize(textLabel.TextPosition, width, height, label.width, label.height);
    if (shrink.needed && !image.resize(shrink.width, shrink.height, kFilterWindowed)) {
      showControlError(shrink.failureMessage);
      return FALSE;
    }
  }
  const int inserted = insertLabel(textLabel, image);
  if (inserted || image.width != width || image.height != height) {
    // Also a picture reduced or enlarged on the way no longer matches its file.
    putBack(resolution, image);
    markGridEdited();
  }
  if (!inserted) showControlError("Failed to insert the text label!");
  return asBool(inserted);
}

}  // namespace orlim
