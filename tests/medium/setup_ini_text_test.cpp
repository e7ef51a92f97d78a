// The medium checker's reading of Setup.ini's text: each fault found once, at its place, and a
// sound file left without findings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/skmedium/setup_ini_text.h"
#include "util/codepage.h"
#include "util/text.h"

namespace {

// Where each finding of a file written in Windows-1251 is.
std::vector<std::wstring> Places(const std::string& bytes) {
  skmedium::Findings findings;
  skmedium::CheckSetupIniText(bytes, findings);
  std::vector<std::wstring> places;
  for (const skmedium::Finding& finding : findings) places.push_back(finding.where);
  return places;
}

const std::wstring kSound =
    L"[GENERAL]\r\nNameApplication=Схемы 7.2\r\nnamecompany = Sketrion\r\n"
    L"[GROUPS]\r\n1=1|BASE.RAR|Основные файлы\r\n2=0|EXTRA.RAR\r\n"
    L"[Link1]\r\nFileLink=Схемы\\Схемы.lnk\r\nFilename=BIN\\SK.EXE\r\n; a comment\r\n\r\n";

TEST(SetupIniText, EachFaultIsFoundAtItsPlace) {
  const struct {
    std::wstring text;
    std::vector<std::wstring> places;
  } cases[] = {
      {kSound, {}},
      {L"Caption=X\r\n" + kSound, {L"Setup.ini"}},                       // before any section
      {kSound + L"[general]\r\nCaption=X\r\n", {L"[general]"}},          // the section again
      {kSound + L"[Other]\r\nx=1\r\n", {L"[Other]"}},                    // not read
      {kSound + L"[Link]\r\nFileLink=x\r\n", {L"[Link]"}},               // no number
      {kSound + L"[Link02]\r\nFileLink=x\r\n", {L"[Link02]"}},           // a leading zero
      {kSound + L"[Link3]\r\nFileLink=x\r\n", {L"[Link3]"}},             // after a gap
      {kSound + L"[Link2]\r\n[Link3]\r\nFileLink=x\r\n", {L"[Link3]"}},  // after an empty one
      {kSound + L"[Execute]\r\nBDE=a\r\nbde=b\r\nSetup=c\r\n", {L"[Execute]", L"[Execute]"}},
      {kSound + L"[GROUPS2\r\n", {L"Setup.ini"}},  // a broken header
      {kSound + L"just words\r\n", {L"Setup.ini"}},
      {L"[GROUPS]\r\n1=a\r\n\x1A", {}},  // the DOS end mark
      // A Version the uninstall entry cannot show; an empty one is none at all.
      {L"[GENERAL]\r\nVersion = 7.2.0.15\r\n", {}},
      {L"[GENERAL]\r\nVersion=\r\n", {}},
      {L"[GENERAL]\r\nVersion=7.2 beta\r\n", {L"[GENERAL]"}},
      {L"[GENERAL]\r\nVersion=1.2.3.4.5\r\n", {L"[GENERAL]"}},
      {L"[general]\r\nversion=7,2\r\n", {L"[GENERAL]"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Places(util::ToCp1251(c.text)), c.places) << util::ToUtf8(c.text);
}

TEST(SetupIniText, AFileInUtf8IsFoundAndOneInUtf16IsRead) {
  EXPECT_EQ(Places(util::ToUtf8(kSound)), (std::vector<std::wstring>{L"Setup.ini"}));
  // With the mark, the mark is the first thing found, ahead of what it does to the first line.
  const std::vector<std::wstring> marked = Places("\xEF\xBB\xBF" + util::ToUtf8(kSound));
  ASSERT_FALSE(marked.empty());
  EXPECT_EQ(marked[0], L"Setup.ini");
  EXPECT_EQ(Places("\xFF\xFE" + util::ToUtf16le(kSound)), (std::vector<std::wstring>{}));
  // 1251 bytes that happen to form no UTF-8 sequence, and plain ASCII, are no UTF-8 file.
  EXPECT_EQ(Places(util::ToCp1251(L"[GENERAL]\r\nNameApplication=Ёлка\r\n")),
            (std::vector<std::wstring>{}));
  EXPECT_EQ(Places("[GENERAL]\r\nNameApplication=Tree\r\n"), (std::vector<std::wstring>{}));
}

TEST(SetupIniText, LinkSectionsReadStopAtTheFirstGap) {
  const struct {
    const char* text;
    int read;
  } cases[] = {
      {"", 0}, {"[Link1]\nFileLink=a\n[Link2]\nx=1\n[Link4]\nx=1\n", 2}, {"[Link2]\nx=1\n", 0}};
  for (const auto& c : cases) EXPECT_EQ(skmedium::LinkSectionsRead(c.text), c.read) << c.text;
}

}  // namespace
