#pragma once
// Writes RAR 2.0 compressed streams with flat code tables, so a test can put exactly the symbols
// it wants in front of the decoder. It keeps the output those symbols stand for, computed the
// plain way (byte by byte from a growing vector), and for audio it finds each channel's coded
// difference by asking a copy of the predictor what it would guess.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "unrar/rar20/audio.h"

namespace rar20test {

class StreamWriter {
 public:
  // New LZ tables; keep_old sends the code lengths as deltas to the previous tables.
  void LzTables(bool keep_old = false);
  // New audio tables for 1..4 channels.
  void AudioTables(unsigned channels);
  // Symbol 269 (LZ) or 256 (audio): new tables follow.
  void NewTablesSymbol();

  void Literal(uint8_t byte);
  void Literals(const std::vector<uint8_t>& bytes);
  // A match of the real length (the writer removes the distance bonus); length 2 with a
  // distance up to 256 uses the short-distance symbols.
  void Match(size_t length, size_t distance);
  void RepeatLast();                          // symbol 256
  void OldDistance(int index, size_t length);  // symbols 257-260, index 0 the newest
  // Audio mode: the next byte of the current channel.
  void Sample(uint8_t byte);
  // Raw bits, for damaged streams.
  void Bits(uint32_t value, unsigned count);

  struct Entry {
    std::vector<uint8_t> packed;
    std::vector<uint8_t> output;
  };
  // Ends the entry. What follows is the next entry of a solid stream.
  Entry Finish();

 private:
  void Tables(bool audio, unsigned channels, bool keep_old);
  void Code(uint32_t symbol, unsigned length);
  void Copy(size_t length, size_t distance);

  std::vector<uint8_t> bytes_;
  unsigned used_ = 8;  // bits used in the last byte
  std::vector<uint8_t> output_;
  size_t entry_start_ = 0;
  std::vector<uint8_t> last_lengths_ = std::vector<uint8_t>(1028, 0);
  bool audio_ = false;
  unsigned channels_ = 1, channel_ = 0;
  int cross_delta_ = 0;
  unrar::rar20::AudioChannel predictors_[4];
  size_t old_dist_[4] = {};
  unsigned old_pos_ = 0;
  size_t last_len_ = 0, last_dist_ = 0;
};

}  // namespace rar20test
