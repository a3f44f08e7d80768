// The control's property pages: the general page and the display page, made by
// their factory; the picture path is edited on the general page.
#include "control/OrlimCtrl.h"
#include "pages/page_identities.h"

namespace orlim {

std::vector<std::string> COrlimCtrl::GetPropPageIDs() const {
  std::vector<std::string> ids;
  for (const PropertyPageIdentity& page : propertyPageIdentities()) ids.emplace_back(page.classId);
  return ids;
}

BOOL COrlimCtrl::OnMapPropertyToPage(DISPID id, std::string& classId, BOOL& optional) {
  if (id == dispidPicture) {
    classId = generalPageIdentity().classId;
    optional = FALSE;
    return TRUE;
  }
  return COleControl::OnMapPropertyToPage(id, classId, optional);
}

std::vector<std::unique_ptr<COlePropertyPage>> COrlimCtrl::CreatePropertyPages() {
  std::vector<std::unique_ptr<COlePropertyPage>> pages;
  for (const std::string& id : GetPropPageIDs())
    if (auto page = createPropertyPage(id)) pages.push_back(std::move(page));
  return pages;
}

}  // namespace orlim
