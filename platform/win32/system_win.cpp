#include "platform/win32/system_win.h"

#include <windows.h>

namespace platform {
namespace {

// Calls fill(buffer, size) -> length the API wanted, growing the buffer until it fits.
template <typename Fill>
std::wstring GrowingString(DWORD first, Fill fill) {
  std::wstring text(first, L'\0');
  for (;;) {
    DWORD length = fill(&text[0], static_cast<DWORD>(text.size()));
    if (length == 0) return std::wstring();
    if (length < text.size()) return text.substr(0, length);
    text.assign(text.size() * 2 > length + 1 ? text.size() * 2 : length + 1, L'\0');
  }
}

// Hides the "insert a disk" box of empty removable drives while asking about them.
class QuietDriveErrors {
 public:
  QuietDriveErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &old_); }
  ~QuietDriveErrors() { SetThreadErrorMode(old_, nullptr); }

 private:
  DWORD old_ = 0;
};

}  // namespace

std::wstring Win32System::WindowsDir() {
  return GrowingString(MAX_PATH + 1, [](wchar_t* buffer, DWORD size) {
    return GetWindowsDirectoryW(buffer, size);
  });
}

std::wstring Win32System::ModulePath() {
  return GrowingString(MAX_PATH + 1, [](wchar_t* buffer, DWORD size) {
    DWORD length = GetModuleFileNameW(nullptr, buffer, size);
    return length >= size ? size : length;  // truncated: report "did not fit"
  });
}

std::wstring Win32System::CurrentDir() {
  return GrowingString(MAX_PATH + 1, [](wchar_t* buffer, DWORD size) {
    return GetCurrentDirectoryW(size, buffer);
  });
}

int64_t Win32System::FreeSpace(const std::wstring& root) {
  QuietDriveErrors quiet;
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr)) return -1;
  return static_cast<int64_t>(available.QuadPart);
}

}  // namespace platform
