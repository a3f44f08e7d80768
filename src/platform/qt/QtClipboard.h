// The process's clipboard on QClipboard. Between opening and closing, what the
// control puts there is collected and handed to the system in one piece when it
// closes: a DIB as image/bmp (file header + block) and image/png, text as
// text/plain. Reading takes image/bmp as it is, or any image Qt can decode,
// and hands the control a DIB that its own checks then measure.
#pragma once

#include <optional>

#include "platform/Clipboard.h"

class QMimeData;

namespace orlim {

class QtClipboard : public Clipboard {
 public:
  // Installs itself as the process's clipboard for its lifetime.
  QtClipboard();
  ~QtClipboard() override;

  bool OpenClipboard(Window* owner) override;
  bool CloseClipboard() override;
  bool EmptyClipboard() override;
  bool IsClipboardFormatAvailable(UINT format) const override;
  bool GetClipboardData(UINT format, ClipboardBlock& block) const override;
  bool SetClipboardData(UINT format, ClipboardBlock block) override;
  std::vector<UINT> EnumClipboardFormats() const override;

 private:
  const QMimeData* shown() const;
  void keepOtherFormats(QMimeData& data) const;

  Clipboard* previous_;
  bool open_ = false;
  bool changed_ = false;
  bool emptied_ = false;
  std::optional<ClipboardBlock> dib_;
  std::optional<ClipboardBlock> text_;
};

}  // namespace orlim
