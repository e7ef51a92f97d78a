#pragma once
// TFileNotify: one watcher thread (TNotificationThread) over up to eight change-notification
// handles of one folder. A signalled handle is reported by a message posted to a window, never by
// a call into the window's thread, so ending a watcher from that window cannot deadlock.
// Suspended means waiting on an event: SuspendThread could freeze the thread while it holds a
// lock of the heap.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/scoped_win.h"

namespace controls {

class TFileNotify {
 public:
  // Watches `folder` (with its subfolders when `subtree`) for each FILE_NOTIFY_CHANGE_* flag set
  // in `filters`; each change posts `message` to `target` with wParam = `tag`, lParam = the flag.
  // The thread starts at once and runs unless `suspended`. A folder that cannot be watched gives
  // a thread without handles that waits for its end.
  TFileNotify(HWND target, UINT message, WPARAM tag, const std::wstring& folder, DWORD filters,
              bool subtree, bool suspended);
  // Resumes, closes the handles, ends the thread and waits for it.
  ~TFileNotify();
  TFileNotify(const TFileNotify&) = delete;
  TFileNotify& operator=(const TFileNotify&) = delete;

  void Resume();
  void Suspend();

  // Counts over the process, for tests: watcher threads running and notification handles open.
  static long LiveThreads();
  static long LiveHandles();

 private:
  void Run();
  void Report(size_t index);
  void CloseHandles();

  HWND target_;
  UINT message_;
  WPARAM tag_;
  std::vector<platform::ScopedChangeNotification> handles_;
  std::vector<DWORD> kinds_;
  platform::ScopedHandle running_;  // manual reset event: set while the thread may watch
  platform::ScopedHandle stop_;     // manual reset event: set when the thread must end
  std::thread thread_;
};

}  // namespace controls
