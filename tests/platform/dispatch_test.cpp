#include "platform/Dispatch.h"

#include <gtest/gtest.h>

#include "platform/OleControl.h"
#include "platform/PropertyBag.h"
#include "platform/headless/HeadlessApplication.h"
#include "platform/headless/HeadlessWindow.h"
#include "support/test_support.h"

namespace orlim {
namespace {

// A small automation object: one read-write long, one read-only string, one method.
class Counter : public DispatchObject {
 public:
  HRESULT QueryInterface(const IID&, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  const DispatchTable& dispatchTable() const override { return map().table(); }
  int count = 0;
  std::vector<Variant> lastArgs;

 protected:
  HRESULT invokeMember(const MemberInfo& m, InvokeKind k, const std::vector<Variant>& a, Variant& r) override {
    return map().invoke(*this, m, k, a, r);
  }

 private:
  static const DispatchMap<Counter>& map() {
    using M = DispatchMap<Counter>;
    static const M m("_DCounter", {M::Entry{{1, "Count", MemberKind::Property, VarType::Long, "long", false, {}},
                                            [](Counter& c) { return Variant::fromLong(c.count); },
                                            [](Counter& c, const Variant& v) { c.count = v.asLong(); },
                                            nullptr},
                                   M::Entry{{2, "Label", MemberKind::Property, VarType::String, "BSTR", true, {}},
                                            [](Counter&) { return Variant::fromString("counter"); },
                                            nullptr,
                                            nullptr},
                                   M::Entry{{3,
                                             "Add",
                                             MemberKind::Method,
                                             VarType::Bool,
                                             "BOOL",
                                             true,
                                             {{"n", VarType::Short, "short"}, {"s", VarType::String, "BSTR"}}},
                                            nullptr,
                                            nullptr,
                                            [](Counter& c, const std::vector<Variant>& a) {
                                              c.lastArgs = a;
                                              c.count += a[0].asShort();
                                              return Variant::fromBool(true);
                                            }}});
    return m;
  }
};

TEST(Dispatch, InvokeByIdAndNameWithChecks) {
  Counter c;
  Variant r;
  EXPECT_EQ(c.InvokeByName("count", InvokeKind::PropertyPut, {Variant::fromString("41")}, nullptr), S_OK);
  EXPECT_EQ(c.Invoke(1, InvokeKind::PropertyGet, {}, &r), S_OK);
  EXPECT_EQ(r, Variant::fromLong(41));
  EXPECT_EQ(c.InvokeByName("ADD", InvokeKind::Method, {Variant::fromLong(1), Variant::fromLong(9)}, &r), S_OK);
  EXPECT_EQ(r, Variant::fromBool(true));
  EXPECT_EQ(c.count, 42);
  EXPECT_EQ(c.lastArgs, (std::vector<Variant>{Variant::fromShort(1), Variant::fromString("9")}));

  EXPECT_EQ(c.InvokeByName("Label", InvokeKind::PropertyPut, {Variant::fromString("x")}, nullptr),
            CTL_E_SETNOTSUPPORTED);
  EXPECT_EQ(c.InvokeByName("Add", InvokeKind::Method, {Variant::fromLong(1)}, &r), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(c.InvokeByName("Add", InvokeKind::Method, {Variant::fromLong(70000), Variant()}, &r), DISP_E_OVERFLOW);
  EXPECT_EQ(c.InvokeByName("Add", InvokeKind::Method, {Variant::fromString("x"), Variant()}, &r), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(c.InvokeByName("Add", InvokeKind::PropertyGet, {}, &r), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(c.InvokeByName("Count", InvokeKind::PropertyGet, {Variant::fromLong(1)}, &r), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(c.InvokeByName("Count", InvokeKind::PropertyPut, {}, &r), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(c.InvokeByName("Coun", InvokeKind::PropertyGet, {}, &r), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(c.Invoke(99, InvokeKind::PropertyGet, {}, &r), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(c.count, 42);  // no failed call changed anything
}

TEST(PropertyBag, FileRoundTripAndMalformedFiles) {
  test::TempDir dir;
  PropertyBag bag;
  bag.Write("Long", Variant::fromLong(-5));
  bag.Write("Text", Variant::fromString("a = \"b\"\nc"));
  bag.Write("Flag", Variant::fromBool(true));
  bag.Write("Long", Variant::fromLong(6));  // replaces, keeps the place
  ASSERT_TRUE(bag.saveToFile(dir.file("bag.txt")));
  PropertyBag back;
  ASSERT_TRUE(back.loadFromFile(dir.file("bag.txt")));
  EXPECT_EQ(back.entries(), bag.entries());
  EXPECT_EQ(back.entries()[0].second, Variant::fromLong(6));

  test::writeFile(dir.file("bad.txt"), {'A', ' ', '=', ' ', '"', 'x', '\n'});
  EXPECT_FALSE(back.loadFromFile(dir.file("bad.txt")));
  EXPECT_TRUE(back.entries().empty());
  EXPECT_FALSE(back.loadFromFile(dir.file("missing.txt")));
  EXPECT_FALSE(bag.saveToFile(dir.file("no/such/folder/bag.txt")));
}

TEST(PropertyBag, ExchangeLoadsDefaultsForMissingValues) {
  PropertyBag bag;
  LONG l = 9;
  BOOL b = FALSE;
  std::string s = "x";
  OLE_COLOR color = 0x8000000F;
  {
    CPropExchange save(bag, false);
    PX_Long(save, "L", l, 0);
    PX_Color(save, "C", color, 0);
  }
  CPropExchange load(bag, true);
  l = 0;
  color = 0;
  EXPECT_TRUE(PX_Long(load, "L", l, 1));
  EXPECT_EQ(l, 9);
  EXPECT_TRUE(PX_Color(load, "C", color, 0));
  EXPECT_EQ(color, 0x8000000Fu);
  EXPECT_FALSE(PX_Bool(load, "B", b, TRUE));
  EXPECT_EQ(b, TRUE);
  EXPECT_FALSE(PX_String(load, "S", s, "default"));
  EXPECT_EQ(s, "default");
}

TEST(HeadlessWindow, InvalidationWaitsForTheUpdate) {
  HeadlessWindow window(100, 50);
  struct Painter : WindowMessageHandler {
    std::vector<RECT> regions;
    std::vector<bool> erases;
    void OnPaint(const RECT& r, bool erase) override {
      regions.push_back(r);
      erases.push_back(erase);
    }
  } painter;
  window.SetMessageHandler(&painter);
  EXPECT_FALSE(window.IsPaintPending());
  RECT a{10, 10, 20, 20}, b{-5, 30, 15, 400}, outside{200, 200, 300, 300};
  window.Invalidate(&outside, true);
  EXPECT_FALSE(window.IsPaintPending());
  window.Invalidate(&a, false);
  window.Invalidate(&b, false);
  EXPECT_TRUE(window.IsPaintPending());
  window.UpdateWindow();
  ASSERT_EQ(painter.regions.size(), 1u);
  EXPECT_EQ(painter.regions[0].left, 0);
  EXPECT_EQ(painter.regions[0].top, 10);
  EXPECT_EQ(painter.regions[0].right, 20);
  EXPECT_EQ(painter.regions[0].bottom, 50);
  EXPECT_FALSE(painter.erases[0]);
  EXPECT_FALSE(window.DeliverPendingPaint());
  window.Invalidate(nullptr, true);
  EXPECT_TRUE(window.DeliverPendingPaint());
  EXPECT_TRUE(painter.erases[1]);
  EXPECT_EQ(painter.regions[1].right, 100);
}

TEST(HeadlessApplication, MessageBoxesAreRecordedAndAnswered) {
  {
    HeadlessApplication app;
    EXPECT_EQ(currentApplication(), &app);
    std::string heard;
    app.onMessageBox = [&](const RecordedMessageBox& box) { heard = box.text; };
    EXPECT_EQ(AfxMessageBox("first"), IDOK);
    EXPECT_EQ(heard, "first");
    EXPECT_EQ(AfxMessageBox("ask", MB_YESNO | MB_ICONQUESTION), IDYES);
    app.queueAnswer(IDNO);
    EXPECT_EQ(AfxMessageBox("ask again", MB_YESNO | MB_ICONQUESTION), IDNO);
    ASSERT_EQ(app.messages().size(), 3u);
    EXPECT_EQ(app.messages()[0].type, MB_OK | MB_ICONERROR);
    {
      CWaitCursor wait;
      CWaitCursor nested;
      EXPECT_EQ(app.waitCursorDepth(), 2);
    }
    EXPECT_EQ(app.waitCursorDepth(), 0);
    EXPECT_EQ(app.waitCursorShows(), 2);
    EXPECT_TRUE(queryFileExists("/"));
    EXPECT_FALSE(queryFileExists("/no/such/file/here"));
    EXPECT_FALSE(queryFileExists(""));
  }
  EXPECT_EQ(currentApplication(), nullptr);
}

TEST(OleColor, SystemColorsAndPlainValues) {
  EXPECT_EQ(TranslateOleColor(0x00336699), 0x00336699u);
  EXPECT_EQ(TranslateOleColor(0x01000005), 0x00000005u);  // palette index form
  EXPECT_EQ(TranslateOleColor(0x80000005), RGB(255, 255, 255));
  EXPECT_EQ(TranslateOleColor(0x8000FFFF), RGB(0, 0, 0));  // unknown index
}

}  // namespace
}  // namespace orlim
