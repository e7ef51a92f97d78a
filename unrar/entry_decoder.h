#pragma once
// What every decoder does around one entry: prepare its state, start the input, decode, and
// remember a failure, since a solid entry continues the previous one and cannot be decoded after
// it went wrong. A decoder supplies the method versions it handles, Prepare and DecodeEntry.
#include "unrar/rar5/bit_input.h"
#include "unrar/unpack.h"

namespace unrar {

class EntryDecoder : public Unpacker {
 public:
  UnpackStatus Unpack(const UnpackParams& params, PackedSource& in, UnpackSink& out) final;

 protected:
  virtual bool Handles(int version) const = 0;
  // Sizes the window and resets what a non-solid entry starts without.
  virtual UnpackStatus Prepare(const UnpackParams& params) = 0;
  // Decodes the entry from input_ to sink_.
  virtual UnpackStatus DecodeEntry() = 0;

  rar5::BitInput input_;
  UnpackSink* sink_ = nullptr;

 private:
  bool broken_ = false;  // the last entry failed midway
};

}  // namespace unrar
