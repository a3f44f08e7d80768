#include <algorithm>

#include "platform/headless/HeadlessClipboard.h"

namespace orlim {

HeadlessClipboard::HeadlessClipboard() : previous_(currentClipboard()) { setClipboard(this); }

HeadlessClipboard::~HeadlessClipboard() {
  if (currentClipboard() == this) setClipboard(previous_);
}

bool HeadlessClipboard::OpenClipboard(Window* owner) {
  if (open_ || heldElsewhere_) return false;
  open_ = true;
  lastOwner_ = owner;
  return true;
}

bool HeadlessClipboard::CloseClipboard() {
  const bool wasOpen = open_;
  open_ = false;
  return wasOpen;
}

bool HeadlessClipboard::EmptyClipboard() {
  if (!open_) return false;
  formats_.clear();
  return true;
}

const ClipboardBlock* HeadlessClipboard::data(UINT format) const {
  const auto found =
      std::find_if(formats_.begin(), formats_.end(), [format](const auto& entry) { return entry.first == format; });
  return found == formats_.end() ? nullptr : &found->second;
}

bool HeadlessClipboard::IsClipboardFormatAvailable(UINT format) const { return data(format) != nullptr; }

bool HeadlessClipboard::GetClipboardData(UINT format, ClipboardBlock& block) const {
  const ClipboardBlock* found = open_ ? data(format) : nullptr;
  if (!found) return false;
  block = *found;
  return true;
}

bool HeadlessClipboard::SetClipboardData(UINT format, ClipboardBlock block) {
  if (!open_) return false;
  for (auto& entry : formats_)
    if (entry.first == format) {
      entry.second = std::move(block);
      return true;
    }
  formats_.emplace_back(format, std::move(block));
  return true;
}

std::vector<UINT> HeadlessClipboard::EnumClipboardFormats() const {
  std::vector<UINT> present;
  for (const auto& entry : formats_) present.push_back(entry.first);
  return present;
}

void HeadlessClipboard::replaceWith(UINT format, ClipboardBlock block) {
  formats_.clear();
  formats_.emplace_back(format, std::move(block));
}

}  // namespace orlim
