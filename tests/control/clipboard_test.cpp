// Copy and paste through the control's automation interface and the in-memory
// clipboard: the block laid out as a packed DIB, the full-resolution copy of a
// reduced DjVu page, and pastes that are refused without losing the picture.
#include <cstring>

#include "command_fixtures.h"

namespace orlim::test {
namespace {

// A packed DIB as another program would put it on the clipboard.
std::vector<std::uint8_t> dibBlock(int width, int height, int bits, std::uint32_t colorsUsed,
                                   const std::vector<std::uint8_t>& table, const std::vector<std::uint8_t>& rows,
                                   std::uint32_t headerSize = 40) {
  std::vector<std::uint8_t> out;
  appendLe32(out, headerSize);
  appendLe32(out, static_cast<std::uint32_t>(width));
  appendLe32(out, static_cast<std::uint32_t>(height));
  appendLe16(out, 1);
  appendLe16(out, static_cast<std::uint32_t>(bits));
  appendLe32(out, 0);
  appendLe32(out, static_cast<std::uint32_t>(rows.size()));
  appendLe32(out, 3780);
  appendLe32(out, 3780);
  appendLe32(out, colorsUsed);
  appendLe32(out, 0);
  out.insert(out.end(), table.begin(), table.end());
  out.insert(out.end(), rows.begin(), rows.end());
  return out;
}

TEST(Clipboard, ACopyOfA33PixelOneBitPictureCopiesFiveBytesOfEachEightByteRow) {
  TempDir dir;
  Image original;
  const std::string path = bitmapFile(dir, "bits.bmp", 33, 3, 1, original);
  CommandHarness c;
  c.load(path);
  ASSERT_EQ(c.image().stride, 8);
  // Padding bytes of the picture's own rows are not copied.
  for (int y = 0; y < 3; ++y) std::memset(c.image().bits() + y * 8 + 5, 0xAB, 3);
  EXPECT_TRUE(c.call("CopyToClipboard"));
  EXPECT_FALSE(c.clipboard.isOpen());
  EXPECT_EQ(c.clipboard.lastOwner(), &c.h.window);
  const ClipboardBlock* block = c.clipboard.data(CF_DIB);
  ASSERT_NE(block, nullptr);
  ASSERT_EQ(block->size(), 40u + 8u + 3u * 8u);
  EXPECT_EQ(std::memcmp(block->data(), c.image().dib, 48), 0);  // header and two colours as they are
  for (int y = 0; y < 3; ++y) {
    const std::uint8_t* row = block->data() + 48 + y * 8;
    EXPECT_EQ(std::memcmp(row, c.image().bits() + y * 8, 5), 0) << y;
    EXPECT_EQ(row[5] | row[6] | row[7], 0) << y;
  }
}

TEST(Clipboard, ACopyKeepsOtherFormatsAndFailsWhenTheClipboardIsHeld) {
  TempDir dir;
  CommandHarness c;
  c.load(bitmapFile(dir, "a.bmp", 4, 4));
  c.clipboard.replaceWith(CF_TEXT, {'h', 'i'});
  EXPECT_TRUE(c.call("CopyToClipboard"));
  EXPECT_EQ(c.clipboard.EnumClipboardFormats(), (std::vector<UINT>{CF_TEXT, CF_DIB}));

  c.clipboard.replaceWith(CF_TEXT, {'h', 'i'});
  c.clipboard.setHeldElsewhere(true);
  EXPECT_FALSE(c.call("CopyToClipboard"));  // nothing was copied
  c.clipboard.setHeldElsewhere(false);
  EXPECT_FALSE(c.clipboard.IsClipboardFormatAvailable(CF_DIB));
}

TEST(Clipboard, CopyThenPasteGivesTheSamePictureAsAnEditedBitmap) {
  TempDir dir;
  CommandHarness c;
  c.h.set("AutoFit", number(2));
  c.h.window.Resize(100, 100);
  c.load(bitmapFile(dir, "a.bmp", 300, 150));
  ASSERT_TRUE(c.call("MirrorImage"));
  const RgbPicture copied = toRgb(c.image());
  ASSERT_TRUE(c.call("CopyToClipboard"));
  c.h.call("Clear");
  c.h.set("ScrollPosX", number(5));
  c.h.forget();
  EXPECT_TRUE(c.call("PasteFromClipboard"));
  EXPECT_EQ(maxChannelDifference(copied, toRgb(c.image())), 0);
  EXPECT_EQ(c.h.control.fileType, 3);
  EXPECT_EQ(c.h.get("Picture").asString(), "");
  EXPECT_EQ(c.h.getLong("ScrollPosX"), 0);
  EXPECT_EQ(c.h.getLong("ZoomLevel"), -2);  // 300 x 150 fits 100 x 100 reduced by 3
  EXPECT_EQ(c.h.log,
            (std::vector<std::string>{"notify 2", "notify 1", "notify 5", "notify 6", "notify 7", "notify 12",
                                      "notify 13", "notify 14", "notify 15", "notify 17", "notify 18", "modified"}));
  EXPECT_TRUE(c.h.window.IsPaintPending());
}

TEST(Clipboard, PastingAnEightBitDibWithSixteenColorsReadsASixtyFourByteTable) {
  std::vector<std::uint8_t> table;
  for (int i = 0; i < 16; ++i) table.insert(table.end(), {std::uint8_t(i * 16), std::uint8_t(255 - i * 16), 7, 0});
  std::vector<std::uint8_t> rows(8 * 2, 0);  // 5 pixels a row, padded to 8 bytes
  for (int x = 0; x < 5; ++x) rows[x] = static_cast<std::uint8_t>(x), rows[8 + x] = static_cast<std::uint8_t>(15 - x);
  CommandHarness c;
  c.clipboard.replaceWith(CF_DIB, dibBlock(5, 2, 8, 16, table, rows));
  EXPECT_TRUE(c.call("PasteFromClipboard"));
  EXPECT_TRUE(c.h.application.messages().empty());
  EXPECT_EQ(c.h.getLong("ImageDepth"), 8);
  EXPECT_EQ(c.image().paletteSize, 64);
  // Bottom-up rows: the second stored row is the top one as seen.
  const auto top = rgbAt(c.image(), 1, 0), bottom = rgbAt(c.image(), 4, 1);
  EXPECT_EQ(top, (std::array<std::uint8_t, 3>{7, 255 - 14 * 16, 14 * 16}));
  EXPECT_EQ(bottom, (std::array<std::uint8_t, 3>{7, 255 - 4 * 16, 4 * 16}));
}

class RefusedPaste : public ::testing::Test {
 protected:
  void SetUp() override {
    path = bitmapFile(dir, "a.bmp", 6, 4);
    c.load(path);
    shown = toRgb(c.image());
  }
  void expectPictureKept() {
    EXPECT_EQ(c.h.get("Picture").asString(), path);
    EXPECT_EQ(c.h.control.fileType, 3);
    EXPECT_EQ(maxChannelDifference(shown, toRgb(c.image())), 0);
  }
  TempDir dir;
  std::string path;
  RgbPicture shown;
  CommandHarness c;
};

TEST_F(RefusedPaste, OnlyTextThereIsRefusedQuietly) {
  c.clipboard.replaceWith(CF_TEXT, {'x'});
  EXPECT_FALSE(c.call("PasteFromClipboard"));
  EXPECT_TRUE(c.h.application.messages().empty());
  expectPictureKept();
  c.clipboard.setHeldElsewhere(true);
  EXPECT_FALSE(c.call("PasteFromClipboard"));
  expectPictureKept();
}

TEST_F(RefusedPaste, DibsShorterThanTheirHeadersSayAreRefusedWithAMessage) {
  const std::vector<std::uint8_t> rows(12 * 10, 0x55);
  const std::vector<std::vector<std::uint8_t>> bad = {
      {1, 2, 3},                                                                                // no room for a header
      dibBlock(100, 100, 24, 0, {}, rows),                                                      // rows cut short
      dibBlock(4, 2, 8, 0, std::vector<std::uint8_t>(64, 1), std::vector<std::uint8_t>(8, 0)),  // 256-colour table cut
      dibBlock(2000000000, 2000000000, 32, 0, {}, rows),  // a size no block can hold
      dibBlock(4, 10, 24, 0, {}, rows, 124),              // a header this control does not read
  };
  for (const auto& block : bad) {
    c.h.forget();
    c.clipboard.replaceWith(CF_DIB, block);
    EXPECT_FALSE(c.call("PasteFromClipboard")) << block.size();
    ASSERT_EQ(c.h.application.messages().size(), 1u) << block.size();
    EXPECT_EQ(c.h.messageTexts()[0].rfind("Cannot paste", 0), 0u) << c.h.messageTexts()[0];
    expectPictureKept();
  }
}

TEST_F(RefusedPaste, AHeaderTheImportRefusesKeepsThePicture) {
  c.clipboard.replaceWith(CF_DIB, dibBlock(4, 2, 7, 0, {}, std::vector<std::uint8_t>(16, 0)));
  EXPECT_FALSE(c.call("PasteFromClipboard"));
  ASSERT_EQ(c.h.application.messages().size(), 1u);
  EXPECT_NE(c.h.messageTexts()[0].find("7 bits per pixel"), std::string::npos) << c.h.messageTexts()[0];
  expectPictureKept();
}

TEST(ClipboardDjvu, AReducedPageIsCopiedFullSizeAtTwentyFourBits) {
  if (!haveDjvuEncoder()) GTEST_SKIP() << "c44 missing";
  TempDir dir;
  CommandHarness c;
  c.h.window.SetDisplay(8, 96);
  c.load(djvuPage(dir, "page.djvu", 120, 90));
  c.h.set("ZoomLevel", number(-3));
  ASSERT_EQ(c.image().width, 30);
  ASSERT_EQ(c.h.control.deviceBitsPerPixel, 8);  // shown dithered for the 8-bit display
  const RgbPicture shown = toRgb(c.image());
  EXPECT_TRUE(c.call("CopyToClipboard"));
  const ClipboardBlock* block = c.clipboard.data(CF_DIB);
  ASSERT_NE(block, nullptr);
  BITMAPINFOHEADER h;
  std::memcpy(&h, block->data(), sizeof h);
  EXPECT_EQ(h.biWidth, 120);
  EXPECT_EQ(std::abs(h.biHeight), 90);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(block->size(), 40u + 90u * 360u);
  EXPECT_EQ(c.h.getLong("ZoomLevel"), -3);
  EXPECT_EQ(maxChannelDifference(shown, toRgb(c.image())), 0);
  // The copy holds the undithered full page, as a control without dithering shows it.
  CommandHarness plain;
  plain.h.set("Dither", flag(false));
  plain.load(c.h.get("Picture").asString());
  ASSERT_EQ(plain.image().width, 120);
  Image pasted;
  const std::uint8_t* rows = block->data() + 40;
  ASSERT_EQ(pasted.import(block->data(), 40, rows, 0, rows, static_cast<int>(block->size() - 40), 5), 1);
  EXPECT_EQ(maxChannelDifference(toRgb(plain.image()), toRgb(pasted)), 0);
}

}  // namespace
}  // namespace orlim::test
