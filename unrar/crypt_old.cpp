#include "unrar/crypt_old.h"

#include <cstring>
#include <vector>

namespace unrar {
namespace {

// The CRC-32 table: both ciphers draw their key material from it.
struct CrcTable {
  uint32_t value[256];
  CrcTable() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
      value[i] = c;
    }
  }
};
const CrcTable& Crc() {
  static const CrcTable table;
  return table;
}

// The RAR 2.0 cipher's starting substitution, permuted by the password.
const uint8_t kInitialSubst[256] = {
    215, 19,  149, 35,  73,  197, 192, 205, 249, 28,  16,  119, 48,  221, 2,   42,  232, 1,   177, 233, 14,  88,
    219, 25,  223, 195, 244, 90,  87,  239, 153, 137, 255, 199, 147, 70,  92,  66,  246, 13,  216, 40,  62,  29,
    217, 230, 86,  6,   71,  24,  171, 196, 101, 113, 218, 123, 93,  91,  163, 178, 202, 67,  44,  235, 107, 250,
    75,  234, 49,  167, 125, 211, 83,  114, 157, 144, 32,  193, 143, 36,  158, 124, 247, 187, 89,  214, 141, 47,
    121, 228, 61,  130, 213, 194, 174, 251, 97,  110, 54,  229, 115, 57,  152, 94,  105, 243, 212, 55,  209, 245,
    63,  11,  164, 200, 31,  156, 81,  176, 227, 21,  76,  99,  139, 188, 127, 17,  248, 51,  207, 120, 189, 210,
    8,   226, 41,  72,  183, 203, 135, 165, 166, 60,  98,  7,   122, 38,  155, 170, 69,  172, 252, 238, 39,  134,
    59,  128, 236, 27,  240, 80,  131, 3,   85,  206, 145, 79,  154, 142, 159, 220, 201, 133, 74,  64,  20,  129,
    224, 185, 138, 103, 173, 182, 43,  34,  254, 82,  198, 151, 231, 180, 58,  10,  118, 26,  102, 12,  50,  132,
    22,  191, 136, 111, 162, 179, 45,  4,   148, 108, 161, 56,  78,  126, 242, 222, 15,  175, 146, 23,  33,  241,
    181, 190, 77,  225, 0,   46,  169, 186, 68,  95,  237, 65,  53,  208, 253, 168, 9,   18,  100, 52,  116, 184,
    160, 96,  109, 37,  30,  106, 140, 104, 150, 5,   204, 117, 112, 84};

constexpr int kRounds = 32;

inline uint32_t Rotl(uint32_t x, unsigned n) { return (x << n) | (x >> (32 - n)); }
inline uint32_t Get32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
inline void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

// Decrypts whole 16-byte blocks as they arrive; a tail shorter than a block is not data.
class Rar20Source : public PackedSource {
 public:
  Rar20Source(std::unique_ptr<PackedSource> packed, const std::string& password)
      : packed_(std::move(packed)), cipher_(password) {}
  size_t Read(uint8_t* buf, size_t n, bool* ok) override {
    *ok = true;
    while (plain_pos_ == plain_.size()) {
      uint8_t chunk[65536];
      const size_t got = packed_->Read(chunk, sizeof chunk, ok);
      if (!*ok || got == 0) return 0;
      pending_.insert(pending_.end(), chunk, chunk + got);
      const size_t whole = pending_.size() / Rar20Cipher::kBlock * Rar20Cipher::kBlock;
      for (size_t i = 0; i < whole; i += Rar20Cipher::kBlock) cipher_.DecryptBlock(pending_.data() + i);
      plain_.assign(pending_.begin(), pending_.begin() + whole);
      pending_.erase(pending_.begin(), pending_.begin() + whole);
      plain_pos_ = 0;
    }
    const size_t take = std::min(n, plain_.size() - plain_pos_);
    std::memcpy(buf, plain_.data() + plain_pos_, take);
    plain_pos_ += take;
    return take;
  }

 private:
  std::unique_ptr<PackedSource> packed_;
  Rar20Cipher cipher_;
  std::vector<uint8_t> pending_, plain_;
  size_t plain_pos_ = 0;
};

class Rar15Source : public PackedSource {
 public:
  Rar15Source(std::unique_ptr<PackedSource> packed, const std::string& password)
      : packed_(std::move(packed)), cipher_(password) {}
  size_t Read(uint8_t* buf, size_t n, bool* ok) override {
    const size_t got = packed_->Read(buf, n, ok);
    if (*ok) cipher_.Crypt(buf, got);
    return got;
  }

 private:
  std::unique_ptr<PackedSource> packed_;
  Rar15Cipher cipher_;
};

}  // namespace

Rar20Cipher::Rar20Cipher(const std::string& password) {
  key_[0] = 0xD3A3B879u;
  key_[1] = 0x3F6D12F7u;
  key_[2] = 0x7515A235u;
  key_[3] = 0xA4E7F123u;
  std::memcpy(subst_, kInitialSubst, sizeof subst_);
  // The password, zero padded to whole blocks (at most 127 bytes of it count).
  std::vector<uint8_t> psw(password.begin(), password.begin() + std::min<size_t>(password.size(), 127));
  const size_t size = psw.size();
  psw.resize((size + kBlock) / kBlock * kBlock, 0);
  const CrcTable& crc = Crc();
  for (unsigned j = 0; j < 256; ++j) {
    for (size_t i = 0; i < size; i += 2) {
      unsigned from = uint8_t(crc.value[(psw[i] - j) & 0xFF]);
      const unsigned to = uint8_t(crc.value[(psw[i + 1] + j) & 0xFF]);
      for (unsigned k = 1; from != to; from = (from + 1) & 0xFF, ++k)
        std::swap(subst_[from], subst_[(from + i + k) & 0xFF]);
    }
  }
  for (size_t i = 0; i < size; i += kBlock) EncryptBlock(psw.data() + i);
}

uint32_t Rar20Cipher::Substitute(uint32_t t) const {
  return subst_[t & 0xFF] | (uint32_t(subst_[(t >> 8) & 0xFF]) << 8) | (uint32_t(subst_[(t >> 16) & 0xFF]) << 16) |
         (uint32_t(subst_[t >> 24]) << 24);
}

void Rar20Cipher::Rounds(uint8_t* block, bool encrypt) {
  uint32_t a = Get32(block) ^ key_[0], b = Get32(block + 4) ^ key_[1];
  uint32_t c = Get32(block + 8) ^ key_[2], d = Get32(block + 12) ^ key_[3];
  for (int i = 0; i < kRounds; ++i) {
    const uint32_t key = key_[(encrypt ? i : kRounds - 1 - i) & 3];
    const uint32_t ta = a ^ Substitute((c + Rotl(d, 11)) ^ key);
    const uint32_t tb = b ^ Substitute((d ^ Rotl(c, 17)) + key);
    a = c;
    b = d;
    c = ta;
    d = tb;
  }
  Put32(block, c ^ key_[0]);
  Put32(block + 4, d ^ key_[1]);
  Put32(block + 8, a ^ key_[2]);
  Put32(block + 12, b ^ key_[3]);
}

void Rar20Cipher::EncryptBlock(uint8_t* block) {
  Rounds(block, true);
  UpdateKeys(block);
}

void Rar20Cipher::DecryptBlock(uint8_t* block) {
  uint8_t cipher_text[kBlock];
  std::memcpy(cipher_text, block, kBlock);
  Rounds(block, false);
  UpdateKeys(cipher_text);  // the keys follow the encrypted bytes either way
}

void Rar20Cipher::UpdateKeys(const uint8_t* block) {
  const CrcTable& crc = Crc();
  for (size_t i = 0; i < kBlock; i += 4)
    for (size_t j = 0; j < 4; ++j) key_[j] ^= crc.value[block[i + j]];
}

Rar15Cipher::Rar15Cipher(const std::string& password) {
  const CrcTable& crc = Crc();
  uint32_t reg = 0xFFFFFFFFu;  // the CRC register of the password, not inverted at the end
  for (unsigned char c : password) reg = crc.value[(reg ^ c) & 0xFF] ^ (reg >> 8);
  key_[0] = uint16_t(reg);
  key_[1] = uint16_t(reg >> 16);
  key_[2] = key_[3] = 0;
  for (unsigned char c : password) {
    key_[2] = uint16_t(key_[2] ^ c ^ crc.value[c]);
    key_[3] = uint16_t(key_[3] + c + (crc.value[c] >> 16));
  }
}

void Rar15Cipher::Crypt(uint8_t* data, size_t n) {
  const CrcTable& crc = Crc();
  auto ror1 = [](uint16_t x) { return uint16_t((x >> 1) | (x << 15)); };
  for (size_t i = 0; i < n; ++i) {
    key_[0] = uint16_t(key_[0] + 0x1234);
    const uint32_t t = crc.value[(key_[0] & 0x1FE) >> 1];
    key_[1] ^= uint16_t(t);
    key_[2] = uint16_t(key_[2] - (t >> 16));
    key_[0] ^= key_[2];
    key_[3] = uint16_t(ror1(key_[3]) ^ key_[1]);
    key_[3] = ror1(key_[3]);
    key_[0] ^= key_[3];
    data[i] ^= uint8_t(key_[0] >> 8);
  }
}

std::unique_ptr<PackedSource> NewOldCipherSource(std::unique_ptr<PackedSource> packed, int scheme,
                                                 const std::string& password) {
  if (scheme == 20) return std::make_unique<Rar20Source>(std::move(packed), password);
  return std::make_unique<Rar15Source>(std::move(packed), password);
}

}  // namespace unrar
