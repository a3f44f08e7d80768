#include "platform/Dispatch.h"

#include <strings.h>

namespace orlim {

DispatchTable::DispatchTable(const char* interfaceName, std::vector<MemberInfo> members)
    : interfaceName_(interfaceName), members_(std::move(members)) {}

const MemberInfo* DispatchTable::findById(DISPID id) const {
  for (const MemberInfo& m : members_)
    if (m.id == id) return &m;
  return nullptr;
}

const MemberInfo* DispatchTable::findByName(std::string_view name) const {
  for (const MemberInfo& m : members_) {
    const std::string_view candidate(m.name);
    if (candidate.size() == name.size() && strncasecmp(m.name, name.data(), name.size()) == 0) return &m;
  }
  return nullptr;
}

HRESULT prepareInvoke(const MemberInfo& member, InvokeKind kind, const std::vector<Variant>& args,
                      std::vector<Variant>& coerced, InvokeKind& effectiveKind) {
  effectiveKind = kind;
  coerced.clear();
  if (member.kind == MemberKind::Property) {
    if (kind == InvokeKind::Method) effectiveKind = InvokeKind::PropertyGet;
    if (effectiveKind == InvokeKind::PropertyGet) return args.empty() ? S_OK : DISP_E_BADPARAMCOUNT;
    if (member.readOnly) return CTL_E_SETNOTSUPPORTED;
    if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
    coerced.resize(1);
    return args[0].coerceTo(member.type, coerced[0]);
  }
  if (kind != InvokeKind::Method) return DISP_E_MEMBERNOTFOUND;
  if (args.size() != member.params.size()) return DISP_E_BADPARAMCOUNT;
  coerced.resize(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    const HRESULT hr = args[i].coerceTo(member.params[i].type, coerced[i]);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT DispatchObject::GetIDsOfNames(const std::vector<std::string>& names, std::vector<DISPID>& ids) const {
  ids.assign(names.size(), DISPID_UNKNOWN);
  if (names.empty()) return E_INVALIDARG;
  const MemberInfo* member = dispatchTable().findByName(names[0]);
  if (!member) return DISP_E_UNKNOWNNAME;
  ids[0] = member->id;
  HRESULT hr = S_OK;
  for (std::size_t i = 1; i < names.size(); ++i) {
    for (std::size_t p = 0; p < member->params.size(); ++p)
      if (strcasecmp(member->params[p].name, names[i].c_str()) == 0) ids[i] = static_cast<DISPID>(p);
    if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT DispatchObject::GetIDOfName(std::string_view name, DISPID& id) const {
  const MemberInfo* member = dispatchTable().findByName(name);
  if (!member) return DISP_E_UNKNOWNNAME;
  id = member->id;
  return S_OK;
}

HRESULT DispatchObject::Invoke(DISPID id, InvokeKind kind, const std::vector<Variant>& args, Variant* result) {
  const MemberInfo* member = dispatchTable().findById(id);
  if (!member) return DISP_E_MEMBERNOTFOUND;
  std::vector<Variant> coerced;
  InvokeKind effective = kind;
  HRESULT hr = prepareInvoke(*member, kind, args, coerced, effective);
  if (FAILED(hr)) return hr;
  Variant value;
  hr = invokeMember(*member, effective, coerced, value);
  if (SUCCEEDED(hr) && result) *result = std::move(value);
  return hr;
}

HRESULT DispatchObject::InvokeByName(std::string_view name, InvokeKind kind, const std::vector<Variant>& args,
                                     Variant* result) {
  DISPID id = 0;
  const HRESULT hr = GetIDOfName(name, id);
  return FAILED(hr) ? hr : Invoke(id, kind, args, result);
}

}  // namespace orlim
