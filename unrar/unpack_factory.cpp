// The one place that knows every decoder: each method version maps to its Unpacker here.
#include "unrar/unpack.h"
#include "unrar/rar15/rar15_unpacker.h"
#include "unrar/rar20/rar20_unpacker.h"
#include "unrar/rar29/rar29_unpacker.h"
#include "unrar/rar5/rar5_unpacker.h"

namespace unrar {

std::unique_ptr<Unpacker> MakeUnpacker(int version) {
  switch (DecoderFamily(version)) {
    case 15: return std::make_unique<rar15::Rar15Unpacker>();
    case 20: return std::make_unique<rar20::Rar20Unpacker>();
    case 29: return std::make_unique<rar29::Rar29Unpacker>();
    case 50: return std::make_unique<rar5::Rar5Unpacker>();
    default:
      return nullptr;
  }
}

}  // namespace unrar
