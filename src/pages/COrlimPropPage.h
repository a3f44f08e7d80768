// The general property page (template 200): the picture's read-only facts, the
// page to show, and the picture path with a button that browses for a file.
#pragma once

#include <string>

#include "platform/CommonDialogs.h"
#include "platform/PropertySheet.h"

namespace orlim {

constexpr int kGeneralPageTemplate = 200;
constexpr int IDC_IMAGE_WIDTH = 210;
constexpr int IDC_IMAGE_HEIGHT = 211;
constexpr int IDC_IMAGE_DEPTH = 212;
constexpr int IDC_IMAGE_RESY = 214;
constexpr int IDC_IMAGE_RESX = 215;
constexpr int IDC_PAGES = 218;
constexpr int IDC_CURRENT_PAGE = 209;
constexpr int IDC_BROWSE_PICTURE = 208;
constexpr int IDC_PICTURE = 207;

// What the browse button's open-file dialog lists.
extern const char* const kPictureFileFilter;

const DialogTemplate& generalPageTemplate();

class COrlimPropPage : public COlePropertyPage {
 public:
  COrlimPropPage();

  // The browse button: an open-file dialog over the page; OK puts the chosen
  // path into the Picture field, marks it changed and remembers the filter.
  void browsePicture();

 protected:
  void OnCommand(int id) override;
};

}  // namespace orlim
