#include "unrar/rar_keys.h"

#include <cstring>

#include "platform/crypto.h"
#include "unrar/unrar.h"

namespace unrar {


namespace crypto = platform::crypto;

bool DeriveRar3Key(const std::u16string& password, const uint8_t* salt8, uint8_t key[16], uint8_t iv[16]) {
  std::vector<uint8_t> raw;
  for (char16_t c : password) {
    raw.push_back(static_cast<uint8_t>(c));
    raw.push_back(static_cast<uint8_t>(c >> 8));
  }
  if (salt8) raw.insert(raw.end(), salt8, salt8 + 8);
  auto sha = crypto::NewSha1();
  if (!sha) return false;
  const uint32_t kRounds = 0x40000;
  for (uint32_t i = 0; i < kRounds; i++) {
    uint8_t counter[3] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i >> 16)};
    if (!sha->Update(raw.data(), raw.size()) || !sha->Update(counter, 3)) return false;
    if (i % (kRounds / 16) == 0) {
      auto copy = sha->Clone();
      uint8_t digest[20];
      if (!copy || !copy->Final(digest)) return false;
      iv[i / (kRounds / 16)] = digest[19];  // low byte of the fifth digest word
    }
  }
  uint8_t digest[20];
  if (!sha->Final(digest)) return false;
  // The first four digest words, each little-endian.
  for (int w = 0; w < 4; w++)
    for (int j = 0; j < 4; j++) key[w * 4 + j] = digest[w * 4 + 3 - j];
  return true;
}

bool DeriveRar5Keys(const std::string& password, const uint8_t salt[16], int kdf_log2, Rar5Keys* keys) {
  if (kdf_log2 < 0 || kdf_log2 > kRar5MaxKdfLog2) return false;
  uint8_t block[20];
  memcpy(block, salt, 16);
  block[16] = 0;
  block[17] = 0;
  block[18] = 0;
  block[19] = 1;
  uint8_t u[32], t[32];
  if (!crypto::HmacSha256(password.data(), password.size(), block, sizeof block, u)) return false;
  memcpy(t, u, 32);
  // One PBKDF2 chain read at three points: the key, then 16 and 32 iterations further.
  uint8_t* outputs[3] = {keys->key, keys->hash_key, nullptr};
  uint8_t check_full[32];
  outputs[2] = check_full;
  uint32_t counts[3] = {1u << kdf_log2, 16, 16};
  for (int stage = 0; stage < 3; stage++) {
    for (uint32_t j = 1; j < counts[stage] + (stage == 0 ? 0 : 1); j++) {
      uint8_t next[32];
      if (!crypto::HmacSha256(password.data(), password.size(), u, 32, next)) return false;
      memcpy(u, next, 32);
      for (int k = 0; k < 32; k++) t[k] ^= u[k];
    }
    memcpy(outputs[stage], t, 32);
  }
  memset(keys->check, 0, 8);
  for (int i = 0; i < 32; i++) keys->check[i % 8] ^= check_full[i];
  return true;
}

PasswordCheck CheckRar5Password(const Rar5Keys& keys, const uint8_t stored[12]) {
  uint8_t digest[32];
  if (!crypto::Sha256(stored, 8, digest) || memcmp(digest, stored + 8, 4) != 0) return PasswordCheck::Damaged;
  return memcmp(keys.check, stored, 8) == 0 ? PasswordCheck::Match : PasswordCheck::Mismatch;
}

uint32_t TweakRar5Crc(uint32_t crc, const uint8_t hash_key[32]) {
  uint8_t raw[4] = {static_cast<uint8_t>(crc), static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc >> 16),
                    static_cast<uint8_t>(crc >> 24)};
  uint8_t mac[32];
  if (!crypto::HmacSha256(hash_key, 32, raw, 4, mac)) return ~crc;  // never matches by accident
  uint32_t out = 0;
  for (int i = 0; i < 32; i++) out ^= static_cast<uint32_t>(mac[i]) << (8 * (i % 4));
  return out;
}

void TweakRar5Blake2(uint8_t digest[32], const uint8_t hash_key[32]) {
  uint8_t mac[32];
  if (!crypto::HmacSha256(hash_key, 32, digest, 32, mac)) {
    for (int i = 0; i < 32; i++) digest[i] = static_cast<uint8_t>(~digest[i]);
    return;
  }
  memcpy(digest, mac, 32);
}

bool KeyCache::Rar3(const std::u16string& password, const uint8_t* salt8, uint8_t key[16], uint8_t iv[16]) {
  std::string id(reinterpret_cast<const char*>(password.data()), password.size() * 2);
  id += salt8 ? std::string(reinterpret_cast<const char*>(salt8), 8) + "s" : std::string("n");
  auto it = rar3_.find(id);
  if (it == rar3_.end()) {
    if (!Spend(0x40000)) return false;
    std::vector<uint8_t> both(32);
    if (!DeriveRar3Key(password, salt8, both.data(), both.data() + 16)) return false;
    it = rar3_.emplace(id, both).first;
  }
  memcpy(key, it->second.data(), 16);
  memcpy(iv, it->second.data() + 16, 16);
  return true;
}

bool KeyCache::Rar5(const std::string& password, const uint8_t salt[16], int kdf_log2, Rar5Keys* keys) {
  std::string id = password + '\0' + std::string(reinterpret_cast<const char*>(salt), 16) + char(kdf_log2);
  auto it = rar5_.find(id);
  if (it == rar5_.end()) {
    if (kdf_log2 < 0 || kdf_log2 > kRar5MaxKdfLog2 || !Spend((uint64_t(1) << kdf_log2) + 32)) return false;
    Rar5Keys k;
    if (!DeriveRar5Keys(password, salt, kdf_log2, &k)) return false;
    it = rar5_.emplace(id, k).first;
  }
  *keys = it->second;
  return true;
}

bool KeyCache::Spend(uint64_t iterations) {
  // The first derivation is always allowed, however costly the archive makes it.
  if (spent_ > 0 && spent_ + iterations > budget_) {
    exhausted_ = true;
    return false;
  }
  spent_ += iterations;
  return true;
}

int KeyCache::failure_code() const { return exhausted_ ? ERAR_BAD_DATA : ERAR_UNKNOWN; }

}  // namespace unrar
