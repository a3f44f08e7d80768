// A forward-only byte stream over a caller's read and write functions, through
// which the decoder draws a file the caller opened itself.
#pragma once

#include <cstddef>

#include "djvu/djvuapi.h"

class DjVu_IOSubByteStream {
 public:
  // Null functions read or write the handle as a FILE* (stdin / stdout when null).
  DjVu_IOSubByteStream(djvu_read_function read, djvu_write_function write, void* handle);
  virtual ~DjVu_IOSubByteStream() = default;

  // One call of the read function; a short read is no error, 0 is the end.
  virtual std::size_t read(void* buffer, std::size_t size);
  // One call of the write function; throws when it takes less than asked.
  virtual std::size_t write(const void* data, std::size_t size);
  virtual long tell() const;
  // Moves forward only (whence 0: from the start, 1: from here) by reading and
  // discarding pieces of at most 512 bytes; returns the count of the last read.
  virtual int seek(long offset, int whence = 0);
  virtual void flush() {}

 private:
  djvu_read_function read_;
  djvu_write_function write_;
  void* handle_;
  long position_ = 0;
};
