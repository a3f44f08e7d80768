// The text label dialogs on their own and through TextOptions: the font lines,
// palette snapping, position and orientation, floating, the anchor corrections
// and enabled buttons, the padding limits; and the control's page mapping.
#include <cstring>

#include "control/command_fixtures.h"
#include "pages/TextOptionsDialog.h"
#include "pages/TextPositionDialog.h"
#include "pages/font_description.h"
#include "pages/page_identities.h"
#include "platform/palette_match.h"

namespace orlim::test {
namespace {

using Kind = DialogAnswer::Kind;

DialogAnswer click(int id) { return {Kind::Click, id}; }
DialogAnswer setTo(int id, Variant value) {
  DialogAnswer a{Kind::Set, id};
  a.value = std::move(value);
  return a;
}
DialogAnswer cancel() { return {Kind::Cancel}; }

void queueAll(HeadlessDialogs& dialogs, const std::vector<DialogAnswer>& answers) {
  for (const DialogAnswer& a : answers) dialogs.queue(a);
}

std::vector<std::string> titlesShown(const HeadlessDialogs& dialogs) {
  std::vector<std::string> titles;
  for (const DialogTemplate& t : dialogs.shown()) titles.push_back(t.title);
  return titles;
}

LOGFONTA fontOf(const char* face, LONG height, LONG weight, bool italic = false) {
  LOGFONTA f{};
  std::strcpy(f.lfFaceName, face);
  f.lfHeight = height;
  f.lfWeight = weight;
  f.lfItalic = italic;
  return f;
}

TEST(DescribeFont, SizeAndStyleLines) {
  struct Case {
    LOGFONTA font;
    int dpi;
    const char* size;
    const char* style;
  } cases[] = {
      {fontOf("Arial", -13, 400), 96, "Size: 10", "Style:  Regular"},
      {fontOf("Arial", 13, 400), 96, "Size: 10", "Style:  Regular"},
      {fontOf("Arial", 0, 400), 96, "Size: N/A", "Style:  Regular"},
      {fontOf("Arial", -13, 400), 0, "Size: N/A", "Style:  Regular"},
      {fontOf("Arial", -13, 400, true), 96, "Size: 10", "Style:  Italic"},
      {fontOf("Arial", -13, 700), 96, "Size: 10", "Style:  Bold"},
      {fontOf("Arial", -13, 699), 96, "Size: 10", "Style:  Regular"},
      {fontOf("Arial", -20, 800, true), 144, "Size: 10", "Style:  Bold Italic"},
  };
  for (const Case& c : cases) {
    const FontDescription d = describeFont(c.font, c.dpi);
    EXPECT_EQ(d.size, c.size) << c.font.lfHeight << " at " << c.dpi;
    EXPECT_EQ(d.style, c.style) << c.font.lfWeight;
    EXPECT_EQ(d.name, "Name: Arial");
  }
  LOGFONTA marked = fontOf("Arial", -13, 400);
  marked.lfUnderline = 1;
  EXPECT_EQ(describeFont(marked, 96).underline, "Underline: Yes");
  EXPECT_EQ(describeFont(marked, 96).strikeout, "Strikeout: No");
}

// Text colour chosen through the colour dialog: on an 8-bit picture it becomes
// the nearest entry of the picture's table, on a 24-bit one it stays.
TEST(TextOptions, ChosenColorSnapsToThePaletteOfAnEightBitPicture) {
  constexpr COLORREF kOrange = RGB(255, 128, 0);
  for (int bits : {8, 24}) {
    TempDir dir;
    CommandHarness c;
    Image picture;
    c.load(bitmapFile(dir, "p.bmp", 20, 10, bits, picture));
    queueAll(c.dialogs, {click(IDC_TEXT_COLOR_CHANGE), {Kind::Color, 0, "", {}, kOrange}, click(IDOK), click(IDOK)});
    EXPECT_EQ(c.h.call("TextOptions", {flag(false)}).asLong(), IDOK);
    const TextLabel& label = c.h.control.textLabel;
    if (bits == 24) {
      EXPECT_EQ(label.TextForegroundColor, kOrange);
      EXPECT_EQ(label.foregroundColorIndex, static_cast<int>(kOrange));
      continue;
    }
    const RGBQUAD* table = c.image().palette();
    const UINT index = GetNearestPaletteIndex(table, 256, kOrange);
    EXPECT_EQ(label.foregroundColorIndex, static_cast<int>(index));
    EXPECT_EQ(label.TextForegroundColor, RGB(table[index].rgbRed, table[index].rgbGreen, table[index].rgbBlue));
    EXPECT_NE(label.TextForegroundColor, kOrange);
    // The white background snaps too, though nobody touched it.
    const UINT white = GetNearestPaletteIndex(table, 256, RGB(255, 255, 255));
    EXPECT_EQ(label.backgroundColorIndex, static_cast<int>(white));
  }
}

TEST(TextOptions, PositionButtonsSetOrientationAndPosition) {
  struct Case {
    int button, orientation, position;
  } cases[] = {
      {IDC_POSITION_LEFT, 1, 4},   {IDC_POSITION_RIGHT, 2, 6}, {IDC_POSITION_ABOVE, 0, 2},
      {IDC_POSITION_INSIDE, 0, 5}, {IDC_POSITION_BELOW, 0, 8},
  };
  for (const Case& k : cases) {
    HeadlessDialogs dialogs;
    TextOptionsDialog d;
    d.position = 5;
    d.orientation = k.orientation == 0 ? 2 : 0;
    d.alignment = 0;
    queueAll(dialogs, {click(k.button), click(IDOK), click(IDOK)});
    EXPECT_EQ(d.DoModal(nullptr), IDOK);
    EXPECT_EQ(d.orientation, k.orientation) << k.button;
    EXPECT_EQ(d.position, k.position) << k.button;
    EXPECT_EQ(d.IsDlgButtonChecked(IDC_ORIENT_HORIZONTAL + k.orientation), 1);
  }
}

TEST(TextOptions, FloatingClosesAtOnceOtherwiseCancelledDetailsKeepTheDialog) {
  HeadlessDialogs dialogs;
  TextOptionsDialog floating;
  floating.floating = true;
  dialogs.queue(click(IDOK));
  EXPECT_EQ(floating.DoModal(nullptr), IDOK);
  EXPECT_EQ(titlesShown(dialogs), std::vector<std::string>{"Add Text"});

  HeadlessDialogs again;
  TextOptionsDialog d;
  d.anchor = 3;
  queueAll(again, {setTo(IDC_LABEL_TEXT, text("kept")), click(IDC_POSITION_INSIDE), click(IDOK), cancel(), click(IDOK),
                   click(IDC_ANCHOR_BOTTOM_LEFT), setTo(IDC_VERTICAL_PADDING, number(12)), click(IDOK)});
  EXPECT_EQ(d.DoModal(nullptr), IDOK);
  EXPECT_EQ(titlesShown(again),
            (std::vector<std::string>{"Add Text", "Text position details", "Text position details"}));
  EXPECT_EQ(d.text, "kept");
  EXPECT_EQ(d.position, 5);
  EXPECT_EQ(d.anchor, 7);
  EXPECT_EQ(d.verticalPadding, 12);
}

TEST(TextPosition, StartCorrectsTheAnchorAndDisablesUnusableButtons) {
  struct Case {
    int position, anchorIn, anchorOut;
    std::vector<int> enabled;
  } cases[] = {
      {2, 1, 5, {IDC_ANCHOR_LEFT, IDC_ANCHOR_CENTER, IDC_ANCHOR_RIGHT}},
      {8, 6, 6, {IDC_ANCHOR_LEFT, IDC_ANCHOR_CENTER, IDC_ANCHOR_RIGHT}},
      {4, 4, 5, {IDC_ANCHOR_TOP, IDC_ANCHOR_CENTER, IDC_ANCHOR_BOTTOM}},
      {6, 8, 8, {IDC_ANCHOR_TOP, IDC_ANCHOR_CENTER, IDC_ANCHOR_BOTTOM}},
      {5, 7, 7,
       std::vector<int>(std::begin(TextPositionDialog::kAnchorButtons), std::end(TextPositionDialog::kAnchorButtons))},
  };
  for (const Case& k : cases) {
    HeadlessDialogs dialogs;
    TextPositionDialog d;
    d.position = k.position;
    d.anchor = k.anchorIn;
    dialogs.queue(click(IDOK));
    EXPECT_EQ(d.DoModal(nullptr), IDOK);
    EXPECT_EQ(d.anchor, k.anchorOut) << k.position << "/" << k.anchorIn;
    std::vector<int> enabled;
    for (int id : TextPositionDialog::kAnchorButtons)
      if (d.IsItemEnabled(id)) enabled.push_back(id);
    std::sort(enabled.begin(), enabled.end());
    std::vector<int> expected = k.enabled;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(enabled, expected) << k.position;
    EXPECT_EQ(d.IsDlgButtonChecked(TextPositionDialog::kAnchorButtons[k.anchorOut - 1]), 1);
    // Both paddings start enabled whatever the anchor.
    EXPECT_TRUE(d.IsItemEnabled(IDC_HORIZONTAL_PADDING) && d.IsItemEnabled(IDC_VERTICAL_PADDING));
  }
}

TEST(TextPosition, AnchorButtonsEnableThePaddingsTheyUse) {
  // Per anchor 1..9: horizontal, vertical padding enabled.
  const bool horizontal[9] = {true, false, true, true, false, true, true, false, true};
  const bool vertical[9] = {true, true, true, false, false, false, true, true, true};
  for (int anchor = 1; anchor <= 9; ++anchor) {
    HeadlessDialogs dialogs;
    TextPositionDialog d;
    d.position = 5;
    queueAll(dialogs, {click(TextPositionDialog::kAnchorButtons[anchor - 1]), click(IDOK)});
    EXPECT_EQ(d.DoModal(nullptr), IDOK);
    EXPECT_EQ(d.anchor, anchor);
    EXPECT_EQ(d.IsItemEnabled(IDC_HORIZONTAL_PADDING), horizontal[anchor - 1]) << anchor;
    EXPECT_EQ(d.IsItemEnabled(IDC_HORIZONTAL_SPIN), horizontal[anchor - 1]) << anchor;
    EXPECT_EQ(d.IsItemEnabled(IDC_VERTICAL_PADDING), vertical[anchor - 1]) << anchor;
    EXPECT_EQ(d.IsItemEnabled(IDC_VERTICAL_SPIN), vertical[anchor - 1]) << anchor;
  }
}

TEST(TextPosition, PaddingsStayWithinZeroAnd32767) {
  HeadlessDialogs dialogs;
  TextPositionDialog d;
  d.position = 5;
  queueAll(dialogs, {setTo(IDC_HORIZONTAL_SPIN, number(40000)), setTo(IDC_VERTICAL_SPIN, number(-7)), click(IDOK)});
  EXPECT_EQ(d.DoModal(nullptr), IDOK);
  EXPECT_EQ(d.horizontalPadding, 32767);
  EXPECT_EQ(d.verticalPadding, 0);

  // Typed past the range, or not a number: OK is refused with a message.
  for (const char* typed : {"-5", "32768", "ten"}) {
    ControlHarness h;
    HeadlessDialogs typedDialogs;
    TextPositionDialog t;
    t.position = 5;
    t.horizontalPadding = 3;
    queueAll(typedDialogs, {setTo(IDC_HORIZONTAL_PADDING, text(typed)), click(IDOK)});
    EXPECT_EQ(t.DoModal(nullptr), IDCANCEL) << typed;
    EXPECT_EQ(h.messageTexts(),
              std::vector<std::string>{std::string(typed) == "ten" ? "Please enter an integer."
                                                                   : "Please enter an integer between 0 and 32767."});
  }
}

TEST(TextOptions, CopiesTheDialogIntoTheLabelOnlyOnOk) {
  CommandHarness c;
  c.h.set("TextContent", text("old"));
  queueAll(c.dialogs, {setTo(IDC_LABEL_TEXT, text("new")), click(IDC_ALIGN_RIGHT), cancel()});
  EXPECT_EQ(c.h.call("TextOptions", {flag(true)}).asLong(), IDCANCEL);
  EXPECT_EQ(c.h.control.textLabel.TextContent, "old");
  EXPECT_EQ(c.h.control.textLabel.TextAlign, 0);

  queueAll(c.dialogs, {setTo(IDC_LABEL_TEXT, text("")),
                       click(IDC_ALIGN_RIGHT),
                       click(IDC_TRANSPARENT_BACKGROUND),
                       click(IDC_EDIT_USES_FONT),
                       click(IDC_SELECT_FONT),
                       {Kind::Font, 0, "Liberation Serif", {}, 12, true, true},
                       click(IDOK),
                       setTo(IDC_HORIZONTAL_PADDING, number(9)),
                       click(IDOK)});
  EXPECT_EQ(c.h.call("TextOptions", {flag(true)}).asLong(), IDOK);
  const TextLabel& label = c.h.control.textLabel;
  EXPECT_EQ(label.TextContent, "");
  EXPECT_EQ(label.TextAlign, 2);
  EXPECT_EQ(label.TextTransparentBackground, 1);
  EXPECT_STREQ(label.font.lfFaceName, "Liberation Serif");
  EXPECT_EQ(label.font.lfHeight, -16);
  EXPECT_EQ(label.font.lfWeight, 700);
  EXPECT_EQ(label.font.lfItalic, 1);
  EXPECT_EQ(label.TextOffsetX, 9);
  EXPECT_TRUE(c.h.control.textEditUsesFont);

  // The flag is kept: the next run's text box shows the label's font at once.
  std::vector<std::string> lines;
  c.dialogs.onLine = [&](const std::string& line) { lines.push_back(line); };
  c.h.call("TextOptions", {flag(false)});
  EXPECT_NE(std::find(lines.begin(), lines.end(), "  1200 edit \"\" font \"Liberation Serif\""), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "  1215 static \"Style:  Bold Italic\""), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "  1216 static \"Size: 12\""), lines.end());
}

TEST(PropertyPages, PictureMapsToTheGeneralPage) {
  ControlHarness h;
  CLSID page{};
  BOOL optional = TRUE;
  EXPECT_TRUE(h.control.OnMapPropertyToPage(dispidPicture, page, optional));
  EXPECT_EQ(formatGuid(page), "{7D61F7AA-82F0-11D2-905D-00E0290C674A}");
  EXPECT_FALSE(optional);
  EXPECT_FALSE(h.control.OnMapPropertyToPage(dispidZoomLevel, page, optional));
  std::vector<std::string> pages;
  for (const CLSID& id : h.control.GetPropPageIDs()) pages.push_back(formatGuid(id));
  EXPECT_EQ(pages, (std::vector<std::string>{"{7D61F7AA-82F0-11D2-905D-00E0290C674A}",
                                             "{A4A31A68-5BE4-11D3-9061-0000C0FE2CE5}"}));
  EXPECT_EQ(createPropertyPage(makeGuid("{a4a31a68-5be4-11d3-9061-0000c0fe2ce5}"))->caption(), "Display");
  EXPECT_EQ(createPropertyPage(CLSID{}), nullptr);
}

}  // namespace
}  // namespace orlim::test
