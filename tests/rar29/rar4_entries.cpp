#include "tests/rar29/rar4_entries.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tests/rar5/test_support.h"

namespace rar29test {
namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) throw std::runtime_error("cannot open " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

uint32_t Le(const std::vector<uint8_t>& a, size_t pos, int bytes) {
  if (pos + bytes > a.size()) throw std::runtime_error("truncated header");
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint32_t(a[pos + i]) << (8 * i);
  return v;
}

}  // namespace

std::vector<Rar4Entry> ReadRar4Entries(const std::string& first_volume) {
  static const uint8_t kSignature[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
  std::vector<Rar4Entry> entries;
  std::string volume = first_volume;
  for (bool more = true; more;) {
    more = false;
    const std::vector<uint8_t> a = ReadFile(volume);
    auto sig = std::search(a.begin(), a.end(), std::begin(kSignature), std::end(kSignature));
    if (sig == a.end()) throw std::runtime_error("not a RAR4 archive: " + volume);
    size_t pos = size_t(sig - a.begin()) + 7;
    while (pos + 7 <= a.size()) {
      const uint8_t type = a[pos + 2];
      const uint32_t flags = Le(a, pos + 3, 2);
      const uint32_t head_size = Le(a, pos + 5, 2);
      if (head_size < 7) break;
      uint64_t data_size = (flags & 0x8000) ? Le(a, pos + 7, 4) : 0;
      if (type == 0x73 && (flags & 0x80)) return {};
      if (type == 0x7B) {
        more = (flags & 1) != 0;
        break;
      }
      if (type == 0x74) {
        data_size = Le(a, pos + 7, 4);
        uint64_t unpacked = Le(a, pos + 11, 4);
        if (flags & 0x100) {
          data_size |= uint64_t(Le(a, pos + 32, 4)) << 32;
          unpacked |= uint64_t(Le(a, pos + 36, 4)) << 32;
        }
        if (!(flags & 0x01)) {
          Rar4Entry e;
          e.params.version = a[pos + 24];
          e.params.unpacked_size = unpacked;
          e.params.solid = (flags & 0x10) != 0;
          e.params.dict_size = uint64_t(0x10000) << ((flags >> 5) & 7);
          e.compressed = a[pos + 25] != 0x30 && (flags & 0xE0) != 0xE0;
          e.encrypted = (flags & 0x04) != 0;
          entries.push_back(e);
        }
        if (entries.empty()) throw std::runtime_error("continued entry first");
        const size_t start = pos + head_size;
        const size_t available = size_t(std::min<uint64_t>(data_size, a.size() > start ? a.size() - start : 0));
        entries.back().packed.insert(entries.back().packed.end(), a.begin() + start, a.begin() + start + available);
      }
      pos += head_size + size_t(data_size);
    }
    // Old-style volume names end the walk: the corpus has only stored entries there.
    if (more) volume = rar5test::NextVolumeName(volume);
    if (volume.empty()) break;
  }
  return entries;
}

}  // namespace rar29test
