#pragma once
// Reads little-endian fields from a header buffer; every read is bounds-checked and a failed
// read leaves ok() false, so a parser can read on and check once.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace unrar {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }
  size_t pos() const { return pos_; }
  size_t left() const { return ok_ ? size_ - pos_ : 0; }
  const uint8_t* here() const { return data_ + pos_; }

  uint8_t U8() { return static_cast<uint8_t>(Fixed(1)); }
  uint16_t U16() { return static_cast<uint16_t>(Fixed(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Fixed(4)); }
  uint64_t U64() { return Fixed(8); }

  // RAR5 variable-length integer: 7 bits a byte, low group first, at most 10 bytes.
  uint64_t Vint() {
    uint64_t v = 0;
    for (int shift = 0; shift < 70; shift += 7) {
      if (!Need(1)) return 0;
      uint8_t b = data_[pos_++];
      if (shift < 64) v |= static_cast<uint64_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) return v;
    }
    ok_ = false;
    return 0;
  }

  bool Bytes(void* out, size_t n) {
    if (!Need(n)) return false;
    memcpy(out, data_ + pos_, n);
    pos_ += n;
    return true;
  }
  bool Skip(uint64_t n) {
    if (!Need(n)) return false;
    pos_ += static_cast<size_t>(n);
    return true;
  }

 private:
  bool Need(uint64_t n) {
    if (!ok_ || n > size_ - pos_) {
      ok_ = false;
      return false;
    }
    return true;
  }
  uint64_t Fixed(int n) {
    if (!Need(n)) return 0;
    uint64_t v = 0;
    for (int i = 0; i < n; i++) v |= static_cast<uint64_t>(data_[pos_ + i]) << (8 * i);
    pos_ += n;
    return v;
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace unrar
