#pragma once
// The cryptographic primitives the RAR library needs, taken from the platform: CNG (bcrypt.dll,
// loaded from System32 at run time) on Windows, OpenSSL's libcrypto natively. A false or null
// result means the primitive is not available or failed; the caller reports an error.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {
namespace crypto {

// An incremental hash that can be copied mid-stream (the RAR3 key derivation needs that).
class Hash {
 public:
  virtual ~Hash() = default;
  virtual bool Update(const void* data, size_t n) = 0;
  virtual std::unique_ptr<Hash> Clone() const = 0;
  virtual bool Final(uint8_t* digest) = 0;  // 20 bytes for SHA-1, 32 for SHA-256
};

std::unique_ptr<Hash> NewSha1();
std::unique_ptr<Hash> NewSha256();

bool Sha256(const void* data, size_t n, uint8_t digest[32]);
bool HmacSha256(const void* key, size_t key_size, const void* data, size_t n, uint8_t mac[32]);
bool Pbkdf2HmacSha256(const void* password, size_t password_size, const void* salt, size_t salt_size,
                      uint32_t iterations, uint8_t* out, size_t out_size);

// AES-CBC decryption without padding, chained across calls.
class AesCbcDecryptor {
 public:
  virtual ~AesCbcDecryptor() = default;
  // n must be a multiple of 16; decrypts in place.
  virtual bool Decrypt(uint8_t* data, size_t n) = 0;
};

// key_size 16 (AES-128) or 32 (AES-256); iv is 16 bytes.
std::unique_ptr<AesCbcDecryptor> NewAesCbcDecryptor(const uint8_t* key, size_t key_size, const uint8_t iv[16]);

}  // namespace crypto
}  // namespace platform
