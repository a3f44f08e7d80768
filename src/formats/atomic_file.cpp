#include "formats/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace orlim {

namespace {

// The mode a newly created file would get, or the target's own when it exists.
mode_t modeForTarget(const char* targetPath) {
  struct stat st {};
  if (::stat(targetPath, &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool copyFileContents(const char* from, std::FILE* to) {
  std::FILE* in = std::fopen(from, "rb");
  if (!in) return errno == ENOENT;  // no file yet: start empty
  std::vector<char> buffer(1 << 16);
  bool ok = true;
  for (;;) {
    const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
    if (n > 0 && std::fwrite(buffer.data(), 1, n, to) != n) {
      ok = false;
      break;
    }
    if (n < buffer.size()) {
      ok = !std::ferror(in);
      break;
    }
  }
  std::fclose(in);
  return ok && std::fflush(to) == 0;
}

}  // namespace

AtomicFile::~AtomicFile() { abandon(); }

bool AtomicFile::create(const char* targetPath) {
  abandon();
  targetPath_ = targetPath ? targetPath : "";
  if (targetPath_.empty()) {
    errno = ENOENT;
    return false;
  }
  std::string pattern = targetPath_ + ".tmpXXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return false;
  ::fchmod(fd, modeForTarget(targetPath));
  stream_ = ::fdopen(fd, "wb");
  if (!stream_) {
    const int saved = errno;
    ::close(fd);
    ::unlink(name.data());
    errno = saved;
    return false;
  }
  tempPath_ = name.data();
  active_ = true;
  return true;
}

bool AtomicFile::begin(const char* targetPath) { return create(targetPath); }

bool AtomicFile::beginCopy(const char* targetPath) {
  if (!create(targetPath)) return false;
  if (!copyFileContents(targetPath, stream_)) {
    const int saved = errno;
    abandon();
    errno = saved;
    return false;
  }
  return true;
}

void AtomicFile::closeStream() {
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
}

bool AtomicFile::commit() {
  if (!active_) return false;
  bool ok = true;
  if (stream_) {
    ok = std::fflush(stream_) == 0;
    ok = (std::fclose(stream_) == 0) && ok;
    stream_ = nullptr;
  }
  if (ok) ok = std::rename(tempPath_.c_str(), targetPath_.c_str()) == 0;
  if (!ok) {
    const int saved = errno;
    ::unlink(tempPath_.c_str());
    errno = saved;
  }
  active_ = false;
  return ok;
}

void AtomicFile::abandon() {
  closeStream();
  if (active_) ::unlink(tempPath_.c_str());
  active_ = false;
}

}  // namespace orlim
