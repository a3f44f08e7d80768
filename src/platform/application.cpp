#include "platform/Application.h"

#include <sys/stat.h>

#include <cstdio>

namespace orlim {

namespace {
Application* theApplication = nullptr;
}

void setApplication(Application* application) { theApplication = application; }
Application* currentApplication() { return theApplication; }

int CaptionedMessageBox(const char* text, const char* caption, UINT type) {
  if (theApplication) return theApplication->MessageBox(text ? text : "", type, caption);
  if (caption) std::fprintf(stderr, "%s: ", caption);
  std::fprintf(stderr, "%s\n", text ? text : "");
  return IDOK;
}

int AfxMessageBox(const char* text, UINT type) { return CaptionedMessageBox(text, nullptr, type); }

bool fileSystemEntryExists(const char* path) {
  struct stat st {};
  return path && *path && ::stat(path, &st) == 0;
}

bool queryFileExists(const char* path) {
  return theApplication ? theApplication->FileExists(path) : fileSystemEntryExists(path);
}

CWaitCursor::CWaitCursor() : application_(theApplication) {
  if (application_) application_->BeginWaitCursor();
}

CWaitCursor::~CWaitCursor() {
  if (application_) application_->EndWaitCursor();
}

}  // namespace orlim
