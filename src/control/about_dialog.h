// The About dialog's template and the resources it names.
#pragma once

#include "platform/Dialog.h"

namespace orlim {

constexpr int kAboutDialogResource = 1;
constexpr int kAboutLogoBitmap = 201;
constexpr int kAboutDjvuBitmap = 205;
constexpr int kAboutImagingBitmap = 206;

const DialogTemplate& aboutDialogTemplate();

}  // namespace orlim
