#pragma once
// Bit-level reading of one entry's packed stream. RAR5 reads bits most significant first.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "unrar/unpack.h"

namespace unrar::rar5 {

// A read position in a buffer padded so that an 8-byte peek never leaves it. Kept by value in
// the decoding loop so the compiler can hold it in registers.
struct BitCursor {
  const uint8_t* buf;
  size_t pos;  // in bits from buf

  uint32_t Peek32() const {
    uint64_t word;
    std::memcpy(&word, buf + (pos >> 3), 8);
    return uint32_t((__builtin_bswap64(word) << (pos & 7)) >> 32);  // the buffer is little-endian
  }
  // n is 1..32.
  uint32_t Read(unsigned n) {
    const uint32_t value = Peek32() >> (32 - n);
    pos += n;
    return value;
  }
  void Skip(unsigned n) { pos += n; }
  void AlignToByte() { pos = (pos + 7) & ~size_t(7); }
};

// The decoding loop's reader: the next bits held in a register, refilled without branches to at
// least 56 valid bits. Bits below the valid ones are the stream's next bits already, so a refill
// that puts the same bits there again changes nothing.
struct BitBuffer {
  const uint8_t* base;
  const uint8_t* next;   // the first byte not yet in `bits`
  uint64_t bits = 0;     // most significant first
  unsigned count = 0;    // valid bits in `bits`

  BitBuffer(const uint8_t* buf, size_t pos) : base(buf), next(buf + (pos >> 3)) {
    Refill();
    Skip(pos & 7);
  }
  void Refill() {
    uint64_t word;
    std::memcpy(&word, next, 8);
    bits |= __builtin_bswap64(word) >> count;
    next += (63 - count) >> 3;
    count |= 56;
  }
  size_t Pos() const { return size_t(next - base) * 8 - count; }
  uint32_t Peek32() const { return uint32_t(bits >> 32); }
  void Skip(unsigned n) {
    bits <<= n;
    count -= n;
  }
  // n is 1..32 and no more than count.
  uint32_t Read(unsigned n) {
    const uint32_t value = uint32_t(bits >> (64 - n));
    Skip(n);
    return value;
  }
  // n is 0..count.
  uint64_t ReadLong(unsigned n) {
    if (n == 0) return 0;
    const uint64_t value = bits >> (64 - n);
    Skip(n);
    return value;
  }
};

// The packed bytes of the current entry, buffered. Between two calls of Refill the decoder may
// read up to kLookahead bytes past SafeEnd() without leaving the buffer: past the end of the
// packed data the buffer holds zeros, and the decoder checks it did not go beyond DataEnd().
class BitInput {
 public:
  // Covers the longest read between two checks: a block header with its Huffman tables.
  static constexpr size_t kLookahead = 4096;

  explicit BitInput(size_t capacity = 256 * 1024);

  void Start(PackedSource* source);
  // Moves the unread bytes to the front and reads more. False when the source failed.
  bool Refill();

  BitCursor Cursor() const { return {buf_.data(), pos_}; }
  void SetPos(size_t pos) { pos_ = pos; }
  size_t Pos() const { return pos_; }

  // Bit position up to which the decoder may go before calling Refill.
  size_t SafeEnd() const { return eof_ ? end_ * 8 : (end_ - kLookahead) * 8; }
  bool NeedsRefill() const { return !eof_ && pos_ > SafeEnd(); }
  bool Eof() const { return eof_; }
  size_t DataEnd() const { return end_ * 8; }

  // Positions in bits from the start of the entry's packed data.
  uint64_t ToAbsolute(size_t pos) const { return base_ * 8 + pos; }
  uint64_t BaseBits() const { return base_ * 8; }

 private:
  std::vector<uint8_t> buf_;
  size_t capacity_;
  PackedSource* source_ = nullptr;
  size_t pos_ = 0;      // bits
  size_t end_ = 0;      // bytes of packed data in buf_
  uint64_t base_ = 0;   // offset of buf_[0] in the packed data
  bool eof_ = false;
};

}  // namespace unrar::rar5
