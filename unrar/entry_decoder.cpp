#include "unrar/entry_decoder.h"

#include <new>

namespace unrar {

UnpackStatus EntryDecoder::Unpack(const UnpackParams& params, PackedSource& in, UnpackSink& out) {
  if (!Handles(params.version)) return UnpackStatus::UnknownMethod;
  const bool continues_broken = params.solid && broken_;
  broken_ = true;  // until the entry has decoded whole
  try {
    // A dictionary the process cannot hold is told as such, even after a failed entry.
    UnpackStatus status = Prepare(params);
    if (status != UnpackStatus::Ok) return status;
    if (continues_broken) return UnpackStatus::BadData;
    sink_ = &out;
    input_.Start(&in);
    status = DecodeEntry();
    if (status == UnpackStatus::Ok) broken_ = false;
    return status;
  } catch (const std::bad_alloc&) {
    return UnpackStatus::NoMemory;
  }
}

}  // namespace unrar
