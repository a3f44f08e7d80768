#include "pages/TextOptionsDialog.h"

#include "pages/TextPositionDialog.h"
#include "pages/font_description.h"
#include "platform/CommonDialogs.h"
#include "platform/Window.h"
#include "platform/palette_match.h"

namespace orlim {

namespace {

using K = DialogItemKind;
constexpr unsigned kPositionStyle = kPushLike;

// The screen's vertical pixels per logical inch, as the dialog's window sees it.
int screenPixelsPerInch(const Window* owner) { return owner ? owner->GetDisplayCaps().dpiY : 96; }

}  // namespace

const DialogTemplate& textOptionsTemplate() {
  static const DialogTemplate dialog{
      kTextOptionsTemplate,
      "Add Text",
      270,
      247,
      "MS Sans Serif",
      8,
      {
          {-1, K::GroupBox, "Alignment", 0, {7, 7, 130, 50}},
          {IDC_ALIGN_LEFT, K::RadioButton, "Left", 0, {14, 18, 120, 27}, kGroupStart},
          {IDC_ALIGN_CENTER, K::RadioButton, "Center", 0, {14, 28, 120, 37}},
          {IDC_ALIGN_RIGHT, K::RadioButton, "Right", 0, {14, 38, 120, 47}},
          {-1, K::GroupBox, "Orientation", 0, {7, 54, 130, 97}},
          {IDC_ORIENT_HORIZONTAL, K::RadioButton, "Left to right", 0, {14, 65, 120, 74}, kGroupStart},
          {IDC_ORIENT_UPWARD, K::RadioButton, "Bottom to top", 0, {14, 75, 120, 84}},
          {IDC_ORIENT_DOWNWARD, K::RadioButton, "Top to bottom", 0, {14, 85, 120, 94}},
          {-1, K::GroupBox, "Color", 0, {7, 101, 130, 181}},
          {-1, K::Static, "Text", 0, {14, 115, 58, 123}},
          {IDC_TEXT_COLOR_SWATCH, K::Static, "", 0, {60, 112, 82, 125}, kSunken},
          {IDC_TEXT_COLOR_CHANGE, K::Button, "Change", 0, {88, 111, 124, 125}, kGroupStart},
          {-1, K::Static, "Background", 0, {14, 134, 58, 142}},
          {IDC_BACKGROUND_COLOR_SWATCH, K::Static, "", 0, {60, 131, 82, 144}, kSunken},
          {IDC_BACKGROUND_COLOR_CHANGE, K::Button, "Change", 0, {88, 130, 124, 144}, kGroupStart},
          {IDC_TRANSPARENT_BACKGROUND, K::CheckBox, "Transparent background", 0, {14, 155, 124, 165}, kGroupStart},
          {-1, K::GroupBox, "Position", 0, {137, 7, 263, 97}},
          {IDC_POSITION_ABOVE, K::RadioButton, "&Above", 0, {172, 17, 228, 31}, kPositionStyle | kGroupStart},
          {IDC_POSITION_LEFT, K::RadioButton, "&L\ne\nf\nt", 0, {145, 33, 167, 79}, kPositionStyle | kMultiLine},
          {IDC_POSITION_INSIDE, K::RadioButton, "&Inside", 0, {172, 49, 228, 63}, kPositionStyle},
          {IDC_POSITION_RIGHT, K::RadioButton, "&R\ni\ng\nh\nt", 0, {233, 33, 255, 79}, kPositionStyle | kMultiLine},
          {IDC_POSITION_BELOW, K::RadioButton, "&Below", 0, {172, 81, 228, 95}, kPositionStyle},
          {-1, K::GroupBox, "Font", 0, {137, 101, 263, 181}, kGroupStart},
          {IDC_FONT_NAME, K::Static, "Name:", 0, {144, 112, 258, 120}},
          {IDC_FONT_STYLE, K::Static, "Style:", 0, {144, 122, 258, 130}},
          {IDC_FONT_SIZE, K::Static, "Size:", 0, {144, 132, 258, 140}},
          {IDC_FONT_UNDERLINE, K::Static, "Underline:", 0, {144, 142, 258, 150}},
          {IDC_FONT_STRIKEOUT, K::Static, "Strikeout:", 0, {144, 152, 258, 160}},
          {IDC_SELECT_FONT, K::Button, "Select &Font", 0, {144, 163, 214, 177}, kGroupStart},
          {-1, K::Static, "Text to be added:", 0, {7, 187, 90, 195}},
          {IDC_EDIT_USES_FONT, K::CheckBox, "&Edit box uses selected font", 0, {137, 186, 263, 196}, kGroupStart},
          {IDC_LABEL_TEXT,
           K::Edit,
           "",
           0,
           {7, 198, 263, 222},
           kMultiLine | kWantReturn | kVerticalScroll | kGroupStart},
          {IDC_DIALOG_HELP, K::Button, "&Help", 0, {7, 227, 57, 241}, kGroupStart},
          {IDOK, K::Button, "&OK", 0, {157, 227, 207, 241}, kDefaultButton},
          {IDCANCEL, K::Button, "&Cancel", 0, {213, 227, 263, 241}},
      },
  };
  return dialog;
}

std::optional<COLORREF> TextOptionsDialog::OnCtlColor(int id) const {
  if (id == IDC_TEXT_COLOR_SWATCH) return textColor;
  if (id == IDC_BACKGROUND_COLOR_SWATCH) return backgroundColor;
  return std::nullopt;
}

BOOL TextOptionsDialog::OnInitDialog() {
  describeFont();
  showEditFont();
  textColor = snapColor(textColor, textColorIndex);
  backgroundColor = snapColor(backgroundColor, backgroundColorIndex);
  switch (position) {
    case kLabelAbove: positionButton_ = 0; break;
    case kLabelLeft: positionButton_ = 1; break;
    case kLabelOnPicture: positionButton_ = 2; break;
    case kLabelRight: positionButton_ = 3; break;
    case kLabelBelow: positionButton_ = 4; break;
    default: break;
  }
  UpdateData(false);
  return TRUE;
}

void TextOptionsDialog::DoDataExchange(CDataExchange& dx) {
  DDX_Radio(dx, IDC_ALIGN_LEFT, alignment);
  DDX_Radio(dx, IDC_ORIENT_HORIZONTAL, orientation);
  DDX_Radio(dx, IDC_POSITION_ABOVE, positionButton_);
  DDX_Check(dx, IDC_EDIT_USES_FONT, editUsesFont);
  DDX_Check(dx, IDC_TRANSPARENT_BACKGROUND, transparentBackground);
  DDX_Text(dx, IDC_LABEL_TEXT, text);
}

void TextOptionsDialog::describeFont() {
  const FontDescription d = orlim::describeFont(font, screenPixelsPerInch(owner()));
  SetDlgItemText(IDC_FONT_NAME, d.name);
  SetDlgItemText(IDC_FONT_SIZE, d.size);
  SetDlgItemText(IDC_FONT_STYLE, d.style);
  SetDlgItemText(IDC_FONT_UNDERLINE, d.underline);
  SetDlgItemText(IDC_FONT_STRIKEOUT, d.strikeout);
}

void TextOptionsDialog::showEditFont() { SetItemFont(IDC_LABEL_TEXT, editUsesFont ? &font : nullptr); }

COLORREF TextOptionsDialog::snapColor(COLORREF color, int& index) const {
  if (palette.empty()) {
    index = static_cast<int>(color);
    return color;
  }
  const UINT nearest = GetNearestPaletteIndex(palette.data(), static_cast<int>(palette.size()), color);
  index = static_cast<int>(nearest);
  const RGBQUAD& entry = palette[nearest];
  return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
}

void TextOptionsDialog::chooseColor(COLORREF& color, int& index) {
  ColorRequest request;
  request.color = color;
  request.flags = CC_FULLOPEN | CC_ANYCOLOR | CC_RGBINIT;
  if (!ChooseColor(request, owner())) return;
  color = snapColor(request.color & 0x00FFFFFF, index);
}

void TextOptionsDialog::chooseFont() {
  FontRequest request;
  request.font = font;
  request.color = textColor;
  request.flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  if (!ChooseFont(request, owner())) return;
  font = request.font;
  describeFont();
  showEditFont();
}

void TextOptionsDialog::positionClicked(int newOrientation, int newPosition) {
  UpdateData(true);
  orientation = newOrientation;
  position = newPosition;
  UpdateData(false);
}

void TextOptionsDialog::OnCommand(int id) {
  switch (id) {
    case IDC_TEXT_COLOR_CHANGE: chooseColor(textColor, textColorIndex); break;
    case IDC_BACKGROUND_COLOR_CHANGE: chooseColor(backgroundColor, backgroundColorIndex); break;
    case IDC_SELECT_FONT: chooseFont(); break;
    case IDC_EDIT_USES_FONT:
      UpdateData(true);
      showEditFont();
      break;
    case IDC_POSITION_ABOVE: positionClicked(kLabelHorizontal, kLabelAbove); break;
    case IDC_POSITION_LEFT: positionClicked(kLabelReadsUpward, kLabelLeft); break;
    case IDC_POSITION_INSIDE: positionClicked(kLabelHorizontal, kLabelOnPicture); break;
    case IDC_POSITION_RIGHT: positionClicked(kLabelReadsDownward, kLabelRight); break;
    case IDC_POSITION_BELOW: positionClicked(kLabelHorizontal, kLabelBelow); break;
    default: CDialog::OnCommand(id); break;
  }
}

void TextOptionsDialog::OnOK() {
  if (!UpdateData(true)) return;
  if (!floating) {
    TextPositionDialog details;
    details.position = position;
    details.anchor = anchor;
    details.horizontalPadding = horizontalPadding;
    details.verticalPadding = verticalPadding;
    details.pictureWidth = pictureWidth;
    details.pictureHeight = pictureHeight;
    if (details.DoModal(owner()) != IDOK) return;  // back to this dialog, nothing lost
    anchor = details.anchor;
    horizontalPadding = details.horizontalPadding;
    verticalPadding = details.verticalPadding;
  }
  EndDialog(IDOK);
}

}  // namespace orlim
