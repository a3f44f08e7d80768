// A container for one control in tests: headless application and window, and a
// log of what the control told its container (notifications, modified flags,
// events) in the order it happened.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/OrlimCtrl.h"
#include "platform/headless/HeadlessApplication.h"
#include "platform/headless/HeadlessWindow.h"

namespace orlim::test {

class ControlHarness : public ControlSite, public EventSink {
 public:
  explicit ControlHarness(int width = 640, int height = 480) : window(width, height) {
    control.SetClientSite(this);
    control.Advise(this);
    control.AttachWindow(&window);
    control.ResetState();
    window.Resize(width, height);
    window.DeliverPendingPaint();
    log.clear();
  }
  ~ControlHarness() override {
    control.Unadvise(this);
    control.SetClientSite(nullptr);
  }

  void OnChanged(DISPID id) override { log.push_back("notify " + std::to_string(id)); }
  void OnModified() override { log.push_back("modified"); }
  void OnEvent(const MemberInfo& event, const std::vector<Variant>&) override {
    log.push_back(std::string("event ") + event.name);
  }

  HRESULT set(const char* name, const Variant& value) {
    return control.InvokeByName(name, InvokeKind::PropertyPut, {value}, nullptr);
  }
  Variant get(const char* name) {
    Variant v;
    EXPECT_EQ(control.InvokeByName(name, InvokeKind::PropertyGet, {}, &v), S_OK) << name;
    return v;
  }
  std::int32_t getLong(const char* name) { return get(name).asLong(); }
  Variant call(const char* name, const std::vector<Variant>& args = {}) {
    Variant v;
    EXPECT_EQ(control.InvokeByName(name, InvokeKind::Method, args, &v), S_OK) << name;
    return v;
  }
  std::vector<std::string> messageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : application.messages()) texts.push_back(m.text);
    return texts;
  }
  void forget() {
    log.clear();
    application.clearMessages();
  }

  HeadlessApplication application;
  HeadlessWindow window;
  COrlimCtrl control;
  std::vector<std::string> log;
};

}  // namespace orlim::test
