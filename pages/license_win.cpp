#include <windows.h>

#include <psapi.h>
#include <richedit.h>

#include <cstring>
#include <string>
#include <vector>

#include "pages/license.h"
#include "pages/views_win.h"
#include "platform/win32/system_dlls.h"
#include "util/codepage.h"
#include "util/rtf_pieces.h"

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
    if (platform::LoadSystemDll(candidate.dll)) return loaded = candidate.windowClass;
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

class LicenseView : public PageView<TfmLicense> {
 public:
  using PageView::PageView;

 protected:
  void CreateControls() override {
    AddFrame();
    if (const wchar_t* richEdit = RichEditClass()) {
      viewer_ = AddControl(richEdit, L"",
                           WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                               ES_NOHIDESEL,
                           24, 24, 584, 300, NextControlId(), WS_EX_CLIENTEDGE);
      if (viewer_) {
        // The default limit of 32K characters would cut a long agreement short.
        SendMessageW(viewer_, EM_EXLIMITTEXT, 0, kMaxAgreementBytes);
        // Nobody undoes a read-only text: a viewer that kept what each piece inserted would
        // hold a long agreement several times over.
        SendMessageW(viewer_, EM_SETUNDOLIMIT, 0, 0);
        LetKeysPass(viewer_);
      }
    }
    BindLabel(page_.Label1, 24, 336, 300, 16);
    BindRadio(page_.rbYes, 24, 356, 200, 17, true, [this] { page_.rbYesClick(); });
    BindRadio(page_.rbNot, 24, 374, 200, 17, false, [this] { page_.rbNotClick(); });
    BindNext(page_.btNext);
    BindCancel(page_.btCancel);
  }

  void MirrorExtra() override {
    if (!viewer_) return;
    ++showing_;  // a load left unfinished by an earlier showing stops
    KillTimer(hwnd(), kReaderTimer);
    richPieces_.clear();
    nextRichPiece_ = 0;
    pending_ = nullptr;
    std::wstring().swap(refusedRich_);
    loaded_ = 0;
    fed_ = 0;
    SetWindowTextW(viewer_, L"");
    const AgreementText& agreement = page_.RichEdit1;
    bool shown = false;
    if (agreement.rich) {
      richPieces_ = util::SplitRtf(agreement.rtf, kPieceBytes);
      shown = StreamIn(viewer_, richPieces_[0].data(), richPieces_[0].size(), SF_RTF);
      nextRichPiece_ = 1;
      fed_ = richPieces_[0].size();
      if (shown) {
        std::string().swap(richPieces_[0]);
      } else {
        richPieces_.clear();
      }
    }
    if (!shown) {
      // Rich text the viewer refuses is shown as the text it is.
      if (agreement.rich) refusedRich_ = util::FromCp1251(agreement.rtf);
      pending_ = agreement.rich ? &refusedRich_ : &agreement.text;
      LoadPiece();
    }
    ScheduleMore();
    SendMessageW(viewer_, EM_SETSEL, 0, 0);
    SendMessageW(viewer_, WM_VSCROLL, SB_TOP, 0);
  }

  bool OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT* result) override {
    if (msg == kLoadPieceMessage) {
      if (wParam == showing_) {
        LoadPiece();
        ScheduleMore();
      }
    } else if (msg == WM_TIMER && wParam == kReaderTimer) {
      KillTimer(hwnd(), kReaderTimer);
      ScheduleMore();
    } else {
      return false;
    }
    *result = 0;
    return true;
  }

 private:
  // Posted between the pieces of a long text; wParam is the showing it belongs to.
  static constexpr UINT kLoadPieceMessage = WM_APP + 30;
  // Laying text out costs the viewer up to a second per 16K characters (Wine's): a long text
  // goes in piece by piece, the window answering between pieces.
  static constexpr size_t kPieceChars = 16384;
  static constexpr size_t kPieceBytes = 16384;  // of rich text, cut at a paragraph's end
  // The viewer also holds its text several times over (Wine's some 150 bytes a character): the
  // first 2 MiB of an agreement go in at once, the rest only as the reader comes within 128K
  // characters of the end of what is in, checked every 250 ms.
  static constexpr size_t kEagerBytes = 2u << 20;
  static constexpr LRESULT kAheadChars = 128 * 1024;
  static constexpr UINT_PTR kReaderTimer = 0x4C52;
  static constexpr UINT kReaderCheckMs = 250;
  // A piece is loaded only while the memory the process has committed stays this far below its
  // address space (what is not committed memory, the program and its libraries, lives there
  // too).
  static constexpr DWORDLONG kSpareAddressSpace = 1ull << 30;

  bool MoreToLoad() const {
    return nextRichPiece_ < richPieces_.size() || (pending_ && loaded_ < pending_->size());
  }

  // Loads the next piece at once while the reader needs it, else looks again a moment later.
  void ScheduleMore() {
    if (!MoreToLoad()) {
      std::vector<std::string>().swap(richPieces_);
      pending_ = nullptr;
      std::wstring().swap(refusedRich_);
    } else if (fed_ < kEagerBytes || ReaderNearTheEnd()) {
      PostMessageW(hwnd(), kLoadPieceMessage, showing_, 0);
    } else {
      SetTimer(hwnd(), kReaderTimer, kReaderCheckMs, nullptr);
    }
  }

  bool ReaderNearTheEnd() const {
    POINTL topLeft = {1, 1};
    const LRESULT first =
        SendMessageW(viewer_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&topLeft));
    GETTEXTLENGTHEX how = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LRESULT length =
        SendMessageW(viewer_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0);
    return length - first < kAheadChars;
  }

  // Wine reports no free address space of its own (ullAvailVirtual stays at the whole), so the
  // committed memory is weighed against the whole.
  static bool AddressSpaceLeft() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GlobalMemoryStatusEx(&status) ||
        !GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
      return true;
    return counters.PagefileUsage + kSpareAddressSpace <= status.ullTotalVirtual;
  }

  // Appends the next piece: of the rich text while pieces of it are left, else of the plain
  // text, ended at a line end where one is near. With no room left for it, the loading ends
  // and the viewer says why.
  void LoadPiece() {
    if (!MoreToLoad()) return;
    if (!AddressSpaceLeft()) {
      richPieces_.clear();
      pending_ = nullptr;
      const std::wstring notice = L"\r\n" + page_.RichEdit1Full();
      AppendAtEnd(notice.data(), notice.size() * sizeof(wchar_t),
                  SF_TEXT | SF_UNICODE | SFF_SELECTION);
      Refresh();
      return;
    }
    if (nextRichPiece_ < richPieces_.size()) {
      std::string& piece = richPieces_[nextRichPiece_++];
      AppendAtEnd(piece.data(), piece.size(), SF_RTF | SFF_SELECTION);
      fed_ += piece.size();
      std::string().swap(piece);  // in the viewer now: a long agreement is not held twice
    } else {
      const std::wstring& plain = *pending_;
      size_t end = loaded_ + kPieceChars;
      if (end >= plain.size()) {
        end = plain.size();
      } else {
        const size_t lineEnd = plain.rfind(L'\n', end - 1);
        if (lineEnd != std::wstring::npos && lineEnd > loaded_) end = lineEnd + 1;
      }
      AppendAtEnd(plain.data() + loaded_, (end - loaded_) * sizeof(wchar_t),
                  SF_TEXT | SF_UNICODE | SFF_SELECTION);
      fed_ += end - loaded_;
      loaded_ = end;
    }
  }

  // Streams in at the end of the viewer and leaves the user's place in the text where it was.
  void AppendAtEnd(const void* data, size_t size, WPARAM format) {
    POINT scroll = {};
    CHARRANGE selection = {};
    SendMessageW(viewer_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    SendMessageW(viewer_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageW(viewer_, EM_SETSEL, -1, -1);
    StreamIn(viewer_, data, size, format);
    SendMessageW(viewer_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageW(viewer_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  }

  HWND viewer_ = nullptr;
  WPARAM showing_ = 0;
  std::vector<std::string> richPieces_;  // the rich text being loaded
  size_t nextRichPiece_ = 0;
  // The plain text being loaded: the page's own (it stays until the next showing) or the rich
  // text the viewer refused, as text.
  const std::wstring* pending_ = nullptr;
  std::wstring refusedRich_;
  size_t loaded_ = 0;  // of *pending_, in the viewer
  size_t fed_ = 0;     // characters of plain text or bytes of rich text streamed in
};

}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmLicense& page) {
  return std::make_unique<LicenseView>(page);
}

}  // namespace pages
