// The one place that knows every decoder: each method version maps to its Unpacker here.
#include "unrar/unpack.h"

namespace unrar {

std::unique_ptr<Unpacker> MakeUnpacker(int version) {
  switch (version) {
    default:
      return nullptr;
  }
}

}  // namespace unrar
