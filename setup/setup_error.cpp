#include "setup/setup_error.h"

#include "util/utf8.h"

namespace setup {
namespace {
std::string Utf8(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) util::AppendUtf8(&out, static_cast<uint32_t>(c) & 0xFFFF);
  return out;
}
}  // namespace

SetupError::SetupError(const std::wstring& text) : std::runtime_error(Utf8(text)), text_(text) {}

}  // namespace setup
