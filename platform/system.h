#pragma once
// The system, as the model and the uninstaller need it: the Windows folder, the program's own
// path and process, the current folder, the temporary files' folder, the free space of a drive,
// the fonts of the session, starting a program (and getting its result) and the restart of
// Windows. Files themselves go through platform/file_system.h.
// Implemented over Win32 (platform/win32) and by FakeSystem for tests. Paths are Windows paths
// in UTF-16.
#include <cstdint>
#include <string>

namespace platform {

// What became of a program started for its result.
struct ProgramResult {
  enum class Status { NotStarted, Reported, EndedWithoutReport };
  Status status = Status::NotStarted;
  int code = 0;  // the reported result
};

struct SessionAccounts {
  std::wstring process;
  std::wstring desktop;
};

// A calendar day.
struct Date {
  int year = 0, month = 0, day = 0;
};

class System {
 public:
  virtual ~System() = default;

  // The Windows folder as the system reports it ("C:\WINDOWS", no trailing backslash).
  virtual std::wstring WindowsDir() = 0;
  // Today in the machine's local time.
  virtual Date Today() = 0;
  // Full path of the running program's file.
  virtual std::wstring ModulePath() = 0;
  // The process's current folder.
  virtual std::wstring CurrentDir() = 0;
  // The user's folder for temporary files as the system reports it (no trailing backslash but a
  // drive's root's); empty when the system cannot say.
  virtual std::wstring TempDir() = 0;
  // Bytes available to the user on the drive of `root` ("D:\"); -1 when the system cannot say
  // (no such drive, no disk in it, not a drive at all).
  virtual int64_t FreeSpace(const std::wstring& root) = 0;

  // Makes a font file of the fonts folder usable at once, until Windows restarts
  // (AddFontResourceW with the bare file name). False when the system refuses it.
  virtual bool AddFont(const std::wstring& fileName) = 0;
  // Tells every top-level window that the fonts changed (WM_FONTCHANGE), without waiting long
  // for a window that does not answer.
  virtual void BroadcastFontChange() = 0;
  // Starts the program (a full path) with the arguments, quoted as its command line wants them,
  // in `folder`, shown normally, and leaves it running on its own. False when it does not start.
  virtual bool StartProgram(const std::wstring& program, const std::wstring& arguments,
                            const std::wstring& folder) = 0;
  // Starts the program as StartProgram does, handing it a channel for its result: its command
  // line ends with `channelOption` followed by the channel's name ("/RESULT=" gives
  // "/RESULT=<name>"). Then waits, without a time limit, until the program reports through the
  // channel (ReportResult) or ends without reporting.
  virtual ProgramResult StartProgramForResult(const std::wstring& program, const std::wstring& arguments,
                                              const std::wstring& folder, const std::wstring& channelOption) = 0;
  // Run by a program started that way: reports `code` through the channel named on its command
  // line and closes it, so the starter goes on. False when `channel` names no channel.
  virtual bool ReportResult(const std::wstring& channel, int code) = 0;
  // The running process's id.
  virtual uint32_t ProcessId() = 0;
  // Waits at most `timeoutMs` until the process `processId` has ended; true once it has (or there
  // is no such process).
  virtual bool WaitForProcessEnd(uint32_t processId, uint32_t timeoutMs) = 0;
  // Takes the lock that lets one installation or removal of the product run on this computer at
  // a time, in every session (a deployment tool's in session 0, a user's in another), and holds
  // it until the process ends. False when another process holds it, or holds it where this
  // process may not open it.
  virtual bool HoldInstallationLock() = 0;
  // Whether another process holds that lock now (without taking it).
  virtual bool InstallationRunning() = 0;
  // Restarts Windows with the shutdown privilege switched on for the call (ExitWindowsEx with
  // these EWX_* flags and SHTDN_REASON_* reason). True when the restart was accepted.
  virtual bool RestartWindows(uint32_t flags, uint32_t reason) = 0;

  // Gives a folder the permissions of Program Files: Administrators and SYSTEM full control,
  // Users read and execute, nothing inherited from the folders above; what it holds inherits
  // them. False when the system refuses.
  virtual bool ProtectLikeProgramFiles(const std::wstring& folder) = 0;
  // Whether users who are not administrators may add, change or remove what the folder holds.
  virtual bool OthersMayChange(const std::wstring& folder) = 0;
  // Whether this process runs as the local system account (as deployment tools start programs),
  // which has no desktop or Start menu of a person's.
  virtual bool RunsAsLocalSystem() = 0;
  // The accounts of this process and of the person whose desktop it runs on ("DOMAIN\user").
  // They differ when an administrator's account runs the installer for another person; an empty
  // one when the system cannot say.
  virtual SessionAccounts Accounts() = 0;
};

// The name of the installation lock: in the namespace every session shares.
constexpr wchar_t kInstallationLockName[] = L"Global\\Sketrion.Setup.Installation";

// ExitWindowsEx's flags and reasons, numbered as Win32's.
constexpr uint32_t kExitReboot = 0x02;         // EWX_REBOOT
constexpr uint32_t kExitForce = 0x04;          // EWX_FORCE
constexpr uint32_t kExitForceIfHung = 0x10;    // EWX_FORCEIFHUNG
constexpr uint32_t kReasonMajorApplication = 0x00040000;  // SHTDN_REASON_MAJOR_APPLICATION
constexpr uint32_t kReasonMinorInstallation = 0x00000002;  // SHTDN_REASON_MINOR_INSTALLATION
constexpr uint32_t kReasonFlagPlanned = 0x80000000;       // SHTDN_REASON_FLAG_PLANNED

}  // namespace platform
