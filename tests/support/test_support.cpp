#include "support/test_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace orlim::test {

TempDir::TempDir() {
  const char* base = std::getenv("ORLIM_TEST_TMP");
  std::string root = base ? base : "/tmp";
  std::filesystem::create_directories(root);
  std::string pattern = root + "/orlim-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

int run(const std::string& command, std::string* output) {
  std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  std::string text;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  const int status = ::pclose(pipe);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

namespace {

// A compiled program (not a script that stands in for it) that says it is imagemagick.
bool isImagemagick(const std::string& path) {
  if (::access(path.c_str(), X_OK) != 0) return false;
  std::ifstream in(path, std::ios::binary);
  char magic[4] = {};
  if (!in.read(magic, 4) || std::string(magic, 4) !=
                                "\x7f"
                                "ELF")
    return false;
  std::string version;
  return run("'" + path + "' -version", &version) == 0 && version.find("ImageMagick") != std::string::npos;
}

// The first imagemagick `convert` on PATH, "" when there is none; looked up once.
const std::string& imagemagickOnPath() {
  static const std::string found = [] {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    for (std::size_t start = 0; start <= dirs.size();) {
      const std::size_t colon = std::min(dirs.find(':', start), dirs.size());
      const std::string dir = dirs.substr(start, colon - start);
      const std::string candidate = (dir.empty() ? "." : dir) + "/convert";
      if (isImagemagick(candidate)) return candidate;
      start = colon + 1;
    }
    return std::string();
  }();
  return found;
}

}  // namespace

std::string convertTool() {
  const std::string& found = imagemagickOnPath();
  return found.empty() ? "convert" : found;
}

bool haveTool(const std::string& name) {
  if (name == "convert") return !imagemagickOnPath().empty();
  return run("command -v '" + name + "' >/dev/null") == 0;
}

std::string missingTool(std::initializer_list<const char*> tools) {
  for (const char* tool : tools)
    if (!haveTool(tool)) return tool;
  return "";
}

void appendLe16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}

void appendLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  appendLe16(out, v & 0xFFFF);
  appendLe16(out, v >> 16);
}

RgbPicture decodeWithImagemagick(const std::string& path) {
  RgbPicture pic;
  std::string dims;
  if (run(convertTool() + " '" + path + "' -format '%w %h' info:", &dims) != 0)
    throw std::runtime_error("imagemagick cannot read " + path + ": " + dims);
  if (std::sscanf(dims.c_str(), "%d %d", &pic.width, &pic.height) != 2)
    throw std::runtime_error("unexpected size from imagemagick: " + dims);
  const std::string raw = path + ".rgb";
  std::string log;
  if (run(convertTool() + " '" + path + "' -depth 8 rgb:'" + raw + "'", &log) != 0)
    throw std::runtime_error("imagemagick cannot convert " + path + ": " + log);
  pic.rgb = readFile(raw);
  std::remove(raw.c_str());
  return pic;
}

}  // namespace orlim::test
