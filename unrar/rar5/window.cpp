#include "unrar/rar5/window.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace unrar::rar5 {

bool Window::Reserve(uint64_t size, bool keep_history, size_t history) {
  if (size <= size_) {
    if (!keep_history) pos = 0;
    return true;
  }
  if (size > SIZE_MAX - kSlack) return false;
  if (!keep_history) {
    data_.reset();  // lower the peak: the old contents are not needed
    size_ = 0;
  }
  std::unique_ptr<uint8_t[]> bigger(new (std::nothrow) uint8_t[size_t(size) + kSlack]);
  if (!bigger) return false;
  std::memset(bigger.get() + size, 0, kSlack);

  size_t new_pos = 0;
  if (keep_history && data_) {
    // Lay the history out from the start of the new ring, oldest byte first.
    history = std::min(history, MaxHistory());
    const size_t start = pos >= history ? pos - history : pos + size_ - history;
    const size_t first = std::min(history, size_ - start);
    std::memcpy(bigger.get(), data_.get() + start, first);
    std::memcpy(bigger.get() + first, data_.get(), history - first);
    new_pos = history;
  }
  data_ = std::move(bigger);
  size_ = size_t(size);
  pos = new_pos;
  return true;
}

}  // namespace unrar::rar5
