// Encryption is added once the platform's cryptographic primitives are in the tree.
#include "tests/rarwriter/writer_crypto.h"

#include <stdexcept>

namespace rarwriter {
namespace {
[[noreturn]] void Unavailable() { throw std::invalid_argument("rarwriter: encryption is not available in this build"); }
}  // namespace

Rar3Key DeriveRar3Key(std::u16string_view, std::string_view) { Unavailable(); }
Rar5Key DeriveRar5Key(std::string_view, std::string_view, int) { Unavailable(); }
uint32_t TweakCrc(uint32_t, const Rar5Key&) { Unavailable(); }
std::string AesCbcEncrypt(std::string_view, std::string_view, std::string_view) { Unavailable(); }
bool CryptoAvailable() { return false; }

}  // namespace rarwriter
