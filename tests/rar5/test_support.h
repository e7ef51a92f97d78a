#pragma once
// Helpers of the RAR5 decoder tests: feeding bytes to an Unpacker, and finding the packed
// streams of unencrypted RAR5 corpus archives without the archive reader.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "unrar/unpack.h"

namespace rar5test {

struct DecodeResult {
  unrar::UnpackStatus status;
  std::vector<uint8_t> out;
  size_t writes = 0;  // sink calls
};

// Decodes packed (handed over in pieces of at most `chunk` bytes) with the given parameters.
DecodeResult Decode(unrar::Unpacker& unpacker, const std::vector<uint8_t>& packed,
                    const unrar::UnpackParams& params, size_t chunk = 1 << 20);

uint32_t Crc32(const std::vector<uint8_t>& data);

// One file entry of a RAR5 archive: its packed data joined across volumes.
struct CorpusEntry {
  std::string name;
  std::vector<uint8_t> packed;
  unrar::UnpackParams params;
  bool compressed = false;
};

std::string CorpusFile(const std::string& name);
// name.partN.rar -> name.partN+1.rar; empty when the name has no volume number.
std::string NextVolumeName(std::string name);
// Entries of an unencrypted RAR5 archive, following its volumes.
std::vector<CorpusEntry> ReadRar5Entries(const std::string& first_volume);

struct ManifestRow {
  std::string file, format, password, expected;
};
std::vector<ManifestRow> ReadManifest();

struct ExpectedEntry {
  std::string name;
  uint64_t size = 0;
  std::string crc;  // lowercase hex, "dir" or "-"
};
std::vector<ExpectedEntry> ReadExpected(const std::string& archive);

}  // namespace rar5test
