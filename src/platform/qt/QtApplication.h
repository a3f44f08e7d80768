// The application services of a Qt host: message boxes as modal QMessageBoxes
// with the box type's icon and buttons and the host's title, the wait cursor as
// an override cursor, the file-existence query on the file system.
#pragma once

#include "platform/Application.h"

namespace orlim {

class QtApplication : public Application {
 public:
  // Installs itself as the process's application for its lifetime.
  QtApplication();
  ~QtApplication() override;

  int MessageBox(const char* text, UINT type, const char* caption) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  bool FileExists(const char* path) override { return fileSystemEntryExists(path); }

 private:
  Application* previous_;
  int waitDepth_ = 0;
};

}  // namespace orlim
