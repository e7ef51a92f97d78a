#pragma once
#include "tests/rarwriter/rarwriter.h"

namespace rarwriter {

Written WriteRar4(const Archive& archive);
Written WriteRar5(const Archive& archive);

}  // namespace rarwriter
