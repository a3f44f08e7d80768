// Pixel image records: normal form, quarter turns, scaling, reduction and freeing.
#include "djvu/PixImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "djvu/DjvuException.h"
#include "djvu_fixtures.h"

namespace orlim::test {
namespace {

// A heap-owned record of width x height with `pixsize` bytes per pixel; the value
// of a byte is made from its pixel position and channel.
djvu_pixel_image* makePicture(std::uint32_t width, std::uint32_t height, std::uint32_t pixsize, std::uint32_t flags,
                              std::uint32_t rowsize = 0) {
  auto* p = new djvu_pixel_image{};
  p->width = width;
  p->height = height;
  p->pixsize = pixsize;
  p->rowsize = rowsize ? rowsize : width * pixsize;
  p->flags = flags;
  p->data = static_cast<std::uint8_t*>(_djvu_malloc(std::size_t(p->rowsize) * height));
  p->ownerMark = kPixOwnedByHeap;
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t i = 0; i < p->rowsize; ++i) p->data[y * p->rowsize + i] = std::uint8_t(y * 31 + i * 7);
  return p;
}

const std::uint8_t* pixel(const djvu_pixel_image& p, std::uint32_t x, std::uint32_t y) {
  return p.data + p.start + std::size_t(y) * p.rowsize + std::size_t(x) * p.pixsize;
}

std::vector<std::uint8_t> pixels(const djvu_pixel_image& p) {
  std::vector<std::uint8_t> out;
  for (std::uint32_t y = 0; y < p.height; ++y)
    out.insert(out.end(), pixel(p, 0, y), pixel(p, 0, y) + std::size_t(p.width) * p.pixsize);
  return out;
}

TEST(PixImage, NormalFormKeepsFirstBytesSwapsRgbAndTurnsRowsBottomUp) {
  LayerErrors errors;
  djvu_pixel_image* gray = makePicture(4, 3, 3, PIX_GRAY | PIX_BOTTOM_UP);
  const std::uint8_t first = pixel(*gray, 2, 1)[0];
  ASSERT_EQ(djvu_pixel_image_normalize(gray), gray);
  EXPECT_EQ(gray->pixsize, 1u);
  EXPECT_EQ(gray->rowsize, 4u);
  EXPECT_EQ(pixel(*gray, 2, 1)[0], first);
  djvu_pixel_image_free(gray);

  // RGB with padded rows, top row first.
  djvu_pixel_image* rgb = makePicture(3, 2, 4, PIX_RGB, 16);
  const std::vector<std::uint8_t> top(pixel(*rgb, 1, 0), pixel(*rgb, 1, 0) + 3);
  ASSERT_EQ(djvu_pixel_image_normalize(rgb), rgb);
  EXPECT_EQ(rgb->flags, PIX_BGR | PIX_BOTTOM_UP);
  EXPECT_EQ(rgb->pixsize, 3u);
  EXPECT_EQ(rgb->rowsize, 9u);
  const std::uint8_t* moved = pixel(*rgb, 1, 1);  // the top row is now stored last
  EXPECT_EQ(moved[0], top[2]);
  EXPECT_EQ(moved[1], top[1]);
  EXPECT_EQ(moved[2], top[0]);
  const std::vector<std::uint8_t> once = pixels(*rgb);
  djvu_pixel_image_normalize(rgb);
  EXPECT_EQ(pixels(*rgb), once) << "a second normalisation changes nothing";
  djvu_pixel_image_free(rgb);
  EXPECT_TRUE(errors.messages.empty());
}

TEST(PixImage, ChecksRefuseInconsistentRecordsInOrder) {
  djvu_pixel_image record{};
  PixImage pix;
  record.flags = PIX_RGB | PIX_BGR;
  record.pixsize = 2;
  EXPECT_EQ(thrownBy([&] { pix.attach(&record); }).line(), 216) << "pixsize is tested first";
  record.pixsize = 3;
  EXPECT_STREQ(thrownBy([&] { pix.attach(&record); }).message(), "The image can not be both RGB and BGR");
  record.flags = 0;
  EXPECT_EQ(thrownBy([&] { pix.attach(&record); }).line(), 223);
  record.flags = PIX_GRAY;
  record.pixsize = 0;
  EXPECT_EQ(thrownBy([&] { pix.attach(&record); }).line(), 212);
  record.pixsize = 1;
  record.width = 5;
  record.rowsize = 4;
  EXPECT_STREQ(thrownBy([&] { pix.attach(&record); }).message(), "Rowsize must be at least w*pixsize.");
  record.rowsize = 5;
  record.height = 2;
  EXPECT_EQ(thrownBy([&] { pix.attach(&record); }).line(), 229);
  EXPECT_STREQ(thrownBy([&] { pix.attach(&record); }).unit(), "libAPI\\PixImage");
}

TEST(PixImage, QuarterTurnsOfABigPictureUseBandsAndEqualAOnePassTurn) {
  // 3000 x 1000 x 3 bytes is 9 MB: more than two 4 MiB bands.
  djvu_pixel_image* p = makePicture(3000, 1000, 3, PIX_BGR | PIX_BOTTOM_UP | PIX_HAS_DPI);
  p->xdpi = 300;
  p->ydpi = 150;
  const std::vector<std::uint8_t> before = pixels(*p);
  PixImage pix;
  pix.attach(p);
  pix.rotate90();
  ASSERT_EQ(p->width, 1000u);
  ASSERT_EQ(p->height, 3000u);
  EXPECT_EQ(p->xdpi, 150u);
  // Clockwise: (x, y) from the bottom goes to column y, row width - 1 - x.
  for (std::uint32_t x : {0u, 1u, 1397u, 2999u})
    for (std::uint32_t y : {0u, 500u, 999u})
      ASSERT_EQ(std::memcmp(pixel(*p, y, 2999 - x), before.data() + (std::size_t(y) * 3000 + x) * 3, 3), 0)
          << x << "," << y;
  pix.rotate270();
  pix.detach();
  EXPECT_EQ(p->width, 3000u);
  EXPECT_EQ(pixels(*p), before) << "a counter-clockwise turn undoes it";
  djvu_pixel_image_free(p);
}

TEST(PixImage, TransformTakesQuarterAnglesOnly) {
  LayerErrors errors;
  djvu_pixel_image* p = makePicture(6, 4, 3, PIX_BGR | PIX_BOTTOM_UP);
  djvu_pixel_image* q = makePicture(6, 4, 3, PIX_BGR | PIX_BOTTOM_UP);
  PixImage pix;
  pix.attach(p);
  DjvuException e = thrownBy([&] { pix.transform(45, 6, 4); });
  EXPECT_STREQ(e.message(), "Can only transform 90,180, and 270 degrees.");
  EXPECT_EQ(e.line(), 1200);
  EXPECT_EQ(djvu_pixel_rotate(p, 45, 6, 4), nullptr);
  ASSERT_EQ(errors.messages.size(), 1u);
  EXPECT_EQ(errors.messages[0], "Can only rotate 0,90,180, and 270 degrees");
  EXPECT_EQ(errors.files[0], "libAPI\\imageio");
  EXPECT_EQ(errors.lines[0], 328);

  const std::vector<std::uint8_t> before = pixels(*p);
  ASSERT_EQ(djvu_pixel_rotate(p, 0, 6, 4), p);
  EXPECT_EQ(pixels(*p), before) << "its own size at angle 0 only normalises";
  ASSERT_EQ(djvu_pixel_rotate(p, -90, 6, 4), p);
  ASSERT_EQ(djvu_pixel_rotate(q, 270, 6, 4), q);
  EXPECT_EQ(p->width, 6u);
  EXPECT_EQ(p->height, 4u);
  EXPECT_EQ(pixels(*p), pixels(*q)) << "-90 is 270";
  // A half turn: the first stored pixel becomes the last.
  djvu_pixel_image* r = makePicture(5, 3, 3, PIX_BGR | PIX_BOTTOM_UP);
  const std::vector<std::uint8_t> r0 = pixels(*r);
  ASSERT_EQ(djvu_pixel_rotate(r, 180, 5, 3), r);
  EXPECT_EQ(std::memcmp(pixel(*r, 4, 2), r0.data(), 3), 0);
  for (auto* x : {p, q, r}) djvu_pixel_image_free(x);
}

TEST(PixImage, ScalingAveragesBlocksAndResamplesOtherSizes) {
  LayerErrors errors;
  // A 1000 x 800 gray ramp halved: each output is the mean of a 2 x 2 block.
  djvu_pixel_image* p = makePicture(1000, 800, 1, PIX_GRAY | PIX_BOTTOM_UP);
  for (std::uint32_t y = 0; y < 800; ++y)
    for (std::uint32_t x = 0; x < 1000; ++x) p->data[y * 1000 + x] = std::uint8_t((x + 3 * y) % 200);
  djvu_pixel_image* copy = makePicture(1000, 800, 1, PIX_GRAY | PIX_BOTTOM_UP);
  std::memcpy(copy->data, p->data, 800000);
  ASSERT_EQ(djvu_pixel_rotate(p, 0, 500, 400), p);
  ASSERT_EQ(p->width, 500u);
  ASSERT_EQ(p->height, 400u);
  const auto source = [&](int x, int y) { return int(copy->data[y * 1000 + x]); };
  for (int y : {0, 123, 399})
    for (int x : {0, 77, 499}) {
      const int mean =
          (source(2 * x, 2 * y) + source(2 * x + 1, 2 * y) + source(2 * x, 2 * y + 1) + source(2 * x + 1, 2 * y + 1));
      EXPECT_NEAR(pixel(*p, x, y)[0], mean / 4, 1) << x << "," << y;
    }
  ASSERT_EQ(djvu_pixel_rotate(copy, 0, 300, 240), copy);
  EXPECT_EQ(copy->width, 300u);
  EXPECT_EQ(copy->height, 240u);
  EXPECT_EQ(copy->rowsize, 300u);
  // Enlarging keeps a flat picture flat.
  djvu_pixel_image* flat = makePicture(10, 10, 3, PIX_BGR | PIX_BOTTOM_UP);
  std::memset(flat->data, 90, 300);
  ASSERT_EQ(djvu_pixel_rotate(flat, 90, 25, 31), flat);
  EXPECT_EQ(flat->width, 25u);
  EXPECT_EQ(flat->height, 31u);
  for (std::uint8_t v : pixels(*flat)) ASSERT_EQ(v, 90);
  for (auto* x : {p, copy, flat}) djvu_pixel_image_free(x);
  EXPECT_TRUE(errors.messages.empty());
}

TEST(PixImage, SubsampleAveragesBlocksCutByTheEdges) {
  LayerErrors errors;
  djvu_pixel_image* p = makePicture(5, 5, 1, PIX_GRAY | PIX_BOTTOM_UP | PIX_HAS_DPI);
  for (int i = 0; i < 25; ++i) p->data[i] = std::uint8_t(i * 10);
  p->xdpi = p->ydpi = 300;
  ASSERT_EQ(djvu_pixel_subsample(p, 2), p);
  EXPECT_EQ(p->width, 3u);
  EXPECT_EQ(p->height, 3u);
  EXPECT_EQ(pixel(*p, 0, 0)[0], (0 + 10 + 50 + 60) / 4);
  EXPECT_EQ(pixel(*p, 2, 0)[0], (40 + 90) / 2) << "a block cut by the right edge";
  EXPECT_EQ(pixel(*p, 2, 2)[0], 240) << "the corner averages the single corner pixel";
  EXPECT_EQ(p->xdpi, (1u + 600u) / 4u);
  djvu_pixel_image* q = makePicture(8, 8, 3, PIX_BGR | PIX_BOTTOM_UP | PIX_HAS_DPI);
  q->xdpi = q->ydpi = 300;
  ASSERT_EQ(djvu_pixel_subsample(q, 4), q);
  EXPECT_EQ(q->xdpi, 75u);
  EXPECT_EQ(djvu_pixel_subsample(q, 0), nullptr);
  ASSERT_EQ(errors.messages.size(), 1u);
  EXPECT_EQ(errors.messages[0], "Non-posative scale specified in djvu_pixel_subsample");
  EXPECT_EQ(errors.lines[0], 2322);
  djvu_pixel_image_free(p);
  djvu_pixel_image_free(q);
}

TEST(PixImage, BuffersGrowOnlyWhenTheLayerOwnsThem) {
  LayerErrors errors;
  std::uint8_t callerBytes[12] = {};
  djvu_pixel_image caller{PIX_GRAY, 4, 3, 0, 4, 1, callerBytes, 0, 0, 0};
  PixImage pix;
  pix.attach(&caller);
  EXPECT_EQ(thrownBy([&] { pix.reserve(100); }).line(), 194);
  auto* owned = new djvu_pixel_image{PIX_GRAY, 4, 3, 0, 4, 1, nullptr, 0, 0, 0};
  owned->data = new std::uint8_t[12]{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  owned->ownerMark = reinterpret_cast<std::intptr_t>(owned->data);
  pix.attach(owned);
  pix.reserve(100);
  EXPECT_EQ(owned->ownerMark, kPixOwnedByHeap) << "a buffer of new becomes a heap buffer";
  EXPECT_EQ(owned->data[11], 12);
  EXPECT_EQ(pix.capacity(), 100u);
  pix.detach();
  djvu_pixel_image_free(owned);

  // Freeing a record whose pixels belong to the caller is refused.
  auto* borrowed = new djvu_pixel_image(caller);
  djvu_pixel_image_free(borrowed);
  ASSERT_EQ(errors.messages.size(), 1u);
  EXPECT_EQ(errors.messages[0], "djvu_pixel_image_free: pixel image was not allocated by djvuapi");
  EXPECT_EQ(errors.lines[0], 1083);
  delete borrowed;
  djvu_pixel_image_free(new djvu_pixel_image{});  // no data, no owner: freed silently
  djvu_pixel_image_free(nullptr);
  EXPECT_EQ(errors.messages.size(), 1u);
}

}  // namespace
}  // namespace orlim::test
