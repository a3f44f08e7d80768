// The control's property pages: the general page and the display page, made by
// their factory; the picture path is edited on the general page.
#include "control/OrlimCtrl.h"
#include "pages/page_identities.h"

namespace orlim {

std::vector<CLSID> COrlimCtrl::GetPropPageIDs() const {
  std::vector<CLSID> ids;
  for (const PropertyPageIdentity& page : propertyPageIdentities()) ids.emplace_back(page.classId);
  return ids;
}

BOOL COrlimCtrl::OnMapPropertyToPage(DISPID id, CLSID& page, BOOL& optional) {
  if (id == dispidPicture) {
    page = generalPageIdentity().classId;
    optional = FALSE;
    return TRUE;
  }
  return COleControl::OnMapPropertyToPage(id, page, optional);
}

std::vector<std::unique_ptr<COlePropertyPage>> COrlimCtrl::CreatePropertyPages() {
  std::vector<std::unique_ptr<COlePropertyPage>> pages;
  for (const CLSID& id : GetPropPageIDs())
    if (auto page = createPropertyPage(id)) pages.push_back(std::move(page));
  return pages;
}

}  // namespace orlim
