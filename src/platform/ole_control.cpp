#include "platform/OleControl.h"

#include <algorithm>

namespace orlim {

COLORREF TranslateOleColor(OLE_COLOR color) {
  // The usual light-theme system colours, by index.
  static constexpr COLORREF kSystemColors[] = {
      RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219), RGB(240, 240, 240),
      RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),
      RGB(180, 180, 180), RGB(244, 247, 252), RGB(171, 171, 171), RGB(0, 120, 215),  RGB(255, 255, 255),
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

COleControl::~COleControl() {
  if (window_) window_->SetMessageHandler(nullptr);
}

void COleControl::Advise(EventSink* sink) {
  if (sink && std::find(sinks_.begin(), sinks_.end(), sink) == sinks_.end()) sinks_.push_back(sink);
}

void COleControl::Unadvise(EventSink* sink) { std::erase(sinks_, sink); }

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
  const std::vector<EventSink*> sinks = sinks_;
  for (EventSink* sink : sinks) sink->OnEvent(*event, args);
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

HRESULT COleControl::DoVerb(LONG verb) {
  if (verb != OLEIVERB_PROPERTIES) return E_NOTIMPL;
  OnProperties();
  return S_OK;
}

int COleControl::OnProperties() {
  PropertySheet sheet(GetUserTypeName() + " Properties", *this, CreatePropertyPages());
  return sheet.DoModal(window_);
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
