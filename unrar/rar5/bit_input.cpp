#include "unrar/rar5/bit_input.h"

#include <cstring>

namespace unrar::rar5 {

BitInput::BitInput(size_t capacity)
    : buf_(capacity + kLookahead + 8, 0), capacity_(capacity) {}

void BitInput::Start(PackedSource* source) {
  source_ = source;
  pos_ = 0;
  end_ = 0;
  base_ = 0;
  eof_ = false;
}

bool BitInput::Refill() {
  if (eof_) return true;
  const size_t consumed = pos_ >> 3;
  if (consumed > 0) {
    std::memmove(buf_.data(), buf_.data() + consumed, end_ - consumed);
    end_ -= consumed;
    base_ += consumed;
    pos_ &= 7;
  }
  while (end_ < capacity_) {
    bool ok = true;
    const size_t got = source_->Read(buf_.data() + end_, capacity_ - end_, &ok);
    if (!ok) return false;
    if (got == 0) {
      eof_ = true;
      // Reads past the packed data see zeros, never stale bytes.
      std::memset(buf_.data() + end_, 0, buf_.size() - end_);
      break;
    }
    end_ += got;
  }
  return true;
}

}  // namespace unrar::rar5
