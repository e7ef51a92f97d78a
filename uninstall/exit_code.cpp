#include "uninstall/exit_code.h"

#include <algorithm>

namespace uninstall {

ExitCode ExitCodeOf(bool ran, const std::vector<Kept>& kept) {
  if (!ran) return ExitCode::NothingToRemove;
  if (kept.empty()) return ExitCode::Done;
  const bool onlyAtRestart =
      std::all_of(kept.begin(), kept.end(), [](const Kept& k) { return k.reason == Outcome::AtRestart; });
  return onlyAtRestart ? ExitCode::RestartNeeded : ExitCode::SomethingKept;
}

}  // namespace uninstall
