// A viewer window with scripted prompts, its configuration in a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <memory>

#include "ViewerWindow.h"
#include "qt_fixtures.h"
#include "scripted_prompts.h"

namespace orlim::viewer::test {

using orlim::test::TempDir;

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.file("config")));
    window = makeWindow();
  }
  // `sized`: a known size rather than the one the last session kept.
  std::unique_ptr<ViewerWindow> makeWindow(bool sized = true) {
    auto w = std::make_unique<ViewerWindow>(std::make_unique<ScriptedPrompts>(script));
    if (sized) w->resize(640, 480);
    return w;
  }
  QAction* action(const char* name) const {
    QAction* a = window->findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(a, nullptr) << name;
    return a;
  }
  // Triggers an action as its menu item or shortcut would; false when it was disabled.
  bool trigger(const char* name) {
    QAction* a = action(name);
    if (!a || !a->isEnabled()) return false;
    a->trigger();
    return true;
  }
  OrlimWidget& control() const { return window->control(); }
  QString path(const std::string& name) const { return QString::fromStdString(dir.file(name)); }
  std::string sample() const { return orlim::test::samplePicture(dir); }
  // The shown picture as the control saves it.
  QImage shown(const std::string& name) {
    const QString file = path(name);
    control().call("SaveAsBmp", {file});
    return QImage(file).convertToFormat(QImage::Format_RGB32);
  }

  TempDir dir;
  Script script;
  std::unique_ptr<ViewerWindow> window;
};

}  // namespace orlim::viewer::test
