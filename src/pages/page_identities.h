// Who the two property pages are: class id, ProgID, type name and caption with
// their string ids, and dialog template; and the factory that makes a page from
// its class id (what the module's class factories hand out).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Guid.h"
#include "platform/PropertySheet.h"

namespace orlim {

struct PropertyPageIdentity {
  CLSID classId;
  const char* progId;
  const char* typeName;
  int typeNameStringId;
  const char* caption;
  int captionStringId;
  int dialogTemplate;
};

// The general page, then the display page.
const std::vector<PropertyPageIdentity>& propertyPageIdentities();
const PropertyPageIdentity& generalPageIdentity();
const PropertyPageIdentity& viewPageIdentity();

// A new page object for a class id, or null for a class that is not a page.
std::unique_ptr<COlePropertyPage> createPropertyPage(const CLSID& classId);

}  // namespace orlim
