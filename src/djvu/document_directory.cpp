#include "djvu/document_directory.h"

#include <libdjvu/ddjvuapi.h>

#include "djvu/DjvuException.h"
#include "djvu/ddjvu_session.h"

namespace orlim {

const DocumentFile* DocumentDirectory::find(const std::string& id) const {
  for (const DocumentFile& file : files)
    if (file.id == id) return &file;
  return nullptr;
}

DocumentDirectory readDocumentDirectory(const char* path) {
  DdjvuPage document(path);
  document.waitForDocument();
  ddjvu_document_t* doc = document.document();
  DocumentDirectory directory;
  directory.indirect = ddjvu_document_get_type(doc) == DDJVU_DOCTYPE_INDIRECT;
  const int fileCount = ddjvu_document_get_filenum(doc);
  const int pages = document.pageCount();
  if (fileCount < 0 || pages < 0 || pages > fileCount)
    throw DjvuException("The document's page count does not fit its directory", kUnitLibdjvu, 0);
  directory.pages.assign(std::size_t(pages), -1);
  for (int i = 0; i < fileCount; ++i) {
    ddjvu_fileinfo_t file{};
    if (ddjvu_document_get_fileinfo(doc, i, &file) != DDJVU_JOB_OK)
      throw DjvuException("A component of the document's directory cannot be read", kUnitLibdjvu, 0);
    directory.files.push_back({file.id ? file.id : "", file.name ? file.name : (file.id ? file.id : "")});
    if (file.type == 'P' && file.pageno >= 0 && file.pageno < pages) directory.pages[std::size_t(file.pageno)] = i;
  }
  for (int component : directory.pages)
    if (component < 0) throw DjvuException("A page of the document has no component", kUnitLibdjvu, 0);
  return directory;
}

}  // namespace orlim
