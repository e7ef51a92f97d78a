#pragma once
// RAR 1.5's adaptive codes: a set of 256 symbols ordered by how often each was seen. A symbol
// is coded as its place in the set; every use moves it towards the front, and counts that grow
// too large are evened out.
#include <cstdint>

namespace unrar::rar15 {

class PlaceTable {
 public:
  enum class Overflow { Above0xA1, Wraps };  // when a symbol's count is evened out

  // Symbol i at place i with count 0; `inverted` puts symbol (256 - i) & 0xFF at place i.
  void Reset(bool inverted, Overflow overflow);
  // Every count falls to one of eight levels by place.
  void Even();
  // The symbol at `place` (0..255), moved forward for having been used. False when the
  // statistics have been driven out of range by damaged data.
  bool Take(unsigned place, unsigned* symbol);

 private:
  uint32_t entry_[256];     // symbol << 8 | count
  uint32_t next_place_[256];  // for each count, the place the next symbol of that count moves to
  Overflow overflow_ = Overflow::Wraps;
};

// The short-distance set is simpler: a used distance swaps with its front neighbour.
class MoveUpTable {
 public:
  void Reset() {
    for (unsigned i = 0; i < 256; ++i) entry_[i] = uint8_t(i);
  }
  unsigned Take(unsigned place) {
    const uint8_t value = entry_[place];
    if (place > 0) {
      entry_[place] = entry_[place - 1];
      entry_[place - 1] = value;
    }
    return value;
  }

 private:
  uint8_t entry_[256];
};

}  // namespace unrar::rar15
