// The system clipboard as the control uses it: opened for one call with a window
// as owner, asked whether a format is there, read and written as whole blocks.
// A block handed to SetClipboardData belongs to the clipboard from then on (the
// global-memory hand-over of the original platform). One Clipboard is installed
// per process by the host; without one the clipboard cannot be opened.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/orlim_api.h"
#include "platform/win_types.h"

namespace orlim {

class Window;

// Standard clipboard formats the project names.
constexpr UINT CF_TEXT = 1;
constexpr UINT CF_DIB = 8;

// A clipboard block: the bytes of one format, its length the block's real size.
using ClipboardBlock = std::vector<std::uint8_t>;

class ORLIM_API Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Opens the clipboard for `owner`; false when another owner holds it open.
  virtual bool OpenClipboard(Window* owner) = 0;
  virtual bool CloseClipboard() = 0;
  // Removes every format; only while open.
  virtual bool EmptyClipboard() = 0;
  virtual bool IsClipboardFormatAvailable(UINT format) const = 0;
  // Copies the block of `format` into `block`; false when the clipboard is not
  // open or holds no such data.
  virtual bool GetClipboardData(UINT format, ClipboardBlock& block) const = 0;
  // Puts `block` there as `format`, replacing that format only; only while open.
  virtual bool SetClipboardData(UINT format, ClipboardBlock block) = 0;
  // The formats present, in the order they were put there.
  virtual std::vector<UINT> EnumClipboardFormats() const = 0;
};

ORLIM_API void setClipboard(Clipboard* clipboard);
ORLIM_API Clipboard* currentClipboard();

// Opens the process's clipboard for `owner` for its lifetime.
class ORLIM_API ClipboardSession {
 public:
  explicit ClipboardSession(Window* owner);
  ~ClipboardSession();
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;

  bool isOpen() const { return open_; }
  Clipboard* operator->() const { return clipboard_; }

 private:
  Clipboard* clipboard_;
  bool open_ = false;
};

}  // namespace orlim
