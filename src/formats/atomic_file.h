// Saves that never destroy what was there: the writer fills a temporary file
// beside the target, and only a complete file is renamed over it.
#pragma once

#include <cstdio>
#include <string>

namespace orlim {

class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();  // abandons an uncommitted temporary file
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates an empty temporary file in the target's folder and opens it for
  // binary writing. False when it cannot be created (errno tells why).
  bool begin(const char* targetPath);
  // As begin(), but the temporary file starts as a copy of the target when the
  // target exists (for appending a page).
  bool beginCopy(const char* targetPath);

  // The open stream of the temporary file, for writers that use stdio.
  std::FILE* stream() const { return stream_; }
  // The temporary file's name, for libraries that open files by name; call
  // closeStream() first so the two do not write at once.
  const char* tempPath() const { return tempPath_.c_str(); }
  void closeStream();

  // Flushes, closes and renames the temporary file over the target. False (and
  // the temporary file removed) when any of that fails.
  bool commit();
  // Closes and removes the temporary file; the target is untouched.
  void abandon();

 private:
  bool create(const char* targetPath);

  std::string targetPath_;
  std::string tempPath_;
  std::FILE* stream_ = nullptr;
  bool active_ = false;
};

}  // namespace orlim
