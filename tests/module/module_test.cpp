#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "control/OrlimCtrl.h"
#include "control/class_ids.h"
#include "module/ClassFactory.h"
#include "module/OrlimModule.h"
#include "module/page_classes.h"
#include "module/resources.h"
#include "support/test_support.h"

namespace orlim {
namespace {

// A page as the pages register it: counted as a live object of the module.
class FakePage : public IUnknown {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    *object = iid == IID_IUnknown ? this : nullptr;
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return references_.add(); }
  ULONG Release() override {
    const ULONG left = references_.release();
    if (left == 0) delete this;
    return left;
  }

 private:
  LiveModuleObject alive_;
  ReferenceCount references_;
};

TEST(Module, PageFactoriesCreateThroughTheRegisteredCreator) {
  ClassFactory* display = findFactory(CLSID_OrlimPropPageView);
  ASSERT_NE(display, nullptr);
  EXPECT_STREQ(display->typeName(), "Orlim Property Page (Display)");
  const PageCreator before = pageCreator(CLSID_OrlimPropPageView);
  registerPageClass(CLSID_OrlimPropPageView, nullptr);
  void* object = nullptr;
  EXPECT_EQ(display->CreateInstance(nullptr, IID_IUnknown, &object), E_NOTIMPL);
  registerPageClass(CLSID_OrlimPropPageView, [] { return static_cast<IUnknown*>(new FakePage); });
  ASSERT_EQ(display->CreateInstance(nullptr, IID_IUnknown, &object), S_OK);
  EXPECT_TRUE(moduleInUse());
  static_cast<IUnknown*>(object)->Release();
  EXPECT_FALSE(moduleInUse());
  registerPageClass(CLSID_OrlimPropPageView, before);
}

TEST(Module, ThePropertiesVerbShowsTheTwoPagesAndPictureMapsToTheGeneralPage) {
  COrlimCtrl control;
  std::vector<CLSID> shown;
  setPropertyFrame([&shown](IUnknown*, const std::vector<CLSID>& pages) {
    shown = pages;
    return S_OK;
  });
  EXPECT_EQ(control.DoVerb(OLEIVERB_PROPERTIES, nullptr), S_OK);
  setPropertyFrame(nullptr);
  EXPECT_EQ(shown, (std::vector<CLSID>{CLSID_OrlimPropPage, CLSID_OrlimPropPageView}));
  EXPECT_EQ(control.DoVerb(OLEIVERB_PROPERTIES, nullptr), E_NOTIMPL);
  CLSID clsid{};
  control.GetUserClassID(clsid);
  EXPECT_EQ(clsid, CLSID_OrlimCtrl);
  EXPECT_EQ(control.MapPropertyToPage(dispidPicture, clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_OrlimPropPage);
  EXPECT_EQ(control.MapPropertyToPage(dispidZoomLevel, clsid), PERPROP_E_NOPAGEAVAILABLE);
}

TEST(Module, ModuleValuesAndResources) {
  EXPECT_EQ(moduleState().fileOpenFilterIndex, 7);
  EXPECT_EQ(versionText(versionResource().fileVersion), "2.10.0.0");
  for (int id : {1, 2, 200, 201, 202}) EXPECT_NE(resourceString(id), nullptr) << id;
  // Pictures are whole rectangles: every row as wide as the first.
  for (const PixelArt* art : {bitmapResource(1), cursorResource(203), cursorResource(204)}) {
    ASSERT_NE(art, nullptr);
    for (const char* row : art->rows) EXPECT_EQ(std::strlen(row), std::strlen(art->rows[0])) << art->id;
  }
}

// The command-line host against a scratch registry.
class Cli : public ::testing::Test {
 protected:
  std::string orlim(const std::string& arguments, int expectedStatus = 0) {
    std::string out;
    EXPECT_EQ(test::run("ORLIM_REGISTRY='" + registry + "' " + ORLIM_CLI_PATH + " " + arguments, &out),
              expectedStatus)
        << arguments << ": " << out;
    return out;
  }
  test::TempDir dir;
  std::string registry = dir.file("registry");
};

TEST_F(Cli, ClassesReportsAModuleThatNoLongerExists) {
  orlim("register");
  std::string listing = orlim("classes");
  EXPECT_NE(listing.find("class {7D61F7A9-82F0-11D2-905D-00E0290C674A} \"Orlim Control\" ORLIM.OrlimCtrl.1"),
            std::string::npos)
      << listing;
  EXPECT_EQ(listing.find("no longer exists"), std::string::npos);

  const std::vector<std::uint8_t> bytes = test::readFile(registry);
  std::string text(bytes.begin(), bytes.end());
  const std::string gone = dir.file("gone/libORLIM.so");
  for (std::size_t at; (at = text.find(modulePath())) != std::string::npos;) text.replace(at, modulePath().size(), gone);
  std::ofstream(registry) << text;
  listing = orlim("classes");
  EXPECT_NE(listing.find("  module " + gone + " (no longer exists)"), std::string::npos) << listing;

  // A script still gets its control, from this program's own library.
  std::ofstream(dir.file("get.orl")) << "get Appearance\n";
  const std::string script = orlim("script '" + dir.file("get.orl") + "'");
  EXPECT_NE(script.find("Appearance = 0"), std::string::npos) << script;
  EXPECT_NE(script.find("not in this program's"), std::string::npos) << script;
  orlim("unregister");
  EXPECT_EQ(orlim("classes"), "registry " + registry + "\n");
}

TEST_F(Cli, ADamagedRegistryFailsWithTheSelfRegistrationCode) {
  std::ofstream(registry) << "garbage\n";
  EXPECT_NE(orlim("register", 1).find("(0x80040200)"), std::string::npos);
  EXPECT_NE(orlim("classes", 1).find("is damaged: line 1 is not a key"), std::string::npos);
  EXPECT_NE(orlim("register " + dir.file("none.so"), 1).find("cannot load"), std::string::npos);
}

}  // namespace
}  // namespace orlim
