#include "platform/headless/HeadlessApplication.h"

namespace orlim {

HeadlessApplication::HeadlessApplication() : previous_(currentApplication()) { setApplication(this); }

HeadlessApplication::~HeadlessApplication() {
  if (currentApplication() == this) setApplication(previous_);
}

int defaultAnswer(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL: return IDYES;
    default: return IDOK;
  }
}

int HeadlessApplication::MessageBox(const char* text, UINT type, const char* caption) {
  messages_.push_back({text ? text : "", type, caption ? caption : ""});
  if (onMessageBox) onMessageBox(messages_.back());
  if (answers_.empty()) return defaultAnswer(type);
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void HeadlessApplication::BeginWaitCursor() {
  ++waitDepth_;
  ++waitShows_;
}

void HeadlessApplication::EndWaitCursor() {
  if (waitDepth_ > 0) --waitDepth_;
}

}  // namespace orlim
