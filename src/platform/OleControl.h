// The control base: what a control gets from its class library. It is an
// automation object with the stock properties (Appearance, BackColor,
// BorderStyle), fires events to the sinks its container registers, tells the
// container about changed bound properties and the modified flag, invalidates
// itself through its window, exchanges its persisted state with a property bag,
// and receives its window's messages (stock mouse events fired here).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/DeviceContext.h"
#include "platform/Dispatch.h"
#include "platform/PropertyBag.h"
#include "platform/PropertySheet.h"
#include "platform/Window.h"

namespace orlim {

// Dispatch ids of the stock members.
constexpr DISPID DISPID_APPEARANCE = -520;
constexpr DISPID DISPID_BACKCOLOR = -501;
constexpr DISPID DISPID_BORDERSTYLE = -504;
constexpr DISPID DISPID_REFRESH = -550;
constexpr DISPID DISPID_ABOUTBOX = -552;
constexpr DISPID DISPID_MOUSEDOWN = -605;
constexpr DISPID DISPID_MOUSEMOVE = -606;
constexpr DISPID DISPID_MOUSEUP = -607;

// The verb a container runs to show the control's property pages.
constexpr LONG OLEIVERB_PROPERTIES = -7;

struct OleVerb {
  LONG id;
  const char* name;  // as a container's menu shows it
};

// Where a control's events go: the container registers one or more.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void OnEvent(const MemberInfo& event, const std::vector<Variant>& args) = 0;
};

// The container side of a control: bound-property and modified-flag notices.
class ControlSite {
 public:
  virtual ~ControlSite() = default;
  virtual void OnChanged(DISPID /*id*/) {}
  virtual void OnModified() {}
};

// The colour an OLE_COLOR stands for: a system colour index (high byte 0x80)
// becomes that colour, a palette index (0x01) or plain value its RGB part.
COLORREF TranslateOleColor(OLE_COLOR color);

class COleControl : public IDispatch, public WindowMessageHandler {
 public:
  COleControl() = default;
  ~COleControl() override;
  COleControl(const COleControl&) = delete;
  COleControl& operator=(const COleControl&) = delete;

  // --- container side ---
  void SetClientSite(ControlSite* site) { site_ = site; }
  void Advise(EventSink* sink);
  void Unadvise(EventSink* sink);
  // Gives the control its window and sends the create message.
  void AttachWindow(Window* window);
  Window* GetWindow() const { return window_; }
  // The event interface of the control, used to describe fired events.
  virtual const DispatchTable& eventTable() const = 0;
  // Persistence: save into or load from the container's bag; reset for a new control.
  void SaveState(PropertyBag& bag);
  void LoadState(PropertyBag& bag);
  void ResetState();
  BOOL IsModified() const { return modified_; }
  // Verbs: what the container may ask the control to do (its menu for the control).
  virtual std::vector<OleVerb> EnumVerbs() const;
  // Runs a verb; E_NOTIMPL for one the control does not know.
  HRESULT DoVerb(LONG verb);
  // Property pages: the class ids of the control's pages, in the order shown.
  virtual std::vector<std::string> GetPropPageIDs() const { return {}; }
  // The page that edits a property: TRUE with its class id, and whether the
  // container may leave it out; FALSE when no page is named for it.
  virtual BOOL OnMapPropertyToPage(DISPID /*id*/, std::string& /*classId*/, BOOL& /*optional*/) { return FALSE; }
  // The name a container shows for the control ("... Properties" on its sheet).
  virtual std::string GetUserTypeName() const { return "Control"; }

  // --- stock properties ---
  std::int16_t GetAppearance() const { return appearance_; }
  void SetAppearance(std::int16_t value);
  OLE_COLOR GetBackColor() const { return backColor_; }
  void SetBackColor(OLE_COLOR value);
  std::int16_t GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(std::int16_t value);
  COLORREF TranslateColor(OLE_COLOR color) const { return TranslateOleColor(color); }

  // --- services for the derived control ---
  void FireEvent(DISPID id, const std::vector<Variant>& args);
  void BoundPropertyChanged(DISPID id);
  void SetModifiedFlag(BOOL modified = TRUE);
  // Invalidates a rectangle of the client area (all of it when null).
  void InvalidateControl(const RECT* rect = nullptr, BOOL erase = TRUE);
  void GetClientRect(RECT& rect) const;

  // --- window messages (base handling) ---
  void OnCreate() override;
  void OnLButtonDown(UINT flags, POINT point) override;
  void OnLButtonUp(UINT flags, POINT point) override;
  void OnMouseMove(UINT flags, POINT point) override;
  // Paints through a device context clipped to the region: calls OnDraw.
  void OnPaint(const RECT& invalid, bool erase) override;

  // Draws the control on `dc`; `bounds` is its client rectangle, `invalid` the
  // part that needs it.
  virtual void OnDraw(DeviceContext& /*dc*/, const RECT& /*bounds*/, const RECT& /*invalid*/) {}

 protected:
  // The base exchange: format version, extent and stock properties.
  virtual void DoPropExchange(CPropExchange& px);
  // A new control: the exchange run with every default.
  virtual void OnResetState();
  // The "Properties" verb: a property sheet of the control's pages, modal over its
  // window. Returns how the sheet was closed (-1: no pages or no dialog service).
  virtual int OnProperties();
  // Makes the page objects for the sheet (one per class id of GetPropPageIDs).
  virtual std::vector<std::unique_ptr<COlePropertyPage>> CreatePropertyPages() { return {}; }

 private:
  void fireStockMouseEvent(DISPID id, UINT flags, POINT point, std::int16_t button);

  ControlSite* site_ = nullptr;
  Window* window_ = nullptr;
  std::vector<EventSink*> sinks_;
  BOOL modified_ = FALSE;
  std::int16_t appearance_ = 0;
  OLE_COLOR backColor_ = kDefaultBackColor;
  std::int16_t borderStyle_ = 0;
  LONG extentX_ = 0;
  LONG extentY_ = 0;

 public:
  // The button-face system colour, as a container's ambient back colour usually is.
  static constexpr OLE_COLOR kDefaultBackColor = 0x8000000F;
};

}  // namespace orlim
