// The IFF reading the probe of single pages and of documents share: plain reads
// and seeks on an open file, nothing decoded.
#pragma once

#include <cstdint>
#include <cstdio>

#include "djvu/DjvuFileInfo.h"

namespace orlim {

class Image;

namespace probe {

// Reads n big-endian bytes; missing bytes read as zero.
std::uint32_t readBig(std::FILE* file, int n);
long long fileSize(std::FILE* file);
bool isPageForm(std::uint32_t formType);
// After a page form's secondary identifier (DJVU, BM44 or PM44, in
// info.formType): the INFO chunk of a DjVu page, then the image chunks up to
// `end` (the end of the form). `label` names the page in messages.
int probePageBody(Image& image, std::FILE* file, const char* label, long long end, DjvuFileInfo& info);
// After the secondary identifier DJVM: the directory, then the selected page's own form.
int probeDocument(Image& image, std::FILE* file, const char* path, int page, DjvuFileInfo& info);

}  // namespace probe
}  // namespace orlim
