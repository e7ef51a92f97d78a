#include "controls/file_notify_win.h"

namespace controls {

namespace {
std::atomic<long> liveThreads{0};
std::atomic<long> liveHandles{0};
constexpr DWORD kPollMs = 200;
}  // namespace

long TFileNotify::LiveThreads() { return liveThreads.load(); }
long TFileNotify::LiveHandles() { return liveHandles.load(); }

TFileNotify::TFileNotify(HWND target, UINT message, WPARAM tag, const std::wstring& folder,
                         DWORD filters, bool subtree, bool suspended)
    : target_(target), message_(message), tag_(tag) {
  running_ = CreateEventW(nullptr, TRUE, suspended ? FALSE : TRUE, nullptr);
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  // One handle per kind of change asked for, at most eight.
  for (DWORD bit = 1; bit != 0 && handles_.size() < 8; bit <<= 1) {
    if (!(filters & bit)) continue;
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    HANDLE h = FindFirstChangeNotificationW(folder.c_str(), subtree, bit);
    SetErrorMode(oldMode);
    if (h == INVALID_HANDLE_VALUE) {
      // "Невозможно установить обработчик нотификаций": that folder is simply not watched.
      for (HANDLE open : handles_) {
        FindCloseChangeNotification(open);
        --liveHandles;
      }
      handles_.clear();
      kinds_.clear();
      break;
    }
    ++liveHandles;
    handles_.push_back(h);
    kinds_.push_back(bit);
  }
  thread_ = std::thread([this] { Run(); });
}

TFileNotify::~TFileNotify() {
  SetEvent(stop_);
  SetEvent(running_);
  if (thread_.joinable()) thread_.join();
  for (HANDLE h : handles_) {
    FindCloseChangeNotification(h);
    --liveHandles;
  }
  CloseHandle(running_);
  CloseHandle(stop_);
}

void TFileNotify::Resume() { SetEvent(running_); }
void TFileNotify::Suspend() { ResetEvent(running_); }

void TFileNotify::Report(size_t index) {
  PostMessageW(target_, message_, tag_, static_cast<LPARAM>(kinds_[index]));
}

void TFileNotify::Run() {
  ++liveThreads;
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
  const DWORD count = static_cast<DWORD>(handles_.size());
  for (;;) {
    // Suspended: wait for the resume or the end, nothing else.
    HANDLE gate[2] = {stop_, running_};
    if (WaitForMultipleObjects(2, gate, FALSE, INFINITE) == WAIT_OBJECT_0) break;
    if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) break;
    if (count == 0) {
      WaitForSingleObject(stop_, INFINITE);
      break;
    }
    DWORD r = WaitForMultipleObjects(count, handles_.data(), FALSE, kPollMs);
    if (r >= WAIT_OBJECT_0 + count) continue;  // time-out or failure: look at the gate again
    size_t last = r - WAIT_OBJECT_0;
    Report(last);
    FindNextChangeNotification(handles_[last]);
    // A burst of changes is one report per kind: re-arm what signals again at once.
    while (WaitForSingleObject(stop_, 0) != WAIT_OBJECT_0) {
      r = WaitForMultipleObjects(count, handles_.data(), FALSE, 0);
      if (r >= WAIT_OBJECT_0 + count) break;
      size_t index = r - WAIT_OBJECT_0;
      if (index != last) Report(index);
      FindNextChangeNotification(handles_[index]);
      last = index;
    }
  }
  --liveThreads;
}

}  // namespace controls
