#include "tests/rar5/stream_writer.h"

#include <stdexcept>

namespace rar5test {
namespace {

// Every symbol of a table gets the same code length, so a symbol's code is its own number.
constexpr unsigned kMainBits = 9;   // 306 symbols
constexpr unsigned kDistBits = 7;   // 64 or 80
constexpr unsigned kLowBits = 4;    // 16
constexpr unsigned kLenBits = 6;    // 44
constexpr unsigned kLevelBits = 5;  // 20

}  // namespace

void StreamWriter::NewBlock(bool with_tables) {
  blocks_.push_back(Block{});
  blocks_.back().tables = with_tables;
  if (with_tables) WriteTables();
}

void StreamWriter::Bits(uint32_t value, unsigned count) {
  if (blocks_.empty()) throw std::logic_error("no block");
  Block& b = blocks_.back();
  for (unsigned i = count; i-- > 0;) {
    if (b.bits_in_last == 8) {
      b.bytes.push_back(0);
      b.bits_in_last = 0;
    }
    if ((value >> i) & 1) b.bytes.back() |= uint8_t(0x80 >> b.bits_in_last);
    ++b.bits_in_last;
  }
}

void StreamWriter::WriteTables() {
  for (int i = 0; i < 20; ++i) Bits(kLevelBits, 4);
  const int dist_codes = v7_ ? 80 : 64;
  auto lengths = [&](int count, unsigned length) {
    for (int i = 0; i < count; ++i) Bits(length, kLevelBits);
  };
  lengths(306, kMainBits);
  lengths(dist_codes, kDistBits);
  lengths(16, kLowBits);
  lengths(44, kLenBits);
}

void StreamWriter::Literal(uint8_t byte) {
  Bits(byte, kMainBits);
  output_.push_back(byte);
}

void StreamWriter::Literals(const std::vector<uint8_t>& bytes) {
  for (uint8_t b : bytes) Literal(b);
}

// Length slots: 0-7 are lengths 2-9; slot s >= 8 covers 2 + ((4 | s & 3) << n) plus n extra bits.
void StreamWriter::WriteLength(size_t length, uint32_t first_symbol, unsigned table_bits) {
  if (length < 2) throw std::logic_error("length");
  if (length < 10) {
    Bits(first_symbol + uint32_t(length - 2), table_bits);
    return;
  }
  for (uint32_t slot = 8; slot < 44; ++slot) {
    const unsigned extra = slot / 4 - 1;
    const size_t base = 2 + (size_t(4 | (slot & 3)) << extra);
    if (length >= base && length < base + (size_t(1) << extra)) {
      Bits(first_symbol + slot, table_bits);
      Bits(uint32_t(length - base), extra);
      return;
    }
  }
  throw std::logic_error("length too long");
}

void StreamWriter::Copy(size_t length, uint64_t distance) {
  if (distance == 0 || distance > output_.size()) return;  // a damaged stream: no output to model
  for (size_t i = 0; i < length; ++i) output_.push_back(output_[output_.size() - distance]);
}

void StreamWriter::Match(size_t length, uint64_t distance) {
  const size_t bonus = (distance > 0x100) + (distance > 0x2000) + (distance > 0x40000);
  WriteLength(length - bonus, 262, kMainBits);
  const uint64_t d = distance - 1;
  if (d < 4) {
    Bits(uint32_t(d), kDistBits);
  } else {
    for (uint32_t slot = 4; slot < 80; ++slot) {
      const unsigned extra = slot / 2 - 1;
      const uint64_t base = uint64_t(2 | (slot & 1)) << extra;
      if (d >= base && d < base + (uint64_t(1) << extra)) {
        Bits(slot, kDistBits);
        const uint64_t rest = d - base;
        if (extra >= 4) {
          if (extra > 4) {
            const uint64_t high = rest >> 4;
            if (extra - 4 > 32) Bits(uint32_t(high >> 32), extra - 4 - 32);
            Bits(uint32_t(high), extra - 4 > 32 ? 32 : extra - 4);
          }
          Bits(uint32_t(rest & 15), kLowBits);
        } else {
          Bits(uint32_t(rest), extra);
        }
        break;
      }
    }
  }
  for (int i = 3; i > 0; --i) old_dist_[i] = old_dist_[i - 1];
  old_dist_[0] = distance;
  last_len_ = length;
  Copy(length, distance);
}

void StreamWriter::RepeatLast() {
  Bits(257, kMainBits);
  if (last_len_ != 0) Copy(last_len_, old_dist_[0]);
}

void StreamWriter::OldDistance(int index, size_t length) {
  Bits(uint32_t(258 + index), kMainBits);
  const uint64_t distance = old_dist_[index];
  for (int i = index; i > 0; --i) old_dist_[i] = old_dist_[i - 1];
  old_dist_[0] = distance;
  WriteLength(length, 0, kLenBits);
  last_len_ = length;
  Copy(length, distance);
}

void StreamWriter::Filter(uint32_t start, uint32_t length, int type, int channels) {
  Bits(256, kMainBits);
  for (uint32_t number : {start, length}) {
    unsigned bytes = 1;
    while (bytes < 4 && (number >> (8 * bytes)) != 0) ++bytes;
    Bits(bytes - 1, 2);
    for (unsigned i = 0; i < bytes; ++i) Bits((number >> (8 * i)) & 0xFF, 8);
  }
  Bits(uint32_t(type), 3);
  if (type == 0) Bits(uint32_t(channels - 1), 5);
}

StreamWriter::Entry StreamWriter::Finish() {
  std::vector<uint8_t> stream;
  for (size_t i = 0; i < blocks_.size(); ++i) {
    const Block& b = blocks_[i];
    const uint32_t size = uint32_t(b.bytes.size());
    const unsigned size_bytes = size < 0x100 ? 1 : size < 0x10000 ? 2 : 3;
    uint8_t flags = uint8_t((b.bits_in_last - 1) | (size_bytes - 1) << 3);
    if (i + 1 == blocks_.size()) flags |= 0x40;
    if (b.tables) flags |= 0x80;
    uint8_t check = 0x5A ^ flags;
    for (unsigned k = 0; k < size_bytes; ++k) check ^= uint8_t(size >> (8 * k));
    stream.push_back(flags);
    stream.push_back(check);
    for (unsigned k = 0; k < size_bytes; ++k) stream.push_back(uint8_t(size >> (8 * k)));
    stream.insert(stream.end(), b.bytes.begin(), b.bytes.end());
  }
  blocks_.clear();
  Entry entry{std::move(stream), std::vector<uint8_t>(output_.begin() + entry_start_, output_.end())};
  entry_start_ = output_.size();
  return entry;
}

}  // namespace rar5test
