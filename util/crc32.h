#pragma once
// CRC-32 (IEEE, reflected), as RAR archives and the installation log carry it.
#include <cstddef>
#include <cstdint>

namespace util {

// Continues a CRC-32; start with 0.
uint32_t Crc32(uint32_t crc, const void* data, size_t n);

}  // namespace util
