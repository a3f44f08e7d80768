// "Text position details" (template 185): the anchor of a label against its
// reference (nine push-like buttons) and the two paddings.
#pragma once

#include "label/TextLabel.h"
#include "platform/CDialog.h"

namespace orlim {

constexpr int kTextPositionTemplate = 185;
constexpr int IDC_ANCHOR_TOP_LEFT = 1231;
constexpr int IDC_ANCHOR_LEFT = 1232;
constexpr int IDC_ANCHOR_BOTTOM_LEFT = 1233;
constexpr int IDC_ANCHOR_TOP = 1234;
constexpr int IDC_ANCHOR_CENTER = 1235;
constexpr int IDC_ANCHOR_BOTTOM = 1236;
constexpr int IDC_ANCHOR_TOP_RIGHT = 1237;
constexpr int IDC_ANCHOR_RIGHT = 1238;
constexpr int IDC_ANCHOR_BOTTOM_RIGHT = 1239;
constexpr int IDC_HORIZONTAL_PADDING = 1173;
constexpr int IDC_HORIZONTAL_SPIN = 1176;
constexpr int IDC_VERTICAL_PADDING = 1241;
constexpr int IDC_VERTICAL_SPIN = 1242;
constexpr int IDC_DIALOG_HELP = 1130;
constexpr int kMaxPadding = 32767;

const DialogTemplate& textPositionTemplate();

class TextPositionDialog : public CDialog {
 public:
  TextPositionDialog() : CDialog(textPositionTemplate()) {}

  int position = kLabelOnPicture;           // in
  int anchor = 1;                           // in, out: 1..9
  int horizontalPadding = 0;                // in, out
  int verticalPadding = 0;                  // in, out
  int pictureWidth = 0, pictureHeight = 0;  // in, not used

  // The anchor buttons in the order of their radio group (index = anchor - 1).
  static const int kAnchorButtons[9];

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange& dx) override;
  void OnCommand(int id) override;

 private:
  void anchorClicked(int newAnchor);
  int anchorButtonIndex_ = -1;
};

}  // namespace orlim
