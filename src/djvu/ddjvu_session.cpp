#include "djvu/ddjvu_session.h"

#include <chrono>
#include <new>
#include <optional>
#include <thread>

#include "djvu/DjvuException.h"

namespace orlim {

namespace {

struct KeptPage {
  ddjvu_document_t* document;
  ddjvu_page_t* page;
};

ddjvu_context_t* context() {
  static ddjvu_context_t* shared = ddjvu_context_create("orlim");
  if (!shared) throw DjvuException("Failed to create the DjVu decoding context", kUnitLibdjvu, 0);
  return shared;
}

// Pops every pending message; the first error that concerns `document` is kept.
// The page's bytes are all the data there is: a request for another file (an
// included chunk or an indirect page) is answered with a closed stream, so that the
// decoder fails instead of waiting for ever.
void drainMessages(ddjvu_document_t* document, std::optional<DjvuException>& firstError) {
  ddjvu_context_t* ctx = context();
  while (const ddjvu_message_t* message = ddjvu_message_peek(ctx)) {
    if (message->m_any.tag == DDJVU_NEWSTREAM && message->m_newstream.streamid != 0 && message->m_any.document)
      ddjvu_stream_close(message->m_any.document, message->m_newstream.streamid, 1);
    if (message->m_any.tag == DDJVU_ERROR && message->m_any.document == document && !firstError) {
      const auto& error = message->m_error;
      firstError.emplace(error.message ? error.message : "Invalid exception",
                         error.filename ? error.filename : "ddjvuapi", error.lineno);
    }
    ddjvu_message_pop(ctx);
  }
}

}  // namespace

DdjvuPage::DdjvuPage() {
  document_ = ddjvu_document_create(context(), nullptr, 0);
  if (!document_) throw DjvuException("Failed to create a DjVu document", kUnitLibdjvu, 0);
}

DdjvuPage::DdjvuPage(const char* path) {
  document_ = ddjvu_document_create_by_filename_utf8(context(), path, 0);
  if (!document_) throw DjvuException("Failed to create a DjVu document", kUnitLibdjvu, 0);
}

DdjvuPage::~DdjvuPage() {
  if (page_) ddjvu_page_release(page_);
  if (document_) ddjvu_document_release(document_);
  if (document_ || page_) {
    std::optional<DjvuException> ignored;
    drainMessages(nullptr, ignored);
  }
}

// Processes messages until `done` holds. The decoder works in threads of its own;
// polling (rather than blocking in ddjvu_message_wait) cannot hang on a job that
// will post nothing more.
template <typename Done>
void DdjvuPage::processUntil(Done done, std::optional<DjvuException>& firstError) {
  for (;;) {
    drainMessages(document_, firstError);
    if (done()) return;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

void DdjvuPage::waitForDocument() {
  std::optional<DjvuException> firstError;
  processUntil([this] { return ddjvu_document_decoding_done(document_) != 0; }, firstError);
  drainMessages(document_, firstError);
  if (firstError) throw *firstError;
  if (ddjvu_document_decoding_error(document_))
    throw DjvuException("Failed to decode the DjVu document", kUnitLibdjvu, 0);
}

int DdjvuPage::pageCount() const { return ddjvu_document_get_pagenum(document_); }

void DdjvuPage::decode(int pageno) {
  waitForDocument();
  if (pageno < 0 || pageno >= pageCount()) throw DjvuException("No such page in the DjVu document", kUnitLibdjvu, 0);
  std::optional<DjvuException> firstError;
  page_ = ddjvu_page_create_by_pageno(document_, pageno);
  if (page_) processUntil([this] { return ddjvu_page_decoding_done(page_) != 0; }, firstError);
  drainMessages(document_, firstError);
  if (firstError) throw *firstError;
  if (!page_ || ddjvu_page_decoding_status(page_) != DDJVU_JOB_OK)
    throw DjvuException("Failed to decode the DjVu page", kUnitLibdjvu, 0);
  // Rendered upright, as the page asks: every size and rectangle the layer gives
  // out is then one of the upright page.
  ddjvu_page_set_rotation(page_, ddjvu_page_get_initial_rotation(page_));
}

void* DdjvuPage::release() {
  auto* kept = new KeptPage{document_, page_};
  document_ = nullptr;
  page_ = nullptr;
  return kept;
}

void DdjvuPage::destroy(void* kept) {
  auto* k = static_cast<KeptPage*>(kept);
  if (!k) return;
  if (k->page) ddjvu_page_release(k->page);
  if (k->document) ddjvu_document_release(k->document);
  std::optional<DjvuException> ignored;
  drainMessages(nullptr, ignored);
  delete k;
}

ddjvu_page_t* DdjvuPage::pageOf(const void* kept) { return kept ? static_cast<const KeptPage*>(kept)->page : nullptr; }

bool DdjvuPage::render(const void* kept, ddjvu_render_mode_t mode, const ddjvu_rect_t& pageRect,
                       const ddjvu_rect_t& renderRect, const ddjvu_format_t* format, unsigned long rowsize,
                       char* buffer) {
  const auto* k = static_cast<const KeptPage*>(kept);
  const int done = ddjvu_page_render(k->page, mode, &pageRect, &renderRect, format, rowsize, buffer);
  std::optional<DjvuException> firstError;
  drainMessages(k->document, firstError);
  if (firstError) throw *firstError;
  return done != 0;
}

}  // namespace orlim
