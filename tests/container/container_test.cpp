// A container that knows the module only as a file: it loads libORLIM.so with
// dlopen, uses nothing but its four exports and the interfaces they hand out,
// and finds the control through the registry as any other container would.
// This program is not linked against the library.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "control/class_ids.h"
#include "module/exports.h"
#include "platform/DeviceContext.h"
#include "platform/OleInterfaces.h"
#include "platform/Window.h"

namespace orlim {
namespace {

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The registry file as a container reads it: `path = "value"` lines.
std::map<std::string, std::string> readRegistry(const std::string& path) {
  std::map<std::string, std::string> keys;
  std::istringstream in(readText(path));
  for (std::string line; std::getline(in, line);) {
    const std::size_t split = line.find(" = \"");
    if (line.empty() || line[0] == '#' || split == std::string::npos || line.back() != '"') continue;
    keys[line.substr(0, split)] = line.substr(split + 4, line.size() - split - 5);
  }
  return keys;
}

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_ino == sb.st_ino && sa.st_dev == sb.st_dev;
}

// A 3 x 2 24-bit BMP.
void writeSmallBmp(const std::string& path) {
  std::string bytes = "BM";
  auto put32 = [&bytes](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(v >> (8 * i));
  };
  put32(14 + 40 + 24);
  put32(0);
  put32(14 + 40);
  for (std::uint32_t v : {40u, 3u, 2u, 1u | (24u << 16), 0u, 24u, 2835u, 2835u, 0u, 0u}) put32(v);
  bytes.append(24, '\x7f');
  std::ofstream(path, std::ios::binary) << bytes;
}

// The container's own window: it delivers a mouse move to the control.
class ContainerWindow : public Window {
 public:
  void moveMouse(int x, int y) {
    if (handler_) handler_->OnMouseMove(0, POINT{x, y});
  }
  void SetMessageHandler(WindowMessageHandler* handler) override { handler_ = handler; }
  void GetClientRect(RECT& rect) const override { rect = RECT{0, 0, 120, 80}; }
  void Invalidate(const RECT*, bool) override {}
  void UpdateWindow() override {}
  bool IsPaintPending() const override { return false; }
  void DragAcceptFiles(bool) override {}
  DisplayCaps GetDisplayCaps() const override { return {}; }
  int GetSystemMetrics(int) const override { return 17; }
  void ShowScrollBar(int, bool) override {}
  void SetScrollInfo(int, const SCROLLINFO&, bool) override {}
  void SetScrollPos(int, int, bool) override {}
  void GetScrollRange(int, int& minimum, int& maximum) const override { minimum = maximum = 0; }
  void SetCursor(int) override {}
  void SetCapture() override {}
  void ReleaseCapture() override {}
  POINT TrackRubberBand(POINT start) override { return start; }
  std::unique_ptr<DeviceContext> GetDC(const RECT*) override { return nullptr; }

 private:
  WindowMessageHandler* handler_ = nullptr;
};

class RecordingSink : public EventSink {
 public:
  void OnEvent(const MemberInfo& event, const std::vector<Variant>& args) override {
    std::string line = event.name;
    for (const Variant& a : args) {
      line += ' ';
      line += std::to_string(a.asLong());
    }
    events.push_back(line);
  }
  std::vector<std::string> events;
};

// The library, loaded by path, and its exports.
struct Module {
  explicit Module(const std::string& path) : handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (!handle) return;
    registerServer = reinterpret_cast<DllRegisterServerFunction>(dlsym(handle, "DllRegisterServer"));
    unregisterServer = reinterpret_cast<DllUnregisterServerFunction>(dlsym(handle, "DllUnregisterServer"));
    getClassObject = reinterpret_cast<DllGetClassObjectFunction>(dlsym(handle, "DllGetClassObject"));
    canUnloadNow = reinterpret_cast<DllCanUnloadNowFunction>(dlsym(handle, "DllCanUnloadNow"));
  }
  ~Module() {
    if (handle) dlclose(handle);
  }
  bool complete() const { return registerServer && unregisterServer && getClassObject && canUnloadNow; }

  void* handle;
  DllRegisterServerFunction registerServer = nullptr;
  DllUnregisterServerFunction unregisterServer = nullptr;
  DllGetClassObjectFunction getClassObject = nullptr;
  DllCanUnloadNowFunction canUnloadNow = nullptr;
};

class Container : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("ORLIM_TEST_TMP");
    folder = std::string(tmp ? tmp : "/tmp") + "/container-" + std::to_string(getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str());
    registry = folder + "/registry";
    setenv("ORLIM_REGISTRY", registry.c_str(), 1);
  }
  void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }

  // Every line of the registry that names one of the module's identifiers.
  std::vector<std::string> moduleKeysLeft() const {
    std::vector<std::string> left;
    for (const auto& [key, value] : readRegistry(registry))
      for (const GUID& id : {LIBID_ORLIMLib, DIID__DOrlim, DIID__DOrlimEvents, CLSID_OrlimCtrl, CLSID_OrlimPropPage,
                             CLSID_OrlimPropPageView})
        if ((key + value).find(formatGuid(id)) != std::string::npos) left.push_back(key);
    return left;
  }

  std::string folder;
  std::string registry;
};

DISPID idOf(IDispatch* object, const char* name) {
  std::vector<DISPID> ids;
  EXPECT_EQ(object->GetIDsOfNames({name}, ids), S_OK) << name;
  return ids.empty() ? DISPID_UNKNOWN : ids[0];
}

TEST_F(Container, FindsCreatesDrivesAndReleasesTheControlThroughTheRegistry) {
  Module library(ORLIM_LIBRARY_PATH);
  ASSERT_TRUE(library.complete()) << dlerror();
  ASSERT_EQ(library.registerServer(), S_OK);

  // ProgID -> class identifier -> module file, as the registry says.
  auto keys = readRegistry(registry);
  CLSID clsid{};
  ASSERT_TRUE(parseGuid(keys["ORLIM.OrlimCtrl.1\\CLSID"], clsid));
  EXPECT_EQ(clsid, CLSID_OrlimCtrl);
  const std::string modulePath = keys["CLSID\\" + formatGuid(clsid) + "\\InprocServer32"];
  ASSERT_TRUE(sameFile(modulePath, ORLIM_LIBRARY_PATH)) << modulePath;
  Module module(modulePath);
  ASSERT_TRUE(module.complete());

  IClassFactory* factory = nullptr;
  ASSERT_EQ(module.getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  IDispatch* control = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&control)), S_OK);
  // A lock keeps the module loaded after the factory is gone.
  EXPECT_EQ(factory->LockServer(true), S_OK);
  factory->Release();

  const std::string picture = folder + "/small.bmp";
  writeSmallBmp(picture);
  EXPECT_EQ(control->Invoke(idOf(control, "picture"), InvokeKind::PropertyPut, {Variant::fromString(picture)}, nullptr),
            S_OK);
  Variant width;
  EXPECT_EQ(control->Invoke(idOf(control, "ImageWidth"), InvokeKind::PropertyGet, {}, &width), S_OK);
  EXPECT_EQ(width.asLong(), 3);

  // Events through a connection point, the control shown in the container's window.
  IConnectionPointContainer* points = nullptr;
  ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points)), S_OK);
  IConnectionPoint* events = nullptr;
  ASSERT_EQ(points->FindConnectionPoint(DIID__DOrlimEvents, &events), S_OK);
  RecordingSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(events->Advise(&sink, cookie), S_OK);
  IOleObject* object = nullptr;
  ASSERT_EQ(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object)), S_OK);
  ContainerWindow window;
  ASSERT_EQ(object->DoVerb(OLEIVERB_SHOW, &window), S_OK);
  window.moveMouse(5, 6);
  EXPECT_EQ(sink.events, std::vector<std::string>{"MouseMove 0 0 5 6"});
  EXPECT_EQ(events->Unadvise(cookie), S_OK);
  EXPECT_EQ(events->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  window.moveMouse(7, 8);
  EXPECT_EQ(sink.events.size(), 1u);
  EXPECT_EQ(object->Close(), S_OK);

  for (IUnknown* held : std::initializer_list<IUnknown*>{object, events, points}) held->Release();
  EXPECT_EQ(module.canUnloadNow(), S_FALSE);  // the control is still held
  control->Release();
  EXPECT_EQ(module.canUnloadNow(), S_FALSE);  // the lock
  ASSERT_EQ(module.getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  factory->LockServer(false);
  factory->Release();
  EXPECT_EQ(module.canUnloadNow(), S_OK);

  EXPECT_EQ(module.unregisterServer(), S_OK);
  EXPECT_EQ(moduleKeysLeft(), std::vector<std::string>{});
}

TEST_F(Container, UnknownClassesAndInterfacesAreRefused) {
  Module module(ORLIM_LIBRARY_PATH);
  ASSERT_TRUE(module.complete());
  void* object = &module;
  EXPECT_EQ(module.getClassObject(DIID__DOrlim, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(module.getClassObject(CLSID_OrlimCtrl, DIID__DOrlim, &object), E_NOINTERFACE);
  IClassFactory* factory = nullptr;
  ASSERT_EQ(module.getClassObject(CLSID_OrlimCtrl, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
  EXPECT_EQ(factory->CreateInstance(factory, IID_IDispatch, &object), CLASS_E_NOAGGREGATION);
  factory->Release();
  EXPECT_EQ(module.canUnloadNow(), S_OK);  // the refused control did not stay behind
}

TEST_F(Container, RegisteringTwiceRewritesTheSameKeysAndUnregisteringLeavesOthers) {
  std::ofstream(registry) << "Software\\Elsewhere = \"kept\"\n";
  Module module(ORLIM_LIBRARY_PATH);
  ASSERT_TRUE(module.complete());
  ASSERT_EQ(module.registerServer(), S_OK);
  const std::string once = readText(registry);
  ASSERT_EQ(module.registerServer(), S_OK);
  EXPECT_EQ(readText(registry), once);
  ASSERT_EQ(module.unregisterServer(), S_OK);
  EXPECT_EQ(moduleKeysLeft(), std::vector<std::string>{});
  EXPECT_EQ(readRegistry(registry), (std::map<std::string, std::string>{{"Software\\Elsewhere", "kept"}}));
}

TEST_F(Container, ADamagedRegistryIsASelfRegistrationErrorAndStaysAsItWas) {
  const std::string damaged = "CLSID\\{7D61F7A9-82F0-11D2-905D-00E0290C674A} = \"Orlim Control\"\nnot a key\n";
  std::ofstream(registry) << damaged;
  Module module(ORLIM_LIBRARY_PATH);
  ASSERT_TRUE(module.complete());
  EXPECT_EQ(module.registerServer(), SELFREG_E_TYPELIB);
  EXPECT_EQ(module.unregisterServer(), SELFREG_E_TYPELIB);
  EXPECT_EQ(readText(registry), damaged);
}

}  // namespace
}  // namespace orlim
