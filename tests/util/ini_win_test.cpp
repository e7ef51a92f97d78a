// Our INI reader and writer against the real GetPrivateProfileStringW and
// WritePrivateProfileStringW on the same files, and our code-page tables and case folding
// against the system's.
#include <windows.h>

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/file_io.h"
#include "platform/file_system.h"
#include "util/codepage.h"
#include "util/ini.h"

namespace {

using Query = std::pair<std::wstring, std::wstring>;  // section, key

bool SystemIsRussian() { return GetACP() == 1251; }

class IniAgainstWindows : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    dir_ = std::wstring(temp) + L"sk_ini_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(dir_.c_str(), nullptr);
  }

  static void TearDownTestSuite() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir_ + L"*.ini").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do DeleteFileW((dir_ + found.cFileName).c_str());
      while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(dir_.c_str());
  }

  std::wstring PathFor(const std::wstring& name) { return dir_ + name + L".ini"; }

  static void PutBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }

  // What GetPrivateProfileStringW leaves in a 2048-unit buffer.
  static std::wstring ApiRead(const std::wstring& path, const Query& q) {
    wchar_t buffer[2048];
    DWORD n = GetPrivateProfileStringW(q.first.c_str(), q.second.c_str(), L"<default>", buffer, 2048,
                                       path.c_str());
    return std::wstring(buffer, n);
  }

  // The key names GetPrivateProfileStringW lists for a section.
  static std::vector<std::wstring> ApiKeys(const std::wstring& path, const std::wstring& section) {
    std::vector<wchar_t> buffer(1 << 16);
    DWORD n = GetPrivateProfileStringW(section.c_str(), nullptr, L"", buffer.data(),
                                       static_cast<DWORD>(buffer.size()), path.c_str());
    std::vector<std::wstring> keys;
    for (DWORD i = 0; i < n;) {
      std::wstring key(&buffer[i]);
      if (key.empty()) break;
      keys.push_back(key);
      i += static_cast<DWORD>(key.size()) + 1;
    }
    return keys;
  }

  static std::wstring OurRead(const std::wstring& path, const Query& q) {
    return platform::LoadIniFile(platform::RealFileSystem(), path).ReadString(q.first, q.second, L"<default>");
  }

  static std::vector<std::wstring> OurKeys(const std::wstring& path, const std::wstring& section) {
    std::vector<std::wstring> keys;
    for (const util::IniEntry& e : platform::LoadIniFile(platform::RealFileSystem(), path).ReadSection(section))
      keys.push_back(e.name);
    return keys;
  }

  static std::wstring dir_;
};

std::wstring IniAgainstWindows::dir_;

struct ReadCase {
  const wchar_t* name;
  std::wstring text;
  std::vector<Query> queries;
  bool cyrillic;
};

std::vector<ReadCase> ReadCases() {
  const std::wstring x2047(2047, L'x'), y2048(2048, L'y'), z3000(3000, L'z'), w2046(2046, L'w');
  return {
      {L"case", L"[General]\r\nCaption=A\r\n[GENERAL]\r\ncaption=B\r\nonly=C\r\n",
       {{L"general", L"CAPTION"}, {L"GENERAL", L"only"}, {L"General", L"missing"}, {L"none", L"caption"}}, false},
      {L"dupkeys", L"[s]\r\nKey=1\r\nkEY=2\r\nKEY=3\r\n[S]\r\nkey=4\r\n", {{L"s", L"key"}, {L"S", L"KEY"}}, false},
      {L"quotes",
       L"[q]\r\nd=\"double\"\r\ns='single'\r\nmixed=\"a'\r\ninner=\" a b \"\r\ntwice=\"\"x\"\"\r\nlone=\"\r\n"
       L"empty=\"\"\r\nopen=\"abc\r\nmid=a\"b\"\r\nsp=  ' x '  \r\n",
       {{L"q", L"d"}, {L"q", L"s"}, {L"q", L"mixed"}, {L"q", L"inner"}, {L"q", L"twice"}, {L"q", L"lone"},
        {L"q", L"empty"}, {L"q", L"open"}, {L"q", L"mid"}, {L"q", L"sp"}},
       false},
      {L"blanks", L"[ s ]\r\n \t k \t = \t v  v \t \r\nempty=\r\nblank=   \r\n",
       {{L"s", L"k"}, {L" s ", L" k "}, {L"s", L"empty"}, {L"s", L"blank"}}, false},
      {L"lengths",
       L"[s]\r\na=" + x2047 + L"\r\nb=" + y2048 + L"\r\nc=" + z3000 + L"\r\nd=\"" + y2048 + L"\"\r\ne=\"" + w2046 +
           L"\"\r\n",
       {{L"s", L"a"}, {L"s", L"b"}, {L"s", L"c"}, {L"s", L"d"}, {L"s", L"e"}}, false},
      {L"noequals", L"[s]\r\nlonely\r\nk=1\r\nlonely2 \r\n[t]\r\nlonely\r\n",
       {{L"s", L"lonely"}, {L"s", L"k"}, {L"s", L"lonely2"}, {L"t", L"lonely"}}, false},
      {L"comments", L"; top\r\n[s]\r\n;k=c\r\nk=real\r\n  ;x=1\r\n",
       {{L"s", L"k"}, {L"s", L";k"}, {L"s", L"x"}, {L"s", L";x"}}, false},
      {L"sections", L"k0=zero\r\n[s]\r\nk=1\r\n[x]y]\r\nz=3\r\n",
       {{L"", L"k0"}, {L"s", L"k"}, {L"x]y", L"z"}, {L"s", L"z"}}, false},
      {L"lf", L"[s]\nk=1\n[t]\nk=2", {{L"s", L"k"}, {L"t", L"k"}}, false},
      // Same-case Cyrillic names: Wine 8 folds only ASCII in these functions (see below).
      {L"cyrillic",
       L"[Общие]\r\nНазвание=Электро Ёё №5\r\nёжик=1\r\n[GROUPS]\r\n1=1|ДАННЫЕ.RAR|Основные|Описание\r\n",
       {{L"Общие", L"Название"}, {L"Общие", L"ёжик"}, {L"groups", L"1"}}, true},
  };
}

TEST_F(IniAgainstWindows, ReadsTheSameValuesAndKeyLists) {
  for (const ReadCase& c : ReadCases()) {
    std::wstring path = PathFor(std::wstring(L"read_") + c.name);
    PutBytes(path, util::ToCp1251(c.text));
    bool compare = !c.cyrillic || SystemIsRussian();
    for (const Query& q : c.queries) {
      std::wstring ours = OurRead(path, q);
      if (compare)
        EXPECT_EQ(ours, ApiRead(path, q)) << "case " << testing::PrintToString(std::wstring(c.name)) << " ["
                                          << testing::PrintToString(q.first) << "] "
                                          << testing::PrintToString(q.second);
      // Wine's key listing does not trim the asked section name, though its lookup does.
      bool trimmed = q.first.empty() || (q.first.front() != L' ' && q.first.back() != L' ');
      if (compare && trimmed)
        EXPECT_EQ(OurKeys(path, q.first), ApiKeys(path, q.first)) << testing::PrintToString(q.first);
    }
  }
}

// Files saved by editors with a byte-order mark: UTF-16LE and UTF-8 read as the system reads them.
TEST_F(IniAgainstWindows, FilesWithAMarkReadTheSame) {
  const std::string utf8 = "[GENERAL]\r\nNameApplication=\xD0\xA1\xD1\x85\xD0\xB5\xD0\xBC\xD1\x8B 7.2\r\n";
  std::string utf16 = "\xFF\xFE";
  for (wchar_t c : std::wstring(L"[GENERAL]\r\nNameApplication=Схемы 7.2\r\n")) {
    utf16.push_back(static_cast<char>(c & 0xFF));
    utf16.push_back(static_cast<char>(c >> 8));
  }
  const std::pair<const wchar_t*, std::string> files[] = {{L"utf8_mark", "\xEF\xBB\xBF" + utf8}, {L"utf16_mark", utf16}};
  for (const auto& file : files) {
    const std::wstring path = PathFor(file.first);
    PutBytes(path, file.second);
    EXPECT_EQ(OurRead(path, {L"GENERAL", L"NameApplication"}), L"Схемы 7.2");
    EXPECT_EQ(ApiRead(path, {L"GENERAL", L"NameApplication"}), L"Схемы 7.2");
  }
}

// Windows matches section and key names case-blind in every script; Wine 8 folds only ASCII
// here, so "ОБЩИЕ" does not find [Общие] through its API. We keep Windows' behaviour.
TEST_F(IniAgainstWindows, CyrillicNamesMatchInAnyCase) {
  std::wstring path = PathFor(L"cyrillic_case");
  PutBytes(path, util::ToCp1251(L"[Общие]\r\nНазвание=Электро Ёё №5\r\nёжик=1\r\n"));
  EXPECT_EQ(OurRead(path, {L"ОБЩИЕ", L"название"}), L"Электро Ёё №5");
  EXPECT_EQ(OurRead(path, {L"общие", L"ЁЖИК"}), L"1");
  if (SystemIsRussian()) EXPECT_EQ(ApiRead(path, {L"Общие", L"Название"}), L"Электро Ёё №5");
}

// Wine cuts a quoted value of exactly 2047 characters to 2046: it removes the closing quote's
// place after the cut. Windows discards the quotes and then fills the buffer, as documented.
TEST_F(IniAgainstWindows, AQuotedValueOf2047CharactersKeepsThemAll) {
  std::wstring path = PathFor(L"quoted2047");
  const std::wstring x2047(2047, L'x');
  PutBytes(path, util::ToCp1251(L"[s]\r\nc=\"" + x2047 + L"\"\r\n"));
  EXPECT_EQ(OurRead(path, {L"s", L"c"}), x2047);
  std::wstring api = ApiRead(path, {L"s", L"c"});
  EXPECT_TRUE(api == x2047 || api == x2047.substr(0, 2046)) << api.size();
}

struct Write {
  std::wstring section, key, value;
};

struct WriteCase {
  const wchar_t* name;
  const wchar_t* initial;  // null: no file yet
  std::vector<Write> writes;
  std::vector<Query> queries;
  bool cyrillic;
};

TEST_F(IniAgainstWindows, WhatEitherWritesReadsTheSameThroughBoth) {
  const WriteCase cases[] = {
      {L"update", L"[a]\r\n  x = 1 \r\n\r\n[b]\r\ny=2",
       {{L"A", L"X", L"new"}, {L"a", L"z", L"3"}, {L"c", L"k", L"v"}},
       {{L"a", L"x"}, {L"a", L"z"}, {L"b", L"y"}, {L"c", L"k"}}, false},
      {L"duplicates", L"[s]\r\nk=1\r\nK=2\r\n[S]\r\nk=3\r\nm=4\r\n",
       {{L"S", L"K", L"new"}, {L"s", L"n", L"added"}, {L"s", L"m", L"5"}},
       {{L"s", L"k"}, {L"s", L"n"}, {L"s", L"m"}}, false},
      {L"missing", nullptr, {{L"UnInstall", L"Name", L"Editor"}, {L"UnInstall", L"Dir", L"C:\\P\\"}},
       {{L"uninstall", L"name"}, {L"UNINSTALL", L"DIR"}}, false},
      {L"quoted", L"[s]\r\n", {{L"s", L"k", L"\"q\""}, {L"s", L"b", L"  padded  "}}, {{L"s", L"k"}, {L"s", L"b"}}, false},
      {L"cyrillic", L"[Общие]\r\nПуть=старый\r\n",
       {{L"Общие", L"Путь", L"C:\\Program files\\Фирма\\Ёлка\\"}, {L"Редактор", L"Профиль", L"Схемы"}},
       {{L"Общие", L"Путь"}, {L"Редактор", L"Профиль"}}, true},
  };
  for (const WriteCase& c : cases) {
    if (c.cyrillic && !SystemIsRussian()) continue;  // the API writes the machine's code page
    std::wstring api_path = PathFor(std::wstring(L"api_") + c.name);
    std::wstring our_path = PathFor(std::wstring(L"our_") + c.name);
    DeleteFileW(api_path.c_str());
    DeleteFileW(our_path.c_str());
    if (c.initial) {
      PutBytes(api_path, util::ToCp1251(c.initial));
      PutBytes(our_path, util::ToCp1251(c.initial));
    }
    for (const Write& w : c.writes) {
      ASSERT_TRUE(WritePrivateProfileStringW(w.section.c_str(), w.key.c_str(), w.value.c_str(), api_path.c_str()));
      ASSERT_TRUE(platform::WriteIniString(platform::RealFileSystem(), our_path, w.section, w.key, w.value));
    }
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, api_path.c_str());  // flush the cache
    for (const Query& q : c.queries) {
      std::wstring expected = ApiRead(api_path, q);
      std::string where = testing::PrintToString(std::wstring(c.name)) + " " + testing::PrintToString(q.second);
      EXPECT_EQ(ApiRead(our_path, q), expected) << where;
      EXPECT_EQ(OurRead(api_path, q), expected) << where;
      EXPECT_EQ(OurRead(our_path, q), expected) << where;
    }
  }
}

TEST(CodePagesAgainstWindows, TablesMatchTheSystems) {
  for (UINT cp : {1251u, 866u}) {
    for (int b = 0; b < 256; ++b) {
      char byte = static_cast<char>(b);
      wchar_t wide = 0;
      ASSERT_EQ(MultiByteToWideChar(cp, 0, &byte, 1, &wide, 1), 1);
      std::wstring ours = cp == 1251 ? util::FromCp1251(std::string(1, byte)) : util::FromCp866(std::string(1, byte));
      EXPECT_EQ(static_cast<unsigned>(ours[0]), static_cast<unsigned>(wide)) << "code page " << cp << " byte " << b;
    }
  }
}

TEST(CodePagesAgainstWindows, RussianLocaleMeansCodePage1251) {
  const char* locale = std::getenv("LC_ALL");
  if (locale && std::string(locale).rfind("ru_RU", 0) == 0) EXPECT_EQ(GetACP(), 1251u);
}

// Every UTF-16 unit, ordered by our folding (and by itself among equals): Windows' ordinal
// case-blind comparison must find each next unit equal exactly where our folding does, and
// greater everywhere else. So both split the units into the same classes in the same order,
// which is all a case-blind comparison of names can tell.
TEST(FoldCaseAgainstWindows, OrdersEveryUnitAsCompareStringOrdinalIgnoringCase) {
  std::vector<wchar_t> units;
  for (uint32_t c = 0; c < 0x10000; ++c) units.push_back(static_cast<wchar_t>(c));
  std::stable_sort(units.begin(), units.end(), [](wchar_t a, wchar_t b) {
    return static_cast<uint16_t>(util::FoldCase(a)) < static_cast<uint16_t>(util::FoldCase(b));
  });
  int mismatches = 0;
  for (size_t i = 0; i + 1 < units.size(); ++i) {
    const wchar_t a = units[i], b = units[i + 1];
    const bool oursEqual = util::FoldCase(a) == util::FoldCase(b);
    const int windows = CompareStringOrdinal(&a, 1, &b, 1, TRUE);
    if (windows != (oursEqual ? CSTR_EQUAL : CSTR_LESS_THAN) && ++mismatches <= 20)
      ADD_FAILURE() << "U+" << std::hex << unsigned(a) << " and U+" << unsigned(b)
                    << ": Windows says " << windows << ", our folding "
                    << (oursEqual ? "equal" : "less");
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
