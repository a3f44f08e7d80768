// How the property pages come into being: the pages register a creator for
// their class identifier, and the module's page factories create through it.
// A factory whose page has no creator yet answers E_NOTIMPL.
#pragma once

#include "platform/Unknown.h"

namespace orlim {

// Returns a new page holding its creator's reference (null when out of memory).
using PageCreator = IUnknown* (*)();

void registerPageClass(const CLSID& clsid, PageCreator create);
PageCreator pageCreator(const CLSID& clsid);

}  // namespace orlim
