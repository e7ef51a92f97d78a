#pragma once
// The machine for tests: the Windows folder, the program's path, the current folder, the
// temporary files' folder and the free space of each drive are plain fields; fonts added,
// font-change broadcasts, programs started and restarts asked for are recorded.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/system.h"

namespace platform {

class FakeSystem : public System {
 public:
  std::wstring windowsDir = L"C:\\WINDOWS";
  std::wstring modulePath = L"D:\\Setup.exe";
  std::wstring currentDir = L"D:\\";
  std::wstring tempDir = L"C:\\TEMP";
  // Free bytes by drive letter (upper case); a drive not listed reports -1.
  std::map<wchar_t, int64_t> freeSpace;
  Date today{2026, 3, 9};

  std::wstring WindowsDir() override { return windowsDir; }
  Date Today() override { return today; }
  std::wstring ModulePath() override { return modulePath; }
  std::wstring CurrentDir() override { return currentDir; }
  std::wstring TempDir() override { return tempDir; }
  int64_t FreeSpace(const std::wstring& root) override;

  struct Start {
    std::wstring program, arguments, folder;
  };
  std::vector<Start> started;
  bool refuseStart = false;  // StartProgram fails (still recorded)
  bool StartProgram(const std::wstring& program, const std::wstring& arguments,
                    const std::wstring& folder) override {
    started.push_back({program, arguments, folder});
    return !refuseStart;
  }

  // StartProgramForResult records the start (its arguments with the channel option and
  // `channelName`) and gives `result` unless the start is refused.
  std::wstring channelName = L"7";
  ProgramResult result{ProgramResult::Status::Reported, 0};
  ProgramResult StartProgramForResult(const std::wstring& program, const std::wstring& arguments,
                                      const std::wstring& folder, const std::wstring& channelOption) override;

  struct Report {
    std::wstring channel;
    int code;
  };
  std::vector<Report> reports;
  bool ReportResult(const std::wstring& channel, int code) override {
    reports.push_back({channel, code});
    return true;
  }

  uint32_t processId = 412;
  uint32_t ProcessId() override { return processId; }
  // Processes waited for, in order, and whether each had ended by then.
  std::vector<uint32_t> waitedFor;
  bool processesEnd = true;
  bool WaitForProcessEnd(uint32_t id, uint32_t) override {
    waitedFor.push_back(id);
    return processesEnd;
  }

  struct Restart {
    uint32_t flags;
    uint32_t reason;
  };
  std::vector<std::wstring> fontsAdded;
  bool refuseFonts = false;  // AddFontResource fails (still recorded)
  int fontChangeBroadcasts = 0;
  std::vector<Restart> restarts;
  bool refuseRestart = false;

  std::vector<std::wstring> protectedFolders;  // in the order protected
  bool refuseProtection = false;                // ProtectLikeProgramFiles fails (still recorded)
  std::set<std::wstring> changeableByOthers;    // folders ordinary users may change
  bool ProtectLikeProgramFiles(const std::wstring& folder) override {
    protectedFolders.push_back(folder);
    if (!refuseProtection) changeableByOthers.erase(folder);
    return !refuseProtection;
  }
  bool OthersMayChange(const std::wstring& folder) override { return changeableByOthers.count(folder) > 0; }
  bool localSystem = false;
  bool RunsAsLocalSystem() override { return localSystem; }
  bool lockHeldElsewhere = false;  // another installation or removal runs
  bool holdsLock = false;          // this process took the installation lock
  bool HoldInstallationLock() override {
    holdsLock = holdsLock || !lockHeldElsewhere;
    return holdsLock;
  }
  bool InstallationRunning() override { return lockHeldElsewhere; }
  SessionAccounts accounts{L"PC\\user", L"PC\\user"};
  SessionAccounts Accounts() override { return accounts; }

  bool AddFont(const std::wstring& fileName) override {
    fontsAdded.push_back(fileName);
    return !refuseFonts;
  }
  void BroadcastFontChange() override { ++fontChangeBroadcasts; }
  bool RestartWindows(uint32_t flags, uint32_t reason) override {
    restarts.push_back({flags, reason});
    return !refuseRestart;
  }
};

}  // namespace platform
