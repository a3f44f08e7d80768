// The one way the file-format code can put a message box on screen. The format
// code shows no UI of its own: the control installs a hook that shows the box;
// until one is installed the messages go nowhere.
#pragma once

#include <functional>

namespace orlim {

enum class MessageIcon { Error, Warning };

using MessageBoxHook = std::function<void(const char* text, const char* caption, MessageIcon icon)>;

// Replaces the process-wide hook (an empty function removes it).
void setMessageBoxHook(MessageBoxHook hook);

// Shows a box through the installed hook; does nothing without one.
void showFormatMessageBox(const char* text, const char* caption, MessageIcon icon);

}  // namespace orlim
