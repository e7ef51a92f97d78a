#include "util/crc32.h"

#include "util/crc32_fold.h"

namespace util {
namespace {

// Eight tables for slicing-by-8: t[k][b] is the CRC of byte b followed by k zero bytes, so
// eight input bytes are folded in with eight lookups instead of eight dependent steps.
struct CrcTable {
  uint32_t t[8][256];
  CrcTable() {
    for (uint32_t i = 0; i < 256; i++) {
      uint32_t c = i;
      for (int k = 0; k < 8; k++) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
      t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; i++)
      for (int k = 1; k < 8; k++) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  }
};

inline uint32_t Load32(const uint8_t* p) {
  return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

namespace crc32_detail {

uint32_t TableUpdate(uint32_t crc, const uint8_t* p, size_t n) {
  static const CrcTable table;
  const auto& t = table.t;
  for (; n >= 8; n -= 8, p += 8) {
    uint32_t lo = crc ^ Load32(p);
    uint32_t hi = Load32(p + 4);
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
          t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
  }
  while (n--) crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return crc;
}

}  // namespace crc32_detail

uint32_t Crc32(uint32_t crc, const void* data, size_t n) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  // Headers and short entries stay on the tables; folding pays off from a few hundred bytes.
  if (n >= 256 && crc32_detail::FoldAvailable()) return ~crc32_detail::FoldUpdate(~crc, p, n);
  return ~crc32_detail::TableUpdate(~crc, p, n);
}

}  // namespace util
