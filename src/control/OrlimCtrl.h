// COrlimCtrl: the image control. Its state and automation interface live in
// state.cpp and dispatch_map.cpp, picture loading in loading.cpp; the other
// concerns (drawing, scrolling, mouse, clipboard, commands) in their own files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "control/autofit.h"
#include "image/Image.h"
#include "label/TextLabel.h"
#include "platform/OleControl.h"
#include "platform/RectTracker.h"
#include "platform/orlim_api.h"

namespace orlim {

// Dispatch ids of _DOrlim (by position in the interface).
enum OrlimDispId : DISPID {
  dispidImageHeight = 1,
  dispidImageWidth = 2,
  dispidAutoFit = 3,
  dispidPicture = 4,
  dispidImageDepth = 5,
  dispidImageResX = 6,
  dispidImageResY = 7,
  dispidInitialOpenDir = 8,
  dispidZoomLevel = 9,
  dispidDither = 10,
  dispidFancyZoom = 11,
  dispidPages = 12,
  dispidCurrentPage = 13,
  dispidScrollPosX = 14,
  dispidScrollPosY = 15,
  dispidScrollBars = 16,
  dispidScrollRangeX = 17,
  dispidScrollRangeY = 18,
  dispidClientWidth = 19,
  dispidClientHeight = 20,
  dispidDjvuLayer = 21,
  dispidImageVisibleTop = 22,
  dispidImageVisibleLeft = 23,
  dispidImageVisibleBottom = 24,
  dispidImageVisibleRight = 25,
  dispidViewMode = 26,
  dispidImageSelectionLeft = 27,
  dispidImageSelectionTop = 28,
  dispidImageSelectionRight = 29,
  dispidImageSelectionBottom = 30,
  dispidTextAlign = 31,
  dispidTextOrientation = 32,
  dispidTextForegroundColor = 33,
  dispidTextBackgroundColor = 34,
  dispidTextPosition = 35,
  dispidTextFont = 36,
  dispidTextFontName = 37,
  dispidTextFontSize = 38,
  dispidTextFontWeight = 39,
  dispidTextFontItalic = 40,
  dispidTextFontUnderline = 41,
  dispidTextFontStrikeout = 42,
  dispidTextContent = 43,
  dispidTextTransparentBackground = 44,
  dispidTextAnchor = 45,
  dispidTextOffsetX = 46,
  dispidTextOffsetY = 47,
  dispidShowWarnings = 48,
  dispidClear = 49,
  dispidCopyToClipboard = 50,
  dispidPasteFromClipboard = 51,
  dispidFlipImage = 52,
  dispidMirrorImage = 53,
  dispidNegativeImage = 54,
  dispidGrayImage = 55,
  dispidRotateImage = 56,
  dispidSaveAsJpeg = 57,
  dispidSaveAsBmp = 58,
  dispidSaveAsPnm = 59,
  dispidResizeImage = 60,
  dispidDrawRectangle = 61,
  dispidCropImage = 62,
  dispidSelectionRectangle = 63,
  dispidSaveSelectionAsJpeg = 64,
  dispidSaveSelectionAsBmp = 65,
  dispidSaveSelectionAsPnm = 66,
  dispidTextOptions = 67,
  dispidAddText = 68,
  dispidSaveAsTiff = 69,
  dispidSaveSelectionAsTiff = 70,
};

// Event ids of _DOrlimEvents besides the stock mouse events.
constexpr DISPID eventidPaint = 1;
constexpr DISPID eventidDropFiles = 2;

// The DjVu layer codes of DjvuLayer.
enum DjvuLayerCode : int { kLayerColor = 0, kLayerBlackAndWhite = 1, kLayerBackground = 2, kLayerForeground = 3 };

// The ViewMode values: what dragging with the left button does.
enum ViewMode : int { kPanMode = 0, kSelectionMode = 1 };

// djvuKind: the page kind the DjVu probe found; only a layered page renders by DjvuLayer.
enum DjvuKind : int {
  kDjvuLayered = 1,        // layered or colour
  kDjvuBitonalOrGray = 2,  // a single bitonal or gray layer
  kDjvuBackgroundOnly = 3,
  kDjvuOtherKind = 99,
};

class ORLIM_API COrlimCtrl : public COleControl {
 public:
  COrlimCtrl();
  ~COrlimCtrl() override;

  const DispatchTable& dispatchTable() const override;
  const DispatchTable& eventTable() const override;
  // The two interfaces without a control, for the type library.
  static const DispatchTable& dispatchInterface();
  static const DispatchTable& eventInterface();

  CLSID classId() const override;
  GUID typeLibraryId() const override;
  IID eventInterfaceId() const override;

  // ---- simple properties (state.cpp) ----
  LONG GetImageHeight() const { return image.fullHeight; }
  LONG GetImageWidth() const { return image.fullWidth; }
  LONG GetImageDepth() const { return image.sourceBitsPerPixel; }
  LONG GetImageResX() const { return image.xResolution; }
  LONG GetImageResY() const { return image.yResolution; }
  LONG GetAutoFit() const { return autoFit; }
  void SetAutoFit(LONG value);
  BOOL GetDither() const { return dither; }
  void SetDither(BOOL value);
  BOOL GetFancyZoom() const { return fancyZoom; }
  void SetFancyZoom(BOOL value);
  LONG GetClientWidth() const { return clientWidth; }
  LONG GetClientHeight() const { return clientHeight; }
  LONG GetDjvuLayer() const { return djvuLayer; }
  void SetDjvuLayer(LONG value);
  BOOL GetShowWarnings() const { return showWarnings; }
  void SetShowWarnings(BOOL value);
  LONG GetTextAlign() const { return textLabel.TextAlign; }
  void SetTextAlign(LONG value);
  LONG GetTextOrientation() const { return textLabel.TextOrientation; }
  void SetTextOrientation(LONG value);
  LONG GetTextForegroundColor() const { return static_cast<LONG>(textLabel.TextForegroundColor); }
  void SetTextForegroundColor(LONG value);
  LONG GetTextBackgroundColor() const { return static_cast<LONG>(textLabel.TextBackgroundColor); }
  void SetTextBackgroundColor(LONG value);
  LONG GetTextPosition() const { return textLabel.TextPosition; }
  void SetTextPosition(LONG value);
  void SetTextFont();  // the value is not used
  std::string GetTextFontName() const { return textLabel.font.lfFaceName; }
  void SetTextFontName(const std::string& value);
  LONG GetTextFontSize() const;
  void SetTextFontSize(LONG value);
  LONG GetTextFontWeight() const { return textLabel.font.lfWeight; }
  void SetTextFontWeight(LONG value);
  BOOL GetTextFontItalic() const { return textLabel.font.lfItalic != 0; }
  void SetTextFontItalic(BOOL value);
  BOOL GetTextFontUnderline() const { return textLabel.font.lfUnderline != 0; }
  void SetTextFontUnderline(BOOL value);
  BOOL GetTextFontStrikeout() const { return textLabel.font.lfStrikeOut != 0; }
  void SetTextFontStrikeout(BOOL value);
  std::string GetTextContent() const { return textLabel.TextContent; }
  void SetTextContent(const std::string& value);
  BOOL GetTextTransparentBackground() const { return textLabel.TextTransparentBackground; }
  void SetTextTransparentBackground(BOOL value);
  LONG GetTextAnchor() const { return textLabel.TextAnchor; }
  void SetTextAnchor(LONG value);
  LONG GetTextOffsetX() const { return textLabel.TextOffsetX; }
  void SetTextOffsetX(LONG value);
  LONG GetTextOffsetY() const { return textLabel.TextOffsetY; }
  void SetTextOffsetY(LONG value);
  LONG GetViewMode() const { return viewMode; }
  LONG GetImageSelectionLeft() const { return hasSelection ? selection.left : 0; }
  LONG GetImageSelectionTop() const { return hasSelection ? selection.top : 0; }
  LONG GetImageSelectionRight() const { return hasSelection ? selection.right : 0; }
  LONG GetImageSelectionBottom() const { return hasSelection ? selection.bottom : 0; }
  void Clear();
  void Refresh();

  // ---- loading and pages (loading.cpp) ----
  std::string GetPicture() const { return picturePath; }
  void SetPicture(const std::string& path) { loadPicture(path); }
  LONG GetPages() const;
  LONG GetCurrentPage();
  void SetCurrentPage(LONG value);
  std::string GetInitialOpenDir() const;
  void SetInitialOpenDir(const std::string& value);
  LONG GetZoomLevel() const { return zoomLevel; }
  void SetZoomLevel(LONG value);

  void loadPicture(const std::string& path);
  void applyAutoFit();
  BOOL reRender(int depth, int zoom);
  void reRenderCurrent();
  void clearView(BOOL releaseImage);
  int classifyDjvuFile(const char* path, int& type, int& kind);
  // The same for page `page` (0-based) of a multi-page document, which it sets to
  // the page the probe settled on (the first when the document has no such page).
  int classifyDjvuFile(const char* path, int& type, int& kind, int& page);
  // Bits per pixel the JPEG reader and the DjVu renderer are asked for.
  int targetDepth() const { return dither ? deviceBitsPerPixel : 24; }

  // ---- scrolling and visible region (scrolling.cpp) ----
  void updateScrollBars(BOOL previousScrollBars);
  LONG GetScrollPosX() const { return scrollPosX; }
  LONG GetScrollPosY() const { return scrollPosY; }
  BOOL GetScrollBars() const { return scrollBars; }
  LONG GetScrollRangeX() const;
  LONG GetScrollRangeY() const;
  LONG GetImageVisibleLeft() const;
  LONG GetImageVisibleTop() const;
  LONG GetImageVisibleRight() const;
  LONG GetImageVisibleBottom() const;
  // The picture's size on screen at the current zoom, aspect corrected.
  void zoomedSize(std::int64_t& width, std::int64_t& height) const;

  // ---- drawing, scroll messages, mouse (view.cpp, scrolling.cpp, mouse.cpp) ----
  void OnDraw(DeviceContext& dc, const RECT& bounds, const RECT& invalid) override;
  void OnHScroll(UINT code, UINT position) override;
  void OnVScroll(UINT code, UINT position) override;
  void OnLButtonDown(UINT flags, POINT point) override;
  void OnLButtonUp(UINT flags, POINT point) override;
  void OnMouseMove(UINT flags, POINT point) override;
  void OnDropFiles(const std::vector<std::string>& paths) override;
  // Client pixels to full-resolution picture pixels (clamped into the picture
  // when asked) and back; both leave the rectangle alone without a picture.
  void clientToImage(RECT& rect, BOOL clamp) const;
  RECT imageToClient(const RECT& rect) const;
  // Paints now: the waiting paint, or the whole control drawn over itself.
  void repaintNow();

  // ---- scroll and selection setters (scrolling.cpp, mouse.cpp), the clipboard
  // (clipboard.cpp), the commands (commands.cpp, about_box.cpp), the label
  // dialogs (text_options.cpp) ----
  void SetScrollPosX(LONG value);
  void SetScrollPosY(LONG value);
  void SetScrollBars(BOOL value);
  void SetViewMode(LONG value);
  void SetImageSelectionLeft(LONG value);
  void SetImageSelectionTop(LONG value);
  void SetImageSelectionRight(LONG value);
  void SetImageSelectionBottom(LONG value);
  BOOL SelectionRectangle(LONG left, LONG top, LONG right, LONG bottom);
  BOOL DrawRectangle(LONG left, LONG top, LONG right, LONG bottom, LONG color, LONG thickness, LONG style);
  BOOL CopyToClipboard();
  BOOL PasteFromClipboard();
  BOOL FlipImage();
  BOOL MirrorImage();
  BOOL NegativeImage();
  BOOL GrayImage();
  BOOL RotateImage(float degrees);
  BOOL SaveAsJpeg(const std::string& path, LONG quality, LONG smooth, BOOL optimizeHuffman, LONG dctMethod,
                  const std::string& comment);
  BOOL SaveAsBmp(const std::string& path);
  BOOL SaveAsPnm(const std::string& path);
  BOOL ResizeImage(LONG newWidth, LONG newHeight, LONG method);
  BOOL CropImage();
  BOOL SaveSelectionAsJpeg(const std::string& path, LONG quality, LONG smooth, BOOL optimizeHuffman, LONG dctMethod,
                           const std::string& comment);
  BOOL SaveSelectionAsBmp(const std::string& path);
  BOOL SaveSelectionAsPnm(const std::string& path);
  LONG TextOptions(BOOL floater);
  BOOL AddText(BOOL floater, BOOL maintainSize);
  BOOL SaveAsTiff(const std::string& path, LONG compression, LONG quality, const std::string& comment, BOOL append);
  BOOL SaveSelectionAsTiff(const std::string& path, std::int16_t compression, LONG quality, const std::string& comment,
                           BOOL append);
  void AboutBox();

  // ---- window messages ----
  void OnCreate() override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnKillFocus() override;
  BOOL OnSetCursor(UINT hitTest) override;
  void OnPaint(const RECT& invalid, bool erase) override;

  // ---- property pages (property_pages.cpp) ----
  // The general page, then the display page.
  std::vector<CLSID> GetPropPageIDs() const override;
  // Picture is edited on the general page (not optional).
  BOOL OnMapPropertyToPage(DISPID id, CLSID& page, BOOL& optional) override;
  std::string GetUserTypeName() const override { return "Orlim Control"; }

  // The control has a picture exactly when the image holds a block.
  bool hasPicture() const { return image.dib != nullptr; }

  // ---- the full-resolution bracket around work on true pixels (commands.cpp) ----
  void fullResolutionForWork();
  void restoreDisplayResolution();

  // ---- state ----
  Image image;
  int viewMode = kPanMode;
  int fileType = kFileNone;
  int djvuKind = kDjvuOtherKind;
  int zoomLevel = 0;
  int previousZoomLevel = 0;
  BOOL fancyZoom = TRUE;
  BOOL dither = TRUE;
  int deviceBitsPerPixel = 24;
  int deviceDpiY = 96;
  int autoFit = kAutoFitNone;
  int djvuLayer = kLayerColor;
  std::string picturePath;
  int currentPage = 0;
  BOOL showWarnings = FALSE;
  TextLabel textLabel;
  // Whether the Add Text dialog's text box shows the label's font; kept between runs.
  BOOL textEditUsesFont = FALSE;
  BOOL dragging = FALSE, noErase = FALSE, hScrollNeeded = FALSE, vScrollNeeded = FALSE;
  BOOL hScrollShown = FALSE, vScrollShown = FALSE;
  int dragStartX = 0, dragStartY = 0, dragX = 0, dragY = 0;
  int clientWidth = 0, clientHeight = 0;
  int scrollPosX = 0, scrollPosY = 0;
  int drawWidth = 0, drawHeight = 0, visibleLeft = 0, visibleTop = 0, visibleWidth = 0, visibleHeight = 0;
  int originX = 0, originY = 0;
  int pageStepX = 0, pageStepY = 0, lineStepX = 0, lineStepY = 0;
  BOOL scrollBars = TRUE;
  BOOL forceErase = FALSE;
  BOOL overlayShown = FALSE;
  RECT overlayRect{};
  int overlayThickness = 1;
  COLORREF overlayColor = 255;
  int overlayStyle = PS_SOLID;
  BOOL hasSelection = FALSE;
  RECT selection{};
  CRectTracker tracker{RECT{}, CRectTracker::dottedLine};
  // What fullResolutionForWork changed, for restoreDisplayResolution.
  int workZoomLevel = 0;
  BOOL workReRendered = FALSE;

 protected:
  void DoPropExchange(CPropExchange& px) override;
  std::vector<std::unique_ptr<COlePropertyPage>> CreatePropertyPages() override;
  HRESULT invokeMember(const MemberInfo& member, InvokeKind kind, const std::vector<Variant>& args,
                       Variant& result) override;

 private:
  void notifyImageProperties();
  // Runs the DjVu render step on the kept page with the control's settings.
  int renderKeptPage(int depth, int zoom);
  void reapplyEdits(int symmetry, int negative, int gray);
  // Stores a Text... value and tells the container.
  void textPropertyChanged(DISPID id);
  // The steps of the commands (commands.cpp) and the clipboard (clipboard.cpp).
  BOOL saveWholePicture(const std::function<int(Image&)>& write);
  BOOL saveSelection(const std::function<int(Image&)>& write);
  BOOL stampLabel(BOOL maintainSize);
  void markGridEdited();
  bool packClipboardDib(std::vector<std::uint8_t>& block) const;

  // view.cpp
  struct DrawPalette;
  DrawPalette selectDrawPalette(DeviceContext& dc) const;
  void releaseDrawPalette(DeviceContext& dc, const DrawPalette& chosen) const;
  void drawPercentages(double& fx, double& fy) const;
  void computeDrawGeometry(const RECT& client, double fx, double fy);
  void blitPicture(DeviceContext& dc, const RECT& bounds, double fx, double fy);
  void reportCopyFailure(DeviceContext& dc, const RECT& bounds, int srcY) const;
  void drawOverlays(DeviceContext& dc);
  // scrolling.cpp
  void showBar(int bar, BOOL needed, BOOL& shown, std::int64_t zoomedLength, int page, int position);
  void setScrollPosition(int bar, LONG value);
  void scrollByRequest(int bar, UINT code, UINT thumb);
  // mouse.cpp
  void pictureFactors(double& ex, double& ey) const;
  void clampToPicture(RECT& r) const;
  void setSelectionCoordinate(LONG RECT::*field, bool horizontal, LONG value, DISPID id);
  bool scrollBarNeeded() const;
  void setCursor(int cursor);
  void trackSelection(POINT start);
  void panTo(POINT point);
  bool panAxis(int bar, std::int64_t wanted);
};

// Zoom level z as a percentage: 100 (z + 1) for z >= 0, 100 / (1 - z) below.
ORLIM_API double zoomPercent(int zoom);

// Horizontal and vertical scale from one base scale: a picture whose resolutions
// differ is stretched along the axis of the lower one, so it keeps its shape.
ORLIM_API void aspectCorrected(double base, int xResolution, int yResolution, double& fx, double& fy);

// Shows an error box for the control: the modal error icon with an OK button.
ORLIM_API void showControlError(const std::string& text);

// Installs the process-wide reporting hooks of the format and DjVu code so that
// their messages reach the application message box.
ORLIM_API void installProcessHooks();

}  // namespace orlim
