#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "control/OrlimCtrl.h"
#include "control/class_ids.h"
#include "module/ClassFactory.h"
#include "module/OrlimModule.h"
#include "module/resources.h"
#include "platform/Dialog.h"
#include "platform/PropertySheet.h"
#include "support/test_support.h"

namespace orlim {
namespace {

TEST(Module, PageFactoriesCreateThePagesAsModuleObjects) {
  for (const CLSID& page : {CLSID_OrlimPropPage, CLSID_OrlimPropPageView}) {
    ClassFactory* factory = findFactory(page);
    ASSERT_NE(factory, nullptr);
    void* object = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_FALSE(moduleInUse());
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &object), S_OK);
    EXPECT_TRUE(moduleInUse());
    static_cast<IUnknown*>(object)->Release();
    EXPECT_FALSE(moduleInUse());
  }
  EXPECT_STREQ(findFactory(CLSID_OrlimPropPageView)->typeName(), "Orlim Property Page (Display)");
}

// Records the property sheet a verb shows, and accepts it.
class SheetRecorder : public DialogService {
 public:
  int DoModal(const DialogTemplate&, Window*) override { return -1; }
  int RunPropertySheet(PropertySheet& sheet, Window* owner) override {
    title = sheet.title();
    for (std::size_t i = 0; i < sheet.pageCount(); ++i) captions.push_back(sheet.page(i).caption());
    shownOver = owner;
    return IDOK;
  }
  std::string title;
  std::vector<std::string> captions;
  Window* shownOver = nullptr;
};

TEST(Module, ThePropertiesVerbShowsTheTwoPagesAndPictureMapsToTheGeneralPage) {
  COrlimCtrl control;
  DialogService* const before = currentDialogService();
  SheetRecorder sheets;
  setDialogService(&sheets);
  EXPECT_EQ(control.DoVerb(OLEIVERB_PROPERTIES, nullptr), S_OK);
  setDialogService(nullptr);
  EXPECT_EQ(control.DoVerb(OLEIVERB_PROPERTIES, nullptr), E_NOTIMPL);
  setDialogService(before);
  EXPECT_EQ(sheets.title, "Orlim Control Properties");
  EXPECT_EQ(sheets.captions, (std::vector<std::string>{"General", "Display"}));
  std::vector<CLSID> pages;
  static_cast<ISpecifyPropertyPages&>(control).GetPages(pages);
  EXPECT_EQ(pages, (std::vector<CLSID>{CLSID_OrlimPropPage, CLSID_OrlimPropPageView}));
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
    EXPECT_EQ(test::run("ORLIM_REGISTRY='" + registry + "' " + ORLIM_CLI_PATH + " " + arguments, &out), expectedStatus)
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

  // The module orlim registered: its own library, not this test program.
  const std::size_t moduleLine = listing.find("  module ") + 9;
  const std::string registered = listing.substr(moduleLine, listing.find('\n', moduleLine) - moduleLine);
  const std::vector<std::uint8_t> bytes = test::readFile(registry);
  std::string text(bytes.begin(), bytes.end());
  const std::string gone = dir.file("gone/libORLIM.so");
  for (std::size_t at; (at = text.find(registered)) != std::string::npos;) text.replace(at, registered.size(), gone);
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
