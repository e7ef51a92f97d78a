#pragma once
// Walking Setup.exe through its pages and timing its passes, shared by the Wine benchmarks
// (installer_bench, welcome_test_bench). While a pass is timed the installer is only polled
// (IsWindowEnabled, IsWindowVisible): a message to it would make it pump.
#include <windows.h>

#include <functional>
#include <string>

#include "bench/clock.h"

namespace bench {

// Prints "error=<what>" and ends the benchmark.
[[noreturn]] void Fail(const char* what);

template <class Condition>
bool PollUntil(Condition condition, double timeoutSeconds) {
  const double start = Now();
  while (!condition()) {
    if (Now() - start > timeoutSeconds) return false;
    Sleep(1);
  }
  return true;
}

// Presses the page's button of that text once it can be pressed.
void Click(HWND page, const std::wstring& text);

// The top-level window of the process whose caption begins with `prefix`, shown or hidden (every
// page exists from the start); read without a message to the installer.
HWND PageWindow(DWORD pid, const std::wstring& prefix);

// Presses `next` (the welcome page's "Далее >" once its test passed), accepts the agreement,
// sets the destination to `dest` and returns the groups page once its "Далее >" can be pressed.
HWND WalkToGroups(DWORD pid, HWND welcome, const std::wstring& dest);

struct CopyTimes {
  double copied = 0;  // until the progress bar hid: the archives are done
  double copy = 0;    // until the additional software page showed: the follow-up step too
};

// Presses the groups page's "Далее >" and times the copy page. `watch`, when given, is called
// about every 20 ms while the archives are extracted, with the copy page and the seconds since
// the press; it must read the page without a message to it.
using CopyWatch = std::function<void(HWND copyPage, double seconds)>;
CopyTimes TimeCopying(DWORD pid, HWND groups, const CopyWatch& watch = nullptr);

}  // namespace bench
