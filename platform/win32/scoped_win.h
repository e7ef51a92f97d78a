#pragma once
// Scoped Win32 resources: each object releases what it holds when it goes out of scope, so no
// path (an early return, an error crossing it) leaks a handle or leaves a DC changed. Nothing
// on the Win32 side releases a handle by hand.
#include <windows.h>
#include <objbase.h>

#include "util/scope_exit.h"

namespace platform {

// One owned handle of a kind given by Traits: `Traits::None()` is the value that holds nothing,
// `Traits::Close(h)` releases one and tells whether that worked. Movable, not copyable.
template <class Traits>
class Scoped {
 public:
  using Handle = typename Traits::Handle;

  Scoped() = default;
  explicit Scoped(Handle h) : h_(h) {}
  ~Scoped() { Reset(); }
  Scoped(Scoped&& other) noexcept : h_(other.Release()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;

  Handle Get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::None(); }
  // Gives the handle up without releasing it.
  Handle Release() {
    Handle h = h_;
    h_ = Traits::None();
    return h;
  }
  // Releases the handle now and tells whether that worked (closing a written file may fail).
  bool Close() { return *this && Traits::Close(Release()); }
  // Releases the handle held and takes `h`.
  void Reset(Handle h = Traits::None()) {
    if (h_ != Traits::None()) Traits::Close(h_);
    h_ = h;
  }
  // For the calls that hand a handle out through a pointer: releases the one held first.
  Handle* Receive() {
    Reset();
    return &h_;
  }

 private:
  Handle h_ = Traits::None();
};

namespace scoped_traits {
// Kernel objects that hold nothing as null (events, processes, threads, tokens).
struct KernelObject {
  using Handle = HANDLE;
  static HANDLE None() { return nullptr; }
  static bool Close(HANDLE h) { return CloseHandle(h) != FALSE; }
};
// Files, which hold nothing as INVALID_HANDLE_VALUE.
struct File {
  using Handle = HANDLE;
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE h) { return CloseHandle(h) != FALSE; }
};
struct Find {
  using Handle = HANDLE;
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE h) { return FindClose(h) != FALSE; }
};
struct ChangeNotification {
  using Handle = HANDLE;
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE h) { return FindCloseChangeNotification(h) != FALSE; }
};
struct RegistryKey {
  using Handle = HKEY;
  static HKEY None() { return nullptr; }
  static bool Close(HKEY h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};
template <class T>
struct GdiObject {
  using Handle = T;
  static T None() { return nullptr; }
  static bool Close(T h) { return DeleteObject(h) != FALSE; }
};
struct MemoryDc {
  using Handle = HDC;
  static HDC None() { return nullptr; }
  static bool Close(HDC h) { return DeleteDC(h) != FALSE; }
};
struct Icon {
  using Handle = HICON;
  static HICON None() { return nullptr; }
  static bool Close(HICON h) { return DestroyIcon(h) != FALSE; }
};
struct Window {
  using Handle = HWND;
  static HWND None() { return nullptr; }
  static bool Close(HWND h) { return DestroyWindow(h) != FALSE; }
};
template <class T>
struct TaskMemory {
  using Handle = T;
  static T None() { return nullptr; }
  static bool Close(T p) {
    CoTaskMemFree(const_cast<void*>(static_cast<const void*>(p)));
    return true;
  }
};
struct Hook {
  using Handle = HHOOK;
  static HHOOK None() { return nullptr; }
  static bool Close(HHOOK h) { return UnhookWindowsHookEx(h) != FALSE; }
};
// Memory the system hands out with LocalAlloc (CommandLineToArgvW's list).
template <class T>
struct LocalMemory {
  using Handle = T;
  static T None() { return nullptr; }
  static bool Close(T p) { return LocalFree(reinterpret_cast<HLOCAL>(p)) == nullptr; }
};
}  // namespace scoped_traits

using ScopedHandle = Scoped<scoped_traits::KernelObject>;
using ScopedFile = Scoped<scoped_traits::File>;
using ScopedFind = Scoped<scoped_traits::Find>;
using ScopedChangeNotification = Scoped<scoped_traits::ChangeNotification>;
using ScopedRegistryKey = Scoped<scoped_traits::RegistryKey>;
template <class T>
using ScopedGdiObject = Scoped<scoped_traits::GdiObject<T>>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
// A DC of CreateCompatibleDC.
using ScopedMemoryDc = Scoped<scoped_traits::MemoryDc>;
// An icon loaded from a file (never a shared icon of LoadIcon).
using ScopedIcon = Scoped<scoped_traits::Icon>;
using ScopedWindow = Scoped<scoped_traits::Window>;
// Memory the shell hands out (item identifier lists).
template <class T>
using ScopedTaskMemory = Scoped<scoped_traits::TaskMemory<T>>;
using ScopedHook = Scoped<scoped_traits::Hook>;
template <class T>
using ScopedLocalMemory = Scoped<scoped_traits::LocalMemory<T>>;

// The DC of a window (GetDC), released to it with the object.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a DC, the one it replaced selected back with the object.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// This thread's error mode changed for the object's lifetime: SEM_FAILCRITICALERRORS hides the
// "insert a disk" box of empty removable drives while they are asked about.
class ThreadErrorMode {
 public:
  explicit ThreadErrorMode(DWORD mode = SEM_FAILCRITICALERRORS) {
    if (!SetThreadErrorMode(mode, &old_)) restore_ = false;
  }
  ~ThreadErrorMode() {
    if (restore_) SetThreadErrorMode(old_, nullptr);
  }
  ThreadErrorMode(const ThreadErrorMode&) = delete;
  ThreadErrorMode& operator=(const ThreadErrorMode&) = delete;

 private:
  DWORD old_ = 0;
  bool restore_ = true;
};

// COM initialised apartment-threaded on this thread for the object's lifetime (the shell's link
// objects want a single-threaded apartment).
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool Ok() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

// One COM interface pointer, released with the object.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;

  T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  // For the calls that hand out an interface: releases the one held first.
  T** Receive() {
    Reset();
    return &ptr_;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
  void Reset() {
    if (ptr_) ptr_->Release();
    ptr_ = nullptr;
  }

 private:
  T* ptr_ = nullptr;
};

using util::ScopeExit;

}  // namespace platform
