#include "tests/rarwriter/aes_encrypt.h"

#include <cstring>
#include <stdexcept>

namespace rarwriter {
namespace {

uint8_t Rotl8(uint8_t x, int n) { return static_cast<uint8_t>((x << n) | (x >> (8 - n))); }

// The S-box, computed from its definition: the multiplicative inverse in GF(2^8) followed by
// the affine map. p walks the field by powers of 3 while q walks it by powers of 1/3.
struct SBox {
  uint8_t v[256];
  SBox() {
    uint8_t p = 1, q = 1;
    do {
      p = static_cast<uint8_t>(p ^ (p << 1) ^ ((p & 0x80) ? 0x1B : 0));
      q ^= static_cast<uint8_t>(q << 1);
      q ^= static_cast<uint8_t>(q << 2);
      q ^= static_cast<uint8_t>(q << 4);
      if (q & 0x80) q ^= 0x09;
      v[p] = static_cast<uint8_t>(q ^ Rotl8(q, 1) ^ Rotl8(q, 2) ^ Rotl8(q, 3) ^ Rotl8(q, 4) ^ 0x63);
    } while (p != 1);
    v[0] = 0x63;
  }
};

const SBox& Sbox() {
  static const SBox box;
  return box;
}

uint8_t Xtime(uint8_t x) { return static_cast<uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0)); }

}  // namespace

AesEncryptor::AesEncryptor(std::string_view key) {
  if (key.size() != 16 && key.size() != 32) throw std::invalid_argument("rarwriter: AES key must be 16 or 32 bytes");
  const uint8_t* s = Sbox().v;
  const int nk = static_cast<int>(key.size() / 4);
  rounds_ = nk + 6;
  const int words = 4 * (rounds_ + 1);
  std::memcpy(round_keys_, key.data(), key.size());
  uint8_t rcon = 1;
  for (int i = nk; i < words; ++i) {
    uint8_t t[4];
    std::memcpy(t, round_keys_ + 4 * (i - 1), 4);
    if (i % nk == 0) {
      const uint8_t first = t[0];
      t[0] = static_cast<uint8_t>(s[t[1]] ^ rcon);
      t[1] = s[t[2]];
      t[2] = s[t[3]];
      t[3] = s[first];
      rcon = Xtime(rcon);
    } else if (nk > 6 && i % nk == 4) {
      for (uint8_t& b : t) b = s[b];
    }
    for (int k = 0; k < 4; ++k) round_keys_[4 * i + k] = static_cast<uint8_t>(round_keys_[4 * (i - nk) + k] ^ t[k]);
  }
}

void AesEncryptor::EncryptBlock(const uint8_t in[16], uint8_t out[16]) const {
  const uint8_t* s = Sbox().v;
  uint8_t st[16];  // column-major state: st[4 * column + row]
  for (int i = 0; i < 16; ++i) st[i] = in[i] ^ round_keys_[i];
  for (int round = 1; round <= rounds_; ++round) {
    uint8_t t[16];
    for (int c = 0; c < 4; ++c) {
      for (int r = 0; r < 4; ++r) t[4 * c + r] = s[st[4 * ((c + r) % 4) + r]];  // SubBytes, ShiftRows
    }
    if (round != rounds_) {
      for (int c = 0; c < 4; ++c) {  // MixColumns
        uint8_t* col = t + 4 * c;
        const uint8_t all = col[0] ^ col[1] ^ col[2] ^ col[3], first = col[0];
        col[0] ^= all ^ Xtime(col[0] ^ col[1]);
        col[1] ^= all ^ Xtime(col[1] ^ col[2]);
        col[2] ^= all ^ Xtime(col[2] ^ col[3]);
        col[3] ^= all ^ Xtime(col[3] ^ first);
      }
    }
    for (int i = 0; i < 16; ++i) st[i] = t[i] ^ round_keys_[16 * round + i];
  }
  std::memcpy(out, st, 16);
}

std::string AesCbcEncryptWith(const AesEncryptor& aes, std::string_view iv, std::string_view data) {
  if (iv.size() != 16 || data.size() % 16 != 0) throw std::invalid_argument("rarwriter: bad AES-CBC input");
  std::string out(data.size(), '\0');
  uint8_t chain[16];
  std::memcpy(chain, iv.data(), 16);
  for (size_t pos = 0; pos < data.size(); pos += 16) {
    uint8_t block[16];
    for (int i = 0; i < 16; ++i) block[i] = static_cast<uint8_t>(data[pos + i]) ^ chain[i];
    aes.EncryptBlock(block, chain);
    std::memcpy(&out[pos], chain, 16);
  }
  return out;
}

}  // namespace rarwriter
