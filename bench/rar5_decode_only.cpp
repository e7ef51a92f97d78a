// Times the RAR5 decoder alone on an archive's compressed entries: packed streams read into
// memory first, unpacked bytes discarded. Shows the decoder's share of `skrar t`.
// Usage: rar5_decode_only <archive> [runs]    prints: seconds unpacked_bytes
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/rar5/test_support.h"
#include "unrar/rar5/rar5_unpacker.h"

namespace {

class Discard : public unrar::UnpackSink {
 public:
  bool Write(const uint8_t*, size_t n) override {
    bytes += n;
    return true;
  }
  uint64_t bytes = 0;
};

class Memory : public unrar::PackedSource {
 public:
  explicit Memory(const std::vector<uint8_t>& d) : d_(d) {}
  size_t Read(uint8_t* buf, size_t n, bool* ok) override {
    *ok = true;
    n = std::min(n, d_.size() - pos_);
    std::copy(d_.begin() + pos_, d_.begin() + pos_ + n, buf);
    pos_ += n;
    return n;
  }

 private:
  const std::vector<uint8_t>& d_;
  size_t pos_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::vector<rar5test::CorpusEntry> entries = rar5test::ReadRar5Entries(argv[1]);
  double best = 1e9;
  uint64_t bytes = 0;
  for (int run = 0; run < runs; ++run) {
    unrar::rar5::Rar5Unpacker unpacker;
    Discard sink;
    const std::clock_t start = std::clock();  // CPU time: steadier than the wall on a busy machine
    for (const rar5test::CorpusEntry& e : entries) {
      if (!e.compressed) continue;
      Memory source(e.packed);
      if (unpacker.Unpack(e.params, source, sink) != unrar::UnpackStatus::Ok) return 1;
    }
    best = std::min(best, double(std::clock() - start) / CLOCKS_PER_SEC);
    bytes = sink.bytes;
  }
  std::printf("%.4f %llu\n", best, static_cast<unsigned long long>(bytes));
  return 0;
}
