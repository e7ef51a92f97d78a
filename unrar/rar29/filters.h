#pragma once
// The RAR 2.9 filters. The format carries each filter as a program for a virtual machine, but
// the compressor only ever emits six standard programs; we recognise those by their length and
// CRC-32 and run native transforms. Any other program is refused.
#include <cstddef>
#include <cstdint>

namespace unrar::rar29 {

enum class FilterKind : uint8_t { E8, E8E9, Itanium, Delta, Rgb, Audio };

// Which standard program `code` is; false for any other program.
bool IdentifyFilter(const uint8_t* code, size_t size, FilterKind* kind);

// The largest block a filter of this kind may cover (the machine's memory holds the input,
// and for the predicting filters their output too).
uint32_t MaxFilterBlock(FilterKind kind);

// Undoes the transform on `size` bytes of `in`, writing them to `out` (never the same buffer).
// regs are the program's initial registers R0..R6: R0 is the channel count (DELTA, AUDIO) or
// the row width (RGB), R1 the RGB colour offset. file_offset is the block's position in the
// entry. False when the parameters make no sense for the transform: the stream is damaged.
bool RunFilter(FilterKind kind, const uint32_t regs[7], uint32_t file_offset, const uint8_t* in,
               size_t size, uint8_t* out);

}  // namespace unrar::rar29
