// RAR's key derivations over the platform's hashes, and AES-CBC encryption.
#include "tests/rarwriter/writer_crypto.h"

#include <cstring>
#include <memory>
#include <stdexcept>

#include "platform/crypto.h"
#include "tests/rarwriter/aes_encrypt.h"

namespace rarwriter {
namespace crypto = platform::crypto;

namespace {
[[noreturn]] void Failed(const char* what) {
  throw std::runtime_error(std::string("rarwriter: the platform's ") + what + " failed");
}
}  // namespace

Rar3Key DeriveRar3Key(std::u16string_view password, std::string_view salt8) {
  constexpr uint32_t kRounds = 0x40000;
  std::string round;  // UTF-16LE password, salt, then a 3-byte round number
  for (char16_t c : password) {
    round += static_cast<char>(c & 0xFF);
    round += static_cast<char>(c >> 8);
  }
  round += salt8;
  const size_t counter = round.size();
  round.append(3, '\0');

  Rar3Key out{};
  std::unique_ptr<crypto::Hash> sha1 = crypto::NewSha1();
  if (!sha1) Failed("SHA-1");
  uint8_t digest[20];
  for (uint32_t i = 0; i < kRounds; ++i) {
    round[counter] = static_cast<char>(i);
    round[counter + 1] = static_cast<char>(i >> 8);
    round[counter + 2] = static_cast<char>(i >> 16);
    if (!sha1->Update(round.data(), round.size())) Failed("SHA-1");
    if (i % (kRounds / 16) == 0) {
      // One IV byte every 1/16 of the way: the low byte of the last digest word.
      std::unique_ptr<crypto::Hash> copy = sha1->Clone();
      if (!copy || !copy->Final(digest)) Failed("SHA-1");
      out.iv[i / (kRounds / 16)] = digest[19];
    }
  }
  if (!sha1->Final(digest)) Failed("SHA-1");
  // The key is the first four digest words, each written least significant byte first.
  for (int word = 0; word < 4; ++word) {
    for (int b = 0; b < 4; ++b) out.key[4 * word + b] = digest[4 * word + 3 - b];
  }
  return out;
}

Rar5Key DeriveRar5Key(std::string_view password, std::string_view salt16, int kdf_log2) {
  // RAR continues one PBKDF2 chain: the key after 2^n rounds, the MAC key 16 rounds later, the
  // password check another 16 later. With a 32-byte output each is PBKDF2 at that count.
  const uint32_t rounds = 1u << kdf_log2;
  Rar5Key out{};
  uint8_t check_source[32];
  if (!crypto::Pbkdf2HmacSha256(password.data(), password.size(), salt16.data(), salt16.size(), rounds,
                                out.key.data(), 32) ||
      !crypto::Pbkdf2HmacSha256(password.data(), password.size(), salt16.data(), salt16.size(), rounds + 16,
                                out.hash_key.data(), 32) ||
      !crypto::Pbkdf2HmacSha256(password.data(), password.size(), salt16.data(), salt16.size(), rounds + 32,
                                check_source, 32)) {
    Failed("PBKDF2");
  }
  uint8_t check[8] = {};
  for (int i = 0; i < 32; ++i) check[i % 8] ^= check_source[i];
  uint8_t sum[32];
  if (!crypto::Sha256(check, 8, sum)) Failed("SHA-256");
  std::memcpy(out.check.data(), check, 8);
  std::memcpy(out.check.data() + 8, sum, 4);
  return out;
}

uint32_t TweakCrc(uint32_t crc, const Rar5Key& key) {
  const uint8_t le[4] = {static_cast<uint8_t>(crc), static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc >> 16),
                         static_cast<uint8_t>(crc >> 24)};
  uint8_t mac[32];
  if (!crypto::HmacSha256(key.hash_key.data(), 32, le, 4, mac)) Failed("HMAC-SHA256");
  uint32_t out = 0;
  for (int i = 0; i < 32; ++i) out ^= static_cast<uint32_t>(mac[i]) << (8 * (i % 4));
  return out;
}

std::string AesCbcEncrypt(std::string_view key, std::string_view iv, std::string_view data) {
  return AesCbcEncryptWith(AesEncryptor(key), iv, data);
}

}  // namespace rarwriter
