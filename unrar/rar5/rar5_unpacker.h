#pragma once
// The RAR5 decoder, method versions 50 and 70 (RAR 7's larger dictionaries): blocks of Huffman
// coded LZ symbols over a sliding window, with the DELTA, E8, E8E9 and ARM filters.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "unrar/entry_decoder.h"
#include "unrar/rar5/bit_input.h"
#include "unrar/rar5/filters.h"
#include "unrar/rar5/huffman.h"
#include "unrar/rar5/window.h"
#include "unrar/unpack.h"

namespace unrar::rar5 {

class Rar5Unpacker final : public EntryDecoder {
 public:
  // The most output one symbol produces: the longest match plus its length bonus.
  static constexpr size_t kMaxMatch = 0x1001 + 3;

 private:
  bool Handles(int version) const override { return version == 50 || version == 70; }
  UnpackStatus Prepare(const UnpackParams& params) override;
  UnpackStatus DecodeEntry() override;
  UnpackStatus ReadBlockHeader();
  UnpackStatus ReadTables();
  UnpackStatus ServiceInput(bool* entry_done);
  UnpackStatus ServiceOutput();
  template <bool kCareful>
  UnpackStatus DecodeRun();
  bool ReadFilter(BitCursor& bits, uint64_t position);
  UnpackStatus Flush();
  UnpackStatus WriteFilteredBlock();
  bool WriteWindow(uint64_t from, uint64_t to);
  size_t WindowIndex(uint64_t position) const;
  void UpdateInputBorder();

  Window window_;

  // Output positions count bytes since the window was last emptied.
  uint64_t produced_ = 0;    // decoded into the window
  uint64_t flushed_ = 0;     // handed to the sink
  uint64_t history_ = 0;     // bytes behind the write position that matches may use
  uint64_t entry_start_ = 0;
  uint64_t entry_end_ = 0;
  uint64_t next_flush_ = 0;  // produced_ at which the next block goes to the sink
  size_t budget_ = 0;        // bytes the decoding loop may produce before the next check

  // The current compressed block.
  uint64_t block_end_ = 0;   // in bits from the start of the packed data
  bool last_block_ = false;
  size_t input_border_ = 0;  // cursor position at which the loop stops for the input

  bool extra_dist_ = false;  // version 70: 80 distance codes
  bool tables_ready_ = false;
  HuffmanTable main_, dist_, low_dist_, rep_len_;
  size_t old_dist_[4] = {};
  size_t last_len_ = 0;

  std::deque<Filter> filters_;
  uint64_t filters_end_ = 0;  // a new filter may not start before this
  std::vector<uint8_t> filtered_;
};

}  // namespace unrar::rar5
