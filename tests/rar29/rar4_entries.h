#pragma once
// The packed streams of RAR4 corpus archives, found without the archive reader so that the
// decoder is tested on its own.
#include <string>
#include <vector>

#include "unrar/unpack.h"

namespace rar29test {

struct Rar4Entry {
  std::vector<uint8_t> packed;  // joined across volumes
  unrar::UnpackParams params;
  bool compressed = false;      // neither stored nor a directory
  bool encrypted = false;
};

// Every file header of the archive in order (directories included, so the list lines up with
// the expected listing). Empty for archives with encrypted headers.
std::vector<Rar4Entry> ReadRar4Entries(const std::string& first_volume);

}  // namespace rar29test
