#include "platform/win32/system_win.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstdint>
#include <string>
#include <utility>

#include "platform/win32/scoped_win.h"

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

// The process token, closed when it goes out of scope.
class ProcessToken {
 public:
  ProcessToken() {
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                          token_.Receive()))
      token_.Release();
  }

  // Switches one privilege on or off; false when the token or the privilege is not there.
  bool SetPrivilege(const wchar_t* name, bool enable) {
    if (!token_) return false;
    TOKEN_PRIVILEGES tp = {};
    tp.PrivilegeCount = 1;
    if (!LookupPrivilegeValueW(nullptr, name, &tp.Privileges[0].Luid)) return false;
    tp.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    return AdjustTokenPrivileges(token_.Get(), FALSE, &tp, 0, nullptr, nullptr) != FALSE;
  }

  // The token of another process, for its user alone.
  explicit ProcessToken(HANDLE process) {
    if (!OpenProcessToken(process, TOKEN_QUERY, token_.Receive())) token_.Release();
  }

  // Whether the token's user is the local system account.
  bool IsLocalSystem() const {
    PSID sid = UserSid();
    return sid && IsWellKnownSid(sid, WinLocalSystemSid) != FALSE;
  }

  // "DOMAIN\user" of the token's user; empty when it cannot be looked up.
  std::wstring UserName() {
    PSID sid = UserSid();
    if (!sid) return L"";
    wchar_t name[256], domain[256];
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use;
    if (!LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) return L"";
    return domainSize > 0 ? std::wstring(domain) + L"\\" + name : std::wstring(name);
  }

 private:
  // The SID of the token's user, held in the token's buffer; nullptr when not there.
  PSID UserSid() const {
    DWORD size = 0;
    if (!token_ || !GetTokenInformation(token_.Get(), TokenUser, user_, sizeof user_, &size))
      return nullptr;
    return reinterpret_cast<TOKEN_USER*>(user_)->User.Sid;
  }

  ScopedHandle token_;
  // TOKEN_USER with its SID behind it.
  alignas(TOKEN_USER) mutable unsigned char user_[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
};

// Starts the program, its path quoted before the arguments; `inherit`: with the handles this
// process made inheritable.
bool StartProcess(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                  bool inherit) {
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, inherit ? TRUE : FALSE, 0,
                      nullptr, folder.empty() ? nullptr : folder.c_str(), &si, &pi))
    return false;
  ScopedHandle thread(pi.hThread), process(pi.hProcess);  // not waited for
  return true;
}

}  // namespace

Date Win32System::Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

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

std::wstring Win32System::TempDir() {
  std::wstring folder = GrowingString(MAX_PATH + 1, [](wchar_t* buffer, DWORD size) {
    return GetTempPathW(size, buffer);
  });
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

int64_t Win32System::FreeSpace(const std::wstring& root) {
  ThreadErrorMode quiet;  // no "insert a disk" box for an empty drive
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr)) return -1;
  return static_cast<int64_t>(available.QuadPart);
}

bool Win32System::StartProgram(const std::wstring& program, const std::wstring& arguments,
                               const std::wstring& folder) {
  return StartProcess(program, arguments, folder, false);
}

// The channel is an anonymous pipe: the program inherits its writing end, named on its command
// line by the handle's number. Reading ends with the four bytes of the result, or with a broken
// pipe once the program has ended (crashed, killed) without writing them.
ProgramResult Win32System::StartProgramForResult(const std::wstring& program, const std::wstring& arguments,
                                                 const std::wstring& folder, const std::wstring& channelOption) {
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  ScopedHandle reading, writing;
  if (!CreatePipe(reading.Receive(), writing.Receive(), &inheritable, 0) ||
      !SetHandleInformation(reading.Get(), HANDLE_FLAG_INHERIT, 0))
    return ProgramResult{};
  const std::wstring channel = std::to_wstring(reinterpret_cast<uintptr_t>(writing.Get()));
  if (!StartProcess(program, arguments + L" " + channelOption + channel, folder, true)) return ProgramResult{};
  writing.Reset();  // only the program's end is left open: its end breaks the pipe
  ProgramResult result;
  result.status = ProgramResult::Status::EndedWithoutReport;
  int32_t code = 0;
  DWORD got = 0, total = 0;
  while (total < sizeof code &&
         ReadFile(reading.Get(), reinterpret_cast<char*>(&code) + total, sizeof code - total, &got, nullptr) &&
         got > 0)
    total += got;
  if (total == sizeof code) {
    result.status = ProgramResult::Status::Reported;
    result.code = code;
  }
  return result;
}

bool Win32System::ReportResult(const std::wstring& channel, int code) {
  if (channel.empty() || channel.size() > 20 || channel.find_first_not_of(L"0123456789") != std::wstring::npos)
    return false;
  const HANDLE pipe = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::stoull(channel)));
  // Only a pipe is written: a number that names another handle of this process is not a channel.
  if (GetFileType(pipe) != FILE_TYPE_PIPE) return false;
  ScopedHandle writing(pipe);
  const int32_t bytes = code;
  DWORD written = 0;
  return WriteFile(writing.Get(), &bytes, sizeof bytes, &written, nullptr) && written == sizeof bytes;
}

uint32_t Win32System::ProcessId() { return GetCurrentProcessId(); }

bool Win32System::WaitForProcessEnd(uint32_t processId, uint32_t timeoutMs) {
  ScopedHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  return !process || WaitForSingleObject(process.Get(), timeoutMs) == WAIT_OBJECT_0;
}

bool Win32System::AddFont(const std::wstring& fileName) {
  return AddFontResourceW(fileName.c_str()) > 0;
}

void Win32System::BroadcastFontChange() {
  // A window that does not answer within a second is not waited for.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 1000,
                      &ignored);
}

bool Win32System::HoldInstallationLock() {
  if (installationLock_) return true;
  // Whoever made the mutex holds the lock: it is never released before its process ends. One
  // made by another account (the system's, in session 0) may refuse to open: held all the same.
  SetLastError(ERROR_SUCCESS);
  ScopedHandle mutex(CreateMutexW(nullptr, FALSE, kInstallationLockName));
  const DWORD error = GetLastError();
  if (!mutex || error == ERROR_ALREADY_EXISTS) return false;
  installationLock_ = std::move(mutex);
  return true;
}

bool Win32System::InstallationRunning() {
  if (installationLock_) return false;
  ScopedHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kInstallationLockName));
  return mutex || GetLastError() == ERROR_ACCESS_DENIED;
}

bool Win32System::RestartWindows(uint32_t flags, uint32_t reason) {
  ProcessToken token;
  token.SetPrivilege(SE_SHUTDOWN_NAME, true);
  BOOL ok = ExitWindowsEx(flags, reason);
  token.SetPrivilege(SE_SHUTDOWN_NAME, false);
  return ok != FALSE;
}

// Program Files' own rights: protected from what the folders above hand down; SYSTEM and
// Administrators full control, Users read and execute (0x1200a9), each for the folder, its
// subfolders and its files.
constexpr wchar_t kProgramFilesRights[] = L"D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

bool Win32System::ProtectLikeProgramFiles(const std::wstring& folder) {
  PSECURITY_DESCRIPTOR made = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kProgramFilesRights, SDDL_REVISION_1, &made, nullptr))
    return false;
  ScopedLocalMemory<PSECURITY_DESCRIPTOR> descriptor(made);
  BOOL present = FALSE, defaulted = FALSE;
  PACL rights = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor.Get(), &present, &rights, &defaulted) || !present) return false;
  return SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                               DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                               nullptr, rights, nullptr) == ERROR_SUCCESS;
}

bool Win32System::OthersMayChange(const std::wstring& folder) {
  PACL rights = nullptr;
  PSECURITY_DESCRIPTOR read = nullptr;
  if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            &rights, nullptr, &read) != ERROR_SUCCESS)
    return false;
  ScopedLocalMemory<PSECURITY_DESCRIPTOR> descriptor(read);
  if (!rights) return true;  // no list at all: everyone may do anything
  // What lets one put, replace or remove a file, or hand oneself that right.
  constexpr ACCESS_MASK kChanging = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_WRITE_EA | FILE_DELETE_CHILD |
                                    DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
  const WELL_KNOWN_SID_TYPE others[] = {WinBuiltinUsersSid, WinAuthenticatedUserSid, WinWorldSid,
                                        WinInteractiveSid};
  for (DWORD i = 0; i < rights->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(rights, i, &entry)) continue;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) continue;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    if (!(allowed->Mask & kChanging)) continue;
    for (WELL_KNOWN_SID_TYPE other : others)
      if (IsWellKnownSid(&allowed->SidStart, other)) return true;
  }
  return false;
}

bool Win32System::RunsAsLocalSystem() { return ProcessToken().IsLocalSystem(); }

SessionAccounts Win32System::Accounts() {
  SessionAccounts accounts;
  accounts.process = ProcessToken().UserName();
  // The desktop's owner is the user of the shell that shows it (explorer.exe).
  DWORD shellId = 0;
  HWND shell = GetShellWindow();
  if (shell && GetWindowThreadProcessId(shell, &shellId) && shellId != 0) {
    ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellId));
    if (process) accounts.desktop = ProcessToken(process.Get()).UserName();
  }
  return accounts;
}

}  // namespace platform
