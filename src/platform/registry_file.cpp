#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/Registry.h"

namespace orlim {

namespace {

Registry* installedRegistry = nullptr;

std::string systemError(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

// Creates every missing folder on the way to `file`.
bool makeParentFolders(const std::string& file, std::string& error) {
  for (std::size_t slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1)) {
    const std::string folder = file.substr(0, slash);
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
      error = systemError("cannot create", folder);
      return false;
    }
  }
  return true;
}

bool readFile(const std::string& path, RegistryTree& tree, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (errno == ENOENT) {
      tree = RegistryTree();
      return true;
    }
    error = systemError("cannot read", path);
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    error = systemError("cannot read", path);
    return false;
  }
  std::string why;
  if (!RegistryTree::parse(text.str(), tree, why)) {
    error = "the registry " + path + " is damaged: " + why;
    return false;
  }
  return true;
}

bool writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A complete temporary file beside the registry, renamed over it.
bool writeFileAtomically(const std::string& path, const std::string& text, std::string& error) {
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    error = systemError("cannot write", path);
    return false;
  }
  const bool written = fchmod(fd, 0644) == 0 && writeAll(fd, text) && fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
    error = systemError("cannot write", path);
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

// Holds `<file>.lock` exclusively: writers take turns. The lock file stays, so
// every writer locks the same file.
class WriterLock {
 public:
  explicit WriterLock(const std::string& file)
      : fd_(::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    while (fd_ >= 0 && flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        ::close(fd_);
        fd_ = -1;
      }
    }
  }
  ~WriterLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  WriterLock(const WriterLock&) = delete;
  WriterLock& operator=(const WriterLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_;
};

}  // namespace

std::string defaultRegistryLocation() {
  if (const char* given = std::getenv("ORLIM_REGISTRY"); given && *given) return given;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
    return std::string(data) + "/orlim/registry";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.local/share/orlim/registry";
}

std::string TextFileRegistry::path() const { return path_.empty() ? defaultRegistryLocation() : path_; }

bool TextFileRegistry::read(RegistryTree& tree, std::string& error) { return readFile(path(), tree, error); }

bool TextFileRegistry::update(const std::function<bool(RegistryTree&)>& change, std::string& error) {
  const std::string file = path();
  if (!makeParentFolders(file, error)) return false;
  const WriterLock lock(file);
  if (!lock.held()) {
    error = systemError("cannot lock", file + ".lock");
    return false;
  }
  RegistryTree tree;
  if (!readFile(file, tree, error)) return false;
  if (!change(tree)) {
    if (error.empty()) error = "the change was refused";
    return false;
  }
  return writeFileAtomically(file, tree.format(), error);
}

void setRegistry(Registry* registry) { installedRegistry = registry; }

Registry& currentRegistry() {
  static TextFileRegistry defaultFile;
  return installedRegistry ? *installedRegistry : defaultFile;
}

}  // namespace orlim
