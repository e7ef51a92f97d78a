#pragma once
// The two ways CRC-32 is computed, exposed so tests can hold one against the other.
// Both work on the raw register (no inversion before or after); Crc32 in crc32.h wraps them.
#include <cstddef>
#include <cstdint>

namespace util {
namespace crc32_detail {

// Slicing-by-8 tables: any CPU.
uint32_t TableUpdate(uint32_t raw, const uint8_t* p, size_t n);

// Carry-less multiplication folding (x86 PCLMULQDQ): many times faster on long runs, which
// matters because every unpacked byte of an entry is checksummed. Needs FoldAvailable().
bool FoldAvailable();
uint32_t FoldUpdate(uint32_t raw, const uint8_t* p, size_t n);

}  // namespace crc32_detail
}  // namespace util
