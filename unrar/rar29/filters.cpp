#include "unrar/rar29/filters.h"

#include <cstdlib>
#include <cstring>

#include "unrar/checksum.h"

namespace unrar::rar29 {
namespace {

// The machine's memory: in-place filters may use all of it, the others half for the output.
constexpr uint32_t kMachineMemory = 0x40000;
constexpr uint32_t kMaxChannels = 1024;

uint32_t Load32(const uint8_t* p) { return uint32_t(p[0]) | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
void Store32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

// x86 CALL (E8) and JMP (E9) targets were made absolute; make them relative again. Addresses
// are taken modulo a 16 MB "file"; values outside it were left alone by the compressor.
void UndoX86(uint8_t* data, size_t size, uint32_t file_offset, bool jumps_too) {
  constexpr uint32_t kFileSize = 0x1000000;
  if (size < 5) return;
  for (size_t i = 0; i + 4 < size; ++i) {
    if (data[i] != 0xE8 && !(jumps_too && data[i] == 0xE9)) continue;
    const uint32_t position = file_offset + uint32_t(i) + 1;  // of the operand
    const uint32_t address = Load32(data + i + 1);
    if (address & 0x80000000) {
      if (((address + position) & 0x80000000) == 0) Store32(data + i + 1, address + kFileSize);
    } else if (((address - kFileSize) & 0x80000000) != 0) {
      Store32(data + i + 1, address - position);
    }
    i += 4;
  }
}

// Bit fields of a 128-bit IA-64 bundle, least significant bit first.
uint32_t BundleBits(const uint8_t* bundle, unsigned pos, unsigned count) {
  uint32_t value = 0;
  for (unsigned i = 0; i < count; ++i) {
    const unsigned bit = pos + i;
    value |= uint32_t((bundle[bit >> 3] >> (bit & 7)) & 1) << i;
  }
  return value;
}
void SetBundleBits(uint8_t* bundle, unsigned pos, unsigned count, uint32_t value) {
  for (unsigned i = 0; i < count; ++i) {
    const unsigned bit = pos + i;
    const uint8_t mask = uint8_t(1u << (bit & 7));
    if ((value >> i) & 1) bundle[bit >> 3] |= mask;
    else bundle[bit >> 3] &= uint8_t(~mask);
  }
}

// IA-64 branches: in each 16-byte bundle the template says which of the three 41-bit slots
// may hold a branch (opcode 5); their 20-bit targets, counted in bundles, were made absolute.
bool UndoItanium(uint8_t* data, size_t size, uint32_t file_offset) {
  static constexpr uint8_t kBranchSlots[16] = {4, 4, 6, 6, 0, 0, 7, 7, 4, 4, 0, 0, 4, 4, 0, 0};
  if (size < 21) return false;
  uint32_t bundle_number = file_offset >> 4;
  for (size_t pos = 0; pos + 21 < size; pos += 16, ++bundle_number) {
    uint8_t* bundle = data + pos;
    const int kind = (bundle[0] & 0x1F) - 0x10;
    if (kind < 0) continue;
    const uint8_t slots = kBranchSlots[kind];
    for (unsigned slot = 0; slot < 3; ++slot) {
      if (!(slots & (1u << slot))) continue;
      const unsigned start = 5 + 41 * slot;
      if (BundleBits(bundle, start + 37, 4) != 5) continue;
      const uint32_t target = BundleBits(bundle, start + 13, 20);
      SetBundleBits(bundle, start + 13, 20, (target - bundle_number) & 0xFFFFF);
    }
  }
  return true;
}

// Bytes were interleaved by channel and each channel stored as differences.
void UndoDelta(const uint8_t* in, size_t size, uint32_t channels, uint8_t* out) {
  for (uint32_t ch = 0; ch < channels; ++ch) {
    uint8_t previous = 0;
    for (size_t i = ch; i < size; i += channels) {
      previous = uint8_t(previous - *in++);
      out[i] = previous;
    }
  }
}

// 24-bit pixels, `width` bytes per row, each colour plane predicted from its left, upper and
// upper-left neighbours with the Paeth rule; then green was subtracted from red and blue.
bool UndoRgb(const uint8_t* in, size_t size, uint32_t width, uint32_t red_offset, uint8_t* out) {
  if (size < 3 || width < 3 || width > size || red_offset > 2) return false;
  for (size_t plane = 0; plane < 3; ++plane) {
    int left = 0;
    for (size_t i = plane; i < size; i += 3) {
      int predicted = left;
      if (i >= width) {
        const int up = out[i - width + 3];
        const int up_left = out[i - width];
        const int estimate = left + up - up_left;
        const int to_left = std::abs(estimate - left);
        const int to_up = std::abs(estimate - up);
        const int to_up_left = std::abs(estimate - up_left);
        if (to_left <= to_up && to_left <= to_up_left) predicted = left;
        else if (to_up <= to_up_left) predicted = up;
        else predicted = up_left;
      }
      left = uint8_t(predicted - *in++);
      out[i] = uint8_t(left);
    }
  }
  for (size_t i = red_offset; i + 2 < size; i += 3) {
    out[i] = uint8_t(out[i] + out[i + 1]);
    out[i + 2] = uint8_t(out[i + 2] + out[i + 1]);
  }
  return true;
}

// 8-bit audio, channels interleaved. Each sample was predicted from the previous one and the
// last three deltas with weights that adapt every 32 samples towards the smallest error.
void UndoAudio(const uint8_t* in, size_t size, uint32_t channels, uint8_t* out) {
  for (uint32_t ch = 0; ch < channels; ++ch) {
    int weight[3] = {0, 0, 0};
    int delta[3] = {0, 0, 0};  // the last delta, its change, and the delta before
    int last = 0, last_delta = 0;
    uint32_t error[7] = {};
    size_t count = 0;
    for (size_t i = ch; i < size; i += channels, ++count) {
      delta[2] = delta[1];
      delta[1] = last_delta - delta[0];
      delta[0] = last_delta;
      const int estimate = 8 * last + weight[0] * delta[0] + weight[1] * delta[1] + weight[2] * delta[2];
      const uint8_t residual = *in++;
      const uint8_t value = uint8_t(((estimate >> 3) & 0xFF) - residual);
      out[i] = value;
      last_delta = int8_t(uint8_t(value - last));
      last = value;

      // How each weight nudged up or down would have done on this sample.
      const int r = int8_t(residual) * 8;
      error[0] += uint32_t(std::abs(r));
      for (int k = 0; k < 3; ++k) {
        error[1 + 2 * k] += uint32_t(std::abs(r - delta[k]));
        error[2 + 2 * k] += uint32_t(std::abs(r + delta[k]));
      }
      if (count % 32 != 0) continue;
      unsigned best = 0;
      for (unsigned j = 1; j < 7; ++j)
        if (error[j] < error[best]) best = j;
      std::memset(error, 0, sizeof error);
      if (best == 0) continue;
      int& w = weight[(best - 1) / 2];
      if (best % 2 == 1) {
        if (w >= -16) --w;
      } else if (w < 16) {
        ++w;
      }
    }
  }
}

}  // namespace

bool IdentifyFilter(const uint8_t* code, size_t size, FilterKind* kind) {
  struct Known {
    size_t size;
    uint32_t crc;
    FilterKind kind;
  };
  static constexpr Known kKnown[] = {
      {53, 0xAD576887, FilterKind::E8},      {57, 0x3CD7E57E, FilterKind::E8E9},
      {120, 0x3769893F, FilterKind::Itanium}, {29, 0x0E06077D, FilterKind::Delta},
      {149, 0x1C2C5DC8, FilterKind::Rgb},     {216, 0xBC85E701, FilterKind::Audio},
  };
  uint32_t crc = 0;
  bool crc_done = false;
  for (const Known& k : kKnown) {
    if (k.size != size) continue;
    if (!crc_done) crc = Crc32(0, code, size), crc_done = true;
    if (crc == k.crc) {
      *kind = k.kind;
      return true;
    }
  }
  return false;
}

uint32_t MaxFilterBlock(FilterKind kind) {
  switch (kind) {
    case FilterKind::E8: case FilterKind::E8E9: case FilterKind::Itanium: return kMachineMemory;
    default: return kMachineMemory / 2;
  }
}

bool RunFilter(FilterKind kind, const uint32_t regs[7], uint32_t file_offset, const uint8_t* in,
               size_t size, uint8_t* out) {
  if (size > MaxFilterBlock(kind)) return false;
  switch (kind) {
    case FilterKind::E8:
    case FilterKind::E8E9:
      std::memcpy(out, in, size);
      UndoX86(out, size, file_offset, kind == FilterKind::E8E9);
      return true;
    case FilterKind::Itanium:
      std::memcpy(out, in, size);
      return UndoItanium(out, size, file_offset);
    case FilterKind::Delta:
      if (regs[0] == 0 || regs[0] > kMaxChannels) return false;
      UndoDelta(in, size, regs[0], out);
      return true;
    case FilterKind::Rgb:
      return UndoRgb(in, size, regs[0], regs[1], out);
    case FilterKind::Audio:
      if (regs[0] == 0 || regs[0] > kMaxChannels) return false;
      UndoAudio(in, size, regs[0], out);
      return true;
  }
  return false;
}

}  // namespace unrar::rar29
