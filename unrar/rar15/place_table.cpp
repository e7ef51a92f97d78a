#include "unrar/rar15/place_table.h"

#include <cstring>

namespace unrar::rar15 {

void PlaceTable::Reset(bool inverted, Overflow overflow) {
  overflow_ = overflow;
  for (unsigned i = 0; i < 256; ++i) entry_[i] = (inverted ? (256 - i) & 0xFF : i) << 8;
  std::memset(next_place_, 0, sizeof next_place_);
}

void PlaceTable::Even() {
  // Places 0-31 get count 7, the next 32 count 6, ... the last 32 count 0.
  for (unsigned i = 0; i < 256; ++i) entry_[i] = (entry_[i] & ~0xFFu) | (7 - i / 32);
  std::memset(next_place_, 0, sizeof next_place_);
  for (unsigned count = 0; count < 7; ++count) next_place_[count] = (7 - count) * 32;
}

bool PlaceTable::Take(unsigned place, unsigned* symbol) {
  uint32_t entry, to;
  for (;;) {
    entry = entry_[place];
    to = next_place_[entry & 0xFF]++;
    ++entry;
    const bool overflows = overflow_ == Overflow::Above0xA1 ? (entry & 0xFF) > 0xA1 : (entry & 0xFF) == 0;
    if (!overflows) break;
    Even();
  }
  if (to > 0xFF) return false;
  entry_[place] = entry_[to];
  entry_[to] = entry;
  *symbol = (entry >> 8) & 0xFF;
  return true;
}

}  // namespace unrar::rar15
