#pragma once
// The system, as the model needs it: the Windows folder, the program's own path, the current
// folder and the free space of a drive. Files themselves go through platform/file_system.h.
// Implemented over Win32 (platform/win32) and by FakeSystem for tests. Paths are Windows paths
// in UTF-16.
#include <cstdint>
#include <string>

namespace platform {

class System {
 public:
  virtual ~System() = default;

  // The Windows folder as the system reports it ("C:\WINDOWS", no trailing backslash).
  virtual std::wstring WindowsDir() = 0;
  // Full path of the running program's file.
  virtual std::wstring ModulePath() = 0;
  // The process's current folder.
  virtual std::wstring CurrentDir() = 0;
  // Bytes available to the user on the drive of `root` ("D:\"); -1 when the system cannot say
  // (no such drive, no disk in it, not a drive at all).
  virtual int64_t FreeSpace(const std::wstring& root) = 0;
};

}  // namespace platform
