#pragma once
// PPMd variant H as RAR 2.9 uses it: an order-N context model with information inheritance
// driving a range decoder, over a model memory whose size the stream chooses.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace unrar::rar29 {

enum class PpmStart { Ok, BadData, NoMemory };

class PpmModel;

class PpmDecoder {
 public:
  PpmDecoder();
  ~PpmDecoder();

  // Reads a PPMd block header at `next` (moved past what it reads): flags, then the memory
  // size and the escape character when the flags say so, then the range decoder's first bytes.
  // A header without the reset flag continues the model of the previous block.
  PpmStart Start(const uint8_t*& next, int* escape);

  // Drops the model (keeping its memory): the next block must start a new one.
  void Forget();

  // The decoder reads its bytes from here on.
  void SetInput(const uint8_t* next) { next_ = next; }
  const uint8_t* Input() const { return next_; }

  // The next byte, or -1 when the data cannot be a valid stream.
  int DecodeChar();

 private:
  uint8_t NextByte() { return *next_++; }
  void Normalize();

  // The range decoder: a threshold within `total`, then the chosen interval.
  uint32_t GetThreshold(uint32_t total) {
    range_ /= total;
    return range_ ? (code_ - low_) / range_ : UINT32_MAX;  // 0: damaged data, fails the caller's checks
  }
  uint32_t GetThresholdShift(unsigned bits) {
    range_ >>= bits;
    return range_ ? (code_ - low_) / range_ : UINT32_MAX;
  }
  void Decode(uint32_t start, uint32_t size) {
    low_ += start * range_;
    range_ *= size;
    Normalize();
  }

  friend class PpmModel;
  std::unique_ptr<PpmModel> model_;
  const uint8_t* next_ = nullptr;
  uint32_t low_ = 0, code_ = 0, range_ = 0;
};

}  // namespace unrar::rar29
