// The application of a host without a screen: message boxes are recorded, passed
// to a listener as they happen and answered from a queue of answers (OK when it
// is empty); the wait cursor is counted; files are looked up on disk.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/orlim_api.h"

namespace orlim {

struct RecordedMessageBox {
  std::string text;
  UINT type;
  std::string caption;  // empty: the application's title
};

class ORLIM_API HeadlessApplication : public Application {
 public:
  // Installs itself as the process's application for its lifetime.
  HeadlessApplication();
  ~HeadlessApplication() override;

  int MessageBox(const char* text, UINT type, const char* caption) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  bool FileExists(const char* path) override { return fileSystemEntryExists(path); }

  // --- host side ---
  std::function<void(const RecordedMessageBox&)> onMessageBox;
  void queueAnswer(int answer) { answers_.push_back(answer); }
  const std::vector<RecordedMessageBox>& messages() const { return messages_; }
  void clearMessages() { messages_.clear(); }
  int waitCursorDepth() const { return waitDepth_; }
  int waitCursorShows() const { return waitShows_; }

 private:
  Application* previous_;
  std::vector<RecordedMessageBox> messages_;
  std::deque<int> answers_;
  int waitDepth_ = 0;
  int waitShows_ = 0;
};

// The answer a box of that type gives when nobody chose one: its first button.
ORLIM_API int defaultAnswer(UINT type);

}  // namespace orlim
