#pragma once
// The RAR5 decoder, method versions 50 and 70 (RAR 7's larger dictionaries): blocks of Huffman
// coded LZ symbols over a sliding window, with the DELTA, E8, E8E9 and ARM filters.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "unrar/rar5/bit_input.h"
#include "unrar/rar5/filters.h"
#include "unrar/rar5/huffman.h"
#include "unrar/rar5/window.h"
#include "unrar/rar5/window_decoder.h"
#include "unrar/unpack.h"

namespace unrar::rar5 {

class Rar5Unpacker final : public WindowDecoder<Filter> {
 public:
  Rar5Unpacker();

  // The most output one symbol produces: the longest match plus its length bonus.
  static constexpr size_t kMaxMatch = 0x1001 + 3;

 private:
  bool Handles(int version) const override { return DecoderFamily(version) == 50; }
  UnpackStatus Prepare(const UnpackParams& params) override;
  UnpackStatus DecodeEntry() override;
  UnpackStatus ReadBlockHeader();
  UnpackStatus ReadTables();
  UnpackStatus ServiceInput(bool* entry_done);
  template <bool kCareful>
  UnpackStatus DecodeRun();
  bool ReadFilter(BitCursor& bits, uint64_t position);
  UnpackStatus WriteFilteredBlock() override;
  void UpdateInputBorder();

  // The current compressed block.
  uint64_t block_end_ = 0;   // in bits from the start of the packed data
  bool last_block_ = false;
  size_t input_border_ = 0;  // cursor position at which the loop stops for the input

  bool extra_dist_ = false;  // version 70: 80 distance codes
  bool tables_ready_ = false;
  HuffmanTable main_, dist_, low_dist_, rep_len_;
  size_t old_dist_[4] = {};
  size_t last_len_ = 0;

  uint64_t filters_end_ = 0;  // a new filter may not start before this
  std::vector<uint8_t> filtered_;
};

}  // namespace unrar::rar5
