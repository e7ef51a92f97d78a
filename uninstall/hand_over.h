#pragma once
// UnInstall.exe cannot remove its own file, nor the folder holding it, while it runs. Started
// from the destination, it copies itself into a new folder among the temporary files and has
// the copy do the work. It waits for the copy's result, which it hands to its own caller; the
// copy then removes the original's file and its folders once the original has ended, and leaves
// its own file and folder to the next restart.
#include <cstdint>
#include <string>

#include "platform/system.h"

namespace platform { class FileSystem; }

namespace uninstall {

// Copies `self` into a new folder of the temporary files, named after `processId`, and starts
// the copy in that folder with `arguments` and the channel of its result (/RESULT=). Waits for
// that result. NotStarted when any step before the start fails, and then nothing it made is
// left.
platform::ProgramResult HandOverToCopy(platform::System& system, platform::FileSystem& files,
                                       const std::wstring& self, const std::wstring& arguments, uint32_t processId);

}  // namespace uninstall
