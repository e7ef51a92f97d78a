#include <windows.h>

#include <richedit.h>

#include <cstring>
#include <string>

#include "pages/license.h"
#include "pages/views_win.h"
#include "util/codepage.h"

namespace pages {

namespace {

// The rich-text viewer's window class, registered by loading its DLL from System32 (never from
// the medium's folder). msftedit.dll where it exists, riched20.dll otherwise.
const wchar_t* RichEditClass() {
  static const wchar_t* loaded = nullptr;
  if (loaded) return loaded;
  const struct {
    const wchar_t* dll;
    const wchar_t* windowClass;
  } candidates[] = {{L"msftedit.dll", MSFTEDIT_CLASS}, {L"riched20.dll", RICHEDIT_CLASSW}};
  for (const auto& candidate : candidates) {
    HMODULE dll = LoadLibraryExW(candidate.dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!dll && GetLastError() == ERROR_INVALID_PARAMETER) {
      // Windows 7 without its loader update knows no search flags: name System32 ourselves.
      wchar_t system[MAX_PATH];
      UINT n = GetSystemDirectoryW(system, MAX_PATH);
      if (n > 0 && n < MAX_PATH)
        dll = LoadLibraryW((std::wstring(system, n) + L"\\" + candidate.dll).c_str());
    }
    if (dll) return loaded = candidate.windowClass;
  }
  return nullptr;
}

// Bytes handed to EM_STREAMIN piece by piece.
struct StreamSource {
  const char* data;
  size_t size;
  size_t done;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  size_t n = source->size - source->done;
  if (n > static_cast<size_t>(wanted)) n = static_cast<size_t>(wanted);
  memcpy(buffer, source->data + source->done, n);
  source->done += n;
  *got = static_cast<LONG>(n);
  return 0;
}

// Replaces the viewer's whole content; true when the viewer took it.
bool StreamIn(HWND viewer, const void* data, size_t size, WPARAM format) {
  StreamSource source{static_cast<const char*>(data), size, 0};
  EDITSTREAM stream = {};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = &ReadStream;
  SendMessageW(viewer, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
  return stream.dwError == 0;
}

class LicenseView : public PageWindow {
 public:
  explicit LicenseView(TfmLicense& page) : PageWindow(page), page_(page) {}

 protected:
  void CreateControls() override {
    BindNext(page_.btNext);
    BindCancel(page_.btCancel);
    AddFrame();
    if (const wchar_t* richEdit = RichEditClass()) {
      viewer_ = AddControl(richEdit, L"",
                           WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                               ES_NOHIDESEL,
                           24, 24, 584, 300, NextControlId(), WS_EX_CLIENTEDGE);
      // The default limit of 32K characters would cut a long agreement short.
      if (viewer_) SendMessageW(viewer_, EM_EXLIMITTEXT, 0, kMaxAgreementBytes);
    }
    BindLabel(page_.Label1, 24, 336, 300, 16);
    BindRadio(page_.rbYes, 24, 356, 200, 17, true, [this] { page_.rbYesClick(); });
    BindRadio(page_.rbNot, 24, 374, 200, 17, false, [this] { page_.rbNotClick(); });
    AddBevel();
  }

  void MirrorExtra() override {
    if (!viewer_) return;
    const AgreementText& agreement = page_.RichEdit1;
    bool shown = false;
    if (agreement.rich)
      shown = StreamIn(viewer_, agreement.rtf.data(), agreement.rtf.size(), SF_RTF);
    if (!shown) {
      // Rich text the viewer refuses is shown as the text it is.
      std::wstring text = agreement.rich ? util::FromCp1251(agreement.rtf) : agreement.text;
      StreamIn(viewer_, text.data(), text.size() * sizeof(wchar_t), SF_TEXT | SF_UNICODE);
    }
    SendMessageW(viewer_, EM_SETSEL, 0, 0);
    SendMessageW(viewer_, WM_VSCROLL, SB_TOP, 0);
  }

 private:
  TfmLicense& page_;
  HWND viewer_ = nullptr;
};

}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmLicense& page) {
  return std::make_unique<LicenseView>(page);
}

}  // namespace pages
