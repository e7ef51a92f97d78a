#include "unrar/rar29/ppmd.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace unrar::rar29 {
namespace {

constexpr unsigned kMaxOrder = 64;
constexpr unsigned kUnitSize = 12;
constexpr unsigned kIndexes = 38;  // allocation size classes, 1..128 units
constexpr unsigned kMaxFreq = 124;
constexpr unsigned kIntBits = 7;
constexpr unsigned kPeriodBits = 7;
constexpr unsigned kTotBits = kIntBits + kPeriodBits;
constexpr uint32_t kBinScale = 1u << kTotBits;
constexpr uint32_t kRangeTop = 1u << 24;
constexpr uint32_t kRangeBottom = 1u << 15;

constexpr uint16_t kInitBinEsc[8] = {0x3CDD, 0x1F3F, 0x59BF, 0x48F3, 0x64A1, 0x5ABC, 0x6632, 0x6051};
constexpr uint8_t kExpEscape[16] = {25, 14, 9, 7, 5, 5, 4, 4, 4, 3, 3, 3, 2, 2, 2, 2};

// The model lives in one block of memory and refers to its parts by offsets into it; offset 0
// is never a valid part. These records are laid over that memory.
struct __attribute__((may_alias)) State {
  uint8_t symbol;
  uint8_t freq;
  uint16_t successor_low;
  uint16_t successor_high;
};
struct __attribute__((may_alias)) Context {
  uint16_t num_stats;
  uint16_t summ_freq;  // with num_stats == 1, the single State starts here instead
  uint32_t stats;
  uint32_t suffix;
};
// A free block while free blocks are being merged.
struct __attribute__((may_alias)) FreeNode {
  uint16_t stamp;
  uint16_t units;
  uint32_t next;
  uint32_t prev;
};
static_assert(sizeof(State) == 6 && sizeof(Context) == 12 && sizeof(FreeNode) == 12, "layout");

// Secondary escape estimation.
struct See {
  uint16_t summ;
  uint8_t shift;
  uint8_t count;
  uint32_t Mean() {
    uint32_t r = summ >> shift;
    summ = uint16_t(summ - r);
    return r + (r == 0);
  }
  void Update() {
    if (shift < kPeriodBits && --count == 0) {
      summ = uint16_t(summ << 1);
      count = uint8_t(3 << shift++);
    }
  }
};

struct Tables {
  uint8_t index_to_units[kIndexes];
  uint8_t units_to_index[128];
  uint8_t stats_to_index[256];       // SEE context row by number of symbols
  uint8_t stats_to_bin_index[256];   // binary context column by the suffix's number of symbols
  uint8_t high_bit_flag[256];
  Tables() {
    unsigned k = 0;
    for (unsigned i = 0; i < kIndexes; ++i) {
      const unsigned step = i >= 12 ? 4 : (i >> 2) + 1;
      for (unsigned s = 0; s < step; ++s) units_to_index[k++] = uint8_t(i);
      index_to_units[i] = uint8_t(k);
    }
    stats_to_bin_index[0] = 0;
    stats_to_bin_index[1] = 2;
    for (unsigned i = 2; i < 11; ++i) stats_to_bin_index[i] = 4;
    for (unsigned i = 11; i < 256; ++i) stats_to_bin_index[i] = 6;
    unsigned i = 0;
    for (; i < 3; ++i) stats_to_index[i] = uint8_t(i);
    for (unsigned m = i, left = 1; i < 256; ++i) {
      stats_to_index[i] = uint8_t(m);
      if (--left == 0) left = ++m - 2;
    }
    for (unsigned c = 0; c < 256; ++c) high_bit_flag[c] = c < 0x40 ? 0 : 8;
  }
};
const Tables kTables;

}  // namespace

class PpmModel {
 public:
  ~PpmModel() { std::free(base_); }

  bool Allocate(uint32_t size) {
    if (base_ && size_ == size) return true;
    std::free(base_);
    size_ = 0;
    align_ = 4 - (size & 3);
    // One more unit past the end: the sentinel of the free block merge.
    base_ = static_cast<uint8_t*>(std::malloc(size_t(align_) + size + kUnitSize));
    if (!base_) return false;
    size_ = size;
    return true;
  }

  void Restart(unsigned max_order) {
    max_order_ = max_order;
    std::memset(free_list_, 0, sizeof free_list_);
    text_ = align_;
    hi_unit_ = text_ + size_;
    lo_unit_ = units_start_ = hi_unit_ - size_ / 8 / kUnitSize * 7 * kUnitSize;
    glue_count_ = 0;

    order_fall_ = max_order_;
    run_length_ = init_rl_ = -int(max_order_ < 12 ? max_order_ : 12) - 1;
    prev_success_ = 0;

    hi_unit_ -= kUnitSize;
    min_context_ = max_context_ = hi_unit_;
    Context* root = Ctx(min_context_);
    root->suffix = 0;
    root->num_stats = 256;
    root->summ_freq = 256 + 1;
    found_state_ = lo_unit_;
    root->stats = lo_unit_;
    lo_unit_ += 256 / 2 * kUnitSize;
    for (unsigned i = 0; i < 256; ++i) {
      State* s = St(found_state_) + i;
      s->symbol = uint8_t(i);
      s->freq = 1;
      SetSuccessor(s, 0);
    }
    for (unsigned i = 0; i < 128; ++i)
      for (unsigned k = 0; k < 8; ++k)
        for (unsigned m = 0; m < 64; m += 8) bin_summ_[i][k + m] = uint16_t(kBinScale - kInitBinEsc[k] / (i + 2));
    for (unsigned i = 0; i < 25; ++i)
      for (unsigned k = 0; k < 16; ++k) see_[i][k] = See{uint16_t((5 * i + 10) << (kPeriodBits - 4)), kPeriodBits - 4, 4};
    valid_ = true;
  }

  bool Valid() const { return valid_; }
  void Invalidate() { valid_ = false; }

  int DecodeSymbol(PpmDecoder& rc);

 private:
  Context* Ctx(uint32_t ref) { return reinterpret_cast<Context*>(base_ + ref); }
  State* St(uint32_t ref) { return reinterpret_cast<State*>(base_ + ref); }
  uint32_t Ref(const void* p) const { return uint32_t(static_cast<const uint8_t*>(p) - base_); }
  State* OneState(Context* c) { return reinterpret_cast<State*>(reinterpret_cast<uint8_t*>(c) + 2); }
  static uint32_t Successor(const State* s) { return s->successor_low | uint32_t(s->successor_high) << 16; }
  static void SetSuccessor(State* s, uint32_t v) {
    s->successor_low = uint16_t(v);
    s->successor_high = uint16_t(v >> 16);
  }
  unsigned I2U(unsigned index) const { return kTables.index_to_units[index]; }
  unsigned U2I(unsigned units) const { return kTables.units_to_index[units - 1]; }

  // The allocator: units of 12 bytes in size classes, free lists per class.
  void InsertNode(uint32_t node, unsigned index) {
    std::memcpy(base_ + node, &free_list_[index], 4);
    free_list_[index] = node;
  }
  uint32_t RemoveNode(unsigned index) {
    const uint32_t node = free_list_[index];
    std::memcpy(&free_list_[index], base_ + node, 4);
    return node;
  }
  void SplitBlock(uint32_t block, unsigned old_index, unsigned new_index);
  void GlueFreeBlocks();
  uint32_t AllocUnitsRare(unsigned index);
  uint32_t AllocUnits(unsigned index);
  uint32_t AllocContext();
  uint32_t ShrinkUnits(uint32_t old_block, unsigned old_units, unsigned new_units);

  uint32_t CreateSuccessors(bool skip);
  void UpdateModel();
  void Rescale();
  void NextContext();
  void Update1();
  void Update1First();
  void Update2();
  void UpdateBin();
  See* MakeEscFreq(unsigned masked, uint32_t* esc_freq);
  void RestartAfterOverflow() { Restart(max_order_); }

  uint8_t* base_ = nullptr;
  uint32_t size_ = 0, align_ = 0;
  uint32_t text_ = 0, units_start_ = 0, lo_unit_ = 0, hi_unit_ = 0;
  uint32_t free_list_[kIndexes] = {};
  unsigned glue_count_ = 0;

  bool valid_ = false;
  unsigned max_order_ = 0;
  uint32_t min_context_ = 0, max_context_ = 0, found_state_ = 0;
  unsigned order_fall_ = 0, init_esc_ = 0, prev_success_ = 0, hi_bits_flag_ = 0;
  int run_length_ = 0, init_rl_ = 0;
  uint16_t bin_summ_[128][64];
  See see_[25][16];
  See dummy_see_{0, kPeriodBits, 64};
};

void PpmModel::SplitBlock(uint32_t block, unsigned old_index, unsigned new_index) {
  const unsigned rest = I2U(old_index) - I2U(new_index);
  uint32_t p = block + I2U(new_index) * kUnitSize;
  unsigned i = U2I(rest);
  if (I2U(i) != rest) {
    const unsigned k = I2U(--i);
    InsertNode(p + k * kUnitSize, rest - k - 1);
  }
  InsertNode(p, i);
}

// Merges neighbouring free blocks so that larger requests can be met again.
void PpmModel::GlueFreeBlocks() {
  auto node = [&](uint32_t ref) { return reinterpret_cast<FreeNode*>(base_ + ref); };
  const uint32_t head = align_ + size_;
  uint32_t n = head;
  glue_count_ = 255;

  // One doubly linked list of every free block, each stamped 0 with its size.
  for (unsigned i = 0; i < kIndexes; ++i) {
    const uint16_t units = uint16_t(I2U(i));
    uint32_t next = free_list_[i];
    free_list_[i] = 0;
    while (next != 0) {
      FreeNode* f = node(next);
      uint32_t following;
      std::memcpy(&following, f, 4);
      f->next = n;
      node(n)->prev = next;
      n = next;
      f->stamp = 0;
      f->units = units;
      next = following;
    }
  }
  node(head)->stamp = 1;
  node(head)->next = n;
  node(n)->prev = head;
  if (lo_unit_ != hi_unit_) node(lo_unit_)->stamp = 1;  // the unallocated gap is not free

  // Each block swallows the free blocks right after it.
  while (n != head) {
    FreeNode* f = node(n);
    uint32_t units = f->units;
    for (;;) {
      FreeNode* after = node(n + units * kUnitSize);
      units += after->units;
      if (after->stamp != 0 || units >= 0x10000) break;
      node(after->prev)->next = after->next;
      node(after->next)->prev = after->prev;
      f->units = uint16_t(units);
    }
    n = f->next;
  }

  // Back into the free lists, cut into size classes.
  for (n = node(head)->next; n != head;) {
    FreeNode* f = node(n);
    const uint32_t next = f->next;
    uint32_t block = n;
    unsigned units = f->units;
    for (; units > 128; units -= 128, block += 128 * kUnitSize) InsertNode(block, kIndexes - 1);
    unsigned i = U2I(units);
    if (I2U(i) != units) {
      const unsigned k = I2U(--i);
      InsertNode(block + k * kUnitSize, units - k - 1);
    }
    InsertNode(block, i);
    n = next;
  }
}

uint32_t PpmModel::AllocUnitsRare(unsigned index) {
  if (glue_count_ == 0) {
    GlueFreeBlocks();
    if (free_list_[index] != 0) return RemoveNode(index);
  }
  unsigned i = index;
  do {
    if (++i == kIndexes) {
      const uint32_t bytes = I2U(index) * kUnitSize;
      --glue_count_;
      if (units_start_ - text_ > bytes) {
        units_start_ -= bytes;
        return units_start_;
      }
      return 0;
    }
  } while (free_list_[i] == 0);
  const uint32_t block = RemoveNode(i);
  SplitBlock(block, i, index);
  return block;
}

uint32_t PpmModel::AllocUnits(unsigned index) {
  if (free_list_[index] != 0) return RemoveNode(index);
  const uint32_t bytes = I2U(index) * kUnitSize;
  if (bytes <= hi_unit_ - lo_unit_) {
    const uint32_t block = lo_unit_;
    lo_unit_ += bytes;
    return block;
  }
  return AllocUnitsRare(index);
}

uint32_t PpmModel::AllocContext() {
  if (hi_unit_ != lo_unit_) return hi_unit_ -= kUnitSize;
  if (free_list_[0] != 0) return RemoveNode(0);
  return AllocUnitsRare(0);
}

uint32_t PpmModel::ShrinkUnits(uint32_t old_block, unsigned old_units, unsigned new_units) {
  const unsigned i0 = U2I(old_units);
  const unsigned i1 = U2I(new_units);
  if (i0 == i1) return old_block;
  if (free_list_[i1] != 0) {
    const uint32_t block = RemoveNode(i1);
    std::memcpy(base_ + block, base_ + old_block, new_units * kUnitSize);
    InsertNode(old_block, i0);
    return block;
  }
  SplitBlock(old_block, i0, i1);
  return old_block;
}

// Gives the contexts passed on the way down from the found state's successor their own child
// contexts for the found symbol. 0 when memory ran out.
uint32_t PpmModel::CreateSuccessors(bool skip) {
  Context* c = Ctx(min_context_);
  State* found = St(found_state_);
  const uint32_t up_branch = Successor(found);
  State* ps[kMaxOrder];
  unsigned count = 0;
  if (!skip) ps[count++] = found;
  while (c->suffix) {
    c = Ctx(c->suffix);
    State* s;
    if (c->num_stats != 1) {
      s = St(c->stats);
      while (s->symbol != found->symbol) ++s;
    } else {
      s = OneState(c);
    }
    const uint32_t successor = Successor(s);
    if (successor != up_branch) {
      c = Ctx(successor);
      if (count == 0) return Ref(c);
      break;
    }
    ps[count++] = s;
  }

  State up;
  up.symbol = base_[up_branch];
  SetSuccessor(&up, up_branch + 1);
  if (c->num_stats == 1) {
    up.freq = OneState(c)->freq;
  } else {
    State* s = St(c->stats);
    while (s->symbol != up.symbol) ++s;
    const uint32_t cf = s->freq - 1u;
    const uint32_t s0 = c->summ_freq - c->num_stats - cf;
    up.freq = uint8_t(1 + ((2 * cf <= s0) ? (5 * cf > s0) : ((2 * cf + 3 * s0 - 1) / (2 * s0))));
  }
  do {
    const uint32_t ref = AllocContext();
    if (!ref) return 0;
    Context* c1 = Ctx(ref);
    c1->num_stats = 1;
    *OneState(c1) = up;
    c1->suffix = Ref(c);
    SetSuccessor(ps[--count], ref);
    c = c1;
  } while (count != 0);
  return Ref(c);
}

void PpmModel::UpdateModel() {
  State* found = St(found_state_);
  const uint8_t symbol = found->symbol;
  const uint8_t found_freq = found->freq;
  uint32_t found_successor = Successor(found);
  Context* min = Ctx(min_context_);

  if (found_freq < kMaxFreq / 4 && min->suffix != 0) {
    Context* c = Ctx(min->suffix);
    if (c->num_stats == 1) {
      State* s = OneState(c);
      if (s->freq < 32) ++s->freq;
    } else {
      State* s = St(c->stats);
      if (s->symbol != symbol) {
        do ++s; while (s->symbol != symbol);
        if (s[0].freq >= s[-1].freq) {
          std::swap(s[0], s[-1]);
          --s;
        }
      }
      if (s->freq < kMaxFreq - 9) {
        s->freq += 2;
        c->summ_freq += 2;
      }
    }
  }

  if (order_fall_ == 0) {
    min_context_ = max_context_ = CreateSuccessors(true);
    if (min_context_ == 0) return RestartAfterOverflow();
    SetSuccessor(St(found_state_), min_context_);
    return;
  }

  base_[text_++] = symbol;
  uint32_t successor = text_;
  if (text_ >= units_start_) return RestartAfterOverflow();

  if (found_successor) {
    if (found_successor <= successor) {
      const uint32_t created = CreateSuccessors(false);
      if (created == 0) return RestartAfterOverflow();
      found_successor = created;
    }
    if (--order_fall_ == 0) {
      successor = found_successor;
      text_ -= (max_context_ != min_context_);
    }
  } else {
    SetSuccessor(St(found_state_), successor);
    found_successor = min_context_;
  }

  const unsigned ns = min->num_stats;
  const uint32_t s0 = min->summ_freq - ns - (found_freq - 1u);
  for (uint32_t ref = max_context_; ref != min_context_; ref = Ctx(ref)->suffix) {
    Context* c = Ctx(ref);
    const unsigned ns1 = c->num_stats;
    if (ns1 != 1) {
      if ((ns1 & 1) == 0) {
        // The statistics grow by one unit every other symbol.
        const unsigned old_units = ns1 >> 1;
        const unsigned i = U2I(old_units);
        if (i != U2I(old_units + 1)) {
          const uint32_t block = AllocUnits(i + 1);
          if (!block) return RestartAfterOverflow();
          c = Ctx(ref);
          std::memcpy(base_ + block, base_ + c->stats, old_units * kUnitSize);
          InsertNode(c->stats, i);
          c->stats = block;
        }
      }
      c->summ_freq = uint16_t(c->summ_freq + (2 * ns1 < ns) + 2 * ((4 * ns1 <= ns) & (c->summ_freq <= 8 * ns1)));
    } else {
      const uint32_t block = AllocUnits(0);
      if (!block) return RestartAfterOverflow();
      c = Ctx(ref);
      State* s = St(block);
      *s = *OneState(c);
      c->stats = block;
      if (s->freq < kMaxFreq / 4 - 1) s->freq = uint8_t(s->freq << 1);
      else s->freq = kMaxFreq - 4;
      c->summ_freq = uint16_t(s->freq + init_esc_ + (ns > 3));
    }
    uint32_t cf = 2 * uint32_t(found_freq) * (c->summ_freq + 6);
    const uint32_t sf = s0 + c->summ_freq;
    if (cf < 6 * sf) {
      cf = 1 + (cf > sf) + (cf >= 4 * sf);
      c->summ_freq += 3;
    } else {
      cf = 4 + (cf >= 9 * sf) + (cf >= 12 * sf) + (cf >= 15 * sf);
      c->summ_freq = uint16_t(c->summ_freq + cf);
    }
    State* s = St(c->stats) + ns1;
    SetSuccessor(s, successor);
    s->symbol = symbol;
    s->freq = uint8_t(cf);
    c->num_stats = uint16_t(ns1 + 1);
  }
  max_context_ = min_context_ = found_successor;
}

// Halves the frequencies of the current context, keeping them sorted, and drops the symbols
// whose frequency reaches zero.
void PpmModel::Rescale() {
  Context* min = Ctx(min_context_);
  State* stats = St(min->stats);
  State* s = St(found_state_);
  if (s != stats) {
    const State moved = *s;
    for (; s != stats; --s) s[0] = s[-1];
    *s = moved;
  }
  uint32_t esc_freq = min->summ_freq - s->freq;
  s->freq += 4;
  const unsigned adder = order_fall_ != 0;
  s->freq = uint8_t((s->freq + adder) >> 1);
  uint32_t sum_freq = s->freq;

  unsigned i = min->num_stats - 1;
  do {
    esc_freq -= (++s)->freq;
    s->freq = uint8_t((s->freq + adder) >> 1);
    sum_freq += s->freq;
    if (s[0].freq > s[-1].freq) {
      State* s1 = s;
      const State moved = *s1;
      do s1[0] = s1[-1]; while (--s1 != stats && moved.freq > s1[-1].freq);
      *s1 = moved;
    }
  } while (--i);

  if (s->freq == 0) {
    const unsigned num_stats = min->num_stats;
    do ++i; while ((--s)->freq == 0);
    esc_freq += i;
    min->num_stats = uint16_t(min->num_stats - i);
    if (min->num_stats == 1) {
      State only = *stats;
      do {
        only.freq = uint8_t(only.freq - (only.freq >> 1));
        esc_freq >>= 1;
      } while (esc_freq > 1);
      InsertNode(min->stats, U2I((num_stats + 1) >> 1));
      State* one = OneState(min);
      *one = only;
      found_state_ = Ref(one);
      return;
    }
    const unsigned n0 = (num_stats + 1) >> 1;
    const unsigned n1 = (min->num_stats + 1) >> 1;
    if (n0 != n1) min->stats = ShrinkUnits(min->stats, n0, n1);
  }
  min->summ_freq = uint16_t(sum_freq + esc_freq - (esc_freq >> 1));
  found_state_ = min->stats;
}

See* PpmModel::MakeEscFreq(unsigned masked, uint32_t* esc_freq) {
  Context* min = Ctx(min_context_);
  const unsigned unmasked = min->num_stats - masked;
  if (min->num_stats == 256) {
    *esc_freq = 1;
    return &dummy_see_;
  }
  See* see = see_[kTables.stats_to_index[unmasked - 1]] +
             (unmasked < unsigned(Ctx(min->suffix)->num_stats) - min->num_stats) +
             2 * unsigned(min->summ_freq < 11 * min->num_stats) + 4 * unsigned(masked > unmasked) +
             hi_bits_flag_;
  *esc_freq = see->Mean();
  return see;
}

void PpmModel::NextContext() {
  const uint32_t c = Successor(St(found_state_));
  if (order_fall_ == 0 && c > text_) min_context_ = max_context_ = c;
  else UpdateModel();
}

void PpmModel::Update1() {
  State* s = St(found_state_);
  s->freq += 4;
  Ctx(min_context_)->summ_freq += 4;
  if (s[0].freq > s[-1].freq) {
    std::swap(s[0], s[-1]);
    found_state_ = Ref(--s);
    if (s->freq > kMaxFreq) Rescale();
  }
  NextContext();
}

void PpmModel::Update1First() {
  State* s = St(found_state_);
  Context* min = Ctx(min_context_);
  prev_success_ = 2 * s->freq > min->summ_freq;
  run_length_ += int(prev_success_);
  min->summ_freq += 4;
  if ((s->freq += 4) > kMaxFreq) Rescale();
  NextContext();
}

void PpmModel::Update2() {
  State* s = St(found_state_);
  s->freq += 4;
  Ctx(min_context_)->summ_freq += 4;
  if (s->freq > kMaxFreq) Rescale();
  run_length_ = init_rl_;
  UpdateModel();
}

void PpmModel::UpdateBin() {
  State* s = St(found_state_);
  s->freq = uint8_t(s->freq + (s->freq < 128));
  prev_success_ = 1;
  ++run_length_;
  NextContext();
}

// One symbol: tried in the current context, then after each escape in shorter ones, with the
// symbols already excluded masked out. -1 when the stream cannot be valid.
int PpmModel::DecodeSymbol(PpmDecoder& rc) {
  uint8_t masked[256];
  Context* min = Ctx(min_context_);
  if (min->num_stats != 1) {
    State* s = St(min->stats);
    const uint32_t count = rc.GetThreshold(min->summ_freq);
    uint32_t high = s->freq;
    if (count < high) {
      rc.Decode(0, s->freq);
      found_state_ = Ref(s);
      const uint8_t symbol = s->symbol;
      Update1First();
      return symbol;
    }
    prev_success_ = 0;
    unsigned i = min->num_stats - 1;
    do {
      if ((high += (++s)->freq) > count) {
        rc.Decode(high - s->freq, s->freq);
        found_state_ = Ref(s);
        const uint8_t symbol = s->symbol;
        Update1();
        return symbol;
      }
    } while (--i);
    if (count >= min->summ_freq) return -1;
    hi_bits_flag_ = kTables.high_bit_flag[St(found_state_)->symbol];
    rc.Decode(high, min->summ_freq - high);
    std::memset(masked, 0, sizeof masked);
    for (State* t = St(min->stats); t <= s; ++t) masked[t->symbol] = 1;
  } else {
    State* one = OneState(min);
    hi_bits_flag_ = kTables.high_bit_flag[St(found_state_)->symbol];
    uint16_t& prob = bin_summ_[one->freq - 1][prev_success_ +
                                              kTables.stats_to_bin_index[Ctx(min->suffix)->num_stats - 1] +
                                              hi_bits_flag_ + 2 * kTables.high_bit_flag[one->symbol] +
                                              ((run_length_ >> 26) & 0x20)];
    const uint32_t mean = (prob + (1u << (kPeriodBits - 2))) >> kPeriodBits;
    if (rc.GetThresholdShift(kTotBits) < prob) {
      rc.Decode(0, prob);
      prob = uint16_t(prob + (1u << kIntBits) - mean);
      found_state_ = Ref(one);
      const uint8_t symbol = one->symbol;
      UpdateBin();
      return symbol;
    }
    rc.Decode(prob, kBinScale - prob);
    prob = uint16_t(prob - mean);
    init_esc_ = kExpEscape[prob >> 10];
    std::memset(masked, 0, sizeof masked);
    masked[one->symbol] = 1;
    prev_success_ = 0;
  }

  for (;;) {
    State* candidates[256];
    const unsigned num_masked = Ctx(min_context_)->num_stats;
    do {
      ++order_fall_;
      min = Ctx(min_context_);
      if (min->suffix == 0) return -1;
      min_context_ = min->suffix;
    } while (Ctx(min_context_)->num_stats == num_masked);
    min = Ctx(min_context_);

    uint32_t high = 0;
    unsigned n = 0;
    const unsigned wanted = min->num_stats - num_masked;
    for (State* s = St(min->stats); n != wanted; ++s) {
      if (masked[s->symbol]) continue;
      high += s->freq;
      candidates[n++] = s;
    }
    uint32_t freq_sum;
    See* see = MakeEscFreq(num_masked, &freq_sum);
    freq_sum += high;
    const uint32_t count = rc.GetThreshold(freq_sum);
    if (count < high) {
      State** c = candidates;
      for (high = 0; (high += (*c)->freq) <= count; ++c) {
      }
      State* s = *c;
      rc.Decode(high - s->freq, s->freq);
      see->Update();
      found_state_ = Ref(s);
      const uint8_t symbol = s->symbol;
      Update2();
      return symbol;
    }
    if (count >= freq_sum) return -1;
    rc.Decode(high, freq_sum - high);
    see->summ = uint16_t(see->summ + freq_sum);
    for (unsigned k = 0; k < n; ++k) masked[candidates[k]->symbol] = 1;
  }
}

PpmDecoder::PpmDecoder() = default;
PpmDecoder::~PpmDecoder() = default;

PpmStart PpmDecoder::Start(const uint8_t*& next, int* escape) {
  next_ = next;
  const uint8_t flags = NextByte();
  const bool reset = (flags & 0x20) != 0;
  uint32_t megabytes = 0;
  if (reset) megabytes = NextByte() + 1u;
  else if (!model_ || !model_->Valid()) return PpmStart::BadData;
  if (flags & 0x40) *escape = NextByte();
  low_ = code_ = 0;
  range_ = 0xFFFFFFFF;
  for (int i = 0; i < 4; ++i) code_ = code_ << 8 | NextByte();
  next = next_;
  if (!reset) return PpmStart::Ok;

  unsigned order = (flags & 0x1F) + 1u;
  if (order > 16) order = 16 + (order - 16) * 3;
  if (!model_) model_ = std::make_unique<PpmModel>();
  model_->Invalidate();
  if (order == 1) return PpmStart::BadData;
  if (!model_->Allocate(megabytes << 20)) return PpmStart::NoMemory;
  model_->Restart(order);
  return PpmStart::Ok;
}

void PpmDecoder::Forget() {
  if (model_) model_->Invalidate();
}

void PpmDecoder::Normalize() {
  for (;;) {
    if ((low_ ^ (low_ + range_)) >= kRangeTop) {
      if (range_ >= kRangeBottom) break;
      range_ = (0 - low_) & (kRangeBottom - 1);
    }
    code_ = code_ << 8 | NextByte();
    range_ <<= 8;
    low_ <<= 8;
  }
}

int PpmDecoder::DecodeChar() {
  const int symbol = model_->DecodeSymbol(*this);
  if (symbol < 0) model_->Invalidate();
  return symbol;
}

}  // namespace unrar::rar29
