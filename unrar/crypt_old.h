#pragma once
// The ciphers of RAR 1.5 (a keyed byte stream) and RAR 2.0 (a 16-byte block cipher whose keys
// change with every block). Neither carries a password check: a wrong password shows up only as
// damaged data or a checksum mismatch.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "unrar/unpack.h"

namespace unrar {

class Rar20Cipher {
 public:
  static constexpr size_t kBlock = 16;
  explicit Rar20Cipher(const std::string& password);
  void EncryptBlock(uint8_t* block);
  void DecryptBlock(uint8_t* block);

 private:
  uint32_t Substitute(uint32_t t) const;
  void Rounds(uint8_t* block, bool encrypt);
  void UpdateKeys(const uint8_t* block);
  uint32_t key_[4];
  uint8_t subst_[256];
};

class Rar15Cipher {
 public:
  explicit Rar15Cipher(const std::string& password);
  // The same keystream encrypts and decrypts.
  void Crypt(uint8_t* data, size_t n);

 private:
  uint16_t key_[4];
};

// The entry's packed bytes as the decoders need them: decrypted with the cipher of `scheme`
// (15 or 20). The password is in the archive's single-byte code page.
std::unique_ptr<PackedSource> NewOldCipherSource(std::unique_ptr<PackedSource> packed, int scheme,
                                                 const std::string& password);

}  // namespace unrar
