#include "uninstall/exit_code.h"

namespace uninstall {

ExitCode ExitCodeOf(bool ran, const std::vector<Kept>& kept) {
  if (!ran) return ExitCode::NothingToRemove;
  if (kept.empty()) return ExitCode::Done;
  return OnlyLeftToRestart(kept) ? ExitCode::RestartNeeded : ExitCode::SomethingKept;
}

}  // namespace uninstall
