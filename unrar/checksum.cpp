#include "unrar/checksum.h"

#include <cstring>

namespace unrar {
namespace {

const uint32_t kBlakeIv[8] = {0x6A09E667u, 0xBB67AE85u, 0x3C6EF372u, 0xA54FF53Au,
                              0x510E527Fu, 0x9B05688Cu, 0x1F83D9ABu, 0x5BE0CD19u};

const uint8_t kSigma[10][16] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3},
    {11, 8, 12, 0, 5, 2, 15, 13, 10, 14, 3, 6, 7, 1, 9, 4}, {7, 9, 3, 1, 13, 12, 11, 14, 2, 6, 5, 10, 4, 0, 15, 8},
    {9, 0, 5, 7, 2, 4, 10, 15, 14, 1, 11, 12, 6, 8, 3, 13}, {2, 12, 6, 10, 0, 11, 8, 3, 4, 13, 7, 5, 15, 14, 1, 9},
    {12, 5, 1, 15, 14, 13, 4, 10, 0, 7, 6, 3, 9, 2, 8, 11}, {13, 11, 7, 14, 12, 1, 3, 9, 5, 0, 15, 4, 8, 6, 2, 10},
    {6, 15, 14, 9, 11, 3, 0, 8, 12, 2, 13, 7, 1, 4, 10, 5}, {10, 2, 8, 4, 7, 6, 1, 5, 15, 11, 9, 14, 3, 12, 13, 0},
};

inline uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

inline uint32_t Load32(const uint8_t* p) {
  return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

Blake2s::Blake2s() { Init(32 | (1u << 16) | (1u << 24), 0, 0, false); }

Blake2s::Blake2s(uint32_t node_offset, uint32_t node_depth, bool last_node) {
  // digest 32, no key, fanout 8, depth 2; inner length 32.
  Init(32 | (8u << 16) | (2u << 24), node_offset, (node_depth << 16) | (32u << 24), last_node);
}

void Blake2s::Init(uint32_t param0, uint32_t param2, uint32_t param3, bool last_node) {
  for (int i = 0; i < 8; i++) h_[i] = kBlakeIv[i];
  h_[0] ^= param0;
  h_[2] ^= param2;
  h_[3] ^= param3;
  last_node_ = last_node;
}

void Blake2s::Compress(const uint8_t block[64], bool final_block) {
  uint32_t m[16], v[16];
  for (int i = 0; i < 16; i++) m[i] = Load32(block + 4 * i);
  for (int i = 0; i < 8; i++) {
    v[i] = h_[i];
    v[i + 8] = kBlakeIv[i];
  }
  v[12] ^= static_cast<uint32_t>(counter_);
  v[13] ^= static_cast<uint32_t>(counter_ >> 32);
  if (final_block) {
    v[14] = ~v[14];
    if (last_node_) v[15] = ~v[15];
  }
  auto g = [&](int a, int b, int c, int d, uint32_t x, uint32_t y) {
    v[a] = v[a] + v[b] + x;
    v[d] = Rotr(v[d] ^ v[a], 16);
    v[c] = v[c] + v[d];
    v[b] = Rotr(v[b] ^ v[c], 12);
    v[a] = v[a] + v[b] + y;
    v[d] = Rotr(v[d] ^ v[a], 8);
    v[c] = v[c] + v[d];
    v[b] = Rotr(v[b] ^ v[c], 7);
  };
  for (int r = 0; r < 10; r++) {
    const uint8_t* s = kSigma[r];
    g(0, 4, 8, 12, m[s[0]], m[s[1]]);
    g(1, 5, 9, 13, m[s[2]], m[s[3]]);
    g(2, 6, 10, 14, m[s[4]], m[s[5]]);
    g(3, 7, 11, 15, m[s[6]], m[s[7]]);
    g(0, 5, 10, 15, m[s[8]], m[s[9]]);
    g(1, 6, 11, 12, m[s[10]], m[s[11]]);
    g(2, 7, 8, 13, m[s[12]], m[s[13]]);
    g(3, 4, 9, 14, m[s[14]], m[s[15]]);
  }
  for (int i = 0; i < 8; i++) h_[i] ^= v[i] ^ v[i + 8];
}

void Blake2s::Update(const uint8_t* data, size_t n) {
  while (n > 0) {
    // The last block is kept back: it must be compressed with the final flag.
    if (buffered_ == 64) {
      counter_ += 64;
      Compress(buf_, false);
      buffered_ = 0;
    }
    size_t take = 64 - buffered_ < n ? 64 - buffered_ : n;
    memcpy(buf_ + buffered_, data, take);
    buffered_ += take;
    data += take;
    n -= take;
  }
}

void Blake2s::Final(uint8_t digest[32]) {
  counter_ += buffered_;
  memset(buf_ + buffered_, 0, 64 - buffered_);
  Compress(buf_, true);
  for (int i = 0; i < 8; i++) {
    digest[4 * i] = static_cast<uint8_t>(h_[i]);
    digest[4 * i + 1] = static_cast<uint8_t>(h_[i] >> 8);
    digest[4 * i + 2] = static_cast<uint8_t>(h_[i] >> 16);
    digest[4 * i + 3] = static_cast<uint8_t>(h_[i] >> 24);
  }
}

Blake2sp::Blake2sp()
    : leaves_{Blake2s(0, 0, false), Blake2s(1, 0, false), Blake2s(2, 0, false), Blake2s(3, 0, false),
              Blake2s(4, 0, false), Blake2s(5, 0, false), Blake2s(6, 0, false), Blake2s(7, 0, true)} {}

void Blake2sp::Update(const uint8_t* data, size_t n) {
  while (n > 0) {
    size_t in_stripe = position_ % 512;
    size_t leaf = in_stripe / 64;
    size_t take = 64 - in_stripe % 64;
    if (take > n) take = n;
    leaves_[leaf].Update(data, take);
    position_ += take;
    data += take;
    n -= take;
  }
}

void Blake2sp::Final(uint8_t digest[32]) {
  Blake2s root(0, 1, true);
  for (Blake2s& leaf : leaves_) {
    uint8_t d[32];
    leaf.Final(d);
    root.Update(d, 32);
  }
  root.Final(digest);
}

}  // namespace unrar
