#include "pages/page_identities.h"

#include <strings.h>

#include "pages/COrlimPropPage.h"
#include "pages/COrlimPropPageView.h"

namespace orlim {

const std::vector<PropertyPageIdentity>& propertyPageIdentities() {
  static const std::vector<PropertyPageIdentity> pages = {
      {"{7D61F7AA-82F0-11D2-905D-00E0290C674A}", "ORLIM.OrlimPropPage.1", "Orlim Property Page", 2, "General", 200,
       kGeneralPageTemplate},
      {"{A4A31A68-5BE4-11D3-9061-0000C0FE2CE5}", "Orlim.COrlimPropPageView", "Orlim Property Page (Display)", 201,
       "Display", 202, kViewPageTemplate},
  };
  return pages;
}

const PropertyPageIdentity& generalPageIdentity() { return propertyPageIdentities()[0]; }
const PropertyPageIdentity& viewPageIdentity() { return propertyPageIdentities()[1]; }

std::unique_ptr<COlePropertyPage> createPropertyPage(const std::string& classId) {
  if (strcasecmp(classId.c_str(), generalPageIdentity().classId) == 0) return std::make_unique<COrlimPropPage>();
  if (strcasecmp(classId.c_str(), viewPageIdentity().classId) == 0) return std::make_unique<COrlimPropPageView>();
  return nullptr;
}

}  // namespace orlim
