#include <algorithm>

#include "platform/OleControl.h"
#include "platform/TypeLibrary.h"

namespace orlim {

COLORREF TranslateOleColor(OLE_COLOR color) {
  // The usual light-theme system colours, by index.
  static constexpr COLORREF kSystemColors[] = {
      RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219), RGB(240, 240, 240),
      RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),
      RGB(180, 180, 180), RGB(244, 247, 252), RGB(171, 171, 171), RGB(0, 120, 215),   RGB(255, 255, 255),
      RGB(240, 240, 240), RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(0, 0, 0),
      RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),       RGB(255, 255, 225),
  };
  const DWORD kind = color >> 24;
  if (kind == 0x80) {
    const DWORD index = color & 0xFFFF;
    return index < std::size(kSystemColors) ? kSystemColors[index] : RGB(0, 0, 0);
  }
  return color & 0x00FFFFFF;
}

COleControl::COleControl() = default;

COleControl::~COleControl() {
  if (window_) window_->SetMessageHandler(nullptr);
}

DWORD COleControl::Advise(EventSink* sink) {
  if (!sink) return 0;
  for (const Connection& c : sinks_)
    if (c.sink == sink) return c.cookie;
  sinks_.push_back({nextCookie_, sink});
  return nextCookie_++;
}

void COleControl::Unadvise(EventSink* sink) {
  std::erase_if(sinks_, [sink](const Connection& c) { return c.sink == sink; });
}

HRESULT COleControl::QueryInterface(const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDispatch)
    *object = static_cast<IDispatch*>(this);
  else if (iid == IID_IConnectionPointContainer)
    *object = static_cast<IConnectionPointContainer*>(this);
  else if (iid == IID_IOleObject)
    *object = static_cast<IOleObject*>(this);
  else if (iid == IID_ISpecifyPropertyPages)
    *object = static_cast<ISpecifyPropertyPages*>(this);
  else if (iid == IID_IPerPropertyBrowsing)
    *object = static_cast<IPerPropertyBrowsing*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG COleControl::Release() {
  const ULONG left = references_.release();
  if (left == 0) OnFinalRelease();
  return left;
}

HRESULT COleControl::GetTypeInfoCount(UINT& count) const {
  count = 1;
  return S_OK;
}

HRESULT COleControl::GetTypeInfo(UINT index, const InterfaceDescription*& info) const {
  info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  const TypeLibrary* library = loadTypeLibrary(typeLibraryId(), 1, 0);
  if (!library) return TYPE_E_LIBNOTREGISTERED;
  for (const InterfaceDescription& i : library->interfaces)
    if (i.table == &dispatchTable()) info = &i;
  return info ? S_OK : TYPE_E_LIBNOTREGISTERED;
}

HRESULT COleControl::FindConnectionPoint(const IID& iid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  if (iid != eventInterfaceId()) return CONNECT_E_NOCONNECTION;
  *point = &connection_;
  AddRef();
  return S_OK;
}

HRESULT COleControl::DoVerb(LONG verb, Window* window) {
  switch (verb) {
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
      if (!window) return E_INVALIDARG;
      if (window != window_) AttachWindow(window);
      return S_OK;
    case OLEIVERB_HIDE: return S_OK;
    case OLEIVERB_PROPERTIES:
      // Without a dialog service (or pages) no sheet can be shown.
      return OnProperties(window ? window : window_) == -1 ? E_NOTIMPL : S_OK;
    default: return E_NOTIMPL;
  }
}

HRESULT COleControl::Close() {
  AttachWindow(nullptr);
  return S_OK;
}

HRESULT COleControl::GetUserClassID(CLSID& clsid) const {
  clsid = classId();
  return S_OK;
}

HRESULT COleControl::GetPages(std::vector<CLSID>& pages) const {
  pages = GetPropPageIDs();
  return S_OK;
}

HRESULT COleControl::MapPropertyToPage(DISPID id, CLSID& page) {
  page = CLSID{};
  BOOL optional = TRUE;
  return OnMapPropertyToPage(id, page, optional) ? S_OK : PERPROP_E_NOPAGEAVAILABLE;
}

HRESULT COleControl::EventConnection::QueryInterface(const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
  *object = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

HRESULT COleControl::EventConnection::GetConnectionInterface(IID& iid) const {
  iid = owner_.eventInterfaceId();
  return S_OK;
}

HRESULT COleControl::EventConnection::Advise(EventSink* sink, DWORD& cookie) {
  cookie = 0;
  if (!sink) return E_POINTER;
  cookie = owner_.Advise(sink);
  return S_OK;
}

HRESULT COleControl::EventConnection::Unadvise(DWORD cookie) {
  const auto found = std::find_if(owner_.sinks_.begin(), owner_.sinks_.end(),
                                  [cookie](const Connection& c) { return c.cookie == cookie; });
  if (found == owner_.sinks_.end()) return CONNECT_E_NOCONNECTION;
  owner_.sinks_.erase(found);
  return S_OK;
}

void COleControl::AttachWindow(Window* window) {
  if (window_) window_->SetMessageHandler(nullptr);
  window_ = window;
  if (!window_) return;
  window_->SetMessageHandler(this);
  OnCreate();
}

void COleControl::SaveState(PropertyBag& bag) {
  CPropExchange px(bag, false);
  DoPropExchange(px);
}

void COleControl::LoadState(PropertyBag& bag) {
  CPropExchange px(bag, true);
  DoPropExchange(px);
  InvalidateControl();
}

void COleControl::ResetState() {
  OnResetState();
  InvalidateControl();
}

void COleControl::OnResetState() {
  PropertyBag empty;
  CPropExchange px(empty, true);
  DoPropExchange(px);
}

void COleControl::DoPropExchange(CPropExchange& px) {
  LONG version = static_cast<LONG>(px.GetVersion());
  PX_Long(px, "_Version", version, static_cast<LONG>(px.GetVersion()));
  if (!px.IsLoading()) {
    RECT client{};
    GetClientRect(client);
    extentX_ = client.right - client.left;
    extentY_ = client.bottom - client.top;
  }
  PX_Long(px, "_ExtentX", extentX_, extentX_);
  PX_Long(px, "_ExtentY", extentY_, extentY_);
  PX_Short(px, "Appearance", appearance_, 0);
  PX_Color(px, "BackColor", backColor_, kDefaultBackColor);
  PX_Short(px, "BorderStyle", borderStyle_, 0);
}

void COleControl::SetAppearance(std::int16_t value) {
  appearance_ = value;
  BoundPropertyChanged(DISPID_APPEARANCE);
  SetModifiedFlag();
  InvalidateControl();
}

void COleControl::SetBackColor(OLE_COLOR value) {
  backColor_ = value;
  BoundPropertyChanged(DISPID_BACKCOLOR);
  SetModifiedFlag();
  InvalidateControl();
}

void COleControl::SetBorderStyle(std::int16_t value) {
  borderStyle_ = value;
  BoundPropertyChanged(DISPID_BORDERSTYLE);
  SetModifiedFlag();
  InvalidateControl();
}

void COleControl::FireEvent(DISPID id, const std::vector<Variant>& args) {
  const MemberInfo* event = eventTable().findById(id);
  if (!event) return;
  // A sink may unadvise while it is told; work on a copy.
  const std::vector<Connection> sinks = sinks_;
  for (const Connection& c : sinks) c.sink->OnEvent(*event, args);
}

void COleControl::BoundPropertyChanged(DISPID id) {
  if (site_) site_->OnChanged(id);
}

void COleControl::SetModifiedFlag(BOOL modified) {
  modified_ = modified ? TRUE : FALSE;
  if (modified_ && site_) site_->OnModified();
}

void COleControl::InvalidateControl(const RECT* rect, BOOL erase) {
  if (window_) window_->Invalidate(rect, erase != FALSE);
}

void COleControl::GetClientRect(RECT& rect) const {
  rect = RECT{0, 0, 0, 0};
  if (window_) window_->GetClientRect(rect);
}

void COleControl::OnCreate() {}

std::vector<OleVerb> COleControl::EnumVerbs() const { return {{OLEIVERB_PROPERTIES, "Properties"}}; }

int COleControl::OnProperties(Window* owner) {
  PropertySheet sheet(GetUserTypeName() + " Properties", *this, CreatePropertyPages());
  return sheet.DoModal(owner);
}

void COleControl::OnPaint(const RECT& invalid, bool) {
  if (!window_) return;
  RECT bounds{};
  window_->GetClientRect(bounds);
  const std::unique_ptr<DeviceContext> dc = window_->GetDC(&invalid);
  OnDraw(*dc, bounds, invalid);
}

namespace {

std::int16_t shiftState(UINT flags) {
  return static_cast<std::int16_t>(((flags & MK_SHIFT) ? 1 : 0) | ((flags & MK_CONTROL) ? 2 : 0));
}

std::int16_t buttonState(UINT flags) {
  return static_cast<std::int16_t>(((flags & MK_LBUTTON) ? 1 : 0) | ((flags & MK_RBUTTON) ? 2 : 0) |
                                   ((flags & MK_MBUTTON) ? 4 : 0));
}

}  // namespace

void COleControl::fireStockMouseEvent(DISPID id, UINT flags, POINT point, std::int16_t button) {
  FireEvent(id, {Variant::fromShort(button), Variant::fromShort(shiftState(flags)), Variant::fromLong(point.x),
                 Variant::fromLong(point.y)});
}

// The button handling holds the mouse while the button is down.
void COleControl::OnLButtonDown(UINT flags, POINT point) {
  if (window_) window_->SetCapture();
  fireStockMouseEvent(DISPID_MOUSEDOWN, flags, point, 1);
}

void COleControl::OnLButtonUp(UINT flags, POINT point) {
  fireStockMouseEvent(DISPID_MOUSEUP, flags, point, 1);
  if (window_) window_->ReleaseCapture();
}

void COleControl::OnMouseMove(UINT flags, POINT point) {
  fireStockMouseEvent(DISPID_MOUSEMOVE, flags, point, buttonState(flags));
}

}  // namespace orlim
