#pragma once
// The RAR 2.0 decoder, method versions 20 and 26: LZ symbols under Huffman tables sent in the
// stream (code lengths as deltas to the previous tables), or the multimedia mode, where up to four
// interleaved channels are coded as prediction errors. Solid entries keep the window, the tables
// and the predictors.
#include <cstddef>
#include <cstdint>

#include "unrar/entry_decoder.h"
#include "unrar/rar20/audio.h"
#include "unrar/rar20/old_window.h"
#include "unrar/rar5/bit_input.h"
#include "unrar/rar5/huffman.h"
#include "unrar/unpack.h"

namespace unrar::rar20 {

class Rar20Unpacker final : public EntryDecoder {
 public:
  static constexpr size_t kMainCodes = 298;
  static constexpr size_t kDistCodes = 48;
  static constexpr size_t kRepCodes = 28;
  static constexpr size_t kAudioCodes = 257;
  static constexpr size_t kMaxChannels = 4;

 private:
  using Bits = rar5::BitCursor;

  bool Handles(int version) const override { return DecoderFamily(version) == 20; }
  UnpackStatus Prepare(const UnpackParams& params) override;
  UnpackStatus DecodeEntry() override;
  UnpackStatus DecodeSymbol(Bits& bits);
  bool ReadTables(Bits& bits);
  void ReadLastTables(Bits& bits);
  bool Match(size_t length, size_t distance);

  OldWindow window_;

  bool tables_ready_ = false;
  bool audio_ = false;
  unsigned channels_ = 1;
  unsigned channel_ = 0;  // the channel of the next audio byte
  int cross_delta_ = 0;
  AudioChannel audio_channels_[kMaxChannels];
  uint8_t lengths_[kAudioCodes * kMaxChannels] = {};  // the last tables, base of the next deltas
  rar5::HuffmanTable main_, dist_, rep_;
  rar5::HuffmanTable audio_tables_[kMaxChannels];

  size_t old_dist_[4] = {};
  unsigned old_dist_pos_ = 0;
  size_t last_dist_ = 0;
  size_t last_len_ = 0;
};

}  // namespace unrar::rar20
