#include "unrar/rar20/rar20_unpacker.h"

#include <algorithm>
#include <cstring>

namespace unrar::rar20 {
namespace {

constexpr size_t kLevelCodes = 19;
constexpr size_t kLzTableSize = Rar20Unpacker::kMainCodes + Rar20Unpacker::kDistCodes + Rar20Unpacker::kRepCodes;
constexpr uint32_t kNewTables = 269;       // LZ symbol: tables follow
constexpr uint32_t kAudioNewTables = 256;  // audio symbol: tables follow

// Match lengths and distances: a base per slot plus that many extra bits.
constexpr uint8_t kLenBase[28] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 14, 16, 20,
                                  24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
constexpr uint8_t kLenBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
constexpr uint8_t kDistBits[48] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                   7,  7,  8,  8,  9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14,
                                   15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
constexpr uint8_t kShortBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};
constexpr uint8_t kShortBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};

// Distance slot bases follow from the extra bits: each slot starts where the previous one ends.
struct DistBases {
  uint32_t value[48];
  constexpr DistBases() : value() {
    uint32_t base = 0;
    for (size_t i = 0; i < 48; ++i) {
      value[i] = base;
      base += uint32_t(1) << kDistBits[i];
    }
  }
};
constexpr DistBases kDistBase;

inline uint32_t ReadBits(rar5::BitCursor& bits, unsigned n) { return n == 0 ? 0 : bits.Read(n); }

}  // namespace

UnpackStatus Rar20Unpacker::Prepare(const UnpackParams& params) {
  const bool solid = params.solid;
  if (!window_.Prepare(params.dict_size, solid, params.unpacked_size)) return UnpackStatus::NoMemory;
  if (!solid) {
    tables_ready_ = false;
    audio_ = false;
    channels_ = 1;
    channel_ = 0;
    cross_delta_ = 0;
    for (AudioChannel& c : audio_channels_) c = AudioChannel();
    std::memset(lengths_, 0, sizeof lengths_);
    std::fill(std::begin(old_dist_), std::end(old_dist_), 0);
    old_dist_pos_ = 0;
    last_dist_ = last_len_ = 0;
  }
  return UnpackStatus::Ok;
}

UnpackStatus Rar20Unpacker::DecodeEntry() {
  if (!input_.Refill()) return UnpackStatus::ReadError;
  if (input_.Eof() && input_.DataEnd() == 0) return window_.EntryDone() ? UnpackStatus::Ok : UnpackStatus::BadData;

  Bits bits = input_.Cursor();
  if (!tables_ready_ && !ReadTables(bits)) return UnpackStatus::BadData;
  const UnpackStatus status =
      DecodeToEntryEnd(input_, bits, window_, *sink_, [this](Bits& b) { return DecodeSymbol(b); });
  if (status != UnpackStatus::Ok) return status;
  ReadLastTables(bits);
  return UnpackStatus::Ok;
}

UnpackStatus Rar20Unpacker::DecodeSymbol(Bits& bits) {
  if (audio_) {
    const uint32_t sym = audio_tables_[channel_].Decode(bits);
    if (sym == kAudioNewTables) return ReadTables(bits) ? UnpackStatus::Ok : UnpackStatus::BadData;
    if (sym > 0xFF) return UnpackStatus::BadData;
    window_.Put(audio_channels_[channel_].Decode(uint8_t(sym), &cross_delta_));
    if (++channel_ == channels_) channel_ = 0;
    return UnpackStatus::Ok;
  }

  const uint32_t sym = main_.Decode(bits);
  if (sym < 256) {
    window_.Put(uint8_t(sym));
    return UnpackStatus::Ok;
  }
  size_t length, distance;
  if (sym >= 270 && sym < kMainCodes) {
    const uint32_t slot = sym - 270;
    length = kLenBase[slot] + 3 + ReadBits(bits, kLenBits[slot]);
    const uint32_t dslot = dist_.Decode(bits);
    if (dslot >= kDistCodes) return UnpackStatus::BadData;
    distance = kDistBase.value[dslot] + 1 + ReadBits(bits, kDistBits[dslot]);
    if (distance >= 0x2000) length += distance >= 0x40000 ? 2 : 1;
  } else if (sym == kNewTables) {
    return ReadTables(bits) ? UnpackStatus::Ok : UnpackStatus::BadData;
  } else if (sym == 256) {
    length = last_len_;
    distance = last_dist_;
  } else if (sym < 261) {
    // One of the last four distances, the newest first.
    distance = old_dist_[(old_dist_pos_ - (sym - 256)) & 3];
    const uint32_t slot = rep_.Decode(bits);
    if (slot >= kRepCodes) return UnpackStatus::BadData;
    length = kLenBase[slot] + 2 + ReadBits(bits, kLenBits[slot]);
    if (distance >= 0x101) length += distance >= 0x40000 ? 3 : distance >= 0x2000 ? 2 : 1;
  } else if (sym < 269) {
    const uint32_t slot = sym - 261;
    length = 2;
    distance = kShortBase[slot] + 1 + ReadBits(bits, kShortBits[slot]);
  } else {
    return UnpackStatus::BadData;  // no code matched
  }
  return Match(length, distance) ? UnpackStatus::Ok : UnpackStatus::BadData;
}

bool Rar20Unpacker::Match(size_t length, size_t distance) {
  old_dist_[old_dist_pos_++ & 3] = distance;
  old_dist_pos_ &= 3;
  last_dist_ = distance;
  last_len_ = length;
  return length == 0 || window_.Copy(length, distance);
}

bool Rar20Unpacker::ReadTables(Bits& bits) {
  tables_ready_ = false;
  const uint32_t head = bits.Read(2);
  audio_ = head & 2;
  if (!(head & 1)) std::memset(lengths_, 0, sizeof lengths_);
  size_t count = kLzTableSize;
  if (audio_) {
    channels_ = bits.Read(2) + 1;
    if (channel_ >= channels_) channel_ = 0;
    count = kAudioCodes * channels_;
  }

  uint8_t level_lengths[kLevelCodes];
  for (uint8_t& l : level_lengths) l = uint8_t(bits.Read(4));
  rar5::HuffmanTable level;
  level.Build(level_lengths, kLevelCodes);

  uint8_t table[sizeof lengths_];
  for (size_t i = 0; i < count;) {
    const uint32_t sym = level.Decode(bits);
    if (sym < 16) {
      table[i] = uint8_t((sym + lengths_[i]) & 15);
      ++i;
      continue;
    }
    size_t run;
    uint8_t value = 0;
    if (sym == 16) {
      if (i == 0) return false;
      run = bits.Read(2) + 3;
      value = table[i - 1];
    } else if (sym == 17) {
      run = bits.Read(3) + 3;
    } else if (sym == 18) {
      run = bits.Read(7) + 11;
    } else {
      return false;
    }
    for (; run > 0 && i < count; --run) table[i++] = value;
  }

  if (audio_) {
    for (unsigned c = 0; c < channels_; ++c) audio_tables_[c].Build(table + c * kAudioCodes, kAudioCodes);
  } else {
    main_.Build(table, kMainCodes);
    dist_.Build(table + kMainCodes, kDistCodes);
    rep_.Build(table + kMainCodes + kDistCodes, kRepCodes);
  }
  std::memcpy(lengths_, table, count);
  tables_ready_ = true;
  return true;
}

void Rar20Unpacker::ReadLastTables(Bits& bits) {
  // New tables for the next solid entry may follow the last symbol of this one.
  input_.SetPos(bits.pos);
  if (!input_.Refill()) return;
  bits = input_.Cursor();
  if (input_.DataEnd() / 8 < bits.pos / 8 + 5) return;
  const uint32_t sym = audio_ ? audio_tables_[channel_].Decode(bits) : main_.Decode(bits);
  if (sym == (audio_ ? kAudioNewTables : kNewTables) && (!ReadTables(bits) || bits.pos > input_.DataEnd()))
    tables_ready_ = false;
}

}  // namespace unrar::rar20
