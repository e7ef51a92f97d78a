#pragma once
// The system over Win32 (the W functions).
#include "platform/system.h"
#include "platform/win32/scoped_win.h"

namespace platform {

class Win32System : public System {
 public:
  std::wstring WindowsDir() override;
  Date Today() override;
  std::wstring ModulePath() override;
  std::wstring CurrentDir() override;
  std::wstring TempDir() override;
  int64_t FreeSpace(const std::wstring& root) override;
  bool AddFont(const std::wstring& fileName) override;
  void BroadcastFontChange() override;
  bool StartProgram(const std::wstring& program, const std::wstring& arguments,
                    const std::wstring& folder) override;
  ProgramResult StartProgramForResult(const std::wstring& program, const std::wstring& arguments,
                                      const std::wstring& folder, const std::wstring& channelOption) override;
  bool ReportResult(const std::wstring& channel, int code) override;
  uint32_t ProcessId() override;
  bool WaitForProcessEnd(uint32_t processId, uint32_t timeoutMs) override;
  bool HoldInstallationLock() override;
  bool InstallationRunning() override;
  bool RestartWindows(uint32_t flags, uint32_t reason) override;
  bool ProtectLikeProgramFiles(const std::wstring& folder) override;
  bool OthersMayChange(const std::wstring& folder) override;
  bool RunsAsLocalSystem() override;
  SessionAccounts Accounts() override;

 private:
  ScopedHandle installationLock_;  // the named mutex, while this process holds it
};

}  // namespace platform
