#include "unrar/rar5/filters.h"

#include <cstring>

namespace unrar::rar5 {
namespace {

// The compressor stored each channel's bytes together, as differences from the previous byte
// of the same channel.
void UndoDelta(const FilterSource& src, unsigned channels, uint8_t* out) {
  const size_t length = src.first_size + src.second_size;
  if (src.second_size == 0) {
    const uint8_t* in = src.first;
    for (unsigned channel = 0; channel < channels; ++channel) {
      uint8_t prev = 0;
      for (size_t i = channel; i < length; i += channels) out[i] = prev = uint8_t(prev - *in++);
    }
    return;
  }
  const uint8_t* in = src.first;
  size_t left_in_piece = src.first_size;
  for (unsigned channel = 0; channel < channels; ++channel) {
    uint8_t prev = 0;
    for (size_t i = channel; i < length; i += channels) {
      if (left_in_piece == 0) {
        in = src.second;
        left_in_piece = src.second_size;
      }
      prev = uint8_t(prev - *in++);
      --left_in_piece;
      out[i] = prev;
    }
  }
}

uint32_t Load32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void Store32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

// True when one of the eight bytes is zero.
bool HasZeroByte(uint64_t x) { return ((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull) != 0; }

// x86 CALL (E8) and JMP (E9) targets were made absolute; turn them back into relative ones.
void UndoX86(uint8_t* data, size_t length, uint32_t file_offset, bool jumps_too) {
  const uint32_t kFileSize = 0x1000000;
  // E9 differs from E8 in the lowest bit only: masking it finds both.
  const uint64_t mask = jumps_too ? 0xFEFEFEFEFEFEFEFEull : ~0ull;
  for (size_t i = 0; i + 4 < length;) {
    if (i + 12 < length) {  // skip eight bytes at a time while none is an opcode
      uint64_t word;
      std::memcpy(&word, data + i, 8);
      if (!HasZeroByte((word & mask) ^ (0xE8E8E8E8E8E8E8E8ull & mask))) {
        i += 8;
        continue;
      }
    }
    const uint8_t opcode = data[i++];
    if ((opcode & 0xFE) != 0xE8 || (opcode == 0xE9 && !jumps_too)) continue;
    const uint32_t offset = (uint32_t(i) + file_offset) % kFileSize;
    const uint32_t addr = Load32(data + i);
    if (addr & 0x80000000) {
      if (((addr + offset) & 0x80000000) == 0) Store32(data + i, addr + kFileSize);
    } else if ((addr - kFileSize) & 0x80000000) {
      Store32(data + i, addr - offset);
    }
    i += 4;
  }
}

// ARM BL instructions: the 24-bit word offset was made absolute.
void UndoArm(uint8_t* data, size_t length, uint32_t file_offset) {
  for (size_t i = 0; i + 3 < length; i += 4) {
    if (data[i + 3] != 0xEB) continue;
    uint32_t target = uint32_t(data[i]) | uint32_t(data[i + 1]) << 8 | uint32_t(data[i + 2]) << 16;
    target -= (file_offset + uint32_t(i)) / 4;
    data[i] = uint8_t(target);
    data[i + 1] = uint8_t(target >> 8);
    data[i + 2] = uint8_t(target >> 16);
  }
}

}  // namespace

void ApplyFilter(const Filter& filter, const FilterSource& src, uint32_t file_offset, uint8_t* out) {
  const size_t length = src.first_size + src.second_size;
  if (filter.type == FilterType::Delta) {
    UndoDelta(src, filter.channels, out);
    return;
  }
  if (src.first_size) std::memcpy(out, src.first, src.first_size);
  if (src.second_size) std::memcpy(out + src.first_size, src.second, src.second_size);
  if (filter.type == FilterType::Arm)
    UndoArm(out, length, file_offset);
  else
    UndoX86(out, length, file_offset, filter.type == FilterType::E8E9);
}

}  // namespace unrar::rar5
