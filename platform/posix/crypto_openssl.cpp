// The cryptographic primitives over OpenSSL's libcrypto (EVP interfaces).
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include "platform/crypto.h"

namespace platform {
namespace crypto {
namespace {

class EvpHash : public Hash {
 public:
  explicit EvpHash(const EVP_MD* md) : ctx_(EVP_MD_CTX_new()) {
    if (ctx_ && EVP_DigestInit_ex(ctx_, md, nullptr) != 1) {
      EVP_MD_CTX_free(ctx_);
      ctx_ = nullptr;
    }
  }
  explicit EvpHash(EVP_MD_CTX* ctx) : ctx_(ctx) {}
  ~EvpHash() override { EVP_MD_CTX_free(ctx_); }
  bool ok() const { return ctx_ != nullptr; }
  bool Update(const void* data, size_t n) override { return ctx_ && EVP_DigestUpdate(ctx_, data, n) == 1; }
  std::unique_ptr<Hash> Clone() const override {
    EVP_MD_CTX* copy = EVP_MD_CTX_new();
    if (!copy || !ctx_ || EVP_MD_CTX_copy_ex(copy, ctx_) != 1) {
      EVP_MD_CTX_free(copy);
      return nullptr;
    }
    return std::make_unique<EvpHash>(copy);
  }
  bool Final(uint8_t* digest) override { return ctx_ && EVP_DigestFinal_ex(ctx_, digest, nullptr) == 1; }

 private:
  EVP_MD_CTX* ctx_;
};

std::unique_ptr<Hash> NewHash(const EVP_MD* md) {
  auto h = std::make_unique<EvpHash>(md);
  if (!h->ok()) return nullptr;
  return h;
}

class EvpAes : public AesCbcDecryptor {
 public:
  EvpAes(const uint8_t* key, size_t key_size, const uint8_t iv[16]) : ctx_(EVP_CIPHER_CTX_new()) {
    const EVP_CIPHER* cipher = key_size == 16 ? EVP_aes_128_cbc() : EVP_aes_256_cbc();
    if (ctx_ && (EVP_DecryptInit_ex(ctx_, cipher, nullptr, key, iv) != 1 || EVP_CIPHER_CTX_set_padding(ctx_, 0) != 1)) {
      EVP_CIPHER_CTX_free(ctx_);
      ctx_ = nullptr;
    }
  }
  ~EvpAes() override { EVP_CIPHER_CTX_free(ctx_); }
  bool ok() const { return ctx_ != nullptr; }
  bool Decrypt(uint8_t* data, size_t n) override {
    if (!ctx_ || n % 16 != 0) return false;
    while (n > 0) {
      int chunk = n > (1u << 30) ? (1 << 30) : static_cast<int>(n);
      int out = 0;
      if (EVP_DecryptUpdate(ctx_, data, &out, data, chunk) != 1 || out != chunk) return false;
      data += chunk;
      n -= static_cast<size_t>(chunk);
    }
    return true;
  }

 private:
  EVP_CIPHER_CTX* ctx_;
};

}  // namespace

std::unique_ptr<Hash> NewSha1() { return NewHash(EVP_sha1()); }
std::unique_ptr<Hash> NewSha256() { return NewHash(EVP_sha256()); }

bool Sha256(const void* data, size_t n, uint8_t digest[32]) {
  return EVP_Digest(data, n, digest, nullptr, EVP_sha256(), nullptr) == 1;
}

bool HmacSha256(const void* key, size_t key_size, const void* data, size_t n, uint8_t mac[32]) {
  unsigned int len = 0;
  return HMAC(EVP_sha256(), key, static_cast<int>(key_size), static_cast<const unsigned char*>(data), n, mac, &len) !=
             nullptr &&
         len == 32;
}

bool Pbkdf2HmacSha256(const void* password, size_t password_size, const void* salt, size_t salt_size,
                      uint32_t iterations, uint8_t* out, size_t out_size) {
  if (iterations == 0 || iterations > 0x7FFFFFFF) return false;
  return PKCS5_PBKDF2_HMAC(static_cast<const char*>(password), static_cast<int>(password_size),
                           static_cast<const unsigned char*>(salt), static_cast<int>(salt_size),
                           static_cast<int>(iterations), EVP_sha256(), static_cast<int>(out_size), out) == 1;
}

std::unique_ptr<AesCbcDecryptor> NewAesCbcDecryptor(const uint8_t* key, size_t key_size, const uint8_t iv[16]) {
  if (key_size != 16 && key_size != 32) return nullptr;
  auto d = std::make_unique<EvpAes>(key, key_size, iv);
  if (!d->ok()) return nullptr;
  return d;
}

}  // namespace crypto
}  // namespace platform
