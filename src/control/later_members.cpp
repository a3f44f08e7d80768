// Members of the automation interface whose behaviour arrives with the view,
// mouse work and the text options dialog. Each answers as the control does without a
// picture: setters change nothing, methods return FALSE. A member moves out of
// this file when its real handling is written.
#include "control/OrlimCtrl.h"

namespace orlim {

void COrlimCtrl::SetScrollPosX(LONG) {}
void COrlimCtrl::SetScrollPosY(LONG) {}
void COrlimCtrl::SetScrollBars(BOOL) {}
void COrlimCtrl::SetViewMode(LONG) {}
void COrlimCtrl::SetImageSelectionLeft(LONG) {}
void COrlimCtrl::SetImageSelectionTop(LONG) {}
void COrlimCtrl::SetImageSelectionRight(LONG) {}
void COrlimCtrl::SetImageSelectionBottom(LONG) {}
BOOL COrlimCtrl::SelectionRectangle(LONG, LONG, LONG, LONG) { return FALSE; }
BOOL COrlimCtrl::DrawRectangle(LONG, LONG, LONG, LONG, LONG, LONG, LONG) { return FALSE; }
LONG COrlimCtrl::TextOptions(BOOL) { return 0; }

}  // namespace orlim
