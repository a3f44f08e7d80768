#include "pages/COrlimPropPage.h"

#include "module/OrlimModule.h"

namespace orlim {

const char* const kPictureFileFilter =
    "DjVu file (*.djvu;*.djv)|*.djvu;*.djv|IW44 file (*.iw44;*.iw4)|*.iw44;*.iw4|Windows Bitmap (*.bmp)|*.bmp|"
    "JPEG file (*.jpg;*.jpeg)|*.jpg;*.jpeg|TIFF file (*.tif;*.tiff)|*.tif;*.tiff|"
    "PNM file (*.ppm;*.pgm;*.pbm)|*.ppm;*.pgm;*.pbm|All supported image files|"
    "*.djvu;*.djv;*.iw44;*.iw4;*.bmp;*.jpg;*.jpeg;*.tif;*.tiff;*.ppm;*.pgm;*.pbm||";

namespace {

using K = DialogItemKind;

// The one place the page reaches the module-wide state of the open-file dialog:
// its start folder and the filter index to remember between browses.
COrlimModule& openFileState() { return moduleState(); }

}  // namespace

const DialogTemplate& generalPageTemplate() {
  static const DialogTemplate page{
      kGeneralPageTemplate,
      "General",
      250,
      110,
      "MS Sans Serif",
      8,
      {
          {-1, K::GroupBox, "Image properties", 0, {7, 7, 243, 64}},
          {-1, K::Static, "Width:", 0, {14, 20, 42, 28}},
          {IDC_IMAGE_WIDTH, K::Static, "", 0, {44, 20, 84, 28}},
          {-1, K::Static, "Height:", 0, {90, 20, 118, 28}},
          {IDC_IMAGE_HEIGHT, K::Static, "", 0, {120, 20, 160, 28}},
          {-1, K::Static, "Depth:", 0, {166, 20, 194, 28}},
          {IDC_IMAGE_DEPTH, K::Static, "", 0, {196, 20, 236, 28}},
          {-1, K::Static, "ResX:", 0, {14, 34, 42, 42}},
          {IDC_IMAGE_RESX, K::Static, "", 0, {44, 34, 84, 42}},
          {-1, K::Static, "ResY:", 0, {90, 34, 118, 42}},
          {IDC_IMAGE_RESY, K::Static, "", 0, {120, 34, 160, 42}},
          {-1, K::Static, "Pages in file:", 0, {14, 48, 62, 56}},
          {IDC_PAGES, K::Static, "", 0, {64, 48, 100, 56}},
          {-1, K::Static, "Current page:", 0, {120, 48, 170, 56}},
          {IDC_CURRENT_PAGE, K::Edit, "", 0, {172, 46, 210, 58}, kGroupStart},
          {IDC_BROWSE_PICTURE, K::Button, "Picture", 0, {7, 74, 57, 88}, kGroupStart},
          {IDC_PICTURE, K::Edit, "", 0, {62, 75, 243, 87}, kGroupStart},
      },
      true,
  };
  return page;
}

COrlimPropPage::COrlimPropPage()
    : COlePropertyPage(generalPageTemplate(), "General",
                       {
                           {IDC_IMAGE_DEPTH, PropertyBindingKind::Text, "ImageDepth"},
                           {IDC_IMAGE_HEIGHT, PropertyBindingKind::Text, "ImageHeight"},
                           {IDC_IMAGE_RESX, PropertyBindingKind::Text, "ImageResX"},
                           {IDC_IMAGE_RESY, PropertyBindingKind::Text, "ImageResY"},
                           {IDC_IMAGE_WIDTH, PropertyBindingKind::Text, "ImageWidth"},
                           {IDC_PICTURE, PropertyBindingKind::Text, "Picture"},
                           {IDC_PAGES, PropertyBindingKind::Text, "Pages"},
                           {IDC_CURRENT_PAGE, PropertyBindingKind::Integer, "CurrentPage"},
                       }) {}

void COrlimPropPage::OnCommand(int id) {
  if (id == IDC_BROWSE_PICTURE) browsePicture();
}

void COrlimPropPage::browsePicture() {
  COrlimModule& state = openFileState();
  OpenFileRequest request;
  request.title = "Open";
  request.filter = kPictureFileFilter;
  request.filterIndex = state.fileOpenFilterIndex;
  request.initialDir = state.initialOpenDir;
  request.fileName = GetDlgItemText(IDC_PICTURE);
  request.flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER;
  request.maxFileName = 260;
  if (!GetOpenFileName(request, owner())) return;
  SetDlgItemText(IDC_PICTURE, request.fileName);
  SetControlStatus(IDC_PICTURE, true);
  state.fileOpenFilterIndex = request.filterIndex;
}

}  // namespace orlim
