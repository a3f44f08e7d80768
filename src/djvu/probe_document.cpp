// The probe of a multi-page DjVu document: its DIRM directory checked against the
// file with plain reads, the page list as DjVuLibre reads it (the names and page
// flags are compressed), then the selected page's own form probed as a single
// page is. Only the directory and that page's form are read.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "djvu/DjvuException.h"
#include "djvu/document_directory.h"
#include "djvu/probe_chunks.h"
#include "image/Image.h"

namespace orlim::probe {

namespace {

constexpr std::uint8_t kBundledFlag = 0x80;
constexpr int kFormHeaderBytes = 12;  // "FORM", size, secondary identifier

// What the uncompressed start of DIRM tells: the number of components and, for a
// bundle, where each one starts in the file.
struct DirmHead {
  bool bundled = false;
  int fileCount = 0;
  std::vector<std::uint32_t> offsets;
};

int readDirmHead(Image& image, std::FILE* f, const char* path, long long fileLength, DirmHead& head) {
  const std::uint32_t id = readBig(f, 4);
  const std::uint32_t size = readBig(f, 4);
  if (id != iffId("DIRM")) return image.fail("Error! No DIRM directory in the DjVu document %s!\n", path);
  const long long dataStart = std::ftell(f);
  if (size < 3 || dataStart + size > fileLength)
    return image.fail("Error! The directory of the DjVu document %s does not fit in the file!\n", path);
  head.bundled = readBig(f, 1) & kBundledFlag;
  head.fileCount = int(readBig(f, 2));
  if (!head.bundled) return 1;
  // The table lies inside the chunk, which lies inside the file: nothing is
  // allocated beyond what the file holds.
  if (3 + 4ll * head.fileCount > size)
    return image.fail("Error! The directory of the DjVu document %s does not fit in the file!\n", path);
  head.offsets.resize(std::size_t(head.fileCount));
  for (int i = 0; i < head.fileCount; ++i) {
    head.offsets[std::size_t(i)] = readBig(f, 4);
    if (head.offsets[std::size_t(i)] + (long long)kFormHeaderBytes > fileLength)
      return image.fail("Error! The directory of the DjVu document %s points outside the file (component %d at %u)!\n",
                        path, i + 1, head.offsets[std::size_t(i)]);
  }
  return 1;
}

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The component files of an indirect document lie beside its index.
bool namesAFileBeside(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

bool canOpen(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file) std::fclose(file);
  return file != nullptr;
}

// The identifiers a page's INCL chunks name (the shared data it needs), from its
// chunks between `start` and `end`.
std::vector<std::string> includedIds(std::FILE* f, long long start, long long end) {
  constexpr std::uint32_t kLongestId = 1024;
  std::vector<std::string> ids;
  for (long long at = start; at + 8 <= end;) {
    std::fseek(f, long(at), SEEK_SET);
    const std::uint32_t id = readBig(f, 4);
    const std::uint32_t size = readBig(f, 4);
    if (id == iffId("INCL")) {
      std::string text(std::min<long long>({size, kLongestId, end - at - 8}), '\0');
      text.resize(std::fread(text.data(), 1, text.size(), f));
      // The library drops the line breaks around the name.
      while (!text.empty() && text.front() == '\n') text.erase(0, 1);
      while (!text.empty() && text.back() == '\n') text.pop_back();
      ids.push_back(text);
    }
    at += 8 + (long long)size;
    if (at & 1) ++at;
  }
  return ids;
}

// Every component the page includes must be in the document (and, for an
// indirect document, its file beside the index).
int checkIncluded(Image& image, std::FILE* f, long long start, long long end, const char* path, int page,
                  const DocumentDirectory& directory) {
  for (const std::string& id : includedIds(f, start, end)) {
    const DocumentFile* file = directory.find(id);
    if (!file)
      return image.fail("Error! Page %d of the DjVu document %s needs %s, which the document does not hold!\n",
                        page + 1, path, id.c_str());
    if (directory.indirect && (!namesAFileBeside(file->name) || !canOpen(folderOf(path) + file->name)))
      return image.fail("Error! Page %d of the DjVu document %s needs %s, which could not be opened!\n", page + 1, path,
                        (folderOf(path) + file->name).c_str());
  }
  return 1;
}

// A bundled page: its form at the offset the directory gives, which must lie
// whole inside the file.
int probeBundledPage(Image& image, std::FILE* f, const char* path, int page, std::uint32_t offset, long long fileLength,
                     const DocumentDirectory& directory, DjvuFileInfo& info) {
  std::fseek(f, long(offset), SEEK_SET);
  const std::uint32_t form = readBig(f, 4);
  const std::uint32_t size = readBig(f, 4);
  info.formType = readBig(f, 4);
  const long long end = (long long)offset + 8 + size;
  if (form != iffId("FORM") || size < 4 || end > fileLength)
    return image.fail("Error! Page %d of the DjVu document %s is damaged: no whole FORM chunk at offset %u!\n",
                      page + 1, path, offset);
  if (!isPageForm(info.formType))
    return image.fail("Error! Page %d of the DjVu document %s is not a DjVu page!\n", page + 1, path);
  const std::string label = "page " + std::to_string(page + 1) + " of " + path;
  return probePageBody(image, f, label.c_str(), end, info) &&
         checkIncluded(image, f, offset + kFormHeaderBytes, end, path, page, directory);
}

// An indirect page: a file of its own beside the index, probed as a single page.
int probeIndirectPage(Image& image, const char* path, int page, const DocumentDirectory& directory,
                      DjvuFileInfo& info) {
  const std::string& name = directory.files[std::size_t(directory.pages[std::size_t(page)])].name;
  if (!namesAFileBeside(name))
    return image.fail("Error! Page %d of the DjVu document %s names a file outside its folder: %s!\n", page + 1, path,
                      name.c_str());
  const std::string componentPath = folderOf(path) + name;
  if (!canOpen(componentPath))
    return image.fail("Error! Page %d of the DjVu document %s is missing: could not open %s!\n", page + 1, path,
                      componentPath.c_str());
  const DjvuFileInfo document = info;
  if (!image.probeDjvuFile(componentPath.c_str(), info)) return 0;
  if (info.documentForm)
    return image.fail("Error! Page %d of the DjVu document %s is not a DjVu page!\n", page + 1, path);
  info.documentForm = document.documentForm;
  info.indirect = true;
  info.pageCount = document.pageCount;
  info.pageIndex = document.pageIndex;
  std::unique_ptr<std::FILE, decltype(&std::fclose)> component(std::fopen(componentPath.c_str(), "rb"), &std::fclose);
  return component && checkIncluded(image, component.get(), 16, fileSize(component.get()), path, page, directory);
}

}  // namespace

int probeDocument(Image& image, std::FILE* f, const char* path, int page, DjvuFileInfo& info) {
  const long long fileLength = fileSize(f);
  DirmHead head;
  if (!readDirmHead(image, f, path, fileLength, head)) return 0;
  DocumentDirectory directory;
  try {
    directory = readDocumentDirectory(path);
  } catch (const DjvuException& e) {
    return image.fail("Error! The directory of the DjVu document %s cannot be read: %s\n", path, e.message());
  }
  if (int(directory.files.size()) != head.fileCount || directory.indirect == head.bundled)
    return image.fail("Error! The directory of the DjVu document %s is damaged!\n", path);
  if (directory.pages.empty()) return image.fail("Error! The DjVu document %s has no pages!\n", path);
  // As for TIFF: a page the document does not have opens its first page.
  if (page < 0 || page >= int(directory.pages.size())) page = 0;
  info.documentForm = iffId("DJVM");
  info.pageCount = int(directory.pages.size());
  info.pageIndex = page;
  if (!head.bundled) return probeIndirectPage(image, path, page, directory, info);
  const std::uint32_t offset = head.offsets[std::size_t(directory.pages[std::size_t(page)])];
  return probeBundledPage(image, f, path, page, offset, fileLength, directory, info);
}

}  // namespace orlim::probe
