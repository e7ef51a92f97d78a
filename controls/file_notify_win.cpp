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
  running_.Reset(CreateEventW(nullptr, TRUE, suspended ? FALSE : TRUE, nullptr));
  stop_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  // One handle per kind of change asked for, at most eight.
  for (DWORD bit = 1; bit != 0 && handles_.size() < 8; bit <<= 1) {
    if (!(filters & bit)) continue;
    platform::ScopedChangeNotification h;
    {
      platform::ThreadErrorMode quiet;
      h.Reset(FindFirstChangeNotificationW(folder.c_str(), subtree, bit));
    }
    if (!h) {
      // "Невозможно установить обработчик нотификаций": that folder is simply not watched.
      CloseHandles();
      kinds_.clear();
      break;
    }
    ++liveHandles;
    handles_.push_back(std::move(h));
    kinds_.push_back(bit);
  }
  thread_ = std::thread([this] { Run(); });
}

TFileNotify::~TFileNotify() {
  SetEvent(stop_.Get());
  SetEvent(running_.Get());
  if (thread_.joinable()) thread_.join();
  CloseHandles();
}

void TFileNotify::CloseHandles() {
  liveHandles -= static_cast<long>(handles_.size());
  handles_.clear();
}

void TFileNotify::Resume() { SetEvent(running_.Get()); }
void TFileNotify::Suspend() { ResetEvent(running_.Get()); }

void TFileNotify::Report(size_t index) {
  PostMessageW(target_, message_, tag_, static_cast<LPARAM>(kinds_[index]));
}

void TFileNotify::Run() {
  ++liveThreads;
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
  // The handles as WaitForMultipleObjects takes them; handles_ keeps owning them.
  std::vector<HANDLE> handles;
  for (const auto& h : handles_) handles.push_back(h.Get());
  const DWORD count = static_cast<DWORD>(handles.size());
  const HANDLE stop = stop_.Get();
  for (;;) {
    // Suspended: wait for the resume or the end, nothing else.
    HANDLE gate[2] = {stop, running_.Get()};
    if (WaitForMultipleObjects(2, gate, FALSE, INFINITE) == WAIT_OBJECT_0) break;
    if (WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) break;
    if (count == 0) {
      WaitForSingleObject(stop, INFINITE);
      break;
    }
    DWORD r = WaitForMultipleObjects(count, handles.data(), FALSE, kPollMs);
    if (r >= WAIT_OBJECT_0 + count) continue;  // time-out or failure: look at the gate again
    size_t last = r - WAIT_OBJECT_0;
    Report(last);
    FindNextChangeNotification(handles[last]);
    // A burst of changes is one report per kind: re-arm what signals again at once.
    while (WaitForSingleObject(stop, 0) != WAIT_OBJECT_0) {
      r = WaitForMultipleObjects(count, handles.data(), FALSE, 0);
      if (r >= WAIT_OBJECT_0 + count) break;
      size_t index = r - WAIT_OBJECT_0;
      if (index != last) Report(index);
      FindNextChangeNotification(handles[index]);
      last = index;
    }
  }
  --liveThreads;
}

}  // namespace controls
