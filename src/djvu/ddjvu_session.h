// The layer's use of DjVuLibre's public interface: one ddjvu context for the
// process and, per decoded page, a document with that one page decoded: an
// in-memory document fed through stream 0 (a single page), or a document the
// library opens by file name (a bundle, or an indirect document whose component
// files lie beside its index). Library errors, which ddjvu posts as messages,
// are turned into DjvuException.
#pragma once

#include <libdjvu/ddjvuapi.h>

#include <optional>

#include "djvu/DjvuException.h"

namespace orlim {

class DdjvuPage {
 public:
  // A document without a file name: its bytes come through stream 0.
  DdjvuPage();
  // A document the library reads from the file itself, only the parts it needs.
  explicit DdjvuPage(const char* path);
  ~DdjvuPage();
  DdjvuPage(const DdjvuPage&) = delete;
  DdjvuPage& operator=(const DdjvuPage&) = delete;

  ddjvu_document_t* document() const { return document_; }
  ddjvu_page_t* page() const { return page_; }
  // Processes the library's messages until the document's directory is known;
  // throws the first error the library posted.
  void waitForDocument();
  int pageCount() const;
  // Processes the library's messages until page `pageno` is decoded; throws the
  // first error the library posted, or a failure of its own when the page failed.
  // The page is then turned upright as its INFO chunk asks, as viewers show it.
  void decode(int pageno = 0);
  // Hands the document and page over as one opaque pointer (see destroy, of).
  void* release();

  static void destroy(void* kept);
  static ddjvu_page_t* pageOf(const void* kept);
  // Renders through ddjvu_page_render; throws when the library posted an error.
  // Returns false when the library had nothing to render.
  static bool render(const void* kept, ddjvu_render_mode_t mode, const ddjvu_rect_t& pageRect,
                     const ddjvu_rect_t& renderRect, const ddjvu_format_t* format, unsigned long rowsize, char* buffer);

 private:
  template <typename Done>
  void processUntil(Done done, std::optional<DjvuException>& firstError);

  ddjvu_document_t* document_ = nullptr;
  ddjvu_page_t* page_ = nullptr;
};

}  // namespace orlim
