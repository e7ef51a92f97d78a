#pragma once
// Little-endian byte output for headers, plus RAR5's variable-length integers.
#include <cstdint>
#include <string>
#include <string_view>

namespace rarwriter {

class ByteWriter {
 public:
  void U8(uint8_t v) { out_.push_back(static_cast<char>(v)); }
  void U16(uint16_t v) { Le(v, 2); }
  void U32(uint32_t v) { Le(v, 4); }
  void U64(uint64_t v) { Le(v, 8); }
  void VInt(uint64_t v) {
    while (v >= 0x80) {
      U8(static_cast<uint8_t>(v | 0x80));
      v >>= 7;
    }
    U8(static_cast<uint8_t>(v));
  }
  void Bytes(std::string_view b) { out_.append(b); }
  const std::string& str() const { return out_; }
  std::string& str() { return out_; }
  size_t size() const { return out_.size(); }

 private:
  void Le(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
  }
  std::string out_;
};

inline size_t VIntSize(uint64_t v) {
  size_t n = 1;
  while (v >= 0x80) {
    v >>= 7;
    ++n;
  }
  return n;
}

}  // namespace rarwriter
