#pragma once
// The output side shared by the RAR 1.5 and 2.0 decoders: the sliding window, the count of bytes
// decoded, and the hand-over of each entry's bytes to its sink in large pieces; and the loop both
// decoders run over it.
#include <cstddef>
#include <cstdint>

#include "unrar/rar5/bit_input.h"
#include "unrar/rar5/window.h"
#include "unrar/unpack.h"

namespace unrar::rar20 {

class OldWindow {
 public:
  // Before each entry. A solid entry keeps the history; false when the memory is not there.
  bool Prepare(uint64_t dict_size, bool solid, uint64_t unpacked_size);

  bool EntryDone() const { return produced_ >= entry_end_; }
  bool FlushDue() const { return produced_ - flushed_ >= flush_at_; }

  void Put(uint8_t byte) {
    window_.Data()[window_.pos] = byte;
    if (++window_.pos == window_.Size()) window_.pos = 0;
    ++produced_;
    if (history_ < window_.MaxHistory()) ++history_;
  }
  // False when the distance reaches before the decoded data (or is 0).
  bool Copy(size_t length, size_t distance);

  // Hands the entry's decoded bytes to the sink.
  UnpackStatus Flush(UnpackSink& sink);
  // After the entry's last symbol: a match may have run past its end; those bytes are decoded
  // (a solid continuation sees them) but never written.
  UnpackStatus Finish(UnpackSink& sink);

 private:
  rar5::Window window_;
  uint64_t produced_ = 0;  // decoded since the last non-solid entry
  uint64_t flushed_ = 0;   // handed to the sink, or passed over
  uint64_t entry_end_ = 0;
  uint64_t flush_at_ = 0;  // unflushed bytes that make a flush due
  size_t history_ = 0;     // bytes behind the write position that matches may reach
};

// Runs `step` (one symbol: UnpackStatus step(BitCursor&)) until the entry is whole, refilling the
// input and flushing the window between symbols, then finishes the entry's output.
template <class Step>
UnpackStatus DecodeToEntryEnd(rar5::BitInput& input, rar5::BitCursor& bits, OldWindow& window, UnpackSink& sink,
                              Step step) {
  while (!window.EntryDone()) {
    if (!input.Eof() && bits.pos > input.SafeEnd()) {
      input.SetPos(bits.pos);
      if (!input.Refill()) return UnpackStatus::ReadError;
      bits = input.Cursor();
    }
    if (input.Eof() && bits.pos > input.DataEnd()) return UnpackStatus::BadData;  // truncated
    if (window.FlushDue()) {
      const UnpackStatus status = window.Flush(sink);
      if (status != UnpackStatus::Ok) return status;
    }
    const UnpackStatus status = step(bits);
    if (status != UnpackStatus::Ok) return status;
  }
  if (input.Eof() && bits.pos > input.DataEnd()) return UnpackStatus::BadData;
  return window.Finish(sink);
}

}  // namespace unrar::rar20
