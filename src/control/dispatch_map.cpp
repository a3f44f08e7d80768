// The automation vocabulary of the control: the dispatch interface _DOrlim
// (every property and method at its dispatch id) and the event interface
// _DOrlimEvents, bound to the control's getters, setters and methods.
#include "control/OrlimCtrl.h"
#include "control/class_ids.h"

namespace orlim {

namespace {

using Map = DispatchMap<COrlimCtrl>;
using Entry = Map::Entry;
using Args = std::vector<Variant>;

template <class Getter>
Map::Getter longOf(Getter g) {
  return [g](COrlimCtrl& c) { return Variant::fromLong(static_cast<std::int32_t>((c.*g)())); };
}
template <class Getter>
Map::Getter shortOf(Getter g) {
  return [g](COrlimCtrl& c) { return Variant::fromShort((c.*g)()); };
}
template <class Getter>
Map::Getter boolOf(Getter g) {
  return [g](COrlimCtrl& c) { return Variant::fromBool((c.*g)() != 0); };
}
template <class Getter>
Map::Getter stringOf(Getter g) {
  return [g](COrlimCtrl& c) { return Variant::fromString((c.*g)()); };
}
template <class Setter>
Map::Setter putLong(Setter s) {
  return [s](COrlimCtrl& c, const Variant& v) { (c.*s)(v.asLong()); };
}
template <class Setter>
Map::Setter putShort(Setter s) {
  return [s](COrlimCtrl& c, const Variant& v) { (c.*s)(v.asShort()); };
}
template <class Setter>
Map::Setter putBool(Setter s) {
  return [s](COrlimCtrl& c, const Variant& v) { (c.*s)(v.asBool() ? TRUE : FALSE); };
}
template <class Setter>
Map::Setter putString(Setter s) {
  return [s](COrlimCtrl& c, const Variant& v) { (c.*s)(v.asString()); };
}

Entry property(DISPID id, const char* name, VarType type, const char* typeName, Map::Getter get,
               Map::Setter put = nullptr) {
  const bool readOnly = !put;
  return Entry{MemberInfo{id, name, MemberKind::Property, type, typeName, readOnly, {}}, std::move(get), std::move(put),
               nullptr};
}

Entry method(DISPID id, const char* name, VarType result, const char* typeName, std::vector<ParamInfo> params,
             Map::Caller call) {
  return Entry{MemberInfo{id, name, MemberKind::Method, result, typeName, true, std::move(params)}, nullptr, nullptr,
               std::move(call)};
}

constexpr VarType L = VarType::Long;
constexpr VarType B = VarType::Bool;
constexpr VarType S = VarType::String;

const ParamInfo kPath{"lpszPathName", S, "BSTR"};

Variant boolResult(BOOL v) { return Variant::fromBool(v != 0); }

// _DOrlim, in the order of the interface.
std::vector<Entry> orlimEntries() {
  using C = COrlimCtrl;
  std::vector<Entry> e;
  e.push_back(property(DISPID_APPEARANCE, "Appearance", VarType::Short, "short", shortOf(&C::GetAppearance),
                       putShort(&C::SetAppearance)));
  e.push_back(property(DISPID_BACKCOLOR, "BackColor", L, "OLE_COLOR", longOf(&C::GetBackColor),
                       [](C& c, const Variant& v) { c.SetBackColor(static_cast<OLE_COLOR>(v.asLong())); }));
  e.push_back(property(DISPID_BORDERSTYLE, "BorderStyle", VarType::Short, "short", shortOf(&C::GetBorderStyle),
                       putShort(&C::SetBorderStyle)));
  e.push_back(property(dispidImageHeight, "ImageHeight", L, "long", longOf(&C::GetImageHeight)));
  e.push_back(property(dispidImageWidth, "ImageWidth", L, "long", longOf(&C::GetImageWidth)));
  e.push_back(property(dispidAutoFit, "AutoFit", L, "enumAutoFit", longOf(&C::GetAutoFit), putLong(&C::SetAutoFit)));
  e.push_back(property(dispidPicture, "Picture", S, "BSTR", stringOf(&C::GetPicture), putString(&C::SetPicture)));
  e.push_back(property(dispidImageDepth, "ImageDepth", L, "long", longOf(&C::GetImageDepth)));
  e.push_back(property(dispidImageResX, "ImageResX", L, "long", longOf(&C::GetImageResX)));
  e.push_back(property(dispidImageResY, "ImageResY", L, "long", longOf(&C::GetImageResY)));
  e.push_back(property(dispidInitialOpenDir, "InitialOpenDir", S, "BSTR", stringOf(&C::GetInitialOpenDir),
                       putString(&C::SetInitialOpenDir)));
  e.push_back(property(dispidZoomLevel, "ZoomLevel", L, "long", longOf(&C::GetZoomLevel), putLong(&C::SetZoomLevel)));
  e.push_back(property(dispidDither, "Dither", B, "BOOL", boolOf(&C::GetDither), putBool(&C::SetDither)));
  e.push_back(property(dispidFancyZoom, "FancyZoom", B, "BOOL", boolOf(&C::GetFancyZoom), putBool(&C::SetFancyZoom)));
  e.push_back(property(dispidPages, "Pages", L, "long", longOf(&C::GetPages)));
  e.push_back(
      property(dispidCurrentPage, "CurrentPage", L, "long", longOf(&C::GetCurrentPage), putLong(&C::SetCurrentPage)));
  e.push_back(
      property(dispidScrollPosX, "ScrollPosX", L, "long", longOf(&C::GetScrollPosX), putLong(&C::SetScrollPosX)));
  e.push_back(
      property(dispidScrollPosY, "ScrollPosY", L, "long", longOf(&C::GetScrollPosY), putLong(&C::SetScrollPosY)));
  e.push_back(
      property(dispidScrollBars, "ScrollBars", B, "BOOL", boolOf(&C::GetScrollBars), putBool(&C::SetScrollBars)));
  e.push_back(property(dispidScrollRangeX, "ScrollRangeX", L, "long", longOf(&C::GetScrollRangeX)));
  e.push_back(property(dispidScrollRangeY, "ScrollRangeY", L, "long", longOf(&C::GetScrollRangeY)));
  e.push_back(property(dispidClientWidth, "ClientWidth", L, "long", longOf(&C::GetClientWidth)));
  e.push_back(property(dispidClientHeight, "ClientHeight", L, "long", longOf(&C::GetClientHeight)));
  e.push_back(
      property(dispidDjvuLayer, "DjvuLayer", L, "enumDjvuLayer", longOf(&C::GetDjvuLayer), putLong(&C::SetDjvuLayer)));
  e.push_back(property(dispidImageVisibleTop, "ImageVisibleTop", L, "long", longOf(&C::GetImageVisibleTop)));
  e.push_back(property(dispidImageVisibleLeft, "ImageVisibleLeft", L, "long", longOf(&C::GetImageVisibleLeft)));
  e.push_back(property(dispidImageVisibleBottom, "ImageVisibleBottom", L, "long", longOf(&C::GetImageVisibleBottom)));
  e.push_back(property(dispidImageVisibleRight, "ImageVisibleRight", L, "long", longOf(&C::GetImageVisibleRight)));
  e.push_back(property(dispidViewMode, "ViewMode", L, "long", longOf(&C::GetViewMode), putLong(&C::SetViewMode)));
  e.push_back(property(dispidImageSelectionLeft, "ImageSelectionLeft", L, "long", longOf(&C::GetImageSelectionLeft),
                       putLong(&C::SetImageSelectionLeft)));
  e.push_back(property(dispidImageSelectionTop, "ImageSelectionTop", L, "long", longOf(&C::GetImageSelectionTop),
                       putLong(&C::SetImageSelectionTop)));
  e.push_back(property(dispidImageSelectionRight, "ImageSelectionRight", L, "long", longOf(&C::GetImageSelectionRight),
                       putLong(&C::SetImageSelectionRight)));
  e.push_back(property(dispidImageSelectionBottom, "ImageSelectionBottom", L, "long",
                       longOf(&C::GetImageSelectionBottom), putLong(&C::SetImageSelectionBottom)));
  e.push_back(property(dispidTextAlign, "TextAlign", L, "long", longOf(&C::GetTextAlign), putLong(&C::SetTextAlign)));
  e.push_back(property(dispidTextOrientation, "TextOrientation", L, "long", longOf(&C::GetTextOrientation),
                       putLong(&C::SetTextOrientation)));
  e.push_back(property(dispidTextForegroundColor, "TextForegroundColor", L, "long", longOf(&C::GetTextForegroundColor),
                       putLong(&C::SetTextForegroundColor)));
  e.push_back(property(dispidTextBackgroundColor, "TextBackgroundColor", L, "long", longOf(&C::GetTextBackgroundColor),
                       putLong(&C::SetTextBackgroundColor)));
  e.push_back(property(dispidTextPosition, "TextPosition", L, "long", longOf(&C::GetTextPosition),
                       putLong(&C::SetTextPosition)));
  e.push_back(property(
      dispidTextFont, "TextFont", VarType::Dispatch, "IFontDisp*", [](C&) { return Variant::nullDispatch(); },
      [](C& c, const Variant&) { c.SetTextFont(); }));
  e.push_back(property(dispidTextFontName, "TextFontName", S, "BSTR", stringOf(&C::GetTextFontName),
                       putString(&C::SetTextFontName)));
  e.push_back(property(dispidTextFontSize, "TextFontSize", L, "long", longOf(&C::GetTextFontSize),
                       putLong(&C::SetTextFontSize)));
  e.push_back(property(dispidTextFontWeight, "TextFontWeight", L, "long", longOf(&C::GetTextFontWeight),
                       putLong(&C::SetTextFontWeight)));
  e.push_back(property(dispidTextFontItalic, "TextFontItalic", B, "BOOL", boolOf(&C::GetTextFontItalic),
                       putBool(&C::SetTextFontItalic)));
  e.push_back(property(dispidTextFontUnderline, "TextFontUnderline", B, "BOOL", boolOf(&C::GetTextFontUnderline),
                       putBool(&C::SetTextFontUnderline)));
  e.push_back(property(dispidTextFontStrikeout, "TextFontStrikeout", B, "BOOL", boolOf(&C::GetTextFontStrikeout),
                       putBool(&C::SetTextFontStrikeout)));
  e.push_back(property(dispidTextContent, "TextContent", S, "BSTR", stringOf(&C::GetTextContent),
                       putString(&C::SetTextContent)));
  e.push_back(property(dispidTextTransparentBackground, "TextTransparentBackground", B, "BOOL",
                       boolOf(&C::GetTextTransparentBackground), putBool(&C::SetTextTransparentBackground)));
  e.push_back(
      property(dispidTextAnchor, "TextAnchor", L, "long", longOf(&C::GetTextAnchor), putLong(&C::SetTextAnchor)));
  e.push_back(
      property(dispidTextOffsetX, "TextOffsetX", L, "long", longOf(&C::GetTextOffsetX), putLong(&C::SetTextOffsetX)));
  e.push_back(
      property(dispidTextOffsetY, "TextOffsetY", L, "long", longOf(&C::GetTextOffsetY), putLong(&C::SetTextOffsetY)));
  e.push_back(property(dispidShowWarnings, "ShowWarnings", B, "BOOL", boolOf(&C::GetShowWarnings),
                       putBool(&C::SetShowWarnings)));

  const std::vector<ParamInfo> jpegParams = {kPath,
                                             {"nQuality", L, "long"},
                                             {"nSmooth", L, "long"},
                                             {"bOptHuff", B, "BOOL"},
                                             {"nEncodeDCT", L, "long"},
                                             {"lpszCom", S, "BSTR"}};
  const ParamInfo left{"nLeft", L, "long"}, top{"nTop", L, "long"}, right{"nRight", L, "long"},
      bottom{"nBottom", L, "long"};
  e.push_back(method(dispidClear, "Clear", VarType::Empty, "void", {}, [](C& c, const Args&) {
    c.Clear();
    return Variant();
  }));
  e.push_back(method(dispidCopyToClipboard, "CopyToClipboard", B, "BOOL", {},
                     [](C& c, const Args&) { return boolResult(c.CopyToClipboard()); }));
  e.push_back(method(dispidPasteFromClipboard, "PasteFromClipboard", B, "BOOL", {},
                     [](C& c, const Args&) { return boolResult(c.PasteFromClipboard()); }));
  e.push_back(
      method(dispidFlipImage, "FlipImage", B, "BOOL", {}, [](C& c, const Args&) { return boolResult(c.FlipImage()); }));
  e.push_back(method(dispidMirrorImage, "MirrorImage", B, "BOOL", {},
                     [](C& c, const Args&) { return boolResult(c.MirrorImage()); }));
  e.push_back(method(dispidNegativeImage, "NegativeImage", B, "BOOL", {},
                     [](C& c, const Args&) { return boolResult(c.NegativeImage()); }));
  e.push_back(
      method(dispidGrayImage, "GrayImage", B, "BOOL", {}, [](C& c, const Args&) { return boolResult(c.GrayImage()); }));
  e.push_back(method(dispidRotateImage, "RotateImage", B, "BOOL", {{"fDegrees", VarType::Float, "float"}},
                     [](C& c, const Args& a) { return boolResult(c.RotateImage(a[0].asFloat())); }));
  e.push_back(method(dispidSaveAsJpeg, "SaveAsJpeg", B, "BOOL", jpegParams, [](C& c, const Args& a) {
    return boolResult(
        c.SaveAsJpeg(a[0].asString(), a[1].asLong(), a[2].asLong(), a[3].asBool(), a[4].asLong(), a[5].asString()));
  }));
  e.push_back(method(dispidSaveAsBmp, "SaveAsBmp", B, "BOOL", {kPath},
                     [](C& c, const Args& a) { return boolResult(c.SaveAsBmp(a[0].asString())); }));
  e.push_back(method(dispidSaveAsPnm, "SaveAsPnm", B, "BOOL", {kPath},
                     [](C& c, const Args& a) { return boolResult(c.SaveAsPnm(a[0].asString())); }));
  e.push_back(method(
      dispidResizeImage, "ResizeImage", B, "BOOL",
      {{"nNewWidth", L, "long"}, {"nNewHeight", L, "long"}, {"nResizeMethod", L, "long"}},
      [](C& c, const Args& a) { return boolResult(c.ResizeImage(a[0].asLong(), a[1].asLong(), a[2].asLong())); }));
  e.push_back(
      method(dispidDrawRectangle, "DrawRectangle", B, "BOOL",
             {left, top, right, bottom, {"nColor", L, "long"}, {"nThickness", L, "long"}, {"nStyle", L, "long"}},
             [](C& c, const Args& a) {
               return boolResult(c.DrawRectangle(a[0].asLong(), a[1].asLong(), a[2].asLong(), a[3].asLong(),
                                                 a[4].asLong(), a[5].asLong(), a[6].asLong()));
             }));
  e.push_back(
      method(dispidCropImage, "CropImage", B, "BOOL", {}, [](C& c, const Args&) { return boolResult(c.CropImage()); }));
  e.push_back(method(
      dispidSelectionRectangle, "SelectionRectangle", B, "BOOL", {left, top, right, bottom}, [](C& c, const Args& a) {
        return boolResult(c.SelectionRectangle(a[0].asLong(), a[1].asLong(), a[2].asLong(), a[3].asLong()));
      }));
  e.push_back(method(DISPID_REFRESH, "Refresh", VarType::Empty, "void", {}, [](C& c, const Args&) {
    c.Refresh();
    return Variant();
  }));
  e.push_back(method(dispidSaveSelectionAsJpeg, "SaveSelectionAsJpeg", B, "BOOL", jpegParams, [](C& c, const Args& a) {
    return boolResult(c.SaveSelectionAsJpeg(a[0].asString(), a[1].asLong(), a[2].asLong(), a[3].asBool(), a[4].asLong(),
                                            a[5].asString()));
  }));
  e.push_back(method(dispidSaveSelectionAsBmp, "SaveSelectionAsBmp", B, "BOOL", {kPath},
                     [](C& c, const Args& a) { return boolResult(c.SaveSelectionAsBmp(a[0].asString())); }));
  e.push_back(method(dispidSaveSelectionAsPnm, "SaveSelectionAsPnm", B, "BOOL", {kPath},
                     [](C& c, const Args& a) { return boolResult(c.SaveSelectionAsPnm(a[0].asString())); }));
  e.push_back(method(dispidTextOptions, "TextOptions", L, "long", {{"bFloater", B, "BOOL"}},
                     [](C& c, const Args& a) { return Variant::fromLong(c.TextOptions(a[0].asBool())); }));
  e.push_back(method(dispidAddText, "AddText", B, "BOOL", {{"bFloater", B, "BOOL"}, {"bMaintainSize", B, "BOOL"}},
                     [](C& c, const Args& a) { return boolResult(c.AddText(a[0].asBool(), a[1].asBool())); }));
  e.push_back(method(
      dispidSaveAsTiff, "SaveAsTiff", B, "BOOL",
      {kPath, {"nCompresson", L, "long"}, {"nQuality", L, "long"}, {"lpszCom", S, "BSTR"}, {"bAppend", B, "BOOL"}},
      [](C& c, const Args& a) {
        return boolResult(c.SaveAsTiff(a[0].asString(), a[1].asLong(), a[2].asLong(), a[3].asString(), a[4].asBool()));
      }));
  e.push_back(method(dispidSaveSelectionAsTiff, "SaveSelectionAsTiff", B, "BOOL",
                     {kPath,
                      {"nCompression", VarType::Short, "short"},
                      {"nQuality", L, "long"},
                      {"lpszCom", S, "BSTR"},
                      {"bAppend", B, "BOOL"}},
                     [](C& c, const Args& a) {
                       return boolResult(c.SaveSelectionAsTiff(a[0].asString(), a[1].asShort(), a[2].asLong(),
                                                               a[3].asString(), a[4].asBool()));
                     }));
  e.push_back(method(DISPID_ABOUTBOX, "AboutBox", VarType::Empty, "void", {}, [](C& c, const Args&) {
    c.AboutBox();
    return Variant();
  }));
  return e;
}

const Map& orlimMap() {
  static const Map map("_DOrlim", orlimEntries());
  return map;
}

std::vector<MemberInfo> orlimEvents() {
  const std::vector<ParamInfo> mouse = {{"Button", VarType::Short, "short"},
                                        {"Shift", VarType::Short, "short"},
                                        {"x", VarType::Long, "OLE_XPOS_PIXELS"},
                                        {"y", VarType::Long, "OLE_YPOS_PIXELS"}};
  return {
      {DISPID_MOUSEMOVE, "MouseMove", MemberKind::Method, VarType::Empty, "void", true, mouse},
      {DISPID_MOUSEDOWN, "MouseDown", MemberKind::Method, VarType::Empty, "void", true, mouse},
      {DISPID_MOUSEUP, "MouseUp", MemberKind::Method, VarType::Empty, "void", true, mouse},
      {eventidPaint, "Paint", MemberKind::Method, VarType::Empty, "void", true, {}},
      {eventidDropFiles,
       "DropFiles",
       MemberKind::Method,
       VarType::Empty,
       "void",
       true,
       {{"Pathname", VarType::String, "BSTR"}}},
  };
}

}  // namespace

const DispatchTable& COrlimCtrl::dispatchInterface() { return orlimMap().table(); }

const DispatchTable& COrlimCtrl::eventInterface() {
  static const DispatchTable table("_DOrlimEvents", orlimEvents());
  return table;
}

const DispatchTable& COrlimCtrl::dispatchTable() const { return dispatchInterface(); }

const DispatchTable& COrlimCtrl::eventTable() const { return eventInterface(); }

CLSID COrlimCtrl::classId() const { return CLSID_OrlimCtrl; }

GUID COrlimCtrl::typeLibraryId() const { return LIBID_ORLIMLib; }

IID COrlimCtrl::eventInterfaceId() const { return DIID__DOrlimEvents; }

HRESULT COrlimCtrl::invokeMember(const MemberInfo& member, InvokeKind kind, const std::vector<Variant>& args,
                                 Variant& result) {
  return orlimMap().invoke(*this, member, kind, args, result);
}

}  // namespace orlim
