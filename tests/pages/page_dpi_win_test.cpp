// Every page and the folder chooser at 96, 120, 144 and 192 dpi, laid out again as Windows asks
// a window when its monitor's scale changes: the page is its design size at that dpi, every
// control lies inside its parent, and every text a user reads fits its control in the
// control's own font.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acad/autocad.h"
#include "archive/rar.h"
#include "pages/dlg_path.h"
#include "pages/exit_win.h"
#include "pages/file_readme.h"
#include "pages/first_form.h"
#include "pages/get_groups.h"
#include "pages/get_path.h"
#include "pages/graph_profile.h"
#include "pages/license.h"
#include "pages/pr_copy_file.h"
#include "platform/fake/fake_drives.h"
#include "view_fixture_win.h"
#include "winui/dpi_win.h"

namespace pages::testing {
namespace {

constexpr int kDpis[] = {96, 120, 144, 192};

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

// The room `window`'s text needs in its own font: one line, or wrapped at `wrapWidth` when it
// is more than zero.
SIZE TextExtent(HWND window, const std::wstring& text, int wrapWidth, UINT flags) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
  RECT r = {0, 0, wrapWidth > 0 ? wrapWidth : 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            flags | DT_CALCRECT | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

// What does not fit, one line per control; empty when everything does.
std::vector<std::string> Misfits(HWND page, int dpi) {
  std::vector<std::string> misfits;
  std::vector<HWND> children;
  EnumChildWindows(page, CollectChild, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    if (!IsWindowVisible(child)) continue;
    const std::wstring cls = ClassName(child);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(child)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(child, &text[0], static_cast<int>(text.size()))));
    RECT box;
    GetWindowRect(child, &box);
    HWND parent = GetParent(child);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
    RECT room;
    GetClientRect(parent, &room);
    const std::string name = Narrow(cls) + " \"" + Narrow(text) + "\" at " + std::to_string(dpi) + " dpi";
    if (box.left < room.left || box.top < room.top || box.right > room.right || box.bottom > room.bottom)
      misfits.push_back(name + ": outside its parent");
    if (text.empty()) continue;
    const int width = box.right - box.left, height = box.bottom - box.top;
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    const UINT prefix = (cls == L"Static" && (style & SS_NOPREFIX)) ? DT_NOPREFIX : 0;
    if (cls == L"Static") {
      if (style & (SS_ENDELLIPSIS | SS_PATHELLIPSIS | SS_WORDELLIPSIS)) continue;  // cut on purpose
      const bool oneLine = (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP;
      const SIZE need = TextExtent(child, text, oneLine ? 0 : width, prefix);
      if (need.cx > width || need.cy > height) misfits.push_back(name + ": text needs more room");
    } else if (cls == L"Button") {
      const LONG type = style & BS_TYPEMASK;
      if (type == BS_GROUPBOX) continue;
      const bool mark = type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON || type == BS_AUTOCHECKBOX ||
                        type == BS_CHECKBOX;
      // A push button's text keeps off its edges; a check box's or radio button's starts after
      // its mark.
      const int taken = mark ? winui::ScaleToDpi(13 + 4, dpi) : winui::ScaleToDpi(2 * 3, dpi);
      const SIZE need = TextExtent(child, text, 0, 0);
      if (need.cx > width - taken || need.cy > height) misfits.push_back(name + ": text needs more room");
    }
  }
  return misfits;
}

class PageDpiTest : public ViewTest {
 protected:
  // Sends `view` what Windows sends when the scale changes, with the rectangle it suggests (the
  // window's, scaled), and checks the outcome.
  void CheckAtEveryDpi(PageWindow& view, const char* pageName, bool designSized = true) {
    for (int dpi : kDpis) {
      RECT now;
      GetWindowRect(view.hwnd(), &now);
      const int from = view.Dpi();
      RECT suggested = {now.left, now.top, now.left + MulDiv(now.right - now.left, dpi, from),
                        now.top + MulDiv(now.bottom - now.top, dpi, from)};
      SendMessageW(view.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
      EXPECT_EQ(view.Dpi(), dpi) << pageName;
      // Shown, a page takes its design size at its dpi.
      const SIZE shown = view.WindowSize();
      if (designSized) {
        EXPECT_NEAR(shown.cx, MulDiv(kPageWidth, dpi, 96), 2) << pageName << " at " << dpi;
        EXPECT_NEAR(shown.cy, MulDiv(kPageHeight, dpi, 96), 2) << pageName << " at " << dpi;
      }
      SetWindowPos(view.hwnd(), nullptr, 0, 0, shown.cx, shown.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      for (const std::string& misfit : Misfits(view.hwnd(), dpi)) ADD_FAILURE() << pageName << ": " << misfit;
    }
  }

  platform::FakeDrives drives;
  archive::TRAR rar;
  acad::TAutoCAD acAutoCAD{registry, [](const std::wstring&) { return false; }};
  acad::TAutoCADReleaseList acadList{{L"AutoCAD 2004", acad::geACAD2004}};
};

TEST_F(PageDpiTest, EveryPageAndTheChooserFitAtEveryScale) {
  model.FDestDir = L"C:\\Program Files\\Sketrion Software\\Sketrion\\";
  AddGroup(L"1=1|BASE.RAR|Основные файлы|Программа", 300000);
  TfmFirstForm welcome(model, rar, acadList);
  TfmLicense license(model);
  TfmGetPath destination(model, drives);
  TfmGetGroups groups(model);
  TfmGraphProfile editor(model, acAutoCAD, acadList);
  // Shown with the line that names the profile's account (long names) and the first-start note.
  system.accounts = {L"BUHGALTERIA-PC-07\\Администратор", L"BUHGALTERIA-PC-07\\Константинопольский"};
  editor.FormShow();
  TfmPrCopyFile copying(model, rar);
  TfmFileReadme readme(model);
  TfmExitWin finish(model);
  struct Shown {
    const char* name;
    std::function<std::unique_ptr<PageWindow>()> make;
  };
  const Shown pages[] = {
      {"welcome", [&] { return MakeView(welcome); }},
      {"license", [&] { return MakeView(license); }},
      {"destination", [&] { return MakeView(destination); }},
      {"groups", [&] { return MakeView(groups); }},
      {"graphic editor", [&] { return MakeView(editor); }},
      {"copying", [&] { return MakeView(copying); }},
      {"additional software", [&] { return MakeView(readme); }},
      {"finish", [&] { return MakeView(finish); }},
  };
  for (const Shown& page : pages) {
    std::unique_ptr<PageWindow> view = page.make();
    ASSERT_NE(view->hwnd(), nullptr) << page.name;
    CheckAtEveryDpi(*view, page.name);
  }
  TfmDlgPath chooser;
  std::unique_ptr<PageWindow> view = CreateView(chooser);
  view->Create(owner);
  ASSERT_NE(view->hwnd(), nullptr);
  CheckAtEveryDpi(*view, "folder chooser", false);
  // The chooser's client area holds its design at its dpi. (Its frame is reckoned for that dpi;
  // a test process's real frame stays at the screen's, so only "at least" is certain here.)
  RECT client;
  GetClientRect(view->hwnd(), &client);
  EXPECT_NEAR(client.right, MulDiv(kDlgPathClientWidth, 192, 96), 2);
  EXPECT_GE(client.bottom, MulDiv(kDlgPathClientHeight, 192, 96) - 2);
}

}  // namespace
}  // namespace pages::testing
