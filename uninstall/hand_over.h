#pragma once
// UnInstall.exe cannot remove its own file, nor the folder holding it, while it runs. Started
// from the destination, it copies itself into a new folder among the temporary files and has
// the copy do the work; the copy and its folder go at the next restart.
#include <cstdint>
#include <string>

namespace platform {
class FileSystem;
class System;
}  // namespace platform

namespace uninstall {

// Copies `self` into a new folder of the temporary files and starts the copy with
// "/UNINSTALL <destination> <processId>" (the destination quoted, without a trailing
// backslash), in that folder. True once the copy runs; false when any step fails, and then
// nothing it made is left.
bool HandOverToCopy(platform::System& system, platform::FileSystem& files, const std::wstring& self,
                    const std::wstring& destination, uint32_t processId);

}  // namespace uninstall
