#include "unrar/rar5/huffman.h"

#include <cstring>

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

  // Each code of at most kQuickBits bits fills the quick entries that start with it.
  std::memset(quick_, 0, sizeof quick_);
  for (unsigned len = 1; len <= kQuickBits; ++len) {
    const unsigned spread = kQuickBits - len;
    for (uint32_t k = 0; k < per_length[len]; ++k) {
      const uint32_t first = (first_code_[len] + k) << spread;
      if (first >= (1u << kQuickBits)) break;  // more codes than the bits allow: damaged
      const uint16_t entry = uint16_t(symbols_[index_[len] + k] << 4 | len);
      for (uint32_t e = first; e < first + (1u << spread); ++e) quick_[e] = entry;
    }
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

bool ReadCodeLengths(BitCursor& bits, const uint8_t* previous, uint8_t* lengths, size_t count) {
  constexpr size_t kLevelCodes = 20;
  uint8_t level_lengths[kLevelCodes];
  for (size_t i = 0; i < kLevelCodes;) {
    const uint8_t length = uint8_t(bits.Read(4));
    if (length != 15) {
      level_lengths[i++] = length;
      continue;
    }
    const unsigned zeros = bits.Read(4);
    if (zeros == 0) {
      level_lengths[i++] = 15;
      continue;
    }
    for (unsigned n = zeros + 2; n > 0 && i < kLevelCodes; --n) level_lengths[i++] = 0;
  }
  HuffmanTable level;
  level.Build(level_lengths, kLevelCodes);

  for (size_t i = 0; i < count;) {
    const uint32_t symbol = level.Decode(bits);
    if (symbol < 16) {
      lengths[i] = previous ? uint8_t((previous[i] + symbol) & 15) : uint8_t(symbol);
      ++i;
      continue;
    }
    if (symbol >= kLevelCodes) return false;
    const bool short_run = symbol == 16 || symbol == 18;
    size_t run = short_run ? bits.Read(3) + 3 : bits.Read(7) + 11;
    uint8_t value = 0;
    if (symbol < 18) {
      if (i == 0) return false;
      value = lengths[i - 1];
    }
    for (; run > 0 && i < count; --run) lengths[i++] = value;
  }
  return true;
}

void BuildTables(const uint8_t* lengths,
                 std::initializer_list<std::pair<HuffmanTable*, size_t>> tables) {
  for (const auto& [table, count] : tables) {
    table->Build(lengths, count);
    lengths += count;
  }
}

}  // namespace unrar::rar5
