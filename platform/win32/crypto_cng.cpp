// The cryptographic primitives over CNG. bcrypt.dll is not a KnownDLL, so it is loaded at run time
// from System32 only; when that fails every primitive reports failure.
#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <mutex>
#include <string>

#include "platform/crypto.h"
#include "platform/win32/system_dlls.h"

namespace platform {
namespace crypto {
namespace {

typedef NTSTATUS(WINAPI* OpenAlgorithmProviderFn)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
typedef NTSTATUS(WINAPI* SetPropertyFn)(BCRYPT_HANDLE, LPCWSTR, PUCHAR, ULONG, ULONG);
typedef NTSTATUS(WINAPI* CreateHashFn)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG);
typedef NTSTATUS(WINAPI* HashDataFn)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
typedef NTSTATUS(WINAPI* FinishHashFn)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
typedef NTSTATUS(WINAPI* DuplicateHashFn)(BCRYPT_HASH_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, ULONG);
typedef NTSTATUS(WINAPI* DestroyHashFn)(BCRYPT_HASH_HANDLE);
typedef NTSTATUS(WINAPI* GenerateSymmetricKeyFn)(BCRYPT_ALG_HANDLE, BCRYPT_KEY_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG,
                                                 ULONG);
typedef NTSTATUS(WINAPI* DestroyKeyFn)(BCRYPT_KEY_HANDLE);
typedef NTSTATUS(WINAPI* DecryptFn)(BCRYPT_KEY_HANDLE, PUCHAR, ULONG, VOID*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG*,
                                    ULONG);
typedef NTSTATUS(WINAPI* DeriveKeyPbkdf2Fn)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, PUCHAR, ULONG, ULONGLONG, PUCHAR, ULONG,
                                            ULONG);

// bcrypt.dll's functions and the algorithm handles, opened once for the process.
struct Cng {
  OpenAlgorithmProviderFn open_algorithm = nullptr;
  SetPropertyFn set_property = nullptr;
  CreateHashFn create_hash = nullptr;
  HashDataFn hash_data = nullptr;
  FinishHashFn finish_hash = nullptr;
  DuplicateHashFn duplicate_hash = nullptr;
  DestroyHashFn destroy_hash = nullptr;
  GenerateSymmetricKeyFn generate_key = nullptr;
  DestroyKeyFn destroy_key = nullptr;
  DecryptFn decrypt = nullptr;
  DeriveKeyPbkdf2Fn pbkdf2 = nullptr;
  BCRYPT_ALG_HANDLE sha1 = nullptr;
  BCRYPT_ALG_HANDLE sha256 = nullptr;
  BCRYPT_ALG_HANDLE hmac_sha256 = nullptr;
  BCRYPT_ALG_HANDLE aes_cbc = nullptr;
};

template <typename T>
bool Resolve(HMODULE dll, const char* name, T* fn) {
  *fn = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
  return *fn != nullptr;
}

const Cng* LoadCng() {
  static Cng cng;
  static bool ok = false;
  static std::once_flag once;
  std::call_once(once, [] {
    HMODULE dll = LoadSystemDll(L"bcrypt.dll");
    if (!dll) return;
    bool resolved = Resolve(dll, "BCryptOpenAlgorithmProvider", &cng.open_algorithm) &&
                    Resolve(dll, "BCryptSetProperty", &cng.set_property) &&
                    Resolve(dll, "BCryptCreateHash", &cng.create_hash) &&
                    Resolve(dll, "BCryptHashData", &cng.hash_data) &&
                    Resolve(dll, "BCryptFinishHash", &cng.finish_hash) &&
                    Resolve(dll, "BCryptDuplicateHash", &cng.duplicate_hash) &&
                    Resolve(dll, "BCryptDestroyHash", &cng.destroy_hash) &&
                    Resolve(dll, "BCryptGenerateSymmetricKey", &cng.generate_key) &&
                    Resolve(dll, "BCryptDestroyKey", &cng.destroy_key) &&
                    Resolve(dll, "BCryptDecrypt", &cng.decrypt) &&
                    Resolve(dll, "BCryptDeriveKeyPBKDF2", &cng.pbkdf2);
    if (!resolved) return;
    if (!BCRYPT_SUCCESS(cng.open_algorithm(&cng.sha1, BCRYPT_SHA1_ALGORITHM, nullptr, 0)) ||
        !BCRYPT_SUCCESS(cng.open_algorithm(&cng.sha256, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
        !BCRYPT_SUCCESS(
            cng.open_algorithm(&cng.hmac_sha256, BCRYPT_SHA256_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG)) ||
        !BCRYPT_SUCCESS(cng.open_algorithm(&cng.aes_cbc, BCRYPT_AES_ALGORITHM, nullptr, 0)))
      return;
    const wchar_t* mode = BCRYPT_CHAIN_MODE_CBC;
    if (!BCRYPT_SUCCESS(cng.set_property(cng.aes_cbc, BCRYPT_CHAINING_MODE,
                                         reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(mode)),
                                         static_cast<ULONG>((wcslen(mode) + 1) * sizeof(wchar_t)), 0)))
      return;
    ok = true;
  });
  return ok ? &cng : nullptr;
}

class CngHash : public Hash {
 public:
  CngHash(const Cng* cng, BCRYPT_HASH_HANDLE h, ULONG size) : cng_(cng), h_(h), size_(size) {}
  ~CngHash() override {
    if (h_) cng_->destroy_hash(h_);
  }
  bool Update(const void* data, size_t n) override {
    const UCHAR* p = static_cast<const UCHAR*>(data);
    while (n > 0) {
      ULONG chunk = n > 0x10000000 ? 0x10000000 : static_cast<ULONG>(n);
      if (!BCRYPT_SUCCESS(cng_->hash_data(h_, const_cast<PUCHAR>(p), chunk, 0))) return false;
      p += chunk;
      n -= chunk;
    }
    return true;
  }
  std::unique_ptr<Hash> Clone() const override {
    BCRYPT_HASH_HANDLE copy = nullptr;
    if (!BCRYPT_SUCCESS(cng_->duplicate_hash(h_, &copy, nullptr, 0, 0))) return nullptr;
    return std::make_unique<CngHash>(cng_, copy, size_);
  }
  bool Final(uint8_t* digest) override { return BCRYPT_SUCCESS(cng_->finish_hash(h_, digest, size_, 0)); }

 private:
  const Cng* cng_;
  BCRYPT_HASH_HANDLE h_;
  ULONG size_;
};

std::unique_ptr<Hash> NewHash(BCRYPT_ALG_HANDLE Cng::*alg, ULONG size, const void* key = nullptr,
                              size_t key_size = 0) {
  const Cng* cng = LoadCng();
  if (!cng) return nullptr;
  BCRYPT_HASH_HANDLE h = nullptr;
  if (!BCRYPT_SUCCESS(cng->create_hash(cng->*alg, &h, nullptr, 0,
                                       static_cast<PUCHAR>(const_cast<void*>(key)), static_cast<ULONG>(key_size), 0)))
    return nullptr;
  return std::make_unique<CngHash>(cng, h, size);
}

class CngAes : public AesCbcDecryptor {
 public:
  CngAes(const Cng* cng, BCRYPT_KEY_HANDLE key, const uint8_t iv[16]) : cng_(cng), key_(key) { memcpy(iv_, iv, 16); }
  ~CngAes() override { cng_->destroy_key(key_); }
  bool Decrypt(uint8_t* data, size_t n) override {
    if (n % 16 != 0) return false;
    while (n > 0) {
      ULONG chunk = n > 0x1000000 ? 0x1000000 : static_cast<ULONG>(n);
      ULONG out = 0;
      // CNG leaves the last cipher block in iv_, which chains the next call.
      if (!BCRYPT_SUCCESS(cng_->decrypt(key_, data, chunk, nullptr, iv_, 16, data, chunk, &out, 0)) || out != chunk)
        return false;
      data += chunk;
      n -= chunk;
    }
    return true;
  }

 private:
  const Cng* cng_;
  BCRYPT_KEY_HANDLE key_;
  UCHAR iv_[16];
};

}  // namespace

std::unique_ptr<Hash> NewSha1() { return NewHash(&Cng::sha1, 20); }
std::unique_ptr<Hash> NewSha256() { return NewHash(&Cng::sha256, 32); }

bool Sha256(const void* data, size_t n, uint8_t digest[32]) {
  auto h = NewSha256();
  return h && h->Update(data, n) && h->Final(digest);
}

bool HmacSha256(const void* key, size_t key_size, const void* data, size_t n, uint8_t mac[32]) {
  auto h = NewHash(&Cng::hmac_sha256, 32, key, key_size);
  return h && h->Update(data, n) && h->Final(mac);
}

bool Pbkdf2HmacSha256(const void* password, size_t password_size, const void* salt, size_t salt_size,
                      uint32_t iterations, uint8_t* out, size_t out_size) {
  const Cng* cng = LoadCng();
  if (!cng || iterations == 0) return false;
  return BCRYPT_SUCCESS(cng->pbkdf2(cng->hmac_sha256, static_cast<PUCHAR>(const_cast<void*>(password)),
                                    static_cast<ULONG>(password_size), static_cast<PUCHAR>(const_cast<void*>(salt)),
                                    static_cast<ULONG>(salt_size), iterations, out, static_cast<ULONG>(out_size), 0));
}

std::unique_ptr<AesCbcDecryptor> NewAesCbcDecryptor(const uint8_t* key, size_t key_size, const uint8_t iv[16]) {
  const Cng* cng = LoadCng();
  if (!cng || (key_size != 16 && key_size != 32)) return nullptr;
  BCRYPT_KEY_HANDLE k = nullptr;
  if (!BCRYPT_SUCCESS(cng->generate_key(cng->aes_cbc, &k, nullptr, 0, const_cast<PUCHAR>(key),
                                        static_cast<ULONG>(key_size), 0)))
    return nullptr;
  return std::make_unique<CngAes>(cng, k, iv);
}

}  // namespace crypto
}  // namespace platform
