#pragma once
#include "tests/rarwriter/rarwriter.h"

namespace rarwriter {

Written WriteRar4(const Archive& archive);
// Whether the archive needs a key: encrypted headers (which need a password) or an encrypted file.
bool NeedsKey(const Archive& archive);
Written WriteRar5(const Archive& archive);

}  // namespace rarwriter
