#include <gtest/gtest.h>

#include <climits>

#include "control_harness.h"
#include "module/OrlimModule.h"
#include "support/test_support.h"

namespace orlim::test {
namespace {

struct Expected {
  const char* name;
  Variant value;
};

// Every readable property of a new control, by name as a script reads it.
const std::vector<Expected>& defaults() {
  static const std::vector<Expected> table = {
      {"Appearance", Variant::fromShort(0)},
      {"BackColor", Variant::fromLong(static_cast<std::int32_t>(0x8000000F))},
      {"BorderStyle", Variant::fromShort(0)},
      {"ImageHeight", Variant::fromLong(0)},
      {"ImageWidth", Variant::fromLong(0)},
      {"AutoFit", Variant::fromLong(0)},
      {"Picture", Variant::fromString("")},
      {"ImageDepth", Variant::fromLong(0)},
      {"ImageResX", Variant::fromLong(0)},
      {"ImageResY", Variant::fromLong(0)},
      {"InitialOpenDir", Variant::fromString("")},
      {"ZoomLevel", Variant::fromLong(0)},
      {"Dither", Variant::fromBool(true)},
      {"FancyZoom", Variant::fromBool(true)},
      {"Pages", Variant::fromLong(0)},
      {"CurrentPage", Variant::fromLong(1)},
      {"ScrollPosX", Variant::fromLong(0)},
      {"ScrollPosY", Variant::fromLong(0)},
      {"ScrollBars", Variant::fromBool(true)},
      {"ScrollRangeX", Variant::fromLong(0)},
      {"ScrollRangeY", Variant::fromLong(0)},
      {"ClientWidth", Variant::fromLong(640)},
      {"ClientHeight", Variant::fromLong(480)},
      {"DjvuLayer", Variant::fromLong(0)},
      {"ImageVisibleTop", Variant::fromLong(0)},
      {"ImageVisibleLeft", Variant::fromLong(0)},
      {"ImageVisibleBottom", Variant::fromLong(0)},
      {"ImageVisibleRight", Variant::fromLong(0)},
      {"ViewMode", Variant::fromLong(0)},
      {"ImageSelectionLeft", Variant::fromLong(0)},
      {"ImageSelectionTop", Variant::fromLong(0)},
      {"ImageSelectionRight", Variant::fromLong(0)},
      {"ImageSelectionBottom", Variant::fromLong(0)},
      {"TextAlign", Variant::fromLong(0)},
      {"TextOrientation", Variant::fromLong(0)},
      {"TextForegroundColor", Variant::fromLong(0)},
      {"TextBackgroundColor", Variant::fromLong(0xFFFFFF)},
      {"TextPosition", Variant::fromLong(2)},
      {"TextFont", Variant::nullDispatch()},
      {"TextFontName", Variant::fromString("Arial")},
      {"TextFontSize", Variant::fromLong(10)},
      {"TextFontWeight", Variant::fromLong(400)},
      {"TextFontItalic", Variant::fromBool(false)},
      {"TextFontUnderline", Variant::fromBool(false)},
      {"TextFontStrikeout", Variant::fromBool(false)},
      {"TextContent", Variant::fromString("")},
      {"TextTransparentBackground", Variant::fromBool(false)},
      {"TextAnchor", Variant::fromLong(1)},
      {"TextOffsetX", Variant::fromLong(0)},
      {"TextOffsetY", Variant::fromLong(0)},
      {"ShowWarnings", Variant::fromBool(false)},
  };
  return table;
}

void expectDefaults(ControlHarness& h) {
  for (const Expected& e : defaults()) EXPECT_EQ(h.get(e.name), e.value) << e.name;
  EXPECT_EQ(h.control.fileType, 99);
  EXPECT_EQ(h.control.djvuKind, 99);
  EXPECT_EQ(h.control.textLabel.font.lfHeight, -13);
  EXPECT_EQ(h.control.overlayColor, 255u);
  EXPECT_EQ(h.control.overlayThickness, 1);
}

TEST(ControlState, DefaultsAfterConstructionAndAfterReset) {
  ControlHarness h;
  expectDefaults(h);
  // The table covers every property of the interface.
  int properties = 0;
  for (const MemberInfo& m : h.control.dispatchTable().members()) properties += m.kind == MemberKind::Property;
  EXPECT_EQ(properties, static_cast<int>(defaults().size()));

  for (const char* name : {"AutoFit", "ZoomLevel"}) EXPECT_EQ(h.set(name, Variant::fromLong(2)), S_OK);
  for (const char* name : {"Dither", "FancyZoom", "ShowWarnings"})
    EXPECT_EQ(h.set(name, Variant::fromBool(false)), S_OK);
  EXPECT_EQ(h.set("ShowWarnings", Variant::fromBool(true)), S_OK);
  EXPECT_EQ(h.set("InitialOpenDir", Variant::fromString("/somewhere")), S_OK);
  EXPECT_EQ(h.set("BackColor", Variant::fromLong(0x123456)), S_OK);
  h.control.ResetState();
  for (const char* name :
       {"AutoFit", "ZoomLevel", "Dither", "FancyZoom", "ShowWarnings", "InitialOpenDir", "BackColor"})
    for (const Expected& e : defaults()) {
      if (std::string(e.name) == name) {
        EXPECT_EQ(h.get(name), e.value) << name;
      }
    }
  EXPECT_EQ(h.control.image.showWarnings, 0);
}

TEST(ControlState, DispatchIdsNamesAndShapes) {
  ControlHarness h;
  const DispatchTable& t = h.control.dispatchTable();
  EXPECT_STREQ(t.interfaceName(), "_DOrlim");
  EXPECT_EQ(t.members().size(), 75u);  // 51 properties, 24 methods
  struct Check {
    DISPID id;
    const char* name;
    std::size_t params;
  } checks[] = {
      {-520, "Appearance", 0}, {-501, "BackColor", 0},         {-504, "BorderStyle", 0}, {1, "ImageHeight", 0},
      {4, "Picture", 0},       {21, "DjvuLayer", 0},           {48, "ShowWarnings", 0},  {49, "Clear", 0},
      {56, "RotateImage", 1},  {57, "SaveAsJpeg", 6},          {61, "DrawRectangle", 7}, {-550, "Refresh", 0},
      {69, "SaveAsTiff", 5},   {70, "SaveSelectionAsTiff", 5}, {-552, "AboutBox", 0}};
  for (const Check& c : checks) {
    const MemberInfo* m = t.findById(c.id);
    ASSERT_NE(m, nullptr) << c.name;
    EXPECT_STREQ(m->name, c.name);
    EXPECT_EQ(m->params.size(), c.params) << c.name;
    EXPECT_EQ(t.findByName(c.name), m);
  }
  EXPECT_STREQ(t.findById(69)->params[1].name, "nCompresson");
  EXPECT_EQ(t.findById(69)->params[1].type, VarType::Long);
  EXPECT_STREQ(t.findById(70)->params[1].name, "nCompression");
  EXPECT_EQ(t.findById(70)->params[1].type, VarType::Short);
  EXPECT_EQ(t.findById(36)->type, VarType::Dispatch);
  const DispatchTable& events = h.control.eventTable();
  EXPECT_EQ(events.findById(-606)->params.size(), 4u);
  EXPECT_STREQ(events.findById(2)->name, "DropFiles");
  EXPECT_STREQ(events.findById(1)->name, "Paint");
}

TEST(ControlState, ReadOnlyPropertiesRefuseASet) {
  ControlHarness h;
  const std::vector<std::string> readOnly = {
      "ImageHeight",     "ImageWidth",       "ImageDepth",         "ImageResX",        "ImageResY",
      "Pages",           "ScrollRangeX",     "ScrollRangeY",       "ClientWidth",      "ClientHeight",
      "ImageVisibleTop", "ImageVisibleLeft", "ImageVisibleBottom", "ImageVisibleRight"};
  for (const MemberInfo& m : h.control.dispatchTable().members()) {
    if (m.kind != MemberKind::Property) continue;
    const bool expected = std::find(readOnly.begin(), readOnly.end(), m.name) != readOnly.end();
    EXPECT_EQ(m.readOnly, expected) << m.name;
  }
  for (const std::string& name : readOnly)
    EXPECT_EQ(h.set(name.c_str(), Variant::fromLong(5)), CTL_E_SETNOTSUPPORTED) << name;
  EXPECT_EQ(h.getLong("ClientWidth"), 640);
  EXPECT_TRUE(h.log.empty());
}

TEST(ControlState, InvokeErrorsAndCoercions) {
  ControlHarness h;
  Variant out;
  EXPECT_EQ(h.control.InvokeByName("NoSuchThing", InvokeKind::PropertyGet, {}, &out), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(h.control.Invoke(12345, InvokeKind::PropertyGet, {}, &out), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(h.control.InvokeByName("RotateImage", InvokeKind::Method, {}, &out), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(h.control.InvokeByName("Clear", InvokeKind::PropertyPut, {Variant::fromLong(1)}, &out),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(h.set("ZoomLevel", Variant::fromString("abc")), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(h.set("ZoomLevel", Variant::fromFloat(3e9f)), DISP_E_OVERFLOW);
  EXPECT_EQ(h.set("BorderStyle", Variant::fromLong(40000)), DISP_E_OVERFLOW);
  EXPECT_EQ(h.set("TextFont", Variant::fromLong(1)), DISP_E_TYPEMISMATCH);
  // Names without regard to case; strings, reals and BOOLs become longs.
  EXPECT_EQ(h.set("zoomlevel", Variant::fromString("-3")), S_OK);
  EXPECT_EQ(h.getLong("ZOOMLEVEL"), -3);
  EXPECT_EQ(h.set("TextAnchor", Variant::fromFloat(4.5f)), S_OK);  // halves round to even
  EXPECT_EQ(h.getLong("TextAnchor"), 4);
  EXPECT_EQ(h.set("TextFontItalic", Variant::fromString("true")), S_OK);
  EXPECT_EQ(h.get("TextFontItalic"), Variant::fromBool(true));
  EXPECT_EQ(h.control.InvokeByName("ZoomLevel", InvokeKind::Method, {}, &out), S_OK);  // a call without arguments reads
  EXPECT_EQ(out.asLong(), -3);
  EXPECT_EQ(h.call("RotateImage", {Variant::fromString("90")}), Variant::fromBool(false));
}

TEST(ControlState, TextSettersKeepTheirRanges) {
  ControlHarness h;
  struct Case {
    const char* name;
    std::int32_t accepted;
    std::vector<std::int32_t> refused;
    DISPID id;
  } cases[] = {
      {"TextAlign", 2, {-1, 3}, 31},
      {"TextOrientation", 1, {-1, 3}, 32},
      {"TextPosition", 8, {0, 1, 3, 7, 9}, 35},
      {"TextFontWeight", 1000, {-1, 1001}, 39},
      {"TextAnchor", 9, {0, 10}, 45},
      {"TextOffsetX", 0, {-1, INT_MIN}, 46},
      {"TextOffsetY", INT_MAX, {-1}, 47},
      {"TextFontSize", 2160, {0, 2161, INT_MIN, INT_MAX}, 38},
  };
  for (const Case& c : cases) {
    const std::int32_t before = h.getLong(c.name);
    for (std::int32_t v : c.refused) {
      h.forget();
      EXPECT_EQ(h.set(c.name, Variant::fromLong(v)), S_OK);
      EXPECT_EQ(h.getLong(c.name), before) << c.name << " " << v;
      EXPECT_TRUE(h.log.empty()) << c.name << " " << v;
    }
    h.forget();
    EXPECT_EQ(h.set(c.name, Variant::fromLong(c.accepted)), S_OK);
    EXPECT_EQ(h.getLong(c.name), c.accepted) << c.name;
    EXPECT_EQ(h.log, (std::vector<std::string>{"notify " + std::to_string(c.id), "modified"})) << c.name;
  }
  // Colours take any value.
  EXPECT_EQ(h.set("TextForegroundColor", Variant::fromLong(-1)), S_OK);
  EXPECT_EQ(h.getLong("TextForegroundColor"), -1);
}

TEST(ControlState, TextFontSizeFollowsTheDisplayResolution) {
  ControlHarness h;
  h.set("TextFontSize", Variant::fromLong(10));
  EXPECT_EQ(h.control.textLabel.font.lfHeight, -13);
  EXPECT_EQ(h.getLong("TextFontSize"), 10);
  // At 120 dpi (known after the next paint) 12 points are 20 pixels.
  h.window.SetDisplay(24, 120);
  h.call("Refresh");
  h.window.DeliverPendingPaint();
  h.set("TextFontSize", Variant::fromLong(12));
  EXPECT_EQ(h.control.textLabel.font.lfHeight, -20);
  EXPECT_EQ(h.getLong("TextFontSize"), 12);
  // Extreme resolutions stay within range.
  h.window.SetDisplay(24, 100000);
  h.call("Refresh");
  h.window.DeliverPendingPaint();
  h.set("TextFontSize", Variant::fromLong(2160));
  EXPECT_EQ(h.control.textLabel.font.lfHeight, -3000000);
  h.window.SetDisplay(24, 1);
  h.call("Refresh");
  h.window.DeliverPendingPaint();
  EXPECT_EQ(h.getLong("TextFontSize"), 216000000);
}

TEST(ControlState, TextFontNameAndContent) {
  ControlHarness h;
  const std::string name31(31, 'x'), name32(32, 'y');
  h.set("TextFontName", Variant::fromString(name31));
  EXPECT_EQ(h.get("TextFontName").asString(), name31);
  h.forget();
  h.set("TextFontName", Variant::fromString(name32));
  EXPECT_EQ(h.get("TextFontName").asString(), name31);
  EXPECT_TRUE(h.log.empty());
  h.set("TextFontName", Variant::fromString("Courier New"));
  EXPECT_EQ(h.get("TextFontName").asString(), "Courier New");  // no trace of the longer name
  h.set("TextContent", Variant::fromString("Hello"));
  EXPECT_EQ(h.get("TextContent").asString(), "Hello");
  h.set("TextContent", Variant::fromString(""));
  EXPECT_EQ(h.get("TextContent").asString(), "");
  h.forget();
  EXPECT_EQ(h.set("TextFont", Variant::nullDispatch()), S_OK);
  EXPECT_EQ(h.get("TextFont"), Variant::nullDispatch());
  EXPECT_EQ(h.log, std::vector<std::string>{"modified"});
}

TEST(ControlState, SimpleSettersNotifyAndMarkModified) {
  ControlHarness h;
  struct Case {
    const char* name;
    Variant value;
    std::vector<std::string> log;
  } cases[] = {
      {"AutoFit", Variant::fromLong(7), {"notify 3", "modified"}},  // stored without a range check
      {"Dither", Variant::fromBool(false), {"notify 10", "modified"}},
      {"FancyZoom", Variant::fromBool(false), {"notify 11", "modified"}},
      {"ShowWarnings", Variant::fromBool(true), {}},
      {"InitialOpenDir", Variant::fromString("/tmp"), {"modified"}},
      {"ZoomLevel", Variant::fromLong(3), {}},  // no picture: only stored
      {"DjvuLayer", Variant::fromLong(2), {}},  // not a DjVu page: only stored
  };
  for (const Case& c : cases) {
    h.forget();
    EXPECT_EQ(h.set(c.name, c.value), S_OK);
    EXPECT_EQ(h.get(c.name), c.value) << c.name;
    EXPECT_EQ(h.log, c.log) << c.name;
  }
  EXPECT_EQ(h.control.image.showWarnings, 1);
  for (std::int32_t v : {-1, 4, INT_MIN, INT_MAX}) {
    h.set("DjvuLayer", Variant::fromLong(v));
    EXPECT_EQ(h.getLong("DjvuLayer"), 2);
  }
  h.forget();
  h.call("Refresh");
  EXPECT_EQ(h.log, std::vector<std::string>{"modified"});
  EXPECT_TRUE(h.window.IsPaintPending());
}

TEST(ControlState, PersistedPropertiesRoundTrip) {
  TempDir dir;
  const std::string file = dir.file("state.txt");
  {
    ControlHarness h;
    h.set("AutoFit", Variant::fromLong(2));
    h.set("FancyZoom", Variant::fromBool(false));
    h.set("Dither", Variant::fromBool(false));
    h.set("InitialOpenDir", Variant::fromString("/pictures/\"quoted\"\\dir"));
    h.set("ZoomLevel", Variant::fromLong(-3));
    h.set("ShowWarnings", Variant::fromBool(true));
    h.set("BackColor", Variant::fromLong(0x00336699));
    h.set("TextAlign", Variant::fromLong(2));  // not persisted
    h.set("DjvuLayer", Variant::fromLong(3));  // not persisted
    h.control.scrollBars = FALSE;
    PropertyBag bag;
    h.control.SaveState(bag);
    std::vector<std::string> keys;
    for (const auto& entry : bag.entries()) keys.push_back(entry.first);
    EXPECT_EQ(keys, (std::vector<std::string>{"_Version", "_ExtentX", "_ExtentY", "Appearance", "BackColor",
                                              "BorderStyle", "AutoFit", "FancyZoom", "Dither", "ScrollBars",
                                              "InitialOpenDir", "ZoomLevel", "ShowWarnings"}));
    ASSERT_TRUE(bag.saveToFile(file));
  }
  moduleState().initialOpenDir.clear();
  ControlHarness h;
  PropertyBag bag;
  ASSERT_TRUE(bag.loadFromFile(file));
  h.control.LoadState(bag);
  EXPECT_EQ(h.getLong("AutoFit"), 2);
  EXPECT_EQ(h.get("FancyZoom"), Variant::fromBool(false));
  EXPECT_EQ(h.get("Dither"), Variant::fromBool(false));
  EXPECT_EQ(h.get("ScrollBars"), Variant::fromBool(false));
  EXPECT_EQ(h.get("InitialOpenDir").asString(), "/pictures/\"quoted\"\\dir");
  EXPECT_EQ(h.getLong("ZoomLevel"), -3);
  EXPECT_EQ(h.get("ShowWarnings"), Variant::fromBool(true));
  EXPECT_EQ(h.control.image.showWarnings, 1);
  EXPECT_EQ(h.getLong("BackColor"), 0x00336699);
  EXPECT_EQ(h.getLong("TextAlign"), 0);
  EXPECT_EQ(h.getLong("DjvuLayer"), 0);
}

TEST(ControlState, LoadingABagWithMissingOrUnusableValuesTakesDefaults) {
  ControlHarness h;
  h.set("AutoFit", Variant::fromLong(1));
  h.set("Dither", Variant::fromBool(false));
  PropertyBag bag;
  bag.Write("AutoFit", Variant::fromString("not a number"));
  bag.Write("ZoomLevel", Variant::fromString("-2"));
  h.control.LoadState(bag);
  EXPECT_EQ(h.getLong("AutoFit"), 0);
  EXPECT_EQ(h.get("Dither"), Variant::fromBool(true));
  EXPECT_EQ(h.getLong("ZoomLevel"), -2);
}

TEST(ControlState, ZoomExtremesWithoutAPicture) {
  ControlHarness h;
  for (std::int32_t z : {INT_MIN, INT_MAX, -1, 0}) {
    EXPECT_EQ(h.set("ZoomLevel", Variant::fromLong(z)), S_OK);
    EXPECT_EQ(h.getLong("ZoomLevel"), z);
    EXPECT_EQ(h.getLong("ScrollRangeX"), 0);
  }
}

TEST(ControlState, CurrentPageWithoutAPictureStaysOnTheFirstPage) {
  ControlHarness h;
  for (std::int32_t n : {5, 0, -7, INT_MIN, INT_MAX}) {
    h.set("CurrentPage", Variant::fromLong(n));
    EXPECT_EQ(h.control.currentPage, 0);
    EXPECT_EQ(h.getLong("CurrentPage"), 1);
  }
  EXPECT_TRUE(h.application.messages().empty());
}

TEST(ControlState, WindowMessages) {
  ControlHarness h;
  EXPECT_TRUE(h.window.AcceptsDroppedFiles());
  EXPECT_TRUE(h.control.OnSetCursor(1));
  h.window.Resize(300, 200);
  EXPECT_EQ(h.log, (std::vector<std::string>{"notify 16", "notify 14", "notify 15", "notify 17", "notify 18",
                                             "notify 19", "notify 20"}));
  EXPECT_EQ(h.getLong("ClientWidth"), 300);
  EXPECT_EQ(h.getLong("ClientHeight"), 200);
  EXPECT_FALSE(h.control.forceErase);
  h.control.OnKillFocus();
  EXPECT_TRUE(h.control.forceErase);
}

TEST(ControlState, StockMouseEventsReachTheSink) {
  ControlHarness h;
  std::vector<Variant> seen;
  struct Sink : EventSink {
    std::vector<Variant>* out;
    void OnEvent(const MemberInfo&, const std::vector<Variant>& args) override { *out = args; }
  } sink;
  sink.out = &seen;
  h.control.Advise(&sink);
  h.control.OnLButtonDown(MK_LBUTTON | MK_SHIFT, POINT{12, 34});
  EXPECT_EQ(h.log, std::vector<std::string>{"event MouseDown"});
  EXPECT_EQ(seen, (std::vector<Variant>{Variant::fromShort(1), Variant::fromShort(1), Variant::fromLong(12),
                                        Variant::fromLong(34)}));
  h.control.Unadvise(&sink);
}

}  // namespace
}  // namespace orlim::test
