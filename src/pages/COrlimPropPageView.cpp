#include "pages/COrlimPropPageView.h"

namespace orlim {

namespace {
using K = DialogItemKind;
constexpr unsigned kSpinStyle = kSetBuddyInt | kArrowKeys | kNoThousands | kAlignRight;
}  // namespace

const DialogTemplate& viewPageTemplate() {
  static const DialogTemplate page{
      kViewPageTemplate,
      "Display",
      250,
      110,
      "MS Sans Serif",
      8,
      {
          {-1, K::GroupBox, "Zooming", 0, {7, 7, 121, 103}},
          {IDC_FANCY_ZOOM, K::CheckBox, "DjVu fancy zoom", 0, {14, 19, 114, 29}, kGroupStart},
          {-1, K::Static, "Auto fit:", 0, {14, 33, 60, 41}},
          {IDC_AUTOFIT_NONE, K::RadioButton, "None", 0, {20, 43, 80, 52}, kGroupStart},
          {IDC_AUTOFIT_WIDTH, K::RadioButton, "Width", 0, {20, 53, 80, 62}},
          {IDC_AUTOFIT_IMAGE, K::RadioButton, "Image", 0, {20, 63, 80, 72}},
          {-1, K::Static, "Zoom level:", 0, {14, 78, 60, 86}},
          {IDC_ZOOM_LEVEL, K::Edit, "", 0, {14, 88, 50, 100}, kGroupStart},
          {IDC_ZOOM_SPIN, K::UpDown, "Spin1", 0, {50, 88, 60, 100}, kSpinStyle, IDC_ZOOM_LEVEL},
          {-1, K::GroupBox, "Miscellaneous", 0, {128, 7, 243, 103}},
          {IDC_SCROLLBARS, K::CheckBox, "Scrollbars", 0, {135, 19, 236, 29}, kGroupStart},
          {IDC_DITHER, K::CheckBox, "Dither", 0, {135, 31, 236, 41}, kGroupStart},
          {-1, K::Static, "DjVu layer:", 0, {135, 45, 236, 53}},
          {IDC_LAYER_COLOR, K::RadioButton, "Color", 0, {141, 55, 236, 64}, kGroupStart},
          {IDC_LAYER_BLACK_AND_WHITE, K::RadioButton, "B&&W", 0, {141, 65, 236, 74}},
          {IDC_LAYER_BACKGROUND, K::RadioButton, "Background", 0, {141, 75, 236, 84}},
          {IDC_LAYER_FOREGROUND, K::RadioButton, "Foreground", 0, {141, 85, 236, 94}},
      },
      true,
  };
  return page;
}

COrlimPropPageView::COrlimPropPageView()
    : COlePropertyPage(viewPageTemplate(), "Display",
                       {
                           {IDC_DITHER, PropertyBindingKind::Check, "Dither"},
                           {IDC_FANCY_ZOOM, PropertyBindingKind::Check, "FancyZoom"},
                           {IDC_SCROLLBARS, PropertyBindingKind::Check, "ScrollBars"},
                           {IDC_ZOOM_LEVEL, PropertyBindingKind::Integer, "ZoomLevel"},
                           {IDC_AUTOFIT_NONE, PropertyBindingKind::Radio, "AutoFit"},
                           {IDC_LAYER_COLOR, PropertyBindingKind::Radio, "DjvuLayer"},
                       }) {}

}  // namespace orlim
