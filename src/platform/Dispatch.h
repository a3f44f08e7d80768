// Dispatch interfaces: a table describing each member (dispatch id, name, kind,
// types, parameters), invoke by dispatch id or by case-insensitive name with the
// argument checks and coercions of automation, and a typed map that binds the
// members of a class to functions on it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/HResult.h"
#include "platform/Unknown.h"
#include "platform/Variant.h"
#include "platform/orlim_api.h"
#include "platform/win_types.h"

namespace orlim {

enum class MemberKind { Property, Method };
enum class InvokeKind { PropertyGet, PropertyPut, Method };

struct ParamInfo {
  const char* name;
  VarType type;
  const char* typeName;  // as the type library spells it ("long", "BSTR", "OLE_COLOR", ...)
};

struct MemberInfo {
  DISPID id;
  const char* name;
  MemberKind kind;
  VarType type;  // property type or method result; Empty for a method without result
  const char* typeName;
  bool readOnly;
  std::vector<ParamInfo> params;
};

class ORLIM_API DispatchTable {
 public:
  DispatchTable(const char* interfaceName, std::vector<MemberInfo> members);
  const char* interfaceName() const { return interfaceName_; }
  const std::vector<MemberInfo>& members() const { return members_; }
  const MemberInfo* findById(DISPID id) const;
  const MemberInfo* findByName(std::string_view name) const;  // without regard to case

 private:
  const char* interfaceName_;
  std::vector<MemberInfo> members_;
};

// Checks an invocation against a member and coerces its arguments to the declared
// types. Put takes exactly one argument (the value), get none, a method its
// parameters; a property may also be called as a method without arguments (a get).
ORLIM_API HRESULT prepareInvoke(const MemberInfo& member, InvokeKind kind, const std::vector<Variant>& args,
                                std::vector<Variant>& coerced, InvokeKind& effectiveKind);

constexpr IID IID_IDispatch = makeGuid("{00020400-0000-0000-C000-000000000046}");
constexpr DISPID DISPID_UNKNOWN = -1;

struct InterfaceDescription;

// An object reached through automation: the interface alone, so that a
// container calls it through the virtual table without linking to the module.
class ORLIM_API IDispatch : public IUnknown {
 public:
  // How many type descriptions the object offers (0 or 1) and the one it has:
  // its dispatch interface as its type library describes it.
  virtual HRESULT GetTypeInfoCount(UINT& count) const = 0;
  virtual HRESULT GetTypeInfo(UINT index, const InterfaceDescription*& info) const = 0;
  // names[0] is a member, the others parameter names of it; each id is the
  // member's dispatch id or the parameter's position, DISPID_UNKNOWN (with
  // DISP_E_UNKNOWNNAME) for a name that is neither. Case does not matter.
  virtual HRESULT GetIDsOfNames(const std::vector<std::string>& names, std::vector<DISPID>& ids) const = 0;
  virtual HRESULT Invoke(DISPID id, InvokeKind kind, const std::vector<Variant>& args, Variant* result) = 0;
};

// An automation object whose members are the rows of a dispatch table: names
// and ids are looked up there, arguments checked and coerced, then handed to
// invokeMember.
class ORLIM_API DispatchObject : public IDispatch {
 public:
  virtual const DispatchTable& dispatchTable() const = 0;

  HRESULT GetTypeInfoCount(UINT& count) const override {
    count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT /*index*/, const InterfaceDescription*& info) const override {
    info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT GetIDsOfNames(const std::vector<std::string>& names, std::vector<DISPID>& ids) const override;
  HRESULT Invoke(DISPID id, InvokeKind kind, const std::vector<Variant>& args, Variant* result) override;
  HRESULT GetIDOfName(std::string_view name, DISPID& id) const;
  HRESULT InvokeByName(std::string_view name, InvokeKind kind, const std::vector<Variant>& args, Variant* result);

 protected:
  // Called with arguments already checked and coerced by Invoke.
  virtual HRESULT invokeMember(const MemberInfo& member, InvokeKind kind, const std::vector<Variant>& args,
                               Variant& result) = 0;
};

// Binds the members of a dispatch table to functions of a class T.
template <class T>
class DispatchMap {
 public:
  using Getter = std::function<Variant(T&)>;
  using Setter = std::function<void(T&, const Variant&)>;
  using Caller = std::function<Variant(T&, const std::vector<Variant>&)>;
  struct Entry {
    MemberInfo info;
    Getter get;
    Setter put;
    Caller call;
  };

  DispatchMap(const char* interfaceName, std::vector<Entry> entries)
      : entries_(std::move(entries)), table_(interfaceName, infos(entries_)) {}

  const DispatchTable& table() const { return table_; }

  HRESULT invoke(T& self, const MemberInfo& member, InvokeKind kind, const std::vector<Variant>& args,
                 Variant& result) const {
    for (const Entry& e : entries_) {
      if (e.info.id != member.id) continue;
      switch (kind) {
        case InvokeKind::PropertyGet:
          if (!e.get) return DISP_E_MEMBERNOTFOUND;
          result = e.get(self);
          return S_OK;
        case InvokeKind::PropertyPut:
          if (!e.put) return CTL_E_SETNOTSUPPORTED;
          e.put(self, args.at(0));
          result = Variant();
          return S_OK;
        case InvokeKind::Method:
          if (!e.call) return DISP_E_MEMBERNOTFOUND;
          result = e.call(self, args);
          return S_OK;
      }
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  static std::vector<MemberInfo> infos(const std::vector<Entry>& entries) {
    std::vector<MemberInfo> out;
    out.reserve(entries.size());
    for (const Entry& e : entries) out.push_back(e.info);
    return out;
  }

  std::vector<Entry> entries_;
  DispatchTable table_;
};

}  // namespace orlim
