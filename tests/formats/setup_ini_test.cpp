// Setup.ini's rules as the medium checker asks them: which sections and keys the installer reads
// and which link sections it reaches. (The model's reading of the values: tests/setup.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/setup_ini.h"
#include "util/codepage.h"
#include "util/ini.h"

namespace {

TEST(SetupIniRules, TheSectionsAndKeysTheInstallerReads) {
  const struct {
    const wchar_t* section;
    const wchar_t* key;
    bool section_read;
    bool key_read;
  } cases[] = {
      {L"GENERAL", L"NameApplication", true, true},
      {L"general", L"NAMECOMPANY", true, true},  // case-blind
      {L"GENERAL", L"BDE", true, false},         // a key of another section
      {L"Execute", L"bde", true, true},
      {L"GENERAL", L"Version", true, true},
      {L"GROUPS", L"anything at all", true, true},
      {L"Link1", L"FileLink", true, true},
      {L"LINK12", L"dirlink", true, true},
      {L"Link1", L"Caption", true, false},
      {L"Link", L"FileLink", false, false},  // no number: never read
      {L"Link01", L"FileLink", false, false},
      {L"Link1a", L"FileLink", false, false},
      {L"Links", L"FileLink", false, false},
      {L"Other", L"Caption", false, false},
      {L"", L"Caption", false, false},  // keys before any section
  };
  for (const auto& c : cases) {
    EXPECT_EQ(formats::ReadsSection(c.section), c.section_read) << c.section;
    EXPECT_EQ(formats::ReadsKey(c.section, c.key), c.key_read) << c.section << " " << c.key;
  }
}

TEST(SetupIniRules, LinkNumbersAsTheShortcutWorkNamesThem) {
  const struct {
    const wchar_t* section;
    int number;
  } cases[] = {{L"Link1", 1}, {L"link27", 27}, {L"Link0", 0}, {L"Link007", 0},
               {L"Link", 0},  {L"Link-1", 0},  {L"Lnk1", 0},  {L"Link99999999999", 0}};
  for (const auto& c : cases) EXPECT_EQ(formats::LinkNumber(c.section), c.number) << c.section;
}

std::vector<int> LinksRead(const std::wstring& text) {
  std::vector<int> numbers;
  for (const formats::LinkSection& link :
       formats::ReadSetupIni(util::IniFile::FromBytes(util::ToCp1251(text))).links)
    numbers.push_back(link.number);
  return numbers;
}

TEST(SetupIniRules, LinkSectionsAreReadUpToTheFirstMissingOrEmptyOne) {
  EXPECT_EQ(LinksRead(L"[Link1]\nFileLink=a\n[Link2]\nFileLink=b\n"), (std::vector<int>{1, 2}));
  EXPECT_EQ(LinksRead(L"[Link2]\nFileLink=b\n[Link1]\nx=1\n"), (std::vector<int>{1, 2}));
  EXPECT_EQ(LinksRead(L"[Link1]\nFileLink=a\n[Link3]\nFileLink=c\n"), (std::vector<int>{1}));
  EXPECT_EQ(LinksRead(L"[Link1]\n[Link2]\nFileLink=b\n"), (std::vector<int>{}));
  EXPECT_EQ(LinksRead(L"[Link1]\n;FileLink=a\n"), (std::vector<int>{}));  // a comment is no key
}

}  // namespace
