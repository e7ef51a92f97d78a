// Rich text streamed into the real viewer whole and piece by piece: the same text, and the same
// look at the start and in the middle of every paragraph.
#include <windows.h>

#include <richedit.h>

#include <gtest/gtest.h>

#include <string>

#include "util/rtf_pieces.h"

namespace {

DWORD CALLBACK ReadString(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
  auto* rest = reinterpret_cast<std::string*>(cookie);
  const size_t n = std::min(rest->size(), static_cast<size_t>(wanted));
  memcpy(buffer, rest->data(), n);
  rest->erase(0, n);
  *got = static_cast<LONG>(n);
  return 0;
}

struct Viewer {
  Viewer() {
    LoadLibraryW(L"msftedit.dll");
    hwnd = CreateWindowExW(0, MSFTEDIT_CLASS, L"", ES_MULTILINE, 0, 0, 400, 300, nullptr, nullptr,
                           nullptr, nullptr);
    SendMessageW(hwnd, EM_EXLIMITTEXT, 0, 1 << 24);
  }
  ~Viewer() { DestroyWindow(hwnd); }

  void StreamIn(std::string rtf, WPARAM format) {
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&rtf);
    stream.pfnCallback = &ReadString;
    SendMessageW(hwnd, EM_SETSEL, -1, -1);
    SendMessageW(hwnd, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
  }

  std::wstring Text() const {
    std::wstring text(GetWindowTextLengthW(hwnd) + 1, L'\0');
    text.resize(GetWindowTextW(hwnd, &text[0], static_cast<int>(text.size())));
    return text;
  }

  // How the character at `at` and its paragraph look.
  std::wstring LookAt(LONG at) const {
    SendMessageW(hwnd, EM_SETSEL, at, at + 1);
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_SIZE | CFM_FACE | CFM_COLOR;
    SendMessageW(hwnd, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof pf;
    pf.dwMask = PFM_ALIGNMENT | PFM_STARTINDENT;
    SendMessageW(hwnd, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    return std::to_wstring(cf.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE)) + L" " +
           std::to_wstring(cf.yHeight) + L" " + cf.szFaceName + L" " +
           std::to_wstring(cf.crTextColor) + L" | " + std::to_wstring(pf.wAlignment) + L" " +
           std::to_wstring(pf.dxStartIndent);
  }

  HWND hwnd;
};

std::string Document(const std::string& body) {
  return "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}"
         "{\\f1\\fmodern Courier New;}}{\\colortbl;\\red200\\green0\\blue0;}\r\n"
         "\\viewkind4\\uc1\\pard\\lang1049\\f0\\fs20 " +
         body + "}";
}

TEST(RtfPiecesInTheViewer, PiecesShowTheSameTextAndLook) {
  std::string settingsAcross, resets;
  for (int i = 0; i < 40; ++i) {
    const std::string n = std::to_string(i);
    // Settings made at the top level stay in force across the cuts until reset.
    settingsAcross += (i % 7 == 0 ? "\\b " : "") + std::string(i % 7 == 3 ? "\\b0\\i " : "") +
                      (i % 11 == 5 ? "\\pard\\qc " : "") + (i % 11 == 9 ? "\\pard\\li720 " : "") +
                      "Line " + n + " \\'cf\\'f3\\u1071? {\\ul under} end\\par\r\n";
    resets += (i % 5 == 0 ? "\\plain\\f1\\fs28\\cf1 " : "") + std::string(i % 5 == 2 ? "\\plain " : "") +
              "Row " + n + (i % 9 == 4 ? " \\trowd\\cellx2000\\pard\\intbl in\\cell cell\\cell\\row\\pard " : "") +
              " text\\par\r\n";
  }
  for (const std::string& rtf : {Document(settingsAcross), Document(resets)}) {
    const std::vector<std::string> pieces = util::SplitRtf(rtf, 60);
    ASSERT_GT(pieces.size(), 5u);
    Viewer whole, pieced;
    whole.StreamIn(rtf, SF_RTF);
    pieced.StreamIn(pieces[0], SF_RTF);
    for (size_t i = 1; i < pieces.size(); ++i) pieced.StreamIn(pieces[i], SF_RTF | SFF_SELECTION);
    const std::wstring text = whole.Text();
    ASSERT_EQ(pieced.Text(), text);
    size_t compared = 0;
    for (size_t at = 0; at < text.size(); ++at) {
      if (at != 0 && text[at - 1] != L'\n' && at % 5 != 0) continue;
      // Wine's viewer gives the cells of a table in a whole document its default look: lines
      // with table cells are compared by their text only.
      const size_t lineEnd = at == 0 ? std::wstring::npos : text.rfind(L'\n', at - 1);
      const size_t lineStart = lineEnd == std::wstring::npos ? 0 : lineEnd + 1;
      const std::wstring line = text.substr(lineStart, text.find(L'\n', at) - lineStart);
      if (line.find(L'\t') != std::wstring::npos || text[at] < L' ') continue;  // cells are tabs
      ASSERT_EQ(pieced.LookAt(static_cast<LONG>(at)), whole.LookAt(static_cast<LONG>(at)))
          << "at " << at << " in: " << text.substr(at, 20);
      ++compared;
    }
    EXPECT_GT(compared, text.size() / 6);
  }
}

}  // namespace
