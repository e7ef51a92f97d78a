#pragma once
// Parsing of single headers of both formats, from bytes already read (and decrypted).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "unrar/entry.h"

namespace unrar {

enum class BlockKind { Main, File, Service, End, Crypt, Other };

struct Block {
  BlockKind kind = BlockKind::Other;
  int rar4_type = 0;
  uint64_t data_size = 0;  // bytes of data after the header
  ArchiveInfo main;
  std::vector<uint8_t> old_comment;  // RAR 1.5-2.x comment embedded in the main or file header
  Entry entry;                       // File and Service
  std::string service_name;          // Service: "CMT", "RR", ...
  bool end_more_volumes = false;     // End: another volume follows
  EntryCrypt archive_crypt;          // Crypt (RAR5 encrypted headers)
};

// RAR4: the low 16 bits of CRC-32 from the type byte on, with the old formats' exceptions
// (main and file headers with embedded comments, the old Unix-owner block over its data too).
bool Rar4HeaderCrcMatches(const uint8_t* header, size_t size, const uint8_t* data, size_t data_size);
// RAR4: a whole header, HEAD_SIZE bytes. False when its fields do not fit.
bool ParseRar4Header(const uint8_t* header, size_t size, Block* out);

// RAR5: the header after its CRC and size fields (size bytes). False when damaged.
bool ParseRar5Header(const uint8_t* header, size_t size, Block* out);

// Time conversions, zone-free: a DOS time becomes the FILETIME of the same clock reading.
uint64_t DosTimeToFileTime(uint32_t dos);
uint32_t FileTimeToDosTime(uint64_t filetime);
uint64_t UnixTimeToFileTime(int64_t seconds);

}  // namespace unrar
