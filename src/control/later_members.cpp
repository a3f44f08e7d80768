// Members of the automation interface whose behaviour arrives with the view,
// mouse, clipboard and command work. Each answers as the control does without a
// picture: setters change nothing, methods return FALSE. A member moves out of
// this file when its real handling is written.
#include "control/OrlimCtrl.h"

namespace orlim {

BOOL COrlimCtrl::CopyToClipboard() { return FALSE; }
BOOL COrlimCtrl::PasteFromClipboard() { return FALSE; }
BOOL COrlimCtrl::FlipImage() { return FALSE; }
BOOL COrlimCtrl::MirrorImage() { return FALSE; }
BOOL COrlimCtrl::NegativeImage() { return FALSE; }
BOOL COrlimCtrl::GrayImage() { return FALSE; }
BOOL COrlimCtrl::RotateImage(float) { return FALSE; }
BOOL COrlimCtrl::SaveAsJpeg(const std::string&, LONG, LONG, BOOL, LONG, const std::string&) { return FALSE; }
BOOL COrlimCtrl::SaveAsBmp(const std::string&) { return FALSE; }
BOOL COrlimCtrl::SaveAsPnm(const std::string&) { return FALSE; }
BOOL COrlimCtrl::ResizeImage(LONG, LONG, LONG) { return FALSE; }
BOOL COrlimCtrl::CropImage() { return FALSE; }
BOOL COrlimCtrl::SaveSelectionAsJpeg(const std::string&, LONG, LONG, BOOL, LONG, const std::string&) {
  return FALSE;
}
BOOL COrlimCtrl::SaveSelectionAsBmp(const std::string&) { return FALSE; }
BOOL COrlimCtrl::SaveSelectionAsPnm(const std::string&) { return FALSE; }
LONG COrlimCtrl::TextOptions(BOOL) { return 0; }
BOOL COrlimCtrl::AddText(BOOL, BOOL) { return FALSE; }
BOOL COrlimCtrl::SaveAsTiff(const std::string&, LONG, LONG, const std::string&, BOOL) { return FALSE; }
BOOL COrlimCtrl::SaveSelectionAsTiff(const std::string&, std::int16_t, LONG, const std::string&, BOOL) {
  return FALSE;
}
void COrlimCtrl::AboutBox() {}

}  // namespace orlim
