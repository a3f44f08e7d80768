// The display property page (template 209): zooming, scroll bars, dithering and
// the DjVu layer.
#pragma once

#include "platform/PropertySheet.h"

namespace orlim {

constexpr int kViewPageTemplate = 209;
constexpr int IDC_AUTOFIT_NONE = 203;
constexpr int IDC_AUTOFIT_WIDTH = 204;
constexpr int IDC_AUTOFIT_IMAGE = 205;
constexpr int IDC_ZOOM_LEVEL = 206;
constexpr int IDC_FANCY_ZOOM = 216;
constexpr int IDC_DITHER = 217;
constexpr int IDC_SCROLLBARS = 219;
constexpr int IDC_ZOOM_SPIN = 220;
constexpr int IDC_LAYER_COLOR = 221;
constexpr int IDC_LAYER_BLACK_AND_WHITE = 222;
constexpr int IDC_LAYER_BACKGROUND = 223;
constexpr int IDC_LAYER_FOREGROUND = 224;

const DialogTemplate& viewPageTemplate();

class COrlimPropPageView : public COlePropertyPage {
 public:
  COrlimPropPageView();
};

}  // namespace orlim
