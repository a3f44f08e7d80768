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
#include "platform/OleInterfaces.h"
#include "platform/PropertyBag.h"
#include "platform/PropertySheet.h"
#include "platform/Window.h"
#include "platform/orlim_api.h"

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

// The colour an OLE_COLOR stands for: a system colour index (high byte 0x80)
// becomes that colour, a palette index (0x01) or plain value its RGB part.
ORLIM_API COLORREF TranslateOleColor(OLE_COLOR color);

class ORLIM_API COleControl : public DispatchObject,
                              public IConnectionPointContainer,
                              public IOleObject,
                              public ISpecifyPropertyPages,
                              public IPerPropertyBrowsing,
                              public WindowMessageHandler {
 public:
  COleControl();
  ~COleControl() override;
  COleControl(const COleControl&) = delete;
  COleControl& operator=(const COleControl&) = delete;

  // --- the object model: a control starts with its creator's reference ---
  HRESULT QueryInterface(const IID& iid, void** object) override;
  ULONG AddRef() override { return references_.add(); }
  ULONG Release() override;
  HRESULT GetTypeInfoCount(UINT& count) const override;
  HRESULT GetTypeInfo(UINT index, const InterfaceDescription*& info) const override;
  HRESULT FindConnectionPoint(const IID& iid, IConnectionPoint** point) override;
  HRESULT DoVerb(LONG verb, Window* window) override;
  HRESULT Close() override;
  HRESULT GetUserClassID(CLSID& clsid) const override;
  HRESULT GetPages(std::vector<CLSID>& pages) const override;
  HRESULT MapPropertyToPage(DISPID id, CLSID& page) override;

  // What the derived control is: its class, its type library (version 1.0)
  // and its event interface.
  virtual CLSID classId() const { return {}; }
  virtual GUID typeLibraryId() const { return {}; }
  virtual IID eventInterfaceId() const { return {}; }

  // --- container side ---
  HRESULT SetClientSite(ControlSite* site) override {
    site_ = site;
    return S_OK;
  }
  // Connects a sink (as the connection point does) and returns its cookie.
  DWORD Advise(EventSink* sink);
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
  // The verbs a container offers in its menu for the control (DoVerb runs them).
  virtual std::vector<OleVerb> EnumVerbs() const;
  // Property pages: the class ids of the control's pages, in the order shown.
  virtual std::vector<CLSID> GetPropPageIDs() const { return {}; }
  // The page that edits a property: TRUE with its class id, and whether the
  // container may leave it out; FALSE when no page is named for it.
  virtual BOOL OnMapPropertyToPage(DISPID /*id*/, CLSID& /*page*/, BOOL& /*optional*/) { return FALSE; }
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
  // The last reference is gone.
  virtual void OnFinalRelease() { delete this; }
  // The base exchange: format version, extent and stock properties.
  virtual void DoPropExchange(CPropExchange& px);
  // A new control: the exchange run with every default.
  virtual void OnResetState();
  // The "Properties" verb: a property sheet of the control's pages, modal over
  // `owner`. Returns how the sheet was closed (-1: no pages or no dialog service).
  virtual int OnProperties(Window* owner);
  // Makes the page objects for the sheet (one per class id of GetPropPageIDs).
  virtual std::vector<std::unique_ptr<COlePropertyPage>> CreatePropertyPages() { return {}; }

 private:
  // The connection point of the event interface, part of the control.
  class EventConnection : public IConnectionPoint {
   public:
    explicit EventConnection(COleControl& owner) : owner_(owner) {}
    HRESULT QueryInterface(const IID& iid, void** object) override;
    ULONG AddRef() override { return owner_.AddRef(); }
    ULONG Release() override { return owner_.Release(); }
    HRESULT GetConnectionInterface(IID& iid) const override;
    HRESULT Advise(EventSink* sink, DWORD& cookie) override;
    HRESULT Unadvise(DWORD cookie) override;

   private:
    COleControl& owner_;
  };
  struct Connection {
    DWORD cookie;
    EventSink* sink;
  };

  void fireStockMouseEvent(DISPID id, UINT flags, POINT point, std::int16_t button);

  LiveModuleObject alive_;
  ReferenceCount references_;
  EventConnection connection_{*this};
  ControlSite* site_ = nullptr;
  Window* window_ = nullptr;
  std::vector<Connection> sinks_;
  DWORD nextCookie_ = 1;
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
