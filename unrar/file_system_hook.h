#pragma once
// The file layer archives opened from now on use; tests put a failing one in, nullptr restores
// the machine's own.
#include "platform/file_system.h"

namespace unrar {

void SetFileSystem(platform::FileSystem* fs);
platform::FileSystem& CurrentFileSystem();

}  // namespace unrar
