// The scoped Win32 wrappers against the real handles: each kind is released at the end of its
// scope, exactly once, and a DC or error mode comes back as it was.
#include "platform/win32/scoped_win.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

bool HandleIsOpen(HANDLE h) {
  DWORD flags = 0;
  return GetHandleInformation(h, &flags) != FALSE;
}

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

TEST(ScopedWin, AHandleClosesAtTheEndOfItsScopeAndFollowsItsMoves) {
  HANDLE raw = nullptr;
  {
    platform::ScopedHandle outer;
    {
      platform::ScopedHandle inner(NewEvent());
      raw = inner.Get();
      ASSERT_TRUE(HandleIsOpen(raw));
      outer = std::move(inner);
      EXPECT_FALSE(inner);
    }
    EXPECT_TRUE(HandleIsOpen(raw)) << "the moved-from wrapper closed what it gave away";
    EXPECT_EQ(outer.Get(), raw);
  }
  EXPECT_FALSE(HandleIsOpen(raw));
}

TEST(ScopedWin, ReleaseGivesTheHandleUpAndReceiveClosesTheOneHeldFirst) {
  platform::ScopedHandle held(NewEvent());
  HANDLE given = held.Release();
  EXPECT_FALSE(held);
  EXPECT_TRUE(HandleIsOpen(given));
  CloseHandle(given);

  platform::ScopedHandle receiving(NewEvent());
  HANDLE first = receiving.Get();
  HANDLE* slot = receiving.Receive();
  EXPECT_FALSE(HandleIsOpen(first));
  *slot = NewEvent();
  EXPECT_TRUE(receiving);
}

TEST(ScopedWin, CloseReleasesNowAndSaysWhetherItWorked) {
  platform::ScopedHandle held(NewEvent());
  HANDLE raw = held.Get();
  EXPECT_TRUE(held.Close());
  EXPECT_FALSE(held);
  EXPECT_FALSE(HandleIsOpen(raw));
  EXPECT_FALSE(held.Close()) << "nothing was left to close";
}

TEST(ScopedWin, FilesAndSearchesTakeInvalidHandleValueAsEmpty) {
  platform::ScopedFile missing(CreateFileW(L"C:\\no\\such\\file.bin", GENERIC_READ, 0, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(missing);
  WIN32_FIND_DATAW data;
  platform::ScopedFind find(FindFirstFileW(L"C:\\*", &data));
  EXPECT_TRUE(find);
}

TEST(ScopedWin, GdiObjectsWindowsAndIconsAreDestroyed) {
  HFONT font = nullptr;
  HWND window = nullptr;
  HICON icon = nullptr;
  {
    platform::ScopedFont scopedFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    scopedFont.Release();  // stock objects are never ours to delete
    LOGFONTW lf = {};
    lf.lfHeight = 13;
    scopedFont.Reset(CreateFontIndirectW(&lf));
    font = scopedFont.Get();
    platform::ScopedWindow scopedWindow(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10,
                                                        nullptr, nullptr, nullptr, nullptr));
    window = scopedWindow.Get();
    platform::ScopedIcon scopedIcon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
    icon = scopedIcon.Get();
    ASSERT_NE(GetObjectType(font), 0u);
    ASSERT_TRUE(IsWindow(window));
    ASSERT_NE(icon, nullptr);
  }
  EXPECT_EQ(GetObjectType(font), 0u);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(DestroyIcon(icon)) << "the icon was still there";
}

TEST(ScopedWin, ASelectedObjectIsSelectedOutAgainAndTheWindowDcReleased) {
  platform::WindowDc screen(nullptr);
  ASSERT_TRUE(screen);
  platform::ScopedMemoryDc dc(CreateCompatibleDC(screen.Get()));
  ASSERT_TRUE(dc);
  LOGFONTW lf = {};
  lf.lfHeight = 20;
  platform::ScopedFont font(CreateFontIndirectW(&lf));
  const HGDIOBJ before = GetCurrentObject(dc.Get(), OBJ_FONT);
  {
    platform::SelectedObject selected(dc.Get(), font.Get());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), font.Get());
  }
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), before);
}

TEST(ScopedWin, TheThreadErrorModeComesBack) {
  const DWORD before = GetThreadErrorMode();
  {
    platform::ThreadErrorMode quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    EXPECT_EQ(GetThreadErrorMode(), static_cast<DWORD>(SEM_FAILCRITICALERRORS |
                                                       SEM_NOOPENFILEERRORBOX));
  }
  EXPECT_EQ(GetThreadErrorMode(), before);
}

}  // namespace
