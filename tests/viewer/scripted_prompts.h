// Prompts answered from a script: the viewer's questions in tests.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <deque>

#include "Prompts.h"
#include "ViewerWindow.h"

namespace orlim::viewer::test {

struct Script {
  std::deque<OpenAnswer> open;
  std::deque<std::pair<QString, SaveFormat>> saveFile;  // the file and the format the user ends with
  std::deque<SaveOptions> saveOptions;
  std::deque<bool> overwrite;
  std::deque<ResizeRequest> resize;
  std::deque<int> page;
  QStringList errors;          // what the viewer reported
  QStringList overwriteAsked;  // the files it asked about
  int lastDepth = -1;          // the depth handed to the options dialog
  std::optional<OpenRequest> lastOpen;
};

class ScriptedPrompts : public Prompts {
 public:
  explicit ScriptedPrompts(Script& script) : s_(script) {}
  std::optional<OpenAnswer> openFile(QWidget*, const OpenRequest& request) override {
    s_.lastOpen = request;
    return take(s_.open);
  }
  QString saveFile(QWidget*, const QString&, const QString&, SaveFormat& format) override {
    const auto answer = take(s_.saveFile);
    if (!answer) return {};
    format = answer->second;
    return answer->first;
  }
  std::optional<SaveOptions> saveOptions(QWidget*, SaveFormat, int depth) override {
    s_.lastDepth = depth;
    return s_.saveOptions.empty() ? std::optional<SaveOptions>(SaveOptions{}) : take(s_.saveOptions);
  }
  bool confirmOverwrite(QWidget*, const QString& path) override {
    s_.overwriteAsked << path;
    return take(s_.overwrite).value_or(false);
  }
  std::optional<ResizeRequest> resize(QWidget*, const ResizeRequest&) override { return take(s_.resize); }
  std::optional<int> page(QWidget*, int, int) override { return take(s_.page); }
  void error(QWidget*, const QString& text) override { s_.errors << text; }

 private:
  template <typename T>
  static std::optional<T> take(std::deque<T>& queue) {
    if (queue.empty()) return std::nullopt;
    T value = queue.front();
    queue.pop_front();
    return value;
  }
  Script& s_;
};

// Closes every message box the control shows while alive, keeping its text.
class MessageBoxCatcher {
 public:
  MessageBoxCatcher() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts << box->text();
        box->reject();
      }
    });
    timer_.start();
  }
  QStringList texts;

 private:
  QTimer timer_;
};

}  // namespace orlim::viewer::test
