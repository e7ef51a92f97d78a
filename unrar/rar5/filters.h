#pragma once
// The RAR5 filters: transforms applied to a block of decoded output before it is written,
// undoing what the compressor did to make executables and tables compress better.
#include <cstddef>
#include <cstdint>

namespace unrar::rar5 {

enum class FilterType : uint8_t { Delta = 0, E8 = 1, E8E9 = 2, Arm = 3 };

// Largest block one filter may cover.
constexpr uint32_t kMaxFilterBlock = 0x400000;

struct Filter {
  FilterType type = FilterType::Delta;
  uint8_t channels = 0;  // DELTA only, 1..32
  uint64_t start = 0;    // position in the window's output stream
  uint32_t length = 0;
};

// The block's unfiltered bytes, in at most two pieces (the window may wrap inside it).
struct FilterSource {
  const uint8_t* first;
  size_t first_size;
  const uint8_t* second;
  size_t second_size;
};

// Writes the filtered block (first_size + second_size bytes) to out. file_offset is the
// block's offset in the entry; the x86 and ARM filters convert addresses relative to it.
void ApplyFilter(const Filter& filter, const FilterSource& src, uint32_t file_offset, uint8_t* out);

}  // namespace unrar::rar5
