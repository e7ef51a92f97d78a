#include "tests/e2e/driver.h"

#include <tlhelp32.h>

#include <cstdio>

namespace e2e {

SetupProcess::~SetupProcess() {
  if (process_) {
    if (Running()) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
  }
}

bool SetupProcess::Start(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring folder = exe.substr(0, exe.find_last_of(L'\\') + 1);
  std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  return true;
}

bool SetupProcess::StartCommand(std::wstring commandLine, const std::wstring& currentFolder) {
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      currentFolder.empty() ? nullptr : currentFolder.c_str(), &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  return true;
}

bool SetupProcess::Attach(DWORD pid) {
  process_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  pid_ = process_ ? pid : 0;
  return process_ != nullptr;
}

std::wstring SetupProcess::ImagePath() const {
  wchar_t path[MAX_PATH * 2];
  DWORD size = MAX_PATH * 2;
  return process_ && QueryFullProcessImageNameW(process_, 0, path, &size) ? std::wstring(path, size) : std::wstring();
}

bool SetupProcess::Running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool SetupProcess::WaitExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(process_, exitCode);
  return true;
}

namespace {
struct Search {
  DWORD pid;
  bool prefixOnly;
  const std::wstring* caption;
  const std::wstring* className;
  bool visibleOnly;
  HWND found;
  std::vector<std::wstring>* captions;
};

BOOL CALLBACK EnumTop(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != s->pid) return TRUE;
  if (s->visibleOnly && !IsWindowVisible(window)) return TRUE;
  if (s->captions) {
    s->captions->push_back(Text(window));
    return TRUE;
  }
  if (s->caption) {
    std::wstring text = Text(window);
    if (s->prefixOnly ? text.compare(0, s->caption->size(), *s->caption) != 0 : text != *s->caption)
      return TRUE;
  }
  if (s->className && ClassOf(window) != *s->className) return TRUE;
  s->found = window;
  return FALSE;
}
}  // namespace

namespace {
// The visible top-level window of pid whose caption is `caption`, or only starts with it.
HWND WaitForCaption(DWORD pid, const std::wstring& caption, bool prefixOnly, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        Search s{pid, prefixOnly, &caption, nullptr, true, nullptr, nullptr};
        EnumWindows(EnumTop, reinterpret_cast<LPARAM>(&s));
        found = s.found;
        return found != nullptr;
      },
      timeoutMs);
  return found;
}
}  // namespace

HWND WaitForWindow(DWORD pid, const std::wstring& caption, DWORD timeoutMs) {
  return WaitForCaption(pid, caption, false, timeoutMs);
}

HWND WaitForWindowStarting(DWORD pid, const std::wstring& prefix, DWORD timeoutMs) {
  return WaitForCaption(pid, prefix, true, timeoutMs);
}

HWND FindWindowOfClass(DWORD pid, const std::wstring& className) {
  Search s{pid, false, nullptr, &className, false, nullptr, nullptr};
  EnumWindows(EnumTop, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

bool WaitGone(HWND window, DWORD timeoutMs) {
  return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

DWORD WaitForChildProcess(DWORD parent, DWORD timeoutMs) {
  DWORD child = 0;
  WaitUntil(
      [&] {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return false;
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more && !child; more = Process32NextW(snapshot, &entry))
          if (entry.th32ParentProcessID == parent && entry.th32ProcessID != parent) child = entry.th32ProcessID;
        CloseHandle(snapshot);
        return child != 0;
      },
      timeoutMs);
  return child;
}

std::vector<std::wstring> VisibleCaptions(DWORD pid) {
  std::vector<std::wstring> captions;
  Search s{pid, false, nullptr, nullptr, true, nullptr, &captions};
  EnumWindows(EnumTop, reinterpret_cast<LPARAM>(&s));
  return captions;
}

std::wstring Text(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
    return std::wstring();
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]),
                      SMTO_ABORTIFHUNG, 5000, &got);
  text.resize(got);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

namespace {
struct ChildSearch {
  const std::wstring* text;
  const std::wstring* className;
  std::vector<HWND>* all;
  HWND found;
};
BOOL CALLBACK EnumChild(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<ChildSearch*>(param);
  if (s->className && !s->className->empty() &&
      lstrcmpiW(ClassOf(window).c_str(), s->className->c_str()) != 0)
    return TRUE;
  if (s->all) {
    s->all->push_back(window);
    return TRUE;
  }
  if (s->text && Text(window) != *s->text) return TRUE;
  s->found = window;
  return FALSE;
}
}  // namespace

HWND FindChild(HWND parent, const std::wstring& text, const std::wstring& className) {
  ChildSearch s{&text, &className, nullptr, nullptr};
  EnumChildWindows(parent, EnumChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::wstring& className) {
  std::vector<HWND> all;
  ChildSearch s{nullptr, &className, &all, nullptr};
  EnumChildWindows(parent, EnumChild, reinterpret_cast<LPARAM>(&s));
  return all;
}

bool Enabled(HWND window) { return window && IsWindowEnabled(window); }
bool Visible(HWND window) { return window && IsWindowVisible(window); }

bool Checked(HWND button) {
  DWORD_PTR state = 0;
  SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
  return state == BST_CHECKED;
}

bool Press(HWND page, const std::wstring& buttonText) {
  HWND button = FindChild(page, buttonText, L"Button");
  if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button)) return false;
  // A click on the control itself: radio buttons and check boxes change their state as well.
  PostMessageW(button, BM_CLICK, 0, 0);
  return true;
}

void SetEditText(HWND edit, const std::wstring& text) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                      SMTO_ABORTIFHUNG, 5000, &ignored);
}

void Close(HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }

void PressKey(WORD virtualKey, bool shift) {
  std::vector<INPUT> keys;
  auto add = [&](WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    keys.push_back(input);
  };
  if (shift) add(VK_SHIFT, false);
  add(virtualKey, false);
  add(virtualKey, true);
  if (shift) add(VK_SHIFT, true);
  SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

void TypeText(const std::wstring& text) {
  for (wchar_t c : text) {
    INPUT keys[2] = {};
    for (INPUT& input : keys) {
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = c;
      input.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
  }
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

MessageBoxSeen AnswerMessageBox(DWORD pid, int button, DWORD timeoutMs) {
  MessageBoxSeen seen;
  HWND box = nullptr;
  const std::wstring dialogClass = L"#32770";
  WaitUntil(
      [&] {
        Search s{pid, false, nullptr, &dialogClass, true, nullptr, nullptr};
        EnumWindows(EnumTop, reinterpret_cast<LPARAM>(&s));
        box = s.found;
        return box != nullptr;
      },
      timeoutMs);
  if (!box) return seen;
  seen.found = true;
  seen.title = Text(box);
  seen.text = Text(GetDlgItem(box, 0xFFFF));  // the message text of a message box
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  WaitGone(box, timeoutMs);
  return seen;
}

bool SaveScreenshot(HWND window, const std::wstring& path) {
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;  // bottom-up, as BMP files store it
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (dib) {
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    SelectObject(mem, old);
    const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u);
    const DWORD imageSize = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;  // "BM"
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + imageSize;
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f) {
      ok = fwrite(&fh, sizeof fh, 1, f) == 1 &&
           fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
           fwrite(bits, 1, imageSize, f) == imageSize;
      ok = (fclose(f) == 0) && ok;
    }
    DeleteObject(dib);
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace e2e
