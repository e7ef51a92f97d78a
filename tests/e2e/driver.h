#pragma once
// The end-to-end driver: starts Setup.exe, finds its windows by caption, reads and presses their
// controls, answers its message boxes and saves screenshots. It runs under Wine beside Setup.exe
// (or on Windows), in the same desktop. See tests/e2e/README.md.
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// How long the driver waits for a window or for the process before it gives up.
constexpr DWORD kWaitMs = 15000;

// One run of Setup.exe (or of another program the scenario starts or finds).
class SetupProcess {
 public:
  SetupProcess() = default;
  ~SetupProcess();  // ends a process that is still running
  SetupProcess(const SetupProcess&) = delete;
  SetupProcess& operator=(const SetupProcess&) = delete;

  // Starts `exe` (with `arguments` when given) with its own folder as the current folder.
  bool Start(const std::wstring& exe, const std::wstring& arguments = L"");
  // Starts a command line as given (as Windows runs an uninstall entry's command), in
  // `currentFolder` when one is given (as a deployment agent runs a package's command).
  bool StartCommand(std::wstring commandLine, const std::wstring& currentFolder = L"");
  // Takes over a process already running (one a started program handed over to).
  bool Attach(DWORD pid);
  // The full path of the process's program file; empty when it cannot be read.
  std::wstring ImagePath() const;
  DWORD pid() const { return pid_; }
  bool Running() const;
  // Waits for the process to end; false on timeout. `exitCode` receives its exit code.
  bool WaitExit(DWORD timeoutMs = kWaitMs, DWORD* exitCode = nullptr);

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// A visible top-level window of the process whose caption is exactly `caption`; null when none
// appeared within the time.
HWND WaitForWindow(DWORD pid, const std::wstring& caption, DWORD timeoutMs = kWaitMs);
// The same for a caption that begins with `prefix` (a page's design caption, whatever the
// product name after it).
HWND WaitForWindowStarting(DWORD pid, const std::wstring& prefix, DWORD timeoutMs = kWaitMs);
// The first top-level window of the process of the given class (visible or not).
HWND FindWindowOfClass(DWORD pid, const std::wstring& className);
// Waits until `window` is gone or hidden; false on timeout.
bool WaitGone(HWND window, DWORD timeoutMs = kWaitMs);
// The captions of the process's visible top-level windows (for failure messages).
std::vector<std::wstring> VisibleCaptions(DWORD pid);
// A process that `parent` started (the uninstaller hands over to a copy of itself); 0 when none
// appeared within the time.
DWORD WaitForChildProcess(DWORD parent, DWORD timeoutMs = kWaitMs);

// Controls, read across processes.
std::wstring Text(HWND window);
std::wstring ClassOf(HWND window);
// The child of `parent` whose text is exactly `text` (and whose class is `className` when not
// empty); null when none.
HWND FindChild(HWND parent, const std::wstring& text, const std::wstring& className = L"");
// All children of `parent` of a class, in creation order.
std::vector<HWND> ChildrenOfClass(HWND parent, const std::wstring& className);
bool Enabled(HWND window);
bool Visible(HWND window);
bool Checked(HWND button);
// Clicks a button, radio button or check box by its text (posted, so a message box the click
// opens does not block the driver). False when it is missing, hidden or disabled.
bool Press(HWND page, const std::wstring& buttonText);
// Replaces an edit's text; the page hears it as the user's change.
void SetEditText(HWND edit, const std::wstring& text);
// Asks the window to close, as Alt+F4 does.
void Close(HWND window);
// Presses and releases a key (with Shift held when asked) through the system's input, as the
// user's keyboard does: it reaches whatever window has the keyboard focus.
void PressKey(WORD virtualKey, bool shift = false);
// Types text through the system's input, one character at a time.
void TypeText(const std::wstring& text);
// The control that has the keyboard focus in the thread of `window`; null when none.
HWND FocusOf(HWND window);

// A message box of the process: waits for it, reads it, presses `button` (IDOK, IDYES, IDNO...).
struct MessageBoxSeen {
  bool found = false;
  std::wstring title;
  std::wstring text;
};
MessageBoxSeen AnswerMessageBox(DWORD pid, int button, DWORD timeoutMs = kWaitMs);

// Saves what the screen shows of `window` as a 24-bit BMP. False when it cannot.
bool SaveScreenshot(HWND window, const std::wstring& path);

// Polls `condition` until it holds; false on timeout.
template <class Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = kWaitMs) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(25);
  }
  return true;
}

}  // namespace e2e
