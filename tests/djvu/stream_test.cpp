// The forward-only callback stream the decoder reads through.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "djvu/DjvuException.h"
#include "djvu/IOSubByteStream.h"
#include "djvu_fixtures.h"

namespace orlim::test {
namespace {

// A source of `size` bytes (byte i = i mod 251) that records every read asked of
// it and delivers at most `piece` bytes per call.
struct Source {
  int size = 0;
  int piece = 1 << 30;
  int offset = 0;
  std::vector<int> asked;
  std::vector<int> delivered;
};

int readSource(void* handle, void* buffer, int length) {
  auto* s = static_cast<Source*>(handle);
  s->asked.push_back(length);
  const int n = std::min({length, s->size - s->offset, s->piece});
  for (int i = 0; i < n; ++i) static_cast<std::uint8_t*>(buffer)[i] = std::uint8_t((s->offset + i) % 251);
  s->offset += n;
  s->delivered.push_back(n);
  return n;
}

int takeHalf(void*, const void*, int length) { return length / 2; }

TEST(IOSubByteStream, ForwardSeeksReadInPiecesOfAtMost512Bytes) {
  Source source;
  source.size = 5000;
  DjVu_IOSubByteStream stream(readSource, nullptr, &source);
  char byte;
  ASSERT_EQ(stream.read(&byte, 1), 1u);
  EXPECT_EQ(stream.seek(1300, 1), 276) << "the count of the last read";
  EXPECT_EQ(source.asked, (std::vector<int>{1, 512, 512, 276}));
  EXPECT_EQ(stream.tell(), 1301);
  ASSERT_EQ(stream.read(&byte, 1), 1u);
  EXPECT_EQ(std::uint8_t(byte), 1301 % 251) << "the bytes in between were consumed";

  source.asked.clear();
  EXPECT_EQ(stream.seek(1302, 0), 0) << "a seek to the position reads nothing";
  EXPECT_EQ(stream.seek(0, 1), 0);
  EXPECT_TRUE(source.asked.empty());
  EXPECT_EQ(stream.seek(1400, 0), 98);
}

TEST(IOSubByteStream, FailuresCarryTheirUnitAndLine) {
  Source source;
  source.size = 40;
  DjVu_IOSubByteStream stream(readSource, nullptr, &source);
  DjvuException eof = thrownBy([&] { stream.seek(100, 0); });
  EXPECT_STREQ(eof.message(), "EOF");
  EXPECT_EQ(eof.line(), 79);
  EXPECT_STREQ(eof.unit(), "libAPI\\IOSubByteStream");
  EXPECT_EQ(stream.tell(), 40) << "the bytes consumed up to the failure";

  DjvuException back = thrownBy([&] { stream.seek(10, 0); });
  EXPECT_STREQ(back.message(), "Cannot seek backwards in DjVu_IOSubByteStream::seek()");
  EXPECT_EQ(back.line(), 71);
  DjvuException whence = thrownBy([&] { stream.seek(0, 2); });
  EXPECT_STREQ(whence.message(), "Illegal argument for DjVu_IOSubByteStream::seek()");
  EXPECT_EQ(whence.line(), 68);

  DjVu_IOSubByteStream sink(nullptr, takeHalf, nullptr);
  const char data[10] = {};
  DjvuException write = thrownBy([&] { sink.write(data, 10); });
  EXPECT_STREQ(write.message(), "DjVu_IOSubByteStream: unable to write requested data");
  EXPECT_EQ(write.line(), 45);
  EXPECT_EQ(sink.tell(), 5);
}

TEST(IOSubByteStream, ShortReadsPassThroughUnchanged) {
  Source source;
  source.size = 1000;
  source.piece = 7;
  DjVu_IOSubByteStream stream(readSource, nullptr, &source);
  char buffer[100];
  EXPECT_EQ(stream.read(buffer, 100), 7u);
  EXPECT_EQ(stream.tell(), 7);
  // A seek made of short reads still arrives where it was asked to.
  stream.seek(50, 0);
  EXPECT_EQ(stream.tell(), 50);
}

TEST(IOSubByteStream, WithoutFunctionsTheHandleIsAStdioStream) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  DjVu_IOSubByteStream out(nullptr, nullptr, file);
  EXPECT_EQ(out.write("hello world", 11), 11u);
  std::rewind(file);
  DjVu_IOSubByteStream in(nullptr, nullptr, file);
  char buffer[16] = {};
  in.seek(6, 0);
  EXPECT_EQ(in.read(buffer, sizeof buffer), 5u);
  EXPECT_STREQ(buffer, "world");
  std::fclose(file);
}

}  // namespace
}  // namespace orlim::test
