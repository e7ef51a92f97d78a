#pragma once
// The RAR-specific key derivations over the platform primitives: RAR 3.x (AES-128, a SHA-1 loop
// over password and salt) and RAR5 (AES-256, PBKDF2-HMAC-SHA256 continued for the hash key and
// the password check value), and RAR5's MAC-tweaked checksums.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace unrar {

// Key and IV from a password (UTF-16LE) and an optional 8-byte salt.
bool DeriveRar3Key(const std::u16string& password, const uint8_t* salt8, uint8_t key[16], uint8_t iv[16]);

struct Rar5Keys {
  uint8_t key[32];
  uint8_t hash_key[32];
  uint8_t check[8];  // the folded password check value
};

constexpr int kRar5MaxKdfLog2 = 24;

bool DeriveRar5Keys(const std::string& password_utf8, const uint8_t salt[16], int kdf_log2, Rar5Keys* keys);

enum class PasswordCheck { Match, Mismatch, Damaged };
// Compares a stored 12-byte check record with the derived value.
PasswordCheck CheckRar5Password(const Rar5Keys& keys, const uint8_t stored[12]);

// The stored form of a checksum when the archive hides checksums behind the hash key.
uint32_t TweakRar5Crc(uint32_t crc, const uint8_t hash_key[32]);
void TweakRar5Blake2(uint8_t digest[32], const uint8_t hash_key[32]);

// Derivations are slow on purpose; an archive reuses them for every header and entry of one salt.
// RAR gives one archive one salt, so a hostile archive with a new salt (or a huge iteration count)
// for every entry would keep a test busy for hours: past a budget of work, derivation fails.
class KeyCache {
 public:
  // About a second or two of hashing: dozens of RAR3 salts, hundreds of RAR5 ones at RAR's own
  // count, or one derivation at the highest count RAR5 allows.
  static constexpr uint64_t kDefaultBudget = uint64_t(1) << 24;
  explicit KeyCache(uint64_t budget = kDefaultBudget) : budget_(budget) {}
  bool Rar3(const std::u16string& password, const uint8_t* salt8, uint8_t key[16], uint8_t iv[16]);
  bool Rar5(const std::string& password_utf8, const uint8_t salt[16], int kdf_log2, Rar5Keys* keys);
  // The code for a failed derivation: damaged data when the budget ran out, else a platform failure.
  int failure_code() const;

 private:
  bool Spend(uint64_t iterations);
  uint64_t budget_;
  uint64_t spent_ = 0;
  bool exhausted_ = false;
  std::map<std::string, std::vector<uint8_t>> rar3_;
  std::map<std::string, Rar5Keys> rar5_;
};

}  // namespace unrar
