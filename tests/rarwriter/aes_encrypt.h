#pragma once
// The AES forward cipher (FIPS-197), for the writer only. The platform layer gives the library
// decryption; a test writer must encrypt, so it carries this small block cipher of its own.
#include <cstdint>
#include <string>
#include <string_view>

namespace rarwriter {

class AesEncryptor {
 public:
  // key is 16 (AES-128) or 32 (AES-256) bytes.
  explicit AesEncryptor(std::string_view key);
  void EncryptBlock(const uint8_t in[16], uint8_t out[16]) const;

 private:
  int rounds_;
  uint8_t round_keys_[15 * 16];
};

// CBC over data whose size is a multiple of 16, no padding.
std::string AesCbcEncryptWith(const AesEncryptor& aes, std::string_view iv, std::string_view data);

}  // namespace rarwriter
