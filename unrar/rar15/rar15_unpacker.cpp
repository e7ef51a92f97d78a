#include "unrar/rar15/rar15_unpacker.h"

#include <algorithm>

namespace unrar::rar15 {
namespace {

// A number coded by its leading bits: the 16-bit field is compared with rising limits, each one
// passed adds a bit to the code's length; the code's offset above the last limit passed, plus the
// base for that length, is the number. The last limit, 0xFFFF, is never passed.
struct NumberCode {
  unsigned first_length;
  uint16_t limit[11];
  uint8_t base[13];
};

constexpr NumberCode kLength1 = {2,
                                 {0x8000, 0xA000, 0xC000, 0xD000, 0xE000, 0xEA00, 0xEE00, 0xF000, 0xF200, 0xF200, 0xFFFF},
                                 {0, 0, 0, 2, 3, 5, 7, 11, 16, 20, 24, 32, 32}};
constexpr NumberCode kLength2 = {3,
                                 {0xA000, 0xC000, 0xD000, 0xE000, 0xEA00, 0xEE00, 0xF000, 0xF200, 0xF240, 0xFFFF},
                                 {0, 0, 0, 0, 5, 7, 9, 13, 18, 22, 26, 34, 36}};
constexpr NumberCode kPlace0 = {4,
                                {0x8000, 0xC000, 0xE000, 0xF200, 0xF200, 0xF200, 0xF200, 0xF200, 0xFFFF},
                                {0, 0, 0, 0, 0, 8, 16, 24, 33, 33, 33, 33, 33}};
constexpr NumberCode kPlace1 = {5,
                                {0x2000, 0xC000, 0xE000, 0xF000, 0xF200, 0xF200, 0xF7E0, 0xFFFF},
                                {0, 0, 0, 0, 0, 0, 4, 44, 60, 76, 80, 80, 127}};
constexpr NumberCode kPlace2 = {5,
                                {0x1000, 0x2400, 0x8000, 0xC000, 0xFA00, 0xFFFF},
                                {0, 0, 0, 0, 0, 0, 2, 7, 53, 117, 233, 0, 0}};
constexpr NumberCode kPlace3 = {6, {0x0800, 0x2400, 0xEE00, 0xFE80, 0xFFFF}, {0, 0, 0, 0, 0, 0, 0, 2, 16, 218, 251, 0, 0}};
constexpr NumberCode kPlace4 = {8, {0xFF00, 0xFFFF}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0}};

// Short match lengths: a prefix code whose two variants are picked by the average length. One
// code of each grows by a bit while buf60 is set.
constexpr uint8_t kShortBits[2][15] = {{1, 3, 4, 4, 5, 6, 7, 8, 8, 4, 4, 5, 6, 6, 4},
                                       {2, 3, 3, 3, 4, 4, 5, 6, 6, 4, 4, 5, 6, 6, 4}};
constexpr uint8_t kShortCode[2][15] = {
    {0x00, 0xA0, 0xD0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE, 0xFF, 0xC0, 0x80, 0x90, 0x98, 0x9C, 0xB0},
    {0x00, 0x40, 0x60, 0xA0, 0xD0, 0xE0, 0xF0, 0xF8, 0xFC, 0xC0, 0x80, 0x90, 0x98, 0x9C, 0xB0}};
constexpr unsigned kShortRepeatLast = 9;  // codes 9..13 reuse distances, 14 is a far match
constexpr unsigned kShortFar = 14;

inline uint32_t Field(const rar5::BitCursor& bits) { return bits.Peek32() >> 16; }

unsigned ReadNumber(rar5::BitCursor& bits, const NumberCode& code) {
  const uint32_t field = Field(bits) & 0xFFF0;
  unsigned length = code.first_length;
  size_t i = 0;
  while (code.limit[i] <= field) {
    ++length;
    ++i;
  }
  bits.Skip(length);
  const uint32_t below = i > 0 ? code.limit[i - 1] : 0;
  return ((field - below) >> (16 - length)) + code.base[length];
}

}  // namespace

UnpackStatus Rar15Unpacker::Prepare(const UnpackParams& params) {
  const bool solid = params.solid;
  if (!window_.Prepare(params.dict_size, solid, params.unpacked_size)) return UnpackStatus::NoMemory;
  if (!solid) ResetStatistics();
  // The flags and the flag-free mode belong to one entry's stream.
  flag_buf_ = 0;
  flags_left_ = 0;
  st_mode_ = false;
  repeat_count_ = 0;
  return UnpackStatus::Ok;
}

void Rar15Unpacker::ResetStatistics() {
  literals_.Reset(false, PlaceTable::Overflow::Above0xA1);
  long_dist_.Reset(false, PlaceTable::Overflow::Wraps);
  long_dist_.Even();
  flags_.Reset(true, PlaceTable::Overflow::Wraps);
  short_dist_.Reset();
  avr_plc_ = 0x3500;
  avr_plc_b_ = avr_ln1_ = avr_ln2_ = avr_ln3_ = 0;
  max_dist3_ = 0x2001;
  nhfb_ = nlzb_ = 0x80;
  num_huf_ = 0;
  buf60_ = 0;
  std::fill(std::begin(old_dist_), std::end(old_dist_), 0);
  old_dist_pos_ = 0;
  last_dist_ = last_len_ = 0;
}

UnpackStatus Rar15Unpacker::DecodeEntry() {
  if (!input_.Refill()) return UnpackStatus::ReadError;
  if (window_.EntryDone()) return UnpackStatus::Ok;
  Bits bits = input_.Cursor();
  if (!ReadFlags(bits)) return UnpackStatus::BadData;
  flags_left_ = 8;
  return rar20::DecodeToEntryEnd(input_, bits, window_, *sink_, [this](Bits& b) {
    return Step(b) ? UnpackStatus::Ok : UnpackStatus::BadData;
  });
}

bool Rar15Unpacker::NextFlag(Bits& bits) {
  if (--flags_left_ < 0) {
    if (!ReadFlags(bits)) return false;
    flags_left_ = 7;
  }
  return true;
}

bool Rar15Unpacker::Step(Bits& bits) {
  if (st_mode_) return Literal(bits);
  // Flag bits 1 and 01 pick a literal or a long match, whichever has lately been more common
  // taking the shorter code; 00 is a short match.
  if (!NextFlag(bits)) return false;
  const bool one = flag_buf_ & 0x80;
  flag_buf_ <<= 1;
  if (one) return nlzb_ > nhfb_ ? LongMatch(bits) : Literal(bits);
  if (!NextFlag(bits)) return false;
  const bool two = flag_buf_ & 0x80;
  flag_buf_ <<= 1;
  if (two) return nlzb_ > nhfb_ ? Literal(bits) : LongMatch(bits);
  return ShortMatch(bits);
}

bool Rar15Unpacker::ReadFlags(Bits& bits) {
  const unsigned place = ReadNumber(bits, kPlace2);
  if (place > 0xFF) return false;
  unsigned symbol;
  if (!flags_.Take(place, &symbol)) return false;
  flag_buf_ = symbol;
  return true;
}

bool Rar15Unpacker::Literal(Bits& bits) {
  const uint32_t field = Field(bits);
  const NumberCode& code = avr_plc_ > 0x75FF   ? kPlace4
                           : avr_plc_ > 0x5DFF ? kPlace3
                           : avr_plc_ > 0x35FF ? kPlace2
                           : avr_plc_ > 0x0DFF ? kPlace1
                                               : kPlace0;
  unsigned place = ReadNumber(bits, code) & 0xFF;
  if (st_mode_) {
    // Place 0 is an escape here: leave the mode, or a short match; the literals shift by one.
    if (place == 0 && field > 0xFFF) place = 0x100;
    if (place == 0) {
      const uint32_t escape = Field(bits);
      bits.Skip(1);
      if (escape & 0x8000) {
        num_huf_ = 0;
        st_mode_ = false;
        return true;
      }
      const size_t length = (escape & 0x4000) ? 4 : 3;
      bits.Skip(1);
      size_t distance = ReadNumber(bits, kPlace2);
      distance = (distance << 5) | (Field(bits) >> 11);
      bits.Skip(5);
      Match(length, distance);
      return true;
    }
    --place;
  } else if (num_huf_++ >= 16 && flags_left_ == 0) {
    st_mode_ = true;
  }
  avr_plc_ += place;
  avr_plc_ -= avr_plc_ >> 8;
  nhfb_ += 16;
  if (nhfb_ > 0xFF) {
    nhfb_ = 0x90;
    nlzb_ >>= 1;
  }
  unsigned symbol;
  if (!literals_.Take(place, &symbol)) return false;
  window_.Put(uint8_t(symbol));
  return true;
}

bool Rar15Unpacker::ShortMatch(Bits& bits) {
  num_huf_ = 0;
  uint32_t field = Field(bits);
  if (repeat_count_ == 2) {
    // After two repeats of the last match one bit says whether a third follows.
    bits.Skip(1);
    if (field >= 0x8000) {
      Match(last_len_, last_dist_);
      return true;
    }
    field <<= 1;
    repeat_count_ = 0;
  }
  field = (field >> 8) & 0xFF;

  const int variant = avr_ln1_ < 37 ? 0 : 1;
  unsigned code = 0, code_bits = 0;
  for (; code < 15; ++code) {
    code_bits = kShortBits[variant][code];
    if (code == (variant == 0 ? 1u : 3u)) code_bits = buf60_ + 3;
    if (((field ^ kShortCode[variant][code]) & ~(0xFFu >> code_bits) & 0xFF) == 0) break;
  }
  if (code == 15) return false;
  bits.Skip(code_bits);

  if (code == kShortRepeatLast) {
    ++repeat_count_;
    Match(last_len_, last_dist_);
    return true;
  }
  repeat_count_ = 0;
  if (code == kShortFar) {
    const size_t length = ReadNumber(bits, kLength2) + 5;
    const size_t distance = (Field(bits) >> 1) | 0x8000;
    bits.Skip(15);
    last_len_ = length;
    last_dist_ = distance;
    Match(length, distance);
    return true;
  }
  if (code > kShortRepeatLast) {
    // One of the last four distances, with a length of its own.
    const size_t distance = old_dist_[(old_dist_pos_ - (code - kShortRepeatLast)) & 3];
    size_t length = ReadNumber(bits, kLength1) + 2;
    if (length == 0x101 && code == 10) {
      buf60_ ^= 1;
      return true;
    }
    if (distance > 256) ++length;
    if (distance >= max_dist3_) ++length;
    Remember(length, distance);
    Match(length, distance);
    return true;
  }
  avr_ln1_ += code;
  avr_ln1_ -= avr_ln1_ >> 4;
  const unsigned place = ReadNumber(bits, kPlace2) & 0xFF;
  const size_t distance = short_dist_.Take(place) + 1;
  const size_t length = code + 2;
  Remember(length, distance);
  Match(length, distance);
  return true;
}

bool Rar15Unpacker::LongMatch(Bits& bits) {
  num_huf_ = 0;
  nlzb_ += 16;
  if (nlzb_ > 0xFF) {
    nlzb_ = 0x90;
    nhfb_ >>= 1;
  }
  const unsigned old_avr2 = avr_ln2_;

  size_t length;
  const uint32_t field = Field(bits);
  if (avr_ln2_ >= 122) {
    length = ReadNumber(bits, kLength2);
  } else if (avr_ln2_ >= 64) {
    length = ReadNumber(bits, kLength1);
  } else if (field < 0x100) {
    length = field;
    bits.Skip(16);
  } else {
    // Unary: the count of zero bits before the first one.
    length = 0;
    while (((field << length) & 0x8000) == 0) ++length;
    bits.Skip(unsigned(length) + 1);
  }
  avr_ln2_ += unsigned(length);
  avr_ln2_ -= avr_ln2_ >> 5;

  const NumberCode& code = avr_plc_b_ > 0x28FF ? kPlace2 : avr_plc_b_ > 0x6FF ? kPlace1 : kPlace0;
  const unsigned place = ReadNumber(bits, code);
  avr_plc_b_ += place;
  avr_plc_b_ -= avr_plc_b_ >> 8;
  unsigned high;
  if (!long_dist_.Take(place & 0xFF, &high)) return false;
  const size_t distance = ((high << 8) | (Field(bits) >> 8)) >> 1;
  bits.Skip(7);

  const unsigned old_avr3 = avr_ln3_;
  if (length != 1 && length != 4) {
    if (length == 0 && distance <= max_dist3_) {
      ++avr_ln3_;
      avr_ln3_ -= avr_ln3_ >> 8;
    } else if (avr_ln3_ > 0) {
      --avr_ln3_;
    }
  }
  length += 3;
  if (distance >= max_dist3_) ++length;
  if (distance <= 256) length += 8;
  max_dist3_ = old_avr3 > 0xB0 || (avr_plc_ >= 0x2A00 && old_avr2 < 0x40) ? 0x7F00 : 0x2001;
  Remember(length, distance);
  Match(length, distance);
  return true;
}

void Rar15Unpacker::Remember(size_t length, size_t distance) {
  old_dist_[old_dist_pos_++ & 3] = distance;
  old_dist_pos_ &= 3;
  last_len_ = length;
  last_dist_ = distance;
}

void Rar15Unpacker::Match(size_t length, size_t distance) {
  // Before the first byte the window reads as zeros.
  if (!window_.Copy(length, distance))
    for (size_t i = 0; i < length; ++i) window_.Put(0);
}

}  // namespace unrar::rar15
