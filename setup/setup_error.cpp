#include "setup/setup_error.h"

#include "util/text.h"

namespace setup {

SetupError::SetupError(const std::wstring& text) : std::runtime_error(util::ToUtf8(text)), text_(text) {}

}  // namespace setup
