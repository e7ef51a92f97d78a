#pragma once
// Which paths the uninstaller may touch: plain full local paths ("C:\a\b", util/paths.h) inside
// the folders it owns. Anything else is refused as a whole, never followed. The rule is the
// installer's too: it lives in util/paths.h.
#include "util/paths.h"

namespace uninstall {

using util::IsInside;
using util::IsInsideOrSame;

}  // namespace uninstall
