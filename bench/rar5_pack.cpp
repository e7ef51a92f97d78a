// A plain RAR5 compressor for the benchmark: greedy LZ over a 4 MiB dictionary with hash chains,
// Huffman tables per block, one file per archive, no filters. It exists to make archives larger
// than the corpus has; the benchmark checks that bsdtar and the reference unrar read them.
// Usage: rar5_pack <output.rar> <input file> [name in archive]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <queue>
#include <string>
#include <vector>

namespace {

constexpr unsigned kDictLog = 22;  // 4 MiB = 128 KiB << 5
constexpr size_t kDict = size_t(1) << kDictLog;
constexpr size_t kMaxLen = 4097;
constexpr size_t kBlockSymbols = 1 << 16;
constexpr int kChainDepth = 24;

uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
  static uint32_t table[256];
  if (!table[1])
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
  crc = ~crc;
  while (n--) crc = table[(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

class BitWriter {
 public:
  void Put(uint64_t value, unsigned count) {
    for (unsigned i = count; i-- > 0;) {
      if (used_ == 8) {
        bytes.push_back(0);
        used_ = 0;
      }
      if ((value >> i) & 1) bytes.back() |= uint8_t(0x80 >> used_);
      ++used_;
    }
  }
  unsigned BitsInLast() const { return used_; }
  std::vector<uint8_t> bytes;

 private:
  unsigned used_ = 8;
};

// Code lengths of at most 15 bits: Huffman's, with frequencies flattened until they fit.
std::vector<uint8_t> CodeLengths(std::vector<uint64_t> freq) {
  const size_t n = freq.size();
  std::vector<uint8_t> lengths(n, 0);
  for (;;) {
    struct Node { uint64_t weight; int index; };
    auto heavier = [](const Node& a, const Node& b) { return a.weight > b.weight; };
    std::priority_queue<Node, std::vector<Node>, decltype(heavier)> heap(heavier);
    std::vector<int> parent;
    for (size_t s = 0; s < n; ++s)
      if (freq[s]) {
        heap.push({freq[s], int(parent.size())});
        parent.push_back(-1);
      }
    if (parent.empty()) return lengths;
    std::vector<size_t> symbol_of;
    for (size_t s = 0; s < n; ++s)
      if (freq[s]) symbol_of.push_back(s);
    if (symbol_of.size() == 1) {
      lengths[symbol_of[0]] = 1;
      return lengths;
    }
    while (heap.size() > 1) {
      const Node a = heap.top();
      heap.pop();
      const Node b = heap.top();
      heap.pop();
      parent.push_back(-1);
      parent[a.index] = parent[b.index] = int(parent.size()) - 1;
      heap.push({a.weight + b.weight, int(parent.size()) - 1});
    }
    unsigned longest = 0;
    for (size_t leaf = 0; leaf < symbol_of.size(); ++leaf) {
      unsigned depth = 0;
      for (int i = int(leaf); parent[i] != -1; i = parent[i]) ++depth;
      lengths[symbol_of[leaf]] = uint8_t(depth);
      longest = std::max(longest, depth);
    }
    if (longest <= 15) return lengths;
    for (uint64_t& f : freq)
      if (f) f = f / 2 + 1;
  }
}

// Canonical codes: shorter first, equal lengths in symbol order.
std::vector<uint32_t> Codes(const std::vector<uint8_t>& lengths) {
  uint32_t count[16] = {}, next[16] = {};
  for (uint8_t l : lengths) count[l]++;
  count[0] = 0;
  for (int l = 1; l < 16; ++l) next[l] = (next[l - 1] + count[l - 1]) << 1;
  std::vector<uint32_t> codes(lengths.size());
  for (size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s]) codes[s] = next[lengths[s]]++;
  return codes;
}

struct Symbol {
  uint16_t main;          // literal, or 262 + length slot
  uint16_t dist_slot;
  uint32_t length_extra;  // value of the length's extra bits
  uint64_t dist_extra;    // value of the distance's extra bits
};

void LengthSlot(size_t coded, uint16_t* slot, uint32_t* extra, unsigned* bits) {
  if (coded < 10) {
    *slot = uint16_t(coded - 2);
    *extra = 0;
    *bits = 0;
    return;
  }
  for (uint16_t s = 8; s < 44; ++s) {
    const unsigned n = s / 4 - 1;
    const size_t base = 2 + (size_t(4 | (s & 3)) << n);
    if (coded >= base && coded < base + (size_t(1) << n)) {
      *slot = s;
      *extra = uint32_t(coded - base);
      *bits = n;
      return;
    }
  }
}

unsigned LengthBits(uint16_t slot) { return slot < 8 ? 0 : slot / 4 - 1; }
unsigned DistBits(uint16_t slot) { return slot < 4 ? 0 : slot / 2 - 1; }

Symbol MakeMatch(size_t length, size_t distance) {
  Symbol s{};
  const size_t bonus = (distance > 0x100) + (distance > 0x2000) + (distance > 0x40000);
  uint16_t slot = 0;
  uint32_t extra = 0;
  unsigned bits = 0;
  LengthSlot(length - bonus, &slot, &extra, &bits);
  s.main = uint16_t(262 + slot);
  s.length_extra = extra;
  const uint64_t d = distance - 1;
  if (d < 4) {
    s.dist_slot = uint16_t(d);
  } else {
    for (uint16_t ds = 4; ds < 64; ++ds) {
      const unsigned n = ds / 2 - 1;
      const uint64_t base = uint64_t(2 | (ds & 1)) << n;
      if (d >= base && d < base + (uint64_t(1) << n)) {
        s.dist_slot = ds;
        s.dist_extra = d - base;
        break;
      }
    }
  }
  return s;
}

void WriteBlock(const std::vector<Symbol>& symbols, bool last, std::vector<uint8_t>& out) {
  std::vector<uint64_t> main_freq(306), dist_freq(64), low_freq(16), rep_freq(44);
  for (const Symbol& s : symbols) {
    main_freq[s.main]++;
    if (s.main >= 262) {
      dist_freq[s.dist_slot]++;
      if (DistBits(s.dist_slot) >= 4) low_freq[s.dist_extra & 15]++;
    }
  }
  const std::vector<uint8_t> main_len = CodeLengths(main_freq), dist_len = CodeLengths(dist_freq),
                             low_len = CodeLengths(low_freq), rep_len = CodeLengths(rep_freq);
  const std::vector<uint32_t> main_code = Codes(main_len), dist_code = Codes(dist_len),
                              low_code = Codes(low_len);

  BitWriter w;
  for (int i = 0; i < 20; ++i) w.Put(5, 4);  // a flat level code: every level symbol 5 bits
  for (const auto* table : {&main_len, &dist_len, &low_len, &rep_len})
    for (uint8_t l : *table) w.Put(l, 5);
  for (const Symbol& s : symbols) {
    w.Put(main_code[s.main], main_len[s.main]);
    if (s.main < 256) continue;
    w.Put(s.length_extra, LengthBits(uint16_t(s.main - 262)));
    w.Put(dist_code[s.dist_slot], dist_len[s.dist_slot]);
    const unsigned bits = DistBits(s.dist_slot);
    if (bits >= 4) {
      w.Put(s.dist_extra >> 4, bits - 4);
      w.Put(low_code[s.dist_extra & 15], low_len[s.dist_extra & 15]);
    } else {
      w.Put(s.dist_extra, bits);
    }
  }
  const uint32_t size = uint32_t(w.bytes.size());
  const unsigned size_bytes = size < 0x100 ? 1 : size < 0x10000 ? 2 : 3;
  const uint8_t flags = uint8_t((w.BitsInLast() - 1) | (size_bytes - 1) << 3 | 0x80 | (last ? 0x40 : 0));
  uint8_t check = 0x5A ^ flags;
  for (unsigned k = 0; k < size_bytes; ++k) check ^= uint8_t(size >> (8 * k));
  out.push_back(flags);
  out.push_back(check);
  for (unsigned k = 0; k < size_bytes; ++k) out.push_back(uint8_t(size >> (8 * k)));
  out.insert(out.end(), w.bytes.begin(), w.bytes.end());
}

std::vector<uint8_t> Compress(const std::vector<uint8_t>& in) {
  std::vector<uint8_t> out;
  std::vector<int64_t> head(1 << 16, -1), prev(kDict, -1);
  auto hash = [&](size_t i) { return (uint32_t(in[i]) | in[i + 1] << 8 | in[i + 2] << 16) * 2654435761u >> 16; };
  std::vector<Symbol> block;
  size_t i = 0;
  while (i < in.size()) {
    size_t best_len = 0, best_dist = 0;
    if (i + 3 < in.size()) {
      const uint32_t h = hash(i);
      int64_t cand = head[h];
      for (int depth = 0; depth < kChainDepth && cand >= 0 && i - size_t(cand) < kDict - 16; ++depth) {
        const size_t limit = std::min(kMaxLen, in.size() - i);
        size_t len = 0;
        while (len < limit && in[size_t(cand) + len] == in[i + len]) ++len;
        const size_t dist = i - size_t(cand);
        const size_t bonus = (dist > 0x100) + (dist > 0x2000) + (dist > 0x40000);
        if (len >= 2 + bonus && len > best_len + (dist > best_dist * 64 ? 1 : 0)) {
          best_len = len;
          best_dist = dist;
        }
        cand = prev[size_t(cand) & (kDict - 1)];
      }
    }
    const size_t step = best_len >= 3 ? best_len : 1;
    if (best_len >= 3) {
      block.push_back(MakeMatch(best_len, best_dist));
    } else {
      block.push_back(Symbol{in[i], 0, 0, 0});
    }
    for (size_t k = 0; k < step; ++k, ++i) {
      if (i + 3 < in.size()) {
        const uint32_t h = hash(i);
        prev[i & (kDict - 1)] = head[h];
        head[h] = int64_t(i);
      }
    }
    if (block.size() == kBlockSymbols) {
      WriteBlock(block, i == in.size(), out);
      block.clear();
    }
  }
  if (!block.empty() || out.empty()) WriteBlock(block, true, out);
  return out;
}

void PutVint(std::vector<uint8_t>& v, uint64_t x) {
  do {
    uint8_t b = x & 0x7F;
    x >>= 7;
    if (x) b |= 0x80;
    v.push_back(b);
  } while (x);
}

// A header: CRC32, size, then the fields; the CRC covers the size and the fields.
void PutHeader(std::vector<uint8_t>& out, const std::vector<uint8_t>& fields) {
  std::vector<uint8_t> sized;
  PutVint(sized, fields.size());
  sized.insert(sized.end(), fields.begin(), fields.end());
  const uint32_t crc = Crc32(sized.data(), sized.size());
  for (int k = 0; k < 4; ++k) out.push_back(uint8_t(crc >> (8 * k)));
  out.insert(out.end(), sized.begin(), sized.end());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: rar5_pack <output.rar> <input> [name]\n");
    return 2;
  }
  std::ifstream f(argv[2], std::ios::binary);
  const std::vector<uint8_t> data((std::istreambuf_iterator<char>(f)), {});
  const std::string name = argc > 3 ? argv[3] : "data.bin";
  const std::vector<uint8_t> packed = Compress(data);

  std::vector<uint8_t> archive = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};
  PutHeader(archive, {1, 0, 0});  // main: type, flags, archive flags
  std::vector<uint8_t> file;
  PutVint(file, 2);               // type: file
  PutVint(file, 0x02);            // a data area follows
  PutVint(file, packed.size());
  PutVint(file, 0x04);            // file flags: CRC32 present
  PutVint(file, data.size());
  PutVint(file, 0x20);            // attributes: archive
  const uint32_t crc = Crc32(data.data(), data.size());
  for (int k = 0; k < 4; ++k) file.push_back(uint8_t(crc >> (8 * k)));
  PutVint(file, (3u << 7) | ((kDictLog - 17) << 10));  // algorithm 0, method 3, 4 MiB dictionary
  PutVint(file, 0);               // host: Windows
  PutVint(file, name.size());
  file.insert(file.end(), name.begin(), name.end());
  PutHeader(archive, file);
  archive.insert(archive.end(), packed.begin(), packed.end());
  PutHeader(archive, {5, 0, 0});  // end of archive

  std::ofstream o(argv[1], std::ios::binary);
  o.write(reinterpret_cast<const char*>(archive.data()), std::streamsize(archive.size()));
  return o ? 0 : 1;
}
