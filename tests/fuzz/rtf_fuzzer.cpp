// libFuzzer target over the agreement's rich-text cutting: any bytes, any piece size; the pieces
// must never outgrow about twice the document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "util/rtf_pieces.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t pieceBytes = data[0] % 64 + 1;
  const std::string rtf = "{\\rtf1" + std::string(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::vector<std::string> pieces = util::SplitRtf(rtf, pieceBytes);
  size_t total = 0;
  for (const std::string& piece : pieces) total += piece.size();
  // A piece adds at most a space and a closing brace of its own.
  if (total > 2 * rtf.size() + 2 * pieces.size()) abort();
  return 0;
}
