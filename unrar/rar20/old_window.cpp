#include "unrar/rar20/old_window.h"

#include <algorithm>

namespace unrar::rar20 {
namespace {

// The window never shrinks below this, and never grows past the largest dictionary a RAR 1.5-2.x
// header can state.
constexpr uint64_t kMinWindow = 0x40000;
constexpr uint64_t kMaxWindow = 0x400000;

}  // namespace

bool OldWindow::Prepare(uint64_t dict_size, bool solid, uint64_t unpacked_size) {
  const uint64_t need = std::min(std::max(dict_size, kMinWindow), kMaxWindow) + rar5::Window::kSlack;
  if (!window_.Reserve(need, solid, history_)) return false;
  if (!solid) produced_ = history_ = 0;
  history_ = std::min(history_, window_.MaxHistory());
  flushed_ = produced_;
  entry_end_ = produced_ + unpacked_size;
  // Unflushed bytes plus the longest match always fit in the window.
  flush_at_ = window_.Size() / 4;
  return true;
}

bool OldWindow::Copy(size_t length, size_t distance) {
  if (distance == 0 || distance > history_) return false;
  rar5::CopyMatch(window_.Data(), window_.Size(), window_.pos, distance, length);
  produced_ += length;
  history_ = std::min(history_ + length, window_.MaxHistory());
  return true;
}

UnpackStatus OldWindow::Flush(UnpackSink& sink) {
  const uint64_t upto = std::min(produced_, entry_end_);
  if (upto <= flushed_) return UnpackStatus::Ok;
  const size_t size = window_.Size();
  const size_t back = size_t(produced_ - flushed_);
  size_t start = window_.pos >= back ? window_.pos - back : window_.pos + size - back;
  size_t left = size_t(upto - flushed_);
  while (left > 0) {
    const size_t piece = std::min(left, size - start);
    if (!sink.Write(window_.Data() + start, piece)) return UnpackStatus::Aborted;
    left -= piece;
    start = (start + piece) % size;
  }
  flushed_ = upto;
  return UnpackStatus::Ok;
}

UnpackStatus OldWindow::Finish(UnpackSink& sink) {
  const UnpackStatus status = Flush(sink);
  flushed_ = produced_;
  return status;
}

}  // namespace unrar::rar20
