#include "pages/TextPositionDialog.h"

#include <algorithm>

namespace orlim {

namespace {

using K = DialogItemKind;
constexpr unsigned kAnchorStyle = kPushLike | kMultiLine;
constexpr unsigned kSpinStyle = kSetBuddyInt | kArrowKeys | kNoThousands | kAlignRight;

bool horizontalPaddingUsed(int anchor) { return anchor != 2 && anchor != 5 && anchor != 8; }
bool verticalPaddingUsed(int anchor) { return anchor < 4 || anchor > 6; }

}  // namespace

const int TextPositionDialog::kAnchorButtons[9] = {
    IDC_ANCHOR_TOP_LEFT, IDC_ANCHOR_TOP,         IDC_ANCHOR_TOP_RIGHT, IDC_ANCHOR_LEFT,         IDC_ANCHOR_CENTER,
    IDC_ANCHOR_RIGHT,    IDC_ANCHOR_BOTTOM_LEFT, IDC_ANCHOR_BOTTOM,    IDC_ANCHOR_BOTTOM_RIGHT,
};

const DialogTemplate& textPositionTemplate() {
  static const DialogTemplate dialog{
      kTextPositionTemplate,
      "Text position details",
      186,
      153,
      "MS Sans Serif",
      8,
      {
          {-1, K::GroupBox, "Anchor text", 0, {7, 7, 179, 86}},
          {IDC_ANCHOR_TOP_LEFT, K::RadioButton, "Top\nLeft", 0, {16, 18, 64, 38}, kAnchorStyle | kGroupStart},
          {IDC_ANCHOR_TOP, K::RadioButton, "Top", 0, {69, 18, 117, 38}, kAnchorStyle},
          {IDC_ANCHOR_TOP_RIGHT, K::RadioButton, "Top\nRight", 0, {122, 18, 170, 38}, kAnchorStyle},
          {IDC_ANCHOR_LEFT, K::RadioButton, "Left", 0, {16, 41, 64, 61}, kAnchorStyle},
          {IDC_ANCHOR_CENTER, K::RadioButton, "Center", 0, {69, 41, 117, 61}, kAnchorStyle},
          {IDC_ANCHOR_RIGHT, K::RadioButton, "Right", 0, {122, 41, 170, 61}, kAnchorStyle},
          {IDC_ANCHOR_BOTTOM_LEFT, K::RadioButton, "Bottom\nLeft", 0, {16, 64, 64, 84}, kAnchorStyle},
          {IDC_ANCHOR_BOTTOM, K::RadioButton, "Bottom", 0, {69, 64, 117, 84}, kAnchorStyle},
          {IDC_ANCHOR_BOTTOM_RIGHT, K::RadioButton, "Bottom\nRight", 0, {122, 64, 170, 84}, kAnchorStyle},
          {-1, K::GroupBox, "Padding", 0, {7, 90, 179, 128}, kGroupStart},
          {1171, K::Static, "Horizontal padding:", 0, {14, 102, 90, 110}},
          {IDC_HORIZONTAL_PADDING, K::Edit, "", 0, {94, 100, 138, 112}, kGroupStart},
          {IDC_HORIZONTAL_SPIN, K::UpDown, "Spin3", 0, {138, 100, 148, 112}, kSpinStyle, IDC_HORIZONTAL_PADDING},
          {1230, K::Static, "Vertical padding:", 0, {14, 116, 90, 124}},
          {IDC_VERTICAL_PADDING, K::Edit, "", 0, {94, 114, 138, 126}, kGroupStart},
          {IDC_VERTICAL_SPIN, K::UpDown, "Spin3", 0, {138, 114, 148, 126}, kSpinStyle, IDC_VERTICAL_PADDING},
          {IDOK, K::Button, "&OK", 0, {17, 133, 67, 147}, kDefaultButton | kGroupStart},
          {IDCANCEL, K::Button, "&Cancel", 0, {73, 133, 123, 147}},
          {IDC_DIALOG_HELP, K::Button, "&Help", 0, {129, 133, 179, 147}},
      },
  };
  return dialog;
}

BOOL TextPositionDialog::OnInitDialog() {
  if (position == kLabelAbove || position == kLabelBelow) {
    // Above or below: only the middle row places the label along the edge.
    if (anchor < 4 || anchor > 6) anchor = 5;
    for (int id : {IDC_ANCHOR_TOP, IDC_ANCHOR_TOP_LEFT, IDC_ANCHOR_TOP_RIGHT, IDC_ANCHOR_BOTTOM, IDC_ANCHOR_BOTTOM_LEFT,
                   IDC_ANCHOR_BOTTOM_RIGHT})
      EnableItem(id, false);
  } else if (position == kLabelLeft || position == kLabelRight) {
    // Left or right: only the middle column.
    if (anchor != 2 && anchor != 5 && anchor != 8) anchor = 5;
    for (int id : {IDC_ANCHOR_TOP_LEFT, IDC_ANCHOR_LEFT, IDC_ANCHOR_BOTTOM_LEFT, IDC_ANCHOR_TOP_RIGHT, IDC_ANCHOR_RIGHT,
                   IDC_ANCHOR_BOTTOM_RIGHT})
      EnableItem(id, false);
  }
  SetRange(IDC_HORIZONTAL_SPIN, 0, kMaxPadding);
  SetRange(IDC_VERTICAL_SPIN, 0, kMaxPadding);
  if (anchor >= 1 && anchor <= 9) anchorButtonIndex_ = anchor - 1;
  UpdateData(false);
  return TRUE;
}

void TextPositionDialog::DoDataExchange(CDataExchange& dx) {
  DDX_Text(dx, IDC_HORIZONTAL_PADDING, horizontalPadding);
  DDV_MinMaxInt(dx, IDC_HORIZONTAL_PADDING, horizontalPadding, 0, kMaxPadding);
  DDX_Text(dx, IDC_VERTICAL_PADDING, verticalPadding);
  DDV_MinMaxInt(dx, IDC_VERTICAL_PADDING, verticalPadding, 0, kMaxPadding);
  DDX_Radio(dx, IDC_ANCHOR_TOP_LEFT, anchorButtonIndex_);
}

void TextPositionDialog::OnCommand(int id) {
  const int* button = std::find(std::begin(kAnchorButtons), std::end(kAnchorButtons), id);
  if (button != std::end(kAnchorButtons)) {
    anchorClicked(static_cast<int>(button - kAnchorButtons) + 1);
    return;
  }
  CDialog::OnCommand(id);
}

void TextPositionDialog::anchorClicked(int newAnchor) {
  anchor = newAnchor;
  const bool horizontal = horizontalPaddingUsed(anchor), vertical = verticalPaddingUsed(anchor);
  EnableItem(IDC_HORIZONTAL_PADDING, horizontal);
  EnableItem(IDC_HORIZONTAL_SPIN, horizontal);
  EnableItem(IDC_VERTICAL_PADDING, vertical);
  EnableItem(IDC_VERTICAL_SPIN, vertical);
}

}  // namespace orlim
