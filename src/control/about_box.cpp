// The About dialog: dialog resource 1, static lines and three bitmaps, no
// buttons (the close box or Escape ends it), run modally by the platform.
#include "control/OrlimCtrl.h"
#include "control/about_dialog.h"
#include "platform/Dialog.h"

namespace orlim {

const DialogTemplate& aboutDialogTemplate() {
  static const DialogTemplate dialog{
      kAboutDialogResource,
      "About Orlim Control",
      193,
      178,
      "MS Sans Serif",
      8,
      {
          {-1, DialogItemKind::Bitmap, "", kAboutLogoBitmap, {10, 10, 58, 58}},
          {-1, DialogItemKind::Static, "Orlim Control, Version 2.5", 0, {68, 14, 183, 24}},
          {-1,
           DialogItemKind::Static,
           "Copyright (C) the Orlim developers. All rights reserved.",
           0,
           {68, 28, 183, 48}},
          {-1, DialogItemKind::Bitmap, "", kAboutDjvuBitmap, {10, 70, 58, 118}},
          {-1,
           DialogItemKind::Static,
           "DjVu compression technology: DjVuLibre, the open DjVu library.",
           0,
           {68, 74, 183, 104}},
          {-1, DialogItemKind::Bitmap, "", kAboutImagingBitmap, {10, 128, 183, 168}},
      },
  };
  return dialog;
}

void COrlimCtrl::AboutBox() { runModalDialog(aboutDialogTemplate(), GetWindow()); }

}  // namespace orlim
