#include "util/crc32_fold.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <emmintrin.h>
#include <wmmintrin.h>
#define SK_CRC32_FOLD 1
#endif

namespace util {
namespace crc32_detail {

#ifdef SK_CRC32_FOLD

namespace {

// Four 128-bit lanes take 64 bytes a step; each lane is carried 512 bits forward by multiplying
// its halves by x^(512+32) and x^(512-32) mod P (bit-reflected, shifted left by one, as the
// reflected domain wants), one lane 128 bits forward by x^(128+32) and x^(128-32).
#define SK_FOLD_TARGET __attribute__((target("sse2,pclmul")))

SK_FOLD_TARGET inline __m128i Fold(__m128i lane, __m128i k, __m128i next) {
  __m128i lo = _mm_clmulepi64_si128(lane, k, 0x00);
  __m128i hi = _mm_clmulepi64_si128(lane, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(lo, hi), next);
}

SK_FOLD_TARGET inline __m128i Load(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

}  // namespace

bool FoldAvailable() {
  static const bool available = [] {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    return (c & bit_PCLMUL) != 0 && (d & bit_SSE2) != 0;
  }();
  return available;
}

SK_FOLD_TARGET uint32_t FoldUpdate(uint32_t raw, const uint8_t* p, size_t n) {
  if (n < 64) return TableUpdate(raw, p, n);
  const __m128i k512 = _mm_set_epi64x(0x1C6E41596LL, 0x154442BD4LL);  // (high, low)
  const __m128i k128 = _mm_set_epi64x(0x0CCAA009ELL, 0x1751997D0LL);
  // The register enters the message as its first four bytes (reflected CRCs allow this).
  __m128i x0 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(raw)));
  __m128i x1 = Load(p + 16), x2 = Load(p + 32), x3 = Load(p + 48);
  p += 64;
  n -= 64;
  for (; n >= 64; p += 64, n -= 64) {
    x0 = Fold(x0, k512, Load(p));
    x1 = Fold(x1, k512, Load(p + 16));
    x2 = Fold(x2, k512, Load(p + 32));
    x3 = Fold(x3, k512, Load(p + 48));
  }
  __m128i x = Fold(Fold(Fold(x0, k128, x1), k128, x2), k128, x3);
  for (; n >= 16; p += 16, n -= 16) x = Fold(x, k128, Load(p));
  // What is left, 16 bytes congruent to everything folded so far, goes through the tables.
  alignas(16) uint8_t rest[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(rest), x);
  return TableUpdate(TableUpdate(0, rest, 16), p, n);
}

#else

bool FoldAvailable() { return false; }
uint32_t FoldUpdate(uint32_t raw, const uint8_t* p, size_t n) { return TableUpdate(raw, p, n); }

#endif

}  // namespace crc32_detail
}  // namespace util
