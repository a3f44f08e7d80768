// The directory of a multi-page DjVu document (FORM:DJVM, bundled or indirect) as
// DjVuLibre reads it: which component file holds each page. Reading it decodes
// the directory only, never a page.
#pragma once

#include <string>
#include <vector>

namespace orlim {

struct DocumentFile {
  std::string id;    // how pages refer to it (INCL chunks)
  std::string name;  // its file name beside the index (indirect documents)
};

struct DocumentDirectory {
  bool indirect = false;
  std::vector<DocumentFile> files;  // components of every kind: pages, shared data, thumbnails
  std::vector<int> pages;           // the component of each page, in page order
  // The file name of the component with this id, or null when there is none.
  const DocumentFile* find(const std::string& id) const;
};

// Throws DjvuException with the library's own words when the directory cannot be read.
DocumentDirectory readDocumentDirectory(const char* path);

}  // namespace orlim
