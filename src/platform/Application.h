// Application-wide services: the application message box (shown with the host's
// title; the host decides how it is shown and answered), the wait cursor and the
// file-existence query. One Application is installed per process by the host.
#pragma once

#include "platform/orlim_api.h"
#include "platform/win_types.h"

namespace orlim {

// Message box buttons and icons, and the answers.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_TYPEMASK = 0xF;
constexpr UINT MB_ICONMASK = 0xF0;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class ORLIM_API Application {
 public:
  virtual ~Application() = default;
  // Shows a modal box and returns the button that answered it. A null caption
  // means the application's own title.
  virtual int MessageBox(const char* text, UINT type, const char* caption) = 0;
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
  virtual bool FileExists(const char* path) = 0;
};

// The process's application (null until a host installs one).
ORLIM_API void setApplication(Application* application);
ORLIM_API Application* currentApplication();

// Shows a box through the application; without one the text goes to standard
// error and the answer is IDOK.
ORLIM_API int AfxMessageBox(const char* text, UINT type = MB_OK | MB_ICONERROR);
// The same with a caption of its own instead of the application's title.
ORLIM_API int CaptionedMessageBox(const char* text, const char* caption, UINT type);

// Whether a file system entry of that name exists, through the application.
ORLIM_API bool queryFileExists(const char* path);
// The plain file-system answer, for backends.
ORLIM_API bool fileSystemEntryExists(const char* path);

// Shows the wait cursor for its lifetime.
class ORLIM_API CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

 private:
  Application* application_;
};

}  // namespace orlim
