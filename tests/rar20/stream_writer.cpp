#include "tests/rar20/stream_writer.h"

#include <stdexcept>

namespace rar20test {
namespace {

// Flat tables: every symbol of a table has the same code length, so symbol s is code s.
constexpr unsigned kLevelBits = 5;  // 19 level symbols
constexpr unsigned kMainBits = 9;   // 298 main symbols
constexpr unsigned kDistBits = 6;   // 48 distance symbols
constexpr unsigned kRepBits = 5;    // 28 length symbols
constexpr unsigned kAudioBits = 9;  // 257 audio symbols

const unsigned kLenBase[28] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 14, 16, 20,
                               24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
const unsigned kLenExtra[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
const unsigned kDistExtra[48] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                 7,  7,  8,  8,  9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14,
                                 15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
const unsigned kShortBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};
const unsigned kShortExtra[8] = {2, 2, 3, 4, 5, 6, 6, 6};

// The slot whose range holds value, and the extra bits' value.
unsigned LengthSlot(size_t value, uint32_t* extra) {
  for (unsigned s = 28; s-- > 0;)
    if (value >= kLenBase[s]) {
      if (value - kLenBase[s] >= (1u << kLenExtra[s])) break;
      *extra = uint32_t(value - kLenBase[s]);
      return s;
    }
  throw std::invalid_argument("length out of range");
}

unsigned DistSlot(size_t value, uint32_t* extra) {
  size_t base = 0;
  for (unsigned s = 0; s < 48; ++s) {
    const size_t size = size_t(1) << kDistExtra[s];
    if (value < base + size) {
      *extra = uint32_t(value - base);
      return s;
    }
    base += size;
  }
  throw std::invalid_argument("distance out of range");
}

}  // namespace

void StreamWriter::Bits(uint32_t value, unsigned count) {
  for (unsigned i = count; i-- > 0;) {
    if (used_ == 8) {
      bytes_.push_back(0);
      used_ = 0;
    }
    if ((value >> i) & 1) bytes_.back() |= uint8_t(0x80 >> used_);
    ++used_;
  }
}

void StreamWriter::Code(uint32_t symbol, unsigned length) { Bits(symbol, length); }

void StreamWriter::Tables(bool audio, unsigned channels, bool keep_old) {
  Bits(audio ? 1 : 0, 1);
  Bits(keep_old ? 1 : 0, 1);
  if (!keep_old) std::fill(last_lengths_.begin(), last_lengths_.end(), 0);
  std::vector<uint8_t> lengths;
  if (audio) {
    Bits(channels - 1, 2);
    lengths.assign(257 * channels, kAudioBits);
  } else {
    lengths.assign(298, kMainBits);
    lengths.insert(lengths.end(), 48, kDistBits);
    lengths.insert(lengths.end(), 28, kRepBits);
  }
  for (int i = 0; i < 19; ++i) Bits(kLevelBits, 4);
  // Runs of equal lengths go out as "repeat the previous" (16), the rest as deltas.
  for (size_t i = 0; i < lengths.size();) {
    if (i > 0 && lengths[i] == lengths[i - 1] && i + 3 <= lengths.size() && lengths[i + 1] == lengths[i] &&
        lengths[i + 2] == lengths[i]) {
      size_t run = 3;
      while (run < 6 && i + run < lengths.size() && lengths[i + run] == lengths[i]) ++run;
      Code(16, kLevelBits);
      Bits(uint32_t(run - 3), 2);
      i += run;
      continue;
    }
    Code((lengths[i] - last_lengths_[i]) & 15, kLevelBits);
    ++i;
  }
  std::copy(lengths.begin(), lengths.end(), last_lengths_.begin());
  audio_ = audio;
  channels_ = channels;
  if (channel_ >= channels_) channel_ = 0;
}

void StreamWriter::LzTables(bool keep_old) { Tables(false, 1, keep_old); }
void StreamWriter::AudioTables(unsigned channels) { Tables(true, channels, false); }
void StreamWriter::NewTablesSymbol() { Code(audio_ ? 256 : 269, audio_ ? kAudioBits : kMainBits); }

void StreamWriter::Literal(uint8_t byte) {
  Code(byte, kMainBits);
  output_.push_back(byte);
}

void StreamWriter::Literals(const std::vector<uint8_t>& bytes) {
  for (uint8_t b : bytes) Literal(b);
}

void StreamWriter::Copy(size_t length, size_t distance) {
  old_dist_[old_pos_++ & 3] = distance;
  old_pos_ &= 3;
  last_len_ = length;
  last_dist_ = distance;
  for (size_t i = 0; i < length; ++i) {
    const uint8_t byte = output_.at(output_.size() - distance);
    output_.push_back(byte);
  }
}

void StreamWriter::Match(size_t length, size_t distance) {
  if (length == 2 && distance <= 256) {
    for (unsigned s = 8; s-- > 0;)
      if (distance - 1 >= kShortBase[s]) {
        Code(261 + s, kMainBits);
        Bits(uint32_t(distance - 1 - kShortBase[s]), kShortExtra[s]);
        break;
      }
    Copy(length, distance);
    return;
  }
  const size_t bonus = distance >= 0x40000 ? 2 : distance >= 0x2000 ? 1 : 0;
  uint32_t len_extra = 0, dist_extra = 0;
  const unsigned slot = LengthSlot(length - bonus - 3, &len_extra);
  const unsigned dslot = DistSlot(distance - 1, &dist_extra);
  Code(270 + slot, kMainBits);
  Bits(len_extra, kLenExtra[slot]);
  Code(dslot, kDistBits);
  Bits(dist_extra, kDistExtra[dslot]);
  Copy(length, distance);
}

void StreamWriter::RepeatLast() {
  Code(256, kMainBits);
  Copy(last_len_, last_dist_);
}

void StreamWriter::OldDistance(int index, size_t length) {
  const size_t distance = old_dist_[(old_pos_ - 1 - index) & 3];
  const size_t bonus = distance >= 0x40000 ? 3 : distance >= 0x2000 ? 2 : distance >= 0x101 ? 1 : 0;
  uint32_t extra = 0;
  const unsigned slot = LengthSlot(length - bonus - 2, &extra);
  Code(257 + index, kMainBits);
  Code(slot, kRepBits);
  Bits(extra, kLenExtra[slot]);
  Copy(length, distance);
}

void StreamWriter::Sample(uint8_t byte) {
  unrar::rar20::AudioChannel probe = predictors_[channel_];
  int cross = cross_delta_;
  const uint8_t guess = probe.Decode(0, &cross);
  const uint8_t delta = uint8_t(guess - byte);
  predictors_[channel_].Decode(delta, &cross_delta_);
  Code(delta, kAudioBits);
  output_.push_back(byte);
  if (++channel_ == channels_) channel_ = 0;
}

StreamWriter::Entry StreamWriter::Finish() {
  Entry e;
  e.packed = bytes_;
  e.output.assign(output_.begin() + std::ptrdiff_t(entry_start_), output_.end());
  bytes_.clear();
  used_ = 8;
  entry_start_ = output_.size();
  return e;
}

}  // namespace rar20test
