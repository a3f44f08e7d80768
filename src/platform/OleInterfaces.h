// What a control and its container say to each other beyond automation: the
// container's site (bound-property and modified notices), event sinks connected
// through a connection point for the control's event interface, the OLE object
// verbs (show in a window, close, Properties), the control's list of property
// pages and the page that edits a property.
#pragma once

#include <vector>

#include "platform/Dispatch.h"
#include "platform/Guid.h"
#include "platform/Unknown.h"
#include "platform/orlim_api.h"
#include "platform/win_types.h"

namespace orlim {

class Window;

constexpr IID IID_IConnectionPointContainer = makeGuid("{B196B284-BAB4-101A-B69C-00AA00341D07}");
constexpr IID IID_IConnectionPoint = makeGuid("{B196B286-BAB4-101A-B69C-00AA00341D07}");
constexpr IID IID_IOleObject = makeGuid("{00000112-0000-0000-C000-000000000046}");
constexpr IID IID_ISpecifyPropertyPages = makeGuid("{B196B28B-BAB4-101A-B69C-00AA00341D07}");
constexpr IID IID_IPerPropertyBrowsing = makeGuid("{376BD3AA-3845-101B-84ED-08002B2EC713}");
// No page edits the property.
constexpr HRESULT PERPROP_E_NOPAGEAVAILABLE = static_cast<HRESULT>(0x80040200u);

// Verbs of IOleObject::DoVerb.
constexpr LONG OLEIVERB_SHOW = -1;
constexpr LONG OLEIVERB_HIDE = -3;
constexpr LONG OLEIVERB_INPLACEACTIVATE = -5;
constexpr LONG OLEIVERB_PROPERTIES = -7;

// A verb as a container's menu for the object offers it.
struct OleVerb {
  LONG id;
  const char* name;
};

// Where a control's events go: the container connects one or more.
class ORLIM_API EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void OnEvent(const MemberInfo& event, const std::vector<Variant>& args) = 0;
};

// The container side of a control: bound-property and modified-flag notices.
class ORLIM_API ControlSite {
 public:
  virtual ~ControlSite() = default;
  virtual void OnChanged(DISPID /*id*/) {}
  virtual void OnModified() {}
};

class ORLIM_API IConnectionPoint : public IUnknown {
 public:
  virtual HRESULT GetConnectionInterface(IID& iid) const = 0;
  // Connects `sink`; the cookie identifies the connection for Unadvise.
  virtual HRESULT Advise(EventSink* sink, DWORD& cookie) = 0;
  // CONNECT_E_NOCONNECTION for a cookie that names no connection.
  virtual HRESULT Unadvise(DWORD cookie) = 0;
};

class ORLIM_API IConnectionPointContainer : public IUnknown {
 public:
  // The connection point of an outgoing interface; CONNECT_E_NOCONNECTION when
  // the object has none for `iid`.
  virtual HRESULT FindConnectionPoint(const IID& iid, IConnectionPoint** point) = 0;
};

class ORLIM_API IOleObject : public IUnknown {
 public:
  virtual HRESULT SetClientSite(ControlSite* site) = 0;
  // OLEIVERB_SHOW and OLEIVERB_INPLACEACTIVATE put the object into `window`;
  // OLEIVERB_PROPERTIES shows its property pages modally over `window` (its own
  // window when null).
  virtual HRESULT DoVerb(LONG verb, Window* window) = 0;
  // Takes the object out of its window.
  virtual HRESULT Close() = 0;
  virtual HRESULT GetUserClassID(CLSID& clsid) const = 0;
};

class ORLIM_API ISpecifyPropertyPages : public IUnknown {
 public:
  // The class identifiers of the object's property pages, in order.
  virtual HRESULT GetPages(std::vector<CLSID>& pages) const = 0;
};

class ORLIM_API IPerPropertyBrowsing : public IUnknown {
 public:
  // The page that edits the property `id`; PERPROP_E_NOPAGEAVAILABLE when none.
  virtual HRESULT MapPropertyToPage(DISPID id, CLSID& page) = 0;
};

}  // namespace orlim
