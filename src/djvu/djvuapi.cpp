// Decoding over DjVuLibre's public interface (ddjvuapi): one context for the
// process, one in-memory document per decoded page, and the layer's error slot.
#include "djvu/djvuapi.h"

#include <libdjvu/ddjvuapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "djvu/DjvuException.h"
#include "djvu/IOSubByteStream.h"
#include "djvu/ddjvu_session.h"

using orlim::DjvuException;
using orlim::kUnitLibdjvu;

// --- errors ---

namespace {
djvu_error_handler installedHandler = nullptr;
}

djvu_error_handler djvu_set_error_handler(djvu_error_handler handler) {
  djvu_error_handler previous = installedHandler;
  installedHandler = handler;
  return previous;
}

int djvu_report_error(const char* message, const char* file, int line) {
  if (!message) message = "Invalid exception";
  if (!file) file = "";
  if (installedHandler) return installedHandler(message, file, line);
  std::fprintf(stderr, "DjVu Error: '%s' at %s(%d)\r\n", message, file, line);
  std::exit(10);
}

int orlim::DjvuException::report() const { return djvu_report_error(message(), unit(), line()); }

// --- options ---

djvu_render_options* djvu_render_options_default(djvu_render_options* dest, int length) {
  const djvu_render_options defaults{24, 2.2f, 24, 0, 0, 0};
  if (!dest) {
    auto* fresh = static_cast<djvu_render_options*>(_djvu_calloc(1, sizeof(djvu_render_options)));
    if (fresh) *fresh = defaults;
    return fresh;
  }
  if (length >= int(sizeof(djvu_render_options))) {
    *dest = defaults;
    return dest;
  }
  if (length <= 4) return nullptr;
  std::memcpy(dest, &defaults, std::size_t(length));
  dest->size = length;
  return dest;
}

// --- decoding ---

namespace {

constexpr int kHeaderBytes = 16;
constexpr std::size_t kFeedPiece = 65536;

// The checks made on a stream the layer reads itself, before the library sees it.
void checkHeader(const unsigned char* head, std::size_t got) {
  if (got < kHeaderBytes) throw DjvuException("Failed to read DjVu file header", kUnitLibdjvu, 694);
  if (std::memcmp(head, "AT&TFORM", 8) != 0) throw DjvuException("Not a DjVu document.", kUnitLibdjvu, 701);
  const char* kind = reinterpret_cast<const char*>(head + 12);
  if (!std::memcmp(kind, "DJVU", 4) || !std::memcmp(kind, "PM44", 4) || !std::memcmp(kind, "BM44", 4)) return;
  if (!std::memcmp(kind, "DJVM", 4))
    throw DjvuException("Multipage Bundled DjVu Documents Are Not Supported Yet.", kUnitLibdjvu, 708);
  if (!std::memcmp(kind, "DJVI", 4)) throw DjvuException("DjVu Index Files Are Not Supported Yet.", kUnitLibdjvu, 711);
  throw DjvuException("This DjVu Files Is Not A Recognized Format.", kUnitLibdjvu, 714);
}

// The flags byte of the INFO chunk, when the file starts with one (-1 otherwise).
int infoFlags(const std::string& head) {
  if (head.size() < 34 || head.compare(12, 8, "DJVUINFO") != 0) return -1;
  const auto* b = reinterpret_cast<const unsigned char*>(head.data());
  const std::uint32_t size = (std::uint32_t(b[20]) << 24) | (b[21] << 16) | (b[22] << 8) | b[23];
  return size >= 10 ? b[33] : -1;
}

// Feeds the stream's bytes to the document; keeps the first ones for INFO.
void feedDocument(DjVu_IOSubByteStream& stream, ddjvu_document_t* document, bool checkFirst, std::string& head) {
  std::string piece(kFeedPiece, '\0');
  std::size_t got;
  if (checkFirst) {
    got = 0;
    while (got < kHeaderBytes) {
      std::size_t n = stream.read(piece.data() + got, kHeaderBytes - got);
      if (n == 0) break;
      got += n;
    }
    checkHeader(reinterpret_cast<const unsigned char*>(piece.data()), got);
    ddjvu_stream_write(document, 0, piece.data(), got);
    head.append(piece.data(), got);
  }
  while ((got = stream.read(piece.data(), piece.size())) > 0) {
    ddjvu_stream_write(document, 0, piece.data(), got);
    if (head.size() < 64) head.append(piece.data(), std::min<std::size_t>(got, 64 - head.size()));
  }
  ddjvu_stream_close(document, 0, 0);
}

djvu_halfcoded_image* describePage(orlim::DdjvuPage& page, const std::string& head, int pageIndex = 0) {
  ddjvu_page_t* p = page.page();
  auto* image = new djvu_halfcoded_image{};
  image->width = std::uint32_t(ddjvu_page_get_width(p));
  image->height = std::uint32_t(ddjvu_page_get_height(p));
  const int flags = infoFlags(head);
  const std::uint32_t divisor = flags == 2 || flags == 3 ? std::uint32_t(flags) : 1;
  image->scaledWidth = image->width / divisor;
  image->scaledHeight = image->height / divisor;
  image->memorySize = 0;  // the public interface does not tell
  image->dpi = ddjvu_page_get_resolution(p);
  image->gamma = float(ddjvu_page_get_gamma(p));
  if (char* dump = ddjvu_document_get_pagedump(page.document(), pageIndex)) {
    image->description = static_cast<char*>(_djvu_malloc(std::strlen(dump) + 1));
    if (image->description) std::strcpy(image->description, dump);
    std::free(dump);
  }
  image->pageCount = 1;
  image->page = page.release();
  return image;
}

}  // namespace

djvu_halfcoded_image* djvu_halfcoded_image_decode(djvu_read_function read, void* handle) {
  try {
    orlim::DdjvuPage page;
    DjVu_IOSubByteStream stream(read, nullptr, handle);
    std::string head;
    feedDocument(stream, page.document(), read == nullptr, head);
    page.decode();
    return describePage(page, head);
  } catch (const DjvuException& e) {
    e.report();
  } catch (const std::bad_alloc&) {
    djvu_report_error("Out of memory", kUnitLibdjvu, 0);
  }
  return nullptr;
}

djvu_halfcoded_image* djvu_document_page_decode(const char* path, int pageIndex) {
  try {
    if (!path) throw DjvuException("No DjVu document named", kUnitLibdjvu, 0);
    orlim::DdjvuPage page(path);
    page.decode(pageIndex);
    const int pages = page.pageCount();
    djvu_halfcoded_image* image = describePage(page, std::string(), pageIndex);
    image->pageIndex = pageIndex;
    image->pageCount = pages;
    return image;
  } catch (const DjvuException& e) {
    e.report();
  } catch (const std::bad_alloc&) {
    djvu_report_error("Out of memory", kUnitLibdjvu, 0);
  }
  return nullptr;
}

void djvu_halfcoded_image_free(djvu_halfcoded_image* image) {
  if (!image) return;
  orlim::DdjvuPage::destroy(image->page);
  _djvu_free(image->description);
  delete image;
}
