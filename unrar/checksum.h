#pragma once
// Checksums of entry data and headers: CRC-32 (IEEE, reflected) and BLAKE2sp, RAR5's 256-bit hash.
#include <cstddef>
#include <cstdint>

#include "util/crc32.h"

namespace unrar {

using util::Crc32;

class Blake2s {
 public:
  // A node of a BLAKE2sp tree: fanout 8, depth 2, 32-byte digests.
  Blake2s(uint32_t node_offset, uint32_t node_depth, bool last_node);
  Blake2s();  // plain unkeyed BLAKE2s-256
  void Update(const uint8_t* data, size_t n);
  void Final(uint8_t digest[32]);

 private:
  void Init(uint32_t param0, uint32_t param2, uint32_t param3, bool last_node);
  void Compress(const uint8_t block[64], bool final_block);
  uint32_t h_[8];
  uint64_t counter_ = 0;
  uint8_t buf_[64];
  size_t buffered_ = 0;
  bool last_node_ = false;
};

// BLAKE2sp: 8 BLAKE2s leaves take the input in 64-byte stripes, a root hashes their digests.
class Blake2sp {
 public:
  Blake2sp();
  void Update(const uint8_t* data, size_t n);
  void Final(uint8_t digest[32]);

 private:
  Blake2s leaves_[8];
  uint64_t position_ = 0;
};

}  // namespace unrar
