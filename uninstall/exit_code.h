#pragma once
// What UnInstall.exe tells its caller by its exit code. The values are part of the command-line
// interface administrators script against: they never change (README lists them beside
// Setup.exe's, whose values for the same meanings they share).
#include <vector>

#include "uninstall/uninstaller.h"

namespace uninstall {

enum class ExitCode : int {
  Done = 0,               // everything removed
  Failed = 1,             // an unexpected error, or the temporary copy ended without a result
  BadArgument = 2,        // an unknown, repeated or malformed option, or no /UNINSTALL
  LogNotMade = 8,         // the file /LOG= names cannot be written
  NothingToRemove = 9,    // no record of an installation in the folder (or the user said No)
  SomethingKept = 10,     // files changed, in use, refused...: the log names each and why
  AnotherInstallation = 1618,  // another installation or removal runs: nothing was removed
  RestartNeeded = 3010,   // removed, but for what Windows removes at its next start
};

// The code of a finished run: `ran` as Uninstaller::Run returned, `kept` its kept items.
ExitCode ExitCodeOf(bool ran, const std::vector<Kept>& kept);

}  // namespace uninstall
