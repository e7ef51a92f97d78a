#pragma once
// The sliding dictionary: a ring buffer of the most recent output that matches copy from.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace unrar::rar5 {

class Window {
 public:
  // Bytes past the ring that a match copy may scribble on. A copy may also overwrite up to
  // kSlack bytes ahead of the write position: those are the oldest bytes of the ring, which is
  // why they never count as history.
  static constexpr size_t kSlack = 64;

  // Makes the ring at least `size` bytes. With keep_history the last `history` bytes written
  // stay reachable; otherwise the window starts empty. False when the memory is not there.
  bool Reserve(uint64_t size, bool keep_history, size_t history);

  uint8_t* Data() { return data_.get(); }
  const uint8_t* Data() const { return data_.get(); }
  size_t Size() const { return size_; }
  // How far back a match may reach at most.
  size_t MaxHistory() const { return size_ > kSlack ? size_ - kSlack : 0; }

  size_t pos = 0;  // where the next byte goes

 private:
  std::unique_ptr<uint8_t[]> data_;
  size_t size_ = 0;
};

// Copies `length` bytes from `distance` back to pos, moving pos on. The distance was checked
// against the history: 0 < distance <= MaxHistory().
inline void CopyMatch(uint8_t* win, size_t size, size_t& pos, size_t distance, size_t length) {
  size_t src = pos >= distance ? pos - distance : pos + size - distance;
  if (src + length <= size && pos + length <= size) {
    uint8_t* d = win + pos;
    const uint8_t* s = win + src;
    if (distance >= 8) {
      // Eight bytes at a time: each chunk reads only bytes that are already final.
      for (size_t i = 0; i < length; i += 8) std::memcpy(d + i, s + i, 8);
    } else if (distance == 1) {
      std::memset(d, *s, length);
    } else {
      for (size_t i = 0; i < length; ++i) d[i] = s[i];
    }
    pos += length;
    if (pos == size) pos = 0;
    return;
  }
  for (size_t i = 0; i < length; ++i) {
    win[pos] = win[src];
    if (++pos == size) pos = 0;
    if (++src == size) src = 0;
  }
}

// The four most recent match distances, newest first, which later symbols may repeat.
inline void PushDistance(size_t (&recent)[4], size_t distance) {
  recent[3] = recent[2];
  recent[2] = recent[1];
  recent[1] = recent[0];
  recent[0] = distance;
}

}  // namespace unrar::rar5
