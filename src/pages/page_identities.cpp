#include "pages/page_identities.h"

#include "control/class_ids.h"
#include "pages/COrlimPropPage.h"
#include "pages/COrlimPropPageView.h"

namespace orlim {

const std::vector<PropertyPageIdentity>& propertyPageIdentities() {
  static const std::vector<PropertyPageIdentity> pages = {
      {CLSID_OrlimPropPage, "ORLIM.OrlimPropPage.1", "Orlim Property Page", 2, "General", 200, kGeneralPageTemplate},
      {CLSID_OrlimPropPageView, "Orlim.COrlimPropPageView", "Orlim Property Page (Display)", 201, "Display", 202,
       kViewPageTemplate},
  };
  return pages;
}

const PropertyPageIdentity& generalPageIdentity() { return propertyPageIdentities()[0]; }
const PropertyPageIdentity& viewPageIdentity() { return propertyPageIdentities()[1]; }

std::unique_ptr<COlePropertyPage> createPropertyPage(const CLSID& classId) {
  if (classId == generalPageIdentity().classId) return std::make_unique<COrlimPropPage>();
  if (classId == viewPageIdentity().classId) return std::make_unique<COrlimPropPageView>();
  return nullptr;
}

}  // namespace orlim
