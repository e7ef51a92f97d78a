#include "tests/rar5/test_support.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace rar5test {
namespace {

class VectorSource : public unrar::PackedSource {
 public:
  VectorSource(const std::vector<uint8_t>& data, size_t chunk) : data_(data), chunk_(chunk) {}
  size_t Read(uint8_t* buf, size_t n, bool* ok) override {
    *ok = true;
    n = std::min({n, chunk_, data_.size() - pos_});
    if (n) std::memcpy(buf, data_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  const std::vector<uint8_t>& data_;
  size_t chunk_;
  size_t pos_ = 0;
};

class VectorSink : public unrar::UnpackSink {
 public:
  bool Write(const uint8_t* data, size_t n) override {
    out.insert(out.end(), data, data + n);
    ++writes;
    return true;
  }
  std::vector<uint8_t> out;
  size_t writes = 0;
};

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

// Reads header fields, refusing to leave the archive.
struct Cursor {
  const std::vector<uint8_t>& a;
  size_t pos;
  uint8_t Byte() {
    if (pos >= a.size()) throw std::runtime_error("truncated header");
    return a[pos++];
  }
  uint64_t Vint() {
    uint64_t v = 0;
    for (int shift = 0; shift < 70; shift += 7) {
      const uint8_t b = Byte();
      v |= uint64_t(b & 0x7F) << shift;
      if (!(b & 0x80)) return v;
    }
    throw std::runtime_error("bad vint");
  }
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(Byte()) << (8 * i);
    return v;
  }
};

}  // namespace

DecodeResult Decode(unrar::Unpacker& unpacker, const std::vector<uint8_t>& packed,
                    const unrar::UnpackParams& params, size_t chunk) {
  VectorSource source(packed, chunk);
  VectorSink sink;
  const unrar::UnpackStatus status = unpacker.Unpack(params, source, sink);
  return {status, std::move(sink.out), sink.writes};
}

std::string NextVolumeName(std::string name) {
  size_t i = name.rfind(".rar");
  while (i != std::string::npos && i > 0 && name[i - 1] >= '0' && name[i - 1] <= '9') {
    --i;
    if (name[i] != '9') {
      ++name[i];
      return name;
    }
    name[i] = '0';
  }
  return "";
}

uint32_t Crc32(const std::vector<uint8_t>& data) {
  uint32_t crc = 0xFFFFFFFF;
  for (uint8_t b : data) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

std::string CorpusFile(const std::string& name) { return std::string(SK_TEST_CORPUS_DIR) + "files/" + name; }

std::vector<CorpusEntry> ReadRar5Entries(const std::string& first_volume) {
  static const uint8_t kSignature[8] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};
  std::vector<CorpusEntry> entries;
  std::string volume = first_volume;
  for (bool more = true; more;) {
    more = false;
    const std::vector<uint8_t> a = ReadFile(volume);
    auto sig = std::search(a.begin(), a.end(), std::begin(kSignature), std::end(kSignature));
    if (sig == a.end()) throw std::runtime_error("not a RAR5 archive: " + volume);
    Cursor c{a, size_t(sig - a.begin()) + 8};
    while (c.pos < a.size()) {
      c.U32();  // header CRC
      const uint64_t header_size = c.Vint();
      const size_t header_end = c.pos + size_t(header_size);
      const uint64_t type = c.Vint();
      const uint64_t flags = c.Vint();
      if (flags & 1) c.Vint();
      const uint64_t data_size = (flags & 2) ? c.Vint() : 0;
      if (type == 4) throw std::runtime_error("encrypted headers");
      if (type == 5) {
        more = (c.Vint() & 1) != 0;
        break;
      }
      if (type == 2) {
        const uint64_t file_flags = c.Vint();
        const uint64_t unpacked = c.Vint();
        c.Vint();                       // attributes
        if (file_flags & 2) c.U32();    // mtime
        if (file_flags & 4) c.U32();    // CRC
        const uint64_t info = c.Vint();
        c.Vint();                       // host OS
        const size_t name_size = size_t(c.Vint());
        if (c.pos + name_size > a.size()) throw std::runtime_error("truncated name");
        const std::string name(a.begin() + c.pos, a.begin() + c.pos + name_size);
        if (!(flags & 0x08)) {
          CorpusEntry e;
          e.name = name;
          const unsigned algorithm = info & 0x3F;
          e.params.version = algorithm == 0 ? 50 : algorithm == 1 ? 70 : 0;
          e.params.solid = (info & 0x40) != 0;
          e.compressed = ((info >> 7) & 7) != 0 && !(file_flags & 1);
          const uint64_t base = uint64_t(0x20000) << ((info >> 10) & (algorithm == 0 ? 0x0F : 0x1F));
          e.params.dict_size = algorithm == 0 ? base : base + base / 32 * ((info >> 15) & 0x1F);
          e.params.unpacked_size = unpacked;
          entries.push_back(e);
        }
        if (entries.empty() || header_end > a.size()) throw std::runtime_error("bad header");
        // A damaged archive may end inside the data: keep what is there.
        const size_t available = size_t(std::min<uint64_t>(data_size, a.size() - header_end));
        auto data = a.begin() + header_end;
        entries.back().packed.insert(entries.back().packed.end(), data, data + available);
      }
      if (header_end > a.size() || data_size > a.size() - header_end) break;
      c.pos = header_end + size_t(data_size);
    }
    if (more) {
      volume = NextVolumeName(volume);
      if (volume.empty()) throw std::runtime_error("no next volume name");
    }
  }
  return entries;
}

std::vector<ManifestRow> ReadManifest() {
  std::ifstream f(std::string(SK_TEST_CORPUS_DIR) + "MANIFEST.tsv");
  std::vector<ManifestRow> rows;
  std::string line;
  std::getline(f, line);  // column names
  while (std::getline(f, line)) {
    std::vector<std::string> cols;
    std::stringstream ss(line);
    for (std::string col; std::getline(ss, col, '\t');) cols.push_back(col);
    if (cols.size() < 8) continue;
    rows.push_back({cols[0], cols[4], cols[6], cols[7]});
  }
  return rows;
}

std::vector<ExpectedEntry> ReadExpected(const std::string& archive) {
  std::ifstream f(std::string(SK_TEST_CORPUS_DIR) + "expected/" + archive + ".txt");
  std::vector<ExpectedEntry> rows;
  for (std::string line; std::getline(f, line);) {
    std::vector<std::string> cols;
    std::stringstream ss(line);
    for (std::string col; std::getline(ss, col, '\t');) cols.push_back(col);
    if (cols.size() < 3) continue;
    rows.push_back({cols[0], std::stoull(cols[1]), cols[2]});
  }
  return rows;
}

}  // namespace rar5test
