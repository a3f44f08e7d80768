// A clipboard kept in memory for hosts without a screen. Installs itself as the
// process's clipboard for its lifetime. The host side can hold it open as another
// program would, and read what was put there.
#pragma once

#include <map>
#include <utility>

#include "platform/Clipboard.h"
#include "platform/orlim_api.h"

namespace orlim {

class ORLIM_API HeadlessClipboard : public Clipboard {
 public:
  HeadlessClipboard();
  ~HeadlessClipboard() override;

  bool OpenClipboard(Window* owner) override;
  bool CloseClipboard() override;
  bool EmptyClipboard() override;
  bool IsClipboardFormatAvailable(UINT format) const override;
  bool GetClipboardData(UINT format, ClipboardBlock& block) const override;
  bool SetClipboardData(UINT format, ClipboardBlock block) override;
  std::vector<UINT> EnumClipboardFormats() const override;

  // --- host side ---
  // Another program holds the clipboard open: every OpenClipboard fails.
  void setHeldElsewhere(bool held) { heldElsewhere_ = held; }
  bool isOpen() const { return open_; }
  Window* lastOwner() const { return lastOwner_; }
  // Replaces the whole content with one format, as another program pasting would.
  void replaceWith(UINT format, ClipboardBlock block);
  const ClipboardBlock* data(UINT format) const;

 private:
  Clipboard* previous_;
  std::vector<std::pair<UINT, ClipboardBlock>> formats_;
  bool open_ = false;
  bool heldElsewhere_ = false;
  Window* lastOwner_ = nullptr;
};

}  // namespace orlim
