// "Add Text" (template 183): the label's text, alignment, orientation, colours,
// transparency, position beside or on the picture and font; OK goes on to the
// position dialog unless the label floats.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "label/TextLabel.h"
#include "platform/CDialog.h"

namespace orlim {

constexpr int kTextOptionsTemplate = 183;
constexpr int IDC_LABEL_TEXT = 1200;
constexpr int IDC_ALIGN_LEFT = 1201;
constexpr int IDC_ALIGN_CENTER = 1202;
constexpr int IDC_ALIGN_RIGHT = 1203;
constexpr int IDC_ORIENT_HORIZONTAL = 1204;
constexpr int IDC_ORIENT_UPWARD = 1205;
constexpr int IDC_ORIENT_DOWNWARD = 1206;
constexpr int IDC_TEXT_COLOR_CHANGE = 1207;
constexpr int IDC_BACKGROUND_COLOR_CHANGE = 1208;
constexpr int IDC_TRANSPARENT_BACKGROUND = 1209;
constexpr int IDC_TEXT_COLOR_SWATCH = 1210;
constexpr int IDC_BACKGROUND_COLOR_SWATCH = 1211;
constexpr int IDC_SELECT_FONT = 1212;
constexpr int IDC_FONT_NAME = 1214;
constexpr int IDC_FONT_STYLE = 1215;
constexpr int IDC_FONT_SIZE = 1216;
constexpr int IDC_FONT_UNDERLINE = 1217;
constexpr int IDC_FONT_STRIKEOUT = 1218;
constexpr int IDC_POSITION_LEFT = 1219;
constexpr int IDC_POSITION_RIGHT = 1220;
constexpr int IDC_POSITION_ABOVE = 1221;
constexpr int IDC_POSITION_BELOW = 1222;
constexpr int IDC_POSITION_INSIDE = 1223;
constexpr int IDC_EDIT_USES_FONT = 1224;

const DialogTemplate& textOptionsTemplate();

class TextOptionsDialog : public CDialog {
 public:
  TextOptionsDialog() : CDialog(textOptionsTemplate()) {}

  // The picture's colours (empty: not a paletted picture); chosen colours snap to them.
  std::vector<RGBQUAD> palette;
  COLORREF textColor = 0;
  COLORREF backgroundColor = 0xFFFFFF;
  int textColorIndex = 0;                   // out: palette index, or the colour itself without a palette
  int backgroundColorIndex = 0;             // out
  int pictureWidth = 0, pictureHeight = 0;  // handed on to the position dialog
  int anchor = 1;
  int position = kLabelAbove;
  int horizontalPadding = 0, verticalPadding = 0;
  LOGFONTA font{};
  bool floating = false;
  int alignment = -1;    // 0 left, 1 centre, 2 right
  int orientation = -1;  // 0 left to right, 1 bottom to top, 2 top to bottom
  int editUsesFont = 0;
  int transparentBackground = 0;
  std::string text;

  std::optional<COLORREF> OnCtlColor(int id) const override;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange& dx) override;
  void OnCommand(int id) override;
  void OnOK() override;

 private:
  void describeFont();
  // With a palette: the nearest entry's colour, and its index in `index`;
  // without: the colour itself, which is also its index.
  COLORREF snapColor(COLORREF color, int& index) const;
  void chooseColor(COLORREF& color, int& index);
  void chooseFont();
  void showEditFont();
  void positionClicked(int newOrientation, int newPosition);

  int positionButton_ = -1;  // 0 above, 1 left, 2 inside, 3 right, 4 below
};

}  // namespace orlim
