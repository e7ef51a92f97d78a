#pragma once
// The RAR 1.5 decoder, method version 15: literals and matches chosen by flag bytes, every code
// adaptive (places in sets ordered by use, tables picked by running averages). A literal-heavy
// stretch switches to a mode without flags. Solid entries keep the window and the statistics.
#include <cstddef>
#include <cstdint>

#include "unrar/entry_decoder.h"
#include "unrar/rar15/place_table.h"
#include "unrar/rar20/old_window.h"
#include "unrar/rar5/bit_input.h"
#include "unrar/unpack.h"

namespace unrar::rar15 {

class Rar15Unpacker final : public EntryDecoder {
 private:
  using Bits = rar5::BitCursor;

  bool Handles(int version) const override { return version == 15; }
  UnpackStatus Prepare(const UnpackParams& params) override;
  void ResetStatistics();
  UnpackStatus DecodeEntry() override;
  bool Step(Bits& bits);
  bool NextFlag(Bits& bits);
  bool ReadFlags(Bits& bits);
  bool Literal(Bits& bits);
  bool ShortMatch(Bits& bits);
  bool LongMatch(Bits& bits);
  void Match(size_t length, size_t distance);
  void Remember(size_t length, size_t distance);

  rar20::OldWindow window_;

  // The adaptive sets: literals, long-match distance high bytes, flag bytes, short distances.
  PlaceTable literals_, long_dist_, flags_;
  MoveUpTable short_dist_;

  // Running averages that pick the tables, and the balance between literals and matches.
  unsigned avr_plc_ = 0, avr_plc_b_ = 0, avr_ln1_ = 0, avr_ln2_ = 0, avr_ln3_ = 0;
  unsigned max_dist3_ = 0, nhfb_ = 0, nlzb_ = 0, num_huf_ = 0;
  unsigned buf60_ = 0;  // lengthens one short-length code

  // Per entry: the flag byte being used and the flag-free literal mode.
  unsigned flag_buf_ = 0;
  int flags_left_ = 0;
  bool st_mode_ = false;
  unsigned repeat_count_ = 0;  // consecutive "repeat the last match" codes

  size_t old_dist_[4] = {};
  unsigned old_dist_pos_ = 0;
  size_t last_dist_ = 0;
  size_t last_len_ = 0;
};

}  // namespace unrar::rar15
