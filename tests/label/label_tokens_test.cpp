#include "label/label_tokens.h"

#include <gtest/gtest.h>

namespace orlim {
namespace {

const LabelTime kSixDecember{2026, 12, 6, 9, 5, 3};

TEST(LabelTokens, DateWithoutLeadingZerosAndTimeWithThem) {
  EXPECT_EQ(substituteLabelTokens("Page $date", nullptr, kSixDecember), "Page 12/6/2026");
  EXPECT_EQ(substituteLabelTokens("$time", nullptr, kSixDecember), "09:05:03");
  EXPECT_EQ(substituteLabelTokens("$date $date", nullptr, kSixDecember), "12/6/2026 12/6/2026");
  EXPECT_EQ(substituteLabelTokens("at $time on $date.", nullptr, {2027, 1, 31, 23, 59, 0}),
            "at 23:59:00 on 1/31/2027.");
  EXPECT_EQ(substituteLabelTokens("no tokens $ here", nullptr, kSixDecember), "no tokens $ here");
}

TEST(LabelTokens, FileNameFirstThenDateThenTime) {
  EXPECT_EQ(substituteLabelTokens("[$filename]", nullptr, kSixDecember), "[]");
  EXPECT_EQ(substituteLabelTokens("$filename, $filename", "scan.djvu", kSixDecember), "scan.djvu, scan.djvu");
  // The name is substituted first, so tokens inside it are replaced as well...
  EXPECT_EQ(substituteLabelTokens("$filename", "x$time", kSixDecember), "x09:05:03");
  // ...but a replacement is never searched again for its own token.
  EXPECT_EQ(substituteLabelTokens("$filename!", "$filename", kSixDecember), "$filename!");
  EXPECT_EQ(substituteLabelTokens("$datetime", nullptr, kSixDecember), "12/6/2026time");
}

}  // namespace
}  // namespace orlim
