#pragma once
// Writes small RAR5 compressed streams with fixed, flat code tables, so a test can put exactly
// the literals, matches and filter records it wants in front of the decoder. It also keeps the
// output those symbols stand for, computed the plain way (byte by byte from a growing vector).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rar5test {

class StreamWriter {
 public:
  // v7: the RAR 7 layout with 80 distance codes.
  explicit StreamWriter(bool v7 = false) : v7_(v7) {}

  // Starts a new compressed block; with_tables false reuses the tables already in force.
  void NewBlock(bool with_tables);
  void Literal(uint8_t byte);
  void Literals(const std::vector<uint8_t>& bytes);
  // A new match; the length is the real one (the writer removes the far-distance bonus).
  void Match(size_t length, uint64_t distance);
  void RepeatLast();                        // symbol 257: last length, last distance
  void OldDistance(int index, size_t length);  // symbols 258-261
  void Filter(uint32_t start, uint32_t length, int type, int channels = 1);
  // Raw bits, for damaged streams.
  void Bits(uint32_t value, unsigned count);

  struct Entry {
    std::vector<uint8_t> packed;  // the last block flagged as last
    std::vector<uint8_t> output;  // what it decodes to, before filters
  };
  // Ends the entry. What follows is the next entry of a solid stream: the output and the
  // distances carry over, as in the decoder.
  Entry Finish();

 private:
  struct Block {
    std::vector<uint8_t> bytes;
    unsigned bits_in_last = 8;
    bool tables = false;
  };
  void WriteTables();
  void WriteLength(size_t length, uint32_t first_symbol, unsigned table_bits);
  void Copy(size_t length, uint64_t distance);

  bool v7_;
  std::vector<Block> blocks_;
  std::vector<uint8_t> output_;
  size_t entry_start_ = 0;
  uint64_t old_dist_[4] = {};
  size_t last_len_ = 0;
};

}  // namespace rar5test
