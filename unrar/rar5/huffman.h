#pragma once
// Canonical Huffman decoding as RAR5 uses it: code lengths up to 15 bits, shorter codes first,
// equal lengths in symbol order.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "unrar/rar5/bit_input.h"

namespace unrar::rar5 {

class HuffmanTable {
 public:
  static constexpr uint32_t kInvalid = 0xFFFF;  // the bits match no code of the table
  static constexpr size_t kMaxSymbols = 306;

  // lengths[i] is the code length of symbol i, 0 when unused; count <= kMaxSymbols.
  void Build(const uint8_t* lengths, size_t count);

  // Bits is BitCursor or BitBuffer; a BitBuffer must hold at least 15 valid bits.
  template <class Bits>
  uint32_t Decode(Bits& bits) const {
    const uint32_t peek = bits.Peek32();
    const uint16_t quick = quick_[peek >> (32 - kQuickBits)];
    if (quick & 15) {
      bits.Skip(quick & 15);
      return quick >> 4;
    }
    const uint32_t found = DecodeLong(peek >> 17);
    bits.Skip(found & 15);
    return found >> 4;
  }

 private:
  static constexpr unsigned kQuickBits = 10;
  static constexpr unsigned kMaxLength = 15;

  // Codes longer than kQuickBits; returns symbol << 4 | length, kInvalid << 4 when none matches.
  uint32_t DecodeLong(uint32_t top15) const;
  uint32_t Find(uint32_t top15, unsigned from_length) const;

  // Codes of one length occupy [first_code, first_code + count); limit is their end, left-aligned
  // to 15 bits, and index is where their symbols start in symbols_.
  uint32_t limit_[kMaxLength + 1] = {};
  uint32_t first_code_[kMaxLength + 1] = {};
  uint16_t index_[kMaxLength + 1] = {};
  uint16_t symbols_[kMaxSymbols] = {};
  uint16_t symbol_count_ = 0;
  // symbol << 4 | length for codes of at most kQuickBits bits, 0 otherwise.
  uint16_t quick_[1 << kQuickBits] = {};
};

// Reads the code lengths a block sends for its tables: first a level code of 20 lengths, 4 bits
// each (15 and a count stand for zeros), then `count` lengths in that code, where 0-15 is a
// length, 16/17 repeat the length before and 18/19 give zeros. With `previous` (RAR 2.9) 0-15 is
// added to the previous table's length instead, mod 16. False when the lengths are damaged.
bool ReadCodeLengths(BitCursor& bits, const uint8_t* previous, uint8_t* lengths, size_t count);

// Builds tables whose code lengths come one after the other, each with its count of codes.
void BuildTables(const uint8_t* lengths,
                 std::initializer_list<std::pair<HuffmanTable*, size_t>> tables);

}  // namespace unrar::rar5
