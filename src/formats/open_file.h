// A stdio stream closed when it goes out of scope, for the readers.
#pragma once

#include <cstdio>
#include <memory>

namespace orlim {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace orlim
