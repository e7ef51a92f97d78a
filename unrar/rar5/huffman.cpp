#include "unrar/rar5/huffman.h"

namespace unrar::rar5 {

void HuffmanTable::Build(const uint8_t* lengths, size_t count) {
  uint16_t per_length[kMaxLength + 1] = {};
  for (size_t i = 0; i < count; ++i) per_length[lengths[i] & 15]++;

  // Damaged tables may claim more codes than the bits allow; the limits still rise with the
  // length, so every lookup lands inside symbols_.
  uint32_t code = 0;
  uint16_t index = 0;
  for (unsigned len = 1; len <= kMaxLength; ++len) {
    first_code_[len] = code;
    index_[len] = index;
    code += per_length[len];
    limit_[len] = code << (kMaxLength - len);
    index = uint16_t(index + per_length[len]);
    code <<= 1;
  }
  symbol_count_ = index;

  uint16_t next[kMaxLength + 1];
  for (unsigned len = 1; len <= kMaxLength; ++len) next[len] = index_[len];
  for (size_t i = 0; i < count; ++i) {
    const unsigned len = lengths[i] & 15;
    if (len != 0) symbols_[next[len]++] = uint16_t(i);
  }

  for (uint32_t prefix = 0; prefix < (1u << kQuickBits); ++prefix) {
    const uint32_t found = Find(prefix << (kMaxLength - kQuickBits), 1);
    quick_[prefix] = (found & 15) <= kQuickBits && found >> 4 != kInvalid ? uint16_t(found) : 0;
  }
}

uint32_t HuffmanTable::Find(uint32_t top15, unsigned from_length) const {
  for (unsigned len = from_length; len <= kMaxLength; ++len) {
    if (top15 < limit_[len]) {
      const uint32_t pos = index_[len] + (top15 >> (kMaxLength - len)) - first_code_[len];
      if (pos >= symbol_count_) break;
      return symbols_[pos] << 4 | len;
    }
  }
  return kInvalid << 4;
}

uint32_t HuffmanTable::DecodeLong(uint32_t top15) const { return Find(top15, kQuickBits + 1); }

}  // namespace unrar::rar5
