#include "djvu/IOSubByteStream.h"

#include <cstdio>

#include "djvu/DjvuException.h"

using orlim::DjvuException;
using orlim::kUnitStream;

namespace {

constexpr long kSkipPiece = 512;

int readFromFile(void* handle, void* buffer, int length) {
  std::FILE* file = handle ? static_cast<std::FILE*>(handle) : stdin;
  return int(std::fread(buffer, 1, std::size_t(length), file));
}

int writeToFile(void* handle, const void* data, int length) {
  std::FILE* file = handle ? static_cast<std::FILE*>(handle) : stdout;
  return int(std::fwrite(data, 1, std::size_t(length), file));
}

}  // namespace

DjVu_IOSubByteStream::DjVu_IOSubByteStream(djvu_read_function read, djvu_write_function write, void* handle)
    : read_(read ? read : readFromFile), write_(write ? write : writeToFile), handle_(handle) {}

std::size_t DjVu_IOSubByteStream::read(void* buffer, std::size_t size) {
  int got = read_(handle_, buffer, int(size));
  if (got <= 0) return 0;
  position_ += got;
  return std::size_t(got);
}

std::size_t DjVu_IOSubByteStream::write(const void* data, std::size_t size) {
  int taken = write_(handle_, data, int(size));
  if (taken > 0) position_ += taken;
  if (taken < int(size)) throw DjvuException("DjVu_IOSubByteStream: unable to write requested data", kUnitStream, 45);
  return std::size_t(taken);
}

long DjVu_IOSubByteStream::tell() const { return position_; }

int DjVu_IOSubByteStream::seek(long offset, int whence) {
  long target;
  if (whence == 0) {
    target = offset;
  } else if (whence == 1) {
    target = position_ + offset;
  } else {
    throw DjvuException("Illegal argument for DjVu_IOSubByteStream::seek()", kUnitStream, 68);
  }
  if (target < position_) throw DjvuException("Cannot seek backwards in DjVu_IOSubByteStream::seek()", kUnitStream, 71);
  if (target == position_) return whence == 0 ? 0 : int(offset);
  char piece[kSkipPiece];
  int last = 0;
  while (position_ < target) {
    long want = target - position_ < kSkipPiece ? target - position_ : kSkipPiece;
    last = int(read(piece, std::size_t(want)));
    if (last == 0) throw DjvuException("EOF", kUnitStream, 79);
  }
  return last;
}
