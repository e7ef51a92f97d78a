#pragma once
// The encryption the writer needs, in RAR's two flavours. Primitives come from the platform.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace rarwriter {

// RAR 2.9-4.x: AES-128 key and IV from the password (UTF-16LE) and an 8-byte salt.
struct Rar3Key {
  std::array<uint8_t, 16> key;
  std::array<uint8_t, 16> iv;
};
Rar3Key DeriveRar3Key(std::u16string_view password, std::string_view salt8);

// RAR5: AES-256 key, the MAC key for checksums and the 8-byte password check, from PBKDF2.
struct Rar5Key {
  std::array<uint8_t, 32> key;
  std::array<uint8_t, 32> hash_key;
  std::array<uint8_t, 12> check;  // 8 check bytes + 4 bytes of their SHA-256
};
Rar5Key DeriveRar5Key(std::string_view password_utf8, std::string_view salt16, int kdf_log2);

// RAR5's "tweaked" CRC of an encrypted entry: the CRC through an HMAC keyed by hash_key.
uint32_t TweakCrc(uint32_t crc, const Rar5Key& key);

// AES-CBC over data whose size is a multiple of 16; the key is 16 or 32 bytes.
std::string AesCbcEncrypt(std::string_view key, std::string_view iv, std::string_view data);


}  // namespace rarwriter
