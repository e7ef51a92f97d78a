#pragma once
// Salts and IVs from a seed, so the writer's output is reproducible.
#include <cstdint>
#include <string>

namespace rarwriter {

class SeededBytes {
 public:
  explicit SeededBytes(uint64_t seed) : state_(seed) {}
  std::string Take(size_t n) {
    std::string out;
    while (out.size() < n) {
      uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);  // splitmix64
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
      z ^= z >> 31;
      for (int i = 0; i < 8 && out.size() < n; ++i) out += static_cast<char>(z >> (8 * i));
    }
    return out;
  }

 private:
  uint64_t state_;
};

inline std::string PadTo16(std::string data) {
  data.resize((data.size() + 15) / 16 * 16, '\0');
  return data;
}

}  // namespace rarwriter
