#include "formats/message_hook.h"

#include <utility>

namespace orlim {

namespace {

MessageBoxHook& installedHook() {
  static MessageBoxHook hook;
  return hook;
}

}  // namespace

void setMessageBoxHook(MessageBoxHook hook) { installedHook() = std::move(hook); }

void showFormatMessageBox(const char* text, const char* caption, MessageIcon icon) {
  const MessageBoxHook& hook = installedHook();
  if (hook) hook(text, caption, icon);
}

}  // namespace orlim
