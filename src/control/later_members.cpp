// Members of the automation interface whose behaviour arrives with the text
// options dialog. Each answers as the control does without a picture. A member
// moves out of this file when its real handling is written.
#include "control/OrlimCtrl.h"

namespace orlim {

LONG COrlimCtrl::TextOptions(BOOL) { return 0; }

}  // namespace orlim
