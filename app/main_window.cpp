#include "app/main_window.h"

#include "app/resource.h"
#include "winui/error_box_win.h"
#include "platform/file_system.h"
#include "platform/win32/scoped_win.h"
#include "setup/setup.h"
#include "winui/dpi_win.h"

namespace app {

namespace {
constexpr wchar_t kClassName[] = L"TfmMainSetup";
constexpr UINT kStartChain = WM_APP + 10;

// The maker's notice under the product name: a large copyright sign and the text beside it.
constexpr wchar_t kNoticeSign[] = L"\x00A9";
constexpr wchar_t kNoticeText[] = L"Sketrion, 2005";

HFONT MakeFont(const wchar_t* face, int height, bool bold, bool italic, bool underline) {
  LOGFONTW lf = {};
  lf.lfHeight = -height;  // character height in pixels
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = italic;
  lf.lfUnderline = underline;
  lf.lfCharSet = RUSSIAN_CHARSET;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

SIZE TextSize(HWND control, HFONT font, const std::wstring& text) {
  SIZE size = {0, 0};
  platform::WindowDc dc(control);
  platform::SelectedObject selected(dc.Get(), font);
  GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

bool FileExists(const std::wstring& path) {
  return platform::RealFileSystem().Kind(path) == platform::PathKind::File;
}
}  // namespace

TfmMainSetup::TfmMainSetup(setup::TSetup& model, platform::Registry& registry)
    : acAutoCAD(registry, FileExists), model_(model) {}

bool TfmMainSetup::Create(HINSTANCE instance) {
  winui::WindowClass cls;
  cls.name = kClassName;
  cls.background = GetSysColorBrush(COLOR_DESKTOP);
  cls.icon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SETUP));
  cls.smallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), 0));

  dpi_ = winui::ScreenDpi();
  picture_.Reset(static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDB_BACKGROUND), IMAGE_BITMAP, 0, 0, 0)));
  // No border icons, a fixed dialog border; the design client area is 786 x 519 at 120 dpi.
  if (!window_.Create(cls, WS_EX_CONTROLPARENT, L"", WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN,
                      CW_USEDEFAULT, CW_USEDEFAULT, Scale(786), Scale(519), nullptr))
    return false;
  CreateLabels();
  FormCreate();
  return true;
}

void TfmMainSetup::FormCreate() {
  model_.ReadSetupIni();
  SetWindowTextW(hwnd(), model_.FCaption.c_str());
  winui::SetApplicationTitle(model_.FCaption);
  SetWindowTextW(lbNameProduct_, model_.FNameApplication.c_str());
  acAutoCAD.GetReleases(FAcadList);
  PlaceLabels();
}

void TfmMainSetup::CreateLabels() {
  nameFont_.Reset(MakeFont(L"Arial", Scale(80), true, true, true));
  noticeFont1_.Reset(MakeFont(L"MS Sans Serif", Scale(17), false, false, false));
  noticeFont2_.Reset(MakeFont(L"MS Sans Serif", Scale(13), false, false, false));
  auto label = [&](const wchar_t* text, DWORD align, const platform::ScopedFont& font) {
    HWND h = CreateWindowExW(WS_EX_TRANSPARENT, L"STATIC", text,
                             WS_CHILD | WS_VISIBLE | SS_NOPREFIX | align, 0, 0, 10, 10, hwnd(),
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    return h;
  };
  lbNameProduct_ = label(L"", SS_RIGHT, nameFont_);
  lbNotice1_ = label(kNoticeSign, SS_LEFT, noticeFont1_);
  lbNotice2_ = label(kNoticeText, SS_LEFT, noticeFont2_);
}

void TfmMainSetup::PlaceLabels() {
  if (!lbNameProduct_) return;  // sized while being created, before the labels exist
  RECT client;
  GetClientRect(hwnd(), &client);
  const int width = client.right;
  // The product name: right-justified, its right edge 11 design pixels from the client's.
  int nameLength = GetWindowTextLengthW(lbNameProduct_);
  std::wstring name(static_cast<size_t>(nameLength) + 1, L'\0');
  GetWindowTextW(lbNameProduct_, &name[0], nameLength + 1);
  name.resize(static_cast<size_t>(nameLength));
  SIZE nameSize = TextSize(lbNameProduct_, nameFont_.Get(), name);
  MoveWindow(lbNameProduct_, width - Scale(11) - nameSize.cx, Scale(12), nameSize.cx,
             nameSize.cy, TRUE);
  // The notice stays where it was drawn relative to the right edge (786 wide at design).
  SIZE s1 = TextSize(lbNotice1_, noticeFont1_.Get(), kNoticeSign);
  SIZE s2 = TextSize(lbNotice2_, noticeFont2_.Get(), kNoticeText);
  MoveWindow(lbNotice1_, width - Scale(786 - 627), Scale(101), s1.cx, s1.cy, TRUE);
  MoveWindow(lbNotice2_, width - Scale(786 - 642), Scale(103), s2.cx, s2.cy, TRUE);
}

void TfmMainSetup::SetIcon(HICON big, HICON small) {
  if (big) SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  if (small) SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void TfmMainSetup::FormShow(std::function<void()> runChain) {
  runChain_ = std::move(runChain);
  ShowWindow(hwnd(), SW_SHOWMAXIMIZED);
  UpdateWindow(hwnd());
  PostMessageW(hwnd(), kStartChain, 0, 0);
}

void TfmMainSetup::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  RECT client;
  GetClientRect(hwnd(), &client);
  BITMAP bm = {};
  if (picture_ && GetObjectW(picture_.Get(), sizeof bm, &bm)) {
    platform::ScopedMemoryDc mem(CreateCompatibleDC(dc));
    platform::SelectedObject selected(mem.Get(), picture_.Get());
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, client.right, client.bottom, mem.Get(), 0, 0, bm.bmWidth, bm.bmHeight,
               SRCCOPY);
  } else {
    FillRect(dc, &client, GetSysColorBrush(COLOR_DESKTOP));
  }
  EndPaint(hwnd(), &ps);
}

LRESULT TfmMainSetup::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the picture covers everything
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SIZE:
      PlaceLabels();
      InvalidateRect(hwnd(), nullptr, TRUE);
      return 0;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, reinterpret_cast<HWND>(lParam) == lbNameProduct_ ? RGB(0, 0, 255)
                                                                        : RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    case WM_SYSCOMMAND:
      // No close button: the installation ends through the chain.
      if ((wParam & 0xFFF0) == SC_CLOSE) return 0;
      break;
    case WM_CLOSE:
      return 0;
    case kStartChain: {
      auto run = std::move(runChain_);
      runChain_ = nullptr;
      if (!acAutoCAD.DetectError().empty()) winui::ShowGeneralError(acAutoCAD.DetectError());
      if (run) winui::Guarded(run);
      // The chain has ended (finish or a confirmed cancel): closing ends the message loop.
      window_.Destroy();
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return window_.Default(msg, wParam, lParam);
}

}  // namespace app
